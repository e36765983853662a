// The C interface over the two classes: every exception stops at this boundary and becomes an error number
// and description; every text crosses it as UTF-8 in memory the caller frees with qz_free.

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "bindings/c/qz_odbc_access.h"
#include "catalog/session/published_identities.hpp"
#include "catalog/session/qz_cls_odbc_access.hpp"
#include "catalog/session/qz_cls_regedit.hpp"
#include "catalog/session/version.hpp"
#include "platform/errors.hpp"
#include "platform/files/native_path.hpp"
#include "platform/text/code_page.hpp"

struct qz_odbc_access {
    qz::qz_cls_odbc_access session;
};

struct qz_regedit {
    qz::qz_cls_regedit reader;
};

namespace {

// The C enumeration repeats the published values, since C cannot read the C++ constants; these checks keep
// the two the same.
constexpr bool same_root(qz_T_KeyClasses c_value, std::uint32_t published) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(c_value)) == published;
}
static_assert(same_root(qz_HKEY_CLASSES_ROOT, qz::published::key_classes::HKEY_CLASSES_ROOT));
static_assert(same_root(qz_HKEY_CURRENT_CONFIG, qz::published::key_classes::HKEY_CURRENT_CONFIG));
static_assert(same_root(qz_HKEY_CURRENT_USER, qz::published::key_classes::HKEY_CURRENT_USER));
static_assert(same_root(qz_HKEY_LOCAL_MACHINE, qz::published::key_classes::HKEY_LOCAL_MACHINE));
static_assert(same_root(qz_HKEY_USERS, qz::published::key_classes::HKEY_USERS));

// A copy of `bytes` with a zero byte after them, in memory the caller frees with qz_free.
char* allocate_copy(std::string_view bytes) {
    auto* copy = static_cast<char*>(std::malloc(bytes.size() + 1));
    if (copy == nullptr) throw std::bad_alloc();
    if (!bytes.empty()) std::memcpy(copy, bytes.data(), bytes.size());
    copy[bytes.size()] = '\0';
    return copy;
}

// Records the outcome of one call in `error` (when given) and returns its number.
std::int32_t report(qz_error* error, std::int32_t number, std::string_view description) {
    if (error == nullptr) return number;
    std::free(error->description);
    error->number = number;
    error->description = nullptr;
    // Without memory for the description the number still reaches the caller.
    if (number != 0) error->description = static_cast<char*>(std::malloc(description.size() + 1));
    if (error->description != nullptr) {
        std::memcpy(error->description, description.data(), description.size());
        error->description[description.size()] = '\0';
    }
    return number;
}

// Records a raised error; when its description cannot be converted the number alone still tells the caller
// what failed.
std::int32_t report(qz_error* error, const qz::Error& failure) noexcept {
    std::string description;
    try {
        description = qz::text::utf16_to_utf8(failure.description());
    } catch (...) {
        description.clear();
    }
    return report(error, failure.number(), description);
}

// Runs one member call, turning whatever it raises into the caller's error.
template <class Call>
std::int32_t guarded(qz_error* error, Call&& call) noexcept {
    try {
        call();
        return report(error, 0, {});
    } catch (const qz::Error& failure) {
        return report(error, failure);
    } catch (const std::bad_alloc&) {
        try {
            return report(error, qz::errors::out_of_memory());
        } catch (...) {
            return report(error, qz::errors::number::out_of_memory, {});
        }
    } catch (const std::exception& failure) {
        return report(error, qz::errors::number::internal_error, failure.what());
    } catch (...) {
        try {
            return report(error, qz::errors::internal_error());
        } catch (...) {
            return report(error, qz::errors::number::internal_error, {});
        }
    }
}

template <class Handle>
Handle& require_handle(Handle* handle) {
    if (handle == nullptr) throw qz::errors::object_not_set();
    return *handle;
}

template <class Out>
Out& require_out(Out* out, std::u16string name) {
    if (out == nullptr) throw qz::errors::invalid_argument(std::move(name) + u" is NULL");
    return *out;
}

