#pragma once
// A fresh folder for one test, removed with everything in it when the test ends.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

namespace qz::test {

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qz_test_XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

    // Writes `bytes` to the file `name` in the folder and returns its path.
    std::filesystem::path write(std::string_view name, std::string_view bytes) const {
        const std::filesystem::path file = path_ / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

  private:
    std::filesystem::path path_;
};

// The whole content of a file; empty when it does not exist.
inline std::string read_file(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in) return {};
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// Sets an environment variable for as long as it lives.
class EnvironmentScope {
  public:
    EnvironmentScope(const char* name, const std::string& value) : name_(name) {
        if (const char* saved = ::getenv(name)) saved_ = saved;
        ::setenv(name, value.c_str(), 1);
    }
    ~EnvironmentScope() { saved_ ? ::setenv(name_, saved_->c_str(), 1) : ::unsetenv(name_); }
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;

  private:
    const char* name_;
    std::optional<std::string> saved_;
};

// Points unixODBC at configuration files in `folder` (odbc.ini and odbcinst.ini there, the user's file
// user.ini) for as long as it lives, so tests never read the machine's configuration. libodbcinst keeps
// what it read for a while under the entry's name, so each test uses data-source names of its own.
class OdbcConfigScope {
  public:
    explicit OdbcConfigScope(const std::filesystem::path& folder)
        : system_("ODBCSYSINI", folder.string()), user_("ODBCINI", (folder / "user.ini").string()) {}

  private:
    EnvironmentScope system_;
    EnvironmentScope user_;
};

}  // namespace qz::test
