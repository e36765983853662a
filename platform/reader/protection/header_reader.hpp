#pragma once
// The view the encryption header kept in page 0 is read through. A read past its end, or a failed check of a
// value read, means a header this reader cannot interpret: error 3343 naming the database.

#include "platform/bytes/byte_view.hpp"
#include "platform/reader/protection/protection_errors.hpp"

namespace qz::crypto {

using HeaderReader = bytes::View<throw_uninterpretable_header>;

}  // namespace qz::crypto
