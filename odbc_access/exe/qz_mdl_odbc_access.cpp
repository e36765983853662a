// The program: one request per process, read from the arguments, answered in the result file.

#include <memory>

#include "catalog/session/default_engine.hpp"
#include "odbc_access/exe/command_line.hpp"
#include "odbc_access/exe/front_end.hpp"
#include "platform/files/program_folder.hpp"

int main(int argc, char** argv) {
    return qz::front_end::run_request(qz::front_end::command_text(argc, argv), qz::files::program_folder(),
                                      qz::default_engine());
}
