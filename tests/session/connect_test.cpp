// connect: a file path or a data-source name into strBanco and dbDao.

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <memory>
#include <string>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "platform/error.hpp"
#include "platform/text/code_page.hpp"
#include "support/fixtures.hpp"
#include "support/memory_engine.hpp"
#include "support/temp_folder.hpp"

namespace qz {
namespace {

class Connect : public ::testing::Test {
  protected:
    void SetUp() override {
        engine_->files[u"/data/one.mdb"] = {};
        engine_->files[u"/data/two.mdb"] = {};
        engine_->files[u"base.mdb"] = {};
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
    EXPECT_FALSE(engine_->opens[0].exclusive);
    EXPECT_TRUE(engine_->opens[0].read_only);
    EXPECT_EQ(engine_->opens[0].connect, u";pwd=s3cret") << "the user name never reaches the engine";
    EXPECT_EQ(session_.strSep1 + session_.strSep2 + session_.strSep3 + session_.strSep4 + session_.strSep5 +
                  session_.strSep6,
              u"123456");

    session_.connect(u"base.mdb");
    EXPECT_EQ(engine_->opens.back().name, u"base.mdb") << "a relative name with an extension is a path";
    EXPECT_EQ(engine_->opens.back().connect, u";pwd=") << "an empty password is still sent";
    EXPECT_EQ(session_.strSep1, u"") << "omitted separators are empty";
}

TEST_F(Connect, ADataSourceNameIsResolvedThroughTheSystemOdbcIni) {
    folder_.write("odbc.ini", "[conn_vendas]\nDBQ=/data/two.mdb\n[conn_nodbq]\nDriver=x\n");
    folder_.write("user.ini", "[conn_mine]\nDBQ=/data/one.mdb\n");
    EXPECT_EQ(session_.connect(u"conn_vendas"), u"/data/two.mdb");
    ASSERT_EQ(engine_->opens.size(), 1u);
    EXPECT_EQ(engine_->opens[0].name, u"/data/two.mdb");

    EXPECT_EQ(session_.connect(u"conn_mine"), u"") << "only machine-wide data sources are looked up";
    EXPECT_EQ(session_.connect(u"conn_nodbq"), u"");
    EXPECT_EQ(session_.connect(u""), u"") << "an empty data source is a name that resolves to nothing";
    EXPECT_EQ(engine_->opens.size(), 1u) << "nothing is opened for an unresolved name";
}

// The original kept the database of an earlier connect, so the next listing described a database the
// caller had not asked for.
TEST_F(Connect, AConnectThatOpensNothingLeavesNoDatabase) {
    session_.connect(u"/data/one.mdb");
    ASSERT_TRUE(session_.dbDao);
    EXPECT_EQ(session_.connect(u"conn_unknown_name"), u"");
    EXPECT_FALSE(session_.dbDao) << "an unresolvable name kept the earlier database";
    EXPECT_EQ(session_.strBanco, u"");
}

// A connect that raises ends before anything is opened: the earlier database stays, while the separators
// and strBanco hold the new values.
TEST(ConnectWithTheFileReader, AConnectThatRaisesKeepsTheEarlierDatabase) {
    QZ_REQUIRE_FIXTURES();
    const std::filesystem::path fixtures = test::fixtures_folder();
    test::TempFolder folder;
    test::OdbcConfigScope config(folder.path());
    const auto not_a_database = folder.write("notes.mdb", "just some text, not a database");
    folder.write("odbc.ini", "[conn_keeps_missing]\nDBQ=" + (folder / "gone.mdb").string() + "\n");
    struct Case {
        std::string data_source;
        std::u16string password;
        std::int32_t error;
    };
    const Case cases[] = {
        {(folder / "missing.mdb").string(), u"", error_number::file_not_found},
        {"conn_keeps_missing", u"", error_number::file_not_found},
        {(fixtures / "mdb-reader/password/V2003_with-password.mdb").string(), u"wrong",
         error_number::wrong_password},
        {not_a_database.string(), u"", error_number::unrecognized_format},
    };
    qz_cls_odbc_access session;
    session.connect(text::utf8_to_utf16((fixtures / "jackcess/V1997/testV1997.mdb").string()));
    const auto earlier = session.dbDao;
    ASSERT_TRUE(earlier);
    for (const Case& c : cases) {
        try {
            session.connect(text::utf8_to_utf16(c.data_source), u"", c.password, u"a", u"b", u"c", u"d", u"e",
                            u"f");
            ADD_FAILURE() << c.data_source << " opened";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), c.error) << c.data_source;
        }
        EXPECT_EQ(session.dbDao, earlier) << c.data_source << " dropped the earlier database";
        EXPECT_NE(session.strBanco, u"") << c.data_source;
        EXPECT_EQ(session.strSep1 + session.strSep6, u"af") << "separators are stored before the open";
    }
}

TEST(ConnectWithTheFileReader, ANonDatabaseFileRaisesTheEngineError) {
    test::TempFolder folder;
    const auto not_a_database = folder.write("notes.mdb", "just some text, not a database");
    qz_cls_odbc_access session;
    try {
        session.connect(text::utf8_to_utf16(not_a_database.string()));
        ADD_FAILURE() << "a text file opened as a database";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), error_number::unrecognized_format);
    }
    EXPECT_FALSE(session.dbDao);
}

std::size_t open_descriptors() {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                                  std::filesystem::directory_iterator{}));
}

// Linked tables that name one source through different spellings of its path (here a hard link) share one
// open catalog of it: a thousand spellings must not open it a thousand times. The session knows the files it
// read, which the front end keeps its result away from.
TEST(ConnectWithTheFileReader, LinkedTablesNamingOneSourceFileOpenItOnce) {
    QZ_REQUIRE_FIXTURES();
    test::TempFolder folder;
    const std::filesystem::path synthetic = test::fixtures_folder() / "synthetic";
    std::filesystem::copy_file(synthetic / "linkee_V2000.mdb", folder / "linkee_V2000.mdb");
    std::filesystem::create_hard_link(folder / "linkee_V2000.mdb", folder / "linkee_V2000.mdc");
    // The second link ("Customers" in the fixture) names the hard link instead of the file itself.
    std::string linked = test::read_file(synthetic / "linked_V2000.mdb");
    const std::u16string stored = u"linkee_V2000.mdb";
    const std::string stored_bytes(reinterpret_cast<const char*>(stored.data()), stored.size() * 2);
    const std::size_t second = linked.find(stored_bytes, linked.find(stored_bytes) + 1);
    ASSERT_NE(second, std::string::npos);
    linked[second + stored_bytes.size() - 2] = 'c';
    const auto database = folder.write("linked.mdb", linked);

    const std::size_t before = open_descriptors();
    qz_cls_odbc_access session;
    session.connect(text::utf8_to_utf16(database.string()), u"", u"", u"|", u";", u"=", u",", u"&", u":");
    EXPECT_NE(session.get_fields(u"LinkedCustomers", u""), u"Tabela não encotrada !");
    EXPECT_NE(session.get_fields(u"Orders", u""), u"Tabela não encotrada !");
    EXPECT_EQ(open_descriptors() - before, 2u) << "the database and its one source";
    EXPECT_EQ(session.files_read().size(), 2u) << "the database and its source, each once";
}

}  // namespace
}  // namespace qz
