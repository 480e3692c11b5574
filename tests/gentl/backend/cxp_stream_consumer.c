/* A GenTL consumer in C that knows only GenTL.h: it loads the CoaXPress
 * producer named on its command line, opens the first camera, sets Width,
 * Height, PixelFormat (Mono8) and the frame rate through the camera's own
 * GenApi features (their registers found in the description served by the
 * remote port), announces and queues eight buffers (four of its own memory,
 * four of the producer's), starts the stream and the camera, receives 1000
 * images and checks their content, stops and closes. Exit code 0 when every
 * step answered as expected. */
#include "ConsumerCalls.h"

#define BUFFERS 8
#define IMAGES 1000
#define WIDTH 320
#define HEIGHT 240
#define MONO8 0x01080001u

static GC_ERROR bufferInfo(DS_HANDLE stream, BUFFER_HANDLE buffer, BUFFER_INFO_CMD command, void* value, size_t size)
{
    INFO_DATATYPE type;
    return CALL(PDSGetBufferInfo, DSGetBufferInfo, stream, buffer, command, &type, value, &size);
}

/* The camera shows a moving ramp: pixel (x, y) of frame n is
 * ((x + y + 4n) mod 1024) / 4 in Mono8, so pixel (0, 0) gives n mod 256. */
static int rightContent(const unsigned char* image, size_t pitch)
{
    const unsigned n = image[0];
    unsigned x, y;
    for (y = 0; y < HEIGHT; y += 7)
        for (x = 0; x < WIDTH; ++x)
            if (image[y * pitch + x] != ((x + y + 4 * n) % 1024) / 4)
                return 0;
    return 1;
}

static int run(void)
{
    TL_HANDLE system;
    IF_HANDLE interface;
    DEV_HANDLE device;
    PORT_HANDLE port;
    DS_HANDLE stream;
    EVENT_HANDLE newBuffer;
    BUFFER_HANDLE buffers[BUFFERS];
    unsigned char* memory[BUFFERS / 2];
    char id[256];
    size_t size;
    INFO_DATATYPE type;
    uint64_t payload = 0, frameId, lastFrameId = 0, width, height, format, padding;
    uint64_t widthAddress, heightAddress, formatAddress, rateAddress, startAddress, stopAddress, lockAddress;
    char* xml;
    unsigned i;

    CHECK(openFirstDevice(&system, &interface, &device));
    CHECK(CALL(PDevGetPort, DevGetPort, device, &port));

    xml = cameraDescription(port);
    EXPECT(xml != NULL);
    widthAddress = featureAddress(xml, "Width");
    heightAddress = featureAddress(xml, "Height");
    formatAddress = featureAddress(xml, "PixelFormat");
    rateAddress = featureAddress(xml, "AcquisitionFrameRate");
    startAddress = featureAddress(xml, "AcquisitionStart");
    stopAddress = featureAddress(xml, "AcquisitionStop");
    lockAddress = featureAddress(xml, "TLParamsLocked");
    free(xml);
    EXPECT(widthAddress && heightAddress && formatAddress && rateAddress && startAddress && stopAddress &&
           lockAddress);

    CHECK(writeBig32(port, widthAddress, WIDTH));
    CHECK(writeBig32(port, heightAddress, HEIGHT));
    CHECK(writeBig32(port, formatAddress, MONO8));
    CHECK(writeBigDouble(port, rateAddress, 10000.0));

    size = sizeof id;
    CHECK(CALL(PDevGetDataStreamID, DevGetDataStreamID, device, 0, id, &size));
    CHECK(CALL(PDevOpenDataStream, DevOpenDataStream, device, id, &stream));
    size = sizeof payload;
    CHECK(CALL(PDSGetInfo, DSGetInfo, stream, STREAM_INFO_PAYLOAD_SIZE, &type, &payload, &size));
    EXPECT(payload == (uint64_t)WIDTH * HEIGHT);
    for (i = 0; i < BUFFERS; ++i) {
        if (i < BUFFERS / 2) {
            memory[i] = (unsigned char*)malloc(payload);
            EXPECT(memory[i] != NULL);
            CHECK(CALL(PDSAnnounceBuffer, DSAnnounceBuffer, stream, memory[i], payload, NULL, &buffers[i]));
        } else {
            CHECK(CALL(PDSAllocAndAnnounceBuffer, DSAllocAndAnnounceBuffer, stream, payload, NULL, &buffers[i]));
        }
        CHECK(CALL(PDSQueueBuffer, DSQueueBuffer, stream, buffers[i]));
    }
    CHECK(CALL(PGCRegisterEvent, GCRegisterEvent, stream, EVENT_NEW_BUFFER, &newBuffer));
    CHECK(CALL(PDSStartAcquisition, DSStartAcquisition, stream, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE));
    CHECK(writeBig32(port, lockAddress, 1));
    CHECK(writeBig32(port, startAddress, 1));

    for (i = 0; i < IMAGES; ++i) {
        EVENT_NEW_BUFFER_DATA item;
        unsigned char* base = NULL;
        size = sizeof item;
        CHECK(CALL(PEventGetData, EventGetData, newBuffer, &item, &size, 5000));
        CHECK(bufferInfo(stream, item.BufferHandle, BUFFER_INFO_BASE, &base, sizeof base));
        CHECK(bufferInfo(stream, item.BufferHandle, BUFFER_INFO_WIDTH, &width, sizeof width));
        CHECK(bufferInfo(stream, item.BufferHandle, BUFFER_INFO_HEIGHT, &height, sizeof height));
        CHECK(bufferInfo(stream, item.BufferHandle, BUFFER_INFO_PIXELFORMAT, &format, sizeof format));
        CHECK(bufferInfo(stream, item.BufferHandle, BUFFER_INFO_XPADDING, &padding, sizeof padding));
        CHECK(bufferInfo(stream, item.BufferHandle, BUFFER_INFO_FRAMEID, &frameId, sizeof frameId));
        EXPECT(width == WIDTH && height == HEIGHT && format == MONO8 && padding == 0);
        EXPECT(frameId > lastFrameId);
        lastFrameId = frameId;
        if (!rightContent(base, WIDTH)) {
            fprintf(stderr, "image %u does not show the camera's pattern\n", i);
            return 1;
        }
        CHECK(CALL(PDSQueueBuffer, DSQueueBuffer, stream, item.BufferHandle));
    }
    printf("received %d images, last frame id %llu\n", IMAGES, (unsigned long long)lastFrameId);

    CHECK(stopAndRevoke(stream, port, stopAddress, lockAddress, buffers, BUFFERS));
    for (i = 0; i < BUFFERS / 2; ++i)
        free(memory[i]);
    CHECK(CALL(PGCUnregisterEvent, GCUnregisterEvent, stream, EVENT_NEW_BUFFER));
    CHECK(CALL(PDSClose, DSClose, stream));
    CHECK(closeFirstDevice(system, interface, device));
    return 0;
}

int main(int argc, char** argv)
{
    int result;
    if (argc < 2) {
        fprintf(stderr, "usage: %s producer.cti\n", argv[0]);
        return 2;
    }
    if (loadProducer(argv[1]) != 0)
        return 2;
    result = run();
    if (dlclose(g_producer) != 0)
        return 3;
    return result;
}
