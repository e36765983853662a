#include "platform/reader/protection/jet_encoding.hpp"

#include "platform/reader/protection/rc4.hpp"

namespace qz::crypto {
namespace {

class JetEncodingDecoder final : public PageDecoder {
public:
    explicit JetEncodingDecoder(const BlockKey& encoding_key) : encoding_key_(encoding_key) {}

    // A fresh RC4 stream per page, keyed with the page's block key, over the whole page.
    void decode(std::uint32_t page_number, std::span<std::uint8_t> page) const override {
        const BlockKey key = page_block_key(encoding_key_, page_number);
        Rc4(key).apply(page);
    }

private:
    BlockKey encoding_key_;
};

}  // namespace

std::unique_ptr<PageDecoder> make_jet_encoding_decoder(const BlockKey& encoding_key) {
    return std::make_unique<JetEncodingDecoder>(encoding_key);
}

}  // namespace qz::crypto
