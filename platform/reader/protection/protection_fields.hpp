#pragma once
// The fields of page 0 that say how a database file is protected: its format version, code page, encoding
// key, stored password, creation date (which masks the Jet 4 password) and, in encrypted ACE files, the
// Office EncryptionInfo. The header page decoder of the page reader fills them in.

#include <cstdint>
#include <span>

#include "platform/reader/protection/key_bytes.hpp"

namespace qz::crypto {

// Format version byte at 0x14: 0 Jet 3, 1 Jet 4, 2 and above ACE.
inline constexpr std::uint8_t jet3_version = 0x00;
inline constexpr std::uint8_t jet4_version = 0x01;

struct ProtectionFields {
    std::uint8_t version = 0;
    // The ANSI code page the Jet 3 password is written in.
    std::uint16_t code_page = 0;
    // Zero: pages are stored plain; otherwise the key of Jet encoding or the block key base of ACE encryption.
    BlockKey encoding_key{};
    // The database password field: 20 bytes of code-page text (Jet 3) or 40 bytes of UTF-16LE (Jet 4, ACE).
    std::span<const std::uint8_t> password_field;
    // The creation date (days since 1899-12-30) whose integer part masks the Jet 4 password; 0 for Jet 3.
    double creation_date = 0;
    // Encrypted ACE files only: the Office EncryptionInfo; empty otherwise.
    std::span<const std::uint8_t> encryption_info;

    bool is_ace() const { return version > jet4_version; }
    bool has_encoding_key() const { return encoding_key != BlockKey{}; }
};

}  // namespace qz::crypto
