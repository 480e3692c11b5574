/* What the C consumers of the shipped producer share: the producer loaded
 * with dlopen (g_producer, defined by the including program), its exports
 * resolved by name, checks that end the run with 1, the camera's GenApi
 * description read through its remote port, the register address of a node
 * or feature there, and big-endian writes of the camera's registers. */
#ifndef CONSUMER_CALLS_H
#define CONSUMER_CALLS_H

#include <GenTL.h>

#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void* g_producer;

static void* resolve(const char* name)
{
    void* function = dlsym(g_producer, name);
    if (!function) {
        fprintf(stderr, "missing export %s\n", name);
        exit(2);
    }
    return function;
}

#define CALL(type, name, ...) ((type)resolve(#name))(__VA_ARGS__)
#define CHECK(expression)                                                                         \
    do {                                                                                          \
        GC_ERROR code_ = (expression);                                                            \
        if (code_ != GC_ERR_SUCCESS) {                                                            \
            fprintf(stderr, "%s:%d: %s answered %d\n", __FILE__, __LINE__, #expression, (int)code_); \
            return 1;                                                                             \
        }                                                                                         \
    } while (0)
#define EXPECT(condition)                                                             \
    do {                                                                              \
        if (!(condition)) {                                                           \
            fprintf(stderr, "%s:%d: expected %s\n", __FILE__, __LINE__, #condition); \
            return 1;                                                                 \
        }                                                                             \
    } while (0)

/* The <Address> of the node named `name` in the description; 0 when absent. */
static uint64_t nodeAddress(const char* xml, const char* name)
{
    char pattern[160];
    const char* node;
    const char* address;
    snprintf(pattern, sizeof pattern, "Name=\"%s\"", name);
    node = strstr(xml, pattern);
    if (!node)
        return 0;
    address = strstr(node, "<Address>");
    return address ? strtoull(address + strlen("<Address>"), NULL, 0) : 0;
}

/* "local:<file>;<address hex>;<length hex>". */
static int parseLocalUrl(const char* url, uint64_t* address, uint64_t* length)
{
    const char* first;
    const char* second;
    if (strncmp(url, "local:", 6) != 0)
        return 1;
    first = strchr(url, ';');
    second = first ? strchr(first + 1, ';') : NULL;
    if (!second)
        return 1;
    *address = strtoull(first + 1, NULL, 16);
    *length = strtoull(second + 1, NULL, 16);
    return 0;
}

/* The camera's GenApi description, read through the URL of its remote
 * port; NULL when that fails. The caller frees it. */
static inline char* cameraDescription(PORT_HANDLE port)
{
    char url[512];
    size_t size = sizeof url;
    uint64_t address = 0, length = 0;
    char* xml;
    if (CALL(PGCGetPortURL, GCGetPortURL, port, url, &size) != GC_ERR_SUCCESS ||
        parseLocalUrl(url, &address, &length) != 0 || length == 0 || length >= (1u << 24))
        return NULL;
    xml = (char*)calloc(length + 1, 1);
    size = length;
    if (xml && CALL(PGCReadPort, GCReadPort, port, address, xml, &size) != GC_ERR_SUCCESS) {
        free(xml);
        return NULL;
    }
    return xml;
}

/* The register behind feature `feature`: the node its <pValue> names. */
static inline uint64_t featureAddress(const char* xml, const char* feature)
{
    char pattern[160], target[128];
    const char* node;
    const char* value;
    size_t length;
    snprintf(pattern, sizeof pattern, "Name=\"%s\"", feature);
    node = strstr(xml, pattern);
    if (!node || !(value = strstr(node, "<pValue>")))
        return 0;
    value += strlen("<pValue>");
    length = strcspn(value, "<");
    if (length == 0 || length >= sizeof target)
        return 0;
    memcpy(target, value, length);
    target[length] = '\0';
    return nodeAddress(xml, target);
}

static inline GC_ERROR writeBig32(PORT_HANDLE port, uint64_t address, uint32_t value)
{
    unsigned char bytes[4] = {(unsigned char)(value >> 24), (unsigned char)(value >> 16), (unsigned char)(value >> 8),
                              (unsigned char)value};
    size_t size = sizeof bytes;
    return CALL(PGCWritePort, GCWritePort, port, address, bytes, &size);
}

static inline GC_ERROR writeBigDouble(PORT_HANDLE port, uint64_t address, double value)
{
    unsigned char bytes[8];
    uint64_t bits;
    size_t size = sizeof bytes;
    int i;
    memcpy(&bits, &value, sizeof bits);
    for (i = 0; i < 8; ++i)
        bytes[i] = (unsigned char)(bits >> (56 - 8 * i));
    return CALL(PGCWritePort, GCWritePort, port, address, bytes, &size);
}

#endif /* CONSUMER_CALLS_H */
