#pragma once
#include <cstdint>
#include <string>

namespace GenTLCore {

// The id texts of the producer's objects. Each starts with the branding's
// producer id (P) at the time of the call.

// The producer's path when usePath and it is known; else P + "_SYSTEM".
std::string MakeSystemId(bool usePath);
// P + "_ITF_" + tag id.
std::string MakeInterfaceId(const std::string& tagId);
// The branding's decoration when not empty; else P + "_DEV_" + device id.
std::string MakeDeviceId(const std::string& deviceId, const std::string& vendorName, const std::string& modelName);
// P + "_RMT_" + text.
std::string MakeRemoteDeviceId(const std::string& text);
// The branding's decoration when not empty; else
// P + "_STM" + stream id + "_" + device id.
std::string MakeStreamId(const std::string& deviceId, const std::string& streamId);
// MakeStreamId + "_BUF" + number.
std::string MakeBufferId(const std::string& deviceId, const std::string& streamId, uint64_t number);
// P + "_EVT" + "err", "newbuf", "ftrinv", "ftrchn", "rmtdev", "mod" or
// "unknown".
std::string MakeEventId(int32_t eventType);
// Full path of the producer's own module file; empty when unknown. Looked
// up at the first call, which the producer's load makes; later calls copy
// it and do not enter the loader.
std::string GetProducerPath();
// The text after the last '/' or '\'.
std::string FileNameOfPath(const std::string& path);

}  // namespace GenTLCore
