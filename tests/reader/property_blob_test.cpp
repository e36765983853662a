#include "platform/reader/system_tables/property_blob.hpp"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/error.hpp"

namespace qz::jet {
namespace {

using Bytes = std::vector<std::uint8_t>;
const std::u16string path = u"memory.mdb";

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
// `v` as `n` little-endian bytes.
Bytes le(std::uint64_t v, std::size_t n) {
    Bytes out;
    for (std::size_t i = 0; i < n; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return out;
}
template <class T>
Bytes raw(T v) {
    Bytes out(sizeof v);
    std::memcpy(out.data(), &v, sizeof v);
    return out;
}
Bytes utf16(std::u16string_view text) {
    Bytes out;
    for (const char16_t c : text) out = out + le(c, 2);
    return out;
}
Bytes ascii(std::string_view text) { return Bytes(text.begin(), text.end()); }

// Blob pieces laid out as Access writes them.
Bytes chunk(std::uint16_t kind, const Bytes& body) { return le(body.size() + 6, 4) + le(kind, 2) + body; }
Bytes name_pool(const std::vector<Bytes>& names) {
    Bytes body;
    for (const Bytes& name : names) body = body + le(name.size(), 2) + name;
    return chunk(0x0080, body);
}
struct Record {
    std::uint8_t ddl, type;
    std::uint16_t name_index;
    Bytes value;
};
Bytes values_chunk(std::uint16_t kind, const Bytes& map_name, const std::vector<Record>& records) {
    Bytes body = le(6 + map_name.size(), 4) + le(map_name.size(), 2) + map_name;
    for (const Record& r : records)
        body = body + le(r.value.size() + 8, 2) + Bytes{r.ddl, r.type} + le(r.name_index, 2) + le(r.value.size(), 2) + r.value;
    return chunk(kind, body);
}
Bytes jet4_blob(const Bytes& chunks) { return ascii(std::string_view("MR2\0", 4)) + chunks; }
Bytes jet3_blob(const Bytes& chunks) { return ascii(std::string_view("KKD\0", 4)) + chunks; }

std::vector<PropertyMap> parse(const Bytes& blob, bool jet3 = false) {
    return parse_property_blob(ByteView(blob, path), jet3, 1252);
}

struct ValueCase {
    const char* fault;
    std::uint8_t type;
    Bytes stored;
    engine::Variant expected;
    std::u16string_view name = u"P";  // Binary is GUID text only under the name GUID
};

TEST(PropertyBlob, EachDataTypeDecodesToTheEngineValue) {
    const Bytes guid{0xA0, 0x6C, 0x09, 0x8F, 0x16, 0xFC, 0x88, 0x42,
                     0x80, 0x1E, 0x11, 0x9F, 0x26, 0xC0, 0xB6, 0xFC};
    const std::vector<ValueCase> cases{
        {"Boolean read from its first byte only", 0x01, Bytes{1, 0, 0, 0}, true},
        {"Boolean false", 0x01, Bytes{0}, false},
        {"DecimalPlaces Auto (0xFF) read signed as -1", 0x02, Bytes{0xFF}, std::int64_t{255}},
        {"4-byte Integer -1 read as 0xFFFF... instead of i16", 0x03, Bytes{0xFF, 0xFF, 0xFF, 0xFF},
         std::int64_t{-1}},
        {"Integer sign lost", 0x03, le(0x8000, 2), std::int64_t{-32768}},
        {"Long sign lost", 0x04, le(0xFFFFFFFE, 4), std::int64_t{-2}},
        {"Currency not scaled by 10000", 0x05, le(420000, 8), 42.0},
        {"Single read as Long", 0x06, raw(100.0f), 100.0},
        {"Double misread", 0x07, raw(-2.5), -2.5},
        {"Date/Time not an OLE date", 0x08, raw(40242.5), engine::OleDate{40242.5}},
        {"Text not UTF-16LE", 0x0A, utf16(u"#,##0.00"), std::u16string(u"#,##0.00")},
        {"Memo with an emoji split", 0x0C, utf16(u"=\U0001F600"), std::u16string(u"=\U0001F600")},
        {"compressed Text left compressed", 0x0A, Bytes{0xFF, 0xFE, 'a', 'b', 0x00, 0xAC, 0x20, 0x00, 'c'},
         std::u16string(u"ab\u20ACc")},
        {"odd byte of UTF-16 kept as garbage", 0x0C, Bytes{'N', 0, 'o', 0, 'w'}, std::u16string(u"No")},
        {"GUID in the wrong byte order", 0x0F, guid,
         std::u16string(u"{8F096CA0-FC16-4288-801E-119F26C0B6FC}")},
        {"Binary named GUID not GUID text", 0x09, guid,
         std::u16string(u"{8F096CA0-FC16-4288-801E-119F26C0B6FC}"), u"GUID"},
        {"other Binary invented", 0x09, guid, std::monostate{}},
        {"OLE value invented", 0x0B, Bytes{1, 2, 3}, std::monostate{}},
        {"unknown type decoded as something", 0x42, Bytes{1, 2, 3}, std::monostate{}},
    };
    for (const ValueCase& c : cases) {
        const Bytes blob =
            jet4_blob(name_pool({utf16(c.name)}) + values_chunk(0, {}, {{0, c.type, 0, c.stored}}));
        const std::vector<PropertyMap> maps = parse(blob);
        ASSERT_EQ(maps.size(), 1u) << c.fault;
        ASSERT_EQ(maps[0].entries.size(), 1u) << c.fault;
        EXPECT_EQ(maps[0].entries[0].value, c.expected) << c.fault;
        EXPECT_EQ(maps[0].entries[0].data_type, c.type) << c.fault;
    }
}

TEST(PropertyBlob, Jet3NamesAndTextAreInTheCodePage) {
    const Bytes blob = jet3_blob(name_pool({ascii("Caption")}) +
                                 values_chunk(1, ascii("Ann\xE9"), {{0, 0x0A, 0, ascii("\x80 d\xE9j\xE0")}}));
    const std::vector<PropertyMap> maps = parse(blob, true);
    ASSERT_EQ(maps.size(), 1u);
    EXPECT_EQ(maps[0].name, u"Ann\u00E9");
    EXPECT_EQ(maps[0].entries.at(0).value, engine::Variant(std::u16string(u"\u20AC d\u00E9j\u00E0")));
}

TEST(PropertyBlob, EmptyBlobHasNoMaps) { EXPECT_TRUE(parse({}).empty()); }

TEST(PropertyBlob, EveryRecordMayNameTheLongestObjectName) {
    const std::vector<Record> records(5000, Record{0, 0x0B, 0, {}});
    const Bytes blob = jet4_blob(name_pool({utf16(std::u16string(64, u'N'))}) + values_chunk(0, {}, records));
    EXPECT_EQ(parse(blob).at(0).entries.size(), records.size());
}

// Damaged blobs are regression inputs of fuzz_property_blob's shape (tests/fuzz_regressions/inputs).

}  // namespace
}  // namespace qz::jet
