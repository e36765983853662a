#pragma once
// One field of a table or a saved query as a field record: twelve key/value items, joined by the
// session's strSep2, key and value joined by strSep3.

#include <string>

#include "catalog/session/engine.hpp"
#include "catalog/session/qz_cls_odbc_access.hpp"
#include "platform/locale/date_text.hpp"

namespace qz::listings {

std::u16string describe_field(const engine::Field& field, const qz_cls_odbc_access& session,
                              const locale::DateText& dates);

// The field records of `fields`, in collection order, joined by the session's strSep1.
std::u16string describe_fields(const engine::Collection<engine::Field>& fields,
                               const qz_cls_odbc_access& session);

}  // namespace qz::listings
