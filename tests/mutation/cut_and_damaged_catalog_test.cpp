// A copy cut short, as a failed transfer leaves it, or a catalog damaged in one place must never read as a
// smaller database: each listing gives the whole file's text or an error, and damage to the rows every
// database holds gives 3049.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "mutation/damaged_copies.hpp"
#include "mutation/every_listing.hpp"
#include "platform/error.hpp"
#include "platform/reader/system_tables/catalog_objects.hpp"
#include "platform/reader/pages/data_page.hpp"
#include "platform/reader/pages/page_file.hpp"
#include "platform/reader/records/table_definition.hpp"
#include "platform/text/code_page.hpp"
#include "support/fixtures.hpp"
#include "support/temp_folder.hpp"

namespace qz::test {
namespace {

constexpr std::size_t every_member = 1000;  // tables and queries described one by one

// One small fixture of each format generation; every cut of each is listed.
const char* const cut_fixtures[] = {
    "jackcess/V1997/testV1997.mdb",   // Jet 3
    "synthetic/relations_V2003.mdb",  // Jet 4
    "synthetic/types_V2016.accdb",    // ACE 16, with attachment and multi-value columns
};

Bytes bytes_of(const std::filesystem::path& file) {
    const std::string text = read_file(file);
    return Bytes(text.begin(), text.end());
}

std::filesystem::path write_copy(const TempFolder& folder, const std::filesystem::path& original,
                                 const Bytes& bytes) {
    return folder.write("copy" + original.extension().string(),
                        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

class CutCopies : public ::testing::TestWithParam<const char*> {};

TEST_P(CutCopies, EveryCutListsWhatTheWholeFileListsOrRaisesAnError) {
    QZ_REQUIRE_FIXTURES();
    const std::filesystem::path file = fixtures_folder() / GetParam();
    const Bytes original = bytes_of(file);
    const FileLayout layout = read_layout(file, "");
    const ListingOutcomes whole = run_every_listing(file, "", every_member);
    ASSERT_FALSE(whole.listings.empty());
    const TempFolder folder;
    for (std::uint32_t pages = 0; pages < layout.page_count; ++pages) {
        for (const std::size_t extra : {std::size_t{0}, layout.page_size / 2}) {
            const Bytes cut(original.begin(),
                            original.begin() + static_cast<std::ptrdiff_t>(pages * layout.page_size + extra));
            const ListingOutcomes outcomes =
                run_every_listing(write_copy(folder, file, cut), "", every_member);
            const std::string what =
                std::string(GetParam()) + " cut to " + std::to_string(cut.size()) + " bytes";
            EXPECT_TRUE(outcomes.faults.empty()) << what;
            if (extra != 0) {
                EXPECT_TRUE(outcomes.listings.empty()) << what << ": a file ending inside a page was listed";
            }
            for (const auto& [call, text] : outcomes.listings) {
                const auto found = whole.listings.find(call);
                EXPECT_TRUE(found != whole.listings.end() && found->second == text)
                    << what << ": " << call << " differs from the whole file's";
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, CutCopies, ::testing::ValuesIn(cut_fixtures));

// Where the catalog keeps what the damages below change, found through the reader on the whole file.
struct CatalogPlaces {
    bool jet3 = false;
    std::size_t page_size = 0;
    std::vector<std::uint32_t> data_pages;  // the catalog's own data pages
    std::size_t usage_map = 0;              // file offset of the catalog's usage-map row
    std::size_t usage_map_length = 0;
    std::size_t tables_row = 0;  // file offset of the Tables container's row
    std::size_t tables_row_length = 0;
    std::size_t tables_row_entry = 0;  // file offset of its entry in the page's row-offset table
    std::size_t id_offset = 0;         // offsets of the fixed Id and Type values within a row
    std::size_t type_offset = 0;
};

std::size_t offset_in_file(const jet::RowBytes& row, std::uint32_t page, std::size_t page_size) {
    return page * page_size + static_cast<std::size_t>(row.bytes.data() - row.page->data());
}

CatalogPlaces catalog_places(const std::filesystem::path& file) {
    const jet::PageFile pages(file.u16string(), u"");
    const jet::TableDefinition catalog = jet::read_table_definition(pages, jet::catalog_definition_page);
    CatalogPlaces places;
    places.jet3 = pages.format().jet3;
    places.page_size = pages.format().page_size;
    places.data_pages = read_layout(file, "").catalog_data;
    const jet::RowBytes map = jet::read_raw_row(pages, catalog.owned_pages);
    places.usage_map = offset_in_file(map, catalog.owned_pages.page, places.page_size);
    places.usage_map_length = map.bytes.size();
    for (const jet::CatalogObject& o : jet::read_catalog_objects(pages, catalog)) {
        if (o.parent_id != jet::catalog_root_id || o.name != u"Tables") continue;
        const jet::RowBytes row = jet::read_raw_row(pages, o.slot);
        places.tables_row = offset_in_file(row, o.slot.page, places.page_size);
        places.tables_row_length = row.bytes.size();
        places.tables_row_entry =
            o.slot.page * places.page_size + (places.jet3 ? 0x0A : 0x0E) + 2u * o.slot.row;
    }
    const std::size_t fixed_area = places.jet3 ? 1 : 2;  // after the row's column count
    for (const jet::ColumnDescriptor& c : catalog.columns) {
        if (c.name == u"Id") places.id_offset = fixed_area + c.fixed_offset;
        if (c.name == u"Type") places.type_offset = fixed_area + c.fixed_offset;
    }
    return places;
}

// The first byte of the name "Tables" within the container's row, stored as Jet 3 or compressed text or as
// UTF-16.
std::size_t tables_name_offset(const Bytes& bytes, const CatalogPlaces& places) {
    const auto row = bytes.begin() + static_cast<std::ptrdiff_t>(places.tables_row);
    const auto end = row + static_cast<std::ptrdiff_t>(places.tables_row_length);
    for (const std::string& name : {std::string("Tables"), std::string("T\0a\0b\0l\0e\0s\0", 12)}) {
        const auto found = std::search(row, end, name.begin(), name.end());
        if (found != end) return static_cast<std::size_t>(found - bytes.begin());
    }
    return 0;
}

struct CatalogDamage {
    std::string what;
    std::function<void(Bytes&)> damage;
};

std::vector<CatalogDamage> catalog_damages(const CatalogPlaces& places) {
    const auto put32 = [](Bytes& bytes, std::size_t at, std::uint32_t value) {
        for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    std::vector<CatalogDamage> damages = {
        {"the catalog's usage map emptied",
         [=](Bytes& bytes) {
             // An inline map keeps its bitmap after the kind and the first page; a reference map its page
             // list after the kind.
             const std::size_t keep = bytes[places.usage_map] == 0x00 ? 5 : 1;
             std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(places.usage_map + keep),
                         places.usage_map_length - keep, 0);
         }},
        {"the Tables container's row deleted",
         [=](Bytes& bytes) { bytes[places.tables_row_entry + 1] |= 0x80; }},
        {"the Tables container renamed",
         [=](Bytes& bytes) { bytes[tables_name_offset(bytes, places) + 1] = 'x'; }},
        {"the Tables container retyped",
         [=](Bytes& bytes) { bytes[places.tables_row + places.type_offset] = 0x01; }},
        {"the Tables container renumbered",
         [=](Bytes& bytes) { put32(bytes, places.tables_row + places.id_offset, 0x0F000009); }},
    };
    for (const std::uint32_t page : places.data_pages) {
        const std::size_t start = page * places.page_size;
        const std::size_t row_count = start + (places.jet3 ? 0x08 : 0x0C);
        damages.push_back({"the row count of catalog page " + std::to_string(page) + " zeroed",
                           [=](Bytes& bytes) { bytes[row_count] = bytes[row_count + 1] = 0; }});
        damages.push_back({"the type of catalog page " + std::to_string(page) + " zeroed",
                           [=](Bytes& bytes) { bytes[start] = 0; }});
    }
    return damages;
}

class DamagedCatalog : public ::testing::TestWithParam<const char*> {};

TEST_P(DamagedCatalog, EachDamageToTheRowsEveryDatabaseHoldsGives3049) {
    QZ_REQUIRE_FIXTURES();
    const std::filesystem::path file = fixtures_folder() / GetParam();
    const Bytes original = bytes_of(file);
    const CatalogPlaces places = catalog_places(file);
    ASSERT_NE(places.tables_row, 0u);
    ASSERT_NE(tables_name_offset(original, places), 0u);
    const TempFolder folder;
    for (const CatalogDamage& d : catalog_damages(places)) {
        Bytes copy = original;
        d.damage(copy);
        ASSERT_NE(copy, original) << d.what;
        const auto path = write_copy(folder, file, copy);
        for (const char16_t* kind : {u"", u"tab", u"sys"}) {
            std::int32_t number = 0;
            try {
                qz_cls_odbc_access session;
                session.connect(path.u16string());
                session.get_tables(kind);
            } catch (const Error& error) {
                number = error.number();
            }
            EXPECT_EQ(number, error_number::database_damaged) << GetParam() << ": " << d.what;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, DamagedCatalog, ::testing::ValuesIn(cut_fixtures));

}  // namespace
}  // namespace qz::test
