#include "catalog/session/default_engine.hpp"

#include "platform/reader/engine/access_file_engine.hpp"

namespace qz {

std::shared_ptr<engine::DBEngine> default_engine() { return std::make_shared<jet::AccessFileEngine>(); }

}  // namespace qz
