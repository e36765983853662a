// Damaged or unknown protection headers, made from the writer's encrypted files: each gives 3031 or 3343,
// never a crash, a hang or a file opened on a wrong answer.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <regex>
#include <string>

#include "crypto/protected_files.hpp"
#include "platform/reader/pages/header_page.hpp"
#include "platform/reader/protection/page_decoder.hpp"
#include "reader/reader_test_files.hpp"

namespace qz::crypto {
namespace {

using test::Page;
using test::put16;
using test::put32;
using writer::Format;

constexpr std::size_t info_length_offset = 0x299, info_offset = 0x29B;

std::uint16_t info_length(const Page& page) {
    return static_cast<std::uint16_t>(page[info_length_offset] | (page[info_length_offset + 1] << 8));
}

// The number of the error opening the protection of `header` raises, or 0 when it opens.
int open_error(const Page& header, std::u16string_view password) {
    const std::u16string path = u"/db/file.accdb";
    return test::error_number_of(
        [&] { open_protection(jet::read_header_page(header, path).protection, password, path); });
}

const std::u16string password = u"Geheim";
const Page& rc4_header() {
    static const Page page = test::header_page(test::protected_schema(Format::ace12, password, 0, writer::AceEncryption::cryptoapi_rc4));
    return page;
}
const Page& agile_header() {
    static const Page page = test::header_page(test::protected_schema(Format::ace14, password));
    return page;
}

TEST(DamagedCryptoApiHeader, EachDamageGivesItsError) {
    // Offsets inside the EncryptionInfo: the EncryptionHeader from +12 is 0x76 bytes for the base provider.
    constexpr std::size_t flags = info_offset + 4, header_size = info_offset + 8, algorithm = info_offset + 20,
                          hash = info_offset + 24, key_bits = info_offset + 28, salt_size = info_offset + 12 + 0x76,
                          verifier = salt_size + 4 + 16;
    const struct {
        const char* what;
        std::function<void(Page&)> damage;
        int expected;
    } cases[] = {
        {"none", [](Page&) {}, 0},
        {"verifier byte flipped", [](Page& p) { p[verifier] ^= 1; }, 3031},
        {"verifier hash byte flipped", [](Page& p) { p[verifier + 16 + 4 + 19] ^= 1; }, 3031},
        {"salt byte flipped", [](Page& p) { p[salt_size + 4] ^= 1; }, 3031},
        {"fCryptoAPI clear", [](Page& p) { put32(p, flags, 0); }, 3343},
        {"external provider", [](Page& p) { put32(p, flags, 0x14); }, 3343},
        {"fAES with an RC4 algorithm", [](Page& p) { put32(p, flags, 0x24); }, 3343},
        {"unknown algorithm", [](Page& p) { put32(p, algorithm, 0x6602); }, 3343},
        {"MD5 hash", [](Page& p) { put32(p, hash, 0x8003); }, 3343},
        {"RC4 key of 1024 bits", [](Page& p) { put32(p, key_bits, 1024); }, 3343},
        {"RC4 key of 44 bits", [](Page& p) { put32(p, key_bits, 44); }, 3343},
        {"AES key size not the algorithm's", [](Page& p) { put32(p, algorithm, 0x660E), put32(p, key_bits, 256); }, 3343},
        {"salt size 8", [](Page& p) { put32(p, salt_size, 8); }, 3343},
        {"header size past the end", [](Page& p) { put32(p, header_size, 0xFFFFFFF0); }, 3343},
        {"header size below its fixed part", [](Page& p) { put32(p, header_size, 8); }, 3343},
        {"length past the page", [](Page& p) { put16(p, info_length_offset, 4096); }, 3343},
    };
    for (const auto& c : cases) {
        Page header = rc4_header();
        c.damage(header);
        EXPECT_EQ(open_error(header, password), c.expected) << c.what;
    }
}

TEST(DamagedEncryptionInfo, EveryTruncationGives3343WithoutRunningTheSpinCount) {
    for (const Page* original : {&rc4_header(), &agile_header()}) {
        for (std::uint16_t shorter = 0; shorter < info_length(*original); ++shorter) {
            Page header = *original;
            put16(header, info_length_offset, shorter);
            EXPECT_EQ(open_error(header, password), 3343) << "length " << shorter;
        }
    }
}

TEST(UnknownEncryptionVersion, Gives3343NamingThePath) {
    const std::pair<std::uint16_t, std::uint16_t> versions[] = {{1, 1}, {3, 3}, {4, 3}, {5, 2}, {1, 2},
                                                               {4, 5}, {2, 4}, {0, 0}, {0xFFFF, 0xFFFF}};
    for (const auto& [major, minor] : versions) {
        Page header = rc4_header();
        put16(header, info_offset, major);
        put16(header, info_offset + 2, minor);
        EXPECT_EQ(open_error(header, password), 3343) << major << "." << minor;
    }
    Page header = agile_header();
    put32(header, info_offset + 4, 0x41);  // the agile version's reserved word
    try {
        crypto::open_protection(jet::read_header_page(header, u"/data/db.accdb").protection, password, u"/data/db.accdb");
        FAIL() << "opened an unknown scheme";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), 3343);
        EXPECT_EQ(error.description(), u"Unrecognized database format '/data/db.accdb'.");
    }
}

