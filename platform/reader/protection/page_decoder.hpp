#pragma once
// The protection of a database file (database password, encoded or encrypted pages), seen from the page
// reader: it is checked once when the file is opened, and afterwards turns each stored page into its plain
// bytes. Nothing above the page reader knows whether a file was protected.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/reader/protection/protection_fields.hpp"

namespace qz::crypto {

class PageDecoder {
public:
    virtual ~PageDecoder() = default;
    // Turns page `page_number` (1 or more) from its stored bytes into its plain bytes, in place.
    virtual void decode(std::uint32_t page_number, std::span<std::uint8_t> page) const = 0;
};

// `fields` come from the file's header page; `password` is the one the caller gave (empty when none). Raises
// 3031 when the password does not open the file and 3343 (naming `path`) for a protection it cannot
// interpret. Returns nullptr when the pages are stored plain.
std::unique_ptr<PageDecoder> open_protection(const ProtectionFields& fields, std::u16string_view password,
                                             const std::u16string& path);

}  // namespace qz::crypto
