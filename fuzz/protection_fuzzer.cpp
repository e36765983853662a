// Page 0 of a database file as stored, and a password: the protection header is read as the page reader
// reads it when it opens a file (header mask removed, the header page decoded, then open_protection), and a
// decoder it returns is run over a page. Input: the password in UTF-8, a NUL byte, then the stored page 0;
// the page is cut or padded with zero bytes to the page size its version byte gives, since the reader always
// hands over a whole page.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_input.hpp"
#include "platform/error.hpp"
#include "platform/reader/pages/header_page.hpp"
#include "platform/reader/protection/header_mask.hpp"
#include "platform/reader/protection/page_decoder.hpp"
#include "text/utf8_methods.hpp"

namespace {

// The version byte of page 0: 0 for Jet 3 (2048-byte pages), above for Jet 4 and ACE (4096-byte pages).
constexpr std::size_t version_offset = 0x14;
constexpr std::size_t jet3_page_size = 2048;
constexpr std::size_t jet4_page_size = 4096;

const std::u16string database_path = u"/fuzz/database.accdb";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [password_utf8, stored_page] = qz::fuzz::split_once(qz::fuzz::input_text(data, size), '\0');
    std::u16string password;
    qz::text::UTF8toUTF16(std::string(password_utf8), password);

    const bool jet3 = stored_page.size() > version_offset && stored_page[version_offset] == 0;
    std::vector<std::uint8_t> page(jet3 ? jet3_page_size : jet4_page_size, 0);
    std::copy_n(stored_page.begin(), std::min(stored_page.size(), page.size()), page.begin());
    qz::crypto::remove_header_mask(page, jet3);

    try {
        const qz::jet::HeaderPage header = qz::jet::read_header_page(page, database_path);
        const std::unique_ptr<qz::crypto::PageDecoder> decoder =
            qz::crypto::open_protection(header.protection, password, database_path);
        if (decoder != nullptr) {
            // The header bytes stand in for a later page; a decoder must take any content and page number.
            decoder->decode(1, page);
            decoder->decode(0xFFFFFFFFu, page);
        }
    } catch (const qz::Error&) {
        // A refused password or protection, with its number: the sound answer to a bad header.
    }
    return 0;
}
