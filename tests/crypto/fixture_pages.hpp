#pragma once
// Pages of a fixture database read straight from disk (or made by the writer), for tests of the protection layer below the page
// reader.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/reader/pages/header_page.hpp"
#include "platform/reader/protection/header_mask.hpp"
#include "platform/reader/protection/page_decoder.hpp"
#include "support/fixtures.hpp"
#include "writer/access_writer.hpp"

namespace qz::test {

class FixturePages {
public:
    explicit FixturePages(const std::string& relative_path)
        : path_(fixtures_folder() / relative_path), bytes_(read_all(path_)) {}
    // The pages of a database the writer makes in memory from `schema`.
    FixturePages(const writer::Schema& schema, std::filesystem::path name)
        : path_(std::move(name)), bytes_(writer::build_database(schema)) {}

    bool jet3() const { return bytes_.size() > 0x14 && bytes_[0x14] == 0; }
    std::size_t page_size() const { return jet3() ? 2048 : 4096; }
    std::size_t page_count() const { return bytes_.size() / page_size(); }
    std::u16string path() const { return path_.u16string(); }

    // Page 0 with its fixed header mask removed, as the page reader decodes it.
    std::vector<std::uint8_t> header_page() const {
        std::vector<std::uint8_t> page = stored_page(0);
        crypto::remove_header_mask(page, jet3());
        return page;
    }
    std::vector<std::uint8_t> stored_page(std::size_t number) const {
        const auto start = bytes_.begin() + static_cast<std::ptrdiff_t>(number * page_size());
        return {start, start + static_cast<std::ptrdiff_t>(page_size())};
    }

private:
    static std::vector<std::uint8_t> read_all(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path path_;
    std::vector<std::uint8_t> bytes_;
};

// The protection of a file with this header page (mask removed), opened as the page reader opens it.
inline std::unique_ptr<crypto::PageDecoder> open_header_protection(std::span<const std::uint8_t> header_page,
                                                                  std::u16string_view password,
                                                                  const std::u16string& path) {
    return crypto::open_protection(jet::read_header_page(header_page, path).protection, password, path);
}

}  // namespace qz::test
