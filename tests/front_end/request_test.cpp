// One request through the front end's entry function, over the in-memory engine.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "odbc_access/exe/front_end.hpp"
#include "platform/reader/engine/access_file_engine.hpp"
#include "platform/text/code_page.hpp"
#include "support/fixtures.hpp"
#include "support/memory_engine.hpp"
#include "support/temp_folder.hpp"

namespace qz::front_end {
namespace {

using test::MemoryDatabase;

constexpr std::string_view bom = "\xFF\xFE";

std::u16string u16(const std::string& utf8) { return text::utf8_to_utf16(utf8); }

// The result file as text: its byte-order mark checked and taken off.
std::u16string result_text(const std::filesystem::path& file) {
    const std::string bytes = test::read_file(file);
    EXPECT_EQ(bytes.substr(0, 2), bom) << file;
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return text;
}

// The names in a folder, to see that nothing was left behind.
std::vector<std::string> names_in(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs `body` in a child process that is killed after a few seconds, so a call that blocks fails the test
// instead of hanging it; the child's exit status, or -1 when it did not end by itself.
template <class Body>
int in_child(Body body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(5);
        ::_exit(body());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

MemoryDatabase sample_database() {
    MemoryDatabase database;
    database.tables = {{.name = u"Clientes"},
                       {.name = u"表", .attributes = static_cast<std::int32_t>(0x80000002u)}};
    database.relations = {{.name = u"R",
                           .table = u"Clientes",
                           .foreign_table = u"Pedidos",
                           .fields = {{.name = u"Código", .foreign_name = u"Cliente"}}}};
    return database;
}

class Request : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("LC_ALL", "C", 1);
        engine_->files[u"/db/base.mdb"] = sample_database();
    }

    // The argument text of a request on /db/base.mdb with the separators | ; = , & : and `tail` after the
    // separators (output path, command word, argument).
    std::u16string request(const std::u16string& tail) const {
        return u"/db/base.mdb_:_user_:_pwd_:_|_:_;_:_=_:_,_:_&_:_:_:_" + tail;
    }
    ExitStatus run(const std::u16string& command_text) {
        return run_request(command_text, program_folder_.path(), engine_);
    }
    std::u16string out_path() const { return u16((output_folder_ / "out.txt").string()); }
    std::string error_log() const { return test::read_file(program_folder_ / "error.log"); }

    test::TempFolder program_folder_;
    test::TempFolder output_folder_;
    std::shared_ptr<test::MemoryEngine> engine_ = std::make_shared<test::MemoryEngine>();
};

// The listings' own forms are pinned in tests/listings; here, what the road adds to them.
TEST_F(Request, TheResultFileHoldsTheListingAsUtf16WithCharactersOutsideTheAnsiCodePageIntact) {
    struct Case {
        std::u16string tail;
        std::u16string result;
    };
    const Case cases[] = {
        {u"get_tables_:_sys",
         u"id=1;name=表;date_created=00:00:00;last_updated=00:00:00;fields=0;indexes=0;"
         u"attributes=-2147483646"},
        {u"get_tables_:_sys_:_ignored_:_too",
         u"id=1;name=表;date_created=00:00:00;last_updated=00:00:00;"
         u"fields=0;indexes=0;attributes=-2147483646"},
        {u"get_relations",
         u"name=R;table=Clientes;foreign_table=Pedidos;attributes=0;fields=name:Código&foreign_name:Cliente"},
        {u"get_fields_:_clientes", u"Tabela não encotrada !"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(request(out_path() + u"_:_" + c.tail)), result_written);
        EXPECT_EQ(result_text(output_folder_ / "out.txt"), c.result);
    }
    EXPECT_EQ(engine_->opens.front().connect, u";pwd=pwd");
}

TEST_F(Request, FewerThanTenElementsWriteErrorNineToTheLogBesideTheProgramAndOpenNothing) {
    for (const std::u16string& command : {std::u16string(), std::u16string(u"no separators at all"),
                                          request(u"").substr(0, request(u"").size() - 3)}) {
        std::filesystem::remove(program_folder_ / "error.log");
        EXPECT_EQ(run(command), error_line_written);
        EXPECT_EQ(error_log(), "Erro: 9 - Subscript out of range\r\n");
    }
    EXPECT_TRUE(engine_->opens.empty());
}

TEST_F(Request, AMissingCommandWordOrArgumentIsErrorNineAtTheOutputPathAfterConnect) {
    const std::u16string commands[] = {
        request(out_path()), request(out_path() + u"_:_get_tables"), request(out_path() + u"_:_get_fields"),
        request(out_path() + u"_:_get_indexes"), request(out_path() + u"_:_get_fields_query")};
    for (const std::u16string& command : commands) {
        EXPECT_EQ(run(command), error_line_written);
        EXPECT_EQ(test::read_file(output_folder_ / "out.txt"), "Erro: 9 - Subscript out of range\r\n");
    }
    EXPECT_EQ(engine_->opens.size(), std::size(commands)) << "the database is opened before the word is read";
    EXPECT_TRUE(error_log().empty());
}

TEST_F(Request, AnUnknownCommandWordLeavesAFileWithOnlyTheByteOrderMark) {
    for (const std::u16string word : {u"GET_TABLES", u"get_tables ", u"list"}) {
        EXPECT_EQ(run(request(out_path() + u"_:_" + word + u"_:_")), result_written);
        EXPECT_EQ(test::read_file(output_folder_ / "out.txt"), bom);
    }
}

TEST_F(Request, ADataSourceThatResolvesToNothingEndsInError91) {
    test::TempFolder config;
    const test::OdbcConfigScope scope(config.path());
    EXPECT_EQ(run(u"front_unknown_dsn_:_u_:_p_:_|_:_;_:_=_:_,_:_&_:_:_:_" + out_path() + u"_:_get_querys"),
              error_line_written);
    EXPECT_EQ(test::read_file(output_folder_ / "out.txt"),
              "Erro: 91 - Object variable or With block variable not set\r\n");
}

TEST_F(Request, TheOutputPathTakesSlashesForBackslashesAndReplacesAnExistingFile) {
    std::u16string windows_style = out_path();
    std::replace(windows_style.begin(), windows_style.end(), u'/', u'\\');
    output_folder_.write("out.txt", std::string(10000, 'x'));
    EXPECT_EQ(run(request(windows_style + u"_:_get_relations")), result_written);
    EXPECT_EQ(result_text(output_folder_ / "out.txt").substr(0, 7), u"name=R;");
}

TEST_F(Request, TheErrorLineIsWindows1252WhateverTheDescriptionHolds) {
    engine_->files.clear();
    EXPECT_EQ(run(u"/db/relatório_表.mdb_:_u_:_p_:_|_:_;_:_=_:_,_:_&_:_:_:_" + out_path() + u"_:_get_querys"),
              error_line_written);
    EXPECT_EQ(test::read_file(output_folder_ / "out.txt"),
              "Erro: 3024 - Could not find file '/db/relat\xF3rio_?.mdb'.\r\n");
}

TEST_F(Request, AnErrorLineThatCannotBeWrittenEndsWithStatusTwo) {
    const std::u16string nowhere = u16((output_folder_ / "missing" / "out.txt").string());
    EXPECT_EQ(run(request(nowhere + u"_:_get_querys")), nothing_written);
    EXPECT_TRUE(error_log().empty()) << "the log is only for requests without an output path";
}

// A result file cut short by a full disk must not be left looking like a complete listing: the run
// ends in the error line instead. The file-size limit stands in for the full disk, in a child process.
TEST_F(Request, AResultThatCannotBeWrittenWholeEndsInTheErrorLine) {
    MemoryDatabase big;
    for (int i = 0; i < 3000; ++i) big.tables.push_back({.name = u"Tabela " + u16(std::to_string(i))});
    engine_->files[u"/db/base.mdb"] = big;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(run(request(out_path() + u"_:_get_tables_:_")));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), error_line_written);
    EXPECT_EQ(test::read_file(output_folder_ / "out.txt"), "Erro: 61 - Disk full\r\n");
    EXPECT_EQ(names_in(output_folder_.path()), std::vector<std::string>{"out.txt"})
        << "a draft was left behind";
}

