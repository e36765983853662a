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
#include "support/written_database.hpp"

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

// A database of related tables with indexes and saved queries; with `linked_source`, two of its tables are
// linked from that file instead.
writer::Schema related_tables(writer::Format format, const std::filesystem::path& linked_source = {}) {
    using writer::ColumnType;
    writer::Table customers{.name = u"Customers",
                            .columns = {test::column(u"Id", ColumnType::long_integer),
                                        test::column(u"Name", ColumnType::text, 40),
                                        test::column(u"Since", ColumnType::date_time)}};
    customers.indexes = {{.name = u"PrimaryKey", .columns = {{u"Id"}}, .primary = true},
                         {.name = u"ByName", .columns = {{u"Name", true}}}};
    writer::Table orders{.name = u"Orders",
                         .columns = {test::column(u"Id", ColumnType::long_integer),
                                     test::column(u"Customer", ColumnType::long_integer),
                                     test::column(u"Total", ColumnType::currency)}};
    writer::Schema s = test::schema_of(format, {customers, orders});
    s.relationships = {{.name = u"CustomersOrders",
                        .primary_table = u"Customers",
                        .foreign_table = u"Orders",
                        .columns = {{u"Id", u"Customer"}}}};
    s.queries = {
        writer::Query::select(u"Names", {u"Customers"}, {u"[Customers].[Name]", u"[Customers].[Since]"}),
        writer::Query::select(u"Big", {u"Orders"}, {u"[Orders].[Id]", u"[Orders].[Total]"}, u"[Total] > 10")};
    if (!linked_source.empty()) {
        s.relationships.clear();
        for (const char16_t* name : {u"Customers", u"Orders"}) {
            s.linked_tables.push_back(
                {.name = name, .foreign_name = name, .database = linked_source.u16string()});
        }
        s.tables = {{.name = u"Local", .columns = {test::column(u"Id", ColumnType::guid)}}};
    }
    return s;
}

void open(qz_cls_odbc_access& session, const std::filesystem::path& path) {
    session.connect(path.u16string(), u"", u"", u"|", u";", u"=", u"#", u",", u":");
    ASSERT_TRUE(session.dbDao) << path;
}

enum class Case { one_shared_database, one_shared_database_with_linked_tables, two_databases };

class SessionsOnThreads : public ::testing::TestWithParam<Case> {};

TEST_P(SessionsOnThreads, EachThreadSeesWhatOneThreadAloneSees) {
    const test::WrittenDatabase ace(related_tables(writer::Format::ace14));
    const test::WrittenDatabase jet4(related_tables(writer::Format::jet4));
    const test::WrittenDatabase linking(related_tables(writer::Format::jet4, ace.path()));
    const Case c = GetParam();
    const bool shared = c != Case::two_databases;
    const std::filesystem::path first =
        c == Case::one_shared_database_with_linked_tables ? linking.path() : ace.path();
    const std::filesystem::path files[2] = {first, shared ? first : jet4.path()};
    std::u16string expected[2];
    for (int i = 0; i < 2; ++i) {
        qz_cls_odbc_access alone;
        open(alone, files[i]);
        expected[i] = every_listing(alone);
    }

    // Fresh sessions, so that every cache starts empty while both threads run.
    qz_cls_odbc_access sessions[2];
    open(sessions[0], files[0]);
    if (shared) {
        sessions[1] = sessions[0];  // the same separators and, through dbDao, the same open database
    } else {
        open(sessions[1], files[1]);
    }
    std::u16string seen[2];
    {
        std::vector<std::jthread> threads;
        for (int i = 0; i < 2; ++i) threads.emplace_back([&, i] { seen[i] = every_listing(sessions[i]); });
    }
    for (int i = 0; i < 2; ++i) EXPECT_EQ(seen[i], expected[i]) << "thread " << i;
}

std::string case_name(const ::testing::TestParamInfo<Case>& info) {
    constexpr const char* names[] = {"OneSharedDatabase", "OneSharedDatabaseWithLinkedTables",
                                     "TwoDatabases"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Written, SessionsOnThreads,
                         ::testing::Values(Case::one_shared_database,
                                           Case::one_shared_database_with_linked_tables, Case::two_databases),
                         case_name);

}  // namespace
}  // namespace qz
