#pragma once
// The five UTF-8 methods the session class publishes to its clients: detection of UTF-8 bytes, conversion
// between UTF-16 text and UTF-8 byte strings, and two encoders that write UTF-8 one byte per character.
// None of them needs a session or an open database; the session class forwards to them.
//
// A byte string is a std::string of raw bytes. Byte-per-character text holds one character per byte, each
// byte read through Windows-1252 (bytes below 0x80 are ASCII; the five bytes Windows-1252 leaves undefined
// stand for U+0081, U+008D, U+008F, U+0090 and U+009D, so every byte round-trips).

#include <cstdint>
#include <string>

namespace qz::text {

// Whether the first `lngReadSize` bytes of `Text` look like UTF-8 in the six-byte form of RFC 2279. Only
// the pattern of lead and continuation bytes is checked: overlong forms, leads up to 0xFD and encoded
// surrogates pass, 0xFE and 0xFF are passed over, and a sequence cut off by the end of the sample passes.
// False for an empty text or a sample size of 0 or less; never raises.
bool IsUTF8(const std::string& Text, std::int32_t lngReadSize = 2048);

// `Text` as UTF-8 bytes, unit for unit: a U+0000 is converted like any unit, a surrogate pair becomes one
// four-byte sequence and an unpaired surrogate becomes U+FFFD. Empty text gives an empty byte string.
// Raises the overflow error (6) when 4 bytes per unit would not fit a signed 32-bit count.
void UTF16toUTF8(const std::u16string& Text, std::string& TextOut);

// The UTF-8 bytes of `Text` as UTF-16 text; every byte that is not part of a well-formed UTF-8 sequence
// (overlong forms, encoded surrogates, code points above U+10FFFF, cut sequences) becomes one U+FFFD.
// An empty byte string gives empty text. Raises the overflow error (6) when 2 bytes per input byte would
// not fit a signed 32-bit count.
void UTF8toUTF16(const std::string& Text, std::u16string& TextOut);

// The UTF-8 bytes of `Text` up to its first U+0000, as byte-per-character text. Surrogate pairs are joined
// into four-byte sequences; an unpaired surrogate becomes the bytes of U+FFFD. Never raises.
std::u16string UTF8_Encode(const std::u16string& Text);

// Each unit of `astr` encoded by itself as one to three UTF-8 bytes, as byte-per-character text: U+0000 is
// copied and the halves of a surrogate pair become two three-byte sequences. Texts of 32767 units or more
// raise the overflow error (6), since clients count these units in a signed 16-bit number.
std::u16string Encode_UTF8(const std::u16string& astr);

}  // namespace qz::text
