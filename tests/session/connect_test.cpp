// connect: a file path or a data-source name into strBanco and dbDao.

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <memory>
#include <string>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "platform/error.hpp"
#include "platform/text/code_page.hpp"
#include "support/memory_engine.hpp"
#include "support/written_database.hpp"

namespace qz {
namespace {

using writer::ColumnType;

class Connect : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char16_t* name : {u"/data/one.mdb", u"/data/two.mdb", u"base.mdb"})
            engine_->files[name] = {};
    }
    test::TempFolder folder_;
    test::OdbcConfigScope config_{folder_.path()};
    std::shared_ptr<test::MemoryEngine> engine_ = std::make_shared<test::MemoryEngine>();
    qz_cls_odbc_access session_{engine_};
};

TEST_F(Connect, AFilePathIsOpenedReadOnlyWithItsPasswordAndBackslashesBecomeSlashes) {
    EXPECT_EQ(session_.connect(u"\\data\\one.mdb", u"someone", u"s3cret", u"1", u"2", u"3", u"4", u"5", u"6"),
              u"/data/one.mdb");
    EXPECT_EQ(session_.strBanco, u"/data/one.mdb");
    ASSERT_TRUE(session_.dbDao);
    ASSERT_EQ(engine_->opens.size(), 1u);
    EXPECT_EQ(engine_->opens[0].name, u"/data/one.mdb");
    EXPECT_TRUE(!engine_->opens[0].exclusive && engine_->opens[0].read_only);
    EXPECT_EQ(engine_->opens[0].connect, u";pwd=s3cret") << "the user name never reaches the engine";
    EXPECT_EQ(session_.strSep1 + session_.strSep2 + session_.strSep3 + session_.strSep4 + session_.strSep5 +
                  session_.strSep6,
              u"123456");

    session_.connect(u"base.mdb");
    EXPECT_EQ(engine_->opens.back().name, u"base.mdb") << "a relative name with an extension is a path";
    EXPECT_EQ(engine_->opens.back().connect, u";pwd=") << "an empty password is still sent";
    EXPECT_EQ(session_.strSep1, u"") << "omitted separators are empty";
}

// The original kept the database of an earlier connect when a name resolved to nothing, so the next listing
// described a database the caller had not asked for.
TEST_F(Connect, ADataSourceNameIsResolvedThroughTheSystemOdbcIniAndAnUnresolvedOneLeavesNoDatabase) {
    folder_.write("odbc.ini", "[conn_vendas]\nDBQ=/data/two.mdb\n[conn_nodbq]\nDriver=x\n");
    folder_.write("user.ini", "[conn_mine]\nDBQ=/data/one.mdb\n");
    EXPECT_EQ(session_.connect(u"conn_vendas"), u"/data/two.mdb");
    ASSERT_EQ(engine_->opens.size(), 1u);
    EXPECT_EQ(engine_->opens[0].name, u"/data/two.mdb");
    for (const char16_t* unresolved : {u"conn_mine", u"conn_nodbq", u"", u"conn_unknown_name"}) {
        session_.connect(u"/data/one.mdb");
        EXPECT_EQ(session_.connect(unresolved), u"") << "only machine-wide data sources with a DBQ resolve";
        EXPECT_FALSE(session_.dbDao) << "an unresolvable name kept the earlier database";
        EXPECT_EQ(session_.strBanco, u"");
    }
    EXPECT_EQ(engine_->opens.size(), 5u) << "nothing is opened for an unresolved name";
}

// A connect that raises ends before anything is opened: the earlier database stays (none when there was
// none), while the separators and strBanco hold the new values.
TEST(ConnectWithTheFileReader, AConnectThatRaisesKeepsTheEarlierDatabase) {
    test::TempFolder folder;
    test::OdbcConfigScope config(folder.path());
    const auto not_a_database = folder.write("notes.mdb", "just some text, not a database");
    folder.write("odbc.ini", "[conn_keeps_missing]\nDBQ=" + (folder / "gone.mdb").string() + "\n");
    writer::Schema locked = test::schema_of(
        writer::Format::jet4, {{.name = u"T", .columns = {test::column(u"a", ColumnType::text)}}});
    locked.password = u"right";
    const test::WrittenDatabase earlier_file(locked), protected_file(locked, "locked");
    struct Case {
        std::string data_source;
        std::u16string password;
        std::int32_t error;
    };
    const Case cases[] = {
        {not_a_database.string(), u"", error_number::unrecognized_format},
        {(folder / "missing.mdb").string(), u"", error_number::file_not_found},
        {"conn_keeps_missing", u"", error_number::file_not_found},
        {protected_file.path().string(), u"wrong", error_number::wrong_password},
    };
    qz_cls_odbc_access session;
    std::shared_ptr<engine::Database> earlier;
    for (const Case& c : cases) {
        try {
            session.connect(text::utf8_to_utf16(c.data_source), u"", c.password, u"a", u"b", u"c", u"d", u"e",
                            u"f");
            ADD_FAILURE() << c.data_source << " opened";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), c.error) << c.data_source;
        }
        EXPECT_EQ(session.dbDao, earlier) << c.data_source << " changed the earlier database";
        EXPECT_NE(session.strBanco, u"") << c.data_source;
        EXPECT_EQ(session.strSep1 + session.strSep6, u"af") << "separators are stored before the open";
        session.connect(earlier_file.path().u16string(), u"", u"right");
        earlier = session.dbDao;
        ASSERT_TRUE(earlier);
    }
}

std::size_t open_descriptors() {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                                  std::filesystem::directory_iterator{}));
}

// Linked tables that name one source through different spellings of its path (here a hard link) share one
// open catalog of it: a thousand spellings must not open it a thousand times. The session knows the files it
// read, which the front end keeps its result away from.
TEST(ConnectWithTheFileReader, LinkedTablesNamingOneSourceFileOpenItOnce) {
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
