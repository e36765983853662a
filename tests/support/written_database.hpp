#pragma once
// Databases made by the project's writer, for tests that need real file bytes without the shared fixtures:
// each test describes exactly the schema it checks.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_folder.hpp"
#include "writer/access_writer.hpp"

namespace qz::test {

using writer::column;

inline writer::Schema schema_of(writer::Format format, std::vector<writer::Table> tables) {
    writer::Schema s;
    s.format = format;
    s.tables = std::move(tables);
    return s;
}

// A written database in a folder of its own, removed with it.
class WrittenDatabase {
  public:
    explicit WrittenDatabase(const writer::Schema& schema, const std::string& stem = "written") {
        const bool mdb = schema.format == writer::Format::jet3 || schema.format == writer::Format::jet4;
        path_ = folder_ / (stem + (mdb ? ".mdb" : ".accdb"));
        writer::write_database(schema, path_);
    }
    const std::filesystem::path& path() const { return path_; }
    const TempFolder& folder() const { return folder_; }

  private:
    TempFolder folder_;
    std::filesystem::path path_;
};

}  // namespace qz::test
