#pragma once
#include "DeviceTagPEX.h"
#include "GenTLGenuineRemoteDevice.h"

#include <platform/pex/Pex.h>

#include <cstdint>

namespace GenTLCore::PEXCore {

// The camera behind a digitizer: its manifest and registers through the
// imaging library. The digitizer belongs to the local device.
class GenTLRemoteDevicePEX : public GenTLGenuineRemoteDevice {
public:
    // The manifest holds at most this many URLs (its version codes are 16
    // apart).
    static constexpr int64_t kMaxManifestEntries = 16;

    GenTLRemoteDevicePEX(const CountedPtr<DeviceTagPEX>& tag, PEX_ID digitizer, int32_t access);
    ~GenTLRemoteDevicePEX() override;

    // One record per manifest entry (none for a count <= 0) whose URL can be
    // read (an unreadable one is logged and left out, so that the port
    // answers no URL rather than an empty one); a library error becomes the
    // last error and the list is kept as built.
    void ReadManifestTable(std::vector<PortURLRecord>* urls) override;
    // 0, or -1001 with the library's text.
    int32_t ReadRemoteRegisters(uint64_t address, void* buffer, uint64_t* size) override;
    // -1005 on a device opened read-only; else as reading.
    int32_t WriteRemoteRegisters(uint64_t address, const void* buffer, uint64_t* size) override;

    // Entries to read for a reported manifest count: none for a count <= 0,
    // at most kMaxManifestEntries.
    static int64_t ManifestEntries(int64_t reported);
    // The URL fields of a record from the camera's URL text: the lower-cased
    // URL, its scheme (set for every URL; a "local:" URL that cannot be read
    // stays local), address, size and file name. False when no description
    // can be loaded from the URL: an empty text, or a "local:" URL without a
    // file name, an address and a non-zero length.
    static bool DescribeUrl(const std::wstring& url, PortURLRecord* record);

    virtual int64_t GetRegisterReadSpace() = 0;
    virtual int64_t GetRegisterWriteSpace() = 0;

private:
    CountedPtr<DeviceTagPEX> m_tag;
    PEX_ID m_digitizer;
    int32_t m_access;
};

}  // namespace GenTLCore::PEXCore
