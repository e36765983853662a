/* Drives both classes through the C interface. Run under the sanitizer build, it also shows that every
 * string the interface hands out is freed exactly once by qz_free and qz_error_clear, and that a shared
 * database outlives the session that opened it.
 *
 * Usage: c_interface_test text     text methods, fields, errors and the data-source lookup
 *        c_interface_test tables   the table listings of a session on a fixture database
 *        c_interface_test queries  the saved-query listings of the same
 * The last two exit with status 77 (skipped) when the fixtures are absent or the reader cannot yet read
 * what they list. */
#define _POSIX_C_SOURCE 200809L

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "qz_odbc_access.h"

static int failures = 0;

#define CHECK(condition)                                                            \
    do {                                                                            \
        if (!(condition)) {                                                         \
            fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition); \
            ++failures;                                                             \
        }                                                                           \
    } while (0)

enum { skipped = 77 };

/* Whether `text` (of `length` bytes) is exactly `expected` (of `expected_length` bytes). */
static int same_bytes(const char* text, size_t length, const char* expected, size_t expected_length) {
    return text != NULL && length == expected_length && memcmp(text, expected, length) == 0;
}

struct is_utf8_case {
    const char* fault;
    const char* bytes;
    size_t length;
    int32_t read_size;
    int expected;
};

static void is_utf8_follows_the_lead_byte_pattern(qz_odbc_access* session) {
    static const struct is_utf8_case cases[] = {
        {"an empty byte string is not UTF-8", "", 0, 2048, 0},
        {"a read size of 0 reads nothing", "\xC3\xA9", 2, 0, 0},
        {"a negative read size reads nothing", "\xC3\xA9", 2, -1, 0},
        {"a two-byte sequence passes", "\xC3\xA9", 2, 2048, 1},
        {"a lone continuation byte fails", "\xA9", 1, 2048, 0},
        {"a lead byte followed by ASCII fails", "\xC3\x41", 2, 2048, 0},
        {"0xFF and 0xFE are passed over", "\xFF\xFE", 2, 2048, 1},
        {"an overlong lead passes", "\xC0\x80", 2, 2048, 1},
        {"a sequence cut by the sample's end passes", "\xC3\xA9", 2, 1, 1},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        int result = -1;
        qz_error error = {0, NULL};
        CHECK(qz_odbc_access_IsUTF8(session, cases[i].bytes, cases[i].length, cases[i].read_size, &result,
                                    &error) == 0);
        if (result != cases[i].expected) {
            fprintf(stderr, "IsUTF8: %s\n", cases[i].fault);
            ++failures;
        }
        qz_error_clear(&error);
    }

    /* The default sample is 2048 bytes: a bad byte right after it does not count, one inside it does. */
    char long_text[2049];
    memset(long_text, 'a', sizeof long_text);
    long_text[2048] = '\xA9';
    int result = -1;
    CHECK(qz_odbc_access_IsUTF8(session, long_text, sizeof long_text, 2048, &result, NULL) == 0 &&
          result == 1);
    CHECK(qz_odbc_access_IsUTF8(session, long_text, sizeof long_text, 2049, &result, NULL) == 0 &&
          result == 0);
}

static void byte_strings_keep_exact_counts(qz_odbc_access* session) {
    char* out = NULL;
    size_t length = 0;
    /* U+0000 in the middle is converted like any other unit. */
    CHECK(qz_odbc_access_UTF16toUTF8(session, "a\0b", 3, &out, &length, NULL) == 0);
    CHECK(same_bytes(out, length, "a\0b", 3));
    qz_free(out);

    CHECK(qz_odbc_access_UTF16toUTF8(session, NULL, 0, &out, &length, NULL) == 0);
    CHECK(same_bytes(out, length, "", 0) && out[0] == '\0');
    qz_free(out);

    CHECK(qz_odbc_access_UTF8toUTF16(session, "\xC3\xA9", 2, &out, &length, NULL) == 0);
    CHECK(same_bytes(out, length, "\xC3\xA9", 2));
    qz_free(out);

    /* A byte outside any sequence becomes U+FFFD rather than being dropped. */
    CHECK(qz_odbc_access_UTF8toUTF16(session, "a\xFF", 2, &out, &length, NULL) == 0);
    CHECK(same_bytes(out, length, "a\xEF\xBF\xBD", 4));
    qz_free(out);
}

