// Uses the installed C++ classes: the text methods work without a database, a listing without one raises;
// the library names its version.
#include <qz_odbc_access/error.hpp>
#include <qz_odbc_access/qz_cls_odbc_access.hpp>
#include <qz_odbc_access/version.hpp>

#include <iostream>
#include <string_view>

int main() {
    if (std::string_view(qz::version()) != QZ_EXPECTED_VERSION) return 1;
    qz::qz_cls_odbc_access session;
    if (!session.IsUTF8("\xC3\xA9") || session.Encode_UTF8(u"\u00E9") != u"\u00C3\u00A9") return 1;
    try {
        session.get_tables();
    } catch (const qz::Error& error) {
        std::cout << "version " << qz::version() << ", error " << error.number() << ": " << error.what() << '\n';
        return error.number() == qz::error_number::object_not_set ? 0 : 1;
    }
    return 1;
}
