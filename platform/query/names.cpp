#include "platform/query/names.hpp"

#include <algorithm>
#include <iterator>

#include "platform/text/code_points.hpp"

namespace qz::query {

namespace {

struct CaseFolding {
    char32_t code;
    char32_t folded;
};

// Unicode's simple case folding, in code order: every script's capitals and small letters, which the engine
// also takes for one name.
constexpr CaseFolding case_foldings[] = {
#include "platform/query/case_folding.inc"
};

char32_t fold(char32_t c) {
    if (c < 0x80) return c >= U'A' && c <= U'Z' ? c + 0x20 : c;
    const auto* found = std::lower_bound(std::begin(case_foldings), std::end(case_foldings), c,
                                         [](const CaseFolding& f, char32_t code) { return f.code < code; });
    return found != std::end(case_foldings) && found->code == c ? found->folded : c;
}

}  // namespace

std::u16string fold_case(std::u16string_view text) {
    std::u16string folded;
    folded.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        text::append_code_point(folded, fold(text::next_code_point(text, i)));
    return folded;
}

bool same_name(std::u16string_view a, std::u16string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (fold(text::next_code_point(a, i)) != fold(text::next_code_point(b, j))) return false;
    }
    return i == a.size() && j == b.size();
}

std::u16string ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

}  // namespace qz::query
