/* A GenTL consumer in C that knows only GenTL.h, fed absurd values. Run as
 * `<program> <producer> <scenario>`, it writes the scenario's simulated
 * installation to a file of its own, names it in PEX_SIM_CONFIG, loads the
 * producer and runs the scenario:
 * - absurd frame rates written to the camera (frame_rate_...): the write is
 *   refused with a text, the rate stays, the stream keeps flowing; the
 *   stream's id is built from the system descriptor; the acquisition mode is
 *   set through the entry named "Continuous";
 * - configurations past the stand-in's limits: the interface list is refused
 *   with a text naming the line, and the library closes;
 * - the largest configuration: every interface is listed;
 * - absurd sizes for DSAllocAndAnnounceBuffer at widths whose line size
 *   divides 2^64-1 and at the default width: each is out of memory, and the
 *   stream announces a buffer of its payload size after them.
 * Exit code 0 when every step answered as expected. */
#include "ConsumerCalls.h"

#include <unistd.h>

#define BUFFERS 4
#define STREAM_ID "PX_SYSTEM_TARSILCXP0\\Device0\\Stream0"

/* The calling thread's last error is `code` and its text holds `needle`. */
static int lastErrorHas(GC_ERROR code, const char* needle)
{
    GC_ERROR last = 0;
    char text[2048];
    size_t size = sizeof text;
    if (CALL(PGCGetLastError, GCGetLastError, &last, text, &size) != GC_ERR_SUCCESS)
        return 0;
    if (last != code || !text[0] || !strstr(text, needle)) {
        fprintf(stderr, "last error %d \"%s\", expected %d with \"%s\"\n", (int)last, text, (int)code, needle);
        return 0;
    }
    return 1;
}

/* The <Value> of the enumeration entry node `name`; -1 when absent. */
static long long entryValue(const char* xml, const char* name)
{
    char pattern[160];
    const char* value;
    snprintf(pattern, sizeof pattern, "<EnumEntry Name=\"%s\">", name);
    value = strstr(xml, pattern);
    value = value ? strstr(value, "<Value>") : NULL;
    return value ? strtoll(value + strlen("<Value>"), NULL, 0) : -1;
}

/* Waits for `count` images and queues each again. */
static int receive(EVENT_HANDLE newBuffer, DS_HANDLE stream, int count)
{
    int i;
    for (i = 0; i < count; ++i) {
        EVENT_NEW_BUFFER_DATA item;
        size_t size = sizeof item;
        CHECK(CALL(PEventGetData, EventGetData, newBuffer, &item, &size, 5000));
        CHECK(CALL(PDSQueueBuffer, DSQueueBuffer, stream, item.BufferHandle));
    }
    return 0;
}

