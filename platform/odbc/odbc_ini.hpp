#pragma once
// Reads unixODBC's data-source configuration through libodbcinst, so every setting unixODBC honours
// (ODBCSYSINI, ODBCINI, the configured file locations) is honoured here too.

#include <string>
#include <string_view>

namespace qz::odbc {

// Which configuration file a lookup reads.
enum class OdbcIniFile {
    system_data_sources,  // the system odbc.ini
    user_data_sources,    // the user's .odbc.ini
    drivers,              // odbcinst.ini
};

// The value `key` of the entry `section`, in UTF-8 as the file holds it; empty when the entry or the value
// does not exist, when the value is empty, when libodbcinst cut it (it reads 999 bytes of a line, and a
// cut path would open the wrong file), and when a configuration file is not a regular file (a FIFO would
// block the lookup, /dev/zero would never end it).
std::string read_odbc_ini_value(OdbcIniFile file, std::string_view section, std::string_view key);

}  // namespace qz::odbc
