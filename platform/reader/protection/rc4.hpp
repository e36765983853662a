#pragma once
// RC4, kept here because OpenSSL 3 offers it only through its legacy provider, which a reader of old Access
// files should not need at run time. Jet encoding and the CryptoAPI RC4 scheme use it.

#include <array>
#include <cstdint>
#include <span>

namespace qz::crypto {

class Rc4 {
public:
    // `key` must hold 1 to 256 bytes.
    explicit Rc4(std::span<const std::uint8_t> key);
    // XORs `data` with the next bytes of the keystream; the stream continues across calls.
    void apply(std::span<std::uint8_t> data);

private:
    std::array<std::uint8_t, 256> state_{};
    std::uint8_t i_ = 0;
    std::uint8_t j_ = 0;
};

}  // namespace qz::crypto