static void encoders_write_one_character_per_byte(qz_odbc_access* session) {
    char* out = NULL;
    size_t length = 0;
    /* U+00E9 is C3 A9, read back through Windows-1252 as U+00C3 U+00A9. */
    CHECK(qz_odbc_access_UTF8_Encode(session, "\xC3\xA9", 2, &out, &length, NULL) == 0);
    CHECK(same_bytes(out, length, "\xC3\x83\xC2\xA9", 4));
    qz_free(out);

    /* UTF8_Encode stops at U+0000; Encode_UTF8 copies it. */
    CHECK(qz_odbc_access_UTF8_Encode(session, "a\0b", 3, &out, &length, NULL) == 0);
    CHECK(same_bytes(out, length, "a", 1));
    qz_free(out);
    CHECK(qz_odbc_access_Encode_UTF8(session, "a\0b", 3, &out, &length, NULL) == 0);
    CHECK(same_bytes(out, length, "a\0b", 3));
    qz_free(out);

    /* U+1F600: one four-byte sequence F0 9F 98 80 from the joining encoder (0x9F and 0x98 are U+0178 and
     * U+02DC in Windows-1252, 0x80 is U+20AC) ... */
    CHECK(qz_odbc_access_UTF8_Encode(session, "\xF0\x9F\x98\x80", 4, &out, &length, NULL) == 0);
    CHECK(same_bytes(out, length, "\xC3\xB0\xC5\xB8\xCB\x9C\xE2\x82\xAC", 9));
    qz_free(out);
    /* ... and two three-byte sequences ED A0 BD ED B8 80 from the unit-by-unit one. */
    CHECK(qz_odbc_access_Encode_UTF8(session, "\xF0\x9F\x98\x80", 4, &out, &length, NULL) == 0);
    CHECK(same_bytes(out, length, "\xC3\xAD\xC2\xA0\xC2\xBD\xC3\xAD\xC2\xB8\xE2\x82\xAC", 13));
    qz_free(out);
}

static void encode_utf8_takes_at_most_32766_units(qz_odbc_access* session) {
    enum { longest = 32766 };
    char* text = malloc(longest + 1);
    memset(text, 'x', longest + 1);
    char* out = NULL;
    size_t length = 0;
    CHECK(qz_odbc_access_Encode_UTF8(session, text, longest, &out, &length, NULL) == 0 && length == longest);
    qz_free(out);

    out = NULL;
    qz_error error = {0, NULL};
    CHECK(qz_odbc_access_Encode_UTF8(session, text, longest + 1, &out, &length, &error) == 6);
    CHECK(error.number == 6 && error.description != NULL && strcmp(error.description, "Overflow") == 0);
    CHECK(out == NULL); /* a failed call stores nothing */
    qz_error_clear(&error);
    free(text);
}

static void fields_keep_utf8_text(qz_odbc_access* session) {
    char* value = NULL;
    CHECK(qz_odbc_access_set_strSep1(session, "\xE2\x86\x92|", NULL) == 0);
    CHECK(qz_odbc_access_get_strSep1(session, &value, NULL) == 0 && strcmp(value, "\xE2\x86\x92|") == 0);
    qz_free(value);
    /* NULL is the omitted argument: empty text. */
    CHECK(qz_odbc_access_set_strSep6(session, NULL, NULL) == 0);
    CHECK(qz_odbc_access_get_strSep6(session, &value, NULL) == 0 && strcmp(value, "") == 0);
    qz_free(value);
    int has = -1;
    CHECK(qz_odbc_access_has_dbDao(session, &has, NULL) == 0 && has == 0);
}

static void failures_return_number_and_description(qz_odbc_access* session) {
    qz_error error = {0, NULL};
    char* result = NULL;
    /* The same error serves several calls; each frees the description the last one left. */
    CHECK(qz_odbc_access_get_tables(session, NULL, &result, &error) == QZ_ERROR_OBJECT_NOT_SET);
    CHECK(error.number == 91 &&
          strcmp(error.description, "Object variable or With block variable not set") == 0);
    CHECK(qz_odbc_access_get_relations(NULL, &result, &error) == 91);
    CHECK(qz_odbc_access_get_querys(session, NULL, &error) == QZ_ERROR_INVALID_PROCEDURE_CALL);
    CHECK(error.number == 5 && error.description != NULL);
    CHECK(qz_odbc_access_set_strBanco(session, "x", &error) == 0);
    CHECK(error.number == 0 && error.description == NULL);
    CHECK(result == NULL);
    qz_error_clear(&error);
}

