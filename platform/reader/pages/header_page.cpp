#include "platform/reader/pages/header_page.hpp"

#include <algorithm>
#include <string_view>

#include "platform/errors.hpp"
#include "platform/reader/pages/byte_view.hpp"

namespace qz::jet {
namespace {

// Header fields (reference 1.2); offsets into page 0.
constexpr std::size_t engine_name_offset = 0x04;
constexpr std::size_t version_offset = 0x14;
constexpr std::size_t sort_order_jet3_offset = 0x3A;
constexpr std::size_t code_page_offset = 0x3C;
constexpr std::size_t encoding_key_offset = 0x3E;
constexpr std::size_t password_offset = 0x42;
constexpr std::size_t jet3_password_size = 20;
constexpr std::size_t jet4_password_size = 40;
constexpr std::size_t sort_order_jet4_offset = 0x6E;
constexpr std::size_t creation_date_offset = 0x72;            // Jet 4 and ACE only
constexpr std::size_t encryption_info_length_offset = 0x299;  // ACE only, u16
constexpr std::size_t encryption_info_offset = 0x29B;
constexpr std::string_view jet_engine_name{"Standard Jet DB\0", 16};
constexpr std::string_view ace_engine_name{"Standard ACE DB\0", 16};
constexpr std::uint8_t newest_version = 0x06;  // ACE 17, Access 2019
constexpr std::int32_t general_sort_order = 1033;

}  // namespace

FileFormat read_file_format(std::span<const std::uint8_t> prefix, const std::u16string& path) {
    if (prefix.size() < header_prefix_size) throw errors::unrecognized_format(path);
    const std::string_view name(reinterpret_cast<const char*>(prefix.data()) + engine_name_offset,
                                jet_engine_name.size());
    FileFormat format;
    format.version = prefix[version_offset];
    const bool jet_name = name == jet_engine_name;
    const bool ace_name = name == ace_engine_name;
    if (prefix[0] != 0x00 || format.version > newest_version || (format.version <= 1 && !jet_name) ||
        (format.version >= 2 && !ace_name)) {
        throw errors::unrecognized_format(path);
    }
    format.jet3 = format.version == crypto::jet3_version;
    format.page_size = format.jet3 ? 2048 : 4096;
    return format;
}

HeaderPage read_header_page(std::span<const std::uint8_t> page, const std::u16string& path) {
    HeaderPage header;
    header.format = read_file_format(page, path);
    const bool jet3 = header.format.jet3;
    const std::size_t password_size = jet3 ? jet3_password_size : jet4_password_size;
    if (page.size() < (jet3 ? password_offset + password_size : creation_date_offset + 8)) {
        throw errors::unrecognized_format(path);
    }
    const ByteView view(page, path);
    header.format.code_page = view.u16(code_page_offset);
    header.format.sort_order = view.u16(jet3 ? sort_order_jet3_offset : sort_order_jet4_offset);
    if (header.format.sort_order == 0) header.format.sort_order = general_sort_order;

    crypto::ProtectionFields& protection = header.protection;
    protection.version = header.format.version;
    protection.code_page = view.u16(code_page_offset);
    const auto key = view.sub(encoding_key_offset, protection.encoding_key.size()).bytes();
    std::copy(key.begin(), key.end(), protection.encoding_key.begin());
    protection.password_field = page.subspan(password_offset, password_size);
    if (!jet3) protection.creation_date = view.f64(creation_date_offset);
    if (protection.is_ace() && protection.has_encoding_key()) {
        if (page.size() < encryption_info_offset) throw errors::unrecognized_format(path);
        const std::size_t length = view.u16(encryption_info_length_offset);
        if (length == 0 || length > page.size() - encryption_info_offset)
            throw errors::unrecognized_format(path);
        protection.encryption_info = page.subspan(encryption_info_offset, length);
    }
    return header;
}

}  // namespace qz::jet
