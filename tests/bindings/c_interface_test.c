/* What the C interface adds to the classes: bytes passed with their lengths, NULL as the omitted argument,
 * strings handed out and freed by qz_free and qz_error_clear (exactly once: run it under the sanitizer
 * build), errors as numbers with their descriptions, and a shared database that outlives the session that
 * opened it. The text methods' own rules are tested once, in C++. Lists the sample database the build writes.
 */
#define _POSIX_C_SOURCE 200809L

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
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

/* Whether the call succeeded and stored exactly `expected` (of `length` bytes); frees what it stored. The
 * results are passed by address, since a C call may read its arguments in any order. */
static int stored(int32_t status, char** out, const size_t* out_length, const char* expected, size_t length) {
    const int same =
        status == 0 && *out != NULL && *out_length == length && memcmp(*out, expected, length) == 0;
    qz_free(*out);
    *out = NULL;
    return same;
}

/* Whether the listing call succeeded and its text holds `part`; frees the text (passed by address too). */
static int lists(int32_t status, char** text, const char* part) {
    const int found = status == 0 && *text != NULL && strstr(*text, part) != NULL;
    qz_free(*text);
    *text = NULL;
    return found;
}

static void text_methods_take_lengths_not_terminators(qz_odbc_access* s) {
    char* out = NULL;
    size_t n = 0;
    int result = -1;
    char sample[2049];
    memset(sample, 'a', sizeof sample);
    sample[2048] = '\xA9';
    CHECK(qz_odbc_access_IsUTF8(s, sample, sizeof sample, 2048, &result, NULL) == 0 && result == 1);
    CHECK(qz_odbc_access_IsUTF8(s, sample, sizeof sample, 2049, &result, NULL) == 0 && result == 0);
    CHECK(stored(qz_odbc_access_UTF16toUTF8(s, "a\0b", 3, &out, &n, NULL), &out, &n, "a\0b", 3));
    CHECK(qz_odbc_access_UTF16toUTF8(s, NULL, 0, &out, &n, NULL) == 0 && n == 0 && out[0] == '\0');
    qz_free(out);
    CHECK(stored(qz_odbc_access_UTF8toUTF16(s, "a\xFF", 2, &out, &n, NULL), &out, &n, "a\xEF\xBF\xBD", 4));
    CHECK(stored(qz_odbc_access_UTF8_Encode(s, "a\0b", 3, &out, &n, NULL), &out, &n, "a", 1));
    CHECK(stored(qz_odbc_access_Encode_UTF8(s, "\xC3\xA9\0", 3, &out, &n, NULL), &out, &n,
                 "\xC3\x83\xC2\xA9\0", 5));

    enum { too_long = 32767 };
    char* text = malloc(too_long);
    memset(text, 'x', too_long);
    qz_error error = {0, NULL};
    CHECK(qz_odbc_access_Encode_UTF8(s, text, too_long, &out, &n, &error) == 6);
    CHECK(error.number == 6 && error.description != NULL && strcmp(error.description, "Overflow") == 0);
    CHECK(out == NULL); /* a failed call stores nothing */
    qz_error_clear(&error);
    free(text);
}

static void fields_and_errors(qz_odbc_access* s) {
    char* value = NULL;
    CHECK(qz_odbc_access_set_strSep1(s, "\xE2\x86\x92|", NULL) == 0);
    CHECK(qz_odbc_access_get_strSep1(s, &value, NULL) == 0 && strcmp(value, "\xE2\x86\x92|") == 0);
    qz_free(value);
    CHECK(qz_odbc_access_set_strSep6(s, NULL, NULL) == 0); /* NULL is the omitted argument: empty text */
    CHECK(qz_odbc_access_get_strSep6(s, &value, NULL) == 0 && strcmp(value, "") == 0);
    qz_free(value);

    /* One error serves several calls; each frees the description the last one left. */
    qz_error error = {0, NULL};
    char* result = NULL;
    CHECK(qz_odbc_access_get_tables(s, NULL, &result, &error) == QZ_ERROR_OBJECT_NOT_SET);
    CHECK(error.number == 91 &&
          strcmp(error.description, "Object variable or With block variable not set") == 0);
    CHECK(qz_odbc_access_get_relations(NULL, &result, &error) == 91);
    CHECK(qz_odbc_access_get_querys(s, NULL, &error) == QZ_ERROR_INVALID_PROCEDURE_CALL && error.number == 5);
    CHECK(qz_odbc_access_set_strBanco(s, "x", &error) == 0 && error.number == 0 && error.description == NULL);
    CHECK(result == NULL);
}

