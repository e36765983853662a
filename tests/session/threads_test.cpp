// Sessions on several threads: two sharing one open database through dbDao (the catalog's lazily filled
// caches and the page cache are shared then), and two on two databases. Each thread must see exactly what
// one thread alone sees. Run under ThreadSanitizer (-DQZ_TSAN=ON) this is also the race check.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "platform/error.hpp"
#include "platform/text/code_page.hpp"
#include "support/fixtures.hpp"

namespace qz {
namespace {

constexpr std::u16string_view table_not_found = u"Tabela não encotrada !";
constexpr std::u16string_view query_not_found = u"Query não encotrada !";
constexpr int most_objects = 40;

// Every listing of the session's database, errors included as their numbers, in one text.
std::u16string every_listing(qz_cls_odbc_access& session) {
    std::u16string all;
    const auto add = [&](auto list) {
        try {
            all += list();
        } catch (const Error& error) {
            all += u"error " + text::utf8_to_utf16(std::to_string(error.number()));
        }
        all += u'\n';
    };
    add([&] { return session.get_tables(u""); });
    add([&] { return session.get_relations(); });
    add([&] { return session.get_querys(); });
    for (int i = 0; i < most_objects; ++i) {
        const std::u16string position = text::utf8_to_utf16(std::to_string(i));
        std::u16string fields;
        add([&] { return fields = session.get_fields(position, u""); });
        if (fields == table_not_found) break;
        add([&] { return session.get_indexes(position); });
    }
    for (int i = 0; i < most_objects; ++i) {
        std::u16string fields;
        add([&] { return fields = session.get_fields_query(text::utf8_to_utf16(std::to_string(i))); });
        if (fields == query_not_found) break;
    }
    return all;
}

void open(qz_cls_odbc_access& session, const std::string& relative) {
    const std::string path = (test::fixtures_folder() / relative).string();
    session.connect(text::utf8_to_utf16(path), u"", u"", u"|", u";", u"=", u"#", u",", u":");
    ASSERT_TRUE(session.dbDao) << path;
}

struct Case {
    const char* name;
    const char* first;
    const char* second;  // the same file: the second session shares the first one's database
};

// Names the case in test listings.
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class SessionsOnThreads : public ::testing::TestWithParam<Case> {};

TEST_P(SessionsOnThreads, EachThreadSeesWhatOneThreadAloneSees) {
    QZ_REQUIRE_FIXTURES();
    const Case& c = GetParam();
    const bool shared = std::string(c.first) == c.second;
    std::u16string expected[2];
    for (int i = 0; i < 2; ++i) {
        qz_cls_odbc_access alone;
        open(alone, i == 0 ? c.first : c.second);
        expected[i] = every_listing(alone);
    }

    // Fresh sessions, so that every cache starts empty while both threads run.
    qz_cls_odbc_access sessions[2];
    open(sessions[0], c.first);
    if (shared) {
        sessions[1] = sessions[0];  // the same separators and, through dbDao, the same open database
    } else {
        open(sessions[1], c.second);
    }
    std::u16string seen[2];
    {
        std::vector<std::jthread> threads;
        for (int i = 0; i < 2; ++i) threads.emplace_back([&, i] { seen[i] = every_listing(sessions[i]); });
    }
    for (int i = 0; i < 2; ++i) EXPECT_EQ(seen[i], expected[i]) << "thread " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, SessionsOnThreads,
    ::testing::Values(Case{"OneSharedDatabase", "jackcess/V2010/queryTestV2010.accdb",
                           "jackcess/V2010/queryTestV2010.accdb"},
                      Case{"OneSharedDatabaseWithLinkedTables", "synthetic/linked_V2016.accdb",
                           "synthetic/linked_V2016.accdb"},
                      Case{"TwoDatabases", "jackcess/V2010/complexDataTestV2010.accdb",
                           "synthetic/relations_V2010.accdb"}),
    [](const ::testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace qz
