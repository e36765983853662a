#pragma once
// A writer of Access database files for the project's own tests, fuzzing and sample: a schema described in
// code becomes the bytes of a complete database file (header, system catalog, table definitions, rows, long
// values, usage maps and the catalog's name index). The product itself never writes a database.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace qz::writer {

// The file formats the writer makes.
enum class Format {
    jet3,  // .mdb, Access 97, 2048-byte pages, code-page text
    jet4,  // .mdb, Access 2000-2003, 4096-byte pages, UTF-16 text
    ace12,  // .accdb, Access 2007 and later
    ace14   // .accdb, Access 2010 and later: adds calculated columns
};

// What a column of an ACE file holds besides plain values (reference section 12).
enum class ComplexKind {
    none,
    attachment,  // files; the column's `type` is ignored
    multi_value  // several values of the column's `type` (Byte, Integer, Long, Single, Double, GUID, Decimal, Text)
};

// Column type codes of the file (the reference's table 7.1).
enum class ColumnType : std::uint8_t {
    boolean = 0x01,
    byte = 0x02,
    integer = 0x03,
    long_integer = 0x04,
    currency = 0x05,
    single = 0x06,
    double_float = 0x07,
    date_time = 0x08,
    binary = 0x09,
    text = 0x0A,
    ole = 0x0B,
    memo = 0x0C,
    guid = 0x0F,
    decimal = 0x10,
};

// One stored value: null, a Boolean, an integer (Currency in ten-thousandths, Decimal unscaled), a floating
// number (Date/Time as an OLE date), text, or bytes (Binary, OLE, a 16-byte GUID).
using Value = std::variant<std::monostate, bool, std::int64_t, double, std::u16string, std::vector<std::uint8_t>>;

// One entry of a property blob: a name, the column type code its value is stored as, and the value.
struct Property {
    std::u16string name{};
    ColumnType type = ColumnType::text;
    Value value{};

    static Property text(std::u16string name, std::u16string value);
    static Property memo(std::u16string name, std::u16string value);
    static Property boolean(std::u16string name, bool value);
    static Property byte(std::u16string name, std::uint8_t value);
};

struct Column {
    std::u16string name{};
    ColumnType type = ColumnType::long_integer;
    std::uint16_t size = 0;  // Text: characters (default 255); Binary: bytes (default 255); others: ignored
    bool auto_number = false;          // an incrementing Long, or a Replication ID on a GUID column
    bool fixed_length = false;         // Text/Binary stored in the fixed area (SQL CHAR / BINARY)
    bool hyperlink = false;            // Memo only
    bool unicode_compression = true;   // Text/Memo of Jet 4 and ACE
    std::uint8_t precision = 18;       // Decimal
    std::uint8_t scale = 0;            // Decimal
    std::vector<Property> properties{};  // Description, Format, DecimalPlaces, DefaultValue, ...
    ComplexKind complex = ComplexKind::none;  // ACE only; rows hold null in such a column
    std::u16string expression{};  // ACE 14: a calculated column of result `type`; rows hold null in it
};

// A column of `type` named `name`, every other setting left at its default.
inline Column column(std::u16string name, ColumnType type, std::uint16_t size = 0) {
    Column c;
    c.name = std::move(name);
    c.type = type;
    c.size = size;
    return c;
}

struct IndexColumn {
    std::u16string column{};
    bool descending = false;
};

struct Index {
    std::u16string name{};
    std::vector<IndexColumn> columns{};
    bool primary = false;
    bool unique = false;
    bool ignore_nulls = false;
    bool required = false;
};

struct Table {
    std::u16string name{};
    std::vector<Column> columns{};
    std::vector<Index> indexes{};
    std::vector<std::vector<Value>> rows{};  // one value per column, in column order
    bool hidden = false;                   // catalog flag 0x00000008
    bool system = false;                   // catalog flag 0x80000000
    std::vector<Property> properties{};      // Description, ...
};

// A table of another database: an Access file (catalog type 6), or an ODBC data source (type 4), of which
// the database keeps a copy of the definition.
struct LinkedTable {
    std::u16string name{};
    std::u16string foreign_name{};  // the table's name in its source
    std::u16string database{};      // Access source: the file's path as entered (absolute or relative)
    std::u16string connect{};       // ODBC source: the connect string ("DSN=...;DATABASE=..."); empty otherwise
    std::vector<Column> columns{};  // ODBC source: the cached definition
    std::vector<Index> indexes{};
};

// A relationship between a primary ("one") table and a foreign ("many") table. Unless `attributes` holds
// 0x00000002 (not enforced), both tables get the foreign-key index entries an engine adds.
struct Relationship {
    std::u16string name{};
    std::u16string primary_table{};
    std::u16string foreign_table{};
    std::vector<std::pair<std::u16string, std::u16string>> columns{};  // (primary column, foreign column)
    std::uint32_t attributes = 0;
};

// One row of the query system table (the reference's 11.2). The start (0) and end (255) rows are added.
struct QueryRow {
    std::uint8_t attribute = 0;
    std::optional<std::int16_t> flag{};
    std::optional<std::u16string> name1{};
    std::optional<std::u16string> name2{};
    std::optional<std::u16string> expression{};
};

struct Query {
    std::u16string name{};
    // The catalog flags (8.6): the kind in 0xF0 (0x00 select, 0x10 crosstab, 0x20 delete, 0x30 update,
    // 0x40 append, 0x50 make-table, 0x60 data definition, 0x70 pass-through, 0x80 union), 0x08 hidden,
    // 0x03 on the hidden "~sq_" queries of forms and reports.
    std::uint32_t flags = 0;
    std::vector<QueryRow> rows{};
    std::vector<Property> properties{};

    // A select query: `columns` are expressions such as "[Orders].[Id]" (aliases as "expr AS name" are not
    // parsed: give alias rows yourself), `from` the input tables, `where` an optional condition.
    static Query select(std::u16string name, std::vector<std::u16string> from, std::vector<std::u16string> columns,
                        std::optional<std::u16string> where = std::nullopt);
};

// How a password encrypts an ACE file: every page after the header, under keys made from the password.
enum class AceEncryption {
    agile,         // AES-256-CBC, the key spun from SHA-512, an XML descriptor (Access 2010 and later)
    cryptoapi_rc4  // RC4 with SHA-1 keys: 40 bits in ACE 12 files (Access 2007), 128 bits in later ones
};

struct Schema {
    Format format = Format::jet4;
    std::uint16_t code_page = 1252;
    double created = 45000.5;  // OLE date of creation, also the catalog rows' dates
    // Jet 3 and Jet 4 protection: a database password (at most 20 characters) and the key of the RC4
    // encoding of every page after the header (0: pages stored plainly), independent of each other. ACE: a
    // password encrypts the file by `ace_encryption`, every page's key mixed with `encoding_key` (0: a fixed
    // one); a key without a password is refused.
    std::u16string password{};
    std::uint32_t encoding_key = 0;
    AceEncryption ace_encryption = AceEncryption::agile;
    std::vector<Table> tables{};
    std::vector<LinkedTable> linked_tables{};
    std::vector<Relationship> relationships{};
    std::vector<Query> queries{};
};

// The bytes of a complete database file. Throws std::invalid_argument for a schema that cannot be written
// (unknown column names, values of the wrong kind, names too long, ...).
std::vector<std::uint8_t> build_database(const Schema& schema);

// Writes build_database(schema) to `path`, replacing any file there. Throws std::runtime_error when the file
// cannot be written.
void write_database(const Schema& schema, const std::filesystem::path& path);

}  // namespace qz::writer
