#pragma once
// The view every decoder of the database file's pages reads through. A read out of bounds, or a failed
// check of a value read, raises error 3049 naming the database.

#include "platform/bytes/byte_view.hpp"
#include "platform/reader/pages/damage.hpp"

namespace qz::jet {

using ByteView = bytes::View<throw_damaged>;

}  // namespace qz::jet
