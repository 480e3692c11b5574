/* Calls of a C consumer into a producer it loaded with dlopen: the producer's
 * handle, its exports resolved by name (a missing one ends the program with
 * 2), and a check that returns 1 from the calling function on a failure. */
#ifndef GENTL_C_CALLS_H
#define GENTL_C_CALLS_H

#include <GenTL.h>

#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>

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

#endif
