// A schema made from the input by the round-trip property test's generator, written by the project's writer
// in any format, perhaps protected by a Jet password, then damaged at the structures the listings read (each
// damage picks a kind of page by its type byte and owner, an offset and a new value, or cuts the file short
// as a failed transfer leaves it), and read by every listing. Whole-file mutation mostly lands on data pages
// no listing reads; here each input is a valid file of a new shape plus a few aimed damages.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "fuzz_input.hpp"
#include "memory_file.hpp"
#include "platform/text/code_page.hpp"
#include "tests/writer/random_schema.hpp"

namespace {

using namespace qz::writer;

// Page type bytes and the owner field of a data page (its table definition's page number).
constexpr std::uint8_t data_page = 0x01, definition_page = 0x02, index_pages[] = {0x03, 0x04},
                       usage_page = 0x05;
constexpr std::size_t owner_offset = 4;
constexpr std::uint32_t catalog_definition_page = 2;

// Damages a page of the chosen kind: the catalog's rows and property blobs (data pages of the catalog's
// table), other data pages, table definitions, index pages, usage maps, or any page; or cuts the file.
void damage(std::vector<std::uint8_t>& file, std::size_t page_size, FuzzedDataProvider& in) {
    const auto kind = in.ConsumeIntegralInRange(0, 6);
    if (kind == 6) return file.resize(in.ConsumeIntegralInRange<std::size_t>(0, file.size()));
    std::vector<std::size_t> candidates;
    for (std::size_t p = 1; p < file.size() / page_size; ++p) {
        const std::uint8_t* page = file.data() + p * page_size;
        std::uint32_t owner = 0;
        for (std::size_t b = 4; b-- > 0;) owner = owner << 8 | page[owner_offset + b];
        const bool fits = kind == 0   ? page[0] == data_page && owner == catalog_definition_page
                          : kind == 1 ? page[0] == data_page && owner != catalog_definition_page
                          : kind == 2 ? page[0] == definition_page
                          : kind == 3 ? page[0] == index_pages[0] || page[0] == index_pages[1]
                          : kind == 4 ? page[0] == usage_page
                                      : true;
        if (fits) candidates.push_back(p);
    }
    if (candidates.empty()) return;
    const std::size_t page = candidates[in.ConsumeIntegralInRange<std::size_t>(0, candidates.size() - 1)];
    // Headers and row offsets sit in the first bytes of a page; rows and keys anywhere after them.
    const std::size_t within = in.ConsumeBool() ? in.ConsumeIntegralInRange<std::size_t>(0, 63)
                                                : in.ConsumeIntegralInRange<std::size_t>(0, page_size - 1);
    std::uint8_t* at = file.data() + page * page_size + within;
    switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0:
            *at ^= in.ConsumeIntegralInRange<std::uint8_t>(1, 255);
            break;
        case 1:
            *at = in.PickValueInArray<std::uint8_t>({0x00, 0x01, 0x7F, 0x80, 0xFF});
            break;
        default:  // a 16-bit count or offset set to an edge
            if (within + 1 < page_size) {
                const std::uint16_t edge = in.PickValueInArray<std::uint16_t>(
                    {0, 1, 0x7FFF, 0xFFFF, static_cast<std::uint16_t>(page_size),
                     static_cast<std::uint16_t>(page_size - 1)});
                at[0] = static_cast<std::uint8_t>(edge);
                at[1] = static_cast<std::uint8_t>(edge >> 8);
            }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    Schema schema = random_schema::Generator([&in](std::size_t n) {
                        return in.ConsumeIntegralInRange<std::size_t>(0, n - 1);
                    }).schema();
    if ((schema.format == Format::jet3 || schema.format == Format::jet4) && in.ConsumeBool()) {
        schema.password = qz::text::utf8_to_utf16(in.ConsumeRandomLengthString(8));
        schema.encoding_key = in.ConsumeIntegral<std::uint32_t>();
    }
    std::vector<std::uint8_t> file;
    try {
        file = build_database(schema);
    } catch (const std::exception&) {
        return 0;  // a password the writer refuses: nothing to read
    }
    const std::size_t page_size = schema.format == Format::jet3 ? 2048 : 4096;
    for (std::size_t d = in.ConsumeIntegralInRange<std::size_t>(0, 3); d > 0; --d)
        damage(file, page_size, in);

    qz::fuzz::list_everything(qz::fuzz::MemoryFile(qz::fuzz::input_text(file.data(), file.size())),
                              qz::text::utf16_to_utf8(schema.password));
    return 0;
}
