#include "platform/odbc/odbcinst_functions.hpp"

#include "platform/shared_library.hpp"

namespace qz::odbc {
namespace {

OdbcinstFunctions load_odbcinst() {
    const SharedLibrary library("libodbcinst.so.2");
    OdbcinstFunctions functions{};
    functions.SQLSetConfigMode = library.function<decltype(functions.SQLSetConfigMode)>("SQLSetConfigMode");
    functions.SQLGetPrivateProfileString =
        library.function<decltype(functions.SQLGetPrivateProfileString)>("SQLGetPrivateProfileString");
    functions.odbcinst_system_file_path =
        library.function<decltype(functions.odbcinst_system_file_path)>("odbcinst_system_file_path");
    functions.odbcinst_system_file_name =
        library.function<decltype(functions.odbcinst_system_file_name)>("odbcinst_system_file_name");
    return functions;
}

}  // namespace

const OdbcinstFunctions& odbcinst() {
    static const OdbcinstFunctions functions = load_odbcinst();
    return functions;
}

}  // namespace qz::odbc
