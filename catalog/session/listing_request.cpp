#include "catalog/session/listing_request.hpp"

#include "catalog/listings/listings.hpp"

namespace qz {
namespace {

// The separators `connect` stored, as the listings take them.
listings::Separators separators_of(const qz_cls_odbc_access& session) {
    return {session.strSep1, session.strSep2, session.strSep3,
            session.strSep4, session.strSep5, session.strSep6};
}

}  // namespace

bool takes_argument(std::u16string_view word) {
    return word == u"get_tables" || word == u"get_fields" || word == u"get_indexes" ||
           word == u"get_fields_query";
}

void run_listing(const qz_cls_odbc_access& session, std::u16string_view word, std::u16string_view argument,
                 listings::ListingOutput& output) {
    const listings::Separators separators = separators_of(session);
    if (word == u"get_tables") return listings::tables(session.database(), separators, argument, output);
    if (word == u"get_fields")
        return listings::table_fields(session.database(), separators, argument, output);
    if (word == u"get_indexes") return listings::indexes(session.database(), separators, argument, output);
    if (word == u"get_relations") return listings::relations(session.database(), separators, output);
    if (word == u"get_querys") return listings::queries(session.database(), separators, output);
    if (word == u"get_fields_query")
        return listings::query_fields(session.database(), separators, argument, output);
}

}  // namespace qz