/* Streams, writes `rate` as AcquisitionFrameRate (refused), streams on. */
static int absurdRate(const char* rate)
{
    TL_HANDLE system;
    IF_HANDLE interface;
    DEV_HANDLE device;
    PORT_HANDLE port;
    DS_HANDLE stream;
    EVENT_HANDLE newBuffer;
    BUFFER_HANDLE buffers[BUFFERS];
    char id[256];
    unsigned char before[8], after[8];
    size_t size;
    INFO_DATATYPE type;
    uint64_t rateAddress, modeAddress, startAddress, stopAddress, lockAddress;
    long long continuous;
    char* xml;
    GC_ERROR code;

    CHECK(openFirstDevice(&system, &interface, &device));
    CHECK(CALL(PDevGetPort, DevGetPort, device, &port));
    xml = cameraDescription(port);
    EXPECT(xml != NULL);
    rateAddress = nodeAddress(xml, "AcquisitionFrameRateReg");
    modeAddress = nodeAddress(xml, "AcquisitionModeReg");
    startAddress = nodeAddress(xml, "AcquisitionStartReg");
    stopAddress = nodeAddress(xml, "AcquisitionStopReg");
    lockAddress = nodeAddress(xml, "TLParamsLockedReg");
    continuous = entryValue(xml, "Continuous");
    free(xml);
    EXPECT(rateAddress && modeAddress && startAddress && stopAddress && lockAddress && continuous >= 0);

    size = sizeof id;
    CHECK(CALL(PDevGetDataStreamID, DevGetDataStreamID, device, 0, id, &size));
    EXPECT(strcmp(id, STREAM_ID) == 0);
    CHECK(CALL(PDevOpenDataStream, DevOpenDataStream, device, id, &stream));
    size = sizeof id;
    CHECK(CALL(PDSGetInfo, DSGetInfo, stream, STREAM_INFO_ID, &type, id, &size));
    EXPECT(strcmp(id, STREAM_ID) == 0);
    CHECK(queueProducerBuffers(stream, BUFFERS, buffers));
    CHECK(CALL(PGCRegisterEvent, GCRegisterEvent, stream, EVENT_NEW_BUFFER, &newBuffer));
    CHECK(CALL(PDSStartAcquisition, DSStartAcquisition, stream, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE));
    CHECK(writeBig32(port, modeAddress, (uint32_t)continuous));
    CHECK(writeBig32(port, lockAddress, 1));
    CHECK(writeBig32(port, startAddress, 1));
    if (receive(newBuffer, stream, 3))
        return 1;

    size = sizeof before;
    CHECK(CALL(PGCReadPort, GCReadPort, port, rateAddress, before, &size));
    code = writeBigDouble(port, rateAddress, strtod(rate, NULL));
    EXPECT(code != GC_ERR_SUCCESS && lastErrorHas(code, "outside"));
    size = sizeof after;
    CHECK(CALL(PGCReadPort, GCReadPort, port, rateAddress, after, &size));
    EXPECT(memcmp(before, after, sizeof before) == 0);
    if (receive(newBuffer, stream, 5))
        return 1;

    CHECK(stopAndRevoke(stream, port, stopAddress, lockAddress, buffers, BUFFERS));
    CHECK(CALL(PGCUnregisterEvent, GCUnregisterEvent, stream, EVENT_NEW_BUFFER));
    CHECK(CALL(PDSClose, DSClose, stream));
    CHECK(closeFirstDevice(system, interface, device));
    return 0;
}

/* Buffers of absurd sizes are out of memory; a normal one is announced
 * after them. */
static int absurdBufferSizes(const char* unused)
{
    static const uint64_t kSizes[] = {UINT64_MAX, 0xffffffffffffff01ull, 0x8000000000000000ull,
                                      0x7fffffffffffffffull, 0x4000000000000000ull, 1ull << 40};
    TL_HANDLE system;
    IF_HANDLE interface;
    DEV_HANDLE device;
    DS_HANDLE stream;
    BUFFER_HANDLE buffer;
    char id[256];
    size_t size = sizeof id;
    size_t i;
    GC_ERROR code;
    (void)unused;
    CHECK(openFirstDevice(&system, &interface, &device));
    CHECK(CALL(PDevGetDataStreamID, DevGetDataStreamID, device, 0, id, &size));
    CHECK(CALL(PDevOpenDataStream, DevOpenDataStream, device, id, &stream));
    for (i = 0; i < sizeof kSizes / sizeof kSizes[0]; ++i) {
        buffer = NULL;
        code = CALL(PDSAllocAndAnnounceBuffer, DSAllocAndAnnounceBuffer, stream, kSizes[i], NULL, &buffer);
        if (code != GC_ERR_OUT_OF_MEMORY)
            fprintf(stderr, "size %#llx answered %d\n", (unsigned long long)kSizes[i], (int)code);
        EXPECT(code == GC_ERR_OUT_OF_MEMORY && buffer == NULL);
    }
    CHECK(queueProducerBuffers(stream, 1, &buffer));
    CHECK(CALL(PDSFlushQueue, DSFlushQueue, stream, ACQ_QUEUE_ALL_DISCARD));
    CHECK(CALL(PDSRevokeBuffer, DSRevokeBuffer, stream, buffer, NULL, NULL));
    CHECK(CALL(PDSClose, DSClose, stream));
    CHECK(closeFirstDevice(system, interface, device));
    return 0;
}

