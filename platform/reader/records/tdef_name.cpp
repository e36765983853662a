#include "platform/reader/records/tdef_name.hpp"

#include "platform/reader/records/text_value.hpp"

namespace qz::jet {

std::u16string read_tdef_name(ByteView& definition, bool jet3, unsigned code_page) {
    const std::size_t length = jet3 ? definition.next_u8() : definition.next_u16();
    return plain_text(definition.next(length).bytes(), jet3, code_page);
}

std::u16string skip_tdef_name(ByteView& definition, bool jet3) {
    definition.skip(jet3 ? definition.next_u8() : definition.next_u16());
    return {};
}

}  // namespace qz::jet
