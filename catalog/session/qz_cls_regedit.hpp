#pragma once
// Reads one named value of a data-source entry, addressed as the registry would address it (a root and a
// key path), from unixODBC's configuration files.

#include <cstdint>
#include <string>

// Public headers name each other from their own folder: installed, they share one folder.
#include "published_identities.hpp"

// Only what the public headers declare is exported from the shared library.
#pragma GCC visibility push(default)
namespace qz {

// The registry roots a caller may pass, with their published values.
enum class T_KeyClasses : std::uint32_t {
    HKEY_CLASSES_ROOT = published::key_classes::HKEY_CLASSES_ROOT,
    HKEY_CURRENT_CONFIG = published::key_classes::HKEY_CURRENT_CONFIG,
    HKEY_CURRENT_USER = published::key_classes::HKEY_CURRENT_USER,
    HKEY_LOCAL_MACHINE = published::key_classes::HKEY_LOCAL_MACHINE,
    HKEY_USERS = published::key_classes::HKEY_USERS,
};

class qz_cls_regedit {
  public:
    // The value `sKey` of the key `Path` under `KeyRoot`: "SOFTWARE\ODBC\ODBC.INI\<name>" under
    // HKEY_LOCAL_MACHINE is the system data source <name>, "Software\ODBC\ODBC.INI\<name>" under
    // HKEY_CURRENT_USER the user's one, "SOFTWARE\ODBC\ODBCINST.INI\<name>" under HKEY_LOCAL_MACHINE the
    // driver <name>. Empty text when the key or the value does not exist, is empty, or is too long for
    // unixODBC to read whole (about 990 bytes; the registry's limit was 1024); nothing is raised. Reads only.
    std::u16string GetRegValue(const T_KeyClasses& KeyRoot, const std::u16string& Path,
                               const std::u16string& sKey) const;
};

}  // namespace qz
#pragma GCC visibility pop
