#include "catalog/listings/find_catalog_entry.hpp"

namespace qz::listings {

std::u16string_view without_surrounding_spaces(std::u16string_view wanted) {
    const std::size_t first = wanted.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return {};
    return wanted.substr(first, wanted.find_last_not_of(u' ') - first + 1);
}

}  // namespace qz::listings
