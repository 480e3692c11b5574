#pragma once
#include "CountedPtr.h"
#include "DiscoveryList.h"
#include "GenTLModule.h"
#include "InterfaceTag.h"

#include <GenTL.h>

#include <cstdint>
#include <string>
#include <vector>

namespace GenTLCore {

class GenTLInterface;

// The GenTL system (TL) module, the one module under the library: the TL
// info queries, the list of interfaces that discovery found with its
// published part, interfaces handed out by id, and the System register map.
// The back end supplies interface discovery and interface creation.
//
// Every entry point takes the system's lock; discovery takes the
// interfaces' locks inside it (system before interface).
class GenTLSystem : public GenTLModule {
public:
    GenTLSystem();
    ~GenTLSystem() override;

    std::string& GetID(std::string& id) override;
    std::string& GetLogID(std::string& id) override;
    int32_t Close() override;
    void InitPortURLs() override;
    bool IsPortImplemented() override;
    std::string& GetPortModuleName(std::string& name) override;
    std::string& GetPortName(std::string& name) override;

    // TL info commands from 1000 up; here -1003.
    virtual int32_t GetTLSystemInfo(int32_t command, INFO_DATATYPE* type, void* buffer, size_t* size);
    // One tag per interface present now; GenTL code (with its own text).
    virtual int32_t DiscoverInterfaces(std::vector<CountedPtr<InterfaceTag>>* tags, uint64_t timeout) = 0;
    // A new interface for `tag`; never null (may throw std::bad_alloc).
    virtual CountedPtr<GenTLInterface> CreateInterface(const CountedPtr<InterfaceTag>& tag) = 0;

    GC_ERROR GetTLInfo(TL_INFO_CMD command, INFO_DATATYPE* type, void* buffer, size_t* size);
    GC_ERROR GetNumInterfaces(uint32_t* count);
    GC_ERROR GetInterfaceID(uint32_t index, char* buffer, size_t* size);
    GC_ERROR GetInterfaceInfo(const char* id, INTERFACE_INFO_CMD command, INFO_DATATYPE* type, void* buffer,
                              size_t* size);
    GC_ERROR ItfOpen(const char* id, CountedPtr<GenTLInterface>* interface);
    GC_ERROR UpdateInterfaceList(bool8_t* changed, uint64_t timeout);
    // One discovery run; callers hold the system lock.
    int32_t DiscoverAndPublishInterfaces(bool publish, uint64_t timeout);

    int32_t ReadUInt32Register(uint32_t id, uint32_t* value) override;
    int32_t ReadStringRegister(uint32_t id, std::string* value) override;
    int32_t WriteUInt32Register(uint32_t id, uint32_t value) override;
    int32_t WriteStringRegister(uint32_t id, const std::string& value) override;

private:
    void DeclareRegisters();

    std::string m_id;
    DiscoveryList<GenTLInterface, InterfaceTag> m_interfaces;
    uint32_t m_testValueA = 0;
    uint32_t m_testValueB = 0;
    std::string m_testStringA;
    std::string m_testStringB;
};

}  // namespace GenTLCore
