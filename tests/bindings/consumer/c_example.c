/* Uses the installed C interface: a listing without a database fails with error 91 and its description. */
#include <qz_odbc_access.h>
#include <stdio.h>

int main(void) {
    qz_odbc_access* session = NULL;
    qz_error error = {0, NULL};
    char* tables = NULL;
    if (qz_odbc_access_create(&session, &error) != 0) return 1;
    const int32_t status = qz_odbc_access_get_tables(session, "tab", &tables, &error);
    printf("error %d: %s\n", (int)error.number, error.description);
    qz_free(tables);
    qz_error_clear(&error);
    qz_odbc_access_release(session);
    return status == 91 ? 0 : 1;
}