/* The configuration is refused at line `line`: no interface, a text. */
static int refusedConfig(const char* line)
{
    TL_HANDLE system;
    uint32_t count = 1;
    char needle[64];
    GC_ERROR code;
    CHECK(CALL(PGCInitLib, GCInitLib));
    CHECK(CALL(PTLOpen, TLOpen, &system));
    code = CALL(PTLUpdateInterfaceList, TLUpdateInterfaceList, system, NULL, 1000);
    snprintf(needle, sizeof needle, "line %s,", line);
    EXPECT(code != GC_ERR_SUCCESS && lastErrorHas(code, needle) && lastErrorHas(code, "PEX_SIM_CONFIG"));
    CHECK(CALL(PTLGetNumInterfaces, TLGetNumInterfaces, system, &count));
    EXPECT(count == 0);
    CHECK(CALL(PTLClose, TLClose, system));
    CHECK(CALL(PGCCloseLib, GCCloseLib));
    return 0;
}

static int endsWith(const char* text, const char* tail)
{
    const size_t n = strlen(text), k = strlen(tail);
    if (n < k || strcmp(text + n - k, tail) != 0) {
        fprintf(stderr, "\"%s\" does not end in \"%s\"\n", text, tail);
        return 0;
    }
    return 1;
}

/* The largest installation: 241 interfaces, 16 cameras on the last one. */
static int largest(const char* unused)
{
    TL_HANDLE system;
    IF_HANDLE interface;
    uint32_t count = 0;
    char id[256];
    size_t size = sizeof id;
    (void)unused;
    CHECK(CALL(PGCInitLib, GCInitLib));
    CHECK(CALL(PTLOpen, TLOpen, &system));
    CHECK(CALL(PTLUpdateInterfaceList, TLUpdateInterfaceList, system, NULL, 1000));
    CHECK(CALL(PTLGetNumInterfaces, TLGetNumInterfaces, system, &count));
    EXPECT(count == 241);
    CHECK(CALL(PTLGetInterfaceID, TLGetInterfaceID, system, 240, id, &size));
    EXPECT(endsWith(id, "QuendaCXP112"));
    CHECK(CALL(PTLOpenInterface, TLOpenInterface, system, id, &interface));
    CHECK(CALL(PIFUpdateDeviceList, IFUpdateDeviceList, interface, NULL, 1000));
    CHECK(CALL(PIFGetNumDevices, IFGetNumDevices, interface, &count));
    EXPECT(count == 16);
    size = sizeof id;
    CHECK(CALL(PIFGetDeviceID, IFGetDeviceID, interface, 15, id, &size));
    EXPECT(endsWith(id, "QuendaCXP112\\Device15"));
    CHECK(CALL(PIFClose, IFClose, interface));
    CHECK(CALL(PTLClose, TLClose, system));
    CHECK(CALL(PGCCloseLib, GCCloseLib));
    return 0;
}

/* A scenario: what it runs, with which argument, on which PEX_SIM_CONFIG
 * text: head, `count` times piece, a NUL byte when nul is set, then tail. */
typedef struct Scenario {
    const char* name;
    int (*run)(const char* argument);
    const char* argument;
    const char* head;
    const char* piece;
    int count;
    int nul;
    const char* tail;
} Scenario;

#define STREAMING "[camera]\nwidth = 64\nheight = 48\nframe_rate = 1000\n"

/* Filled by main: 8 Tarsil and 8 Quenda systems of 16 boards; with the
 * scenario's piece the last board holds 16 cameras. */
static char g_largest[2048];

