#include "platform/reader/protection/protection_errors.hpp"

#include "platform/error.hpp"

namespace qz::crypto {

void throw_wrong_password() { throw Error(error_number::wrong_password, u"Not a valid password."); }

void throw_unrecognized_format(const std::u16string& path) {
    throw Error(error_number::unrecognized_format, u"Unrecognized database format '" + path + u"'.");
}

void throw_uninterpretable_header(const std::u16string& path, std::string_view /*what*/) {
    throw_unrecognized_format(path);
}

}  // namespace qz::crypto
