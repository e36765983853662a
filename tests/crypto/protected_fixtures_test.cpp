// Protected files (written by the project's writer, and the fixtures when at hand) open with their passwords, decode to the same page structure as unprotected
// files of their format, and refuse wrong passwords exactly as the engine does.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "crypto/fixture_pages.hpp"
#include "platform/error.hpp"
#include "platform/reader/protection/page_decoder.hpp"

namespace qz::crypto {
namespace {

using test::FixturePages;
using test::open_header_protection;

enum class Pages { plain, decoded };

struct ProtectedFixture {
    const char* path;  // a fixture, or the name of a written file
    std::u16string password;
    Pages pages;
    // An unprotected file of the same format, whose catalog table definition has the same shape; none for a
    // written file, whose twin is written without protection.
    const char* twin;
    std::uint32_t encoding_key = 0;  // a written file's RC4 page key
    writer::Format format = writer::Format::jet4;
};

void PrintTo(const ProtectedFixture& fixture, std::ostream* out) { *out << fixture.path; }

bool written(const ProtectedFixture& fixture) { return fixture.twin == nullptr; }

writer::Schema written_schema(const ProtectedFixture& fixture, bool protect) {
    writer::Schema schema;
    schema.format = fixture.format;
    if (protect) {
        schema.password = fixture.password;
        schema.encoding_key = fixture.encoding_key;
    }
    writer::Table table;
    table.name = u"Orders";
    table.columns = {{u"Number"}, {u"Customer", writer::ColumnType::text, 40}};
    table.rows = {{std::int64_t{1}, std::u16string(u"Ana")}};
    schema.tables = {table};
    return schema;
}

FixturePages file_of(const ProtectedFixture& fixture) {
    return written(fixture) ? FixturePages(written_schema(fixture, true), fixture.path) : FixturePages(fixture.path);
}
FixturePages twin_of(const ProtectedFixture& fixture) {
    return written(fixture) ? FixturePages(written_schema(fixture, false), fixture.path) : FixturePages(fixture.twin);
}

#define REQUIRE_FIXTURES_UNLESS_WRITTEN(fixture) \
    do {                                         \
        if (!written(fixture)) QZ_REQUIRE_FIXTURES(); \
    } while (0)

// Jet files the writer protects: encoding alone, a password alone, and both.
const ProtectedFixture written_encoded[] = {
    {"written-jet3-encoded.mdb", u"", Pages::decoded, nullptr, 0x2A5B7C1Du, writer::Format::jet3},
    {"written-jet4-encoded.mdb", u"", Pages::decoded, nullptr, 0x2A5B7C1Du},
};
const ProtectedFixture written_with_password[] = {
    {"written-jet3-password.mdb", u"Geheim", Pages::plain, nullptr, 0, writer::Format::jet3},
    {"written-jet4-password.mdb", u"Secret20CharsLong!", Pages::plain, nullptr},
    {"written-jet4-password-encoded.mdb", u"Mot2Passe", Pages::decoded, nullptr, 0x01020304u},
};

// Encoded, and no password to get wrong.
const ProtectedFixture encoded_fixtures[] = {
    {"jackcess-encrypt/db-enc.mdb", u"", Pages::decoded, "mdb-reader/password/V2000_no-password.mdb"},
};

const ProtectedFixture password_fixtures[] = {
    {"jackcess-encrypt/db2007-oldenc.accdb", u"Test123", Pages::decoded, "jackcess/V2007/testV2007.accdb"},
    {"jackcess-encrypt/db2013-enc.accdb", u"1234", Pages::decoded, "jackcess/V2010/testV2010.accdb"},
    {"mdb-reader/encryption/office-agile-4.2.accdb", u"password", Pages::decoded,
     "mdb-reader/password/V2010_no-password.accdb"},
    {"mdb-reader/password/V2000_with-password.mdb", u"password", Pages::plain,
     "mdb-reader/password/V2000_no-password.mdb"},
    {"mdb-reader/password/V2003_with-password.mdb", u"password", Pages::plain,
     "mdb-reader/password/V2003_no-password.mdb"},
    {"mdb-reader/password/V2010_with-password.accdb", u"password", Pages::decoded,
     "mdb-reader/password/V2010_no-password.accdb"},
};

std::vector<std::uint8_t> plain_page(const FixturePages& file, const PageDecoder* decoder, std::uint32_t number) {
    std::vector<std::uint8_t> page = file.stored_page(number);
    if (decoder != nullptr) decoder->decode(number, page);
    return page;
}

// A page type the catalog knows: data, table definition, index node, index leaf, usage map (all with 0x01
// in byte 1), and the two ACE long-value kinds.
bool known_page_type(const std::vector<std::uint8_t>& page) {
    const std::uint8_t type = page[0];
    return (type >= 0x01 && type <= 0x05 && page[1] == 0x01) || type == 0x08 || type == 0x09;
}

bool contains_utf16(const std::vector<std::uint8_t>& page, std::u16string_view word) {
    std::vector<std::uint8_t> bytes;
    for (const char16_t unit : word) {
        bytes.push_back(static_cast<std::uint8_t>(unit));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return std::search(page.begin(), page.end(), bytes.begin(), bytes.end()) != page.end();
}

// Jet 4 and ACE table definitions: table kind at 0x28 ('S' for the core system tables), column count at 0x2D.
constexpr std::size_t table_kind_offset = 0x28;
constexpr std::size_t column_count_offset = 0x2D;

std::uint16_t column_count(const std::vector<std::uint8_t>& definition) {
    return static_cast<std::uint16_t>(definition[column_count_offset] | (definition[column_count_offset + 1] << 8));
}

std::u16string other_letter_case(std::u16string password) {
    for (char16_t& c : password) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        } else if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
    }
    return password;
}

class ProtectedFixtureTest : public testing::TestWithParam<ProtectedFixture> {};
class PasswordFixtureTest : public testing::TestWithParam<ProtectedFixture> {};

TEST_P(ProtectedFixtureTest, RightPasswordDecodesEveryWrittenPageToAKnownPageType) {
    const ProtectedFixture& fixture = GetParam();
    REQUIRE_FIXTURES_UNLESS_WRITTEN(fixture);
    const FixturePages file = file_of(fixture);
    ASSERT_GT(file.page_count(), 3u);
    const std::unique_ptr<PageDecoder> decoder = open_header_protection(file.header_page(), fixture.password, file.path());
    ASSERT_EQ(decoder != nullptr, fixture.pages == Pages::decoded);

    std::vector<std::uint32_t> unknown_pages;
    for (std::uint32_t number = 1; number < file.page_count(); ++number) {
        const std::vector<std::uint8_t> stored = file.stored_page(number);
        // Pages never written are zero on disk and decode to noise; the catalog never points at them.
        if (std::all_of(stored.begin(), stored.end(), [](std::uint8_t b) { return b == 0; })) continue;
        if (!known_page_type(plain_page(file, decoder.get(), number))) unknown_pages.push_back(number);
    }
    EXPECT_TRUE(unknown_pages.empty()) << unknown_pages.size() << " pages decode to an unknown type, first "
                                       << unknown_pages.front();
}

TEST_P(ProtectedFixtureTest, CatalogDefinitionDecodesWhollyAndMatchesTheUnprotectedTwin) {
    const ProtectedFixture& fixture = GetParam();
    REQUIRE_FIXTURES_UNLESS_WRITTEN(fixture);
    const FixturePages file = file_of(fixture);
    const FixturePages twin = twin_of(fixture);
    const std::unique_ptr<PageDecoder> decoder = open_header_protection(file.header_page(), fixture.password, file.path());

    if (fixture.pages == Pages::decoded) {
        const std::vector<std::uint8_t> stored = file.stored_page(2);
        EXPECT_FALSE(stored[0] == 0x02 && stored[1] == 0x01) << "page 2 is stored plain; nothing was decoded";
    }
    const std::vector<std::uint8_t> definition = plain_page(file, decoder.get(), 2);
    ASSERT_EQ(definition[0], 0x02);
    ASSERT_EQ(definition[1], 0x01);
    EXPECT_EQ(definition[table_kind_offset], 'S');
    EXPECT_EQ(column_count(definition), column_count(twin.stored_page(2)));
    // The names lie far into the page: every cipher block of it decoded, not only the first.
    for (const std::u16string_view name : {u"ParentId", u"DateCreate", u"Name", u"Type"}) {
        EXPECT_TRUE(contains_utf16(definition, name)) << "column name missing";
    }
}

TEST_P(PasswordFixtureTest, WrongEmptyOrOtherCasePasswordIsRefusedWith3031) {
    const ProtectedFixture& fixture = GetParam();
    REQUIRE_FIXTURES_UNLESS_WRITTEN(fixture);
    const FixturePages file = file_of(fixture);
    std::vector<std::u16string> wrong = {u"wrong", u"", fixture.password + u" ", fixture.password.substr(1)};
    if (other_letter_case(fixture.password) != fixture.password) wrong.push_back(other_letter_case(fixture.password));
    for (const std::u16string& password : wrong) {
        try {
            open_header_protection(file.header_page(), password, file.path());
            ADD_FAILURE() << "a wrong password opened the file";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), 3031);
            EXPECT_EQ(error.description(), u"Not a valid password.");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Encoded, ProtectedFixtureTest, testing::ValuesIn(encoded_fixtures));
INSTANTIATE_TEST_SUITE_P(WithPassword, ProtectedFixtureTest, testing::ValuesIn(password_fixtures));
INSTANTIATE_TEST_SUITE_P(WithPassword, PasswordFixtureTest, testing::ValuesIn(password_fixtures));
INSTANTIATE_TEST_SUITE_P(WrittenWithPassword, PasswordFixtureTest, testing::ValuesIn(written_with_password));
// Jet 3 definitions have another layout; their files are checked page by page only.
INSTANTIATE_TEST_SUITE_P(WrittenEncoded, ProtectedFixtureTest, testing::Values(written_encoded[1]));
INSTANTIATE_TEST_SUITE_P(WrittenWithPassword, ProtectedFixtureTest,
                         testing::Values(written_with_password[1], written_with_password[2]));

class WrittenJet3Test : public testing::TestWithParam<ProtectedFixture> {};

TEST_P(WrittenJet3Test, RightPasswordDecodesTheCatalogDefinition) {
    const FixturePages file = file_of(GetParam());
    const std::unique_ptr<PageDecoder> decoder = open_header_protection(file.header_page(), GetParam().password, file.path());
    ASSERT_EQ(decoder != nullptr, GetParam().pages == Pages::decoded);
    const std::vector<std::uint8_t> definition = plain_page(file, decoder.get(), 2);
    EXPECT_EQ(definition[0], 0x02);
    EXPECT_EQ(definition[1], 0x01);
    EXPECT_EQ(definition, plain_page(twin_of(GetParam()), nullptr, 2));
}

INSTANTIATE_TEST_SUITE_P(Written, WrittenJet3Test, testing::Values(written_encoded[0], written_with_password[0]));

class UnprotectedFixtureTest : public testing::TestWithParam<const char*> {};

TEST_P(UnprotectedFixtureTest, AnyPasswordOpensAFileWithoutOne) {
    QZ_REQUIRE_FIXTURES();
    const FixturePages file(GetParam());
    for (const std::u16string_view password : {u"", u"password", u"Test123"}) {
        EXPECT_EQ(open_header_protection(file.header_page(), password, file.path()), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, UnprotectedFixtureTest,
                         testing::Values("mdb-reader/password/V1997_no-password.mdb",
                                         "mdb-reader/password/V2000_no-password.mdb",
                                         "mdb-reader/password/V2003_no-password.mdb",
                                         "mdb-reader/password/V2010_no-password.accdb",
                                         "jackcess/V2007/testV2007.accdb"));

TEST(WrittenUnprotectedFile, AnyPasswordOpensAFileWithoutOne) {
    for (const writer::Format format : {writer::Format::jet3, writer::Format::jet4, writer::Format::ace12}) {
        const FixturePages file = file_of({"written-plain.mdb", u"", Pages::plain, nullptr, 0, format});
        for (const std::u16string_view password : {u"", u"password", u"Test123"}) {
            EXPECT_EQ(open_header_protection(file.header_page(), password, file.path()), nullptr);
        }
    }
}

class EncodedJetTest : public testing::TestWithParam<ProtectedFixture> {};

TEST_P(EncodedJetTest, OpensWithAnyPasswordBecauseEncodingNeedsNone) {
    REQUIRE_FIXTURES_UNLESS_WRITTEN(GetParam());
    const FixturePages file = file_of(GetParam());
    EXPECT_NE(open_header_protection(file.header_page(), u"whatever", file.path()), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Fixture, EncodedJetTest, testing::ValuesIn(encoded_fixtures));
INSTANTIATE_TEST_SUITE_P(Written, EncodedJetTest, testing::ValuesIn(written_encoded));

}  // namespace
}  // namespace qz::crypto
