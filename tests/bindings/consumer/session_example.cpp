// Uses the installed C++ classes: the text methods work without a database, a listing without one raises.
#include <catalog/session/qz_cls_odbc_access.hpp>
#include <iostream>
#include <platform/error.hpp>

int main() {
    qz::qz_cls_odbc_access session;
    if (!session.IsUTF8("\xC3\xA9") || session.Encode_UTF8(u"\u00E9") != u"\u00C3\u00A9") return 1;
    try {
        session.get_tables();
    } catch (const qz::Error& error) {
        std::cout << "error " << error.number() << ": " << error.what() << '\n';
        return error.number() == 91 ? 0 : 1;
    }
    return 1;
}
