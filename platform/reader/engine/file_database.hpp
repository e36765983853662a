#pragma once
// The engine's object model over a catalog read from an Access file: what the listings see.

#include <memory>

#include "catalog/session/engine.hpp"
#include "platform/reader/system_tables/database_catalog.hpp"

namespace qz::jet {

// The database the engine opens: its collections read from `catalog`, which it keeps open.
std::shared_ptr<engine::Database> make_file_database(std::shared_ptr<const Catalog> catalog);

}  // namespace qz::jet
