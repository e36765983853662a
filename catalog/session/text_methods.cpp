// The session publishes the UTF-8 methods to its clients; the work is done in text/.

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "text/utf8_methods.hpp"

namespace qz {

bool qz_cls_odbc_access::IsUTF8(const std::string& Text, std::int32_t lngReadSize) const {
    return text::IsUTF8(Text, lngReadSize);
}

void qz_cls_odbc_access::UTF16toUTF8(const std::u16string& Text, std::string& TextOut) const {
    text::UTF16toUTF8(Text, TextOut);
}

void qz_cls_odbc_access::UTF8toUTF16(const std::string& Text, std::u16string& TextOut) const {
    text::UTF8toUTF16(Text, TextOut);
}

std::u16string qz_cls_odbc_access::UTF8_Encode(std::u16string Text) const { return text::UTF8_Encode(Text); }

std::u16string qz_cls_odbc_access::Encode_UTF8(const std::u16string& astr) const {
    return text::Encode_UTF8(astr);
}

}  // namespace qz
