#include "platform/reader/system_tables/property_blob.hpp"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/error.hpp"

namespace qz::jet {
namespace {

using Bytes = std::vector<std::uint8_t>;

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

// A Jet 4 blob as Access writes it: the pool of names, here one, then one map without a name holding one
// value of `type` under that name.
Bytes blob_of_one_property(std::u16string_view name, std::uint8_t type, const Bytes& value) {
    const auto chunk = [](std::uint16_t kind, const Bytes& body) {
        return le(body.size() + 6, 4) + le(kind, 2) + body;
    };
    const Bytes name_pool = chunk(0x0080, le(name.size() * 2, 2) + utf16(name));
    const Bytes record = le(value.size() + 8, 2) + Bytes{0, type} + le(0, 2) + le(value.size(), 2) + value;
    return Bytes{'M', 'R', '2', 0} + name_pool + chunk(0x0000, le(6, 4) + le(0, 2) + record);
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
        {"DecimalPlaces Auto (0xFF) read signed as -1", 0x02, Bytes{0xFF}, std::int64_t{255}},
        {"4-byte Integer -1 read as 0xFFFF... instead of i16", 0x03, Bytes{0xFF, 0xFF, 0xFF, 0xFF},
         std::int64_t{-1}},
        {"Long sign lost", 0x04, le(0xFFFFFFFE, 4), std::int64_t{-2}},
        {"Currency not scaled by 10000", 0x05, le(420000, 8), 42.0},
        {"Single read as Long", 0x06, raw(100.0f), 100.0},
        {"Double misread", 0x07, raw(-2.5), -2.5},
        {"Date/Time not an OLE date", 0x08, raw(40242.5), engine::OleDate{40242.5}},
        {"GUID in the wrong byte order", 0x0F, guid,
         std::u16string(u"{8F096CA0-FC16-4288-801E-119F26C0B6FC}")},
        {"Binary named GUID not GUID text", 0x09, guid,
         std::u16string(u"{8F096CA0-FC16-4288-801E-119F26C0B6FC}"), u"GUID"},
        {"other Binary invented", 0x09, guid, std::monostate{}},
        {"unknown type decoded as something", 0x42, Bytes{1, 2, 3}, std::monostate{}},
    };
    for (const ValueCase& c : cases) {
        const Bytes blob = blob_of_one_property(c.name, c.type, c.stored);
        const std::vector<PropertyMap> maps = parse_property_blob(ByteView(blob, u"memory.mdb"), false, 1252);
        ASSERT_EQ(maps.size(), 1u) << c.fault;
        EXPECT_EQ(maps[0].entries.at(0).value, c.expected) << c.fault;
        EXPECT_EQ(maps[0].entries.at(0).data_type, c.type) << c.fault;
    }
}

// Text values are decoded as record text is (TextValue); blobs that are empty, long or damaged are regression
// inputs of fuzz_property_blob's shape (tests/fuzz_regressions/inputs).

}  // namespace
}  // namespace qz::jet
