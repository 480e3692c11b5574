/* A GenTL consumer in C that knows only GenTL.h: it loads the producer
 * named on its command line, streams 100 buffers from the first device of
 * the first interface and closes everything. Then it opens and starts a
 * stream again and unloads the producer without closing it, as a consumer
 * that ends abruptly does. Exit code 0 when every step answered as
 * expected. */
#include "ConsumerCalls.h"

#define BUFFERS 4
#define FRAMES 100

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
    CHECK(openFirstDevice(&h->system, &h->interface, &h->device));
    CHECK(CALL(PTLGetNumInterfaces, TLGetNumInterfaces, h->system, &count));
    EXPECT(count != 0);
    CHECK(CALL(PDevGetDataStreamID, DevGetDataStreamID, h->device, 0, id, &size));
    CHECK(CALL(PDevOpenDataStream, DevOpenDataStream, h->device, id, &h->stream));
    CHECK(queueProducerBuffers(h->stream, BUFFERS, h->buffers));
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
    CHECK(closeFirstDevice(h.system, h.interface, h.device));
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
    if (loadProducer(argv[1]) != 0)
        return 2;
    if (streamAndClose() != 0 || startAndLeaveOpen() != 0)
        return 1;
    if (dlclose(g_producer) != 0)
        return 1;
    printf("streamed %d buffers\n", FRAMES);
    return 0;
}
