#include "mutation/every_listing.hpp"

#include <algorithm>
#include <typeinfo>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "platform/error.hpp"
#include "platform/text/code_page.hpp"

namespace qz::test {
namespace {

// Runs one call and files its ending under `outcomes`; returns the error's number and text, if it raised one.
template <class Call>
std::u16string attempt(ListingOutcomes& outcomes, const std::string& call_name, const Call& call) {
    try {
        call();
        ++outcomes.texts;
    } catch (const Error& error) {
        if (error.number() == 0 || error.description().empty()) {
            outcomes.faults.push_back(call_name + ": error " + std::to_string(error.number()) + " '" +
                                      error.what() + "'");
        }
        outcomes.errors.push_back(error.number());
        return u"error " + text::utf8_to_utf16(std::to_string(error.number())) + u" " + error.description();
    } catch (const std::exception& other) {
        outcomes.faults.push_back(call_name + ": " + typeid(other).name() + " " + other.what());
    } catch (...) {
        outcomes.faults.push_back(call_name + ": an exception of unknown type");
    }
    return {};
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
                                  std::size_t most, const ListingObserver& observe) {
    ListingOutcomes outcomes;
    const auto list = [&](const std::string& listing, std::u16string_view argument, const auto& call) {
        std::u16string text;
        const std::u16string error =
            attempt(outcomes, listing + " " + text::utf16_to_utf8(argument), [&] { text = call(); });
        if (observe) observe(listing, argument, error.empty() ? text : error);
    };
    qz_cls_odbc_access session;
    bool connected = false;
    attempt(outcomes, "connect", [&] {
        session.connect(file.u16string(), u"", text::utf8_to_utf16(password), u"\n", u"|", u"=", u";", u",",
                        u":");
        connected = true;
    });
    if (!connected) return outcomes;
    for (const char16_t* kind : {u"", u"tab", u"sys"})
        list("get_tables", kind, [&] { return session.get_tables(kind); });
    const auto& database = *session.dbDao;
    for (const auto& table : first_names(
             outcomes, "table", [&] { return database.TableDefs(); }, most)) {
        list("get_fields", table, [&] { return session.get_fields(table, u""); });
        list("get_indexes", table, [&] { return session.get_indexes(table); });
    }
    list("get_relations", u"", [&] { return session.get_relations(); });
    list("get_querys", u"", [&] { return session.get_querys(); });
    for (const auto& query : first_names(
             outcomes, "query", [&] { return database.QueryDefs(); }, most))
        list("get_fields_query", query, [&] { return session.get_fields_query(query); });
    return outcomes;
}

}  // namespace qz::test
