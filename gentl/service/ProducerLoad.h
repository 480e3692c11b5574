#pragma once
#include <cstdint>

namespace GenTLCore {

struct ProducerFactoryTable;

// The factory table of the plug-in being built: each plug-in target links
// one definition (the shipped producer its back end's, a test plug-in the
// test back end's).
const ProducerFactoryTable& ProducerFactories();
// The plug-in's own load steps, run once its service is made (the shipped
// producer builds its description texts and registers what its back end
// must undo at unload). Linked beside ProducerFactories.
void ProducerLoadSteps();

// What the producer does while it is loaded and unloaded. The plug-in runs
// these from one load function and one unload function, so that their order
// does not depend on the order of static initialisers across files.
class ProducerLoad {
public:
    // Opens a fresh call gate, makes the core guard, looks up the
    // producer's path, then makes the service from `table`, which goes to
    // the exports.
    static void Load(const ProducerFactoryTable& table);
    // An explicit unload: shuts the call gate for good, ends the waits in
    // progress and waits until no other thread is inside a call; then runs
    // the unload steps, frees the unloading thread's last error and ends
    // the core guard, which deletes the last-error store's thread key before
    // the store. At the end of the process it only deletes the last-error
    // store's thread key: the consumer's threads and the imaging library's
    // may still run inside the producer, and libraries it would call may
    // have destroyed their statics already, so everything else is left to
    // the operating system.
    static void Unload();
    // The user part of the library entry point: for process detach (0) and
    // thread detach (3) frees the calling thread's last error; returns 1.
    static int32_t DllMainHook(void* module, uint32_t reason, void* reserved);
    // Registers a step that Unload runs before the core guard ends; steps
    // run in the reverse order of their registration.
    static void AtUnload(void (*step)());

    enum Reason : uint32_t { PROCESS_DETACH = 0, PROCESS_ATTACH = 1, THREAD_ATTACH = 2, THREAD_DETACH = 3 };

private:
    static void InitCoreAtLoad();
};

}  // namespace GenTLCore
