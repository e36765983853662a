#include "platform/reader/protection/database_password.hpp"

#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "platform/errors.hpp"
#include "platform/reader/protection/libcrypto_functions.hpp"
#include "platform/text/code_page.hpp"
#include "platform/text/utf16le.hpp"

namespace qz::crypto {
namespace {

// Both formats hold at most 20 characters: 20 bytes in Jet 3, 20 UTF-16 units in Jet 4; the engine uses
// only the first 20 characters of a longer password.
constexpr std::size_t password_capacity = 20;

// The Jet 4 password is further masked with the creation date's whole days, as a little-endian 32-bit
// integer. The cast truncates toward zero and saturates (NaN gives 0), so a damaged date cannot overflow.
BlockKey creation_date_mask(double creation_date) {
    std::int32_t days = 0;
    if (std::isnan(creation_date)) {
        days = 0;
    } else if (creation_date >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        days = std::numeric_limits<std::int32_t>::max();
    } else if (creation_date <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
        days = std::numeric_limits<std::int32_t>::min();
    } else {
        days = static_cast<std::int32_t>(creation_date);
    }
    return le32(static_cast<std::uint32_t>(days));
}

std::u16string jet3_password(const ProtectionFields& fields) {
    std::string bytes;
    for (const std::uint8_t byte : fields.password_field) {
        if (byte == 0) break;
        bytes.push_back(static_cast<char>(byte));
    }
    return text::windows_code_page_to_utf16(bytes, fields.code_page);
}

std::u16string jet4_password(const ProtectionFields& fields) {
    const BlockKey mask = creation_date_mask(fields.creation_date);
    Bytes unmasked(fields.password_field.begin(), fields.password_field.end());
    for (std::size_t i = 0; i < unmasked.size(); ++i) unmasked[i] ^= mask[i % 4];
    std::u16string password = text::utf16le_to_utf16(unmasked);
    return password.substr(0, password.find(u'\0'));
}

// The password as the stored field holds it: at most `password_capacity` units, zero-padded.
std::array<char16_t, password_capacity> padded(std::u16string_view password) {
    std::array<char16_t, password_capacity> field{};
    password.copy(field.data(), field.size());
    return field;
}

}  // namespace

std::u16string stored_database_password(const ProtectionFields& fields) {
    return fields.version == jet3_version ? jet3_password(fields) : jet4_password(fields);
}

void check_database_password(const ProtectionFields& fields, std::u16string_view password) {
    const std::u16string stored = stored_database_password(fields);
    if (stored.empty()) return;
    // Compared in a time that does not depend on where the two differ, so timing tells nothing of the stored
    // password.
    const std::u16string_view given = password.substr(0, password_capacity);
    const auto stored_field = padded(stored);
    const auto given_field = padded(given);
    const bool same_units =
        libcrypto().CRYPTO_memcmp(stored_field.data(), given_field.data(), sizeof stored_field) == 0;
    if (!same_units || given.size() != stored.size()) throw errors::wrong_password();
}

}  // namespace qz::crypto
