#ifndef QZ_ODBC_ACCESS_H
#define QZ_ODBC_ACCESS_H
/*
 * qz_odbc_access: the catalog session and the registry value reader for C programs.
 *
 * Two opaque handles stand for the two published classes:
 *   qz_odbc_access  the catalog session qz_cls_odbc_access: one open Access database, the path it came from
 *                   and the six separators every listing writes with;
 *   qz_regedit      the registry value reader qz_cls_regedit, which reads data-source entries from unixODBC's
 *                   configuration.
 * Every member of both classes has one function here, in the published member order.
 *
 * Calls and errors. Every function returns 0 on success, or else the number of the error that stopped it
 * (the Access engine's numbers, such as 3024 for a missing file and 91 for a listing with no open database
 * or a NULL handle, or the runtime's, such as 5 for an invalid argument and 6 for an overflow). When `error`
 * is not NULL it receives the same number and, on failure, the description as UTF-8 text; it must start as
 * {0, NULL}, and each call frees the description it held before, so one error may serve many calls. A
 * failed call stores nothing into its out-arguments.
 *
 * Text. Text goes in and comes out as UTF-8. A NULL text argument is an omitted argument: it takes the
 * member's default (empty text, or "tab" for get_tables). Input that is not valid UTF-8 is read with each
 * bad byte as U+FFFD.
 *
 * Ownership. Every string and byte string a function returns is newly allocated, belongs to the caller
 * and is freed with qz_free. Strings end with a zero byte; byte strings and the results of the text methods
 * also report their length, since they may hold zero bytes. qz_error_clear frees an error's description.
 * Handles are created by the *_create functions and freed by the matching *_release.
 *
 * Threads. A handle belongs to one thread at a time; different handles may be used on different threads.
 */

#include <stddef.h>
#include <stdint.h>

/* QZ_ERROR_*: the error numbers the library raises itself, by name. */
#include <qz_odbc_access/errors.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Only what this header declares is exported from the shared library. */
#pragma GCC visibility push(default)

/* The version of the library in use, "major.minor.patch"; static storage, not to be freed. */
const char* qz_version(void);

/* The error of a failed call. `description` is NULL after a successful call. Initialise with {0, NULL}. */
typedef struct qz_error {
    int32_t number;
    char* description;
} qz_error;

/* Frees `error->description` and sets the error to {0, NULL}. Accepts NULL. */
void qz_error_clear(qz_error* error);

/* Frees a string or byte string returned by any function of this interface. Accepts NULL. */
void qz_free(void* text);

/* The registry roots GetRegValue accepts, with their published values (enumeration T_KeyClasses). */
/* Written as negative numbers (0x80000000 and up read as 32-bit signed), so that no cast is needed in
   either C or C++. */
enum qz_T_KeyClasses {
    qz_HKEY_CLASSES_ROOT = -2147483647 - 1,
    qz_HKEY_CURRENT_CONFIG = -2147483647 + 4,
    qz_HKEY_CURRENT_USER = -2147483647,
    qz_HKEY_LOCAL_MACHINE = -2147483647 + 1,
    qz_HKEY_USERS = -2147483647 + 2
};

/* ---- The catalog session, qz_cls_odbc_access ------------------------------------------------------- */

typedef struct qz_odbc_access qz_odbc_access;

/* A new session: no database, every text empty. Databases are opened with this library's own reader. */
int32_t qz_odbc_access_create(qz_odbc_access** session, qz_error* error);
/* Releases the session and, with it, its reference to the open database. Accepts NULL. */
void qz_odbc_access_release(qz_odbc_access* session);

/* dbDao: whether the session holds an open database. */
int32_t qz_odbc_access_has_dbDao(const qz_odbc_access* session, int* has_database, qz_error* error);
/* dbDao, assigned by reference: `session` shares the database `from` holds (none when `from` is NULL or
 * holds none); the reference it held before is released. */
int32_t qz_odbc_access_set_dbDao(qz_odbc_access* session, const qz_odbc_access* from, qz_error* error);

/* strBanco: the database file path connect resolved. */
int32_t qz_odbc_access_get_strBanco(const qz_odbc_access* session, char** value, qz_error* error);
int32_t qz_odbc_access_set_strBanco(qz_odbc_access* session, const char* value, qz_error* error);
/* strSep1 to strSep6: between records, between the items of a record, between a key and its value, and
 * the same three roles inside the "fields" value of a relation record. */
int32_t qz_odbc_access_get_strSep1(const qz_odbc_access* session, char** value, qz_error* error);
int32_t qz_odbc_access_set_strSep1(qz_odbc_access* session, const char* value, qz_error* error);
int32_t qz_odbc_access_get_strSep2(const qz_odbc_access* session, char** value, qz_error* error);
int32_t qz_odbc_access_set_strSep2(qz_odbc_access* session, const char* value, qz_error* error);
int32_t qz_odbc_access_get_strSep3(const qz_odbc_access* session, char** value, qz_error* error);
int32_t qz_odbc_access_set_strSep3(qz_odbc_access* session, const char* value, qz_error* error);
int32_t qz_odbc_access_get_strSep4(const qz_odbc_access* session, char** value, qz_error* error);
int32_t qz_odbc_access_set_strSep4(qz_odbc_access* session, const char* value, qz_error* error);
int32_t qz_odbc_access_get_strSep5(const qz_odbc_access* session, char** value, qz_error* error);
int32_t qz_odbc_access_set_strSep5(qz_odbc_access* session, const char* value, qz_error* error);
int32_t qz_odbc_access_get_strSep6(const qz_odbc_access* session, char** value, qz_error* error);
int32_t qz_odbc_access_set_strSep6(qz_odbc_access* session, const char* value, qz_error* error);

