#pragma once
#include <cstdint>

namespace GenTLCore {

// Access codes of a register.
enum RegisterAccess : int32_t {
    REG_ACCESS_RO = 0,
    REG_ACCESS_WO = 1,
    REG_ACCESS_RW = 2,
    REG_ACCESS_NONE = 4,      // fillers
    REG_ACCESS_DYNAMIC = 5,   // the map asks GetDynamicAccess at each access
};

// Type codes of a register: the typed operation that serves it.
enum RegisterType : int32_t {
    REG_TYPE_STRING = 0,
    REG_TYPE_UINT64 = 1,
    REG_TYPE_UINT32 = 2,
    REG_TYPE_INT32 = 3,
    REG_TYPE_FILLER = 4,
};

// Ids from this one on are the back end's custom registers.
constexpr uint32_t kFirstCustomRegisterId = 10000;

// One entry of a module's register map: a typed value at a fixed address
// range, answered by the module under its id.
class Register {
public:
    Register(uint64_t address, uint64_t length, int32_t access, int32_t type, uint32_t id)
        : m_address(address), m_length(length), m_access(access), m_type(type), m_id(id)
    {
    }
    virtual ~Register();

    // False for the fillers of the map's holes.
    virtual bool IsValid() const;

    uint64_t Address() const { return m_address; }
    uint64_t Length() const { return m_length; }
    // One past the last byte.
    uint64_t End() const { return m_address + m_length; }
    int32_t Access() const { return m_access; }
    int32_t Type() const { return m_type; }
    uint32_t Id() const { return m_id; }

private:
    uint64_t m_address;
    uint64_t m_length;
    int32_t m_access;
    int32_t m_type;
    uint32_t m_id;
};

}  // namespace GenTLCore
