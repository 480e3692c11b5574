#include "GenTLRegisterMap.h"

#include "DummyRegister.h"
#include "ReportError.h"

#include <GenTL.h>

#include <algorithm>
#include <new>

namespace GenTLCore {

namespace {

int32_t Unexpected(const char* kind, const char* direction, bool custom)
{
    return ReportError(GC_ERR_ERROR, std::string("Internal error: unexpected ") + kind + " " +
                                         (custom ? "custom register " : "register ") + direction + " access");
}

// Size of a numeric type's value; 0 for the others.
uint64_t NumericSize(int32_t type)
{
    switch (type) {
    case REG_TYPE_UINT64: return 8;
    case REG_TYPE_UINT32:
    case REG_TYPE_INT32: return 4;
    default: return 0;
    }
}

bool IsCustom(uint32_t id) { return id >= kFirstCustomRegisterId; }

}  // namespace

GenTLRegisterMap::~GenTLRegisterMap() = default;

int32_t GenTLRegisterMap::GetDynamicAccess(uint32_t) { return REG_ACCESS_NONE; }
int32_t GenTLRegisterMap::ReadInt32Register(uint32_t, int32_t*) { return Unexpected("int32", "read", false); }
int32_t GenTLRegisterMap::ReadUInt32Register(uint32_t, uint32_t*) { return Unexpected("uint32", "read", false); }
int32_t GenTLRegisterMap::ReadUInt64Register(uint32_t, uint64_t*) { return Unexpected("uint64", "read", false); }
int32_t GenTLRegisterMap::ReadStringRegister(uint32_t, std::string*) { return Unexpected("string", "read", false); }
int32_t GenTLRegisterMap::WriteInt32Register(uint32_t, int32_t) { return Unexpected("int32", "write", false); }
int32_t GenTLRegisterMap::WriteUInt32Register(uint32_t, uint32_t) { return Unexpected("uint32", "write", false); }
int32_t GenTLRegisterMap::WriteUInt64Register(uint32_t, uint64_t) { return Unexpected("uint64", "write", false); }
int32_t GenTLRegisterMap::WriteStringRegister(uint32_t, const std::string&)
{
    return Unexpected("string", "write", false);
}
void GenTLRegisterMap::AddCustomRegisters() {}
int32_t GenTLRegisterMap::ReadCustomInt32Register(uint32_t, int32_t*) { return Unexpected("int32", "read", true); }
int32_t GenTLRegisterMap::ReadCustomUInt32Register(uint32_t, uint32_t*) { return Unexpected("uint32", "read", true); }
int32_t GenTLRegisterMap::ReadCustomUInt64Register(uint32_t, uint64_t*) { return Unexpected("uint64", "read", true); }
int32_t GenTLRegisterMap::ReadCustomStringRegister(uint32_t, std::string*)
{
    return Unexpected("string", "read", true);
}
int32_t GenTLRegisterMap::WriteCustomInt32Register(uint32_t, int32_t) { return Unexpected("int32", "write", true); }
int32_t GenTLRegisterMap::WriteCustomUInt32Register(uint32_t, uint32_t) { return Unexpected("uint32", "write", true); }
int32_t GenTLRegisterMap::WriteCustomUInt64Register(uint32_t, uint64_t) { return Unexpected("uint64", "write", true); }
int32_t GenTLRegisterMap::WriteCustomStringRegister(uint32_t, const std::string&)
{
    return Unexpected("string", "write", true);
}

bool GenTLRegisterMap::AddRegister(uint64_t address, uint64_t length, int32_t access, int32_t type, uint32_t id)
{
    // A zero-length register would sort before itself; a numeric one must
    // hold exactly its value; none may run past the end of the address space.
    if (length == 0 || length > UINT64_MAX - address)
        return false;
    const uint64_t numeric = NumericSize(type);
    if (numeric != 0 && length != numeric)
        return false;
    auto next = m_registers.lower_bound(address);
    if (next != m_registers.end() && next->first < address + length)
        return false;
    if (next != m_registers.begin() && std::prev(next)->second->End() > address)
        return false;
    m_registers.emplace_hint(next, address, std::make_unique<Register>(address, length, access, type, id));
    return true;
}

bool GenTLRegisterMap::AddInt32Register(uint64_t address, int32_t access, uint32_t id)
{
    return AddRegister(address, 4, access, REG_TYPE_INT32, id);
}

bool GenTLRegisterMap::AddUInt32Register(uint64_t address, int32_t access, uint32_t id)
{
    return AddRegister(address, 4, access, REG_TYPE_UINT32, id);
}

bool GenTLRegisterMap::AddStringRegister(uint64_t address, uint64_t length, int32_t access, uint32_t id)
{
    return AddRegister(address, length, access, REG_TYPE_STRING, id);
}

void GenTLRegisterMap::FinalizeRegMap()
{
    if (m_registers.empty())
        return;
    for (auto it = m_registers.begin(); it != m_registers.end();) {
        const uint64_t end = it->second->End();
        auto next = std::next(it);
        if (next != m_registers.end() && end < next->first)
            m_registers.emplace_hint(next, end, std::make_unique<DummyRegister>(end, next->first - end));
        it = next;
    }
    m_min = m_registers.begin()->first;
    m_max = m_registers.rbegin()->second->End();
}

GenTLRegisterMap::Registers::const_iterator GenTLRegisterMap::Find(uint64_t address) const
{
    auto it = m_registers.upper_bound(address);
    if (it == m_registers.begin())
        return m_registers.end();
    --it;
    return address < it->second->End() ? it : m_registers.end();
}

int32_t GenTLRegisterMap::CheckRange(Registers::const_iterator first, Registers::const_iterator last, bool write)
{
    const char* const what = write ? "write" : "read";
    for (auto it = first;; ++it) {
        const Register& reg = *it->second;
        if (!reg.IsValid())
            return ReportError(GC_ERR_INVALID_ADDRESS,
                               std::string("The ") + what + " request contains invalid addresses.");
        int32_t access = reg.Access();
        if (access == REG_ACCESS_DYNAMIC)
            access = GetDynamicAccess(reg.Id());
        const bool allowed = access == REG_ACCESS_RW || access == (write ? REG_ACCESS_WO : REG_ACCESS_RO);
        if (!allowed)
            return ReportError(GC_ERR_ACCESS_DENIED, write ? "The write request contains unwritable register(s)."
                                                           : "The read request contains unreadable register(s).");
        if (it == last)
            return GC_ERR_SUCCESS;
    }
}

int32_t GenTLRegisterMap::FindRange(uint64_t address, uint64_t size, bool write, Registers::const_iterator* first,
                                    Registers::const_iterator* last)
{
    const std::string what = write ? "write" : "read";
    // Written so that no sum can wrap: an address near 2^64 is simply out of
    // bounds.
    if (address < m_min || address >= m_max || size > m_max - address)
        return ReportError(GC_ERR_INVALID_ADDRESS, "The " + what + " request exceeds bounds of the register map.");
    if (size == 0)
        return ReportError(GC_ERR_INVALID_PARAMETER, "The " + what + " request of zero size required.");
    *first = Find(address);
    *last = Find(address + size - 1);
    if (*first == m_registers.end() || *last == m_registers.end())
        return ReportError(GC_ERR_INVALID_ADDRESS, "The " + what + " request contains invalid addresses.");
    return CheckRange(*first, *last, write);
}

int32_t GenTLRegisterMap::ReadRegisters(uint64_t address, void* buffer, uint64_t size)
{
    Registers::const_iterator first, last;
    const int32_t checked = FindRange(address, size, false, &first, &last);
    if (checked != GC_ERR_SUCCESS)
        return checked;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    for (auto it = first; size > 0; ++it) {
        const Register& reg = *it->second;
        const uint64_t offset = address - reg.Address();
        const uint64_t count = std::min(size, reg.Length() - offset);
        const int32_t code = ReadTypedRegister(offset, count, out, reg.Type(), reg.Id());
        if (code != GC_ERR_SUCCESS)
            return code;
        address += count;
        out += count;
        size -= count;
    }
    return GC_ERR_SUCCESS;
}

int32_t GenTLRegisterMap::WriteRegisters(uint64_t address, const void* buffer, uint64_t size)
{
    Registers::const_iterator first, last;
    const int32_t checked = FindRange(address, size, true, &first, &last);
    if (checked != GC_ERR_SUCCESS)
        return checked;
    const uint8_t* in = static_cast<const uint8_t*>(buffer);
    for (auto it = first; size > 0; ++it) {
        const Register& reg = *it->second;
        const uint64_t offset = address - reg.Address();
        const uint64_t count = std::min(size, reg.Length() - offset);
        const bool whole = offset == 0 && count == reg.Length();
        const bool readable = reg.Access() == REG_ACCESS_RW;
        const int32_t code = WriteTypedRegister(offset, count, in, reg.Type(), reg.Id(), whole, readable);
        if (code != GC_ERR_SUCCESS)
            return code;
        address += count;
        in += count;
        size -= count;
    }
    return GC_ERR_SUCCESS;
}

int32_t GenTLRegisterMap::ReadNumber(int32_t type, uint32_t id, uint64_t* value)
{
    const bool custom = IsCustom(id);
    int32_t code = GC_ERR_ERROR;
    if (type == REG_TYPE_UINT64) {
        code = custom ? ReadCustomUInt64Register(id, value) : ReadUInt64Register(id, value);
    } else if (type == REG_TYPE_UINT32) {
        uint32_t v = 0;
        code = custom ? ReadCustomUInt32Register(id, &v) : ReadUInt32Register(id, &v);
        *value = v;
    } else {
        int32_t v = 0;
        code = custom ? ReadCustomInt32Register(id, &v) : ReadInt32Register(id, &v);
        *value = static_cast<uint32_t>(v);
    }
    return code;
}

int32_t GenTLRegisterMap::WriteNumber(int32_t type, uint32_t id, uint64_t value)
{
    const bool custom = IsCustom(id);
    if (type == REG_TYPE_UINT64)
        return custom ? WriteCustomUInt64Register(id, value) : WriteUInt64Register(id, value);
    if (type == REG_TYPE_UINT32) {
        const uint32_t v = static_cast<uint32_t>(value);
        return custom ? WriteCustomUInt32Register(id, v) : WriteUInt32Register(id, v);
    }
    const int32_t v = static_cast<int32_t>(static_cast<uint32_t>(value));
    return custom ? WriteCustomInt32Register(id, v) : WriteInt32Register(id, v);
}

int32_t GenTLRegisterMap::ReadString(uint32_t id, std::string* value)
{
    return IsCustom(id) ? ReadCustomStringRegister(id, value) : ReadStringRegister(id, value);
}

int32_t GenTLRegisterMap::WriteString(uint32_t id, const std::string& value)
{
    return IsCustom(id) ? WriteCustomStringRegister(id, value) : WriteStringRegister(id, value);
}

int32_t GenTLRegisterMap::ReadTypedRegister(uint64_t offset, uint64_t count, uint8_t* destination, int32_t type,
                                            uint32_t id)
{
    if (type == REG_TYPE_STRING) {
        std::string value;
        const int32_t code = ReadString(id, &value);
        if (code != GC_ERR_SUCCESS)
            return code;
        std::fill(destination, destination + count, uint8_t(0));
        if (offset < value.size())
            std::copy_n(value.data() + offset, std::min<uint64_t>(value.size() - offset, count), destination);
        return GC_ERR_SUCCESS;
    }
    const uint64_t size = NumericSize(type);
    if (size == 0 || offset + count > size)
        return ReportError(GC_ERR_ERROR, "Internal register access error");
    uint64_t value = 0;
    const int32_t code = ReadNumber(type, id, &value);
    if (code != GC_ERR_SUCCESS)
        return code;
    for (uint64_t i = 0; i < count; ++i)
        destination[i] = static_cast<uint8_t>(value >> (8 * (offset + i)));
    return GC_ERR_SUCCESS;
}

int32_t GenTLRegisterMap::WriteTypedRegister(uint64_t offset, uint64_t count, const uint8_t* source, int32_t type,
                                             uint32_t id, bool whole, bool readable)
{
    if (type == REG_TYPE_STRING) {
        try {
            const char* text = reinterpret_cast<const char*>(source);
            if (whole)
                return WriteString(id, std::string(text, count));
            if (offset == 0 && count > 0 && source[count - 1] == 0)
                return WriteString(id, std::string(text));
            if (!readable)
                return ReportError(GC_ERR_ACCESS_DENIED, "The partial write request not possible on unreadable  "
                                                         "string register (read-modify-write needed).");
            std::string value;
            const int32_t code = ReadString(id, &value);
            if (code != GC_ERR_SUCCESS)
                return code;
            if (value.size() < offset + count)
                value.resize(offset + count, '\0');
            value.replace(offset, count, text, count);
            return WriteString(id, value);
        } catch (const std::bad_alloc&) {
            return ReportError(GC_ERR_OUT_OF_MEMORY, "Failed to allocated space for the string register data");
        }
    }
    const uint64_t size = NumericSize(type);
    if (size == 0 || offset + count > size)
        return ReportError(GC_ERR_ERROR, "Internal register access error");
    uint64_t value = 0;
    if (!whole) {
        if (!readable)
            return ReportError(GC_ERR_ACCESS_DENIED, "The partial write request not possible on unreadable  "
                                                     "numeric register (read-modify-write needed).");
        const int32_t code = ReadNumber(type, id, &value);
        if (code != GC_ERR_SUCCESS)
            return code;
    }
    for (uint64_t i = 0; i < count; ++i) {
        const unsigned shift = 8 * static_cast<unsigned>(offset + i);
        value = (value & ~(uint64_t(0xFF) << shift)) | (uint64_t(source[i]) << shift);
    }
    return WriteNumber(type, id, value);
}

}  // namespace GenTLCore
