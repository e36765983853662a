// Damaged copies of written files in each format: damage to the rows every database holds gives 3049, never a
// smaller catalog; and listing never changes the file.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <tuple>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "mutation/every_listing.hpp"
#include "platform/error.hpp"
#include "platform/reader/pages/data_page.hpp"
#include "platform/reader/pages/page_file.hpp"
#include "platform/reader/records/table_definition.hpp"
#include "platform/reader/system_tables/catalog_objects.hpp"
#include "support/written_database.hpp"

namespace qz::test {
namespace {

using writer::ColumnType;
using writer::Format;
using Bytes = std::string;

// Two related tables, an index and a saved query: a catalog with rows of every kind the listings read.
writer::Schema small_schema(Format format, const std::u16string& password = u"", std::uint32_t key = 0) {
    writer::Schema s = schema_of(
        format, {{u"Clientes",
                  {column(u"Id", ColumnType::long_integer), column(u"Nome", ColumnType::text, 40)},
                  {{u"PrimaryKey", {{u"Id"}}, true, true, false, true}}},
                 {u"Pedidos",
                  {column(u"Cliente", ColumnType::long_integer), column(u"Data", ColumnType::date_time)}}});
    if (format == Format::ace12 || format == Format::ace14) {  // and the tables behind a complex column
        s.tables[0].columns.push_back(column(u"Anexos", ColumnType::ole));
        s.tables[0].columns.back().complex = writer::ComplexKind::attachment;
    }
    s.relationships = {{u"ClientesPedidos", u"Clientes", u"Pedidos", {{u"Id", u"Cliente"}}, 0}};
    s.queries = {writer::Query::select(u"Nomes", {u"Clientes"}, {u"[Clientes].[Nome]"})};
    s.password = password;
    s.encoding_key = key;
    return s;
}

class WrittenCopies : public ::testing::TestWithParam<Format> {};

// Where the catalog keeps its usage map, its data pages and the row of the Tables container, found through
// the reader on the whole file.
struct CatalogPlaces {
    std::size_t page_size = 0, usage_map = 0, usage_map_length = 0;
    std::size_t tables_row = 0, tables_row_length = 0, tables_row_entry = 0, id_offset = 0, type_offset = 0;
    std::vector<std::size_t> data_pages;
};

CatalogPlaces catalog_places(const std::filesystem::path& file, const Bytes& bytes) {
    const jet::PageFile pages(file.u16string(), u"");
    const jet::TableDefinition catalog = jet::read_table_definition(pages, jet::catalog_definition_page);
    const bool jet3 = pages.format().jet3;
    CatalogPlaces p;
    p.page_size = pages.format().page_size;
    const auto offset_in_file = [&](const jet::RowBytes& row, std::uint32_t page) {
        return page * p.page_size + static_cast<std::size_t>(row.bytes.data() - row.page->data());
    };
    const jet::RowBytes map = jet::read_raw_row(pages, catalog.owned_pages);
    p.usage_map = offset_in_file(map, catalog.owned_pages.page);
    p.usage_map_length = map.bytes.size();
    for (const jet::CatalogObject& o : jet::read_catalog_objects(pages, catalog)) {
        if (o.parent_id != jet::catalog_root_id || o.name != u"Tables") continue;
        const jet::RowBytes row = jet::read_raw_row(pages, o.slot);
        p.tables_row = offset_in_file(row, o.slot.page);
        p.tables_row_length = row.bytes.size();
        p.tables_row_entry = o.slot.page * p.page_size + (jet3 ? 0x0A : 0x0E) + 2u * o.slot.row;
    }
    for (const jet::ColumnDescriptor& c : catalog.columns) {
        if (c.name == u"Id") p.id_offset = (jet3 ? 1 : 2) + c.fixed_offset;  // after the row's column count
        if (c.name == u"Type") p.type_offset = (jet3 ? 1 : 2) + c.fixed_offset;
    }
    for (std::size_t at = p.page_size; at + p.page_size <= bytes.size(); at += p.page_size) {
        if (bytes[at] == 0x01 && bytes.compare(at + 4, 4, std::string("\x02\0\0\0", 4)) == 0)
            p.data_pages.push_back(at);
    }
    return p;
}

TEST_P(WrittenCopies, EachDamageToTheRowsEveryDatabaseHoldsGives3049) {
    const WrittenDatabase file(small_schema(GetParam()));
    const Bytes original = read_file(file.path());
    const CatalogPlaces p = catalog_places(file.path(), original);
    const std::size_t name = original.find("Tables", p.tables_row) != std::string::npos
                                 ? original.find("Tables", p.tables_row)
                                 : original.find(std::string("T\0a\0b\0l\0e\0s\0", 12), p.tables_row);
    ASSERT_TRUE(p.tables_row != 0 && name < p.tables_row + p.tables_row_length && !p.data_pages.empty());
    std::vector<std::pair<std::string, std::function<void(Bytes&)>>> damages = {
        // An inline map keeps its bitmap after the kind and the first page; a reference map its pages after
        // the kind.
        {"usage map emptied",
         [&](Bytes& b) {
             const std::size_t keep = b[p.usage_map] == 0 ? 5 : 1;
             std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(p.usage_map + keep),
                         p.usage_map_length - keep, '\0');
         }},
        {"Tables row deleted",
         [&](Bytes& b) { b[p.tables_row_entry + 1] = static_cast<char>(b[p.tables_row_entry + 1] | 0x80); }},
        {"Tables renamed", [&](Bytes& b) { b[name + 1] = 'x'; }},
        {"Tables retyped", [&](Bytes& b) { b[p.tables_row + p.type_offset] = 0x01; }},
        {"Tables renumbered",
         [&](Bytes& b) { b.replace(p.tables_row + p.id_offset, 4, std::string("\x09\0\0\x0F", 4)); }},
    };
    for (const std::size_t page : p.data_pages) {
        const std::size_t row_count = page + (GetParam() == Format::jet3 ? 0x08 : 0x0C);
        damages.push_back({"row count zeroed at " + std::to_string(page),
                           [=](Bytes& b) { b[row_count] = b[row_count + 1] = 0; }});
        damages.push_back({"page type zeroed at " + std::to_string(page), [=](Bytes& b) { b[page] = 0; }});
    }
    for (const auto& [what, damage] : damages) {
        Bytes copy = original;
        damage(copy);
        ASSERT_NE(copy, original) << what;
        const auto path = file.folder().write("damaged" + file.path().extension().string(), copy);
        for (const char16_t* kind : {u"", u"tab", u"sys"}) {
            std::int32_t number = 0;
            try {
                qz_cls_odbc_access session;
                session.connect(path.u16string());
                session.get_tables(kind);
            } catch (const Error& error) {
                number = error.number();
            }
            EXPECT_EQ(number, error_number::database_damaged) << what;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, WrittenCopies,
                         ::testing::Values(Format::jet3, Format::jet4, Format::ace14));

// Listing never writes: after every listing the file's bytes, size, mode, modification and change times (to
// the nanosecond) are as before and nothing changed in its folder, though the file is writable. Tests may run
// as root, whom a read-only mode does not stop, so the proof is what happened to the file.
TEST(UntouchedFile, EveryListingLeavesTheFileAsItWas) {
    for (const writer::Schema& schema :
         {small_schema(Format::jet3), small_schema(Format::jet4, u"Senha", 0x5EED1234u),
          small_schema(Format::ace14)}) {
        const WrittenDatabase file(schema);
        SCOPED_TRACE(file.path().filename().string());
        const timespec times[2] = {{1700000000, 0}, {1700000000, 123456789}};
        ASSERT_EQ(::utimensat(AT_FDCWD, file.path().c_str(), times, 0), 0);
        const std::string bytes = read_file(file.path());
        struct stat before {
        }, after{};
        ASSERT_EQ(::stat(file.path().c_str(), &before), 0);
        const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ASSERT_GE(::inotify_add_watch(watch, file.folder().path().c_str(),
                                      IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE |
                                          IN_MOVE | IN_DELETE_SELF | IN_MOVE_SELF),
                  0);

        const std::string password = schema.password.empty() ? "" : "Senha";
        const ListingOutcomes outcomes = run_every_listing(file.path(), password, 1000);
        EXPECT_TRUE(outcomes.faults.empty() && outcomes.errors.empty());
        EXPECT_GT(outcomes.texts, 5u);
        // Another letter case or a prefix of the password is refused, and a refused open changes nothing.
        for (const std::string wrong : {"senha", "Senh"}) {
            if (password.empty()) break;
            EXPECT_EQ(run_every_listing(file.path(), wrong, 1).errors, std::vector<std::int32_t>{3031});
        }

        alignas(inotify_event) char events[4096];
        EXPECT_LE(::read(watch, events, sizeof events), 0) << "a change was made in the file's folder";
        ::close(watch);
        ASSERT_EQ(::stat(file.path().c_str(), &after), 0);
        EXPECT_EQ(read_file(file.path()), bytes);
        EXPECT_EQ(std::tie(after.st_size, after.st_mode, after.st_mtim.tv_sec, after.st_mtim.tv_nsec,
                           after.st_ctim.tv_sec, after.st_ctim.tv_nsec),
                  std::tie(before.st_size, before.st_mode, before.st_mtim.tv_sec, before.st_mtim.tv_nsec,
                           before.st_ctim.tv_sec, before.st_ctim.tv_nsec));
    }
}

}  // namespace
}  // namespace qz::test
