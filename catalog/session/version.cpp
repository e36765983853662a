#include "catalog/session/version.hpp"

namespace qz {

const char* version() noexcept { return QZ_ODBC_ACCESS_VERSION; }

}  // namespace qz
