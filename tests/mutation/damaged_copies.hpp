#pragma once
// Damaged copies of a database file, made in memory from a fixed seed: cut short at or inside a page, bytes
// changed in the header, a table definition, an index page or a data page, a page pointer aimed elsewhere,
// or two pages swapped. The same file, seed and copy number always give the same copy, so a failing copy
// can be made again on its own.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qz::test {

using Bytes = std::vector<std::uint8_t>;

// The pages of an undamaged file by the type their plain bytes start with (read through the file reader,
// so that protected files are seen decoded).
struct FileLayout {
    std::size_t page_size = 0;
    std::uint32_t page_count = 0;
    std::vector<std::uint32_t> definitions;   // table definitions (0x02)
    std::vector<std::uint32_t> indexes;       // index nodes and leaves (0x03, 0x04)
    std::vector<std::uint32_t> data;          // data and long-value pages (0x01)
    std::vector<std::uint32_t> catalog_data;  // data pages of the catalog table, whose definition is page 2
};

FileLayout read_layout(const std::filesystem::path& file, const std::string& password);

struct DamagedCopy {
    std::string damage;  // what was done, for failure messages
    Bytes bytes;
};

// Kinds of damage, taken in turn by consecutive copy numbers.
inline constexpr std::size_t damage_kinds = 8;

DamagedCopy damaged_copy(const Bytes& original, const FileLayout& layout, std::uint64_t seed,
                         std::size_t number);

}  // namespace qz::test
