/* What the C consumers of a producer share: the producer loaded with dlopen
 * (g_producer), its exports resolved by name, checks that end the run with
 * 1, the first device opened, buffers of the producer's memory announced and
 * queued, the camera's GenApi description read through its remote port, the
 * register address of a node or feature there, and big-endian writes of the
 * camera's registers. */
#ifndef CONSUMER_CALLS_H
#define CONSUMER_CALLS_H

#include <GenTL.h>

#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void* g_producer;

/* Loads the producer at `path` into g_producer: 0, or 2 with dlerror's text
 * on standard error. */
static inline int loadProducer(const char* path)
{
    g_producer = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!g_producer) {
        fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    return 0;
}

static inline void* resolve(const char* name)
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
static inline uint64_t nodeAddress(const char* xml, const char* name)
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
static inline int parseLocalUrl(const char* url, uint64_t* address, uint64_t* length)
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

/* The camera's GenApi description, read whole through the URL of its remote
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
    if (xml && (CALL(PGCReadPort, GCReadPort, port, address, xml, &size) != GC_ERR_SUCCESS || size != length)) {
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

/* GCInitLib, TLOpen, the interface list, the first interface, its device
 * list, the first device opened exclusively. */
static inline GC_ERROR openFirstDevice(TL_HANDLE* system, IF_HANDLE* interface, DEV_HANDLE* device)
{
    char id[256];
    size_t size = sizeof id;
    GC_ERROR code;
    if ((code = CALL(PGCInitLib, GCInitLib)) != GC_ERR_SUCCESS ||
        (code = CALL(PTLOpen, TLOpen, system)) != GC_ERR_SUCCESS ||
        (code = CALL(PTLUpdateInterfaceList, TLUpdateInterfaceList, *system, NULL, 1000)) != GC_ERR_SUCCESS ||
        (code = CALL(PTLGetInterfaceID, TLGetInterfaceID, *system, 0, id, &size)) != GC_ERR_SUCCESS ||
        (code = CALL(PTLOpenInterface, TLOpenInterface, *system, id, interface)) != GC_ERR_SUCCESS ||
        (code = CALL(PIFUpdateDeviceList, IFUpdateDeviceList, *interface, NULL, 1000)) != GC_ERR_SUCCESS)
        return code;
    size = sizeof id;
    if ((code = CALL(PIFGetDeviceID, IFGetDeviceID, *interface, 0, id, &size)) != GC_ERR_SUCCESS)
        return code;
    return CALL(PIFOpenDevice, IFOpenDevice, *interface, id, DEVICE_ACCESS_EXCLUSIVE, device);
}

/* What openFirstDevice opened closed again, down to GCCloseLib. */
static inline GC_ERROR closeFirstDevice(TL_HANDLE system, IF_HANDLE interface, DEV_HANDLE device)
{
    GC_ERROR code;
    if ((code = CALL(PDevClose, DevClose, device)) != GC_ERR_SUCCESS ||
        (code = CALL(PIFClose, IFClose, interface)) != GC_ERR_SUCCESS ||
        (code = CALL(PTLClose, TLClose, system)) != GC_ERR_SUCCESS)
        return code;
    return CALL(PGCCloseLib, GCCloseLib);
}

/* `count` buffers of the stream's payload size in the producer's memory,
 * announced and queued; their handles in `buffers` unless it is NULL. */
static inline GC_ERROR queueProducerBuffers(DS_HANDLE stream, unsigned count, BUFFER_HANDLE* buffers)
{
    uint64_t payload = 0;
    size_t size = sizeof payload;
    INFO_DATATYPE type;
    GC_ERROR code;
    unsigned i;
    if ((code = CALL(PDSGetInfo, DSGetInfo, stream, STREAM_INFO_PAYLOAD_SIZE, &type, &payload, &size)) !=
        GC_ERR_SUCCESS)
        return code;
    for (i = 0; i < count; ++i) {
        BUFFER_HANDLE buffer;
        if ((code = CALL(PDSAllocAndAnnounceBuffer, DSAllocAndAnnounceBuffer, stream, payload, NULL, &buffer)) !=
                GC_ERR_SUCCESS ||
            (code = CALL(PDSQueueBuffer, DSQueueBuffer, stream, buffer)) != GC_ERR_SUCCESS)
            return code;
        if (buffers)
            buffers[i] = buffer;
    }
    return GC_ERR_SUCCESS;
}

static inline GC_ERROR writeBig32(PORT_HANDLE port, uint64_t address, uint32_t value)
{
    unsigned char bytes[4] = {(unsigned char)(value >> 24), (unsigned char)(value >> 16), (unsigned char)(value >> 8),
                              (unsigned char)value};
    size_t size = sizeof bytes;
    return CALL(PGCWritePort, GCWritePort, port, address, bytes, &size);
}

/* The acquisition stopped, then the camera (its AcquisitionStop and
 * TLParamsLocked registers at `stopAddress` and `lockAddress`); the queues
 * emptied and `count` buffers revoked. */
static inline GC_ERROR stopAndRevoke(DS_HANDLE stream, PORT_HANDLE port, uint64_t stopAddress, uint64_t lockAddress,
                                     const BUFFER_HANDLE* buffers, unsigned count)
{
    GC_ERROR code;
    unsigned i;
    if ((code = CALL(PDSStopAcquisition, DSStopAcquisition, stream, ACQ_STOP_FLAGS_DEFAULT)) != GC_ERR_SUCCESS ||
        (code = writeBig32(port, stopAddress, 1)) != GC_ERR_SUCCESS ||
        (code = writeBig32(port, lockAddress, 0)) != GC_ERR_SUCCESS ||
        (code = CALL(PDSFlushQueue, DSFlushQueue, stream, ACQ_QUEUE_ALL_DISCARD)) != GC_ERR_SUCCESS)
        return code;
    for (i = 0; i < count; ++i)
        if ((code = CALL(PDSRevokeBuffer, DSRevokeBuffer, stream, buffers[i], NULL, NULL)) != GC_ERR_SUCCESS)
            return code;
    return GC_ERR_SUCCESS;
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
