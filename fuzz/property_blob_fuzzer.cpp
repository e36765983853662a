// A property blob (the LvProp long value of a catalog row) from arbitrary bytes: one byte whose low bit
// chooses the Jet 3 layout, the code page as two little-endian bytes (a file may claim any), then the blob.
// Every value the parser returns is turned into listing text, as a field's properties are.

#include <span>

#include "catalog/listings/value_text.hpp"
#include "fuzz_input.hpp"
#include "platform/error.hpp"
#include "platform/locale/date_text.hpp"
#include "platform/reader/system_tables/property_blob.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return -1;  // not an input of this target's shape; keep it out of the corpus
    static const qz::locale::DateText dates("C");
    const std::span<const std::uint8_t> blob(data + 3, size - 3);
    try {
        for (const auto& map : qz::jet::parse_property_blob(qz::jet::ByteView(blob, u"/fuzz/properties"),
                                                            (data[0] & 1) != 0,
                                                            static_cast<unsigned>(data[1] | data[2] << 8))) {
            for (const auto& entry : map.entries) (void)qz::listings::variant_text(entry.value, dates);
        }
    } catch (const qz::Error& error) {
        if (error.number() == 0 || error.description().empty()) __builtin_trap();
    }
    return 0;
}
