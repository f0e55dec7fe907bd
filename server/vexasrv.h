/* libvexasrv: search VexaDoc index files from C, C++ or any language with a C
 * foreign-function interface.
 *
 * An srx object owns one index store. Its searches answer with a page of results as an
 * HTML fragment (for a web page, with pager links back to it) or as an XML document,
 * always 20 results per page; it also lists the indexes known to the configuration.
 *
 * Conventions:
 * - Strings are UTF-8, in and out. A NULL string argument reads as "".
 * - Every function but create, destroy, free and the error accessors returns
 *   VEXASRV_OK (0) or VEXASRV_E_UNEXPECTED (0x8000FFFF). On failure the calling
 *   thread's last error holds a description (vexasrv_last_error) with the source
 *   "vexasrv.srx" (vexasrv_last_error_source); on success both are "".
 * - Out parameters are set to NULL (and counts to 0) first, so after a failure they hold
 *   nothing. Every out value belongs to the caller and is released with vexasrv_free.
 * - The process-wide set-up (folders, configuration file, message catalogue) runs once,
 *   thread-safely, at the first vexasrv_srx_create.
 * - Threads: an object may be used from any thread, but by one thread at a time; objects
 *   on different threads work independently.
 * - No function lets an exception or a signal escape; nothing is retried. A search meeting
 *   an index locked by the indexer fails at once with the database's message.
 */
#ifndef VEXASRV_H_
#define VEXASRV_H_

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define VEXASRV_EXPORT __attribute__((visibility("default")))
#else
#define VEXASRV_EXPORT
#endif

#define VEXASRV_OK 0u
#define VEXASRV_E_UNEXPECTED 0x8000FFFFu

typedef struct vexasrv_srx_t vexasrv_srx_t;

/* One known index: [0] the index file's path, [1] its title, [2] "" when the file exists
 * or "-" when it does not, [3] its tag. */
typedef char* vexasrv_index_row_t[4];

/* Creates an object whose index file is "index.db" in the current directory and whose
 * directory aliases are read from "dir_aliases.cfg" in the data folder. Runs the
 * process-wide set-up on first use. Returns NULL on failure (last error set: a
 * configuration file or message catalogue that cannot be parsed, a folder that cannot be
 * created). */
VEXASRV_EXPORT vexasrv_srx_t* vexasrv_srx_create(void);

/* Destroys an object and its index store. NULL is allowed. */
VEXASRV_EXPORT void vexasrv_srx_destroy(vexasrv_srx_t* srx);

/* Searches `query` on the object's index (opened anew, created empty when missing) and
 * sets *res to the HTML fragment of page `npage` (1-based; below 1 shows the first page's
 * results with no page marked current). Pager links point to `url` with
 * "?q=<query>&np=<page>&isel=<isel>". When the message catalogue was not found, *res is
 * that error text instead. */
VEXASRV_EXPORT uint32_t vexasrv_srx_search(vexasrv_srx_t* srx, const char* query,
                                           int32_t npage, int32_t isel, const char* url,
                                           char** res);

/* The same search; *res is the XML document "Search_Result" (beginning with a UTF-8
 * byte-order mark, lines ending in CR LF). */
VEXASRV_EXPORT uint32_t vexasrv_srx_search_x(vexasrv_srx_t* srx, const char* query,
                                             int32_t npage, char** res);

/* Lists the configuration's indexes whose tag contains `tag` (case-sensitive; "" or NULL
 * selects all). *files is NULL when none is reported, else an array of *count rows in list
 * order; the array and its strings are one allocation: vexasrv_free(*files). */
VEXASRV_EXPORT uint32_t vexasrv_srx_indexes(vexasrv_srx_t* srx, vexasrv_index_row_t** files,
                                            size_t* count, const char* tag);

/* Makes `fname` the index file of the object's next searches; "" or NULL changes
 * nothing. The file is not opened here. */
VEXASRV_EXPORT uint32_t vexasrv_srx_set_index_file(vexasrv_srx_t* srx, const char* fname);

/* The description and source of the calling thread's last failure, "" when the last call
 * succeeded. Owned by the library; valid until the thread's next call. */
VEXASRV_EXPORT const char* vexasrv_last_error(void);
VEXASRV_EXPORT const char* vexasrv_last_error_source(void);

/* Releases an out value of this library. NULL is allowed. */
VEXASRV_EXPORT void vexasrv_free(void* ptr);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* VEXASRV_H_ */
