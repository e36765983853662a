#pragma once
// Where the structures of a file lie, per format: Jet 3 on one side, Jet 4 and ACE (identical layouts) on
// the other. Section numbers are those of the file-format reference.

#include <cstddef>
#include <cstdint>

#include "writer/access_writer.hpp"

namespace qz::writer {

struct FileLayout {
    bool jet3;
    std::size_t page_size;          // 1.3: 2048 / 4096
    std::uint8_t version;           // 1.3: header byte 0x14
    std::size_t header_mask_length; // 1.1: 126 / 128 bytes masked from 0x18
    // Data pages (2.2)
    std::size_t row_count_offset;   // 0x08 / 0x0C
    std::size_t row_table_offset;   // 0x0A / 0x0E
    // Table definitions (3.2-3.10)
    std::size_t tdef_header;        // 0x2B / 0x3F: first section
    std::size_t table_type_offset;  // 0x14 / 0x28
    std::size_t index_stat_size;    // 8 / 12
    std::size_t column_size;        // 18 / 25
    std::size_t real_index_size;    // 39 / 52
    std::size_t logical_index_size; // 20 / 28
    std::size_t usage_bitmap_bytes; // 2.4: 128 / 64 bytes in an inline map
    // Index pages (14.3)
    std::size_t index_prev, index_next, index_tail, index_prefix, index_bitmap, index_bitmap_length, index_area;

    static const FileLayout& of(Format format);
    bool ace() const { return version >= 2; }
};

inline constexpr FileLayout jet3_layout{true, 2048, 0x00, 126, 0x08, 0x0A, 0x2B, 0x14, 8, 18, 39, 20, 128,
                                        0x08, 0x0C, 0x10, 0x14, 0x16, 226, 0xF8};
inline constexpr FileLayout jet4_layout{false, 4096, 0x01, 128, 0x0C, 0x0E, 0x3F, 0x28, 12, 25, 52, 28, 64,
                                        0x0C, 0x10, 0x14, 0x18, 0x1B, 453, 0x1E0};
inline constexpr FileLayout ace12_layout{false, 4096, 0x02, 128, 0x0C, 0x0E, 0x3F, 0x28, 12, 25, 52, 28, 64,
                                         0x0C, 0x10, 0x14, 0x18, 0x1B, 453, 0x1E0};

inline constexpr FileLayout ace14_layout{false, 4096, 0x03, 128, 0x0C, 0x0E, 0x3F, 0x28, 12, 25, 52, 28, 64,
                                         0x0C, 0x10, 0x14, 0x18, 0x1B, 453, 0x1E0};

inline const FileLayout& FileLayout::of(Format format) {
    switch (format) {
        case Format::jet3:
            return jet3_layout;
        case Format::ace12:
            return ace12_layout;
        case Format::ace14:
            return ace14_layout;
        case Format::jet4:
            break;
    }
    return jet4_layout;
}

}  // namespace qz::writer
