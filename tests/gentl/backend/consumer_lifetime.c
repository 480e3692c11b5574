/* A GenTL consumer in C that knows only GenTL.h and leaves the producer the
 * way a careless consumer does. It loads the producer named first on its
 * command line and runs the scenario named second:
 *   end_after_init ... end_after_stream  opens down to that depth and ends
 *       its process without GCCloseLib;
 *   end_while_streaming  ends while images flow and a thread waits for the
 *       next one in EventGetData;
 *   close_with_waiter  calls GCCloseLib while a thread waits in
 *       EventGetData without limit, then unloads the producer at once: the
 *       wait must have ended with GC_ERR_ABORT;
 *   unload_with_waiter  the same with the unload alone;
 *   unload_while_path_read  unloads the producer while a thread reads its
 *       path name; the unload waits, under the loader's lock, for the calls
 *       in flight, so the read must not enter the loader;
 *   call_while_closing  holds the waiter inside EventGetData (in a signal
 *       handler) so that GCCloseLib, called meanwhile, cannot finish: a
 *       call then answers -1002 and GCGetLastError tells why;
 *   close_and_unload_at_exit  registers an exit handler before it loads
 *       the producer, so that the handler runs after the producer has seen
 *       the process end: with a thread alive that holds a last error, the
 *       handler calls GCCloseLib, unloads the producer and then lets the
 *       thread end;
 *   close_while_callers_call  calls GCCloseLib while eight threads keep
 *       calling (two wait for buffers, the others ask for the system's id);
 *   unload_while_threads_end  unloads the producer while threads that hold
 *       a last error end, over several loads;
 *   announce_refused_while_flushing  announces buffers without a place for
 *       their handles, which is refused whatever else they ask, also while
 *       another thread flushes unqueued buffers to the input pool, then
 *       acquires;
 *   reregister_with_waiter  unregisters the new-buffer event while a thread
 *       waits on it without limit and registers it again at once, 20 times:
 *       each wait must end with GC_ERR_ABORT;
 *   reload_200_times  loads and unloads the producer 200 times: its driver
 *       folder must be on PATH once;
 *   path_kept_by_loads  loads the producer with a PATH entry in Latin-1,
 *       which stays as it was, and without PATH, after which `sh` is still
 *       found by name;
 *   announce_while_device_closes  closes the device while a thread keeps
 *       announcing buffers on its stream, over many opens: the stream going
 *       away answers GC_ERR_INVALID_HANDLE, nothing else fails;
 *   reopen_after_raced_close  closes and reopens the device 1000 times
 *       while threads open its stream and remote port and read the camera:
 *       every reopen succeeds;
 *   init_while_closing  calls GCInitLib and a second GCCloseLib while a
 *       held GCCloseLib cannot finish: the init waits for the close and
 *       initialises, the second close is refused; then threads keep
 *       calling both, and an init never hears that the library is not
 *       initialised;
 *   thread_ends_while_unloading  lets threads that hold a last error end
 *       while the unload frees the last-error store: their end must not
 *       make the producer a new store.
 * Exit code 0 when every step answered as expected; the process must end
 * by itself, without a signal. */
#define _GNU_SOURCE
#include "ConsumerCalls.h"

#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#define BUFFERS 4

static TL_HANDLE g_system;
static IF_HANDLE g_interface;
static DEV_HANDLE g_device;
static PORT_HANDLE g_port;
static DS_HANDLE g_stream;
static EVENT_HANDLE g_newBuffer;
static uint64_t g_startAddress;

/* A thread that takes new buffers and queues them again until a wait
 * fails. Its exports are resolved before it starts, so that it never looks
 * into a producer that was unloaded meanwhile, and it has called into the
 * producer once before it tells its id, so that from then on it can sleep
 * only inside a call. */
static struct {
    PEventGetInfo getInfo;
    PEventGetData getData;
    PDSQueueBuffer queue;
    pthread_t thread;
    pthread_mutex_t lock;
    pthread_cond_t changed;
    pid_t tid;
    unsigned images;
    GC_ERROR ended;
} g_waiter = {NULL, NULL, NULL, 0, PTHREAD_MUTEX_INITIALIZER, PTHREAD_COND_INITIALIZER, 0, 0, GC_ERR_SUCCESS};

static void* takeBuffers(void* unused)
{
    INFO_DATATYPE type;
    size_t queued = 0, infoSize = sizeof queued;
    (void)unused;
    g_waiter.getInfo(g_newBuffer, EVENT_NUM_IN_QUEUE, &type, &queued, &infoSize);
    pthread_mutex_lock(&g_waiter.lock);
    g_waiter.tid = (pid_t)syscall(SYS_gettid);
    pthread_cond_broadcast(&g_waiter.changed);
    pthread_mutex_unlock(&g_waiter.lock);
    for (;;) {
        EVENT_NEW_BUFFER_DATA item;
        size_t size = sizeof item;
        GC_ERROR code = g_waiter.getData(g_newBuffer, &item, &size, GENTL_INFINITE);
        pthread_mutex_lock(&g_waiter.lock);
        if (code == GC_ERR_SUCCESS)
            ++g_waiter.images;
        else
            g_waiter.ended = code;
        pthread_cond_broadcast(&g_waiter.changed);
        pthread_mutex_unlock(&g_waiter.lock);
        if (code != GC_ERR_SUCCESS || g_waiter.queue(g_stream, item.BufferHandle) != GC_ERR_SUCCESS)
            return NULL;
    }
}

static int startWaiter(void)
{
    g_waiter.getInfo = (PEventGetInfo)resolve("EventGetInfo");
    g_waiter.getData = (PEventGetData)resolve("EventGetData");
    g_waiter.queue = (PDSQueueBuffer)resolve("DSQueueBuffer");
    EXPECT(pthread_create(&g_waiter.thread, NULL, takeBuffers, NULL) == 0);
    pthread_mutex_lock(&g_waiter.lock);
    while (g_waiter.tid == 0)
        pthread_cond_wait(&g_waiter.changed, &g_waiter.lock);
    pthread_mutex_unlock(&g_waiter.lock);
    return 0;
}

/* True when the thread sleeps; a waiter that takes no images sleeps only
 * inside EventGetData. */
