// A schema decoded from the input, written by the project's writer in any format, then damaged at the
// structures the listings read, and read by every listing. Whole-file mutation mostly lands on data pages no
// listing reads; here each input is a valid file of a new shape plus a few aimed damages. The file must never
// crash the reader, and every listing must end in its text or a numbered error.
//
// Input, read front to back by FuzzedDataProvider: format, tables (columns, indexes, flags, properties),
// relationships, saved queries (select queries, or query rows of any attribute), a Jet password, then the
// damages: each picks a kind of page by its type byte and owner, an offset and a new value, or cuts the file
// short as a failed transfer leaves it.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_input.hpp"
#include "memory_file.hpp"
#include "mutation/every_listing.hpp"
#include "text/utf8_methods.hpp"
#include "writer/access_writer.hpp"

namespace {

using namespace qz::writer;

constexpr std::size_t listed_per_kind = 8;
constexpr ColumnType column_types[] = {ColumnType::boolean,      ColumnType::byte,      ColumnType::integer,
                                       ColumnType::long_integer, ColumnType::currency,  ColumnType::single,
                                       ColumnType::double_float, ColumnType::date_time, ColumnType::binary,
                                       ColumnType::text,         ColumnType::ole,       ColumnType::memo,
                                       ColumnType::guid,         ColumnType::decimal};
constexpr const char16_t* property_names[] = {u"Description",     u"DefaultValue",      u"DecimalPlaces",
                                              u"Format",          u"Required",          u"Caption",
                                              u"AllowZeroLength", u"UnicodeCompression"};

class Decoder {
  public:
    Decoder(const std::uint8_t* data, std::size_t size) : in_(data, size) {}

    Schema schema() {
        s_.format = in_.PickValueInArray({Format::jet3, Format::jet4, Format::ace12, Format::ace14});
        for (std::size_t t = count(1, 4); t > 0; --t) s_.tables.push_back(table());
        for (std::size_t r = count(0, 3); r > 0; --r) relationship();
        for (std::size_t q = count(0, 3); q > 0; --q) s_.queries.push_back(query());
        if ((s_.format == Format::jet3 || s_.format == Format::jet4) && in_.ConsumeBool()) {
            s_.password = text(8);
            s_.encoding_key = in_.ConsumeIntegral<std::uint32_t>();
        }
        return s_;
    }

    FuzzedDataProvider& rest() { return in_; }

  private:
    std::size_t count(std::size_t least, std::size_t most) { return in_.ConsumeIntegralInRange(least, most); }
    template <class Item>
    const Item& any(const std::vector<Item>& items) {
        return items[count(0, items.size() - 1)];
    }

    // Short text from the input, read as UTF-8; a name the writer refuses rejects the input.
    std::u16string text(std::size_t most) {
        std::u16string out;
        qz::text::UTF8toUTF16(in_.ConsumeRandomLengthString(most), out);
        return out;
    }
    std::u16string name(char16_t first) {
        std::u16string n = text(12);
        return n.empty() ? std::u16string{first, static_cast<char16_t>(u'0' + names_++ % 10)} : n;
    }

    Property property() {
        const std::u16string key = in_.PickValueInArray(property_names);
        switch (count(0, 3)) {
            case 0:
                return Property::text(key, text(20));
            case 1:
                return Property::memo(key, text(40));
            case 2:
                return Property::boolean(key, in_.ConsumeBool());
            default:
                return Property::byte(key, in_.ConsumeIntegral<std::uint8_t>());
        }
    }

    Column column() {
        Column c = qz::writer::column(name(u'c'), in_.PickValueInArray(column_types),
                                      in_.ConsumeIntegralInRange<std::uint16_t>(0, 300));
        const auto flags = in_.ConsumeIntegral<std::uint8_t>();
        c.auto_number = flags & 0x01;
        c.fixed_length = flags & 0x02;
        c.hyperlink = flags & 0x04;
        c.unicode_compression = flags & 0x08;
        if (flags & 0x10) c.complex = (flags & 0x20) ? ComplexKind::attachment : ComplexKind::multi_value;
        if (flags & 0x40) c.expression = text(16);
        c.precision = in_.ConsumeIntegralInRange<std::uint8_t>(1, 28);
        c.scale = in_.ConsumeIntegralInRange<std::uint8_t>(0, c.precision);
        for (std::size_t p = count(0, 3); p > 0; --p) c.properties.push_back(property());
        return c;
    }

