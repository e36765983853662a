#include "platform/jet/access_file_engine.hpp"

#include "platform/error.hpp"

namespace qz::jet {

std::shared_ptr<engine::Database> AccessFileEngine::OpenDatabase(const std::u16string& name, bool, bool,
                                                                  const std::u16string&) {
    throw Error(error_number::unrecognized_format, u"Unrecognized database format '" + name + u"'.");
}

}  // namespace qz::jet
