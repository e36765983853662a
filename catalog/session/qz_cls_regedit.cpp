#include "catalog/session/qz_cls_regedit.hpp"

#include <optional>
#include <string_view>

#include "platform/files/native_path.hpp"
#include "platform/odbc/odbc_ini.hpp"

namespace qz {
namespace {

bool equal_ignoring_case(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char16_t c) {
            return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
        };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

struct OdbcEntry {
    odbc::OdbcIniFile file;
    std::u16string_view name;
};

// The configuration entry a root and key path stand for; nothing for any other key.
std::optional<OdbcEntry> odbc_entry(T_KeyClasses root, std::u16string_view path) {
    struct Mapping {
        T_KeyClasses root;
        std::u16string_view prefix;
        odbc::OdbcIniFile file;
    };
    static constexpr Mapping mappings[] = {
        {T_KeyClasses::HKEY_LOCAL_MACHINE, u"SOFTWARE\\ODBC\\ODBC.INI\\",
         odbc::OdbcIniFile::system_data_sources},
        {T_KeyClasses::HKEY_CURRENT_USER, u"SOFTWARE\\ODBC\\ODBC.INI\\",
         odbc::OdbcIniFile::user_data_sources},
        {T_KeyClasses::HKEY_LOCAL_MACHINE, u"SOFTWARE\\ODBC\\ODBCINST.INI\\", odbc::OdbcIniFile::drivers},
    };
    for (const Mapping& mapping : mappings) {
        if (root != mapping.root || path.size() <= mapping.prefix.size()) continue;
        if (!equal_ignoring_case(path.substr(0, mapping.prefix.size()), mapping.prefix)) continue;
        const std::u16string_view name = path.substr(mapping.prefix.size());
        // A deeper key path names a subkey of the entry, which the configuration files do not have.
        if (name.find(u'\\') != std::u16string_view::npos) return std::nullopt;
        return OdbcEntry{mapping.file, name};
    }
    return std::nullopt;
}

}  // namespace

std::u16string qz_cls_regedit::GetRegValue(const T_KeyClasses& KeyRoot, const std::u16string& Path,
                                           const std::u16string& sKey) const {
    const std::optional<OdbcEntry> entry = odbc_entry(KeyRoot, Path);
    if (!entry) return {};
    // A value may name a file (DBQ): bytes that are not UTF-8 are kept, so the path names that same file.
    const std::string value = odbc::read_odbc_ini_value(entry->file, files::native_from_text(entry->name),
                                                        files::native_from_text(sKey));
    return files::text_from_native(value);
}

}  // namespace qz
