#pragma once
// Object and field names compare without regard to letter case, as the engine compares them under the
// General sort order. The catalog finds objects by this same rule.

#include <string>
#include <string_view>

namespace qz::query {

// `text` with its letters folded by Unicode's simple case folding (to small letters, in most scripts).
std::u16string fold_case(std::u16string_view text);

bool same_name(std::u16string_view a, std::u16string_view b);

// The ASCII text `ascii` as UTF-16, for messages and fixed names.
std::u16string ascii(std::string_view ascii);

}  // namespace qz::query
