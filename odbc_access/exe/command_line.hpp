#pragma once
// The request as the caller wrote it: one argument text whose elements are joined by "_:_".

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qz::front_end {

// The process arguments after the program name, joined by one blank each and decoded from UTF-8; a byte
// that is not UTF-8 is kept as U+DC80 + byte, so a path holding it names the same file. Callers pass the
// whole request as one argument.
std::u16string command_text(int argc, const char* const* argv);

// The command text cut at every "_:_", quotes and blanks kept.
class Elements {
  public:
    explicit Elements(std::u16string_view command_text);

    std::size_t size() const { return elements_.size(); }
    // Raises error 9 (subscript out of range) when the command text has no element `position`.
    const std::u16string& at(std::size_t position) const;

  private:
    std::vector<std::u16string> elements_;
};

// Element 9 as a path: every "\" becomes "/".
std::u16string output_path_text(std::u16string element);

}  // namespace qz::front_end
