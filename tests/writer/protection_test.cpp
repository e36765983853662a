// A Jet database password and RC4 page encoding as the writer makes them: the reader opens the file with
// the password, refuses it without, and decodes encoded pages with no password at all.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "platform/error.hpp"
#include "writer/access_writer.hpp"

namespace qz::writer {
namespace {

namespace fs = std::filesystem;

struct Protection {
    const char* name;
    Format format;
    std::u16string password;
    std::uint32_t encoding_key;
};

void PrintTo(const Protection& p, std::ostream* out) { *out << p.name; }

class Protected : public ::testing::TestWithParam<Protection> {};

TEST_P(Protected, TheReaderOpensTheFileWithItsPasswordOnly) {
    const Protection& p = GetParam();
    const fs::path path = fs::temp_directory_path() / ("qz_writer_" + std::to_string(::getpid()) + "_" + p.name + ".mdb");
    Schema schema;
    schema.format = p.format;
    schema.password = p.password;
    schema.encoding_key = p.encoding_key;
    Column column;
    column.name = u"Value";
    schema.tables.push_back({u"Secrets", {column}});
    write_database(schema, path);

    qz_cls_odbc_access session;
    if (!p.password.empty()) {
        try {
            session.connect(path.u16string(), u"", u"wrong", u"\n", u"|", u"=");
            ADD_FAILURE() << "a wrong password opened the file";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), 3031);
        }
    }
    session.connect(path.u16string(), u"", p.password, u"\n", u"|", u"=");
    EXPECT_EQ(session.get_tables(u"tab"),
              u"id=4|name=Secrets|date_created=03/15/2023 12:00:00|last_updated=03/15/2023 12:00:00|fields=1|"
              u"indexes=0|attributes=0");
    fs::remove(path);
}

INSTANTIATE_TEST_SUITE_P(Jet, Protected,
                         ::testing::Values(Protection{"jet4_password", Format::jet4, u"s3cr\u00E9t", 0},
                                           Protection{"jet4_encoded", Format::jet4, u"", 0x5A17C0DEu},
                                           Protection{"jet4_both", Format::jet4, u"pw", 0x01020304u},
                                           Protection{"jet3_both", Format::jet3, u"Secret97", 0xCAFEF00Du}),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace qz::writer
