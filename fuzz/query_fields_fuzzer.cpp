// Saved queries compiled against a small catalog, both described by the input (the format is in
// fuzz_regressions/query_input.hpp). Every ending is sound: the fields, or a numbered error.

#include "fuzz_input.hpp"
#include "fuzz_regressions/query_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)qz::query::InputCatalog(qz::fuzz::input_text(data, size)).compile_all();
    return 0;
}