/* A system data source named in an odbc.ini the test writes is resolved by the registry reader and by
 * connect, which stores the path even when the open then fails. */
static void data_source_names_resolve_through_odbc_ini(qz_odbc_access* session) {
    char folder[] = "/tmp/qz_c_interface_XXXXXX";
    if (mkdtemp(folder) == NULL) {
        CHECK(!"mkdtemp");
        return;
    }
    char ini_path[sizeof folder + 16];
    snprintf(ini_path, sizeof ini_path, "%s/odbc.ini", folder);
    FILE* ini = fopen(ini_path, "w");
    CHECK(ini != NULL);
    if (ini == NULL) return;
    fprintf(ini, "[qz_demo]\nDBQ=%s/missing.mdb\n", folder);
    fclose(ini);
    setenv("ODBCSYSINI", folder, 1);

    char expected[sizeof folder + 16];
    snprintf(expected, sizeof expected, "%s/missing.mdb", folder);
    qz_regedit* reader = NULL;
    CHECK(qz_regedit_create(&reader, NULL) == 0);
    char* value = NULL;
    CHECK(qz_regedit_GetRegValue(reader, qz_HKEY_LOCAL_MACHINE, "SOFTWARE\\ODBC\\ODBC.INI\\qz_demo", "DBQ",
                                 &value, NULL) == 0);
    CHECK(value != NULL && strcmp(value, expected) == 0);
    qz_free(value);
    CHECK(qz_regedit_GetRegValue(reader, qz_HKEY_USERS, "SOFTWARE\\ODBC\\ODBC.INI\\qz_demo", "DBQ", &value,
                                 NULL) == 0);
    CHECK(value != NULL && strcmp(value, "") == 0);
    qz_free(value);
    qz_regedit_release(reader);

    qz_error error = {0, NULL};
    char* result = NULL;
    CHECK(qz_odbc_access_connect(session, "qz_demo", NULL, NULL, "|", NULL, NULL, NULL, NULL, NULL, &result,
                                 &error) == 3024);
    CHECK(error.description != NULL && strstr(error.description, "missing.mdb") != NULL);
    CHECK(result == NULL);
    CHECK(qz_odbc_access_get_strBanco(session, &value, NULL) == 0 && strcmp(value, expected) == 0);
    qz_free(value);
    CHECK(qz_odbc_access_get_strSep1(session, &value, NULL) == 0 && strcmp(value, "|") == 0);
    qz_free(value);

    /* A path whose bytes are not UTF-8 names exactly that file: this one is opened, and is no database. */
    char odd_path[sizeof folder + 16];
    snprintf(odd_path, sizeof odd_path, "%s/\xff.mdb", folder);
    FILE* odd = fopen(odd_path, "w");
    CHECK(odd != NULL);
    if (odd != NULL) {
        fputs("not a database", odd);
        fclose(odd);
    }
    CHECK(qz_odbc_access_connect(session, odd_path, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, &result,
                                 &error) == 3343);
    qz_error_clear(&error);

    unlink(odd_path);
    unlink(ini_path);
    rmdir(folder);
}

/* Whether the listing call succeeded and the text it stored contains `part`; frees the text. The text is
 * passed by address, since a C call may read its arguments in any order. */
static int listing_contains(int32_t status, char** text, const char* part) {
    const int found = status == 0 && *text != NULL && strstr(*text, part) != NULL;
    qz_free(*text);
    *text = NULL;
    return found;
}

/* The fixture database, opened on a new session; NULL (with the exit status in `status`) when the test
 * must be skipped. */
static qz_odbc_access* open_fixture(int* status) {
    const char* folder = getenv("QZ_FIXTURES");
    if (folder == NULL || *folder == '\0') folder = QZ_DEFAULT_FIXTURES;
    char path[4096];
    snprintf(path, sizeof path, "%s/jackcess/V2003/queryTestV2003.mdb", folder);
    struct stat file;
    if (stat(path, &file) != 0) {
        printf("SKIPPED: fixtures not found at %s: set QZ_FIXTURES or place ../shared/fixtures beside the checkout\n", folder);
        *status = skipped;
        return NULL;
    }

    qz_odbc_access* session = NULL;
    CHECK(qz_odbc_access_create(&session, NULL) == 0);
    qz_error error = {0, NULL};
    char* text = NULL;
    const int32_t opened =
        qz_odbc_access_connect(session, path, "", "", "|", ";", "=", ",", "&", ":", &text, &error);
    if (opened == 3343) {
        printf("SKIPPED: the reader cannot open %s yet (%s)\n", path, error.description);
        qz_error_clear(&error);
        qz_odbc_access_release(session);
        *status = skipped;
        return NULL;
    }
    CHECK(opened == 0 && text != NULL && strcmp(text, path) == 0);
    qz_free(text);
    qz_error_clear(&error);
    return session;
}

