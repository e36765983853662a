#pragma once
// Protected databases as the writer makes them, and their page 0 without its header mask.

#include <string>
#include <vector>

#include "platform/reader/protection/header_mask.hpp"
#include "writer/access_writer.hpp"

namespace qz::test {

using Page = std::vector<std::uint8_t>;

inline writer::Schema protected_schema(writer::Format format, std::u16string password, std::uint32_t encoding_key = 0,
                                       writer::AceEncryption scheme = writer::AceEncryption::agile) {
    writer::Table orders{u"Orders", {writer::column(u"Number", writer::ColumnType::long_integer),
                                     writer::column(u"Customer", writer::ColumnType::text, 40)}};
    orders.rows = {{std::int64_t{1}, std::u16string(u"Ana")}};
    return {.format = format, .password = std::move(password), .encoding_key = encoding_key,
            .ace_encryption = scheme, .tables = {orders}};
}

// Page 0 of the file with its fixed header mask removed.
inline Page header_page(const writer::Schema& schema) {
    const std::vector<std::uint8_t> file = writer::build_database(schema);
    const bool jet3 = schema.format == writer::Format::jet3;
    Page page(file.begin(), file.begin() + (jet3 ? 2048 : 4096));
    crypto::remove_header_mask(page, jet3);
    return page;
}

}  // namespace qz::test
