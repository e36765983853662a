#pragma once
// Page 0, the database header (reference 1.2), with its RC4-masked region (1.1).

#include <span>

#include "writer/access_writer.hpp"
#include "writer/file_layout.hpp"

namespace qz::writer {

void write_header_page(std::span<std::uint8_t> page, const FileLayout& layout, const Schema& schema);

}  // namespace qz::writer
