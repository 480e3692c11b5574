#include "GenTLRegMapPort.h"

#include "BrandingControl.h"
#include "GenTLBranding.h"
#include "InfoWriters.h"
#include "ReportError.h"

namespace GenTLCore {

namespace {

const char kNoPort[] = "Port functionality not implemented for this module.";

}  // namespace

GenTLRegMapPort::~GenTLRegMapPort() = default;

bool GenTLRegMapPort::IsPortImplemented() { return true; }

int32_t GenTLRegMapPort::ReadPortData(uint64_t address, void* buffer, uint64_t* size)
{
    if (!IsPortImplemented())
        return ReportError(GC_ERR_NOT_IMPLEMENTED, kNoPort);
    return ReadRegisters(address, buffer, *size);
}

int32_t GenTLRegMapPort::WritePortData(uint64_t address, const void* buffer, uint64_t* size)
{
    if (!IsPortImplemented())
        return ReportError(GC_ERR_NOT_IMPLEMENTED, kNoPort);
    return WriteRegisters(address, buffer, *size);
}

int32_t GenTLRegMapPort::GetPortInfo(int32_t command, INFO_DATATYPE* type, void* buffer, size_t* size)
{
    if (!IsPortImplemented())
        return ReportError(GC_ERR_NOT_IMPLEMENTED, kNoPort);
    std::string text;
    switch (command) {
    case PORT_INFO_ID: return WriteInfoString(type, buffer, size, GetID(text));
    case PORT_INFO_VENDOR: return WriteInfoString(type, buffer, size, GetBranding().GetVendorName());
    case PORT_INFO_MODEL: return WriteInfoString(type, buffer, size, GetBranding().GetModelName());
    case PORT_INFO_TLTYPE: return WriteInfoString(type, buffer, size, GetBranding().GetTLType());
    case PORT_INFO_MODULE: return WriteInfoString(type, buffer, size, GetPortModuleName(text));
    case PORT_INFO_LITTLE_ENDIAN: return WriteInfoBool8(type, buffer, size, true);
    case PORT_INFO_BIG_ENDIAN: return WriteInfoBool8(type, buffer, size, false);
    case PORT_INFO_ACCESS_READ: return WriteInfoBool8(type, buffer, size, true);
    case PORT_INFO_ACCESS_WRITE: return WriteInfoBool8(type, buffer, size, true);
    case PORT_INFO_ACCESS_NA: return WriteInfoBool8(type, buffer, size, false);
    case PORT_INFO_ACCESS_NI: return WriteInfoBool8(type, buffer, size, false);
    case PORT_INFO_VERSION: return WriteInfoString(type, buffer, size, GetBranding().GetVersion());
    case PORT_INFO_PORTNAME: return WriteInfoString(type, buffer, size, GetPortName(text));
    default: return ReportError(GC_ERR_NOT_IMPLEMENTED, "GetPortInfo: unknown port info command requested");
    }
}

}  // namespace GenTLCore
