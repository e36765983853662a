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
#include "support/memory_engine.hpp"
#include "support/result_file.hpp"

namespace qz::front_end {
namespace {

std::u16string u16(const std::string& utf8) { return text::utf8_to_utf16(utf8); }

// The names in a folder, to see that nothing was left behind.
std::vector<std::string> names_in(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs `body` in a child process that is killed after a few seconds, so a call that blocks fails the test
// instead of hanging it, and process-wide settings stay in the child; its exit status, or -1.
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

constexpr std::u16string_view relation =
    u"name=R;table=Clientes;foreign_table=Pedidos;attributes=0;fields=name:Código&foreign_name:Cliente";

test::MemoryDatabase sample_database() {
    return {.tables = {{.name = u"Clientes"}, {.name = u"表", .attributes = INT32_MIN + 2}},
            .relations = {{.name = u"R",
                           .table = u"Clientes",
                           .foreign_table = u"Pedidos",
                           .fields = {{.name = u"Código", .foreign_name = u"Cliente"}}}}};
}

class Request : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("LC_ALL", "C", 1);
        engine_->files[u"/db/base.mdb"] = sample_database();
    }
    // A request on `database` with the separators | ; = , & : and `tail` after them (output path, command
    // word, argument).
    static std::u16string request(const std::u16string& tail,
                                  const std::u16string& database = u"/db/base.mdb",
                                  const std::u16string& password = u"pwd") {
        return database + u"_:_user_:_" + password + u"_:_|_:_;_:_=_:_,_:_&_:_:_:_" + tail;
    }
    ExitStatus run(const std::u16string& command_text) {
        return run_request(command_text, program_.path(), engine_);
    }
    std::u16string out_path() const { return u16((output_ / "out.txt").string()); }