// A zero-terminated UTF-8 argument as text; NULL is the omitted argument, `fallback`. Bytes that are not
// UTF-8 are kept, so a path holding them names the file the caller named.
std::u16string text_argument(const char* utf8, std::u16string fallback = {}) {
    return utf8 == nullptr ? fallback : qz::files::text_from_native(utf8);
}

// A counted argument of the text methods: raw bytes, NULL only when there are none.
std::string_view counted_argument(const char* bytes, std::size_t length) {
    if (bytes == nullptr && length != 0) throw qz::errors::invalid_argument(u"a NULL text with a length");
    return bytes == nullptr ? std::string_view{} : std::string_view(bytes, length);
}

void store_text(const std::u16string& text, char** out) {
    *out = allocate_copy(qz::text::utf16_to_utf8(text));
}

void store_counted(std::string_view bytes, char** out, std::size_t* length) {
    *out = allocate_copy(bytes);
    *length = bytes.size();
}

std::int32_t read_field(const qz_odbc_access* session, std::u16string qz::qz_cls_odbc_access::*field,
                        char** value, qz_error* error) {
    return guarded(error, [&] {
        const qz::qz_cls_odbc_access& s = require_handle(session).session;
        store_text(s.*field, &require_out(value, u"value"));
    });
}

std::int32_t write_field(qz_odbc_access* session, std::u16string qz::qz_cls_odbc_access::*field,
                         const char* value, qz_error* error) {
    return guarded(error, [&] { require_handle(session).session.*field = text_argument(value); });
}

// One listing that takes no argument.
std::int32_t listing(qz_odbc_access* session, std::u16string (qz::qz_cls_odbc_access::*member)(),
                     char** result, qz_error* error) {
    return guarded(error, [&] {
        char*& out = require_out(result, u"result");
        store_text((require_handle(session).session.*member)(), &out);
    });
}

}  // namespace

