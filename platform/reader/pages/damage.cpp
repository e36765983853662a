#include "platform/reader/pages/damage.hpp"

#include "platform/error.hpp"
#include "platform/text/code_page.hpp"

namespace qz::jet {

void throw_damaged(const std::u16string& path, std::string_view what) {
    throw Error(error_number::database_damaged,
                u"Cannot open database '" + path + u"'. It may be damaged: " + text::utf8_to_utf16(what) + u".");
}

}  // namespace qz::jet
