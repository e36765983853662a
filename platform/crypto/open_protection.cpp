#include "platform/crypto/page_decoder.hpp"

namespace qz::crypto {

std::unique_ptr<PageDecoder> open_protection(std::span<const std::uint8_t>, std::u16string_view,
                                             const std::u16string&) {
    return nullptr;
}

}  // namespace qz::crypto
