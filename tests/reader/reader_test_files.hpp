#pragma once
// Small Access files built in memory for the reader's tests, written to a private temporary folder so that
// the reader opens them like any database file.

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "platform/reader/protection/header_mask.hpp"

namespace qz::test {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& page, std::size_t at, std::uint32_t v) {
    page.at(at) = static_cast<std::uint8_t>(v);
    page.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}
inline void put32(Bytes& page, std::size_t at, std::uint32_t v) {
    put16(page, at, v & 0xFFFF);
    put16(page, at + 2, v >> 16);
}

// A header page of the given format version (0 Jet 3, 1 Jet 4, 2 and up ACE), masked as files store it.
inline Bytes header_page(std::uint8_t version) {
    const bool jet3 = version == 0;
    Bytes page(jet3 ? 2048 : 4096, 0);
    page[1] = 0x01;
    const std::string name =
        version >= 2 ? std::string("Standard ACE DB", 15) : std::string("Standard Jet DB", 15);
    std::copy(name.begin(), name.end(), page.begin() + 4);
    page[0x14] = version;
    put16(page, 0x3C, 1252);
    crypto::remove_header_mask(page, jet3);  // its own inverse: applies the mask
    return page;
}

// A Jet 4 data page owned by the table whose definition starts on `owner`, holding `rows` (row 0 last in
// the page, as files store them); `flags` are or-ed into each row's offset entry.
inline Bytes jet4_data_page(std::uint32_t owner, const std::vector<Bytes>& rows, std::uint16_t flags = 0) {
    Bytes page(4096, 0);
    page[0] = 0x01;
    page[1] = 0x01;
    put32(page, 4, owner);
    put16(page, 0x0C, static_cast<std::uint32_t>(rows.size()));
    std::size_t end = page.size();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::size_t start = end - rows[i].size();
        std::copy(rows[i].begin(), rows[i].end(), page.begin() + static_cast<std::ptrdiff_t>(start));
        put16(page, 0x0E + 2 * i, static_cast<std::uint32_t>(start) | flags);
        end = start;
    }
    return page;
}

// A file made of `pages`, removed when the object goes.
class TemporaryDatabase {
  public:
    TemporaryDatabase(const std::string& name, const std::vector<Bytes>& pages) {
        folder_ = std::filesystem::temp_directory_path() / ("qz_jet_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        path_ = folder_ / name;
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        for (const auto& page : pages) {
            out.write(reinterpret_cast<const char*>(page.data()), static_cast<std::streamsize>(page.size()));
        }
    }
    ~TemporaryDatabase() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    TemporaryDatabase(const TemporaryDatabase&) = delete;
    TemporaryDatabase& operator=(const TemporaryDatabase&) = delete;

    std::u16string path() const { return path_.u16string(); }
    const std::filesystem::path& folder() const { return folder_; }

  private:
    std::filesystem::path folder_;
    std::filesystem::path path_;
};

}  // namespace qz::test
