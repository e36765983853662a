#pragma once
// Page 0, the database header (reference 1.2), with its RC4-masked region (1.1) and, in an encrypted ACE
// file, the EncryptionInfo (1.6).

#include <span>

#include "writer/access_writer.hpp"
#include "writer/file_layout.hpp"

namespace qz::writer {

// `encoding_key`: the key at 0x3E. `encryption_info`: an encrypted ACE file's EncryptionInfo, else empty.
void write_header_page(std::span<std::uint8_t> page, const FileLayout& layout, const Schema& schema,
                       std::uint32_t encoding_key, std::span<const std::uint8_t> encryption_info);

}  // namespace qz::writer
