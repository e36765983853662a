#pragma once
// Every listing of the catalog session run on one database file, each call checked to end either in its
// text or in a numbered error with a description.

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace qz::test {

struct ListingOutcomes {
    std::size_t texts = 0;   // calls that returned their text
    std::size_t errors = 0;  // calls that raised a numbered error with a description
    // Calls that ended any other way: another exception, or an error without number or description.
    std::vector<std::string> faults;
    // The text of each listing that returned one, by the call and its argument ("get_fields Customers").
    std::map<std::string, std::u16string> listings;
};

// Connects to `file` with `password` and runs get_tables (all, "tab" and "sys"), get_fields and get_indexes
// for each of the first `most` tables whose name can be read, get_relations, get_querys and get_fields_query
// for each of the first `most` queries whose name can be read.
ListingOutcomes run_every_listing(const std::filesystem::path& file, const std::string& password,
                                  std::size_t most);

}  // namespace qz::test
