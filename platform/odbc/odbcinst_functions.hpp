#pragma once
// The functions of unixODBC's libodbcinst that reading the ODBC configuration calls, loaded on first use:
// only requests that name a data source or a driver need them. Types come from unixODBC's own header; each
// member bears the name of the function it points to.

#include <odbcinst.h>

namespace qz::odbc {

struct OdbcinstFunctions {
    decltype(&::SQLSetConfigMode) SQLSetConfigMode;
    decltype(&::SQLGetPrivateProfileString) SQLGetPrivateProfileString;
};

// libodbcinst.so.2's functions, loaded once per process (safely from any thread). Throws qz::Error 48 when
// the library cannot be loaded and 453 when it lacks one of the functions; the next call tries again.
const OdbcinstFunctions& odbcinst();

}  // namespace qz::odbc
