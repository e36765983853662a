#pragma once
// The database password of Jet 3 and Jet 4 files ("share-level" protection): stored, masked, in page 0, and
// compared exactly (letter case included) with the one the caller gives. The pages themselves stay plain.

#include <string>
#include <string_view>

#include "platform/reader/protection/protection_fields.hpp"

namespace qz::crypto {

// The stored password, empty when the file has none. Not for encrypted ACE files, whose field is filler.
std::u16string stored_database_password(const ProtectionFields& fields);

// Raises 3031 unless `password` opens the file: any password opens a file without a stored password.
void check_database_password(const ProtectionFields& fields, std::u16string_view password);

}  // namespace qz::crypto
