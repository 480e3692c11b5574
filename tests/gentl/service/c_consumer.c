/* A GenTL consumer in C that knows only GenTL.h: it loads the producer
 * named on its command line, streams 100 buffers from the first device of
 * the first interface and closes everything. Then it opens and starts a
 * stream again and unloads the producer without closing it, as a consumer
 * that ends abruptly does. Exit code 0 when every step answered as
 * expected. */
#include <GenTL.h>

#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define BUFFERS 4
#define FRAMES 100

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
#define CHECK(expression)                                                       \
    do {                                                                        \
        GC_ERROR code_ = (expression);                                          \
        if (code_ != GC_ERR_SUCCESS) {                                          \
            fprintf(stderr, "%s:%d: %s answered %d\n", __FILE__, __LINE__, #expression, (int)code_); \
            return 1;                                                           \
        }                                                                       \
    } while (0)

struct Handles {
    TL_HANDLE system;
    IF_HANDLE interface;
    DEV_HANDLE device;
    DS_HANDLE stream;
    BUFFER_HANDLE buffers[BUFFERS];
    EVENT_HANDLE event;
};

/* Init, the first interface's first device, its first stream, BUFFERS
 * buffers of the payload size queued, the new-buffer event registered. */
static int openStream(struct Handles* h)
{
    char id[256];
    size_t size = sizeof id;
    uint32_t count = 0;
    size_t payload = 0;
    INFO_DATATYPE type = 0;
    int i;
    CHECK(CALL(PGCInitLib, GCInitLib));
    CHECK(CALL(PTLOpen, TLOpen, &h->system));
    CHECK(CALL(PTLUpdateInterfaceList, TLUpdateInterfaceList, h->system, NULL, 1000));
    CHECK(CALL(PTLGetNumInterfaces, TLGetNumInterfaces, h->system, &count));
    if (count == 0)
        return 1;
    CHECK(CALL(PTLGetInterfaceID, TLGetInterfaceID, h->system, 0, id, &size));
    CHECK(CALL(PTLOpenInterface, TLOpenInterface, h->system, id, &h->interface));
    CHECK(CALL(PIFUpdateDeviceList, IFUpdateDeviceList, h->interface, NULL, 1000));
    size = sizeof id;
    CHECK(CALL(PIFGetDeviceID, IFGetDeviceID, h->interface, 0, id, &size));
    CHECK(CALL(PIFOpenDevice, IFOpenDevice, h->interface, id, DEVICE_ACCESS_EXCLUSIVE, &h->device));
    size = sizeof id;
    CHECK(CALL(PDevGetDataStreamID, DevGetDataStreamID, h->device, 0, id, &size));
    CHECK(CALL(PDevOpenDataStream, DevOpenDataStream, h->device, id, &h->stream));
    size = sizeof payload;
    CHECK(CALL(PDSGetInfo, DSGetInfo, h->stream, STREAM_INFO_PAYLOAD_SIZE, &type, &payload, &size));
    for (i = 0; i < BUFFERS; ++i) {
        CHECK(CALL(PDSAllocAndAnnounceBuffer, DSAllocAndAnnounceBuffer, h->stream, payload, NULL, &h->buffers[i]));
        CHECK(CALL(PDSQueueBuffer, DSQueueBuffer, h->stream, h->buffers[i]));
    }
    CHECK(CALL(PGCRegisterEvent, GCRegisterEvent, h->stream, EVENT_NEW_BUFFER, &h->event));
    return 0;
}

static int streamAndClose(void)
{
    struct Handles h;
    int frame;
    int i;
    memset(&h, 0, sizeof h);
    if (openStream(&h) != 0)
        return 1;
    CHECK(CALL(PDSStartAcquisition, DSStartAcquisition, h.stream, ACQ_START_FLAGS_DEFAULT, FRAMES));
    for (frame = 0; frame < FRAMES; ++frame) {
        EVENT_NEW_BUFFER_DATA item;
        size_t size = sizeof item;
        size_t filled = 0;
        INFO_DATATYPE type = 0;
        CHECK(CALL(PEventGetData, EventGetData, h.event, &item, &size, 10000));
        size = sizeof filled;
        CHECK(CALL(PDSGetBufferInfo, DSGetBufferInfo, h.stream, item.BufferHandle, BUFFER_INFO_SIZE_FILLED, &type,
                   &filled, &size));
        if (filled == 0)
            return 1;
        CHECK(CALL(PDSQueueBuffer, DSQueueBuffer, h.stream, item.BufferHandle));
    }
    CHECK(CALL(PDSStopAcquisition, DSStopAcquisition, h.stream, ACQ_STOP_FLAGS_DEFAULT));
    CHECK(CALL(PGCUnregisterEvent, GCUnregisterEvent, h.stream, EVENT_NEW_BUFFER));
    CHECK(CALL(PDSFlushQueue, DSFlushQueue, h.stream, ACQ_QUEUE_ALL_DISCARD));
    for (i = 0; i < BUFFERS; ++i)
        CHECK(CALL(PDSRevokeBuffer, DSRevokeBuffer, h.stream, h.buffers[i], NULL, NULL));
    CHECK(CALL(PDSClose, DSClose, h.stream));
    CHECK(CALL(PDevClose, DevClose, h.device));
    CHECK(CALL(PIFClose, IFClose, h.interface));
    CHECK(CALL(PTLClose, TLClose, h.system));
    CHECK(CALL(PGCCloseLib, GCCloseLib));
    return 0;
}

static int startAndLeaveOpen(void)
{
    struct Handles h;
    memset(&h, 0, sizeof h);
    if (openStream(&h) != 0)
        return 1;
    CHECK(CALL(PDSStartAcquisition, DSStartAcquisition, h.stream, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE));
    return 0;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s producer.cti\n", argv[0]);
        return 2;
    }
    g_producer = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!g_producer) {
        fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    if (streamAndClose() != 0 || startAndLeaveOpen() != 0)
        return 1;
    if (dlclose(g_producer) != 0)
        return 1;
    printf("streamed %d buffers\n", FRAMES);
    return 0;
}
