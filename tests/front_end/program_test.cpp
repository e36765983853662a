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
        std::filesystem::copy_file(test::program_path(), program_);
        std::filesystem::permissions(program_, std::filesystem::perms::owner_all);
        folder_.write("odbc.ini", "[prog_text]\nDBQ=" + (folder_ / "notes.mdb").string() + "\n");
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

    // A request for the tables of `data_source`, answered in `result` (out.txt of the test's folder).
    std::string request(const std::string& data_source, const std::string& result = "") const {
        return data_source + "_:_user_:__:_|_:_;_:_=_:_,_:_&_:_:_:_" +
               (result.empty() ? (folder_ / "out.txt").string() : result) + "_:_get_tables_:_tab";
    }
    std::string unrecognized(const std::string& file) const {
        return "Erro: 3343 - Unrecognized database format '" + file + "'.\r\n";
    }

    test::TempFolder folder_;
    std::filesystem::path program_ = folder_ / "qz_odbc_access";
};

TEST_F(Program, AnswersWhereTheCallerLooks) {
    const std::string spaced = request((folder_ / "my notes.mdb").string());
    const std::string odd = request((folder_ / "\xFF.accdb").string(), (folder_ / "res\xFE.txt").string());
    folder_.write("my notes.mdb", "not a database either");
    folder_.write("\xFF.accdb", "not a database, but the file named");
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        int status;
        std::string file;  // where the answer is expected, in the test's folder
        std::string answer;
    };
    const Case cases[] = {
        {"a file that is no database", {request("prog_text")}, 1, "out.txt",
         unrecognized((folder_ / "notes.mdb").string())},
        {"arguments split by the shell are joined with one blank",
         {spaced.substr(0, spaced.find(' ')), spaced.substr(spaced.find(' ') + 1)}, 1, "out.txt",
         unrecognized((folder_ / "my notes.mdb").string())},
        {"paths that are not UTF-8 name exactly their files", {odd}, 1, "res\xFE.txt",
         unrecognized(folder_.path().string() + "/?.accdb")},
        {"without an output path the log beside the program", {"prog_text_:_user"}, 1, "error.log",
         "Erro: 9 - Subscript out of range\r\n"},
        {"--help", {"--help"}, 0, "stdout.txt", "Usage: qz_odbc_access "},
        {"--version", {"--version"}, 0, "stdout.txt", "qz_odbc_access " QZ_TEST_PROJECT_VERSION "\n"},
        {"--help with more is a request", {"--help", "x"}, 1, "stdout.txt", ""},
        {"--version with a blank is a request", {"--version "}, 1, "stdout.txt", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(status_of(start(c.arguments)), c.status) << c.what;
        const std::string answer = test::read_file(folder_ / c.file);
        EXPECT_EQ(c.answer.empty() ? answer : answer.substr(0, c.answer.size()), c.answer) << c.what;
    }
}

// Twenty requests on one result path, each with a result of another length: the file left must be one of them
// whole, never a mix, and no draft may stay behind.
TEST_F(Program, ConcurrentRequestsOnOneResultPathLeaveOneWholeResult) {
    std::vector<std::string> lines;
    std::vector<std::string> requests;
    for (int i = 0; i < 20; ++i) {
        const std::string name = "no_database" + std::string(static_cast<std::size_t>(i * 7), 'n') + ".mdb";
        requests.push_back(request(folder_.write(name, "text").string()));
        lines.push_back(unrecognized((folder_ / name).string()));
    }
    for (int round = 0; round < 3; ++round) {
        std::vector<pid_t> children;
        for (const std::string& r : requests) children.push_back(start({r}));
        for (const pid_t child : children) EXPECT_EQ(status_of(child), 1);
        const std::string left = test::read_file(folder_ / "out.txt");
        EXPECT_NE(std::find(lines.begin(), lines.end(), left), lines.end()) << "a mix of results: " << left;
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder_.path()))
        EXPECT_NE(entry.path().filename().string().front(), '.') << "a draft was left: " << entry.path();
}

}  // namespace
}  // namespace qz