    Table table() {
        Table t{name(u'T')};
        for (std::size_t c = count(1, 8); c > 0; --c) t.columns.push_back(column());
        for (std::size_t i = count(0, 3); i > 0; --i) {
            Index& index = t.indexes.emplace_back(Index{name(u'I')});
            index.primary = in_.ConsumeBool();
            index.unique = in_.ConsumeBool();
            index.ignore_nulls = in_.ConsumeBool();
            index.required = in_.ConsumeBool();
            for (std::size_t k = count(1, 3); k > 0; --k)
                index.columns.push_back({any(t.columns).name, in_.ConsumeBool()});
        }
        const auto flags = in_.ConsumeIntegral<std::uint8_t>();
        t.hidden = flags & 0x01;
        t.system = flags & 0x02;
        if (flags & 0x04) t.properties.push_back(property());
        return t;
    }

    void relationship() {
        const Table& primary = any(s_.tables);
        const Table& foreign = any(s_.tables);
        Relationship& r = s_.relationships.emplace_back(Relationship{name(u'R'), primary.name, foreign.name});
        r.attributes = in_.ConsumeIntegral<std::uint32_t>();
        for (std::size_t k = count(1, 2); k > 0; --k)
            r.columns.emplace_back(any(primary.columns).name, any(foreign.columns).name);
    }

    Query query() {
        if (in_.ConsumeBool()) {
            const Table& from = any(s_.tables);
            std::vector<std::u16string> columns;
            for (std::size_t c = count(0, 3); c > 0; --c)
                columns.push_back(u"[" + from.name + u"].[" + any(from.columns).name + u"]");
            std::optional<std::u16string> where;
            if (in_.ConsumeBool()) where = text(24);
            return Query::select(name(u'Q'), {from.name}, columns, where);
        }
        // Rows of any attribute, flag and text: the query row model and the SQL the listings rebuild.
        Query q{name(u'Q'), in_.ConsumeIntegral<std::uint8_t>()};
        for (std::size_t r = count(0, 6); r > 0; --r) {
            QueryRow& row = q.rows.emplace_back(QueryRow{in_.ConsumeIntegralInRange<std::uint8_t>(1, 11)});
            if (in_.ConsumeBool()) row.flag = in_.ConsumeIntegral<std::int16_t>();
            if (in_.ConsumeBool()) row.name1 = text(12);
            if (in_.ConsumeBool()) row.name2 = text(12);
            if (in_.ConsumeBool()) row.expression = text(40);
        }
        return q;
    }

    FuzzedDataProvider in_;
    Schema s_;
    unsigned names_ = 0;
};

// Page type bytes and the owner field of a data page (its table definition's page number).
constexpr std::uint8_t data_page = 0x01, definition_page = 0x02, index_pages[] = {0x03, 0x04},
                       usage_page = 0x05;
constexpr std::size_t owner_offset = 4;
constexpr std::uint32_t catalog_definition_page = 2;

// Damages a few bytes of a page of the chosen kind: the catalog's rows and property blobs (data pages of the
// catalog's table), other data pages, table definitions, index pages, usage maps, or any page; or cuts the
// file at any byte.
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
    Decoder decoder(data, size);
    const Schema schema = decoder.schema();
    std::vector<std::uint8_t> file;
    try {
        file = build_database(schema);
    } catch (const std::exception&) {
        return 0;  // a schema the writer refuses: nothing to read
    }
    const std::size_t page_size = schema.format == Format::jet3 ? 2048 : 4096;
    for (std::size_t d = decoder.rest().ConsumeIntegralInRange<std::size_t>(0, 3); d > 0; --d)
        damage(file, page_size, decoder.rest());

    const qz::fuzz::MemoryFile memory(
        std::string_view(reinterpret_cast<const char*>(file.data()), file.size()));
    std::string password;
    qz::text::UTF16toUTF8(schema.password, password);
    const qz::test::ListingOutcomes outcomes =
        qz::test::run_every_listing(memory.path(), password, listed_per_kind);
    for (const std::string& fault : outcomes.faults) std::fprintf(stderr, "fault: %s\n", fault.c_str());
    if (!outcomes.faults.empty()) __builtin_trap();
    return 0;
}
