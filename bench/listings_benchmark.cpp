// In-process timing of each listing through the catalog session, on the fixture files. Every iteration is one
// request without the process and the result file: connect, then one listing. "open" times connect alone, so
// a listing's own cost is its time less that of "open".
//
// Usage: qz_bench_listings [benchmark flags] [file[::password] ...]
// Files are relative to $QZ_FIXTURES (else ../shared/fixtures beside the checkout) unless absolute; without
// files, a set covering every format generation, a catalog of thousands of tables and the encrypted files.
// Counters per iteration: read_calls and pages_read (bytes read / page size) from /proc/self/io, and
// pages_in_file, so that "pages read against the file's page count" needs no hook in the product.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "bench/process_io.hpp"
#include "catalog/session/qz_cls_odbc_access.hpp"
#include "platform/error.hpp"
#include "platform/text/code_page.hpp"

namespace {

namespace fs = std::filesystem;

// Record, item and key/value separators no catalog name contains, so table names can be read back.
constexpr std::u16string_view record_separator = u"\x1E";
constexpr std::u16string_view item_separator = u"\x1F";
constexpr std::u16string_view name_key = u"name=";
// Tables whose fields and indexes are timed: the first, the middle and the last ordinary table, so a
// lookup that walks the collection shows its cost on a large catalog.
constexpr std::size_t timed_tables = 3;

const std::vector<std::string> default_files = {
    "jackcess/V1997/testV1997.mdb",
    "jackcess/V2003/testV2003.mdb",
    "jackcess/V2003/queryTestV2003.mdb",
    "jackcess/V2007/testV2007.accdb",
    "jackcess/V2010/testV2010.accdb",
    "jackcess/V2019/extDateTestV2019.accdb",
    "synthetic/relations_V2010.accdb",
    "synthetic/names_V2010.accdb",
    "synthetic/many_tables_2000_V2003.mdb",
    "mdb-reader/password/V2010_no-password.accdb",
    "mdb-reader/password/V2010_with-password.accdb::password",
    "jackcess-encrypt/db2013-enc.accdb::1234",
};

struct Database {
    std::string label;  // as given, without the password
    fs::path path;
    std::u16string password;
};

fs::path fixtures_folder() {
    const char* from_env = std::getenv("QZ_FIXTURES");
    return from_env != nullptr && *from_env != '\0' ? fs::path(from_env) : fs::path(QZ_DEFAULT_FIXTURES);
}

Database parse_argument(const std::string& argument) {
    const std::size_t cut = argument.find("::");
    Database database;
    database.label = argument.substr(0, cut);
    const fs::path given(database.label);
    database.path = given.is_absolute() ? given : fixtures_folder() / given;
    if (cut != std::string::npos) database.password = qz::text::utf8_to_utf16(argument.substr(cut + 2));
    return database;
}

// Pages in the file, from the size and the page size its header's version byte implies (Jet 3: 2048).
std::uint64_t pages_in_file(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<char> prefix(0x15);
    if (!file.read(prefix.data(), static_cast<std::streamsize>(prefix.size()))) return 0;
    const std::uint64_t page_size = prefix[0x14] == 0 ? 2048 : 4096;
    return fs::file_size(path) / page_size;
}

std::u16string connect(qz::qz_cls_odbc_access& session, const Database& database) {
    return session.connect(qz::text::utf8_to_utf16(database.path.string()), u"", database.password,
                           std::u16string(record_separator), std::u16string(item_separator), u"=", u",", u"&",
                           u":");
}

// The names in a table listing, in listing order.
std::vector<std::u16string> table_names(std::u16string_view listing) {
    std::vector<std::u16string> names;
    for (std::size_t at = listing.find(name_key); at != std::u16string_view::npos;
         at = listing.find(name_key, at)) {
        at += name_key.size();
        const std::size_t end = listing.find(item_separator, at);
        names.emplace_back(listing.substr(at, end - at));
    }
    return names;
}

std::vector<std::u16string> spread_sample(const std::vector<std::u16string>& names) {
    std::vector<std::u16string> sample;
    if (names.empty()) return sample;
    for (std::size_t i = 0; i < timed_tables; ++i) {
        const std::size_t position = i * (names.size() - 1) / (timed_tables - 1);
        if (std::find(sample.begin(), sample.end(), names[position]) == sample.end()) {
            sample.push_back(names[position]);
        }
    }
    return sample;
}

using Listing = std::function<std::u16string(qz::qz_cls_odbc_access&)>;

// Times connect + `listing`; a qz::Error ends the benchmark with its number and description.
void time_request(benchmark::State& state, const Database& database, const Listing& listing,
                  std::uint64_t file_pages, std::uint64_t page_size) {
    const qz::bench::ProcessIo before = qz::bench::process_io();
    try {
        for (auto _ : state) {
            qz::qz_cls_odbc_access session;
            connect(session, database);
            benchmark::DoNotOptimize(listing(session));
        }
    } catch (const qz::Error& error) {
        state.SkipWithError((std::to_string(error.number()) + " " + error.what()).c_str());
        return;
    }
    const qz::bench::ProcessIo after = qz::bench::process_io();
    const auto per_iteration = benchmark::Counter::kAvgIterations;
    state.counters["read_calls"] =
        benchmark::Counter(static_cast<double>(after.read_calls - before.read_calls), per_iteration);
    state.counters["pages_read"] = benchmark::Counter(
        static_cast<double>(after.bytes_read - before.bytes_read) / static_cast<double>(page_size),
        per_iteration);
    state.counters["pages_in_file"] = static_cast<double>(file_pages);
}

std::string utf8(std::u16string_view text) { return qz::text::utf16_to_utf8(text); }

// Registers "open" and every listing of `database`; get_fields and get_indexes on a sample of its tables.
void register_database(const Database& database) {
    const std::uint64_t file_pages = pages_in_file(database.path);
    const std::uint64_t page_size = file_pages == 0 ? 4096 : fs::file_size(database.path) / file_pages;
    std::vector<std::u16string> sample;
    try {
        qz::qz_cls_odbc_access probe;
        connect(probe, database);
        sample = spread_sample(table_names(probe.get_tables(u"tab")));
    } catch (const qz::Error& error) {
        std::cerr << database.label << ": " << error.number() << " " << error.what() << '\n';
    }
    const auto add = [&](const std::string& name, Listing listing) {
        benchmark::RegisterBenchmark((name + "/" + database.label).c_str(),
                                     [=](benchmark::State& state) {
                                         time_request(state, database, listing, file_pages, page_size);
                                     })
            ->Unit(benchmark::kMicrosecond);
    };
    add("open", [](qz::qz_cls_odbc_access&) { return std::u16string{}; });
    add("get_tables", [](qz::qz_cls_odbc_access& session) { return session.get_tables(u""); });
    for (const std::u16string& table : sample) {
        add("get_fields:" + utf8(table),
            [table](qz::qz_cls_odbc_access& session) { return session.get_fields(table, u""); });
        add("get_indexes:" + utf8(table),
            [table](qz::qz_cls_odbc_access& session) { return session.get_indexes(table); });
    }
    add("get_relations", [](qz::qz_cls_odbc_access& session) { return session.get_relations(); });
    add("get_querys", [](qz::qz_cls_odbc_access& session) { return session.get_querys(); });
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::vector<std::string> files(argv + 1, argv + argc);
    if (files.empty()) files = default_files;
    for (const std::string& file : files) {
        const Database database = parse_argument(file);
        std::error_code missing;
        if (!fs::is_regular_file(database.path, missing)) {
            std::cerr << "skipped, not found: " << database.path << '\n';
            continue;
        }
        register_database(database);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
