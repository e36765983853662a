#pragma once
// The engine a session opens databases with unless it is given another: the reader of Access files. The
// session's default constructor and the program both take it from here.

#include <memory>

#include "catalog/session/engine.hpp"

namespace qz {

std::shared_ptr<engine::DBEngine> default_engine();

}  // namespace qz
