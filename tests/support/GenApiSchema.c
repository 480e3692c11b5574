#include "GenApiSchema.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

const char* GenApiSchemaPath(void)
{
    const char* path = getenv("LUMA_GENAPI_SCHEMA");
    return path && *path ? path : LUMA_GENAPI_SCHEMA_DEFAULT;
}

const char* GenApiSchemaMissingReason(void)
{
    static char reason[1024];
    const char* path = GenApiSchemaPath();
    if (access(path, R_OK) == 0)
        return NULL;
    snprintf(reason, sizeof reason,
             "GenApi 1.1 schema not found at %s; set LUMA_GENAPI_SCHEMA (environment or CMake option) "
             "to GenApiSchema_Version_1_1.xsd to run the schema checks",
             path);
    return reason;
}

int GenApiSchemaValidate(const char* xml, size_t length, char* output, size_t capacity)
{
    char path[] = "/tmp/genapi_description_XXXXXX";
    char command[2048];
    char line[512];
    size_t used = 0;
    size_t written = 0;
    FILE* pipe;
    int status;
    int fd = mkstemp(path);
    if (output && capacity > 0)
        output[0] = '\0';
    if (fd < 0)
        return -1;
    while (written < length) {
        const ssize_t n = write(fd, xml + written, length - written);
        if (n <= 0)
            break;
        written += (size_t)n;
    }
    close(fd);
    if (written != length ||
        snprintf(command, sizeof command, "xmllint --noout --schema '%s' '%s' 2>&1", GenApiSchemaPath(), path) >=
            (int)sizeof command) {
        unlink(path);
        return -1;
    }
    pipe = popen(command, "r");
    if (!pipe) {
        unlink(path);
        return -1;
    }
    while (fgets(line, sizeof line, pipe)) {
        if (output && used + 1 < capacity) {
            const int n = snprintf(output + used, capacity - used, "%s", line);
            if (n > 0)
                used += (size_t)n < capacity - used ? (size_t)n : capacity - used - 1;
        }
    }
    status = pclose(pipe);
    unlink(path);
    if (status == -1 || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