static const Scenario kScenarios[] = {
    {"frame_rate_1e-300", absurdRate, "1e-300", STREAMING, "", 0, 0, ""},
    {"frame_rate_1e-12", absurdRate, "1e-12", STREAMING, "", 0, 0, ""},
    {"frame_rate_inf", absurdRate, "inf", STREAMING, "", 0, 0, ""},
    {"frame_rate_nan", absurdRate, "nan", STREAMING, "", 0, 0, ""},
    {"frame_rate_1e300", absurdRate, "1e300", STREAMING, "", 0, 0, ""},
    {"frame_rate_minus_1", absurdRate, "-1", STREAMING, "", 0, 0, ""},
    {"boards_100000000000", refusedConfig, "2", "[system]\nboards = 100000000000\n", "", 0, 0, ""},
    {"systems_1000_of_one_board", refusedConfig, "33", "", "[system]\nboards = 1\n", 1000, 0, ""},
    {"systems_2000_of_4_boards", refusedConfig, "33", "", "[system]\nboards = 4\n", 2000, 0, ""},
    {"cameras_400_on_a_board", refusedConfig, "2", "[board]\ncameras = 400\n", "", 0, 0, ""},
    {"model_text_5_mb", refusedConfig, "2", "[camera]\nmodel = ", "M", 5 << 20, 0, "\n"},
    {"model_with_nul", refusedConfig, "2", "[camera]\nmodel = CVN", "", 0, 1, "Sim\n"},
    {"configured_frame_rate_1e-12", refusedConfig, "2", "[camera]\nframe_rate = 1e-12\n", "", 0, 0, ""},
    {"configured_frame_rate_nan", refusedConfig, "2", "[camera]\nframe_rate = nan\n", "", 0, 0, ""},
    {"largest_installation", largest, "", g_largest, "[camera]\n", 16, 0, ""},
    {"buffer_sizes_width_3", absurdBufferSizes, "", "[camera]\nwidth = 3\n", "", 0, 0, ""},
    {"buffer_sizes_width_255", absurdBufferSizes, "", "[camera]\nwidth = 255\n", "", 0, 0, ""},
    {"buffer_sizes_width_257", absurdBufferSizes, "", "[camera]\nwidth = 257\n", "", 0, 0, ""},
    {"buffer_sizes_width_640", absurdBufferSizes, "", "", "", 0, 0, ""},
};

static char g_configPath[] = "/tmp/consumer_values_XXXXXX";

static void removeConfig(void) { unlink(g_configPath); }

/* The scenario's configuration in a file of its own, named in
 * PEX_SIM_CONFIG; removed when the process ends. */
static int writeConfig(const Scenario* s)
{
    const int descriptor = mkstemp(g_configPath);
    FILE* file = descriptor >= 0 ? fdopen(descriptor, "wb") : NULL;
    int i, ok;
    if (!file)
        return 0;
    atexit(removeConfig);
    ok = fputs(s->head, file) >= 0;
    for (i = 0; ok && i < s->count; ++i)
        ok = fputs(s->piece, file) >= 0;
    if (ok && s->nul)
        ok = fputc('\0', file) != EOF;
    ok = ok && fputs(s->tail, file) >= 0;
    return fclose(file) == 0 && ok && setenv("PEX_SIM_CONFIG", g_configPath, 1) == 0;
}

int main(int argc, char** argv)
{
    const Scenario* scenario = NULL;
    char* at = g_largest;
    size_t i;
    int result;
    if (argc < 3) {
        fprintf(stderr, "usage: %s producer.cti scenario\n", argv[0]);
        return 2;
    }
    for (i = 0; i < sizeof kScenarios / sizeof kScenarios[0]; ++i)
        if (strcmp(argv[2], kScenarios[i].name) == 0)
            scenario = &kScenarios[i];
    if (!scenario) {
        fprintf(stderr, "unknown scenario %s\n", argv[2]);
        return 2;
    }
    for (i = 0; i < 16; ++i)
        at += sprintf(at, "[system]\ntype = %d\nname = %s\nboards = 16\n", i < 8 ? 14 : 18,
                      i < 8 ? "TarsilCXP" : "QuendaCXP");
    if (!writeConfig(scenario)) {
        fprintf(stderr, "cannot write the configuration %s\n", g_configPath);
        return 2;
    }
    if (loadProducer(argv[1]) != 0)
        return 2;
    result = scenario->run(scenario->argument);
    if (dlclose(g_producer) != 0)
        return 3;
    return result;
}