extern "C" {

void qz_error_clear(qz_error* error) {
    if (error == nullptr) return;
    std::free(error->description);
    error->number = 0;
    error->description = nullptr;
}

void qz_free(void* text) { std::free(text); }

const char* qz_version(void) { return qz::version(); }

int32_t qz_odbc_access_create(qz_odbc_access** session, qz_error* error) {
    return guarded(error, [&] { require_out(session, u"session") = new qz_odbc_access{}; });
}

void qz_odbc_access_release(qz_odbc_access* session) { delete session; }

int32_t qz_odbc_access_has_dbDao(const qz_odbc_access* session, int* has_database, qz_error* error) {
    return guarded(error, [&] {
        require_out(has_database, u"has_database") = require_handle(session).session.dbDao ? 1 : 0;
    });
}

int32_t qz_odbc_access_set_dbDao(qz_odbc_access* session, const qz_odbc_access* from, qz_error* error) {
    return guarded(error, [&] {
        qz::qz_cls_odbc_access& target = require_handle(session).session;
        target.dbDao = from == nullptr ? nullptr : from->session.dbDao;
    });
}

int32_t qz_odbc_access_get_strBanco(const qz_odbc_access* s, char** v, qz_error* e) {
    return read_field(s, &qz::qz_cls_odbc_access::strBanco, v, e);
}
int32_t qz_odbc_access_set_strBanco(qz_odbc_access* s, const char* v, qz_error* e) {
    return write_field(s, &qz::qz_cls_odbc_access::strBanco, v, e);
}
int32_t qz_odbc_access_get_strSep1(const qz_odbc_access* s, char** v, qz_error* e) {
    return read_field(s, &qz::qz_cls_odbc_access::strSep1, v, e);
}
int32_t qz_odbc_access_set_strSep1(qz_odbc_access* s, const char* v, qz_error* e) {
    return write_field(s, &qz::qz_cls_odbc_access::strSep1, v, e);
}
int32_t qz_odbc_access_get_strSep2(const qz_odbc_access* s, char** v, qz_error* e) {
    return read_field(s, &qz::qz_cls_odbc_access::strSep2, v, e);
}
int32_t qz_odbc_access_set_strSep2(qz_odbc_access* s, const char* v, qz_error* e) {
    return write_field(s, &qz::qz_cls_odbc_access::strSep2, v, e);
}
int32_t qz_odbc_access_get_strSep3(const qz_odbc_access* s, char** v, qz_error* e) {
    return read_field(s, &qz::qz_cls_odbc_access::strSep3, v, e);
}
int32_t qz_odbc_access_set_strSep3(qz_odbc_access* s, const char* v, qz_error* e) {
    return write_field(s, &qz::qz_cls_odbc_access::strSep3, v, e);
}
int32_t qz_odbc_access_get_strSep4(const qz_odbc_access* s, char** v, qz_error* e) {
    return read_field(s, &qz::qz_cls_odbc_access::strSep4, v, e);
}
int32_t qz_odbc_access_set_strSep4(qz_odbc_access* s, const char* v, qz_error* e) {
    return write_field(s, &qz::qz_cls_odbc_access::strSep4, v, e);
}
int32_t qz_odbc_access_get_strSep5(const qz_odbc_access* s, char** v, qz_error* e) {
    return read_field(s, &qz::qz_cls_odbc_access::strSep5, v, e);
}
int32_t qz_odbc_access_set_strSep5(qz_odbc_access* s, const char* v, qz_error* e) {
    return write_field(s, &qz::qz_cls_odbc_access::strSep5, v, e);
}
int32_t qz_odbc_access_get_strSep6(const qz_odbc_access* s, char** v, qz_error* e) {
    return read_field(s, &qz::qz_cls_odbc_access::strSep6, v, e);
}
int32_t qz_odbc_access_set_strSep6(qz_odbc_access* s, const char* v, qz_error* e) {
    return write_field(s, &qz::qz_cls_odbc_access::strSep6, v, e);
}

int32_t qz_odbc_access_connect(qz_odbc_access* session, const char* strDsn, const char* strUid,
                               const char* strPwd, const char* strS1, const char* strS2, const char* strS3,
                               const char* strS4, const char* strS5, const char* strS6, char** result,
                               qz_error* error) {
    return guarded(error, [&] {
        qz::qz_cls_odbc_access& s = require_handle(session).session;
        char*& out = require_out(result, u"result");
        if (strDsn == nullptr) throw qz::errors::invalid_argument(u"strDsn is required");
        store_text(s.connect(text_argument(strDsn), text_argument(strUid), text_argument(strPwd),
                             text_argument(strS1), text_argument(strS2), text_argument(strS3),
                             text_argument(strS4), text_argument(strS5), text_argument(strS6)),
                   &out);
    });
}

int32_t qz_odbc_access_get_tables(qz_odbc_access* session, const char* strTipo, char** result,
                                  qz_error* error) {
    return guarded(error, [&] {
        char*& out = require_out(result, u"result");
        store_text(require_handle(session).session.get_tables(text_argument(strTipo, u"tab")), &out);
    });
}

int32_t qz_odbc_access_get_fields(qz_odbc_access* session, const char* strTable, const char* strPathFile,
                                  char** result, qz_error* error) {
    return guarded(error, [&] {
        char*& out = require_out(result, u"result");
        store_text(
            require_handle(session).session.get_fields(text_argument(strTable), text_argument(strPathFile)),
            &out);
    });
}

int32_t qz_odbc_access_get_indexes(qz_odbc_access* session, const char* strTable, char** result,
                                   qz_error* error) {
    return guarded(error, [&] {
        char*& out = require_out(result, u"result");
        store_text(require_handle(session).session.get_indexes(text_argument(strTable)), &out);
    });
}

int32_t qz_odbc_access_get_relations(qz_odbc_access* session, char** result, qz_error* error) {
    return listing(session, &qz::qz_cls_odbc_access::get_relations, result, error);
}

int32_t qz_odbc_access_IsUTF8(const qz_odbc_access* session, const char* Text, size_t Text_length,
                              int32_t lngReadSize, int* result, qz_error* error) {
    return guarded(error, [&] {
        int& out = require_out(result, u"result");
        out = require_handle(session).session.IsUTF8(std::string(counted_argument(Text, Text_length)),
                                                     lngReadSize)
                  ? 1
                  : 0;
    });
}

int32_t qz_odbc_access_UTF16toUTF8(const qz_odbc_access* session, const char* Text, size_t Text_length,
                                   char** TextOut, size_t* TextOut_length, qz_error* error) {
    return guarded(error, [&] {
        char*& out = require_out(TextOut, u"TextOut");
        size_t& length = require_out(TextOut_length, u"TextOut_length");
        std::string bytes;
        require_handle(session).session.UTF16toUTF8(
            qz::text::utf8_to_utf16(counted_argument(Text, Text_length)), bytes);
        store_counted(bytes, &out, &length);
    });
}

int32_t qz_odbc_access_UTF8toUTF16(const qz_odbc_access* session, const char* Text, size_t Text_length,
                                   char** TextOut, size_t* TextOut_length, qz_error* error) {
    return guarded(error, [&] {
        char*& out = require_out(TextOut, u"TextOut");
        size_t& length = require_out(TextOut_length, u"TextOut_length");
        std::u16string text;
        require_handle(session).session.UTF8toUTF16(std::string(counted_argument(Text, Text_length)), text);
        store_counted(qz::text::utf16_to_utf8(text), &out, &length);
    });
}

int32_t qz_odbc_access_UTF8_Encode(const qz_odbc_access* session, const char* Text, size_t Text_length,
                                   char** result, size_t* result_length, qz_error* error) {
    return guarded(error, [&] {
        char*& out = require_out(result, u"result");
        size_t& length = require_out(result_length, u"result_length");
        const std::u16string encoded = require_handle(session).session.UTF8_Encode(
            qz::text::utf8_to_utf16(counted_argument(Text, Text_length)));
        store_counted(qz::text::utf16_to_utf8(encoded), &out, &length);
    });
}

int32_t qz_odbc_access_Encode_UTF8(const qz_odbc_access* session, const char* astr, size_t astr_length,
                                   char** result, size_t* result_length, qz_error* error) {
    return guarded(error, [&] {
        char*& out = require_out(result, u"result");
        size_t& length = require_out(result_length, u"result_length");
        const std::u16string encoded = require_handle(session).session.Encode_UTF8(
            qz::text::utf8_to_utf16(counted_argument(astr, astr_length)));
        store_counted(qz::text::utf16_to_utf8(encoded), &out, &length);
    });
}

int32_t qz_odbc_access_get_querys(qz_odbc_access* session, char** result, qz_error* error) {
    return listing(session, &qz::qz_cls_odbc_access::get_querys, result, error);
}

int32_t qz_odbc_access_get_fields_query(qz_odbc_access* session, const char* strQuery, char** result,
                                        qz_error* error) {
    return guarded(error, [&] {
        char*& out = require_out(result, u"result");
        store_text(require_handle(session).session.get_fields_query(text_argument(strQuery)), &out);
    });
}

int32_t qz_regedit_create(qz_regedit** reader, qz_error* error) {
    return guarded(error, [&] { require_out(reader, u"reader") = new qz_regedit{}; });
}

void qz_regedit_release(qz_regedit* reader) { delete reader; }

int32_t qz_regedit_GetRegValue(const qz_regedit* reader, enum qz_T_KeyClasses KeyRoot, const char* Path,
                               const char* sKey, char** result, qz_error* error) {
    return guarded(error, [&] {
        char*& out = require_out(result, u"result");
        const auto root =
            static_cast<qz::T_KeyClasses>(static_cast<std::uint32_t>(static_cast<std::int32_t>(KeyRoot)));
        store_text(require_handle(reader).reader.GetRegValue(root, text_argument(Path), text_argument(sKey)),
                   &out);
    });
}

}  // extern "C"
