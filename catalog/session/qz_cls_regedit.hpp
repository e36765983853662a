#pragma once
// Reads one named value of a data-source entry, addressed as the registry would address it (a root and a
// key path), from unixODBC's configuration files.

#include <cstdint>
#include <string>

namespace qz {

// The registry roots a caller may pass, with their published values.
enum class T_KeyClasses : std::uint32_t {
    HKEY_CLASSES_ROOT = 0x80000000,
    HKEY_CURRENT_CONFIG = 0x80000005,
    HKEY_CURRENT_USER = 0x80000001,
    HKEY_LOCAL_MACHINE = 0x80000002,
    HKEY_USERS = 0x80000003,
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
