#include "platform/odbc/odbc_ini.hpp"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/odbc/odbcinst_functions.hpp"

namespace qz::odbc {
namespace {

// libodbcinst reads a line with a buffer of 1000 bytes (INI_MAX_LINE), so at most 999 characters of it, and
// silently drops the rest of a longer line.
constexpr std::size_t longest_line_read = 999;
// Blanks a line may hold around its "=" and at its end; a line padded with more is not expected.
constexpr std::size_t blank_allowance = 64;
constexpr int lookup_buffer_size = 1024;
constexpr std::size_t path_buffer_size = 4096;

// libodbcinst keeps its configuration mode per process; this puts it back to its default when the read ends.
class ConfigModeScope {
  public:
    explicit ConfigModeScope(UWORD mode) { odbcinst().SQLSetConfigMode(mode); }
    ~ConfigModeScope() { odbcinst().SQLSetConfigMode(ODBC_BOTH_DSN); }
    ConfigModeScope(const ConfigModeScope&) = delete;
    ConfigModeScope& operator=(const ConfigModeScope&) = delete;
};

std::string system_folder() {
    std::array<char, path_buffer_size> buffer{};
    const char* folder = odbcinst().odbcinst_system_file_path(buffer.data());
    return folder == nullptr ? std::string{} : std::string(folder);
}

// The files libodbcinst opens for a lookup in `file`: the system folder (ODBCSYSINI, else the one built in)
// for the system files; for the user's, the home folder's .odbc.ini and ODBCINI where it is set.
std::vector<std::string> files_read_for(OdbcIniFile file) {
    switch (file) {
        case OdbcIniFile::system_data_sources:
            return {system_folder() + "/odbc.ini"};
        case OdbcIniFile::drivers: {
            std::array<char, path_buffer_size> name{};
            const char* file_name = odbcinst().odbcinst_system_file_name(name.data());
            return {system_folder() + "/" + (file_name == nullptr ? "odbcinst.ini" : file_name)};
        }
        case OdbcIniFile::user_data_sources: {
            std::vector<std::string> files;
            if (const char* named = std::getenv("ODBCINI"); named != nullptr && *named != '\0')
                files.emplace_back(named);
            if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr)
                files.push_back(std::string(user->pw_dir) + "/.odbc.ini");
            if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
                files.push_back(std::string(home) + "/.odbc.ini");
            return files;
        }
    }
    return {};
}

// libodbcinst reads its files with ordinary blocking reads to their end: a FIFO would block the lookup for
// ever and /dev/zero would never end. Only regular files (or none, which reads as empty) are let through.
bool only_regular_files(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        struct stat status {};
        if (::stat(file.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) return false;
    }
    return true;
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Whether `file` holds `value` whole at the end of a line short enough for libodbcinst to read entirely:
// "key = value", blanks allowed around "=" and at the end.
bool held_whole(const std::string& file, const std::string& value) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > longest_line_read) continue;
        std::size_t end = line.size();
        while (end > 0 && is_blank(line[end - 1])) --end;
        if (end < value.size() || line.compare(end - value.size(), value.size(), value) != 0) continue;
        std::size_t before = end - value.size();
        while (before > 0 && is_blank(line[before - 1])) --before;
        if (before > 0 && line[before - 1] == '=') return true;
    }
    return false;
}

}  // namespace

std::string read_odbc_ini_value(OdbcIniFile file, std::string_view section, std::string_view key) {
    // libodbcinst would list the sections or keys for an empty name; an empty name names no entry here.
    if (section.empty() || key.empty()) return {};
    const std::vector<std::string> files = files_read_for(file);
    if (!only_regular_files(files)) return {};
    const std::string section_text(section);
    const std::string key_text(key);
    const char* file_name = file == OdbcIniFile::drivers ? "odbcinst.ini" : "odbc.ini";
    const ConfigModeScope mode(file == OdbcIniFile::user_data_sources ? ODBC_USER_DSN : ODBC_SYSTEM_DSN);
    std::array<char, lookup_buffer_size> buffer{};
    const int length =
        odbcinst().SQLGetPrivateProfileString(section_text.c_str(), key_text.c_str(), "", buffer.data(),
                                              static_cast<int>(buffer.size()), file_name);
    if (length <= 0) return {};
    std::string value(buffer.data(), static_cast<std::size_t>(length));
    // A value that ends where libodbcinst stops reading a line may have been cut there, and a cut path would
    // open the wrong file: it counts only when the file shows it whole. Shorter values are whole.
    if (key.size() + 1 + value.size() + blank_allowance >= longest_line_read) {
        bool whole = false;
        for (const std::string& candidate : files) whole = whole || held_whole(candidate, value);
        if (!whole) return {};
    }
    return value;
}

}  // namespace qz::odbc
