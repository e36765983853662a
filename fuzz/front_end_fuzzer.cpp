// The request road from the process arguments to the result file. Input: the arguments as a process gets
// them, separated by NUL bytes. The output path the request names (element 9) is read as the program reads
// it and then replaced by a file in a private folder, so that no input can write elsewhere; the database is
// one the engine holds in memory under the name "/fuzz/catalog.mdb". A request must end with a result file
// or the error line, and never in the internal-error line that stands for an exception of the wrong kind.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_input.hpp"
#include "odbc_access/exe/command_line.hpp"
#include "odbc_access/exe/front_end.hpp"
#include "support/memory_engine.hpp"

namespace {

constexpr std::size_t max_arguments = 16;
constexpr std::u16string_view element_separator = u"_:_";

std::filesystem::path private_folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qz-fuzz-front-end.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) __builtin_trap();
    return pattern;
}

qz::test::MemoryEngine engine_with_catalog() {
    using namespace qz::test;
    MemoryField id{u"ID", 4, 4, 17, 1033, 0, {}, true, false, {}, {{u"Caption", std::u16string(u"Código")}, {u"DecimalPlaces", std::int64_t{255}}}};
    MemoryField name{u"Nome", 10, 50, 2, 1033, 1, std::u16string(u"\"x\""), false, true, {}, {}};
    MemoryField when{u"Quando", 8, 8, 1, 1033, 2, qz::engine::OleDate{45000.5}, false, false, {}, {}};
    MemoryDatabase database;
    database.tables.push_back({u"Clientes", 0, {45000.25}, {45001.75}, {id, name, when},
                               {{u"PrimaryKey", u"+ID", true, true, false, true, true, false}}, false});
    database.tables.push_back({u"MSysObjects", -2147483646, {}, {}, {id}, {}, false});
    database.queries.push_back({u"Consulta", {45000}, {45002}, {name, when}});
    MemoryField link = id;
    link.foreign_name = u"ClienteID";
    database.relations.push_back({u"ClientesPedidos", u"Clientes", u"Pedidos", 4352, {link}});
    MemoryEngine engine;
    engine.files.emplace(u"/fuzz/catalog.mdb", std::move(database));
    return engine;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path folder = private_folder();
    static const std::filesystem::path result = folder / "result.txt";

    std::vector<std::string> arguments{"qz_odbc_access"};
    std::string_view rest = qz::fuzz::input_text(data, size);
    while (!rest.empty() && arguments.size() <= max_arguments) {
        const auto [argument, after] = qz::fuzz::split_once(rest, '\0');
        arguments.emplace_back(argument);
        rest = after;
    }
    std::vector<const char*> argv;
    for (const auto& argument : arguments) argv.push_back(argument.c_str());

    std::u16string request = qz::front_end::command_text(static_cast<int>(argv.size()), argv.data());
    const qz::front_end::Elements elements(request);
    if (elements.size() > 9) {
        (void)qz::front_end::output_path_text(elements.at(9));
        std::u16string confined;
        for (std::size_t i = 0; i < elements.size(); ++i) {
            if (i > 0) confined += element_separator;
            confined += i == 9 ? result.u16string() : elements.at(i);
        }
        request = confined;
    }

    std::filesystem::remove(result);
    std::filesystem::remove(folder / "error.log");
    const auto status = qz::front_end::run_request(request, folder, std::make_shared<qz::test::MemoryEngine>(engine_with_catalog()));
    if (status == qz::front_end::nothing_written) __builtin_trap();  // the private folder is always writable

    std::ifstream written(elements.size() > 9 ? result : folder / "error.log", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(written), {}};
    // Only the number tells: the description may quote any text of the request.
    if (bytes.rfind("Erro: 51 - ", 0) == 0) __builtin_trap();
    return 0;
}
