/* The C API compiled as C: its conventions for objects, out values and errors, on an
 * index the library creates empty. Prints the failed checks; exits 1 when any failed. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "vexasrv.h"

static int failures = 0;

#define CHECK(condition)                                               \
  do {                                                                 \
    if (!(condition)) {                                                \
      fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condition); \
      ++failures;                                                      \
    }                                                                  \
  } while (0)

static int StartsWith(const char* text, const char* prefix) {
  return text != NULL && strncmp(text, prefix, strlen(prefix)) == 0;
}

int main(void) {
  char home[] = "/tmp/vexasrv-c-test-XXXXXX";
  char index[256];
  char* res = (char*)"untouched";
  vexasrv_srx_t* srx;
  vexasrv_index_row_t* rows = NULL;
  size_t count = 7;
  FILE* catalogue;

  /* Our own home and current folder, holding the catalogue the library finds first. */
  if (mkdtemp(home) == NULL || chdir(home) != 0) return 1;
  setenv("HOME", home, 1);
  setenv("XDG_DATA_HOME", home, 1);
  catalogue = fopen("messages.xml", "w");
  if (catalogue == NULL) return 1;
  fputs("<?xml version=\"1.0\"?><m><default_Language>en</default_Language><common>"
        "<not_found><en>Nothing found</en></not_found>"
        "<because_index_empty><en>(empty index)</en></because_index_empty>"
        "</common></m>", catalogue);
  fclose(catalogue);

  /* Errors without an object: E_UNEXPECTED, out value cleared, message and source. */
  CHECK(vexasrv_srx_search(NULL, "a", 1, 0, "", &res) == VEXASRV_E_UNEXPECTED);
  CHECK(res == NULL);
  CHECK(strlen(vexasrv_last_error()) > 0);
  CHECK(strcmp(vexasrv_last_error_source(), "vexasrv.srx") == 0);

  srx = vexasrv_srx_create();
  CHECK(srx != NULL);
  CHECK(strcmp(vexasrv_last_error(), "") == 0);
  CHECK(strcmp(vexasrv_last_error_source(), "") == 0);

  snprintf(index, sizeof index, "%s/new.db", home);
  CHECK(vexasrv_srx_set_index_file(srx, index) == VEXASRV_OK);
  CHECK(vexasrv_srx_search(srx, "anything", 1, 0, NULL, &res) == VEXASRV_OK);
  CHECK(res != NULL && strcmp(res, "<b>Nothing found (empty index)</b>") == 0);
  vexasrv_free(res);
  CHECK(vexasrv_srx_search_x(srx, NULL, 1, &res) == VEXASRV_OK);
  CHECK(StartsWith(res, "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
  CHECK(res != NULL && strstr(res, "<Count>0</Count>") != NULL);
  vexasrv_free(res);
  CHECK(vexasrv_srx_search(srx, "a", 1, 0, "", NULL) == VEXASRV_E_UNEXPECTED);

  CHECK(vexasrv_srx_indexes(srx, &rows, &count, NULL) == VEXASRV_OK);
  CHECK(rows == NULL && count == 0);

  CHECK(vexasrv_srx_set_index_file(srx, "/nonexistent/folder/x.db") == VEXASRV_OK);
  res = (char*)"untouched";
  CHECK(vexasrv_srx_search_x(srx, "a", 1, &res) == VEXASRV_E_UNEXPECTED);
  CHECK(res == NULL);
  CHECK(StartsWith(vexasrv_last_error(), "Failed to open database"));

  vexasrv_srx_destroy(srx);
  vexasrv_srx_destroy(NULL);
  vexasrv_free(NULL);

  remove("messages.xml");
  remove(index);
  return failures == 0 ? 0 : 1;
}
