// The registry reader over unixODBC's configuration files, written by the test.

#include <gtest/gtest.h>

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

TEST_F(Regedit, ReadsSystemUserAndDriverEntriesByTheirKeyPaths) {
    folder_.write("odbc.ini", "[reg_sys]\nDriver=Access\nDBQ=/dados/relat\xc3\xb3rio.mdb\n");
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
        {"the machine does not see the user's data source", T_KeyClasses::HKEY_LOCAL_MACHINE,
         u"SOFTWARE\\ODBC\\ODBC.INI\\reg_user", u"DBQ", u""},
        {"a driver entry is read from odbcinst.ini", T_KeyClasses::HKEY_LOCAL_MACHINE,
         u"SOFTWARE\\ODBC\\ODBCINST.INI\\reg_driver", u"Driver", u"/usr/lib/libaccess.so"},
        {"a missing value is empty", T_KeyClasses::HKEY_LOCAL_MACHINE, u"SOFTWARE\\ODBC\\ODBC.INI\\reg_sys",
         u"PWD", u""},
        {"a missing key is empty", T_KeyClasses::HKEY_LOCAL_MACHINE, u"SOFTWARE\\ODBC\\ODBC.INI\\reg_none",
         u"DBQ", u""},
        {"a subkey of an entry does not exist", T_KeyClasses::HKEY_LOCAL_MACHINE,
         u"SOFTWARE\\ODBC\\ODBC.INI\\reg_sys\\x", u"DBQ", u""},
        {"the key path itself names no entry", T_KeyClasses::HKEY_LOCAL_MACHINE,
         u"SOFTWARE\\ODBC\\ODBC.INI\\", u"DBQ", u""},
        {"other roots hold nothing", T_KeyClasses::HKEY_USERS, u"SOFTWARE\\ODBC\\ODBC.INI\\reg_sys", u"DBQ",
         u""},
        {"other key paths hold nothing", T_KeyClasses::HKEY_LOCAL_MACHINE, u"SOFTWARE\\Other\\reg_sys",
         u"DBQ", u""},
    };
    for (const Case& c : cases) EXPECT_EQ(regedit_.GetRegValue(c.root, c.path, c.key), c.value) << c.fault;
}

// unixODBC cuts lines at 1000 bytes without a word; a cut path would name another file.
TEST_F(Regedit, AValueTooLongToBeReadWholeOrEmptyGivesEmptyTextWithoutError) {
    const std::string fits(900, 'a');
    const std::string cut(995, 'c');
    const std::string too_long(1024, 'b');
    folder_.write("odbc.ini",
                  "[reg_sizes]\nFits=" + fits + "\nV=" + cut + "\nTooLong=" + too_long + "\nEmpty=\n");
    const std::u16string key = u"SOFTWARE\\ODBC\\ODBC.INI\\reg_sizes";
    EXPECT_EQ(regedit_.GetRegValue(T_KeyClasses::HKEY_LOCAL_MACHINE, key, u"Fits"),
              std::u16string(900, u'a'));
    EXPECT_EQ(regedit_.GetRegValue(T_KeyClasses::HKEY_LOCAL_MACHINE, key, u"V"), u"");
    EXPECT_EQ(regedit_.GetRegValue(T_KeyClasses::HKEY_LOCAL_MACHINE, key, u"TooLong"), u"");
    EXPECT_EQ(regedit_.GetRegValue(T_KeyClasses::HKEY_LOCAL_MACHINE, key, u"Empty"), u"");
}

// A path in the configuration may hold bytes that are not UTF-8; they must come back as the same bytes.
TEST_F(Regedit, AValueThatIsNotUtf8KeepsItsBytes) {
    folder_.write("odbc.ini", "[reg_bytes]\nDBQ=/d/\xFF.mdb\n");
    EXPECT_EQ(regedit_.GetRegValue(T_KeyClasses::HKEY_LOCAL_MACHINE, u"SOFTWARE\\ODBC\\ODBC.INI\\reg_bytes", u"DBQ"),
              u"/d/\xDCFF.mdb");
}

TEST_F(Regedit, AReadOnlyConfigurationIsStillRead) {
    // The lookup never asks for write access, so a machine-wide entry an ordinary user cannot change
    // resolves.
    const auto ini = folder_.write("odbc.ini", "[reg_readonly]\nDBQ=/x.mdb\n");
    std::filesystem::permissions(ini, std::filesystem::perms::owner_read);
    EXPECT_EQ(regedit_.GetRegValue(T_KeyClasses::HKEY_LOCAL_MACHINE,
                                   u"SOFTWARE\\ODBC\\ODBC.INI\\reg_readonly", u"DBQ"),
              u"/x.mdb");
}

}  // namespace
}  // namespace qz
