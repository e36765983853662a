#pragma once
// The identities under which the two classes were published to automation clients on Windows. A client that
// bound to them by identity (class and interface identifiers, dispatch identifiers, enumeration values) finds
// the same numbers here; the C interface and the Python module expose these constants unchanged.
// Identifiers are in the registry's text form; dispatch identifiers are the signed 32-bit numbers clients
// pass to the dispatch interface.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qz::published {

enum class MemberKind { property, method };

// One member of a dispatch interface.
struct Member {
    std::string_view name;
    MemberKind kind;
    std::int32_t dispatch_id;
};

// The type library `qz_exe_odbc_access`, version 1.0, locale 0x409 (English, United States). It holds both
// classes and the enumeration, and refers to the engine's type library for the `Database` type.
inline constexpr std::string_view type_library_name = "qz_exe_odbc_access";
inline constexpr std::string_view type_library_id = "{4F549135-E9CB-4F74-8D37-A2C256638C83}";
inline constexpr std::uint16_t type_library_major_version = 1;
inline constexpr std::uint16_t type_library_minor_version = 0;
inline constexpr std::uint32_t type_library_locale = 0x409;

// The catalog session, creatable; its one interface is hidden, dual, non-extensible and automation-compatible.
namespace odbc_access {
inline constexpr std::string_view class_name = "qz_cls_odbc_access";
inline constexpr std::string_view class_id = "{49B59D6B-9D9E-44D4-8E67-3D29CB0D6844}";
inline constexpr std::string_view interface_name = "_qz_cls_odbc_access";
inline constexpr std::string_view interface_id = "{DA344151-4AD1-435E-A8CE-3EF5A6687C26}";

// Properties count up from 0x40030000 in field order, methods from 0x60030000 in method order.
namespace dispatch_id {
inline constexpr std::int32_t dbDao = 0x40030000;
inline constexpr std::int32_t strBanco = 0x40030001;
inline constexpr std::int32_t strSep1 = 0x40030002;
inline constexpr std::int32_t strSep2 = 0x40030003;
inline constexpr std::int32_t strSep3 = 0x40030004;
inline constexpr std::int32_t strSep4 = 0x40030005;
inline constexpr std::int32_t strSep5 = 0x40030006;
inline constexpr std::int32_t strSep6 = 0x40030007;
inline constexpr std::int32_t connect = 0x60030000;
inline constexpr std::int32_t get_tables = 0x60030001;
inline constexpr std::int32_t get_fields = 0x60030002;
inline constexpr std::int32_t get_indexes = 0x60030003;
inline constexpr std::int32_t get_relations = 0x60030004;
inline constexpr std::int32_t IsUTF8 = 0x60030005;
inline constexpr std::int32_t UTF16toUTF8 = 0x60030006;
inline constexpr std::int32_t UTF8toUTF16 = 0x60030007;
inline constexpr std::int32_t UTF8_Encode = 0x60030008;
inline constexpr std::int32_t Encode_UTF8 = 0x60030009;
inline constexpr std::int32_t get_querys = 0x6003000a;
inline constexpr std::int32_t get_fields_query = 0x6003000b;
}  // namespace dispatch_id

// Every member in slot order. A property's read and write (or assign-by-reference) share its identifier.
inline constexpr std::array<Member, 20> members = {{
    {"dbDao", MemberKind::property, dispatch_id::dbDao},
    {"strBanco", MemberKind::property, dispatch_id::strBanco},
    {"strSep1", MemberKind::property, dispatch_id::strSep1},
    {"strSep2", MemberKind::property, dispatch_id::strSep2},
    {"strSep3", MemberKind::property, dispatch_id::strSep3},
    {"strSep4", MemberKind::property, dispatch_id::strSep4},
    {"strSep5", MemberKind::property, dispatch_id::strSep5},
    {"strSep6", MemberKind::property, dispatch_id::strSep6},
    {"connect", MemberKind::method, dispatch_id::connect},
    {"get_tables", MemberKind::method, dispatch_id::get_tables},
    {"get_fields", MemberKind::method, dispatch_id::get_fields},
    {"get_indexes", MemberKind::method, dispatch_id::get_indexes},
    {"get_relations", MemberKind::method, dispatch_id::get_relations},
    {"IsUTF8", MemberKind::method, dispatch_id::IsUTF8},
    {"UTF16toUTF8", MemberKind::method, dispatch_id::UTF16toUTF8},
    {"UTF8toUTF16", MemberKind::method, dispatch_id::UTF8toUTF16},
    {"UTF8_Encode", MemberKind::method, dispatch_id::UTF8_Encode},
    {"Encode_UTF8", MemberKind::method, dispatch_id::Encode_UTF8},
    {"get_querys", MemberKind::method, dispatch_id::get_querys},
    {"get_fields_query", MemberKind::method, dispatch_id::get_fields_query},
}};
}  // namespace odbc_access

