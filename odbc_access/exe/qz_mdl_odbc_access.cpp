// The program: one request per process, read from the arguments, answered in the result file.

#include <cstdio>
#include <memory>

#include "catalog/session/default_engine.hpp"
#include "odbc_access/exe/command_line.hpp"
#include "odbc_access/exe/front_end.hpp"
#include "platform/files/program_folder.hpp"

namespace {

// For people at a terminal. No request is either of these: a request has at least ten elements.
constexpr const char* usage =
    "Usage: qz_odbc_access "
    "'SOURCE_:_USER_:_PASSWORD_:_S1_:_S2_:_S3_:_S4_:_S5_:_S6_:_RESULT_:_COMMAND_:_ARGUMENT'\n"
    "\n"
    "Lists the catalog of a Microsoft Access database (.mdb, .accdb) into the file RESULT, as UTF-16 text.\n"
    "SOURCE is a database file or a data source of the system odbc.ini; S1 to S6 are the separators of the\n"
    "listing; COMMAND is get_tables, get_fields, get_indexes, get_relations, get_querys or "
    "get_fields_query.\n"
    "A failure leaves one error line in RESULT instead. See qz_odbc_access(1).\n";

}  // namespace

int main(int argc, char** argv) {
    const std::u16string text = qz::front_end::command_text(argc, argv);
    if (text == u"--help" || text == u"--version") {
        std::fputs(text == u"--help" ? usage : "qz_odbc_access " QZ_ODBC_ACCESS_VERSION "\n", stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    return qz::front_end::run_request(text, qz::files::program_folder(),
                                      qz::default_engine());
}
