// A property blob (the LvProp long value of a catalog row) from arbitrary bytes. Input: one byte whose low
// bit chooses the Jet 3 layout, the code page as two little-endian bytes (a file may claim any), then the
// blob. Every value the parser returns is turned into listing text, as a field's properties are.

#include <cstdint>
#include <span>
#include <string>

#include "catalog/listings/value_text.hpp"
#include "fuzz_input.hpp"
#include "platform/error.hpp"
#include "platform/locale/date_text.hpp"
#include "platform/reader/system_tables/property_blob.hpp"

namespace {

const std::u16string blob_path = u"/fuzz/properties";
const qz::locale::DateText dates("C");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return -1;  // not an input of this target's shape; keep it out of the corpus
    const bool jet3 = (data[0] & 1) != 0;
    const unsigned code_page = static_cast<unsigned>(data[1] | (data[2] << 8));
    const std::span<const std::uint8_t> blob(data + 3, size - 3);
    try {
        for (const auto& map :
             qz::jet::parse_property_blob(qz::jet::ByteView(blob, blob_path), jet3, code_page)) {
            for (const auto& entry : map.entries) (void)qz::listings::variant_text(entry.value, dates);
        }
    } catch (const qz::Error& error) {
        if (error.number() == 0 || error.description().empty()) __builtin_trap();
    }
    return 0;
}
