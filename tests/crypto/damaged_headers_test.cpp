// Damaged or unknown protection headers, built in memory from real ones: each gives 3031 or 3343, never a
// crash, a hang or a file opened on a wrong answer. Also Jet passwords that no fixture carries.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "crypto/fixture_pages.hpp"
#include "platform/error.hpp"
#include "platform/reader/protection/page_decoder.hpp"

namespace qz::crypto {
namespace {

using test::FixturePages;
using test::open_header_protection;
using Page = std::vector<std::uint8_t>;

constexpr std::size_t info_length_offset = 0x299;
constexpr std::size_t info_offset = 0x29B;

void put_u16(Page& page, std::size_t at, std::uint16_t value) {
    page[at] = static_cast<std::uint8_t>(value);
    page[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
void put_u32(Page& page, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) page[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
std::uint32_t get_u32(const Page& page, std::size_t at) {
    return page[at] | (page[at + 1] << 8) | (page[at + 2] << 16) | (static_cast<std::uint32_t>(page[at + 3]) << 24);
}

// The error number open_protection raises, or 0 when it opens.
int open_error(const Page& header, std::u16string_view password, const std::u16string& path = u"/db/file.accdb") {
    try {
        open_header_protection(header, password, path);
        return 0;
    } catch (const Error& error) {
        return error.number();
    }
}

// The agile descriptor's XML as text, and a header with the XML replaced.
std::string agile_xml(const Page& header) {
    const std::size_t length = header[info_length_offset] | (header[info_length_offset + 1] << 8);
    return std::string(header.begin() + info_offset + 8, header.begin() + static_cast<std::ptrdiff_t>(info_offset + length));
}
Page with_agile_xml(Page header, const std::string& xml) {
    std::copy(xml.begin(), xml.end(), header.begin() + info_offset + 8);
    put_u16(header, info_length_offset, static_cast<std::uint16_t>(xml.size() + 8));
    return header;
}
std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

constexpr char rc4_fixture[] = "jackcess-encrypt/db2007-oldenc.accdb";
constexpr char16_t rc4_password[] = u"Test123";
constexpr char agile_fixture[] = "jackcess-encrypt/db2013-enc.accdb";
constexpr char16_t agile_password[] = u"1234";

// Offsets inside the RC4 CryptoAPI EncryptionInfo, which has a header of HS bytes at +12.
struct CryptoApiLayout {
    std::size_t flags = info_offset + 4;
    std::size_t algorithm = info_offset + 20;
    std::size_t hash = info_offset + 24;
    std::size_t key_bits = info_offset + 28;
    std::size_t salt_size;
    std::size_t verifier;
    explicit CryptoApiLayout(const Page& header)
        : salt_size(info_offset + 12 + get_u32(header, info_offset + 8)), verifier(salt_size + 4 + 16) {}
};

struct BinaryDamage {
    const char* what;
    std::function<void(Page&, const CryptoApiLayout&)> damage;
    int expected;
};

TEST(DamagedCryptoApiHeader, EachDamageGivesItsError) {
    QZ_REQUIRE_FIXTURES();
    const Page original = FixturePages(rc4_fixture).header_page();
    const BinaryDamage cases[] = {
        {"verifier byte flipped", [](Page& p, const CryptoApiLayout& l) { p[l.verifier] ^= 1; }, 3031},
        {"verifier hash byte flipped", [](Page& p, const CryptoApiLayout& l) { p[l.verifier + 16 + 4 + 19] ^= 1; }, 3031},
        {"salt byte flipped", [](Page& p, const CryptoApiLayout& l) { p[l.salt_size + 4] ^= 1; }, 3031},
        {"fCryptoAPI clear", [](Page& p, const CryptoApiLayout& l) { put_u32(p, l.flags, 0); }, 3343},
        {"external provider", [](Page& p, const CryptoApiLayout& l) { put_u32(p, l.flags, 0x14); }, 3343},
        {"fAES with an RC4 algorithm", [](Page& p, const CryptoApiLayout& l) { put_u32(p, l.flags, 0x24); }, 3343},
        {"unknown algorithm", [](Page& p, const CryptoApiLayout& l) { put_u32(p, l.algorithm, 0x6602); }, 3343},
        {"MD5 hash", [](Page& p, const CryptoApiLayout& l) { put_u32(p, l.hash, 0x8003); }, 3343},
        {"RC4 key of 1024 bits", [](Page& p, const CryptoApiLayout& l) { put_u32(p, l.key_bits, 1024); }, 3343},
        {"RC4 key of 44 bits", [](Page& p, const CryptoApiLayout& l) { put_u32(p, l.key_bits, 44); }, 3343},
        {"AES key size not the algorithm's", [](Page& p, const CryptoApiLayout& l) {
             put_u32(p, l.algorithm, 0x660E);
             put_u32(p, l.key_bits, 256);
         }, 3343},
        {"salt size 8", [](Page& p, const CryptoApiLayout& l) { put_u32(p, l.salt_size, 8); }, 3343},
        {"header size past the end", [](Page& p, const CryptoApiLayout&) { put_u32(p, info_offset + 8, 0xFFFFFFF0); }, 3343},
        {"header size below its fixed part", [](Page& p, const CryptoApiLayout&) { put_u32(p, info_offset + 8, 8); }, 3343},
        {"length past the page", [](Page& p, const CryptoApiLayout&) { put_u16(p, info_length_offset, 4096); }, 3343},
        {"length zero", [](Page& p, const CryptoApiLayout&) { put_u16(p, info_length_offset, 0); }, 3343},
    };
    for (const BinaryDamage& c : cases) {
        Page header = original;
        c.damage(header, CryptoApiLayout(header));
        EXPECT_EQ(open_error(header, rc4_password), c.expected) << c.what;
    }
}

TEST(DamagedCryptoApiHeader, EveryTruncationOfTheEncryptionInfoGives3343) {
    QZ_REQUIRE_FIXTURES();
    const Page original = FixturePages(rc4_fixture).header_page();
    const std::uint16_t length = static_cast<std::uint16_t>(original[info_length_offset] | (original[info_length_offset + 1] << 8));
    for (std::uint16_t shorter = 0; shorter < length; ++shorter) {
        Page header = original;
        put_u16(header, info_length_offset, shorter);
        EXPECT_EQ(open_error(header, rc4_password), 3343) << "length " << shorter;
    }
}

TEST(UnknownEncryptionVersion, Gives3343) {
    QZ_REQUIRE_FIXTURES();
    const Page original = FixturePages(rc4_fixture).header_page();
    const std::pair<std::uint16_t, std::uint16_t> versions[] = {{1, 1}, {3, 3}, {4, 3}, {5, 2}, {1, 2},
                                                               {4, 5}, {2, 4}, {0, 0}, {0xFFFF, 0xFFFF}};
    for (const auto& [major, minor] : versions) {
        Page header = original;
        put_u16(header, info_offset, major);
        put_u16(header, info_offset + 2, minor);
        EXPECT_EQ(open_error(header, rc4_password), 3343) << major << "." << minor;
    }
}

TEST(DamagedAgileDescriptor, EachDamageGivesItsError) {
    QZ_REQUIRE_FIXTURES();
    const Page original = FixturePages(agile_fixture).header_page();
    const std::string xml = agile_xml(original);
    struct XmlDamage {
        const char* what;
        std::string from;
        std::string to;
        int expected;
    };
    const XmlDamage cases[] = {
        {"verifier hash changed", "encryptedVerifierHashValue=\"C", "encryptedVerifierHashValue=\"D", 3031},
        {"spin count above the format's limit", "spinCount=\"100000\"", "spinCount=\"4000000000\"", 3343},
        {"spin count over 32 bits", "spinCount=\"100000\"", "spinCount=\"99999999999\"", 3343},
        {"negative spin count", "spinCount=\"100000\"", "spinCount=\"-1\"", 3343},
        {"spin count missing", "spinCount=\"100000\"", "spinCounts=\"100000\"", 3343},
        {"DES cipher", "cipherAlgorithm=\"AES\"", "cipherAlgorithm=\"DES\"", 3343},
        {"CFB chaining", "cipherChaining=\"ChainingModeCBC\"", "cipherChaining=\"ChainingModeCFB\"", 3343},
        {"MD5 hash", "hashAlgorithm=\"SHA512\"", "hashAlgorithm=\"MD5\"", 3343},
        {"hash size not the hash's", "hashSize=\"64\"", "hashSize=\"20\"", 3343},
        {"512-bit key", "keyBits=\"256\"", "keyBits=\"512\"", 3343},
        {"block size 8", "blockSize=\"16\"", "blockSize=\"8\"", 3343},
        {"salt size not the salt's", "saltSize=\"16\"", "saltSize=\"15\"", 3343},
        {"salt not base64", "saltValue=\"3MF5", "saltValue=\"*MF5", 3343},
        {"salt cut to a non-multiple of 4", "saltValue=\"3MF5", "saltValue=\"MF5", 3343},
        {"key value shorter than the key", "encryptedKeyValue=\"QubEoYk8CHTRtilBk6x3Reet6nNYPdIWVGe9nedugdM=\"",
         "encryptedKeyValue=\"QubEoYk8CHTRtilBk6x3RQ==\"", 3343},
        {"certificate key encryptor", "keyEncryptor uri=\"http://schemas.microsoft.com/office/2006/keyEncryptor/password\"",
         "keyEncryptor uri=\"http://schemas.microsoft.com/office/2006/keyEncryptor/certificate\"", 3343},
        {"second key encryptor", "</keyEncryptors>", "<keyEncryptor uri=\"x\"/></keyEncryptors>", 3343},
        {"key data in another namespace", "<keyData ", "<p:keyData ", 3343},
        {"no key data", "<keyData ", "<keyDatum ", 3343},
        {"not well-formed", "</keyEncryptors>", "</keyEncryptor>", 3343},
        {"unknown entity", "saltSize=\"16\"", "saltSize=\"&sixteen;\"", 3343},
    };
    for (const XmlDamage& c : cases) {
        const Page header = with_agile_xml(original, replaced(xml, c.from, c.to));
        EXPECT_EQ(open_error(header, agile_password), c.expected) << c.what;
    }
    Page reserved = original;
    put_u32(reserved, info_offset + 4, 0x41);
    EXPECT_EQ(open_error(reserved, agile_password), 3343) << "reserved word changed";
}

TEST(DamagedAgileDescriptor, EveryTruncationGives3343WithoutRunningTheSpinCount) {
    QZ_REQUIRE_FIXTURES();
    const Page original = FixturePages(agile_fixture).header_page();
    const std::string xml = agile_xml(original);
    for (std::size_t shorter = 0; shorter < xml.size() + 8; ++shorter) {
        Page header = original;
        put_u16(header, info_length_offset, static_cast<std::uint16_t>(shorter));
        EXPECT_EQ(open_error(header, agile_password), 3343) << "length " << shorter;
    }
}

TEST(ProtectionErrors, NeverShowThePasswordAndNameThePathForUnknownSchemes) {
    QZ_REQUIRE_FIXTURES();
    Page header = FixturePages(rc4_fixture).header_page();
    const std::u16string secret = u"Zebra-Secret-77";
    try {
        open_header_protection(header, secret, u"/data/db.accdb");
        FAIL() << "opened with a wrong password";
    } catch (const Error& error) {
        EXPECT_EQ(error.description(), u"Not a valid password.");
    }
    put_u16(header, info_offset, 9);
    try {
        open_header_protection(header, secret, u"/data/db.accdb");
        FAIL() << "opened an unknown scheme";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), 3343);
        EXPECT_EQ(error.description(), u"Unrecognized database format '/data/db.accdb'.");
    }
}

// The header page of a database the writer makes, as open_protection sees it.
Page written_header(writer::Format format, std::u16string password = u"") {
    writer::Schema schema;
    schema.format = format;
    schema.password = std::move(password);
    return FixturePages(schema, u"written.mdb").header_page();
}

TEST(DamagedPageZero, ShortPagesAndMoneyFilesGive3343) {
    const Page jet4 = written_header(writer::Format::jet4);
    for (const std::size_t size : {std::size_t{0}, std::size_t{0x14}, std::size_t{0x50}, std::size_t{0x79}}) {
        EXPECT_EQ(open_error(Page(jet4.begin(), jet4.begin() + static_cast<std::ptrdiff_t>(size)), u""), 3343) << size;
    }
    Page money = jet4;
    std::memcpy(money.data() + 4, "MSISAM Database", 15);
    EXPECT_EQ(open_error(money, u""), 3343);
}

TEST(DamagedPageZero, EncryptedAcePageCutBeforeItsEncryptionInfoGives3343) {
    QZ_REQUIRE_FIXTURES();
    const Page ace = FixturePages(rc4_fixture).header_page();
    EXPECT_EQ(open_error(Page(ace.begin(), ace.begin() + 0x200), rc4_password), 3343);
}

// Jet passwords that no fixture carries, written into headers the writer made as the engine stores them.
constexpr std::size_t password_offset = 0x42;
constexpr std::size_t creation_date_offset = 0x72;

Page jet3_with_password(std::string_view code_page_bytes) {
    Page header = written_header(writer::Format::jet3);
    std::copy(code_page_bytes.begin(), code_page_bytes.end(), header.begin() + password_offset);
    return header;
}

Page jet4_with_password(std::u16string_view password, double creation_date) {
    Page header = written_header(writer::Format::jet4);
    std::memcpy(header.data() + creation_date_offset, &creation_date, sizeof creation_date);
    const auto days = static_cast<std::uint32_t>(static_cast<std::int32_t>(std::trunc(creation_date)));
    for (std::size_t i = 0; i < 40; ++i) {
        const unsigned unit = i / 2 < password.size() ? password[i / 2] : 0u;
        const auto plain = static_cast<std::uint8_t>(unit >> (8 * (i % 2)));
        header[password_offset + i] = static_cast<std::uint8_t>(plain ^ (days >> (8 * (i % 4))));
    }
    return header;
}

TEST(Jet3Password, IsReadInTheDatabaseCodePageAndComparedExactly) {
    const Page header = jet3_with_password("Caf\xE9-S\xE9same");  // Windows-1252, the file's code page
    EXPECT_EQ(open_error(header, u"Café-Sésame"), 0);
    EXPECT_EQ(open_error(header, u"café-sésame"), 3031);
    EXPECT_EQ(open_error(header, u"Cafe-Sesame"), 3031);
    EXPECT_EQ(open_error(header, u"Café-Sésam"), 3031);
    EXPECT_EQ(open_error(header, u""), 3031);
}

TEST(Jet4Password, IsUnmaskedWithTheCreationDateAndComparedOnTwentyUnits) {
    const Page header = jet4_with_password(u"Zwanzig-Zeichen-Wort", 45123.75);  // exactly 20 units
    EXPECT_EQ(open_error(header, u"Zwanzig-Zeichen-Wort"), 0);
    EXPECT_EQ(open_error(header, u"Zwanzig-Zeichen-Wort und mehr"), 0) << "only 20 characters are used";
    EXPECT_EQ(open_error(header, u"zwanzig-zeichen-wort"), 3031);
    EXPECT_EQ(open_error(header, u"Zwanzig-Zeichen-Wor"), 3031);
}

TEST(Jet4Password, DamagedCreationDateIsHandledWithoutOverflow) {
    for (const double date : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(), 1e300, -1e300}) {
        Page header = written_header(writer::Format::jet4, u"password");
        std::memcpy(header.data() + creation_date_offset, &date, sizeof date);
        // The mask no longer fits the stored password, which then is some other text: refused, not opened.
        EXPECT_EQ(open_error(header, u"password"), 3031) << date;
    }
}

}  // namespace
}  // namespace qz::crypto
