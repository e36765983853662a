/* A C program on the C interface: bytes passed with their lengths, NULL as the omitted argument, strings
 * handed out and freed by qz_free and qz_error_clear (exactly once: run it under the sanitizer build), errors
 * as numbers with their descriptions, and a shared database that outlives the session that opened it. The
 * methods' own rules are tested in C++. Lists the sample database the build writes.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "qz_odbc_access.h"

static int failures = 0;

#define CHECK(condition)                                                            \
    do {                                                                            \
        if (!(condition)) {                                                         \
            fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition); \
            ++failures;                                                             \
        }                                                                           \
    } while (0)

/* Whether the call succeeded and its text holds `part`; frees the text. The text is passed by address, since
 * a C call may read its arguments in any order. */
static int holds(int32_t status, char** text, const char* part) {
    const int found = status == 0 && *text != NULL && strstr(*text, part) != NULL;
    qz_free(*text);
    *text = NULL;
    return found;
}
#define HOLDS(call, part) holds(call, &text, part)

int main(void) {
    qz_odbc_access* session = NULL;
    qz_odbc_access* sharer = NULL;
    qz_error error = {0, NULL};
    char* text = NULL;
    size_t length = 0;
    CHECK(strcmp(qz_version(), QZ_EXPECTED_VERSION) == 0);
    CHECK(qz_odbc_access_create(&session, NULL) == 0 && qz_odbc_access_create(&sharer, NULL) == 0);

    CHECK(qz_odbc_access_UTF16toUTF8(session, "a\0b", 3, &text, &length, NULL) == 0 && length == 3 &&
          memcmp(text, "a\0b", 3) == 0);
    qz_free(text);
    /* NULL is the omitted argument: empty text */
    CHECK(qz_odbc_access_set_strSep6(session, NULL, NULL) == 0);
    CHECK(HOLDS(qz_odbc_access_get_strSep6(session, &text, NULL), ""));
    char* too_long = malloc(32767);
    memset(too_long, 'x', 32767);
    CHECK(qz_odbc_access_Encode_UTF8(session, too_long, 32767, &text, &length, &error) == 6 && text == NULL);
    CHECK(strcmp(error.description, "Overflow") == 0);
    free(too_long);
    /* One error serves several calls; each frees the description the last one left. */
    CHECK(qz_odbc_access_get_tables(session, NULL, &text, &error) == QZ_ERROR_OBJECT_NOT_SET && text == NULL);
    CHECK(error.number == 91 &&
          strcmp(error.description, "Object variable or With block variable not set") == 0);
    CHECK(qz_odbc_access_set_strBanco(session, "x", &error) == 0 && error.number == 0 &&
          error.description == NULL);

    CHECK(HOLDS(qz_odbc_access_connect(session, QZ_SAMPLE_DATABASE, "", "", "|", ";", "=", ",", "&", ":",
                                       &text, NULL),
                QZ_SAMPLE_DATABASE));
    CHECK(HOLDS(qz_odbc_access_get_fields(session, "Customers", NULL, &text, NULL), "name=CustomerID;"));
    CHECK(HOLDS(qz_odbc_access_get_fields(session, "None", NULL, &text, NULL),
                "Tabela n\xC3\xA3o encotrada !"));
    CHECK(HOLDS(qz_odbc_access_get_fields_query(session, "Customers by city", &text, NULL), "name=Name;"));
    CHECK(qz_odbc_access_set_dbDao(sharer, session, NULL) == 0);
    CHECK(qz_odbc_access_connect(session, "/nonexistent/x.mdb", NULL, NULL, NULL, NULL, NULL, NULL, NULL,
                                 NULL, &text, &error) == 3044 &&
          text == NULL);
    qz_error_clear(&error);
    qz_odbc_access_release(session);
    CHECK(HOLDS(qz_odbc_access_get_querys(sharer, &text, NULL), "Customers by city"));
    qz_odbc_access_release(sharer);
    return failures == 0 ? 0 : 1;
}
