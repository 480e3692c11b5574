#pragma once
#include "GenTLPort.h"
#include "GenTLRegisterMap.h"

#include <string>

namespace GenTLCore {

// A port whose data operations go to its register map.
class GenTLRegMapPort : public GenTLPort, public GenTLRegisterMap {
public:
    GenTLRegMapPort() = default;
    ~GenTLRegMapPort() override;

    // False for modules without a port (the buffer): their port operations
    // then fail with -1003.
    virtual bool IsPortImplemented();
    // The PORT_INFO_MODULE text.
    virtual std::string& GetPortModuleName(std::string& name) = 0;
    // The PORT_INFO_PORTNAME text.
    virtual std::string& GetPortName(std::string& name) = 0;

    int32_t ReadPortData(uint64_t address, void* buffer, uint64_t* size) override;
    int32_t WritePortData(uint64_t address, const void* buffer, uint64_t* size) override;
    int32_t GetPortInfo(int32_t command, INFO_DATATYPE* type, void* buffer, size_t* size) override;
};

}  // namespace GenTLCore
