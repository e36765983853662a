#pragma once
// The header page (page 0) of a database file, decoded in one place (reference sections 1.2 to 1.4): which
// engine wrote the file, the page size and text rules that follow, and the fields that say how the file is
// protected. Read after the fixed header mask was removed.

#include <cstdint>
#include <span>
#include <string>

#include "platform/reader/protection/protection_fields.hpp"

namespace qz::jet {

// What the header page says about the file's layout.
struct FileFormat {
    std::uint8_t version = 0;     // byte 0x14: 0 Jet 3, 1 Jet 4, 2 to 6 ACE 12 to 17
    bool jet3 = false;            // Jet 3 layouts (2048-byte pages, 1-byte row offsets, code-page text)
    std::size_t page_size = 0;    // 2048 for Jet 3, else 4096
    unsigned code_page = 1252;    // the database's ANSI code page (Jet 3 text)
    std::int32_t sort_order = 0;  // default text sort order (LCID)
};

// The bytes at the start of page 0 that name the engine and version: enough to know the page size.
inline constexpr std::size_t header_prefix_size = 0x18;

// The engine and version from the first `header_prefix_size` bytes of page 0, with the page size they imply
// (code page and sort order left at their defaults). Raises 3343 naming `path` for anything but a Jet or
// ACE file of a version this reader knows.
FileFormat read_file_format(std::span<const std::uint8_t> prefix, const std::u16string& path);

struct HeaderPage {
    FileFormat format;
    crypto::ProtectionFields protection;
};

// The whole header page. Raises 3343 naming `path` for an unknown engine or version, a page shorter than its
// fields, or an EncryptionInfo that does not fit in the page.
HeaderPage read_header_page(std::span<const std::uint8_t> page, const std::u16string& path);

}  // namespace qz::jet
