#pragma once
// Decodes a property blob, the LvProp long value of an MSysObjects row: the properties Access keeps for an
// object (a table, a query, the database) and for each of its columns, such as DefaultValue, Required,
// DecimalPlaces, Description or UnicodeCompression. None of them is in the table definition.

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/session/engine.hpp"
#include "platform/reader/pages/byte_view.hpp"

namespace qz::jet {

struct PropertyEntry {
    std::u16string name;
    std::uint8_t data_type;  // the column type code the value is stored as (1 Boolean ... 12 Memo, 15 GUID)
    bool ddl;                // created with DAO's DDL option, which protects it from users
    // Boolean: bool; Byte (0..255), Integer, Long: int64; Currency, Single, Double: double; Date/Time:
    // OleDate; Text, Memo: text; a GUID (type 15, or a 16-byte Binary named GUID): "{XXXXXXXX-...}" text;
    // any other Binary, OLE or unknown type: empty.
    engine::Variant value;
};

struct PropertyMap {
    std::u16string name;  // empty for the object's own map, else the column (or query output) name
    std::vector<PropertyEntry> entries;
};

// The property maps of `blob` in stored order. `jet3` selects the Jet 3 signature and single-byte text in
// `code_page`; Jet 4 and ACE blobs hold UTF-16 text. An empty blob has no maps. A blob that is not a
// property blob of this format, or whose lengths, counts or name references do not fit, raises error 3049.
std::vector<PropertyMap> parse_property_blob(ByteView blob, bool jet3, unsigned code_page);

}  // namespace qz::jet
