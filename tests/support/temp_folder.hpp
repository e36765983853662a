#pragma once
// A fresh folder for one test, removed with everything in it when the test ends.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
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

// Points unixODBC at configuration files in `folder` (odbc.ini and odbcinst.ini there, the user's file
// user.ini) for as long as it lives, so tests never read the machine's configuration. libodbcinst keeps
// what it read for a while under the entry's name, so each test uses data-source names of its own.
class OdbcConfigScope {
  public:
    explicit OdbcConfigScope(const std::filesystem::path& folder) {
        remember("ODBCSYSINI", saved_sysini_);
        remember("ODBCINI", saved_ini_);
        ::setenv("ODBCSYSINI", folder.c_str(), 1);
        ::setenv("ODBCINI", (folder / "user.ini").c_str(), 1);
    }
    ~OdbcConfigScope() {
        restore("ODBCSYSINI", saved_sysini_);
        restore("ODBCINI", saved_ini_);
    }
    OdbcConfigScope(const OdbcConfigScope&) = delete;
    OdbcConfigScope& operator=(const OdbcConfigScope&) = delete;

  private:
    struct Saved {
        bool present = false;
        std::string value;
    };
    static void remember(const char* name, Saved& saved) {
        const char* value = ::getenv(name);
        saved.present = value != nullptr;
        if (value != nullptr) saved.value = value;
    }
    static void restore(const char* name, const Saved& saved) {
        if (saved.present) {
            ::setenv(name, saved.value.c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }
    Saved saved_sysini_;
    Saved saved_ini_;
};

}  // namespace qz::test
