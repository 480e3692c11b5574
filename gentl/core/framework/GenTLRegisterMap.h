#pragma once
#include "Register.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace GenTLCore {

// The register map of a module port: registers ordered by address, turning a
// read or write of any address range into typed reads and writes of the
// registers it covers. The module answers the typed operations by register
// id; ids from kFirstCustomRegisterId on go to the custom operations. The map
// has no lock: it runs under the owning module's lock.
//
// Build order: the module adds its registers, calls AddCustomRegisters, then
// FinalizeRegMap; reads and writes are served after that.
class GenTLRegisterMap {
public:
    GenTLRegisterMap() = default;
    virtual ~GenTLRegisterMap();
    GenTLRegisterMap(const GenTLRegisterMap&) = delete;
    GenTLRegisterMap& operator=(const GenTLRegisterMap&) = delete;

    // Access of a register whose stored access code is REG_ACCESS_DYNAMIC.
    virtual int32_t GetDynamicAccess(uint32_t id);
    virtual int32_t ReadInt32Register(uint32_t id, int32_t* value);
    virtual int32_t ReadUInt32Register(uint32_t id, uint32_t* value);
    virtual int32_t ReadUInt64Register(uint32_t id, uint64_t* value);
    virtual int32_t ReadStringRegister(uint32_t id, std::string* value);
    virtual int32_t WriteInt32Register(uint32_t id, int32_t value);
    virtual int32_t WriteUInt32Register(uint32_t id, uint32_t value);
    virtual int32_t WriteUInt64Register(uint32_t id, uint64_t value);
    virtual int32_t WriteStringRegister(uint32_t id, const std::string& value);
    // The back end adds its custom registers here.
    virtual void AddCustomRegisters();
    virtual int32_t ReadCustomInt32Register(uint32_t id, int32_t* value);
    virtual int32_t ReadCustomUInt32Register(uint32_t id, uint32_t* value);
    virtual int32_t ReadCustomUInt64Register(uint32_t id, uint64_t* value);
    virtual int32_t ReadCustomStringRegister(uint32_t id, std::string* value);
    virtual int32_t WriteCustomInt32Register(uint32_t id, int32_t value);
    virtual int32_t WriteCustomUInt32Register(uint32_t id, uint32_t value);
    virtual int32_t WriteCustomUInt64Register(uint32_t id, uint64_t value);
    virtual int32_t WriteCustomStringRegister(uint32_t id, const std::string& value);

    // Inserts a register. Refused (false, nothing changed) when it overlaps a
    // register present, has length 0, or is numeric with a length other than
    // its type's size.
    bool AddRegister(uint64_t address, uint64_t length, int32_t access, int32_t type, uint32_t id);
    bool AddInt32Register(uint64_t address, int32_t access, uint32_t id);
    bool AddUInt32Register(uint64_t address, int32_t access, uint32_t id);
    bool AddStringRegister(uint64_t address, uint64_t length, int32_t access, uint32_t id);
    // Fills the holes with fillers and fixes the map's bounds.
    void FinalizeRegMap();

    // A read or write of `size` bytes from `address`; GenTL code, failures
    // stored as the thread's last error.
    int32_t ReadRegisters(uint64_t address, void* buffer, uint64_t size);
    int32_t WriteRegisters(uint64_t address, const void* buffer, uint64_t size);

    // One register's part of a read or write, `offset` counted from the
    // register's address.
    int32_t ReadTypedRegister(uint64_t offset, uint64_t count, uint8_t* destination, int32_t type,
                              uint32_t id);
    int32_t WriteTypedRegister(uint64_t offset, uint64_t count, const uint8_t* source, int32_t type,
                               uint32_t id, bool whole, bool readable);

    uint64_t MaxAddress() const { return m_max; }

private:
    using Registers = std::map<uint64_t, std::unique_ptr<Register>>;

    // The register holding `address`; end() when none.
    Registers::const_iterator Find(uint64_t address) const;
    // Bounds, size and the registers holding the first and last byte, then
    // CheckRange; GenTL code.
    int32_t FindRange(uint64_t address, uint64_t size, bool write, Registers::const_iterator* first,
                      Registers::const_iterator* last);
    // Checks every register of [first, last]: filler -1015, access -1005.
    int32_t CheckRange(Registers::const_iterator first, Registers::const_iterator last, bool write);
    int32_t ReadNumber(int32_t type, uint32_t id, uint64_t* value);
    int32_t WriteNumber(int32_t type, uint32_t id, uint64_t value);
    int32_t ReadString(uint32_t id, std::string* value);
    int32_t WriteString(uint32_t id, const std::string& value);

    Registers m_registers;
    uint64_t m_min = 0;
    uint64_t m_max = 0;
};

}  // namespace GenTLCore
