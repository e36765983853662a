#include "platform/reader/system_tables/property_blob.hpp"

#include <array>
#include <bit>
#include <cstdio>
#include <string_view>

#include "platform/reader/records/column_type.hpp"
#include "platform/reader/records/text_value.hpp"

namespace qz::jet {
namespace {

// blob = signature, then chunks; chunk = u32 length (header included), u16 kind, body
// (access-file-format 9.1).
constexpr std::array<std::uint8_t, 4> jet3_signature{'K', 'K', 'D', 0x00};
constexpr std::array<std::uint8_t, 4> jet4_signature{'M', 'R', '2', 0x00};
constexpr std::size_t chunk_header_length = 6;
constexpr std::uint16_t object_values_chunk = 0x0000;
constexpr std::uint16_t column_values_chunk = 0x0001;
constexpr std::uint16_t name_pool_chunk = 0x0080;
// record = u16 length (itself included), u8 ddl, u8 data type, u16 name index, u16 value length, value (9.2).
constexpr std::size_t record_header_length = 8;
// A dictionary name is stored once but copied into every record that refers to it. Object names have at most
// 64 characters, so a blob holds at most that much name per record header; more is a blob made to multiply
// memory far beyond the file's size.
constexpr std::size_t name_characters_per_blob_byte = 64 / record_header_length;

constexpr std::size_t guid_length = 16;
constexpr double currency_scale = 10000.0;  // Currency counts ten-thousandths

bool is_guid_name(const std::u16string& name) {
    if (name.size() != 4) return false;
    for (std::size_t i = 0; i < 4; ++i) {
        if ((name[i] & ~char16_t{0x20}) != u"GUID"[i]) return false;
    }
    return true;
}

// Windows GUID layout (7.4): Data1, Data2, Data3 little-endian, then Data4 as stored.
std::u16string guid_text(const ByteView& value) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", value.u32(0),
                  unsigned{value.u16(4)}, unsigned{value.u16(6)}, unsigned{value.u8(8)},
                  unsigned{value.u8(9)}, unsigned{value.u8(10)}, unsigned{value.u8(11)},
                  unsigned{value.u8(12)}, unsigned{value.u8(13)}, unsigned{value.u8(14)},
                  unsigned{value.u8(15)});
    return std::u16string(text, text + 38);
}

class BlobParser {
public:
    BlobParser(ByteView blob, bool jet3, unsigned code_page)
        : blob_(blob), jet3_(jet3), code_page_(code_page) {}

    std::vector<PropertyMap> parse() {
        std::vector<PropertyMap> maps;
        if (blob_.size() == 0) return maps;
        name_budget_ = blob_.size() * name_characters_per_blob_byte;
        const std::array<std::uint8_t, 4>& signature = jet3_ ? jet3_signature : jet4_signature;
        blob_.require(blob_.size() >= signature.size(), "a property blob is truncated");
        for (const std::uint8_t expected : signature) {
            blob_.require(blob_.next_u8() == expected, "a property blob has an unknown signature");
        }
        while (blob_.remaining() > 0) {
            blob_.require(blob_.remaining() >= chunk_header_length,
                          "a property blob ends inside a chunk header");
            const std::uint32_t length = blob_.next_u32();
            blob_.require(length >= chunk_header_length && length - 4 <= blob_.remaining(),
                          "a property chunk's length does not fit its blob");
            const std::uint16_t kind = blob_.next_u16();
            ByteView body = blob_.next(length - chunk_header_length);
            if (kind == name_pool_chunk) {
                read_names(body);
            } else {
                blob_.require(kind == object_values_chunk || kind == column_values_chunk,
                              "a property blob has a chunk of unknown kind");
                maps.push_back(read_values(body));
            }
        }
        return maps;
    }

private:
    // The dictionary of property names: repeated u16 byte length and name; records refer to them by index.
  void read_names(ByteView body) {
      names_.clear();
      while (body.remaining() > 0) {
          const std::size_t length = body.next_u16();
          body.require(length <= body.remaining(), "a property name runs past its chunk");
          names_.push_back(name_text(body.next(length)));
      }
  }