    test::TempFolder program_;
    test::TempFolder output_;
    std::shared_ptr<test::MemoryEngine> engine_ = std::make_shared<test::MemoryEngine>();
};

// The listings' own forms are pinned elsewhere; here, what the road adds to them.
TEST_F(Request, EachRequestEndsInItsResultOrErrorLineWhereTheCallerLooks) {
    const std::string subscript = "Erro: 9 - Subscript out of range\r\n";
    const std::u16string full = request(u"");
    std::u16string windows_style = out_path();
    std::replace(windows_style.begin(), windows_style.end(), u'/', u'\\');
    struct Case {
        const char* what;
        std::u16string command;
        ExitStatus status;
        std::u16string out;  // the result file as text; "-" when none is written
        std::string log;     // error.log beside the program
    };
    const Case cases[] = {
        {"UTF-16 keeps what the ANSI code page cannot",
         request(out_path() + u"_:_get_tables_:_sys_:_ignored"), result_written,
         u"id=1;name=表;date_created=00:00:00;last_updated=00:00:00;fields=0;indexes=0;attributes=-"
         u"2147483646",
         ""},
        {"backslashes in the output path", request(windows_style + u"_:_get_relations"), result_written,
         std::u16string(relation), ""},
        {"an unknown command word leaves only the byte-order mark", request(out_path() + u"_:_GET_TABLES_:_"),
         result_written, u"", ""},
        {"nine elements", full.substr(0, full.size() - 3), error_line_written, u"-", subscript},
        {"no argument", request(out_path() + u"_:_get_fields"), error_line_written, u16(subscript), ""},
        {"the error line is Windows-1252", request(out_path() + u"_:_get_querys", u"/db/relatório_表.mdb"),
         error_line_written, u"Erro: 3024 - Could not find file '/db/relatório_?.mdb'.\r\n", ""},
        {"an error line that cannot be written", request(out_path() + u"/x_:_get_querys"), nothing_written,
         u"-", ""},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(program_ / "error.log");
        std::filesystem::remove(output_ / "out.txt");
        EXPECT_EQ(run(c.command), c.status) << c.what;
        if (c.out == u"-") {
            EXPECT_FALSE(std::filesystem::exists(output_ / "out.txt")) << c.what;
        } else {
            EXPECT_EQ(test::result_text(output_ / "out.txt"), c.out) << c.what;
        }
        EXPECT_EQ(test::read_file(program_ / "error.log"), c.log) << c.what;
    }
}

// A listing too long to gather in memory goes to a draft as it is made: the result is the whole listing, and
// one that fails part-way, on damage or on a full disk, ends in the error line alone, with no draft left
// behind. The file-size limit, set in a child process, stands in for the full disk.
TEST_F(Request, ALongListingIsStreamedWholeAndOneThatFailsPartWayLeavesOnlyTheErrorLine) {
    test::MemoryDatabase big;
    for (int i = 0; i < 3000; ++i) big.tables.push_back({.name = u"Tabela " + u16(std::to_string(i))});
    engine_->files[u"/db/base.mdb"] = big;
    EXPECT_EQ(run(request(out_path() + u"_:_get_tables_:_")), result_written);
    const std::u16string listing = test::result_text(output_ / "out.txt");
    EXPECT_EQ(std::count(listing.begin(), listing.end(), u'|'), 2999);
    EXPECT_NE(listing.find(u"|id=2999;name=Tabela 2999;"), std::u16string::npos);
    EXPECT_TRUE(listing.ends_with(u";attributes=0"));

    EXPECT_EQ(in_child([&] {
                  ::signal(SIGXFSZ, SIG_IGN);
                  const rlimit limit{4096, 4096};
                  ::setrlimit(RLIMIT_FSIZE, &limit);
                  return static_cast<int>(run(request(out_path() + u"_:_get_tables_:_")));
              }),
              error_line_written);
    EXPECT_EQ(test::read_file(output_ / "out.txt"), "Erro: 61 - Disk full\r\n");

    big.tables.back().damaged = true;
    engine_->files[u"/db/base.mdb"] = big;
    EXPECT_EQ(run(request(out_path() + u"_:_get_tables_:_")), error_line_written);
    EXPECT_EQ(test::read_file(output_ / "out.txt").substr(0, 11), "Erro: 3049 ");
    EXPECT_EQ(names_in(output_.path()), std::vector<std::string>{"out.txt"}) << "a draft was left behind";
}

// Whatever the spelling, a result path that names the database would destroy it: the request is refused
// before anything is written, also when the request itself failed.
TEST_F(Request, AResultPathNamingTheDatabaseIsRefusedAndTheDatabaseIsUntouched) {
    const std::string database_bytes = "the database's own bytes";
    const std::filesystem::path database = output_.write("base.mdb", database_bytes);
    std::filesystem::create_hard_link(database, output_ / "hard.mdb");
    std::filesystem::create_symlink(database, output_ / "soft.mdb");
    test::TempFolder config;
    const test::OdbcConfigScope scope(config.path());
    config.write("odbc.ini", "[front_same_file]\nDBQ=" + database.string() + "\n");

    const std::u16string path = u16(database.string());
    const std::u16string folder = u16(output_.path().string());
    struct Case {
        const char* spelling;
        std::u16string data_source;
        std::u16string result;
        bool opens = true;  // false: opening fails (as with a wrong password) and the error line is due
    };
    const Case cases[] = {
        {"a hard link", path, folder + u"/hard.mdb"},
        {"a symbolic link", path, folder + u"/soft.mdb"},
        {"a data source whose file is the result", u"front_same_file", path},
        {"a request that failed, through a hard link", path, folder + u"/hard.mdb", false},
    };
    for (const Case& c : cases) {
        engine_->files.clear();
        if (c.opens) engine_->files[path] = sample_database();
        EXPECT_EQ(run(request(c.result + u"_:_get_tables_:_", c.data_source)), nothing_written) << c.spelling;
    }
    EXPECT_EQ(test::read_file(database), database_bytes);
    EXPECT_EQ(names_in(output_.path()), (std::vector<std::string>{"base.mdb", "hard.mdb", "soft.mdb"}));
    EXPECT_FALSE(std::filesystem::exists(program_ / "error.log"));
}

TEST_F(Request, AResultIsReplacedWholeAndASymbolicLinkKeepsPointingAtTheFileItReplaces) {
    const std::filesystem::path target = output_.write("target.txt", std::string(5000, 'x'));
    std::filesystem::create_symlink("target.txt", output_ / "link.txt");
    ASSERT_EQ(::chmod(target.c_str(), 0604), 0);
    const mode_t old_mask = ::umask(027);
    EXPECT_EQ(run(request(u16((output_ / "link.txt").string()) + u"_:_get_relations")), result_written);
    EXPECT_EQ(run(request(out_path() + u"_:_get_relations")), result_written);
    ::umask(old_mask);
    EXPECT_TRUE(std::filesystem::is_symlink(output_ / "link.txt"));
    EXPECT_EQ(test::result_text(target), relation);
    struct stat replaced {
    }, created{};
    ASSERT_EQ(::stat(target.c_str(), &replaced), 0);
    EXPECT_EQ(replaced.st_mode & 0777, 0604u) << "a replaced result keeps its permissions";
    ASSERT_EQ(::stat((output_ / "out.txt").c_str(), &created), 0);
    EXPECT_EQ(created.st_mode & 0777, 0640u) << "a new result gets what a plain create would give it";
    EXPECT_EQ(names_in(output_.path()), (std::vector<std::string>{"link.txt", "out.txt", "target.txt"}));
}

// A FIFO is written directly, but one nobody reads must not block the request for ever.
TEST_F(Request, AFifoWithoutAReaderFailsAtOnceInsteadOfBlocking) {
    const std::filesystem::path fifo = output_ / "out.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(
        in_child([&] { return static_cast<int>(run(request(u16(fifo.string()) + u"_:_get_relations"))); }),
        nothing_written);
}

// A core file would hold the password.
TEST_F(Request, APasswordMakesTheProcessNonDumpable) {
    EXPECT_EQ(in_child([&] {
                  run(request(out_path() + u"_:_get_relations"));
                  return ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0);
              }),
              0);
}

}  // namespace
}  // namespace qz::front_end