// A listing too long to gather in memory goes to a draft as it is made: the result is the whole listing, and
// one that fails after its draft began ends in the error line alone, with no draft left behind.
TEST_F(Request, ALongListingIsStreamedWholeAndOneThatFailsPartWayLeavesOnlyTheErrorLine) {
    MemoryDatabase big;
    for (int i = 0; i < 3000; ++i) big.tables.push_back({.name = u"Tabela " + u16(std::to_string(i))});
    engine_->files[u"/db/base.mdb"] = big;
    EXPECT_EQ(run(request(out_path() + u"_:_get_tables_:_")), result_written);
    const std::u16string listing = result_text(output_folder_ / "out.txt");
    EXPECT_EQ(std::count(listing.begin(), listing.end(), u'|'), 2999);
    EXPECT_NE(listing.find(u"|id=2999;name=Tabela 2999;"), std::u16string::npos);
    EXPECT_TRUE(listing.ends_with(u";attributes=0"));

    big.tables.back().damaged = true;
    engine_->files[u"/db/base.mdb"] = big;
    EXPECT_EQ(run(request(out_path() + u"_:_get_tables_:_")), error_line_written);
    EXPECT_EQ(test::read_file(output_folder_ / "out.txt").substr(0, 11), "Erro: 3049 ");
    EXPECT_EQ(names_in(output_folder_.path()), std::vector<std::string>{"out.txt"}) << "a draft was left behind";
}

