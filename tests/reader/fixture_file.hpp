#pragma once
// Test-only access to the pages of an unencrypted database file (a fixture or a written one), independent of the reader under test: just
// enough of the file layout to find MSysObjects' ParentIdName root, its row slots and its inline property
// blobs, so the index walk and the blob parser can be checked against the facts.

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/reader/pages/byte_view.hpp"
#include "platform/reader/records/index_leaf_walk.hpp"

namespace qz::test {

// The whole file in memory (fixtures are small), read-only.
class FixtureFile {
public:
    explicit FixtureFile(const std::filesystem::path& file) : path_(file.u16string()) {
        std::ifstream in(file, std::ios::binary);
        if (!in) throw std::runtime_error("cannot read fixture " + file.string());
        bytes_.resize(std::filesystem::file_size(file));
        in.read(reinterpret_cast<char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
        if (bytes_.size() < 0x15) throw std::runtime_error("fixture too short");
        jet3_ = bytes_[0x14] == 0;  // format version byte: 0 is Jet 3
        page_size_ = jet3_ ? 2048 : 4096;
        page_count_ = static_cast<std::uint32_t>(bytes_.size() / page_size_);
    }

    bool jet3() const { return jet3_; }
    std::size_t page_size() const { return page_size_; }
    std::uint32_t page_count() const { return page_count_; }
    const std::u16string& path() const { return path_; }
    std::vector<std::uint8_t>& bytes() { return bytes_; }

    std::span<const std::uint8_t> page(std::uint32_t number) const {
        if (number >= page_count_) jet::throw_damaged(path_, "page number past the end of the file");
        return std::span<const std::uint8_t>(bytes_).subspan(number * page_size_, page_size_);
    }
    jet::PageSource source() const {
        return [this](std::uint32_t number) { return page(number); };
    }

    // The root page of MSysObjects' ParentIdName index, from the definition on page 2: the logical index of
    // that name selects a real index, whose entry holds the root.
    std::uint32_t parent_id_name_root() const {
        const jet::ByteView tdef(page(2), path_);
        if (tdef.u32(4) != 0) throw std::runtime_error("MSysObjects definition spans pages");
        const std::size_t columns = tdef.u16(jet3_ ? 0x19 : 0x2D);
        const std::size_t logical = tdef.u32(jet3_ ? 0x1B : 0x2F);
        const std::size_t real = tdef.u32(jet3_ ? 0x1F : 0x33);
        std::size_t at = jet3_ ? 0x2B : 0x3F;
        at += real * (jet3_ ? 8 : 12) + columns * (jet3_ ? 18 : 25);
        for (std::size_t i = 0; i < columns; ++i) at = after_name(tdef, at);
        const std::size_t real_entries = at;
        at += real * (jet3_ ? 39 : 52);
        const std::size_t logical_entries = at;
        at += logical * (jet3_ ? 20 : 28);
        for (std::size_t i = 0; i < logical; ++i) {
            if (name_at(tdef, at) == u"ParentIdName") {
                const std::size_t entry = logical_entries + i * (jet3_ ? 20 : 28);
                const std::uint32_t real_number = tdef.u32(entry + (jet3_ ? 0x04 : 0x08));
                return tdef.u32(real_entries + real_number * (jet3_ ? 39 : 52) + (jet3_ ? 0x22 : 0x26));
            }
            at = after_name(tdef, at);
        }
        throw std::runtime_error("no ParentIdName index");
    }

    // MSysObjects' live row slots in the order of a table scan: its data pages in page order, then slot
    // order. Slots holding an overflow stub count; deleted slots (also overflow targets) do not.
    std::vector<jet::RowAddress> msysobjects_slots() const {
        std::vector<jet::RowAddress> slots;
        for (std::uint32_t p = 1; p < page_count_; ++p) {
            const jet::ByteView pg(page(p), path_);
            if (pg.u8(0) != 0x01 || pg.u8(1) != 0x01 || pg.u32(4) != 2) continue;
            const std::size_t count = pg.u16(jet3_ ? 0x08 : 0x0C);
            for (std::size_t i = 0; i < count; ++i) {
                if ((row_entry(pg, i) & 0x8000) == 0) slots.push_back({p, static_cast<std::uint8_t>(i)});
            }
        }
        return slots;
    }

    // Every property blob stored whole in one place: inline in an MSysObjects row (after its 12-byte
    // long-value header) or as the whole row of a long-value page. Blobs kept in page chains are left out.
    std::vector<std::vector<std::uint8_t>> property_blobs() const {
        const std::array<std::uint8_t, 4> signature = jet3_ ? std::array<std::uint8_t, 4>{'K', 'K', 'D', 0}
                                                            : std::array<std::uint8_t, 4>{'M', 'R', '2', 0};
        std::vector<std::vector<std::uint8_t>> blobs;
        for (std::uint32_t p = 1; p < page_count_; ++p) {
            const jet::ByteView pg(page(p), path_);
            if (pg.u8(0) != 0x01 || pg.u8(1) != 0x01) continue;
            const bool long_values = pg.u32(4) == 0x4C41564Cu;  // "LVAL"
            if (!long_values && pg.u32(4) != 2) continue;
            const std::size_t count = pg.u16(jet3_ ? 0x08 : 0x0C);
            for (std::size_t i = 0; i < count; ++i) {
                if ((row_entry(pg, i) & 0xC000) != 0) continue;
                const std::size_t start = row_entry(pg, i) & 0x1FFF;
                const std::size_t end = i == 0 ? page_size_ : (row_entry(pg, i - 1) & 0x1FFF);
                if (start >= end || end > page_size_) continue;
                const std::span<const std::uint8_t> row = pg.bytes().subspan(start, end - start);
                if (long_values) {
                    if (row.size() >= 4 && std::memcmp(row.data(), signature.data(), 4) == 0) {
                        blobs.emplace_back(row.begin(), row.end());
                    }
                    continue;
                }
                for (std::size_t at = 12; at + 4 <= row.size(); ++at) {
                    if (std::memcmp(row.data() + at, signature.data(), 4) != 0) continue;
                    const jet::ByteView header(row.subspan(at - 12, 12), path_);
                    const std::uint32_t length = header.u32(0) & 0x3FFFFFFF;
                    if ((header.u8(3) & 0xC0) == 0x80 && at + length <= row.size()) {
                        blobs.emplace_back(row.begin() + static_cast<std::ptrdiff_t>(at),
                                           row.begin() + static_cast<std::ptrdiff_t>(at + length));
                    }
                }
            }
        }
        return blobs;
    }

private:
    std::uint16_t row_entry(const jet::ByteView& pg, std::size_t i) const {
        return pg.u16((jet3_ ? 0x0A : 0x0E) + 2 * i);
    }
    std::size_t after_name(const jet::ByteView& tdef, std::size_t at) const {
        return jet3_ ? at + 1 + tdef.u8(at) : at + 2 + tdef.u16(at);
    }
    // An ASCII name of a definition; other characters become '?', which is enough to find ParentIdName.
    std::u16string name_at(const jet::ByteView& tdef, std::size_t at) const {
        std::u16string name;
        if (jet3_) {
            for (std::size_t i = 0; i < tdef.u8(at); ++i) name += static_cast<char16_t>(tdef.u8(at + 1 + i));
        } else {
            for (std::size_t i = 0; i + 1 < tdef.u16(at); i += 2)
                name += static_cast<char16_t>(tdef.u16(at + 2 + i));
        }
        return name;
    }

    std::u16string path_;
    std::vector<std::uint8_t> bytes_;
    bool jet3_ = false;
    std::size_t page_size_ = 0;
    std::uint32_t page_count_ = 0;
};

}  // namespace qz::test
