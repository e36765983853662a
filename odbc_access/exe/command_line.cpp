#include "odbc_access/exe/command_line.hpp"

#include <algorithm>

#include "platform/errors.hpp"
#include "platform/files/native_path.hpp"

namespace qz::front_end {

std::u16string command_text(int argc, const char* const* argv) {
    std::string joined;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) joined += ' ';
        joined += argv[i];
    }
    return files::text_from_native(joined);
}

Elements::Elements(std::u16string_view command_text) {
    // An empty command text has no elements at all, not one empty element.
    if (command_text.empty()) return;
    static constexpr std::u16string_view separator = u"_:_";
    std::size_t start = 0;
    for (std::size_t found = command_text.find(separator); found != std::u16string_view::npos;
         found = command_text.find(separator, start)) {
        elements_.emplace_back(command_text.substr(start, found - start));
        start = found + separator.size();
    }
    elements_.emplace_back(command_text.substr(start));
}

const std::u16string& Elements::at(std::size_t position) const {
    if (position >= elements_.size()) throw errors::subscript_out_of_range();
    return elements_[position];
}

std::u16string output_path_text(std::u16string element) {
    std::replace(element.begin(), element.end(), u'\\', u'/');
    return element;
}

}  // namespace qz::front_end
