// Written files read back: a catalog whose rows are all marked deleted is damage, never an empty catalog; and
// listing never changes the file.

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "mutation/every_listing.hpp"
#include "platform/error.hpp"
#include "support/written_database.hpp"

namespace qz::test {
namespace {

using writer::ColumnType;
using writer::Format;

// Two related tables, an index and a saved query: a catalog with rows of every kind the listings read.
writer::Schema small_schema() {
    writer::Schema s =
        schema_of(Format::jet4,
                  {{u"Clientes",
                    {column(u"Id", ColumnType::long_integer), column(u"Nome", ColumnType::text, 40)},
                    {{u"PrimaryKey", {{u"Id"}}, true, true, false, true}}},
                   {u"Pedidos",
                    {column(u"Cliente", ColumnType::long_integer), column(u"Data", ColumnType::date_time)}}});
    s.relationships = {{u"ClientesPedidos", u"Clientes", u"Pedidos", {{u"Id", u"Cliente"}}, 0}};
    s.queries = {writer::Query::select(u"Nomes", {u"Clientes"}, {u"[Clientes].[Nome]"})};
    return s;
}

// Every row on the catalog's data pages (owned by its definition on page 2) gets the deleted flag, the top
// bit of its offset in the page's row table (row count at 0x0C, offsets after it in Jet 4).
TEST(WrittenCopies, ACatalogWhoseRowsAreDeletedGives3049) {
    const WrittenDatabase file(small_schema());
    std::string bytes = read_file(file.path());
    for (std::size_t page = 0; page < bytes.size(); page += 4096) {
        if (bytes[page] != 0x01 || bytes.compare(page + 4, 4, std::string("\x02\0\0\0", 4)) != 0) continue;
        for (std::size_t row = 0; row < static_cast<unsigned char>(bytes[page + 0x0C]); ++row)
            bytes[page + 0x0F + 2 * row] = static_cast<char>(bytes[page + 0x0F + 2 * row] | 0x80);
    }
    std::int32_t number = 0;
    try {
        qz_cls_odbc_access session;
        session.connect(file.folder().write("deleted.mdb", bytes).u16string());
        session.get_tables(u"");
    } catch (const Error& error) {
        number = error.number();
    }
    EXPECT_EQ(number, error_number::database_damaged);
}

// Listing never writes: after every listing nothing in the file's folder was changed, created or touched,
// though the file is writable, and its bytes are as before. Tests may run as root, whom a read-only mode does
// not stop, so the proof is what happened to the file.
TEST(UntouchedFile, EveryListingLeavesTheFileAsItWas) {
    const WrittenDatabase file(small_schema());
    const std::string bytes = read_file(file.path());
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(watch, file.folder().path().c_str(),
                                  IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVE |
                                      IN_DELETE_SELF | IN_MOVE_SELF),
              0);

    const ListingOutcomes outcomes = run_every_listing(file.path(), "", 1000);
    EXPECT_TRUE(outcomes.faults.empty() && outcomes.errors.empty());
    EXPECT_GT(outcomes.texts, 5u);

    alignas(inotify_event) char events[4096];
    EXPECT_LE(::read(watch, events, sizeof events), 0) << "a change was made in the file's folder";
    ::close(watch);
    EXPECT_EQ(read_file(file.path()), bytes);
}

}  // namespace
}  // namespace qz::test
