#pragma once
// Every listing of the catalog session run on one database file, each call checked to end either in its
// text or in a numbered error with a description. Shared by the damage tests, the listing digests and the
// database fuzz targets.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qz::test {

struct ListingOutcomes {
    std::size_t texts = 0;             // calls that returned their text
    std::vector<std::int32_t> errors;  // the number of each call that raised a numbered error
    std::vector<std::string> faults;  // calls that ended any other way, or in an error without number or text
};

// Sees each listing's name, argument and text, or "error <number> <description>".
using ListingObserver = std::function<void(const std::string& listing, std::u16string_view argument,
                                           const std::u16string& outcome)>;

// Connects to `file` with `password` and runs get_tables (all, "tab" and "sys"), get_fields and get_indexes
// of the first `most` tables whose name can be read, get_relations, get_querys, and get_fields_query of the
// first `most` queries whose name can be read.
ListingOutcomes run_every_listing(const std::filesystem::path& file, const std::string& password,
                                  std::size_t most, const ListingObserver& observe = {});

}  // namespace qz::test