static int sleeping(pid_t tid)
{
    char path[64], stat[512] = {0};
    const char* end;
    FILE* file;
    snprintf(path, sizeof path, "/proc/self/task/%d/stat", (int)tid);
    file = fopen(path, "r");
    if (!file)
        return 0;
    if (!fgets(stat, sizeof stat, file))
        stat[0] = '\0';
    fclose(file);
    end = strrchr(stat, ')');
    return end && end[1] == ' ' && end[2] == 'S';
}

static int openLibrary(void)
{
    CHECK(CALL(PGCInitLib, GCInitLib));
    return 0;
}

static int openSystem(void)
{
    if (openLibrary())
        return 1;
    CHECK(CALL(PTLOpen, TLOpen, &g_system));
    CHECK(CALL(PTLUpdateInterfaceList, TLUpdateInterfaceList, g_system, NULL, 1000));
    return 0;
}

static int openInterface(void)
{
    char id[256];
    size_t size = sizeof id;
    if (openSystem())
        return 1;
    CHECK(CALL(PTLGetInterfaceID, TLGetInterfaceID, g_system, 0, id, &size));
    CHECK(CALL(PTLOpenInterface, TLOpenInterface, g_system, id, &g_interface));
    CHECK(CALL(PIFUpdateDeviceList, IFUpdateDeviceList, g_interface, NULL, 1000));
    return 0;
}

static int openDevice(void)
{
    char id[256];
    size_t size = sizeof id;
    char* xml;
    if (openInterface())
        return 1;
    CHECK(CALL(PIFGetDeviceID, IFGetDeviceID, g_interface, 0, id, &size));
    CHECK(CALL(PIFOpenDevice, IFOpenDevice, g_interface, id, DEVICE_ACCESS_EXCLUSIVE, &g_device));
    CHECK(CALL(PDevGetPort, DevGetPort, g_device, &g_port));
    xml = cameraDescription(g_port);
    EXPECT(xml != NULL);
    g_startAddress = featureAddress(xml, "AcquisitionStart");
    free(xml);
    EXPECT(g_startAddress != 0);
    return 0;
}

static int openStream(void)
{
    char id[256];
    size_t size = sizeof id;
    if (openDevice())
        return 1;
    CHECK(CALL(PDevGetDataStreamID, DevGetDataStreamID, g_device, 0, id, &size));
    CHECK(CALL(PDevOpenDataStream, DevOpenDataStream, g_device, id, &g_stream));
    return 0;
}

/* Buffers of the producer's memory queued, acquisition started; the camera
 * sends images only when `camera` is set. */
static int startStream(int camera)
{
    if (openStream())
        return 1;
    CHECK(queueProducerBuffers(g_stream, BUFFERS, NULL));
    CHECK(CALL(PGCRegisterEvent, GCRegisterEvent, g_stream, EVENT_NEW_BUFFER, &g_newBuffer));
    CHECK(CALL(PDSStartAcquisition, DSStartAcquisition, g_stream, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE));
    if (camera)
        CHECK(writeBig32(g_port, g_startAddress, 1));
    return 0;
}

static int endWhileStreaming(void)
{
    if (startStream(1) || startWaiter())
        return 1;
    pthread_mutex_lock(&g_waiter.lock);
    while (g_waiter.images < 3 && g_waiter.ended == GC_ERR_SUCCESS)
        pthread_cond_wait(&g_waiter.changed, &g_waiter.lock);
    pthread_mutex_unlock(&g_waiter.lock);
    if (g_waiter.ended != GC_ERR_SUCCESS)
        fprintf(stderr, "the wait for images ended with %d\n", (int)g_waiter.ended);
    EXPECT(g_waiter.ended == GC_ERR_SUCCESS);
    return 0;
}

/* Leaves the producer while the waiter sleeps in EventGetData (acquisition
 * running, no image coming): with GCCloseLib first when `close`, then the
 * unload. */
static int leaveWithWaiter(int close)
{
    if (startStream(0) || startWaiter())
        return 1;
    while (!sleeping(g_waiter.tid))
        usleep(1000);
    if (close)
        CHECK(CALL(PGCCloseLib, GCCloseLib));
    EXPECT(dlclose(g_producer) == 0);
    g_producer = NULL;
    EXPECT(pthread_join(g_waiter.thread, NULL) == 0);
    EXPECT(g_waiter.ended == GC_ERR_ABORT);
    return 0;
}

static int closeWithWaiter(void) { return leaveWithWaiter(1); }

static int unloadWithWaiter(void) { return leaveWithWaiter(0); }

/* Takes the place of libc's dladdr for the producer too: on a watched
 * thread it tells that it was reached and goes on into the loader only once
 * the main thread sleeps in its dlclose, which then holds the loader's
 * lock. */
static struct {
    int (*real)(const void*, Dl_info*);
    pid_t mainTid;
    int reached, unloading, done;
    GC_ERROR code;
} g_loaderCall;
static __thread int t_watched;

int dladdr(const void* address, Dl_info* info)
{
    if (t_watched) {
        __atomic_store_n(&g_loaderCall.reached, 1, __ATOMIC_SEQ_CST);
        while (!__atomic_load_n(&g_loaderCall.unloading, __ATOMIC_SEQ_CST) || !sleeping(g_loaderCall.mainTid))
            usleep(1000);
    }
    return g_loaderCall.real(address, info);
}

static void* readPath(void* getInfo)
{
    char path[4096];
    size_t size = sizeof path;
    INFO_DATATYPE type;
    t_watched = 1;
    g_loaderCall.code = ((PTLGetInfo)getInfo)(g_system, TL_INFO_PATHNAME, &type, path, &size);
    __atomic_store_n(&g_loaderCall.done, 1, __ATOMIC_SEQ_CST);
    return NULL;
}

/* The unload starts once the read has either answered or reached the
 * loader: in the latter case the two wait for each other for good. */
static int unloadWhilePathRead(void)
{
    pthread_t reader;
    if (openSystem())
        return 1;
    g_loaderCall.mainTid = (pid_t)syscall(SYS_gettid);
    EXPECT(pthread_create(&reader, NULL, readPath, resolve("TLGetInfo")) == 0);
    while (!__atomic_load_n(&g_loaderCall.reached, __ATOMIC_SEQ_CST) &&
           !__atomic_load_n(&g_loaderCall.done, __ATOMIC_SEQ_CST))
        usleep(1000);
    __atomic_store_n(&g_loaderCall.unloading, 1, __ATOMIC_SEQ_CST);
    EXPECT(dlclose(g_producer) == 0);
    g_producer = NULL;
    EXPECT(pthread_join(reader, NULL) == 0);
    EXPECT(g_loaderCall.code == GC_ERR_SUCCESS);
    return 0;
}

