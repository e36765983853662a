// The registry reader over unixODBC's configuration files, written by the test.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "catalog/session/qz_cls_regedit.hpp"
#include "support/temp_folder.hpp"

namespace qz {
namespace {

class Regedit : public ::testing::Test {
  protected:
    test::TempFolder folder_;
    test::OdbcConfigScope config_{folder_.path()};
    qz_cls_regedit regedit_;
};

// The lookup never asks for write access, so a machine-wide entry an ordinary user cannot change resolves;
// a path may hold bytes that are not UTF-8, which must come back as the same bytes.
TEST_F(Regedit, ReadsSystemUserAndDriverEntriesByTheirKeyPaths) {
    const auto ini = folder_.write("odbc.ini",
                                   "[reg_sys]\nDriver=Access\nDBQ=/dados/relat\xc3\xb3rio.mdb\n"
                                   "[reg_bytes]\nDBQ=/d/\xFF.mdb\n");
    std::filesystem::permissions(ini, std::filesystem::perms::owner_read);
    folder_.write("user.ini", "[reg_user]\nDBQ=/home/u/own.accdb\n");
    folder_.write("odbcinst.ini", "[reg_driver]\nDriver=/usr/lib/libaccess.so\n");
    struct Case {
        const char* fault;
        T_KeyClasses root;
        std::u16string path;
        std::u16string key;
        std::u16string value;
    };
    const Case cases[] = {
        {"a system data source is found", T_KeyClasses::HKEY_LOCAL_MACHINE,
         u"SOFTWARE\\ODBC\\ODBC.INI\\reg_sys", u"DBQ", u"/dados/relatório.mdb"},
        {"the key path is compared without regard to case", T_KeyClasses::HKEY_LOCAL_MACHINE,
         u"software\\odbc\\odbc.ini\\reg_sys", u"DBQ", u"/dados/relatório.mdb"},
        {"the user's data source is read under the current user", T_KeyClasses::HKEY_CURRENT_USER,
         u"Software\\ODBC\\ODBC.INI\\reg_user", u"DBQ", u"/home/u/own.accdb"},
        {"a driver entry is read from odbcinst.ini", T_KeyClasses::HKEY_LOCAL_MACHINE,
         u"SOFTWARE\\ODBC\\ODBCINST.INI\\reg_driver", u"Driver", u"/usr/lib/libaccess.so"},
        {"other roots hold nothing", T_KeyClasses::HKEY_USERS, u"SOFTWARE\\ODBC\\ODBC.INI\\reg_sys", u"DBQ",
         u""},
        {"bytes that are not UTF-8 are kept", T_KeyClasses::HKEY_LOCAL_MACHINE,
         u"SOFTWARE\\ODBC\\ODBC.INI\\reg_bytes", u"DBQ", u"/d/\xDCFF.mdb"},
    };
    for (const Case& c : cases) EXPECT_EQ(regedit_.GetRegValue(c.root, c.path, c.key), c.value) << c.fault;
}

// unixODBC reads 999 bytes of a line and drops the rest without a word; a cut path would name another file,
// so only a value it really cut reads as missing.
TEST_F(Regedit, OnlyAValueLibodbcinstCutOrAnEmptyOneGivesEmptyText) {
    struct Case {
        std::string line_start;  // key, "=" and the blanks around it
        std::size_t length;
        bool whole;
    };
    const Case cases[] = {
        {"V=", 997, true},  {"V = ", 995, true},  {"DBQ=", 995, true},
        {"V=", 998, false}, {"DBQ=", 996, false}, {"V=", 0, false},
    };
    int entry = 0;
    for (const Case& c : cases) {
        // libodbcinst keeps what it read for a while under the entry's name: one entry per case.
        const std::string name = "reg_size_" + std::to_string(entry++);
        const std::string key = c.line_start.substr(0, c.line_start.find_first_of(" ="));
        folder_.write("odbc.ini",
                      "[" + name + "]\n" + c.line_start + std::string(c.length, 'v') + "\nNext=1\n");
        EXPECT_EQ(
            regedit_.GetRegValue(T_KeyClasses::HKEY_LOCAL_MACHINE,
                                 u"SOFTWARE\\ODBC\\ODBC.INI\\" + std::u16string(name.begin(), name.end()),
                                 std::u16string(key.begin(), key.end())),
            c.whole ? std::u16string(c.length, u'v') : u"")
            << c.line_start << c.length;
    }
}

// libodbcinst reads its files to their end with blocking reads: a FIFO would block it for ever, /dev/zero
// would never end. Run in a child that a timer ends, so a fault fails instead of hanging the tests.
TEST_F(Regedit, AConfigurationFileThatIsNotRegularIsNotRead) {
    ASSERT_EQ(::mkfifo((folder_ / "odbc.ini").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", folder_ / "odbcinst.ini");
    const auto value_is_empty = [&](const std::u16string& path, const std::u16string& key) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::alarm(5);
            ::_exit(regedit_.GetRegValue(T_KeyClasses::HKEY_LOCAL_MACHINE, path, key).empty() ? 0 : 1);
        }
        int status = 0;
        return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
               WEXITSTATUS(status) == 0;
    };
    EXPECT_TRUE(value_is_empty(u"SOFTWARE\\ODBC\\ODBC.INI\\reg_fifo", u"DBQ")) << "a FIFO odbc.ini";
    EXPECT_TRUE(value_is_empty(u"SOFTWARE\\ODBC\\ODBCINST.INI\\reg_zero", u"Driver")) << "/dev/zero";
}

}  // namespace
}  // namespace qz
