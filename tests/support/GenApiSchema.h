/* The GenApi 1.1 schema that the description tests validate against. The
 * schema is the standard's own file and is not part of the repository: its
 * path comes from the environment variable LUMA_GENAPI_SCHEMA, else from the
 * CMake option of the same name (by default ../shared/reference beside the
 * source tree). Where it is absent the schema checks skip with
 * GenApiSchemaMissingReason(). */
#ifndef LUMA_TESTS_GENAPI_SCHEMA_H
#define LUMA_TESTS_GENAPI_SCHEMA_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Exit code with which a test program reports that it skipped (ctest's
 * SKIP_RETURN_CODE). */
enum { GENAPI_SCHEMA_SKIP_CODE = 77 };

const char* GenApiSchemaPath(void);

/* NULL when the schema can be read; else why the schema checks skip. */
const char* GenApiSchemaMissingReason(void);

/* Validates `length` bytes of XML against the schema with xmllint. Returns
 * xmllint's exit status (0: valid) or -1 when it cannot be run. xmllint's
 * messages go to `output` (cut to `capacity`, always terminated) when it is
 * not NULL. */
int GenApiSchemaValidate(const char* xml, size_t length, char* output, size_t capacity);

#ifdef __cplusplus
}
#endif

#endif
