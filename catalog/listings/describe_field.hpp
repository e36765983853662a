#pragma once
// One field of a table or a saved query as a field record: twelve key/value items, joined by the
// item separator, key and value joined by the key separator.

#include <string>

#include "catalog/listings/listing_output.hpp"
#include "catalog/listings/separators.hpp"
#include "catalog/session/engine.hpp"
#include "platform/locale/date_text.hpp"

namespace qz::listings {

void describe_field(const engine::Field& field, const Separators& separators, const locale::DateText& dates,
                    ListingOutput& output);

// The field records of `fields`, in collection order, joined by the record separator.
void describe_fields(const engine::Collection<engine::Field>& fields, const Separators& separators,
                     ListingOutput& output);

}  // namespace qz::listings
