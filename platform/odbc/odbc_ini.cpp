#include "platform/odbc/odbc_ini.hpp"

#include <odbcinst.h>

#include <array>
#include <string>

namespace qz::odbc {
namespace {

// Long enough to see that a value reaches the reader's limit, which the caller then applies.
constexpr int lookup_buffer_size = 4096;

// libodbcinst keeps its configuration mode per process; this puts it back to its default when the read ends.
class ConfigModeScope {
public:
    explicit ConfigModeScope(UWORD mode) { SQLSetConfigMode(mode); }
    ~ConfigModeScope() { SQLSetConfigMode(ODBC_BOTH_DSN); }
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
    const int length = SQLGetPrivateProfileString(section_text.c_str(), key_text.c_str(), "", buffer.data(),
                                                  static_cast<int>(buffer.size()), file_name);
    if (length <= 0) return {};
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

}  // namespace qz::odbc
