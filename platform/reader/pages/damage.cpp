#include "platform/reader/pages/damage.hpp"

#include "platform/errors.hpp"

namespace qz::jet {

void throw_damaged(const std::u16string& path, std::string_view what) {
    throw errors::database_damaged(path, what);
}

}  // namespace qz::jet
