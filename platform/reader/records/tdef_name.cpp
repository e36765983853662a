#include "platform/reader/records/tdef_name.hpp"

#include "platform/reader/records/text_value.hpp"

namespace qz::jet {

std::u16string read_tdef_name(const ByteView& definition, std::size_t& pos, bool jet3, unsigned code_page) {
    const std::size_t length = jet3 ? definition.u8(pos) : definition.u16(pos);
    pos += jet3 ? 1 : 2;
    const ByteView bytes = definition.sub(pos, length);
    pos += length;
    return plain_text(bytes.bytes(), jet3, code_page);
}

}  // namespace qz::jet
