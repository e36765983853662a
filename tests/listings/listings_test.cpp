// Listing rules over the in-memory engine that written files do not reach: selectors and lookups by text no
// catalog entry matches, and field values no file holds.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "platform/text/code_page.hpp"
#include "support/memory_engine.hpp"

namespace qz {
namespace {

using test::MemoryDatabase;

std::unique_ptr<qz_cls_odbc_access> session_on(MemoryDatabase database) {
    auto engine = std::make_shared<test::MemoryEngine>();
    engine->files[u"db.mdb"] = std::move(database);
    auto session = std::make_unique<qz_cls_odbc_access>(engine);
    session->connect(u"db.mdb", u"", u"", u"|", u";", u"=", u",", u"&", u":");
    return session;
}

// Only "tab", "sys" and the empty text select tables; another letter case or added blanks select none.
TEST(Listings, AnyOtherTableSelectorListsNothing) {
    const auto session =
        session_on({.tables = {{.name = u"Clientes"}, {.name = u"Oculta", .attributes = 1}}});
    for (const std::u16string selector : {u"TAB", u"Sys", u" tab", u"all"})
        EXPECT_EQ(session->get_tables(selector), u"") << text::utf16_to_utf8(selector);
}

// A table or query is found at the first position whose decimal text equals the argument without its
// surrounding U+0020 blanks (only those), or whose name equals the argument exactly, blanks and all.
TEST(Listings, LookupsTakeTheFirstPositionOrExactNameThatMatches) {
    MemoryDatabase database;
    for (const std::u16string name : {u"Clientes", u"Pedidos"}) {
        database.tables.push_back({.name = name, .fields = {{.name = u"of " + name}}});
        database.queries.push_back({.name = name, .fields = {{.name = u"of " + name}}});
    }
    const auto session = session_on(database);
    // The argument, and the name of the entry found (empty: none).
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u" 0 ", u"Clientes"}, {u"\t1", u""}, {u"Clientes ", u""}, {u"2", u""}};
    for (const auto& [wanted, found] : cases) {
        const auto expect = [&](const std::u16string& listing, std::u16string_view not_found) {
            const std::u16string expected =
                found.empty() ? std::u16string(not_found) : u"name=of " + found + u";";
            EXPECT_EQ(listing.substr(0, expected.size()), expected) << text::utf16_to_utf8(wanted);
        };
        expect(session->get_fields(wanted, u""), u"Tabela não encotrada !");
        expect(session->get_fields_query(wanted), u"Query não encotrada !");
        EXPECT_EQ(session->get_indexes(wanted) == u"Tabela não encotrada !", found.empty())
            << text::utf16_to_utf8(wanted);
    }
}

// Auto-increment is attributes 17 exactly, not its bits; a type without a name is written as its number.
TEST(Listings, FieldItemsFollowTheEngineValuesExactly) {
    const auto session = session_on({.tables = {{.name = u"T", .fields = {{.type = 13, .attributes = 49}}}}});
    const std::u16string fields = session->get_fields(u"T", u"");
    EXPECT_NE(fields.find(u";type=13;"), std::u16string::npos) << text::utf16_to_utf8(fields);
    EXPECT_NE(fields.find(u";auto_incr_field=N;"), std::u16string::npos) << text::utf16_to_utf8(fields);
}

}  // namespace
}  // namespace qz
