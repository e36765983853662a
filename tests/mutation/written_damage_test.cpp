// Damaged copies of written files: damage to the rows every database holds gives 3049, never a smaller
// catalog; and listing never changes the file.

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <functional>
#include <tuple>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "mutation/every_listing.hpp"
#include "platform/error.hpp"
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

// The row of the Tables container in the catalog, deleted, renamed, or its page's row count or type zeroed,
// gives 3049 for every table listing: never a smaller catalog. The row is found by its name on a data page of
// the catalog (owned by its definition on page 2), as the code page or as UTF-16.
TEST(WrittenCopies, EachDamageToTheRowsEveryDatabaseHoldsGives3049) {
    for (const Format format : {Format::jet3, Format::jet4, Format::ace14}) {
        const WrittenDatabase file(small_schema(format));
        const Bytes original = read_file(file.path());
        const bool jet3 = format == Format::jet3;
        const std::size_t page_size = jet3 ? 2048 : 4096, row_count = jet3 ? 0x08 : 0x0C;
        std::size_t name = std::string::npos, page = 0;
        for (const Bytes& tables : {Bytes("Tables"), Bytes("T\0a\0b\0l\0e\0s\0", 12)}) {
            for (std::size_t at = original.find(tables); name == std::string::npos && at != std::string::npos;
                 at = original.find(tables, at + 1)) {
                page = at / page_size * page_size;
                if (original[page] == 0x01 && original.compare(page + 4, 4, Bytes("\x02\0\0\0", 4)) == 0)
                    name = at;
            }
        }
        ASSERT_NE(name, std::string::npos);
        // The slot of the row holding the name: the one starting last at or before it.
        std::size_t slot = 0, start = 0;
        for (std::size_t i = 0; i < static_cast<unsigned char>(original[page + row_count]); ++i) {
            const std::size_t entry = page + row_count + 2 + 2 * i,
                              offset = (static_cast<unsigned char>(original[entry]) |
                                        static_cast<unsigned char>(original[entry + 1]) << 8) &
                                       0x1FFF;
            if (offset <= name - page && offset >= start) std::tie(slot, start) = std::pair{entry, offset};
        }
        const std::vector<std::pair<std::string, std::function<void(Bytes&)>>> damages = {
            {"row deleted", [&](Bytes& b) { b[slot + 1] = static_cast<char>(b[slot + 1] | 0x80); }},
            {"renamed", [&](Bytes& b) { b[name + 1] = 'x'; }},
            {"row count zeroed", [&](Bytes& b) { b[page + row_count] = b[page + row_count + 1] = 0; }},
            {"page type zeroed", [&](Bytes& b) { b[page] = 0; }},
        };
        for (const auto& [what, damage] : damages) {
            Bytes copy = original;
            damage(copy);
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
                EXPECT_EQ(number, error_number::database_damaged)
                    << what << " in format " << static_cast<int>(format);
            }
        }
    }
}

// Listing never writes: after every listing nothing in the file's folder was changed, created or touched,
// though the file is writable, and its bytes are as before (a write through a mapping raises no event). Tests
// may run as root, whom a read-only mode does not stop, so the proof is what happened to the file.
TEST(UntouchedFile, EveryListingLeavesTheFileAsItWas) {
    for (const writer::Schema& schema :
         {small_schema(Format::jet3), small_schema(Format::jet4, u"Senha", 0x5EED1234u),
          small_schema(Format::ace14)}) {
        const WrittenDatabase file(schema);
        SCOPED_TRACE(file.path().filename().string());
        const std::string bytes = read_file(file.path());
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
        EXPECT_EQ(read_file(file.path()), bytes);
    }
}

}  // namespace
}  // namespace qz::test