// Whatever the spelling, a result path that names the database (or a file it read) would destroy it: the
// request is refused before anything is written, also when the request itself failed.
TEST_F(Request, AResultPathNamingTheDatabaseIsRefusedAndTheDatabaseIsUntouched) {
    const std::string database_bytes = "the database's own bytes";
    const std::filesystem::path database = output_folder_.write("base.mdb", database_bytes);
    std::filesystem::create_hard_link(database, output_folder_ / "hard.mdb");
    std::filesystem::create_symlink(database, output_folder_ / "soft.mdb");
    test::TempFolder config;
    const test::OdbcConfigScope scope(config.path());
    config.write("odbc.ini", "[front_same_file]\nDBQ=" + database.string() + "\n");
    struct stat before {};
    ASSERT_EQ(::stat(database.c_str(), &before), 0);

    const std::u16string path = u16(database.string());
    const std::u16string folder = u16(output_folder_.path().string());
    struct Case {
        const char* spelling;
        std::u16string data_source;
        std::u16string result;
        bool opens = true;  // false: opening fails (as with a wrong password) and the error line is due
    };
    const Case cases[] = {
        {"the same path", path, path},
        {"another spelling", path, folder + u"/./base.mdb"},
        {"a hard link", path, folder + u"/hard.mdb"},
        {"a symbolic link", path, folder + u"/soft.mdb"},
        {"a data source whose file is the result", u"front_same_file", path},
        {"a request that failed", path, path, false},
        {"a request that failed, through a hard link", path, folder + u"/hard.mdb", false},
    };
    for (const Case& c : cases) {
        engine_->files.clear();
        if (c.opens) engine_->files[path] = sample_database();
        EXPECT_EQ(
            run(c.data_source + u"_:_u_:_p_:_|_:_;_:_=_:_,_:_&_:_:_:_" + c.result + u"_:_get_tables_:_"),
            nothing_written)
            << c.spelling;
    }
    struct stat after {};
    ASSERT_EQ(::stat(database.c_str(), &after), 0);
    EXPECT_EQ(test::read_file(database), database_bytes);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(names_in(output_folder_.path()),
              (std::vector<std::string>{"base.mdb", "hard.mdb", "soft.mdb"}));
    EXPECT_TRUE(error_log().empty());
}

