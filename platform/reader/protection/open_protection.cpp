#include "platform/reader/protection/database_password.hpp"
#include "platform/reader/protection/jet_encoding.hpp"
#include "platform/reader/protection/office_encryption.hpp"
#include "platform/reader/protection/page_decoder.hpp"
#include "platform/reader/protection/protection_fields.hpp"

namespace qz::crypto {

std::unique_ptr<PageDecoder> open_protection(const ProtectionFields& fields, std::u16string_view password,
                                             const std::u16string& path) {
    if (fields.is_ace() && fields.has_encoding_key()) return open_office_encryption(fields, password, path);

    // Jet files (and ACE files that are not encrypted): the stored password and the encoding are independent.
    check_database_password(fields, password);
    if (fields.has_encoding_key()) return make_jet_encoding_decoder(fields.encoding_key);
    return nullptr;
}

}  // namespace qz::crypto
