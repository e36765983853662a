// Database files fuzz_database found to break the reader, rebuilt as the smallest shape that did it.

#include <gtest/gtest.h>

#include "platform/error.hpp"
#include "platform/reader/pages/page_file.hpp"
#include "platform/reader/records/table_definition.hpp"
#include "reader/reader_test_files.hpp"

namespace qz::jet {
namespace {

constexpr std::int32_t damaged_file = 3049;

// A catalog row whose object id keeps no page bits names page 0 for its definition; the chain of
// definition pages ends at page 0, so there were no pages at all and a null page was read.
TEST(DatabaseFileRegression, ATableDefinitionOnTheHeaderPageIsDamageNotANullPage) {
    for (const std::uint8_t version : {std::uint8_t{0}, std::uint8_t{1}, std::uint8_t{3}}) {
        const test::TemporaryDatabase file("definition_on_page_0.mdb", {test::header_page(version)});
        const PageFile pages(file.path(), u"");
        try {
            read_table_definition(pages, 0);
            ADD_FAILURE() << "version " << int{version} << ": no error";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), damaged_file) << "version " << int{version};
        }
    }
}

}  // namespace
}  // namespace qz::jet
