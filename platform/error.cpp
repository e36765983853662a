#include "platform/error.hpp"

#include <utility>

#include "platform/text/code_page.hpp"

namespace qz {

Error::Error(std::int32_t number, std::u16string description)
    : number_(number), description_(std::move(description)), what_(text::utf16_to_utf8(description_)) {}

}  // namespace qz
