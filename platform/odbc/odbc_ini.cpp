#include "platform/odbc/odbc_ini.hpp"

#include <array>
#include <string>

#include "platform/odbc/odbcinst_functions.hpp"

namespace qz::odbc {
namespace {

// libodbcinst reads a line into 1000 bytes (INI_MAX_LINE), its end of line and terminator included, and
// silently drops the rest of a longer line.
constexpr std::size_t longest_whole_line = 997;
// Room for the blanks that may stand around the "=" of a line.
constexpr std::size_t blanks_around_equals = 2;
constexpr int lookup_buffer_size = 1024;

// libodbcinst keeps its configuration mode per process; this puts it back to its default when the read ends.
class ConfigModeScope {
  public:
    explicit ConfigModeScope(UWORD mode) { odbcinst().SQLSetConfigMode(mode); }
    ~ConfigModeScope() { odbcinst().SQLSetConfigMode(ODBC_BOTH_DSN); }
    ConfigModeScope(const ConfigModeScope&) = delete;
    ConfigModeScope& operator=(const ConfigModeScope&) = delete;
};

}  // namespace

std::string read_odbc_ini_value(OdbcIniFile file, std::string_view section, std::string_view key) {
    // libodbcinst would list the sections or keys for an empty name; an empty name names no entry here.
    if (section.empty() || key.empty()) return {};
    const std::string section_text(section);
    const std::string key_text(key);
    const char* file_name = file == OdbcIniFile::drivers ? "odbcinst.ini" : "odbc.ini";
    const ConfigModeScope mode(file == OdbcIniFile::user_data_sources ? ODBC_USER_DSN : ODBC_SYSTEM_DSN);
    std::array<char, lookup_buffer_size> buffer{};
    const int length =
        odbcinst().SQLGetPrivateProfileString(section_text.c_str(), key_text.c_str(), "", buffer.data(),
                                              static_cast<int>(buffer.size()), file_name);
    if (length <= 0) return {};
    const auto value_length = static_cast<std::size_t>(length);
    if (key.size() + 1 + blanks_around_equals + value_length >= longest_whole_line) return {};
    return std::string(buffer.data(), value_length);
}

}  // namespace qz::odbc