TEST(DamagedAgileDescriptor, EachDamageGivesItsError) {
    const Page& original = agile_header();
    const std::string xml(original.begin() + info_offset + 8, original.begin() + info_offset + info_length(original));
    const std::string zeros64(86, 'A');  // base64 of 64 zero bytes, without its "=="
    const struct {
        const char* what;
        const char* from;  // a regular expression; its first match is replaced
        std::string to;
        int expected;
    } cases[] = {
        {"byte order mark", "^", "\xEF\xBB\xBF", 0},
        {"verifier hash changed", "encryptedVerifierHashValue=\"[^\"]*\"", "encryptedVerifierHashValue=\"" + zeros64 + "==\"", 3031},
        {"spin count above the format's limit", "spinCount=\"100000\"", "spinCount=\"4000000000\"", 3343},
        {"spin count over 32 bits", "spinCount=\"100000\"", "spinCount=\"99999999999\"", 3343},
        {"negative spin count", "spinCount=\"100000\"", "spinCount=\"-1\"", 3343},
        {"spin count missing", "spinCount=", "spinCounts=", 3343},
        {"DES cipher", "cipherAlgorithm=\"AES\"", "cipherAlgorithm=\"DES\"", 3343},
        {"CFB chaining", "ChainingModeCBC", "ChainingModeCFB", 3343},
        {"MD5 hash", "hashAlgorithm=\"SHA512\"", "hashAlgorithm=\"MD5\"", 3343},
        {"hash size not the hash's", "hashSize=\"64\"", "hashSize=\"20\"", 3343},
        {"512-bit key", "keyBits=\"256\"", "keyBits=\"512\"", 3343},
        {"block size 8", "blockSize=\"16\"", "blockSize=\"8\"", 3343},
        {"salt size not the salt's", "saltSize=\"16\"", "saltSize=\"15\"", 3343},
        {"salt not base64", "saltValue=\"", "saltValue=\"*", 3343},
        {"salt cut to a non-multiple of 4", "saltValue=\".", "saltValue=\"", 3343},
        {"key value shorter than the key", "encryptedKeyValue=\"[^\"]*\"", "encryptedKeyValue=\"" + zeros64.substr(0, 22) + "==\"", 3343},
        {"certificate key encryptor", "keyEncryptor/password\">", "keyEncryptor/certificate\">", 3343},
        {"second key encryptor", "</keyEncryptors>", "<keyEncryptor uri=\"x\"/></keyEncryptors>", 3343},
        {"key data in another namespace", "<keyData ", "<p:keyData ", 3343},
        {"no key data", "<keyData ", "<keyDatum ", 3343},
        {"undeclared prefix", "<p:encryptedKey ", "<q:encryptedKey ", 3343},
        {"not well-formed", "</keyEncryptors>", "</keyEncryptor>", 3343},
        {"unknown entity", "saltSize=\"16\"", "saltSize=\"&sixteen;\"", 3343},
        {"duplicate attribute", "saltSize=\"16\"", "saltSize=\"16\" saltSize=\"16\"", 3343},
        {"unquoted value", "saltSize=\"16\"", "saltSize=16", 3343},
        {"attributes not separated", "saltSize=\"16\" ", "saltSize=\"16\"", 3343},
        {"document type", "<encryption ", "<!DOCTYPE encryption><encryption ", 3343},
        {"text after the root", "</encryption>", "</encryption>trailing", 3343},
        {"unterminated comment", "<keyEncryptors>", "<keyEncryptors><!-- ", 3343},
    };
    for (const auto& c : cases) {
        const std::string damaged = std::regex_replace(xml, std::regex(c.from), c.to, std::regex_constants::format_first_only);
        ASSERT_NE(damaged, xml) << c.what;
        Page header = original;
        std::copy(damaged.begin(), damaged.end(), header.begin() + info_offset + 8);
        put16(header, info_length_offset, static_cast<std::uint16_t>(damaged.size() + 8));
        EXPECT_EQ(open_error(header, password), c.expected) << c.what;
    }
}

TEST(DamagedPageZero, ShortPagesMoneyFilesAndCutEncryptionInfoGive3343) {
    const Page jet4 = test::header_page(test::protected_schema(Format::jet4, u""));
    for (const std::size_t size : {std::size_t{0}, std::size_t{0x14}, std::size_t{0x50}, std::size_t{0x79}}) {
        EXPECT_EQ(open_error(Page(jet4.begin(), jet4.begin() + static_cast<std::ptrdiff_t>(size)), u""), 3343) << size;
    }
    Page money = jet4;
    std::memcpy(money.data() + 4, "MSISAM Database", 15);
    EXPECT_EQ(open_error(money, u""), 3343);
    EXPECT_EQ(open_error(Page(rc4_header().begin(), rc4_header().begin() + 0x200), password), 3343);
}

TEST(Jet4Password, OnlyTwentyUnitsCountAndADamagedCreationDateRefuses) {
    constexpr std::size_t creation_date = 0x72;
    const Page header = test::header_page(test::protected_schema(Format::jet4, u"Zwanzig-Zeichen-Wort"));
    EXPECT_EQ(open_error(header, u"Zwanzig-Zeichen-Wort und mehr"), 0);
    for (const double date : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(), 1e300, -1e300, 12345.0}) {
        Page damaged = header;
        std::memcpy(damaged.data() + creation_date, &date, sizeof date);
        // The mask no longer fits the stored password, which then is some other text: refused, not opened.
        EXPECT_EQ(open_error(damaged, u"Zwanzig-Zeichen-Wort"), 3031) << date;
    }
}

}  // namespace
}  // namespace qz::crypto