/* connect: stores the six separators, resolves strDsn (a database file path, or a data-source name looked
 * up in the system odbc.ini) into strBanco and opens that database with the password strPwd; strUid has no
 * effect. `result` receives strBanco, empty when a data-source name was not found. */
int32_t qz_odbc_access_connect(qz_odbc_access* session, const char* strDsn, const char* strUid,
                               const char* strPwd, const char* strS1, const char* strS2, const char* strS3,
                               const char* strS4, const char* strS5, const char* strS6, char** result,
                               qz_error* error);

/* The listings, each giving one text. get_tables: strTipo "tab" (the default) lists the ordinary tables,
 * "sys" the others, "" all. get_fields: strPathFile is accepted and not used. A table or query that is not
 * found gives a fixed message as the result, not an error. */
int32_t qz_odbc_access_get_tables(qz_odbc_access* session, const char* strTipo, char** result,
                                  qz_error* error);
int32_t qz_odbc_access_get_fields(qz_odbc_access* session, const char* strTable, const char* strPathFile,
                                  char** result, qz_error* error);
int32_t qz_odbc_access_get_indexes(qz_odbc_access* session, const char* strTable, char** result,
                                   qz_error* error);
int32_t qz_odbc_access_get_relations(qz_odbc_access* session, char** result, qz_error* error);

/* The UTF-8 methods. They use no field of the session and need no database. Texts are given as UTF-8 with
 * an explicit length in bytes, so they may hold U+0000; byte strings are raw bytes with their length.
 *
 * IsUTF8: whether the first lngReadSize bytes (2048 is the published default) look like UTF-8 in the
 * six-byte form of RFC 2279; false for no bytes or a size of 0 or less. */
int32_t qz_odbc_access_IsUTF8(const qz_odbc_access* session, const char* Text, size_t Text_length,
                              int32_t lngReadSize, int* result, qz_error* error);
/* UTF16toUTF8: the text as a UTF-8 byte string in `TextOut` (its length in `TextOut_length`). */
int32_t qz_odbc_access_UTF16toUTF8(const qz_odbc_access* session, const char* Text, size_t Text_length,
                                   char** TextOut, size_t* TextOut_length, qz_error* error);
/* UTF8toUTF16: the UTF-8 byte string as text, each byte outside a valid sequence becoming U+FFFD. */
int32_t qz_odbc_access_UTF8toUTF16(const qz_odbc_access* session, const char* Text, size_t Text_length,
                                   char** TextOut, size_t* TextOut_length, qz_error* error);
/* UTF8_Encode: the UTF-8 bytes of the text up to its first U+0000, one character per byte (bytes read
 * through Windows-1252), returned as UTF-8 text. */
int32_t qz_odbc_access_UTF8_Encode(const qz_odbc_access* session, const char* Text, size_t Text_length,
                                   char** result, size_t* result_length, qz_error* error);
/* Encode_UTF8: each UTF-16 unit of the text encoded by itself (U+0000 copied, surrogate halves three bytes
 * each), one character per byte; texts of 32767 UTF-16 units or more fail with error 6. */
int32_t qz_odbc_access_Encode_UTF8(const qz_odbc_access* session, const char* astr, size_t astr_length,
                                   char** result, size_t* result_length, qz_error* error);

int32_t qz_odbc_access_get_querys(qz_odbc_access* session, char** result, qz_error* error);
int32_t qz_odbc_access_get_fields_query(qz_odbc_access* session, const char* strQuery, char** result,
                                        qz_error* error);

/* ---- The registry value reader, qz_cls_regedit ---------------------------------------------------- */

typedef struct qz_regedit qz_regedit;

int32_t qz_regedit_create(qz_regedit** reader, qz_error* error);
/* Accepts NULL. */
void qz_regedit_release(qz_regedit* reader);

/* GetRegValue: the value sKey of the key Path under KeyRoot, read from unixODBC's configuration:
 * "SOFTWARE\ODBC\ODBC.INI\<name>" under qz_HKEY_LOCAL_MACHINE is the system data source <name>,
 * "Software\ODBC\ODBC.INI\<name>" under qz_HKEY_CURRENT_USER the user's one,
 * "SOFTWARE\ODBC\ODBCINST.INI\<name>" under qz_HKEY_LOCAL_MACHINE the driver <name>. Empty text when the
 * key or the value does not exist. */
int32_t qz_regedit_GetRegValue(const qz_regedit* reader, enum qz_T_KeyClasses KeyRoot, const char* Path,
                               const char* sKey, char** result, qz_error* error);

#pragma GCC visibility pop

#ifdef __cplusplus
}
#endif

#endif /* QZ_ODBC_ACCESS_H */
