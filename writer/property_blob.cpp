#include "writer/property_blob.hpp"

#include <algorithm>
#include <stdexcept>

#include "writer/text_bytes.hpp"

namespace qz::writer {
namespace {

constexpr std::uint16_t object_chunk = 0x0000, column_chunk = 0x0001, name_chunk = 0x0080;

// A chunk: u32 length (with its 6-byte header), u16 kind, body.
void put_chunk(Bytes& out, std::uint16_t kind, const Bytes& body) {
    put_u32(out, static_cast<std::uint32_t>(body.size() + 6));
    put_u16(out, kind);
    put_bytes(out, body);
}

Bytes value_bytes(const FileLayout& layout, const Property& p) {
    Bytes out;
    switch (p.type) {
        case ColumnType::boolean:
            put_u8(out, std::get<bool>(p.value) ? 0x01 : 0x00);
            break;
        case ColumnType::byte:
            put_u8(out, static_cast<std::uint32_t>(std::get<std::int64_t>(p.value)));
            break;
        case ColumnType::integer:
            put_u16(out, static_cast<std::uint32_t>(std::get<std::int64_t>(p.value)));
            break;
        case ColumnType::long_integer:
            put_u32(out, static_cast<std::uint32_t>(std::get<std::int64_t>(p.value)));
            break;
        case ColumnType::text:
        case ColumnType::memo:
            out = encode_text(layout, std::get<std::u16string>(p.value));
            break;
        case ColumnType::binary:
        case ColumnType::ole:
            out = std::get<std::vector<std::uint8_t>>(p.value);
            break;
        default:
            throw std::invalid_argument("the writer stores properties as Boolean, integer, text or bytes");
    }
    return out;
}

}  // namespace

Property Property::text(std::u16string name, std::u16string value) {
    return {std::move(name), ColumnType::text, std::move(value)};
}
Property Property::memo(std::u16string name, std::u16string value) {
    return {std::move(name), ColumnType::memo, std::move(value)};
}
Property Property::boolean(std::u16string name, bool value) { return {std::move(name), ColumnType::boolean, value}; }
Property Property::byte(std::u16string name, std::uint8_t value) {
    return {std::move(name), ColumnType::byte, std::int64_t{value}};
}

Bytes property_blob(const FileLayout& layout, const std::vector<Property>& object,
                    const std::vector<NamedProperties>& columns) {
    std::vector<NamedProperties> chunks;
    if (!object.empty()) chunks.push_back({u"", object});
    for (const auto& c : columns) {
        if (!c.properties.empty()) chunks.push_back(c);
    }
    if (chunks.empty()) return {};

    std::vector<std::u16string> names;  // the dictionary, in first-use order
    const auto name_index = [&](const std::u16string& name) {
        auto found = std::find(names.begin(), names.end(), name);
        if (found == names.end()) found = names.insert(names.end(), name);
        return static_cast<std::uint32_t>(found - names.begin());
    };
    Bytes values;
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        const bool own = i == 0 && !object.empty();
        Bytes body;
        const Bytes chunk_name = encode_text(layout, chunks[i].name);
        put_u32(body, static_cast<std::uint32_t>(4 + 2 + chunk_name.size()));
        put_u16(body, static_cast<std::uint32_t>(chunk_name.size()));
        put_bytes(body, chunk_name);
        for (const auto& p : chunks[i].properties) {
            const Bytes value = value_bytes(layout, p);
            put_u16(body, static_cast<std::uint32_t>(8 + value.size()));
            put_u8(body, 0);  // not created with the DDL option
            put_u8(body, static_cast<std::uint8_t>(p.type));
            put_u16(body, name_index(p.name));
            put_u16(body, static_cast<std::uint32_t>(value.size()));
            put_bytes(body, value);
        }
        put_chunk(values, own ? object_chunk : column_chunk, body);
    }
    Bytes dictionary;
    for (const auto& n : names) {
        const Bytes bytes = encode_text(layout, n);
        put_u16(dictionary, static_cast<std::uint32_t>(bytes.size()));
        put_bytes(dictionary, bytes);
    }
    Bytes blob = layout.jet3 ? Bytes{'K', 'K', 'D', 0x00} : Bytes{'M', 'R', '2', 0x00};
    put_chunk(blob, name_chunk, dictionary);
    put_bytes(blob, values);
    return blob;
}

}  // namespace qz::writer