  PropertyMap read_values(ByteView body) {
      PropertyMap map;
      body.require(body.size() >= 4, "a property map header is truncated");
      const std::uint32_t header_length = body.u32(0);
      body.require(header_length >= 4 && header_length <= body.size(),
                   "a property map header does not fit its chunk");
      ByteView header = body.next(header_length);
      header.skip(4);
      if (header.remaining() >= 2) {
          const std::size_t name_length = header.next_u16();
          body.require(name_length <= header.remaining(), "a property map name runs past its header");
          map.name = name_text(header.next(name_length));
      }
      while (body.remaining() > 0) {
          body.require(body.remaining() >= record_header_length, "a property record is truncated");
          // The length counts itself.
          const std::size_t length = body.next_u16();
          body.require(length >= record_header_length && length - 2 <= body.remaining(),
                       "a property record's length does not fit its chunk");
          ByteView record = body.next(length - 2);
          const bool ddl = record.next_u8() != 0;
          const std::uint8_t data_type = record.next_u8();
          const std::size_t name_index = record.next_u16();
          body.require(name_index < names_.size(), "a property refers to a name missing from the dictionary");
          body.require(names_[name_index].size() <= name_budget_,
                       "a property blob's records repeat its names more than its size allows");
          name_budget_ -= names_[name_index].size();
          const std::size_t value_length = record.next_u16();
          body.require(value_length <= record.remaining(), "a property value runs past its record");
          PropertyEntry entry{names_[name_index], data_type, ddl, {}};
          entry.value = decode_value(entry, record.next(value_length));
          map.entries.push_back(std::move(entry));
      }
      return map;
  }

    // Decoded by the stored type, not by the name: the same property has different types in different files.
    engine::Variant decode_value(const PropertyEntry& entry, const ByteView& value) const {
        // A stored value may be longer than its type (a 4-byte Boolean or Integer); the first bytes count.
        const auto need = [&](std::size_t length) {
            value.require(value.size() >= length, "a property value is shorter than its type");
        };
        switch (entry.data_type) {
            case file_type::boolean:
                need(1);
                return value.u8(0) != 0;
            case file_type::byte:
                need(1);
                return std::int64_t{value.u8(0)};
            case file_type::integer:
                need(2);
                return std::int64_t{value.i16(0)};
            case file_type::long_integer:
                need(4);
                return std::int64_t{value.i32(0)};
            case file_type::currency:
                need(8);
                return static_cast<double>(static_cast<std::int64_t>(value.u64(0))) / currency_scale;
            case file_type::single:
                need(4);
                return static_cast<double>(std::bit_cast<float>(value.u32(0)));
            case file_type::double_float:
                need(8);
                return value.f64(0);
            case file_type::date_time:
                need(8);
                return engine::OleDate{value.f64(0)};
            case file_type::text:
            case file_type::memo:
                return value_text(value);
            case file_type::guid:
                value.require(value.size() == guid_length, "a GUID property has the wrong length");
                return guid_text(value);
            case file_type::binary:
                if (value.size() == guid_length && is_guid_name(entry.name)) return guid_text(value);
                return std::monostate{};
            default:
                return std::monostate{};
        }
    }

    // Names are plain text: the code page in Jet 3, UTF-16LE (never compressed) in Jet 4 and ACE.
    std::u16string name_text(const ByteView& bytes) const {
        bytes.require(jet3_ || bytes.size() % 2 == 0, "a property name has an odd byte length");
        return plain_text(bytes.bytes(), jet3_, code_page_);
    }

    // Text values may be compressed in Jet 4 and ACE; a stray last byte of UTF-16 is dropped.
    std::u16string value_text(const ByteView& bytes) const {
        return text_value(bytes.bytes(), jet3_, code_page_);
    }

    ByteView blob_;
    bool jet3_;
    unsigned code_page_;
    std::vector<std::u16string> names_;
    std::size_t name_budget_ = 0;  // name characters the records may still copy
};

}  // namespace

std::vector<PropertyMap> parse_property_blob(ByteView blob, bool jet3, unsigned code_page) {
    return BlobParser(blob, jet3, code_page).parse();
}

}  // namespace qz::jet
