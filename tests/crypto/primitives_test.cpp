// Known answers for the primitives the schemes are built on, the strictness of the descriptor reader, and the
// numbered errors of loading the library they come from.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/error.hpp"
#include "platform/reader/protection/aes.hpp"
#include "platform/reader/protection/header_mask.hpp"
#include "platform/reader/protection/rc4.hpp"
#include "platform/reader/protection/xml_elements.hpp"
#include "platform/shared_library.hpp"

namespace qz::crypto {
namespace {

TEST(Rc4, KeystreamOfA40BitKeyMatchesThePublishedVector) {
    // RFC 6229, key 0x0102030405, keystream bytes 0 to 15.
    const std::array<std::uint8_t, 5> key = {0x01, 0x02, 0x03, 0x04, 0x05};
    std::vector<std::uint8_t> data(16, 0);
    Rc4 stream(key);
    stream.apply(std::span(data).first(7));  // a stream split across calls continues where it stopped
    stream.apply(std::span(data).subspan(7));
    EXPECT_EQ(data, (std::vector<std::uint8_t>{0xb2, 0x39, 0x63, 0x05, 0xf0, 0x3d, 0xc0, 0x27, 0xcc, 0xc3, 0x52,
                                               0x4a, 0x0a, 0x11, 0x18, 0xa8}));
}

TEST(Rc4, HeaderMaskTableIsTheKeystreamOfItsKey) {
    const std::array<std::uint8_t, 4> key = {0xC7, 0xDA, 0x39, 0x6B};
    std::vector<std::uint8_t> keystream(header_mask_offset + header_mask_length_jet4, 0);
    Rc4(key).apply(std::span(keystream).subspan(header_mask_offset));
    std::vector<std::uint8_t> masked_zeros(keystream.size(), 0);
    remove_header_mask(masked_zeros, false);
    EXPECT_EQ(masked_zeros, keystream);
}

TEST(Aes, DecryptsInPlaceAndKeepsEveryBlock) {
    // FIPS-197 appendix C.1, twice: a stripped "padding" block would shorten or alter the result.
    const std::array<std::uint8_t, 16> key = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                                              0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f};
    const std::vector<std::uint8_t> cipher = {0x69, 0xc4, 0xe0, 0xd8, 0x6a, 0x7b, 0x04, 0x30,
                                              0xd8, 0xcd, 0xb7, 0x80, 0x70, 0xb4, 0xc5, 0x5a};
    std::vector<std::uint8_t> data = cipher;
    data.insert(data.end(), cipher.begin(), cipher.end());
    aes_decrypt(AesChaining::ecb, key, {}, data);
    std::vector<std::uint8_t> plain;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 16; ++i) plain.push_back(static_cast<std::uint8_t>(i * 0x11));
    }
    EXPECT_EQ(data, plain);
}

TEST(XmlElements, ResolvesPrefixesAndParentsAfterAByteOrderMark) {
    const auto elements = read_xml_elements(
        "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<a xmlns=\"urn:d\" xmlns:p=\"urn:p\"><!-- note --><b x='1 &amp; 2'/>"
        "<p:c y=\"2\"></p:c></a>");
    ASSERT_TRUE(elements.has_value());
    ASSERT_EQ(elements->size(), 3u);
    EXPECT_EQ((*elements)[1].namespace_uri, "urn:d");
    EXPECT_EQ(*(*elements)[1].attribute("x"), "1 & 2");
    EXPECT_EQ((*elements)[2].namespace_uri, "urn:p");
    EXPECT_EQ((*elements)[2].local_name, "c");
    EXPECT_EQ((*elements)[2].parent, 0u);
}

TEST(XmlElements, RefusesDocumentsThatAreNotWellFormed) {
    for (const char* document : {
             "",                              // no root
             "<a>",                           // unclosed
             "<a></b>",                       // mismatched end tag
             "<a/><b/>",                      // two roots
             "<a x=\"1\" x=\"2\"/>",          // duplicate attribute
             "<a x=1/>",                      // unquoted value
             "<a x=\"1\"y=\"2\"/>",           // attributes not separated
             "<a x=\"&bogus;\"/>",            // unknown entity
             "<p:a/>",                        // undeclared prefix
             "<!DOCTYPE a><a/>",              // DOCTYPE
             "<a/>trailing",                  // text after the root
             "<a x=\"1",                      // cut inside a value
             "<a><!-- unterminated </a>",     // cut inside a comment
         }) {
        EXPECT_FALSE(read_xml_elements(document).has_value()) << document;
    }
}

TEST(SharedLibrary, AMissingLibraryOrFunctionIsANumberedErrorNamingIt) {
    using Lookup = void (*)();
    const struct {
        const char* soname;
        const char* function;
        std::int32_t number;
        const char16_t* description;
    } cases[] = {
        {"libqz-absent.so.0", "EVP_md5", 48, u"Error in loading DLL 'libqz-absent.so.0'."},
        {"libcrypto.so.3", "qz_absent_function", 453,
         u"Can't find DLL entry point qz_absent_function in libcrypto.so.3."},
    };
    for (const auto& c : cases) {
        try {
            static_cast<void>(SharedLibrary(c.soname).function<Lookup>(c.function));
            ADD_FAILURE() << c.soname << " " << c.function << " loaded";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), c.number) << c.soname;
            EXPECT_EQ(error.description(), c.description) << c.soname;
        }
    }
    EXPECT_NE(SharedLibrary("libcrypto.so.3").function<Lookup>("EVP_md5"), nullptr);
}

}  // namespace
}  // namespace qz::crypto