static int tables_on_fixture(void) {
    int status = 0;
    qz_odbc_access* session = open_fixture(&status);
    if (session == NULL) return status;
    char* text = NULL;
    CHECK(listing_contains(qz_odbc_access_get_tables(session, NULL, &text, NULL), &text, "name=Table1;"));
    CHECK(
        listing_contains(qz_odbc_access_get_tables(session, "sys", &text, NULL), &text, "name=MSysObjects;"));
    CHECK(listing_contains(qz_odbc_access_get_fields(session, "Table1", NULL, &text, NULL), &text, "name="));
    CHECK(listing_contains(qz_odbc_access_get_fields(session, "No such table", NULL, &text, NULL), &text,
                           "Tabela n\xC3\xA3o encotrada !"));
    CHECK(listing_contains(qz_odbc_access_get_indexes(session, "Table1", &text, NULL), &text, ""));
    CHECK(listing_contains(qz_odbc_access_get_relations(session, &text, NULL), &text, ""));

    /* A second session shares the database and keeps it after the first is released. */
    qz_odbc_access* sharer = NULL;
    CHECK(qz_odbc_access_create(&sharer, NULL) == 0);
    CHECK(qz_odbc_access_set_dbDao(sharer, session, NULL) == 0);

    /* A connect that fails leaves the database opened before. */
    qz_error error = {0, NULL};
    CHECK(qz_odbc_access_connect(session, "/nonexistent/folder/x.mdb", NULL, NULL, NULL, NULL, NULL, NULL,
                                 NULL, NULL, &text, &error) != 0);
    CHECK(text == NULL);
    int has = 0;
    CHECK(qz_odbc_access_has_dbDao(session, &has, NULL) == 0 && has == 1);
    qz_odbc_access_release(session);

    CHECK(listing_contains(qz_odbc_access_get_tables(sharer, NULL, &text, NULL), &text, "Table1"));
    qz_odbc_access_release(sharer);
    qz_error_clear(&error);
    return failures == 0 ? 0 : 1;
}

static int saved_queries_on_fixture(void) {
    int status = 0;
    qz_odbc_access* session = open_fixture(&status);
    if (session == NULL) return status;
    char* text = NULL;
    qz_error error = {0, NULL};
    const int32_t listed = qz_odbc_access_get_querys(session, &text, &error);
    if (listed == 3251) {
        printf("SKIPPED: the reader cannot describe saved queries yet (%s)\n", error.description);
        qz_error_clear(&error);
        qz_odbc_access_release(session);
        return skipped;
    }
    CHECK(listing_contains(listed, &text, "name=SelectQuery;"));
    CHECK(listing_contains(qz_odbc_access_get_fields_query(session, "SelectQuery", &text, NULL), &text,
                           "name="));
    CHECK(listing_contains(qz_odbc_access_get_fields_query(session, "No such query", &text, NULL), &text,
                           "Query n\xC3\xA3o encotrada !"));
    qz_error_clear(&error);
    qz_odbc_access_release(session);
    return failures == 0 ? 0 : 1;
}

static int methods_without_database(void) {
    qz_odbc_access* session = NULL;
    CHECK(qz_odbc_access_create(&session, NULL) == 0 && session != NULL);
    CHECK(strcmp(qz_version(), QZ_EXPECTED_VERSION) == 0);
    is_utf8_follows_the_lead_byte_pattern(session);
    byte_strings_keep_exact_counts(session);
    encoders_write_one_character_per_byte(session);
    encode_utf8_takes_at_most_32766_units(session);
    fields_keep_utf8_text(session);
    failures_return_number_and_description(session);
    data_source_names_resolve_through_odbc_ini(session);
    qz_odbc_access_release(session);
    return failures == 0 ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "text") == 0) return methods_without_database();
    if (argc == 2 && strcmp(argv[1], "tables") == 0) return tables_on_fixture();
    if (argc == 2 && strcmp(argv[1], "queries") == 0) return saved_queries_on_fixture();
    fprintf(stderr, "usage: %s text|tables|queries\n", argv[0]);
    return 2;
}
