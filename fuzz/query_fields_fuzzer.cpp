// Saved queries compiled against a small catalog, both described by the input (the format is in
// fuzz_regressions/query_input.hpp), through resolve_query_fields: the row model, the SQL tokenizer and
// expression parser, field typing, nesting, name lookup and the reuse of queries compiled before.

#include <cstdint>

#include "fuzz_input.hpp"
#include "fuzz_regressions/query_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Every ending is sound here: the fields, or a numbered error for rows that do not compile.
    (void)qz::query::InputCatalog(qz::fuzz::input_text(data, size)).compile_all();
    return 0;
}