// The registry value reader, creatable; its one interface is hidden, dual, non-extensible and
// automation-compatible.
namespace regedit {
inline constexpr std::string_view class_name = "qz_cls_regedit";
inline constexpr std::string_view class_id = "{094C6170-BF65-436B-A4A3-ACB6E84F44A3}";
inline constexpr std::string_view interface_name = "_qz_cls_regedit";
inline constexpr std::string_view interface_id = "{1C60230F-7685-40D3-BF46-4FFA7B02D7B5}";

namespace dispatch_id {
inline constexpr std::int32_t GetRegValue = 0x60030000;
}  // namespace dispatch_id

inline constexpr std::array<Member, 1> members = {{
    {"GetRegValue", MemberKind::method, dispatch_id::GetRegValue},
}};
}  // namespace regedit

// The registry roots GetRegValue accepts: the platform's predefined root-key handles. The type library
// stores them as signed 32-bit numbers, so clients that read them signed see them negative.
namespace key_classes {
inline constexpr std::string_view enumeration_name = "T_KeyClasses";
inline constexpr std::string_view enumeration_id = "{264E9E60-3290-402F-9947-8D101790523D}";

inline constexpr std::uint32_t HKEY_CLASSES_ROOT = 0x80000000;
inline constexpr std::uint32_t HKEY_CURRENT_CONFIG = 0x80000005;
inline constexpr std::uint32_t HKEY_CURRENT_USER = 0x80000001;
inline constexpr std::uint32_t HKEY_LOCAL_MACHINE = 0x80000002;
inline constexpr std::uint32_t HKEY_USERS = 0x80000003;

struct Value {
    std::string_view name;
    std::uint32_t value;
};

// Every member in published order.
inline constexpr std::array<Value, 5> values = {{
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", HKEY_USERS},
}};
}  // namespace key_classes

// Implementation details follow: checks that an edit of the lists above keeps them as published.
namespace detail {

// Whether the identifiers count up by one in slot order, properties from 0x40030000 and methods from
// 0x60030000, as the type library assigned them.
template <std::size_t count>
constexpr bool numbered_in_slot_order(const std::array<Member, count>& members) {
    std::int32_t next_property = 0x40030000;
    std::int32_t next_method = 0x60030000;
    for (const Member& member : members) {
        std::int32_t& next = member.kind == MemberKind::property ? next_property : next_method;
        if (member.dispatch_id != next++) return false;
    }
    return true;
}

// Whether `id` has the registry's text form {8-4-4-4-12 upper-case hexadecimal digits}.
constexpr bool is_registry_guid_text(std::string_view id) {
    constexpr std::string_view pattern = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    if (id.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < id.size(); ++i) {
        const char c = id[i];
        const bool hex_digit = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
        if (pattern[i] == 'X' ? !hex_digit : c != pattern[i]) return false;
    }
    return true;
}

static_assert(numbered_in_slot_order(odbc_access::members));
static_assert(numbered_in_slot_order(regedit::members));
static_assert(is_registry_guid_text(type_library_id));
static_assert(is_registry_guid_text(odbc_access::class_id) && is_registry_guid_text(odbc_access::interface_id));
static_assert(is_registry_guid_text(regedit::class_id) && is_registry_guid_text(regedit::interface_id));
static_assert(is_registry_guid_text(key_classes::enumeration_id));

}  // namespace detail

}  // namespace qz::published
