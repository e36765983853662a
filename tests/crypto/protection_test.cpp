// Every kind of protection on files the writer makes: with the right password the reader lists exactly what
// the same file lists unprotected; without it, or with a wrong one, it refuses as the engine does. The real
// protected fixtures, when at hand, are refused and opened the same way. Damaged protection headers are
// regression inputs (tests/fuzz_regressions/inputs/fuzz_database).

#include <gtest/gtest.h>

#include <string>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "platform/error.hpp"
#include "platform/reader/pages/header_page.hpp"
#include "platform/reader/protection/header_mask.hpp"
#include "platform/reader/protection/page_decoder.hpp"
#include "platform/shared_library.hpp"
#include "reader/reader_test_files.hpp"
#include "support/fixture_files.hpp"
#include "support/written_database.hpp"
#include "text/utf8_methods.hpp"
#include "writer/access_writer.hpp"

namespace qz::crypto {
namespace {

using writer::AceEncryption;
using writer::Format;

writer::Schema protected_schema(Format format, std::u16string password, std::uint32_t encoding_key = 0,
                                AceEncryption scheme = AceEncryption::agile) {
    writer::Table orders{u"Orders",
                         {writer::column(u"Number", writer::ColumnType::long_integer),
                          writer::column(u"Customer", writer::ColumnType::text, 40)}};
    orders.rows = {{std::int64_t{1}, std::u16string(u"Ana")}};
    return {.format = format,
            .password = std::move(password),
            .encoding_key = encoding_key,
            .ace_encryption = scheme,
            .tables = {orders}};
}

// Page 0 of a Jet 4 or ACE file, its fixed header mask removed.
test::Bytes page_zero(const writer::Schema& schema) {
    const std::vector<std::uint8_t> file = writer::build_database(schema);
    test::Bytes page(file.begin(), file.begin() + 4096);
    remove_header_mask(page, false);
    return page;
}

struct Protection {
    const char* name;
    Format format;
    std::u16string password;
    std::uint32_t encoding_key = 0;
    AceEncryption scheme = AceEncryption::agile;
};

const Protection protections[] = {
    {"jet3_password", Format::jet3, u"Caf\u00E9-S\u00E9same"},  // stored in the file's code page
    {"jet3_password_encoded", Format::jet3, u"Secret97", 0xCAFEF00Du},
    {"jet4_encoded", Format::jet4, u"", 0x5A17C0DEu},
    {"jet4_password", Format::jet4, u"s3cr\u00E9t"},
    {"jet4_password_encoded", Format::jet4, u"Secret20CharsLong!", 0x01020304u},
    {"ace12_cryptoapi_rc4_40_bits", Format::ace12, u"Test123", 0, AceEncryption::cryptoapi_rc4},
    {"ace14_cryptoapi_rc4_128_bits", Format::ace14, u"Ol\u00E1 Mundo", 0x0BADCAFEu,
     AceEncryption::cryptoapi_rc4},
    {"ace12_agile", Format::ace12, u"1234"},
    {"ace14_agile", Format::ace14, u"\u5BC6\u7801 pass", 0x7E570001u},
};

std::u16string listing_error(std::int32_t number, const std::u16string& description) {
    const std::string text = "error " + std::to_string(number) + " ";
    return std::u16string(text.begin(), text.end()) + description;
}

// What a session lists of the database at `path`, or the error number and text it raises.
std::u16string listing(const std::filesystem::path& path, const std::u16string& password) {
    qz_cls_odbc_access session;
    try {
        session.connect(path.u16string(), u"", password, u"\n", u"|", u"=");
        return session.get_tables(u"") + u"\n" + session.get_fields(u"Orders", u"");
    } catch (const Error& error) {
        return listing_error(error.number(), error.description());
    }
}

const std::u16string refused = u"error 3031 Not a valid password.";

class WrittenProtection : public testing::TestWithParam<Protection> {};

TEST_P(WrittenProtection, OpensWithItsPasswordAndRefusesAnyOther) {
    const Protection& p = GetParam();
    const test::WrittenDatabase plain(protected_schema(p.format, u""), "plain");
    const test::WrittenDatabase file(protected_schema(p.format, p.password, p.encoding_key, p.scheme));
    const std::u16string expected = listing(plain.path(), u"");
    ASSERT_NE(expected.find(u"name=Orders"), std::u16string::npos) << "the unprotected twin lists nothing";
    EXPECT_EQ(listing(file.path(), p.password), expected);

    std::u16string other_case = p.password;
    for (char16_t& c : other_case) {
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) c = static_cast<char16_t>(c ^ 0x20);
    }
    for (const std::u16string& wrong : {std::u16string(u""), std::u16string(u"wrong"), other_case,
                                        p.password.substr(0, p.password.size() - 1), p.password + u" "}) {
        if (wrong == p.password) continue;
        // A file that is only encoded has no password to get wrong.
        EXPECT_EQ(listing(file.path(), wrong), p.password.empty() ? expected : refused)
            << "wrong password of " << wrong.size() << " units";
    }
}

INSTANTIATE_TEST_SUITE_P(Writer, WrittenProtection, testing::ValuesIn(protections),
                         [](const auto& test) { return std::string(test.param.name); });

// The real protected files, each with the password of its facts, as the written ones.
TEST(ProtectedFixtures, OpenWithTheirPasswordsAndRefuseAnyOther) {
    QZ_REQUIRE_FIXTURES();
    int protected_files = 0;
    for (const std::string& file : test::fixture_database_files()) {
        std::u16string password;
        text::UTF8toUTF16(test::fixture_password(file), password);
        if (password.empty()) continue;
        ++protected_files;
        const std::filesystem::path path = test::fixtures_folder() / file;
        EXPECT_NE(listing(path, password).find(u"name="), std::u16string::npos) << file;
        EXPECT_EQ(listing(path, u""), refused) << file;
        EXPECT_EQ(listing(path, password + u"x"), refused) << file;
    }
    EXPECT_GT(protected_files, 0) << "no fixture names a password in its facts";
}

// The number of the error opening the protection of page 0 `header` raises, or 0 when it opens.
int open_error(const test::Bytes& header, std::u16string_view password) {
    const std::u16string path = u"/db/file.accdb";
    return test::error_number_of(
        [&] { open_protection(jet::read_header_page(header, path).protection, password, path); });
}

TEST(DamagedEncryptionInfo, EveryTruncationGives3343WithoutRunningTheSpinCount) {
    constexpr std::size_t info_length = 0x299;
    for (const AceEncryption scheme : {AceEncryption::cryptoapi_rc4, AceEncryption::agile}) {
        const test::Bytes original = page_zero(protected_schema(Format::ace14, u"pw", 0, scheme));
        for (std::uint16_t shorter = 0; shorter < (original[info_length] | original[info_length + 1] << 8);
             ++shorter) {
            test::Bytes header = original;
            test::put16(header, info_length, shorter);
            EXPECT_EQ(open_error(header, u"pw"), 3343) << "length " << shorter;
        }
    }
}

TEST(Jet4Password, OnlyTwentyUnitsCount) {
    const test::Bytes header = page_zero(protected_schema(Format::jet4, u"Zwanzig-Zeichen-Wort"));
    EXPECT_EQ(open_error(header, u"Zwanzig-Zeichen-Wort und mehr"), 0);
}

// libcrypto is opened on first use: a missing library or function is a numbered error naming it.
TEST(SharedLibrary, AMissingLibraryOrFunctionIsANumberedErrorNamingIt) {
    using Lookup = void (*)();
    const auto error_of = [](const char* soname, const char* function) {
        try {
            return listing_error(SharedLibrary(soname).function<Lookup>(function) != nullptr ? 0 : -1, u"");
        } catch (const Error& error) {
            return listing_error(error.number(), error.description());
        }
    };
    EXPECT_EQ(error_of("libqz-absent.so.0", "EVP_md5"),
              u"error 48 Error in loading DLL 'libqz-absent.so.0'.");
    EXPECT_EQ(error_of("libcrypto.so.3", "qz_absent"),
              u"error 453 Can't find DLL entry point qz_absent in libcrypto.so.3.");
}

}  // namespace
}  // namespace qz::crypto
