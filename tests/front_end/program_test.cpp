// The built program as a caller starts it: a separate process, the request as its argument text.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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
    }

    // Runs the program with `arguments`, its standard output going to stdout.txt in the test's folder; its
    // exit status, or -1.
    int run(const std::vector<std::string>& arguments) const {
        const pid_t child = ::fork();
        if (child == 0) {
            const int out = ::open((folder_ / "stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(out, STDOUT_FILENO);
            std::vector<char*> argv{const_cast<char*>(program_.c_str())};
            for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            ::execv(program_.c_str(), argv.data());
            ::_exit(127);
        }
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

// A byte that is not UTF-8 is carried as U+DC80 + byte and turned back into the same byte, so a path holding
// one names the file the caller named: here a lone byte, an overlong "/", a surrogate and a value past
// U+10FFFF, beside valid two- and four-byte sequences.
TEST_F(Program, AnswersWhereTheCallerLooks) {
    const std::string spaced = request((folder_ / "my notes.mdb").string());
    const std::string odd_name = "\xFF\xC0\xAF\xED\xB3\xBF\xF4\x90\x80\x80\xC3\xB3\xF0\x9F\x98\x80.accdb";
    const std::string odd = request((folder_ / odd_name).string(), (folder_ / "res\xFE.txt").string());
    folder_.write("my notes.mdb", "not a database either");
    folder_.write(odd_name, "not a database, but the file named");
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        int status;
        std::string file;  // where the answer is expected, in the test's folder
        std::string answer;
    };
    const Case cases[] = {
        {"arguments split by the shell are joined with one blank",
         {spaced.substr(0, spaced.find(' ')), spaced.substr(spaced.find(' ') + 1)}, 1, "out.txt",
         unrecognized((folder_ / "my notes.mdb").string())},
        {"paths that are not UTF-8 name exactly their files", {odd}, 1, "res\xFE.txt",
         "Erro: 3343 - Unrecognized database format '" + folder_.path().string() + "/"},
        {"without an output path the log beside the program", {"prog_text_:_user"}, 1, "error.log",
         "Erro: 9 - Subscript out of range\r\n"},
        {"--help", {"--help"}, 0, "stdout.txt", "Usage: qz_odbc_access "},
        {"--version", {"--version"}, 0, "stdout.txt", "qz_odbc_access " QZ_TEST_PROJECT_VERSION "\n"},
        {"--help with more is a request", {"--help", "x"}, 1, "stdout.txt", ""},
        {"--version with a blank is a request", {"--version "}, 1, "stdout.txt", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.arguments), c.status) << c.what;
        const std::string answer = test::read_file(folder_ / c.file);
        EXPECT_EQ(c.answer.empty() ? answer : answer.substr(0, c.answer.size()), c.answer) << c.what;
    }
}

}  // namespace
}  // namespace qz
