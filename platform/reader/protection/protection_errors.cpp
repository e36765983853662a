#include "platform/reader/protection/protection_errors.hpp"

#include "platform/errors.hpp"

namespace qz::crypto {

void throw_uninterpretable_header(const std::u16string& path, std::string_view /*what*/) {
    throw errors::unrecognized_format(path);
}

}  // namespace qz::crypto
