/* What the C consumers of the shipped producer share: the producer loaded
 * with dlopen (g_producer, defined by the including program), its exports
 * resolved by name, checks that end the run with 1, and the register
 * address of a node of a GenApi description. */
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

#endif /* CONSUMER_CALLS_H */
