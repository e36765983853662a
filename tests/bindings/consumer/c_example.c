/* Uses the installed C interface: a listing without a database fails with error 91 and its description;
   the library names its version. */
#include <qz_odbc_access.h>
#include <stdio.h>
#include <string.h>

int main(void) {
    qz_odbc_access* session = NULL;
    qz_error error = {0, NULL};
    char* tables = NULL;
    if (strcmp(qz_version(), QZ_EXPECTED_VERSION) != 0) return 1;
    if (qz_odbc_access_create(&session, &error) != 0) return 1;
    const int32_t status = qz_odbc_access_get_tables(session, "tab", &tables, &error);
    printf("version %s, error %d: %s\n", qz_version(), (int)error.number, error.description);
    qz_free(tables);
    qz_error_clear(&error);
    qz_odbc_access_release(session);
    return status == QZ_ERROR_OBJECT_NOT_SET ? 0 : 1;
}
