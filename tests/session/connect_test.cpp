// connect: a file path or a data-source name into strBanco and dbDao, over written files.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "platform/error.hpp"
#include "platform/text/code_page.hpp"
#include "support/written_database.hpp"

namespace qz {
namespace {

using writer::ColumnType;

// Each case connects after a connect that opened a database: one that raises ends before anything is opened
// and keeps that database, one whose name resolves to nothing leaves none (the original kept it, so the next
// listing described a database the caller had not asked for). The separators and strBanco always take the
// new values.
TEST(Connect, EachDataSourceOpensItsFileOrKeepsOrDropsTheEarlierDatabase) {
    test::TempFolder folder;
    test::OdbcConfigScope config(folder.path());
    writer::Schema locked = test::schema_of(
        writer::Format::jet4, {{.name = u"T", .columns = {test::column(u"a", ColumnType::text)}}});
    locked.password = u"right";
    const test::WrittenDatabase earlier_file(locked), protected_file(locked, "locked");
    const std::string path = protected_file.path().string(), gone = (folder / "gone.mdb").string();
    std::string windows_style = path;
    std::replace(windows_style.begin(), windows_style.end(), '/', '\\');
    const std::string not_a_database = folder.write("notes.mdb", "just some text, not a database").string();
    folder.write("odbc.ini",
                 "[conn_locked]\nDBQ=" + path + "\n[conn_gone]\nDBQ=" + gone + "\n[conn_nodbq]\nDriver=x\n");
    folder.write("user.ini", "[conn_mine]\nDBQ=" + path + "\n");
    constexpr std::int32_t opens = 0, resolves_to_nothing = -1;
    struct Case {
        std::string data_source;
        std::u16string password;
        std::int32_t outcome;  // opens, resolves_to_nothing, or the error raised
        std::string file;      // strBanco afterwards
    };
    const Case cases[] = {
        {windows_style, u"right", opens, path},
        {"conn_locked", u"right", opens, path},
        {"conn_mine", u"right", resolves_to_nothing, ""},  // only machine-wide data sources resolve
        {"conn_nodbq", u"", resolves_to_nothing, ""},
        {"", u"", resolves_to_nothing, ""},
        {not_a_database, u"", error_number::unrecognized_format, not_a_database},
        {(folder / "missing.mdb").string(), u"", error_number::file_not_found,
         (folder / "missing.mdb").string()},
        {"conn_gone", u"", error_number::file_not_found, gone},
        {path, u"wrong", error_number::wrong_password, path},
    };
    qz_cls_odbc_access session;
    for (const Case& c : cases) {
        session.connect(earlier_file.path().u16string(), u"", u"right");
        const std::shared_ptr<engine::Database> earlier = session.dbDao;
        ASSERT_TRUE(earlier);
        std::int32_t outcome = opens;
        try {
            const std::u16string file = session.connect(text::utf8_to_utf16(c.data_source), u"", c.password,
                                                        u"a", u"b", u"c", u"d", u"e", u"f");
            EXPECT_EQ(file, session.strBanco) << c.data_source;
            if (!session.dbDao) outcome = resolves_to_nothing;
        } catch (const Error& error) {
            outcome = error.number();
        }
        EXPECT_EQ(outcome, c.outcome) << c.data_source;
        EXPECT_EQ(session.strBanco, text::utf8_to_utf16(c.file)) << c.data_source;
        EXPECT_EQ(session.strSep1 + session.strSep6, u"af") << "separators are stored before the open";
        EXPECT_EQ(session.dbDao == earlier, c.outcome > 0) << c.data_source;
    }
}

std::size_t open_descriptors() {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                                  std::filesystem::directory_iterator{}));
}

// Linked tables that name one source through different spellings of its path (here a hard link) share one
// open catalog of it: a thousand spellings must not open it a thousand times. The session knows the files it
// read, which the front end keeps its result away from.
TEST(Connect, LinkedTablesNamingOneSourceFileOpenItOnce) {
    const test::WrittenDatabase source(
        test::schema_of(writer::Format::jet4,
                        {{.name = u"Customers", .columns = {test::column(u"Id", ColumnType::long_integer)}},
                         {.name = u"Orders", .columns = {test::column(u"Id", ColumnType::long_integer)}}}));
    const std::filesystem::path link = source.folder() / "source.mdc";
    std::filesystem::create_hard_link(source.path(), link);
    writer::Schema linking = test::schema_of(writer::Format::jet4, {});
    linking.linked_tables = {
        {.name = u"LinkedCustomers", .foreign_name = u"Customers", .database = source.path().u16string()},
        {.name = u"Orders", .foreign_name = u"Orders", .database = link.u16string()}};
    const test::WrittenDatabase database(linking);

    const std::size_t before = open_descriptors();
    qz_cls_odbc_access session;
    session.connect(database.path().u16string(), u"", u"", u"|", u";", u"=", u",", u"&", u":");
    EXPECT_EQ(session.get_fields(u"LinkedCustomers", u""), session.get_fields(u"Orders", u""));
    EXPECT_NE(session.get_fields(u"Orders", u""), u"Tabela não encotrada !");
    EXPECT_EQ(open_descriptors() - before, 2u) << "the database and its one source";
    EXPECT_EQ(session.files_read().size(), 2u) << "the database and its source, each once";
}

}  // namespace
}  // namespace qz