// The sources of linked tables are read too; a listing that opened one must not write over it.
TEST_F(Request, AResultPathNamingALinkedSourceTheListingReadIsRefused) {
    QZ_REQUIRE_FIXTURES();
    const std::filesystem::path synthetic = test::fixtures_folder() / "synthetic";
    for (const char* name : {"linked_V2000.mdb", "linkee_V2000.mdb"}) {
        std::filesystem::copy_file(synthetic / name, output_folder_ / name);
    }
    const std::string source_bytes = test::read_file(output_folder_ / "linkee_V2000.mdb");
    const std::u16string command =
        u16((output_folder_ / "linked_V2000.mdb").string()) + u"_:_u_:__:_|_:_;_:_=_:_,_:_&_:_:_:_" +
        u16((output_folder_ / "linkee_V2000.mdb").string()) + u"_:_get_fields_:_LinkedCustomers";
    EXPECT_EQ(run_request(command, program_folder_.path(), std::make_shared<jet::AccessFileEngine>()),
              nothing_written);
    EXPECT_EQ(test::read_file(output_folder_ / "linkee_V2000.mdb"), source_bytes);
}

TEST_F(Request, AResultIsReplacedWholeAndASymbolicLinkKeepsPointingAtTheFileItReplaces) {
    const std::filesystem::path target = output_folder_.write("target.txt", std::string(5000, 'x'));
    std::filesystem::create_symlink("target.txt", output_folder_ / "link.txt");
    ASSERT_EQ(::chmod(target.c_str(), 0604), 0);
    const mode_t old_mask = ::umask(027);
    EXPECT_EQ(run(request(u16((output_folder_ / "link.txt").string()) + u"_:_get_relations")),
              result_written);
    EXPECT_EQ(run(request(out_path() + u"_:_get_relations")), result_written);
    ::umask(old_mask);
    EXPECT_TRUE(std::filesystem::is_symlink(output_folder_ / "link.txt"));
    EXPECT_EQ(result_text(target).substr(0, 7), u"name=R;");
    struct stat replaced {};
    ASSERT_EQ(::stat(target.c_str(), &replaced), 0);
    EXPECT_EQ(replaced.st_mode & 0777, 0604u) << "a replaced result keeps its permissions";
    struct stat created {};
    ASSERT_EQ(::stat((output_folder_ / "out.txt").c_str(), &created), 0);
    EXPECT_EQ(created.st_mode & 0777, 0640u) << "a new result gets what a plain create would give it";
    EXPECT_EQ(names_in(output_folder_.path()),
              (std::vector<std::string>{"link.txt", "out.txt", "target.txt"}));
}

// A FIFO is written directly, but one nobody reads must not block the request for ever, neither for the
// result nor for the error line.
TEST_F(Request, AFifoWithoutAReaderFailsAtOnceInsteadOfBlocking) {
    const std::filesystem::path fifo = output_folder_ / "out.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::u16string result = u16(fifo.string());
    EXPECT_EQ(in_child([&] { return static_cast<int>(run(request(result + u"_:_get_relations"))); }),
              nothing_written);
    EXPECT_EQ(in_child([&] { return static_cast<int>(run(request(result))); }), nothing_written)
        << "the error line (a missing command word) blocked";
}

TEST_F(Request, AFileNameThatIsNotUtf8IsWrittenWithExactlyItsBytes) {
    EXPECT_EQ(run(request(u16(output_folder_.path().string()) + u"/res\xDCFE.txt_:_get_relations")),
              result_written);
    EXPECT_EQ(names_in(output_folder_.path()), std::vector<std::string>{"res\xFE.txt"});
}

// A core file would hold the password.
TEST_F(Request, APasswordMakesTheProcessNonDumpable) {
    for (const bool with_password : {false, true}) {
        const std::u16string command = u"/db/base.mdb_:_user_:_" +
                                       std::u16string(with_password ? u"pwd" : u"") +
                                       u"_:_|_:_;_:_=_:_,_:_&_:_:_:_" + out_path() + u"_:_get_relations";
        EXPECT_EQ(in_child([&] {
                      ::prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);  // an earlier request in this process had one
                      run(command);
                      return ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0);
                  }),
                  with_password ? 0 : 1);
    }
}

}  // namespace
}  // namespace qz::front_end
