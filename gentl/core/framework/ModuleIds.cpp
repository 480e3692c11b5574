#include "ModuleIds.h"

#include "BrandingControl.h"
#include "GenTLBranding.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <cstring>

namespace GenTLCore {

namespace {

std::string ProducerId() { return GetBranding().GetProducerId(); }

// The producer's path, written once by FindProducerPath; a fixed block, so
// that it needs neither the heap nor a destructor.
char g_producerPath[PATH_MAX] = {};

// The module file that holds this very function. Asks the loader, so it
// runs once, at the producer's load: an unload holds the loader's lock while
// it waits for the calls in flight, and a call that asked the loader then
// would wait for it for good.
bool FindProducerPath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&FindProducerPath), &info) == 0 || !info.dli_fname)
        return false;
    // The loader keeps the name it was given, which may be relative.
    if (realpath(info.dli_fname, g_producerPath))
        return true;
    g_producerPath[0] = '\0';
    if (std::strlen(info.dli_fname) >= sizeof g_producerPath)
        return false;
    std::strcpy(g_producerPath, info.dli_fname);
    return true;
}

}  // namespace

std::string MakeSystemId(bool usePath)
{
    if (usePath) {
        const std::string path = GetProducerPath();
        if (!path.empty())
            return path;
    }
    return ProducerId() + "_SYSTEM";
}

std::string MakeInterfaceId(const std::string& tagId) { return ProducerId() + "_ITF_" + tagId; }

std::string MakeDeviceId(const std::string& deviceId, const std::string& vendorName, const std::string& modelName)
{
    const std::string decorated = GetBranding().DecorateDeviceId(deviceId, vendorName, modelName);
    return decorated.empty() ? ProducerId() + "_DEV_" + deviceId : decorated;
}

std::string MakeRemoteDeviceId(const std::string& text) { return ProducerId() + "_RMT_" + text; }

std::string MakeStreamId(const std::string& deviceId, const std::string& streamId)
{
    const std::string decorated = GetBranding().DecorateStreamId(deviceId, streamId);
    return decorated.empty() ? ProducerId() + "_STM" + streamId + "_" + deviceId : decorated;
}

std::string MakeBufferId(const std::string& deviceId, const std::string& streamId, uint64_t number)
{
    return MakeStreamId(deviceId, streamId) + "_BUF" + std::to_string(number);
}

std::string MakeEventId(int32_t eventType)
{
    static const char* const kinds[] = {"err", "newbuf", "ftrinv", "ftrchn", "rmtdev", "mod"};
    const bool known = eventType >= 0 && eventType < 6;
    return ProducerId() + "_EVT" + (known ? kinds[eventType] : "unknown");
}

std::string GetProducerPath()
{
    static const bool found = FindProducerPath();
    return found ? std::string(g_producerPath) : std::string();
}

std::string FileNameOfPath(const std::string& path)
{
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

}  // namespace GenTLCore
