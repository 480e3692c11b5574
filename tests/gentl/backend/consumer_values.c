/* A GenTL consumer in C that knows only GenTL.h, fed absurd values. Run with
 * the producer's path (and a repeat count), it runs every scenario as a
 * child process of its own with a simulated installation (PEX_SIM_CONFIG)
 * and checks that each child ends with exit code 0, no signal, within a
 * time limit:
 * - absurd frame rates written to the camera: the write is refused with a
 *   text, the rate stays, the stream keeps flowing; the stream's id is built
 *   from the system descriptor; the acquisition mode is set through the
 *   entry named "Continuous";
 * - configurations past the stand-in's limits: the interface list is refused
 *   with a text naming the line, and the library closes;
 * - the largest configuration: every interface is listed. */
#include "ConsumerCalls.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#define BUFFERS 4
#define LIMIT_SECONDS 30
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

static GC_ERROR openFirstDevice(TL_HANDLE* system, IF_HANDLE* interface, DEV_HANDLE* device)
{
    char id[256];
    size_t size = sizeof id;
    GC_ERROR code;
    if ((code = CALL(PTLOpen, TLOpen, system)) != GC_ERR_SUCCESS ||
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
static int absurdRate(double rate)
{
    TL_HANDLE system;
    IF_HANDLE interface;
    DEV_HANDLE device;
    PORT_HANDLE port;
    DS_HANDLE stream;
    EVENT_HANDLE newBuffer;
    BUFFER_HANDLE buffers[BUFFERS];
    char id[256], url[512];
    unsigned char before[8], after[8];
    size_t size;
    INFO_DATATYPE type;
    uint64_t address = 0, length = 0, payload = 0, rateAddress, modeAddress, startAddress, stopAddress, lockAddress;
    long long continuous;
    char* xml;
    GC_ERROR code;
    unsigned i;

    CHECK(CALL(PGCInitLib, GCInitLib));
    CHECK(openFirstDevice(&system, &interface, &device));
    CHECK(CALL(PDevGetPort, DevGetPort, device, &port));
    size = sizeof url;
    CHECK(CALL(PGCGetPortURL, GCGetPortURL, port, url, &size));
    EXPECT(parseLocalUrl(url, &address, &length) == 0 && length > 0 && length < (1u << 24));
    xml = (char*)calloc(length + 1, 1);
    EXPECT(xml != NULL);
    size = length;
    CHECK(CALL(PGCReadPort, GCReadPort, port, address, xml, &size));
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
    size = sizeof payload;
    CHECK(CALL(PDSGetInfo, DSGetInfo, stream, STREAM_INFO_PAYLOAD_SIZE, &type, &payload, &size));
    for (i = 0; i < BUFFERS; ++i) {
        CHECK(CALL(PDSAllocAndAnnounceBuffer, DSAllocAndAnnounceBuffer, stream, payload, NULL, &buffers[i]));
        CHECK(CALL(PDSQueueBuffer, DSQueueBuffer, stream, buffers[i]));
    }
    CHECK(CALL(PGCRegisterEvent, GCRegisterEvent, stream, EVENT_NEW_BUFFER, &newBuffer));
    CHECK(CALL(PDSStartAcquisition, DSStartAcquisition, stream, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE));
    CHECK(writeBig32(port, modeAddress, (uint32_t)continuous));
    CHECK(writeBig32(port, lockAddress, 1));
    CHECK(writeBig32(port, startAddress, 1));
    if (receive(newBuffer, stream, 3))
        return 1;

    size = sizeof before;
    CHECK(CALL(PGCReadPort, GCReadPort, port, rateAddress, before, &size));
    code = writeBigDouble(port, rateAddress, rate);
    EXPECT(code != GC_ERR_SUCCESS && lastErrorHas(code, "outside"));
    size = sizeof after;
    CHECK(CALL(PGCReadPort, GCReadPort, port, rateAddress, after, &size));
    EXPECT(memcmp(before, after, sizeof before) == 0);
    if (receive(newBuffer, stream, 5))
        return 1;

    CHECK(CALL(PDSStopAcquisition, DSStopAcquisition, stream, ACQ_STOP_FLAGS_DEFAULT));
    CHECK(writeBig32(port, stopAddress, 1));
    CHECK(writeBig32(port, lockAddress, 0));
    CHECK(CALL(PDSFlushQueue, DSFlushQueue, stream, ACQ_QUEUE_ALL_DISCARD));
    for (i = 0; i < BUFFERS; ++i)
        CHECK(CALL(PDSRevokeBuffer, DSRevokeBuffer, stream, buffers[i], NULL, NULL));
    CHECK(CALL(PGCUnregisterEvent, GCUnregisterEvent, stream, EVENT_NEW_BUFFER));
    CHECK(CALL(PDSClose, DSClose, stream));
    CHECK(CALL(PDevClose, DevClose, device));
    CHECK(CALL(PIFClose, IFClose, interface));
    CHECK(CALL(PTLClose, TLClose, system));
    CHECK(CALL(PGCCloseLib, GCCloseLib));
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
static int largest(void)
{
    TL_HANDLE system;
    IF_HANDLE interface;
    uint32_t count = 0;
    char id[256];
    size_t size = sizeof id;
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

static int child(const char* producer, const char* kind, const char* argument)
{
    int result;
    g_producer = dlopen(producer, RTLD_NOW | RTLD_LOCAL);
    if (!g_producer) {
        fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    if (strcmp(kind, "rate") == 0)
        result = absurdRate(strtod(argument, NULL));
    else if (strcmp(kind, "refused") == 0)
        result = refusedConfig(argument);
    else
        result = largest();
    if (dlclose(g_producer) != 0)
        return 3;
    return result;
}

/* ---- The driver ---- */

/* A scenario's PEX_SIM_CONFIG text is head, `count` times piece, a NUL byte
 * when nul is set, then tail. */
typedef struct Scenario {
    const char* name;
    const char* kind;
    const char* argument;
    const char* head;
    const char* piece;
    int count;
    int nul;
    const char* tail;
} Scenario;

static int writeConfig(const char* path, const Scenario* s)
{
    FILE* file = fopen(path, "wb");
    int i, ok;
    if (!file)
        return 0;
    ok = fputs(s->head, file) >= 0;
    for (i = 0; ok && i < s->count; ++i)
        ok = fputs(s->piece, file) >= 0;
    if (ok && s->nul)
        ok = fputc('\0', file) != EOF;
    ok = ok && fputs(s->tail, file) >= 0;
    return fclose(file) == 0 && ok;
}

static double seconds(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}

/* Runs one scenario as a child; 0 when it ended with exit code 0 in time. */
static int runChild(const char* self, const char* producer, const char* folder, int index, const Scenario* s)
{
    char path[512];
    pid_t pid;
    int status = 0;
    double start = seconds(), elapsed;
    snprintf(path, sizeof path, "%s/%d.ini", folder, index);
    if (!writeConfig(path, s))
        return 1;
    pid = fork();
    if (pid < 0)
        return 1;
    if (pid == 0) {
        setenv("PEX_SIM_CONFIG", path, 1);
        execl("/proc/self/exe", self, producer, "--child", s->kind, s->argument, (char*)NULL);
        _exit(127);
    }
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (seconds() - start > LIMIT_SECONDS) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            fprintf(stderr, "%s: still running after %d s, killed\n", s->name, LIMIT_SECONDS);
            return 1;
        }
        usleep(10000);
    }
    elapsed = seconds() - start;
    unlink(path);
    if (WIFSIGNALED(status)) {
        fprintf(stderr, "%s: ended by signal %d\n", s->name, WTERMSIG(status));
        return 1;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fprintf(stderr, "%s: exit code %d\n", s->name, WEXITSTATUS(status));
        return 1;
    }
    printf("%-34s ok  %.2f s\n", s->name, elapsed);
    fflush(stdout);
    return 0;
}

static int drive(const char* self, const char* producer, int repeat)
{
    static char largest[2048];
    const char* streaming = "[camera]\nwidth = 64\nheight = 48\nframe_rate = 1000\n";
    const Scenario scenarios[] = {
        {"frame rate 1e-300", "rate", "1e-300", streaming, "", 0, 0, ""},
        {"frame rate 1e-12", "rate", "1e-12", streaming, "", 0, 0, ""},
        {"frame rate inf", "rate", "inf", streaming, "", 0, 0, ""},
        {"frame rate nan", "rate", "nan", streaming, "", 0, 0, ""},
        {"frame rate 1e300", "rate", "1e300", streaming, "", 0, 0, ""},
        {"frame rate -1", "rate", "-1", streaming, "", 0, 0, ""},
        {"boards = 100000000000", "refused", "2", "[system]\nboards = 100000000000\n", "", 0, 0, ""},
        {"1000 systems of one board", "refused", "33", "", "[system]\nboards = 1\n", 1000, 0, ""},
        {"2000 systems of 4 boards", "refused", "33", "", "[system]\nboards = 4\n", 2000, 0, ""},
        {"400 cameras on a board", "refused", "2", "[board]\ncameras = 400\n", "", 0, 0, ""},
        {"5 MB model text", "refused", "2", "[camera]\nmodel = ", "M", 5 << 20, 0, "\n"},
        {"NUL in the model", "refused", "2", "[camera]\nmodel = CVN", "", 0, 1, "Sim\n"},
        {"configured frame rate 1e-12", "refused", "2", "[camera]\nframe_rate = 1e-12\n", "", 0, 0, ""},
        {"configured frame rate nan", "refused", "2", "[camera]\nframe_rate = nan\n", "", 0, 0, ""},
        {"the largest installation", "largest", "", largest, "[camera]\n", 16, 0, ""},
    };
    const int count = (int)(sizeof scenarios / sizeof scenarios[0]);
    char folder[] = "/tmp/consumer_values_XXXXXX";
    char* at = largest;
    int i, round, failed = 0;
    for (i = 0; i < 16; ++i) /* 8 Tarsil and 8 Quenda systems of 16 boards; the last has one */
        at += sprintf(at, "[system]\ntype = %d\nname = %s\nboards = 16\n", i < 8 ? 14 : 18,
                      i < 8 ? "TarsilCXP" : "QuendaCXP");
    if (!mkdtemp(folder))
        return 2;
    for (round = 0; round < repeat; ++round)
        for (i = 0; i < count; ++i)
            failed += runChild(self, producer, folder, i, &scenarios[i]);
    rmdir(folder);
    printf("%d of %d runs failed\n", failed, count * repeat);
    return failed ? 1 : 0;
}

int main(int argc, char** argv)
{
    if (argc >= 5 && strcmp(argv[2], "--child") == 0)
        return child(argv[1], argv[3], argv[4]);
    if (argc < 2) {
        fprintf(stderr, "usage: %s producer.cti [repeat]\n", argv[0]);
        return 2;
    }
    return drive(argv[0], argv[1], argc > 2 ? atoi(argv[2]) : 1);
}
