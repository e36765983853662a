#pragma once
// The functions of unixODBC's libodbcinst that reading the ODBC configuration calls, loaded on first use:
// only requests that name a data source or a driver need them. Types come from unixODBC's own header; each
// member bears the name of the function it points to.

#include <odbcinst.h>

extern "C" {
// libodbcinst's own answers to where its configuration files are (odbcinstext.h declares them; that header
// is not meant for clients). Each fills `buffer` (at least 4096 bytes) and returns it.
char* odbcinst_system_file_path(char* buffer);
char* odbcinst_system_file_name(char* buffer);
}

namespace qz::odbc {

struct OdbcinstFunctions {
    decltype(&::SQLSetConfigMode) SQLSetConfigMode;
    decltype(&::SQLGetPrivateProfileString) SQLGetPrivateProfileString;
    decltype(&::odbcinst_system_file_path) odbcinst_system_file_path;
    decltype(&::odbcinst_system_file_name) odbcinst_system_file_name;
};

// libodbcinst.so.2's functions, loaded once per process (safely from any thread). Throws qz::Error 48 when
// the library cannot be loaded and 453 when it lacks one of the functions; the next call tries again.
const OdbcinstFunctions& odbcinst();

}  // namespace qz::odbc