/* Keeps the thread it interrupts where it was until released. */
static int g_held[2], g_release[2];

static void holdThread(int signal)
{
    char byte = 0;
    (void)signal;
    if (write(g_held[1], &byte, 1) == 1)
        while (read(g_release[0], &byte, 1) != 1) {
        }
}

static GC_ERROR g_closed = GC_ERR_ERROR;

static void* closeLibrary(void* unused)
{
    (void)unused;
    g_closed = CALL(PGCCloseLib, GCCloseLib);
    return NULL;
}

static pthread_t g_closer;

/* Runs GCCloseLib on a thread of its own and keeps it from finishing: the
 * waiter is held inside EventGetData (in a signal handler), and the close
 * waits for it. Returns once the close has shut the gate, with the answer to
 * the first call it refused. */
static int holdClose(GC_ERROR* refused)
{
    char byte = 0;
    uint32_t count;
    if (startStream(0) || startWaiter())
        return 1;
    while (!sleeping(g_waiter.tid))
        usleep(1000);
    EXPECT(pipe(g_held) == 0 && pipe(g_release) == 0);
    EXPECT(signal(SIGUSR1, holdThread) != SIG_ERR);
    EXPECT(pthread_kill(g_waiter.thread, SIGUSR1) == 0);
    EXPECT(read(g_held[0], &byte, 1) == 1);
    EXPECT(pthread_create(&g_closer, NULL, closeLibrary, NULL) == 0);
    while ((*refused = CALL(PTLGetNumInterfaces, TLGetNumInterfaces, g_system, &count)) == GC_ERR_SUCCESS)
        usleep(1000);
    return 0;
}

/* Lets the held close finish: it must close, and the held wait must end
 * aborted. */
static int releaseClose(void)
{
    char byte = 0;
    EXPECT(write(g_release[1], &byte, 1) == 1);
    EXPECT(pthread_join(g_closer, NULL) == 0 && pthread_join(g_waiter.thread, NULL) == 0);
    EXPECT(g_closed == GC_ERR_SUCCESS && g_waiter.ended == GC_ERR_ABORT);
    return 0;
}

static int callWhileClosing(void)
{
    static const char kText[] = "TLGetNumInterfaces: the library is being closed";
    char text[128] = {0};
    size_t size = sizeof text;
    GC_ERROR code, lastCode = GC_ERR_SUCCESS;
    if (holdClose(&code))
        return 1;
    /* The first refused call is one refused for closing. */
    CHECK(CALL(PGCGetLastError, GCGetLastError, &lastCode, text, &size));
    if (releaseClose())
        return 1;
    EXPECT(code == GC_ERR_NOT_INITIALIZED && lastCode == GC_ERR_NOT_INITIALIZED);
    EXPECT(strcmp(text, kText) == 0);
    return 0;
}

/* A thread that has made one failing call and ends when told. */
static struct {
    pthread_t thread;
    int started;
    int failed[2];
    int release[2];
} g_worker;

static void* failOnce(void* unused)
{
    char byte = 0;
    (void)unused;
    CALL(PTLOpen, TLOpen, NULL);
    if (write(g_worker.failed[1], &byte, 1) != 1 || read(g_worker.release[0], &byte, 1) != 1)
        fprintf(stderr, "the worker's pipes failed\n");
    return NULL;
}

static void closeAndUnload(void)
{
    char byte = 0;
    if (!g_worker.started)
        return;
    if (CALL(PGCCloseLib, GCCloseLib) != GC_ERR_SUCCESS || dlclose(g_producer) != 0) {
        fprintf(stderr, "closing or unloading at exit failed\n");
        _exit(1);
    }
    g_producer = NULL;
    if (write(g_worker.release[1], &byte, 1) != 1 || pthread_join(g_worker.thread, NULL) != 0)
        _exit(1);
}

static int closeAndUnloadAtExit(void)
{
    char byte;
    if (openLibrary())
        return 1;
    EXPECT(pipe(g_worker.failed) == 0 && pipe(g_worker.release) == 0);
    EXPECT(pthread_create(&g_worker.thread, NULL, failOnce, NULL) == 0);
    g_worker.started = 1;
    EXPECT(read(g_worker.failed[0], &byte, 1) == 1);
    return 0;
}

/* Threads that keep calling into the producer until told to stop: the
 * first CALLERS_WAITING wait for new buffers without limit, the others ask
 * for the system's id as a status poller does. */
#define CALLERS 8
#define CALLERS_WAITING 2
static struct {
    PTLGetInfo getInfo;
    PEventGetData getData;
    pthread_t threads[CALLERS];
    unsigned calls[CALLERS];
    int stop;
} g_callers;

static void* keepCalling(void* slot)
{
    const size_t index = (size_t)slot;
    while (!__atomic_load_n(&g_callers.stop, __ATOMIC_SEQ_CST)) {
        char text[256];
        size_t size = sizeof text;
        INFO_DATATYPE type;
        if (index < CALLERS_WAITING)
            g_callers.getData(g_newBuffer, text, &size, GENTL_INFINITE);
        else
            g_callers.getInfo(g_system, TL_INFO_ID, &type, text, &size);
        __atomic_add_fetch(&g_callers.calls[index], 1, __ATOMIC_SEQ_CST);
    }
    return NULL;
}

