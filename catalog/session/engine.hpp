#pragma once
// The database engine as the session and the listings see it: the read-only catalog object model of an
// Access database. Collections are walked by 16-bit position; every object is fetched for the one read that
// needs it and released after it. Every member may raise qz::Error.

#include <compare>
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

// Exported, so that a client's own engine and the library agree on these types.
#pragma GCC visibility push(default)
namespace qz::engine {

// A file as the system tells files apart: another path, a hard link or a symbolic link to the same file all
// give the same device and inode.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

// A date-time as the engine keeps it: days since 30 December 1899, the fraction being the time of day.
struct OleDate {
    double days = 0.0;
    bool operator==(const OleDate&) const = default;
};

// A value of any kind (default values, property values). The empty alternative is the null/empty value.
using Variant = std::variant<std::monostate, bool, std::int64_t, double, std::u16string, OleDate>;

template <class T>
class Collection {
public:
    virtual ~Collection() = default;
    virtual std::int16_t Count() const = 0;
    // The element at `position`, from 0 to Count() - 1; any other position raises error 3265.
    virtual std::unique_ptr<T> Item(std::int16_t position) const = 0;
};

class Property {
public:
    virtual ~Property() = default;
    virtual std::u16string Name() const = 0;
    virtual Variant Value() const = 0;
};

class Field {
public:
    virtual ~Field() = default;
    virtual std::u16string Name() const = 0;
    virtual std::int16_t Type() const = 0;
    virtual std::int32_t Size() const = 0;
    virtual std::int32_t Attributes() const = 0;
    virtual std::int32_t CollatingOrder() const = 0;
    virtual std::int16_t OrdinalPosition() const = 0;
    virtual Variant DefaultValue() const = 0;
    virtual bool Required() const = 0;
    virtual bool AllowZeroLength() const = 0;
    // The joined field of the other table; meaningful on the fields of a relation.
    virtual std::u16string ForeignName() const = 0;
    virtual std::unique_ptr<Collection<Property>> Properties() const = 0;
};

class Index {
public:
    virtual ~Index() = default;
    virtual std::u16string Name() const = 0;
    virtual bool Primary() const = 0;
    virtual bool Unique() const = 0;
    virtual bool Foreign() const = 0;
    virtual bool Clustered() const = 0;
    virtual bool Required() const = 0;
    virtual bool IgnoreNulls() const = 0;
    // The key fields as text: "+Name" ascending, "-Name" descending, joined by ";".
    virtual std::u16string Fields() const = 0;
};

class TableDef {
public:
    virtual ~TableDef() = default;
    virtual std::u16string Name() const = 0;
    virtual std::int32_t Attributes() const = 0;
    virtual OleDate DateCreated() const = 0;
    virtual OleDate LastUpdated() const = 0;
    virtual std::unique_ptr<Collection<Field>> Fields() const = 0;
    virtual std::unique_ptr<Collection<Index>> Indexes() const = 0;
};

class QueryDef {
public:
    virtual ~QueryDef() = default;
    virtual std::u16string Name() const = 0;
    virtual OleDate DateCreated() const = 0;
    virtual OleDate LastUpdated() const = 0;
    virtual std::unique_ptr<Collection<Field>> Fields() const = 0;
};

class Relation {
public:
    virtual ~Relation() = default;
    virtual std::u16string Name() const = 0;
    virtual std::u16string Table() const = 0;
    virtual std::u16string ForeignTable() const = 0;
    virtual std::int32_t Attributes() const = 0;
    virtual std::unique_ptr<Collection<Field>> Fields() const = 0;
};

class Database {
public:
    virtual ~Database() = default;
    virtual std::unique_ptr<Collection<TableDef>> TableDefs() const = 0;
    virtual std::unique_ptr<Collection<QueryDef>> QueryDefs() const = 0;
    virtual std::unique_ptr<Collection<Relation>> Relations() const = 0;
    // The files read so far: the database's own and the sources of its linked tables opened by the listings
    // run until now. Whoever writes files checks their targets against these. None for a database that is
    // not read from files.
    virtual std::vector<FileIdentity> files_read() const { return {}; }
};

// Opens databases. The session holds the returned database for as long as it keeps it (a counted reference).
class DBEngine {
public:
    virtual ~DBEngine() = default;
    // `connect` is the connect text, ";pwd=" followed by the password.
    virtual std::shared_ptr<Database> OpenDatabase(const std::u16string& name, bool exclusive, bool read_only,
                                                   const std::u16string& connect) = 0;
};

}  // namespace qz::engine
#pragma GCC visibility pop