/* A data source named in an odbc.ini the test writes is resolved by the registry reader and by connect,
 * which stores the path even when the open then fails; a path that is not UTF-8 names exactly its file. */
static void paths_and_data_sources(qz_odbc_access* s) {
    char folder[] = "/tmp/qz_c_interface_XXXXXX";
    CHECK(mkdtemp(folder) != NULL);
    char ini[64], missing[64], odd[64];
    snprintf(ini, sizeof ini, "%s/odbc.ini", folder);
    snprintf(missing, sizeof missing, "%s/missing.mdb", folder);
    snprintf(odd, sizeof odd, "%s/\xff.mdb", folder);
    FILE* file = fopen(ini, "w");
    fprintf(file, "[qz_demo]\nDBQ=%s\n", missing);
    fclose(file);
    file = fopen(odd, "w");
    fputs("not a database", file);
    fclose(file);
    setenv("ODBCSYSINI", folder, 1);

    qz_regedit* reader = NULL;
    char* value = NULL;
    CHECK(qz_regedit_create(&reader, NULL) == 0);
    CHECK(qz_regedit_GetRegValue(reader, qz_HKEY_LOCAL_MACHINE, "SOFTWARE\\ODBC\\ODBC.INI\\qz_demo", "DBQ",
                                 &value, NULL) == 0 &&
          strcmp(value, missing) == 0);
    qz_free(value);
    qz_regedit_release(reader);

    qz_error error = {0, NULL};
    char* result = NULL;
    CHECK(qz_odbc_access_connect(s, "qz_demo", NULL, NULL, "|", NULL, NULL, NULL, NULL, NULL, &result,
                                 &error) == 3024);
    CHECK(error.description != NULL && strstr(error.description, "missing.mdb") != NULL && result == NULL);
    CHECK(qz_odbc_access_get_strBanco(s, &value, NULL) == 0 && strcmp(value, missing) == 0);
    qz_free(value);
    CHECK(qz_odbc_access_connect(s, odd, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, &result, &error) ==
          3343);
    qz_error_clear(&error);
    unlink(odd);
    unlink(ini);
    rmdir(folder);
}

static void listings_of_a_shared_database(void) {
    qz_odbc_access* session = NULL;
    qz_odbc_access* sharer = NULL;
    char* text = NULL;
    CHECK(qz_odbc_access_create(&session, NULL) == 0 && qz_odbc_access_create(&sharer, NULL) == 0);
    CHECK(lists(qz_odbc_access_connect(session, QZ_SAMPLE_DATABASE, "", "", "|", ";", "=", ",", "&", ":",
                                       &text, NULL),
                &text, QZ_SAMPLE_DATABASE));
    CHECK(lists(qz_odbc_access_get_tables(session, NULL, &text, NULL), &text, "name=Customers;"));
    CHECK(
        lists(qz_odbc_access_get_fields(session, "Customers", NULL, &text, NULL), &text, "name=CustomerID;"));
    CHECK(lists(qz_odbc_access_get_fields(session, "None", NULL, &text, NULL), &text,
                "Tabela n\xC3\xA3o encotrada !"));
    CHECK(lists(qz_odbc_access_get_fields_query(session, "Customers by city", &text, NULL), &text,
                "name=Name;"));
    CHECK(qz_odbc_access_set_dbDao(sharer, session, NULL) == 0);

    qz_error error = {0, NULL};
    CHECK(qz_odbc_access_connect(session, "/nonexistent/x.mdb", NULL, NULL, NULL, NULL, NULL, NULL, NULL,
                                 NULL, &text, &error) != 0 &&
          text == NULL);
    qz_error_clear(&error);
    int has = 0;
    CHECK(qz_odbc_access_has_dbDao(session, &has, NULL) == 0 && has == 1); /* a failed connect keeps it */
    qz_odbc_access_release(session);
    CHECK(lists(qz_odbc_access_get_querys(sharer, &text, NULL), &text, "Customers by city"));
    qz_odbc_access_release(sharer);
}

int main(void) {
    qz_odbc_access* session = NULL;
    CHECK(strcmp(qz_version(), QZ_EXPECTED_VERSION) == 0);
    CHECK(qz_odbc_access_create(&session, NULL) == 0 && session != NULL);
    text_methods_take_lengths_not_terminators(session);
    fields_and_errors(session);
    paths_and_data_sources(session);
    qz_odbc_access_release(session);
    listings_of_a_shared_database();
    return failures == 0 ? 0 : 1;
}