static double seconds(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

/* GCCloseLib waits only for the calls it found inside: the calls refused
 * while it closes, however many, do not hold it up. The bound only tells a
 * close that hangs from one that returns. */
static int closeWhileCallersCall(void)
{
    size_t i;
    double started, took;
    GC_ERROR code;
    if (startStream(0))
        return 1;
    g_callers.getInfo = (PTLGetInfo)resolve("TLGetInfo");
    g_callers.getData = (PEventGetData)resolve("EventGetData");
    for (i = 0; i < CALLERS; ++i)
        EXPECT(pthread_create(&g_callers.threads[i], NULL, keepCalling, (void*)i) == 0);
    for (i = CALLERS_WAITING; i < CALLERS; ++i)
        while (__atomic_load_n(&g_callers.calls[i], __ATOMIC_SEQ_CST) < 100)
            usleep(1000);
    started = seconds();
    code = CALL(PGCCloseLib, GCCloseLib);
    took = seconds() - started;
    printf("GCCloseLib returned after %.1f ms\n", took * 1e3);
    /* None of the threads is left waiting: each one ends. */
    __atomic_store_n(&g_callers.stop, 1, __ATOMIC_SEQ_CST);
    for (i = 0; i < CALLERS; ++i)
        EXPECT(pthread_join(g_callers.threads[i], NULL) == 0);
    CHECK(code);
    EXPECT(took < 10.0);
    return 0;
}

/* Threads that hold a last error end while the producer is unloaded, over
 * several loads: a thread's end must not reach what the unload freed. */
#define ENDING_THREADS 16
static const char* g_producerPath;
#define UNLOAD_ROUNDS 10
static struct {
    pthread_mutex_t lock;
    pthread_cond_t changed;
    int failed, go;
    PTLOpen open;
} g_ending = {PTHREAD_MUTEX_INITIALIZER, PTHREAD_COND_INITIALIZER, 0, 0, NULL};

static void* failThenEnd(void* unused)
{
    (void)unused;
    g_ending.open(NULL);
    pthread_mutex_lock(&g_ending.lock);
    ++g_ending.failed;
    pthread_cond_broadcast(&g_ending.changed);
    while (!g_ending.go)
        pthread_cond_wait(&g_ending.changed, &g_ending.lock);
    pthread_mutex_unlock(&g_ending.lock);
    return NULL;
}

static int unloadWhileThreadsEnd(void)
{
    int round, i;
    pthread_t threads[ENDING_THREADS];
    for (round = 0; round < UNLOAD_ROUNDS; ++round) {
        if (round > 0 && loadProducer(g_producerPath) != 0)
            return 1;
        if (openLibrary())
            return 1;
        g_ending.open = (PTLOpen)resolve("TLOpen");
        g_ending.failed = g_ending.go = 0;
        for (i = 0; i < ENDING_THREADS; ++i)
            EXPECT(pthread_create(&threads[i], NULL, failThenEnd, NULL) == 0);
        pthread_mutex_lock(&g_ending.lock);
        while (g_ending.failed < ENDING_THREADS)
            pthread_cond_wait(&g_ending.changed, &g_ending.lock);
        g_ending.go = 1;
        pthread_cond_broadcast(&g_ending.changed);
        pthread_mutex_unlock(&g_ending.lock);
        CHECK(CALL(PGCCloseLib, GCCloseLib));
        EXPECT(dlclose(g_producer) == 0);
        g_producer = NULL;
        for (i = 0; i < ENDING_THREADS; ++i)
            EXPECT(pthread_join(threads[i], NULL) == 0);
    }
    return 0;
}

/* One thread announces buffers without a place for their handles, which
 * the producer refuses, and frees the consumer's memory at once, while
 * another keeps moving unqueued buffers to the input pool: the refused
 * buffers must leave no trace, so acquisition fills and delivers only the
 * buffers that were announced. */
#define REFUSED_ANNOUNCEMENTS 2000
static struct {
    PDSAnnounceBuffer announce;
    PDSAllocAndAnnounceBuffer allocAndAnnounce;
    PDSFlushQueue flush;
    uint64_t payload;
    int done, unexpected;
} g_refused;

static void* announceRefused(void* unused)
{
    int i;
    (void)unused;
    for (i = 0; i < REFUSED_ANNOUNCEMENTS; ++i) {
        void* memory = malloc(g_refused.payload);
        GC_ERROR code = i % 2 == 0 ? g_refused.announce(g_stream, memory, g_refused.payload, NULL, NULL)
                                   : g_refused.allocAndAnnounce(g_stream, g_refused.payload, NULL, NULL);
        free(memory);
        if (code != GC_ERR_INVALID_PARAMETER) {
            fprintf(stderr, "announcement %d without a handle pointer answered %d\n", i, (int)code);
            ++g_refused.unexpected;
        }
    }
    __atomic_store_n(&g_refused.done, 1, __ATOMIC_SEQ_CST);
    return NULL;
}

static void* flushUnqueued(void* unused)
{
    (void)unused;
    while (!__atomic_load_n(&g_refused.done, __ATOMIC_SEQ_CST))
        g_refused.flush(g_stream, ACQ_QUEUE_UNQUEUED_TO_INPUT);
    return NULL;
}

static int announceRefusedWhileFlushing(void)
{
    BUFFER_HANDLE buffers[BUFFERS];
    pthread_t announcer, flusher;
    void* base = NULL;
    size_t size = sizeof g_refused.payload;
    size_t announced = 0;
    INFO_DATATYPE type;
    int image, i;
    if (openStream())
        return 1;
    CHECK(queueProducerBuffers(g_stream, BUFFERS, buffers));
    CHECK(CALL(PDSGetInfo, DSGetInfo, g_stream, STREAM_INFO_PAYLOAD_SIZE, &type, &g_refused.payload, &size));
    g_refused.announce = (PDSAnnounceBuffer)resolve("DSAnnounceBuffer");
    g_refused.allocAndAnnounce = (PDSAllocAndAnnounceBuffer)resolve("DSAllocAndAnnounceBuffer");
    g_refused.flush = (PDSFlushQueue)resolve("DSFlushQueue");
    /* Refused before anything else is looked at: a zero size, a size no
     * memory holds, memory announced already. */
    size = sizeof base;
    CHECK(CALL(PDSGetBufferInfo, DSGetBufferInfo, g_stream, buffers[0], BUFFER_INFO_BASE, &type, &base, &size));
    EXPECT(g_refused.allocAndAnnounce(g_stream, 0, NULL, NULL) == GC_ERR_INVALID_PARAMETER);
    EXPECT(g_refused.allocAndAnnounce(g_stream, UINT64_MAX, NULL, NULL) == GC_ERR_INVALID_PARAMETER);
    EXPECT(g_refused.announce(g_stream, base, 0, NULL, NULL) == GC_ERR_INVALID_PARAMETER);
    EXPECT(g_refused.announce(g_stream, base, g_refused.payload, NULL, NULL) == GC_ERR_INVALID_PARAMETER);
    EXPECT(pthread_create(&announcer, NULL, announceRefused, NULL) == 0);
    EXPECT(pthread_create(&flusher, NULL, flushUnqueued, NULL) == 0);
    EXPECT(pthread_join(announcer, NULL) == 0 && pthread_join(flusher, NULL) == 0);
    EXPECT(g_refused.unexpected == 0);
    size = sizeof announced;
    CHECK(CALL(PDSGetInfo, DSGetInfo, g_stream, STREAM_INFO_NUM_ANNOUNCED, &type, &announced, &size));
    EXPECT(announced == BUFFERS);
    CHECK(CALL(PGCRegisterEvent, GCRegisterEvent, g_stream, EVENT_NEW_BUFFER, &g_newBuffer));
    CHECK(CALL(PDSStartAcquisition, DSStartAcquisition, g_stream, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE));
    CHECK(writeBig32(g_port, g_startAddress, 1));
    for (image = 0; image < 4 * BUFFERS; ++image) {
        EVENT_NEW_BUFFER_DATA item;
        int known = 0;
        size = sizeof item;
        CHECK(CALL(PEventGetData, EventGetData, g_newBuffer, &item, &size, 10000));
        for (i = 0; i < BUFFERS; ++i)
            known |= item.BufferHandle == buffers[i];
        EXPECT(known);
        CHECK(CALL(PDSQueueBuffer, DSQueueBuffer, g_stream, item.BufferHandle));
    }
    return 0;
}

/* One wait without limit on the event handed over, which ends with what the
 * wait answered. Like the waiter above, it calls into the producer once
 * before it tells its id. */
static struct {
    PEventGetInfo getInfo;
    PEventGetData getData;
    pthread_mutex_t lock;
    pthread_cond_t changed;
    pid_t tid;
    int ended;
    GC_ERROR code;
} g_once = {NULL, NULL, PTHREAD_MUTEX_INITIALIZER, PTHREAD_COND_INITIALIZER, 0, 0, GC_ERR_SUCCESS};

static void* waitOnce(void* event)
{
    EVENT_NEW_BUFFER_DATA item;
    INFO_DATATYPE type;
    size_t queued = 0, size = sizeof queued;
    GC_ERROR code;
    g_once.getInfo(event, EVENT_NUM_IN_QUEUE, &type, &queued, &size);
    pthread_mutex_lock(&g_once.lock);
    g_once.tid = (pid_t)syscall(SYS_gettid);
    pthread_cond_broadcast(&g_once.changed);
    pthread_mutex_unlock(&g_once.lock);
    size = sizeof item;
    code = g_once.getData(event, &item, &size, GENTL_INFINITE);
    pthread_mutex_lock(&g_once.lock);
    g_once.code = code;
    g_once.ended = 1;
    pthread_cond_broadcast(&g_once.changed);
    pthread_mutex_unlock(&g_once.lock);
    return NULL;
}

/* A consumer that restarts its event while a worker waits on it must be able
 * to join the worker: the unregistration ends the wait, whatever follows. The
 * bound only tells a wait that ends from one that never does. */
#define REREGISTER_ROUNDS 20
static int reregisterWithWaiter(void)
{
    int round;
    double longest = 0.0;
    if (startStream(0))
        return 1;
    g_once.getInfo = (PEventGetInfo)resolve("EventGetInfo");
    g_once.getData = (PEventGetData)resolve("EventGetData");
    for (round = 0; round < REREGISTER_ROUNDS; ++round) {
        pthread_t waiter;
        struct timespec deadline;
        double started;
        int ended;
        g_once.tid = 0;
        g_once.ended = 0;
        EXPECT(pthread_create(&waiter, NULL, waitOnce, g_newBuffer) == 0);
        pthread_mutex_lock(&g_once.lock);
        while (g_once.tid == 0)
            pthread_cond_wait(&g_once.changed, &g_once.lock);
        pthread_mutex_unlock(&g_once.lock);
        while (!sleeping(g_once.tid))
            usleep(1000);
        started = seconds();
        CHECK(CALL(PGCUnregisterEvent, GCUnregisterEvent, g_stream, EVENT_NEW_BUFFER));
        CHECK(CALL(PGCRegisterEvent, GCRegisterEvent, g_stream, EVENT_NEW_BUFFER, &g_newBuffer));
        clock_gettime(CLOCK_REALTIME, &deadline);
        deadline.tv_sec += 10;
        pthread_mutex_lock(&g_once.lock);
        while (!g_once.ended && pthread_cond_timedwait(&g_once.changed, &g_once.lock, &deadline) == 0) {
        }
        ended = g_once.ended;
        pthread_mutex_unlock(&g_once.lock);
        if (!ended) {
            fprintf(stderr, "round %d: the wait outlived the unregistration\n", round);
            return 1;
        }
        if (seconds() - started > longest)
            longest = seconds() - started;
        EXPECT(pthread_join(waiter, NULL) == 0);
        if (g_once.code != GC_ERR_ABORT)
            fprintf(stderr, "round %d: the wait ended with %d\n", round, (int)g_once.code);
        EXPECT(g_once.code == GC_ERR_ABORT);
    }
    printf("the slowest wait ended %.1f ms after the unregistration\n", longest * 1e3);
    return 0;
}

/* A consumer may reload a producer all day: its driver folder (the entry
 * the first load appended) stays on PATH once, and PATH stays as the first
 * load left it. */
#define RELOADS 200
static int reloadManyTimes(void)
{
    const char* now = getenv("PATH");
    char* first = strdup(now ? now : "");
    const char* folder;
    const char* entry;
    size_t length;
    int round, count = 0;
    EXPECT(first != NULL);
    folder = strrchr(first, ':') ? strrchr(first, ':') + 1 : first;
    length = strlen(folder);
    for (round = 1; round < RELOADS; ++round) {
        EXPECT(dlclose(g_producer) == 0);
        g_producer = dlopen(g_producerPath, RTLD_NOW | RTLD_NOLOAD);
        EXPECT(g_producer == NULL);  /* unloaded, so that the next load is one */
        if (loadProducer(g_producerPath) != 0)
            return 1;
    }
    now = getenv("PATH");
    EXPECT(now != NULL);
    for (entry = now; entry; entry = strchr(entry, ':') ? strchr(entry, ':') + 1 : NULL)
        count += strncmp(entry, folder, length) == 0 && (entry[length] == ':' || entry[length] == '\0');
    if (count != 1 || strcmp(now, first) != 0)
        fprintf(stderr, "%s is %d times on PATH (%zu bytes, %zu after the first load)\n", folder, count,
                strlen(now), strlen(first));
    EXPECT(count == 1);
    EXPECT(strcmp(now, first) == 0);
    free(first);
    return 0;
}

/* PATH holds bytes: a load keeps an entry that is not UTF-8 as it was, and
 * a load without PATH leaves the system's programs found by name. */
static int pathKeptByLoads(void)
{
    static const char before[] = "/opt/caf\xe9/bin:/usr/bin:/bin";
    char* const shell[] = {"sh", "-c", "exit 7", NULL};
    const char* now;
    pid_t child;
    int status;
    EXPECT(dlclose(g_producer) == 0);
    EXPECT(setenv("PATH", before, 1) == 0);
    if (loadProducer(g_producerPath) != 0)
        return 1;
    now = getenv("PATH");
    EXPECT(now && strncmp(now, before, strlen(before)) == 0 && now[strlen(before)] == ':');
    EXPECT(dlclose(g_producer) == 0);
    EXPECT(unsetenv("PATH") == 0);
    if (loadProducer(g_producerPath) != 0)
        return 1;
    EXPECT(posix_spawnp(&child, "sh", NULL, NULL, shell, environ) == 0);
    EXPECT(waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 7);
    return 0;
}

/* One thread announces buffers (consumer memory and the producer's in
 * turn) and revokes them again on the stream while the main thread closes
 * its device: the stream going away answers GC_ERR_INVALID_HANDLE to the
 * calls that race it, as to every later one. */
#define CLOSE_ROUNDS 500
static struct {
    PDSAnnounceBuffer announce;
    PDSAllocAndAnnounceBuffer allocAndAnnounce;
    PDSRevokeBuffer revoke;
    uint64_t payload;
    unsigned calls;
    int unexpected;
} g_racing;

static void* announceUntilGone(void* unused)
{
    unsigned i;
    (void)unused;
    for (i = 0;; ++i) {
        void* memory = i % 2 == 0 ? malloc(g_racing.payload) : NULL;
        BUFFER_HANDLE buffer = NULL;
        GC_ERROR code = memory ? g_racing.announce(g_stream, memory, g_racing.payload, NULL, &buffer)
                               : g_racing.allocAndAnnounce(g_stream, g_racing.payload, NULL, &buffer);
        GC_ERROR revoked = GC_ERR_SUCCESS;
        if (code == GC_ERR_SUCCESS)
            revoked = g_racing.revoke(g_stream, buffer, NULL, NULL);
        /* Revoked, or gone with its stream. */
        free(memory);
        __atomic_add_fetch(&g_racing.calls, 1, __ATOMIC_SEQ_CST);
        if (revoked != GC_ERR_SUCCESS && revoked != GC_ERR_INVALID_HANDLE) {
            fprintf(stderr, "a revocation racing DevClose answered %d\n", (int)revoked);
            ++g_racing.unexpected;
        }
        if (code == GC_ERR_INVALID_HANDLE)
            return NULL;
        if (code != GC_ERR_SUCCESS) {
            fprintf(stderr, "announcement %u racing DevClose answered %d\n", i, (int)code);
            ++g_racing.unexpected;
            return NULL;
        }
    }
}

static int announceWhileDeviceCloses(void)
{
    char device[256], id[256];
    size_t size = sizeof device;
    INFO_DATATYPE type;
    int round;
    if (openInterface())
        return 1;
    CHECK(CALL(PIFGetDeviceID, IFGetDeviceID, g_interface, 0, device, &size));
    g_racing.announce = (PDSAnnounceBuffer)resolve("DSAnnounceBuffer");
    g_racing.allocAndAnnounce = (PDSAllocAndAnnounceBuffer)resolve("DSAllocAndAnnounceBuffer");
    g_racing.revoke = (PDSRevokeBuffer)resolve("DSRevokeBuffer");
    for (round = 0; round < CLOSE_ROUNDS && g_racing.unexpected == 0; ++round) {
        pthread_t announcer;
        unsigned before;
        CHECK(CALL(PIFOpenDevice, IFOpenDevice, g_interface, device, DEVICE_ACCESS_EXCLUSIVE, &g_device));
        size = sizeof id;
        CHECK(CALL(PDevGetDataStreamID, DevGetDataStreamID, g_device, 0, id, &size));
        CHECK(CALL(PDevOpenDataStream, DevOpenDataStream, g_device, id, &g_stream));
        size = sizeof g_racing.payload;
        CHECK(CALL(PDSGetInfo, DSGetInfo, g_stream, STREAM_INFO_PAYLOAD_SIZE, &type, &g_racing.payload, &size));
        before = __atomic_load_n(&g_racing.calls, __ATOMIC_SEQ_CST);
        EXPECT(pthread_create(&announcer, NULL, announceUntilGone, NULL) == 0);
        /* The close meets the announcements at a different step each round. */
        while (__atomic_load_n(&g_racing.calls, __ATOMIC_SEQ_CST) < before + 1 + (unsigned)round % 16)
            usleep(100);
        CHECK(CALL(PDevClose, DevClose, g_device));
        EXPECT(pthread_join(announcer, NULL) == 0);
    }
    EXPECT(g_racing.unexpected == 0);
    return 0;
}

/* Two threads open the device's stream, ask for its payload, announce a
 * buffer, close the stream again and read the camera through the remote
 * port, on the device handle that the main thread closes and opens again at
 * once: every open after a close answers 0, and a read answers 0 or, once
 * the port is gone, GC_ERR_INVALID_HANDLE. */
#define REOPEN_ROUNDS 1000
#define REOPEN_RACERS 2
static struct {
    char stream[256];
    int stop, unexpected;
    unsigned calls;
} g_reopen;

static void* raceTheClose(void* unused)
{
    (void)unused;
    while (!__atomic_load_n(&g_reopen.stop, __ATOMIC_SEQ_CST)) {
        DEV_HANDLE device = __atomic_load_n(&g_device, __ATOMIC_SEQ_CST);
        DS_HANDLE stream;
        BUFFER_HANDLE buffer;
        PORT_HANDLE remote;
        INFO_DATATYPE type;
        uint64_t payload = 0;
        uint32_t word;
        size_t size = sizeof payload;
        GC_ERROR code;
        if (CALL(PDevOpenDataStream, DevOpenDataStream, device, g_reopen.stream, &stream) == GC_ERR_SUCCESS) {
            if (CALL(PDSGetInfo, DSGetInfo, stream, STREAM_INFO_PAYLOAD_SIZE, &type, &payload, &size) ==
                GC_ERR_SUCCESS)
                CALL(PDSAllocAndAnnounceBuffer, DSAllocAndAnnounceBuffer, stream, payload, NULL, &buffer);
            CALL(PDSClose, DSClose, stream);
        }
        size = sizeof word;
        code = CALL(PDevGetPort, DevGetPort, device, &remote);
        if (code == GC_ERR_SUCCESS)
            code = CALL(PGCReadPort, GCReadPort, remote, 0, &word, &size);
        if (code != GC_ERR_SUCCESS && code != GC_ERR_INVALID_HANDLE) {
            fprintf(stderr, "a remote port racing DevClose answered %d\n", (int)code);
            __atomic_add_fetch(&g_reopen.unexpected, 1, __ATOMIC_SEQ_CST);
        }
        __atomic_add_fetch(&g_reopen.calls, 1, __ATOMIC_SEQ_CST);
    }
    return NULL;
}

static int reopenAfterRacedClose(void)
{
    pthread_t racers[REOPEN_RACERS];
    char device[256], text[512];
    size_t size = sizeof device;
    DEV_HANDLE opened;
    GC_ERROR code = GC_ERR_SUCCESS, last;
    unsigned round, i;
    if (openInterface())
        return 1;
    CHECK(CALL(PIFGetDeviceID, IFGetDeviceID, g_interface, 0, device, &size));
    CHECK(CALL(PIFOpenDevice, IFOpenDevice, g_interface, device, DEVICE_ACCESS_EXCLUSIVE, &g_device));
    size = sizeof g_reopen.stream;
    CHECK(CALL(PDevGetDataStreamID, DevGetDataStreamID, g_device, 0, g_reopen.stream, &size));
    for (i = 0; i < REOPEN_RACERS; ++i)
        EXPECT(pthread_create(&racers[i], NULL, raceTheClose, NULL) == 0);
    for (round = 0; round < REOPEN_ROUNDS && code == GC_ERR_SUCCESS; ++round) {
        /* The close meets the racers at a different step each round. */
        const unsigned before = __atomic_load_n(&g_reopen.calls, __ATOMIC_SEQ_CST);
        while (__atomic_load_n(&g_reopen.calls, __ATOMIC_SEQ_CST) < before + 1 + round % 16)
            usleep(50);
        CHECK(CALL(PDevClose, DevClose, g_device));
        code = CALL(PIFOpenDevice, IFOpenDevice, g_interface, device, DEVICE_ACCESS_EXCLUSIVE, &opened);
        if (code == GC_ERR_SUCCESS)
            __atomic_store_n(&g_device, opened, __ATOMIC_SEQ_CST);
    }
    __atomic_store_n(&g_reopen.stop, 1, __ATOMIC_SEQ_CST);
    for (i = 0; i < REOPEN_RACERS; ++i)
        EXPECT(pthread_join(racers[i], NULL) == 0);
    size = sizeof text;
    if (code != GC_ERR_SUCCESS && CALL(PGCGetLastError, GCGetLastError, &last, text, &size) == GC_ERR_SUCCESS)
        fprintf(stderr, "round %u: IFOpenDevice after DevClose answered %d: %s\n", round, (int)code, text);
    EXPECT(code == GC_ERR_SUCCESS);
    EXPECT(g_reopen.unexpected == 0);
    return 0;
}

/* GCInitLib on a thread of its own. */
static struct {
    pthread_t thread;
    pid_t tid;
    int ended;
    GC_ERROR code;
} g_init;

static void* initLibrary(void* unused)
{
    (void)unused;
    __atomic_store_n(&g_init.tid, (pid_t)syscall(SYS_gettid), __ATOMIC_SEQ_CST);
    g_init.code = CALL(PGCInitLib, GCInitLib);
    __atomic_store_n(&g_init.ended, 1, __ATOMIC_SEQ_CST);
    return NULL;
}

/* Threads that keep initialising and closing the library. */
#define INIT_CLOSE_THREADS 4
#define INIT_CLOSE_CALLS 2000
static struct {
    PGCInitLib init;
    PGCCloseLib close;
    int unexpected;
} g_initClose;

static void* initOrCloseRepeatedly(void* slot)
{
    const int init = (size_t)slot % 2 == 0;
    int i;
    for (i = 0; i < INIT_CLOSE_CALLS; ++i) {
        const GC_ERROR code = init ? g_initClose.init() : g_initClose.close();
        const int expected = code == GC_ERR_SUCCESS ||
                             code == (init ? GC_ERR_RESOURCE_IN_USE : GC_ERR_NOT_INITIALIZED);
        if (!expected) {
            fprintf(stderr, "%s answered %d\n", init ? "GCInitLib" : "GCCloseLib", (int)code);
            __atomic_add_fetch(&g_initClose.unexpected, 1, __ATOMIC_SEQ_CST);
            return NULL;
        }
    }
    return NULL;
}

/* An init that meets a close waits for it and then initialises; a second
 * close meanwhile is refused. Then, with inits and closes from several
 * threads at once, an init answers 0 or that another thread initialised,
 * a close 0 or GC_ERR_NOT_INITIALIZED (another close runs, or none is left
 * to do). */
static int initWhileClosing(void)
{
    pthread_t threads[INIT_CLOSE_THREADS];
    GC_ERROR refused, second;
    pid_t tid;
    size_t i;
    if (holdClose(&refused))
        return 1;
    second = CALL(PGCCloseLib, GCCloseLib);
    EXPECT(pthread_create(&g_init.thread, NULL, initLibrary, NULL) == 0);
    /* The init has met the close once it sleeps (it waits) or has answered. */
    while (!(tid = __atomic_load_n(&g_init.tid, __ATOMIC_SEQ_CST)) ||
           (!__atomic_load_n(&g_init.ended, __ATOMIC_SEQ_CST) && !sleeping(tid)))
        usleep(1000);
    if (releaseClose())
        return 1;
    EXPECT(pthread_join(g_init.thread, NULL) == 0);
    if (g_init.code != GC_ERR_SUCCESS)
        fprintf(stderr, "GCInitLib during GCCloseLib answered %d\n", (int)g_init.code);
    EXPECT(refused == GC_ERR_NOT_INITIALIZED && second == GC_ERR_NOT_INITIALIZED);
    EXPECT(g_init.code == GC_ERR_SUCCESS);

    g_initClose.init = (PGCInitLib)resolve("GCInitLib");
    g_initClose.close = (PGCCloseLib)resolve("GCCloseLib");
    for (i = 0; i < INIT_CLOSE_THREADS; ++i)
        EXPECT(pthread_create(&threads[i], NULL, initOrCloseRepeatedly, (void*)i) == 0);
    for (i = 0; i < INIT_CLOSE_THREADS; ++i)
        EXPECT(pthread_join(threads[i], NULL) == 0);
    EXPECT(g_initClose.unexpected == 0);
    return 0;
}

/* Take the place of libc's pthread_key_create and pthread_key_delete. Once
 * armed, the unload's deletion of the producer's last-error key first lets
 * the ending threads end and waits for them, so that each one's end runs
 * while the unload frees the store; a key one of them creates meanwhile is
 * recorded: a store made then outlives the unload. */
#define ENDING_THREADS_AT_UNLOAD 8
static struct {
    int (*realCreate)(pthread_key_t*, void (*)(void*));
    int (*realDelete)(pthread_key_t);
    int armed, released, createdWhileEnding, failed;
    int go[2];
    pthread_t threads[ENDING_THREADS_AT_UNLOAD];
} g_keys;
static __thread int t_ending;

/* The thread sanitizer's start creates a key before it can follow any call:
 * this one is not instrumented. */
__attribute__((no_sanitize("thread"))) int pthread_key_create(pthread_key_t* key, void (*destructor)(void*))
{
    if (!g_keys.realCreate)
        g_keys.realCreate = (int (*)(pthread_key_t*, void (*)(void*)))dlsym(RTLD_NEXT, "pthread_key_create");
    if (t_ending)
        __atomic_store_n(&g_keys.createdWhileEnding, 1, __ATOMIC_SEQ_CST);
    return g_keys.realCreate(key, destructor);
}

static void releaseEndingThreads(void)
{
    char bytes[ENDING_THREADS_AT_UNLOAD] = {0};
    int i;
    if (write(g_keys.go[1], bytes, sizeof bytes) != (ssize_t)sizeof bytes)
        _exit(1);
    for (i = 0; i < ENDING_THREADS_AT_UNLOAD; ++i)
        pthread_join(g_keys.threads[i], NULL);
}

int pthread_key_delete(pthread_key_t key)
{
    if (!g_keys.realDelete)
        g_keys.realDelete = (int (*)(pthread_key_t))dlsym(RTLD_NEXT, "pthread_key_delete");
    if (__atomic_exchange_n(&g_keys.armed, 0, __ATOMIC_SEQ_CST)) {
        releaseEndingThreads();
        g_keys.released = 1;
    }
    return g_keys.realDelete(key);
}

static void* failThenEndAtUnload(void* open)
{
    char byte;
    t_ending = 1;
    ((PTLOpen)open)(NULL);
    __atomic_add_fetch(&g_keys.failed, 1, __ATOMIC_SEQ_CST);
    if (read(g_keys.go[0], &byte, 1) != 1)
        fprintf(stderr, "the ending thread's pipe failed\n");
    return NULL;
}

static int threadEndsWhileUnloading(void)
{
    int i;
    if (openLibrary())
        return 1;
    EXPECT(pipe(g_keys.go) == 0);
    for (i = 0; i < ENDING_THREADS_AT_UNLOAD; ++i)
        EXPECT(pthread_create(&g_keys.threads[i], NULL, failThenEndAtUnload, resolve("TLOpen")) == 0);
    while (__atomic_load_n(&g_keys.failed, __ATOMIC_SEQ_CST) < ENDING_THREADS_AT_UNLOAD)
        usleep(1000);
    __atomic_store_n(&g_keys.armed, 1, __ATOMIC_SEQ_CST);
    EXPECT(dlclose(g_producer) == 0);
    g_producer = NULL;
    if (!g_keys.released) {
        fprintf(stderr, "the unload deleted no key\n");
        releaseEndingThreads();
        return 1;
    }
    EXPECT(!__atomic_load_n(&g_keys.createdWhileEnding, __ATOMIC_SEQ_CST));
    return 0;
}

/* atExit, where given, is registered before the producer is loaded. */
static const struct {
    const char* name;
    int (*run)(void);
    void (*atExit)(void);
} kScenarios[] = {
    {"end_after_init", openLibrary, NULL},
    {"end_after_system", openSystem, NULL},
    {"end_after_interface", openInterface, NULL},
    {"end_after_device", openDevice, NULL},
    {"end_after_stream", openStream, NULL},
    {"end_while_streaming", endWhileStreaming, NULL},
    {"close_with_waiter", closeWithWaiter, NULL},
    {"unload_with_waiter", unloadWithWaiter, NULL},
    {"unload_while_path_read", unloadWhilePathRead, NULL},
    {"call_while_closing", callWhileClosing, NULL},
    {"close_and_unload_at_exit", closeAndUnloadAtExit, closeAndUnload},
    {"close_while_callers_call", closeWhileCallersCall, NULL},
    {"unload_while_threads_end", unloadWhileThreadsEnd, NULL},
    {"announce_refused_while_flushing", announceRefusedWhileFlushing, NULL},
    {"reregister_with_waiter", reregisterWithWaiter, NULL},
    {"reload_200_times", reloadManyTimes, NULL},
    {"path_kept_by_loads", pathKeptByLoads, NULL},
    {"announce_while_device_closes", announceWhileDeviceCloses, NULL},
    {"reopen_after_raced_close", reopenAfterRacedClose, NULL},
    {"init_while_closing", initWhileClosing, NULL},
    {"thread_ends_while_unloading", threadEndsWhileUnloading, NULL},
};

int main(int argc, char** argv)
{
    size_t i;
    if (argc < 3) {
        fprintf(stderr, "usage: %s producer.cti scenario\n", argv[0]);
        return 2;
    }
    g_loaderCall.real = (int (*)(const void*, Dl_info*))dlsym(RTLD_NEXT, "dladdr");
    for (i = 0; i < sizeof kScenarios / sizeof kScenarios[0]; ++i) {
        if (strcmp(argv[2], kScenarios[i].name) != 0)
            continue;
        if (kScenarios[i].atExit && atexit(kScenarios[i].atExit) != 0)
            return 2;
        g_producerPath = argv[1];
        if (loadProducer(argv[1]) != 0)
            return 2;
        /* Whatever the scenario left open stays open. */
        return kScenarios[i].run();
    }
    fprintf(stderr, "unknown scenario %s\n", argv[2]);
    return 2;
}
