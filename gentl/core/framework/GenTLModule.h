#pragma once
#include "GenTLEventSrc.h"
#include "GenTLRegMapPort.h"
#include "PortURLRecord.h"

#include <string>
#include <vector>

namespace GenTLCore {

// Base of every GenTL module (system, interface, local device, data stream,
// buffer): a register-map port with its handle's lock and open flag, and an
// event source. The handle a consumer receives is the address of the
// GenTLHandle part, which is also the object's address.
//
// Lock order of the whole producer: the handle pool's lock before any module
// lock; module locks parent before child (system, interface, device,
// stream); under a module lock, a stream's engine lock or a device's
// hook-manager lock; the engine lock before a buffer lock; an event queue's
// lock before a buffer lock, never the other way. The acquisition thread
// and the imaging library's hook callbacks take neither the pool lock nor a
// module lock: stop and unhook wait for them while holding those.
//
// Whoever creates a module runs InitPortURLsOnce right after construction.
// There, once the object is whole (so that the back end's AddCustomRegisters
// is the one called), the module builds its register map (its registers,
// AddCustomRegisters, FinalizeRegMap), publishes its port URLs and sets up
// its event source.
class GenTLModule : public GenTLRegMapPort, public GenTLEventSrc {
public:
    GenTLModule() = default;
    ~GenTLModule() override;

    // The handle's lock is the module lock.
    CriticalSection& GetModuleLock() override { return GenTLHandle::GetModuleLock(); }

    // The handle value of this module.
    void* Handle() { return static_cast<GenTLHandle*>(this); }

    // Port address of every module's register description.
    static constexpr uint64_t kDescriptionAddress = 0xF0000000;
    // The record of a description served at kDescriptionAddress: its
    // "local:" URL, the branding's file version, schema version 1.1, the
    // SHA-1 bytes, local scheme, address, size and file name.
    static PortURLRecord DescriptionUrl(const std::string& fileName, const std::string& description,
                                        const std::vector<uint8_t>& sha1);
};

}  // namespace GenTLCore
