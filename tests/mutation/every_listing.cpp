#include "mutation/every_listing.hpp"

#include <algorithm>
#include <typeinfo>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "platform/error.hpp"
#include "platform/text/code_page.hpp"

namespace qz::test {
namespace {

// Runs one call and files its ending under `outcomes`.
template <class Call>
void attempt(ListingOutcomes& outcomes, const std::string& call_name, const Call& call) {
    try {
        call();
        ++outcomes.texts;
    } catch (const Error& error) {
        if (error.number() == 0 || error.description().empty()) {
            outcomes.faults.push_back(call_name + ": error " + std::to_string(error.number()) + " '" +
                                      error.what() + "'");
        }
        outcomes.errors.push_back(error.number());
    } catch (const std::exception& other) {
        outcomes.faults.push_back(call_name + ": " + typeid(other).name() + " " + other.what());
    } catch (...) {
        outcomes.faults.push_back(call_name + ": an exception of unknown type");
    }
}

// The names of the first `most` members of `collection` that can be read.
template <class Collection>
std::vector<std::u16string> first_names(ListingOutcomes& outcomes, const std::string& what,
                                        const Collection& collection, std::size_t most) {
    std::vector<std::u16string> names;
    attempt(outcomes, what + " names", [&] {
        const auto members = collection();
        const auto count = static_cast<std::size_t>(std::max<std::int16_t>(members->Count(), 0));
        for (std::size_t position = 0; position < count && names.size() < most; ++position) {
            attempt(outcomes, what + " name",
                    [&] { names.push_back(members->Item(static_cast<std::int16_t>(position))->Name()); });
        }
    });
    return names;
}

}  // namespace

ListingOutcomes run_every_listing(const std::filesystem::path& file, const std::string& password,
                                  std::size_t most) {
    ListingOutcomes outcomes;
    qz_cls_odbc_access session;
    bool connected = false;
    attempt(outcomes, "connect", [&] {
        session.connect(file.u16string(), u"", text::utf8_to_utf16(password), u"\n", u"|", u"=", u";", u",",
                        u":");
        connected = true;
    });
    if (!connected) return outcomes;
    for (const char16_t* kind : {u"", u"tab", u"sys"}) {
        attempt(outcomes, "get_tables " + text::utf16_to_utf8(kind),
                [&] { return session.get_tables(kind); });
    }
    const auto& database = *session.dbDao;
    for (const auto& table : first_names(
             outcomes, "table", [&] { return database.TableDefs(); }, most)) {
        const std::string name = text::utf16_to_utf8(table);
        attempt(outcomes, "get_fields " + name, [&] { return session.get_fields(table, u""); });
        attempt(outcomes, "get_indexes " + name, [&] { return session.get_indexes(table); });
    }
    attempt(outcomes, "get_relations", [&] { return session.get_relations(); });
    attempt(outcomes, "get_querys", [&] { return session.get_querys(); });
    for (const auto& query : first_names(
             outcomes, "query", [&] { return database.QueryDefs(); }, most)) {
        attempt(outcomes, "get_fields_query " + text::utf16_to_utf8(query),
                [&] { return session.get_fields_query(query); });
    }
    return outcomes;
}

}  // namespace qz::test
