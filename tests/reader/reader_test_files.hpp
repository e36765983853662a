#pragma once
// Small Access files built page by page for the reader's tests of damage and layouts the writer never makes.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/error.hpp"
#include "platform/reader/protection/header_mask.hpp"
#include "support/temp_folder.hpp"

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

// The number of the error `action` raises; 0 when it raises none.
inline std::int32_t error_number_of(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

// A header page of the given format version (0 Jet 3, 1 Jet 4, 2 and up ACE), masked as files store it.
inline Bytes header_page(std::uint8_t version) {
    Bytes page(version == 0 ? 2048 : 4096, 0);
    page[1] = 0x01;
    const std::string name = version >= 2 ? "Standard ACE DB" : "Standard Jet DB";
    std::copy(name.begin(), name.end(), page.begin() + 4);
    page[0x14] = version;
    put16(page, 0x3C, 1252);
    crypto::remove_header_mask(page, version == 0);  // its own inverse: applies the mask
    return page;
}

// A Jet 4 data page owned by the table whose definition starts on `owner`, holding `rows` (row 0 last in
// the page, as files store them).
inline Bytes jet4_data_page(std::uint32_t owner, const std::vector<Bytes>& rows) {
    Bytes page(4096, 0);
    page[0] = page[1] = 0x01;
    put32(page, 4, owner);
    put16(page, 0x0C, static_cast<std::uint32_t>(rows.size()));
    std::size_t end = page.size();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        end -= rows[i].size();
        std::copy(rows[i].begin(), rows[i].end(), page.begin() + static_cast<std::ptrdiff_t>(end));
        put16(page, 0x0E + 2 * i, static_cast<std::uint32_t>(end));
    }
    return page;
}

// A file made of `pages` in a folder of its own, removed with it.
struct TemporaryDatabase {
    explicit TemporaryDatabase(const std::vector<Bytes>& pages) {
        std::string bytes;
        for (const auto& page : pages) bytes.append(page.begin(), page.end());
        folder.write("file.mdb", bytes);
    }
    std::u16string path() const { return (folder.path() / "file.mdb").u16string(); }

    TempFolder folder;
};

}  // namespace qz::test
