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
#include "platform/crypto/page_decoder.hpp"
#include "platform/error.hpp"

namespace qz::crypto {
namespace {

using test::FixturePages;
using Page = std::vector<std::uint8_t>;

// The error number open_protection raises, or 0 when it opens.
int open_error(const Page& header, std::u16string_view password, const std::u16string& path = u"/db/file.accdb") {
    try {
        open_protection(header, password, path);
        return 0;
    } catch (const Error& error) {
        return error.number();
    }
}

TEST(DamagedPageZero, ShortPagesAndMoneyFilesGive3343) {
    QZ_REQUIRE_FIXTURES();
    const Page jet4 = FixturePages("mdb-reader/password/V2000_no-password.mdb").header_page();
    for (const std::size_t size : {std::size_t{0}, std::size_t{0x14}, std::size_t{0x50}, std::size_t{0x79}}) {
        EXPECT_EQ(open_error(Page(jet4.begin(), jet4.begin() + static_cast<std::ptrdiff_t>(size)), u""), 3343) << size;
    }
    Page money = jet4;
    std::memcpy(money.data() + 4, "MSISAM Database", 15);
    EXPECT_EQ(open_error(money, u""), 3343);
}

// Jet passwords that no fixture carries, written into real headers as the engine stores them.
constexpr std::size_t password_offset = 0x42;
constexpr std::size_t creation_date_offset = 0x72;

Page jet3_with_password(std::string_view code_page_bytes) {
    Page header = FixturePages("mdb-reader/password/V1997_no-password.mdb").header_page();
    std::copy(code_page_bytes.begin(), code_page_bytes.end(), header.begin() + password_offset);
    return header;
}

Page jet4_with_password(std::u16string_view password, double creation_date) {
    Page header = FixturePages("mdb-reader/password/V2000_no-password.mdb").header_page();
    std::memcpy(header.data() + creation_date_offset, &creation_date, sizeof creation_date);
    const auto days = static_cast<std::uint32_t>(static_cast<std::int32_t>(std::trunc(creation_date)));
    for (std::size_t i = 0; i < 40; ++i) {
        const std::uint8_t plain = i / 2 < password.size() ? static_cast<std::uint8_t>(password[i / 2] >> (8 * (i % 2))) : 0;
        header[password_offset + i] = static_cast<std::uint8_t>(plain ^ (days >> (8 * (i % 4))));
    }
    return header;
}

TEST(Jet3Password, IsReadInTheDatabaseCodePageAndComparedExactly) {
    QZ_REQUIRE_FIXTURES();
    const Page header = jet3_with_password("Caf\xE9-S\xE9same");  // Windows-1252, the fixture's code page
    EXPECT_EQ(open_error(header, u"Café-Sésame"), 0);
    EXPECT_EQ(open_error(header, u"café-sésame"), 3031);
    EXPECT_EQ(open_error(header, u"Cafe-Sesame"), 3031);
    EXPECT_EQ(open_error(header, u"Café-Sésam"), 3031);
    EXPECT_EQ(open_error(header, u""), 3031);
}

TEST(Jet4Password, IsUnmaskedWithTheCreationDateAndComparedOnTwentyUnits) {
    QZ_REQUIRE_FIXTURES();
    const Page header = jet4_with_password(u"Zwanzig-Zeichen-Wort", 45123.75);  // exactly 20 units
    EXPECT_EQ(open_error(header, u"Zwanzig-Zeichen-Wort"), 0);
    EXPECT_EQ(open_error(header, u"Zwanzig-Zeichen-Wort und mehr"), 0) << "only 20 characters are used";
    EXPECT_EQ(open_error(header, u"zwanzig-zeichen-wort"), 3031);
    EXPECT_EQ(open_error(header, u"Zwanzig-Zeichen-Wor"), 3031);
}

TEST(Jet4Password, DamagedCreationDateIsHandledWithoutOverflow) {
    QZ_REQUIRE_FIXTURES();
    for (const double date : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(), 1e300, -1e300}) {
        Page header = FixturePages("mdb-reader/password/V2003_with-password.mdb").header_page();
        std::memcpy(header.data() + creation_date_offset, &date, sizeof date);
        // The mask no longer fits the stored password, which then is some other text: refused, not opened.
        EXPECT_EQ(open_error(header, u"password"), 3031) << date;
    }
}

}  // namespace
}  // namespace qz::crypto
