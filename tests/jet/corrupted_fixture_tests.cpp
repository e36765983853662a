// Real files with bytes of their catalog pages overwritten: every listing either succeeds or raises
// qz::Error; nothing crashes, hangs or throws anything else (run under the sanitizer build as well).

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "jet/reader_test_files.hpp"
#include "platform/error.hpp"
#include "platform/jet/access_file_engine.hpp"
#include "support/fixtures.hpp"

namespace qz::jet {
namespace {

// Reads every member a listing reads; returns whether the database raised qz::Error on the way.
bool list_everything(const std::u16string& path) {
    try {
        const auto database = AccessFileEngine().OpenDatabase(path, false, true, u";pwd=");
        const auto tables = database->TableDefs();
        for (std::int16_t t = 0; t < tables->Count(); ++t) {
            const auto table = tables->Item(t);
            table->Name();
            const auto fields = table->Fields();
            for (std::int16_t f = 0; f < fields->Count(); ++f) {
                const auto field = fields->Item(f);
                field->DefaultValue();
                const auto properties = field->Properties();
                for (std::int16_t p = 0; p < properties->Count(); ++p) properties->Item(p)->Value();
            }
            const auto indexes = table->Indexes();
            for (std::int16_t i = 0; i < indexes->Count(); ++i) indexes->Item(i)->Fields();
        }
        const auto relations = database->Relations();
        for (std::int16_t r = 0; r < relations->Count(); ++r) relations->Item(r)->Fields()->Count();
        const auto queries = database->QueryDefs();
        for (std::int16_t q = 0; q < queries->Count(); ++q) queries->Item(q)->Name();
        return false;
    } catch (const Error&) {
        return true;
    }
}

TEST(CorruptedFixture, OverwrittenCatalogBytesGiveAnErrorOrAListingNeverACrash) {
    QZ_REQUIRE_FIXTURES();
    const char* sources[] = {"jackcess/V1997/testV1997.mdb", "synthetic/relations_V2003.mdb",
                             "synthetic/types_V2016.accdb"};
    std::mt19937 random(20261206);  // fixed: a failure must be reproducible
    for (const char* source : sources) {
        std::ifstream in(test::fixtures_folder() / source, std::ios::binary);
        const test::Bytes original{std::istreambuf_iterator<char>(in), {}};
        const std::size_t page_size = original.at(0x14) == 0 ? 2048 : 4096;
        // The catalog lives in the first pages of these files; past the header, so that most runs get
        // beyond the signature check.
        const std::size_t span = std::min(original.size(), 48 * page_size) - page_size;
        int errors = 0;
        for (int run = 0; run < 120; ++run) {
            test::Bytes damaged = original;
            for (int hit = 0; hit < 6; ++hit) {
                damaged[page_size + random() % span] = static_cast<std::uint8_t>(random());
            }
            test::TemporaryDatabase file("corrupted.mdb", {damaged});
            if (list_everything(file.path())) ++errors;
        }
        // Not a check of the reader's answers: proof that the damage reached the reader at all.
        EXPECT_GT(errors, 0) << source;
    }
}

}  // namespace
}  // namespace qz::jet
