#pragma once
#include "GenTLModule.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <string>

namespace GenTLTest {

// A module of the test back end over a register map of every kind:
//   0x00 string 64 RO  (id 1)       0x40 uint32 RW (id 2)
//   0x44 int32 WO      (id 3)       0x48 uint64 RW (id 4)
//   0x50 string 16 RW  (id 5)       0x60 string 16 WO (id 6)
//   hole 0x70..0x100                0x100 uint32 dynamic (id 8)
//   0x10000 uint32 RW custom        0xF0000000 the branding's system
//   description, RO (id 9)
// Values live in two maps by id. With a module-event size it has module
// events. It counts the back end's arming and disarming of event types.
class TestModule : public GenTLCore::GenTLModule {
public:
    static constexpr uint32_t kCustomId = 0x10000;

    explicit TestModule(uint64_t moduleEventMaxSize = 0);
    ~TestModule() override;

    std::string& GetID(std::string& id) override { return id = "TestModule"; }
    std::string& GetPortModuleName(std::string& name) override { return name = "TLTest"; }
    std::string& GetPortName(std::string& name) override { return name = "TestPort"; }
    void InitPortURLs() override;

    int32_t GetDynamicAccess(uint32_t id) override;
    int32_t ReadInt32Register(uint32_t id, int32_t* value) override;
    int32_t ReadUInt32Register(uint32_t id, uint32_t* value) override;
    int32_t ReadUInt64Register(uint32_t id, uint64_t* value) override;
    int32_t ReadStringRegister(uint32_t id, std::string* value) override;
    int32_t WriteInt32Register(uint32_t id, int32_t value) override;
    int32_t WriteUInt32Register(uint32_t id, uint32_t value) override;
    int32_t WriteUInt64Register(uint32_t id, uint64_t value) override;
    int32_t WriteStringRegister(uint32_t id, const std::string& value) override;
    void AddCustomRegisters() override;
    int32_t ReadCustomUInt32Register(uint32_t id, uint32_t* value) override;
    int32_t WriteCustomUInt32Register(uint32_t id, uint32_t value) override;

    int32_t RegisterTLEvent(int32_t type) override;
    bool UnregisterTLEvent(int32_t type) override;
    bool GetModuleEventMaxSize(uint64_t* maxSize) override;

    std::map<uint32_t, uint64_t> numbers;
    std::map<uint32_t, std::string> texts;
    int32_t dynamicAccess = 2;
    std::atomic<int> arms{0};
    std::atomic<int> disarms{0};
    bool failDisarm = false;

private:
    const uint64_t m_moduleEventMaxSize;
};

}  // namespace GenTLTest
