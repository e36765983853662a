#include "platform/reader/engine/access_file_engine.hpp"

#include "platform/reader/engine/file_database.hpp"
#include "platform/reader/system_tables/database_catalog.hpp"
#include "platform/reader/system_tables/name_match.hpp"

namespace qz::jet {
namespace {

// The password of the connect text ";pwd=<password>": everything after "pwd=", which may itself hold ';'.
std::u16string password_of(const std::u16string& connect) {
    constexpr std::u16string_view key = u"pwd=";
    for (std::size_t at = 0; at + key.size() <= connect.size(); ++at) {
        if (same_name(std::u16string_view(connect).substr(at, key.size()), key))
            return connect.substr(at + key.size());
    }
    return {};
}

}  // namespace

// Opening is read-only whatever the caller asks: a catalog reader never writes, so `exclusive` and
// `read_only` change nothing.
std::shared_ptr<engine::Database> AccessFileEngine::OpenDatabase(const std::u16string& name, bool, bool,
                                                                 const std::u16string& connect) {
    return make_file_database(Catalog::open(name, password_of(connect)));
}

}  // namespace qz::jet
