#pragma once
// The engine that reads Access database files (Jet 3, Jet 4, ACE) from disk, read-only.

#include "catalog/session/engine.hpp"

namespace qz::jet {

class AccessFileEngine final : public engine::DBEngine {
  public:
    std::shared_ptr<engine::Database> OpenDatabase(const std::u16string& name, bool exclusive, bool read_only,
                                                   const std::u16string& connect) override;
};

}  // namespace qz::jet
