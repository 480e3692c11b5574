#include "GenTLRemoteDevicePEX.h"

#include "CPEXString.h"
#include "PexErrorTracker.h"
#include "PexLibraryCodes.h"
#include "PexTextInquiry.h"
#include "PortUrl.h"
#include "ReportError.h"
#include "TLLogMessage.h"

#include <GenTL.h>

#include <algorithm>

namespace GenTLCore::PEXCore {

namespace {

using namespace PexCode;

uint32_t InquireLow32(PEX_ID digitizer, PEX_INT code)
{
    return static_cast<uint32_t>(InquirePexValue(&PexDigInquire, digitizer, code));
}

// "0x" and the address in lower-case hexadecimal.
std::wstring AddressText(uint64_t address)
{
    constexpr PEX_INT kLength = 32;  // room for "0x" and 16 digits
    wchar_t text[kLength] = {};
    PexFormatText(text, kLength, L"0x%llx", static_cast<PEX_INT>(address));
    text[kLength - 1] = L'\0';
    return text;
}

}  // namespace

GenTLRemoteDevicePEX::GenTLRemoteDevicePEX(const CountedPtr<DeviceTagPEX>& tag, PEX_ID digitizer, int32_t access)
    : GenTLGenuineRemoteDevice(CountedPtr<DeviceTag>(tag)), m_tag(tag), m_digitizer(digitizer), m_access(access)
{
}

GenTLRemoteDevicePEX::~GenTLRemoteDevicePEX() = default;

int64_t GenTLRemoteDevicePEX::ManifestEntries(int64_t reported)
{
    return std::clamp<int64_t>(reported, 0, kMaxManifestEntries);
}

bool GenTLRemoteDevicePEX::DescribeUrl(const std::wstring& url, PortURLRecord* record)
{
    const PortUrl parsed(url);
    record->url = WideToUtf8(parsed.LowerUrl());
    // Only a "local:" URL that cannot be read is left unparsed.
    const bool unparsed = parsed.GetScheme() == PortUrl::SCHEME_UNPARSED;
    record->scheme = static_cast<uint32_t>(unparsed ? int32_t{URL_SCHEME_LOCAL} : parsed.GetScheme());
    record->registerAddress = parsed.Address();
    record->fileSize = parsed.Length();
    record->fileName = WideToUtf8(parsed.FileName());
    return !url.empty() && !unparsed;
}

void GenTLRemoteDevicePEX::ReadManifestTable(std::vector<PortURLRecord>* urls)
{
    int64_t count = 0;
    PexDigInquire(m_digitizer, kDigManifestCount, &count);
    count = ManifestEntries(count);
    urls->reserve(urls->size() + static_cast<size_t>(count));
    bool unreadable = false;
    for (int64_t k = 0; k < count; ++k) {
        const std::wstring text = InquirePexText(&PexDigInquire, m_digitizer, kDigManifestUrl + k);
        PortURLRecord record;
        record.fileVersionMajor = InquireLow32(m_digitizer, kDigManifestFileMajor + k);
        record.fileVersionMinor = InquireLow32(m_digitizer, kDigManifestFileMinor + k);
        record.fileVersionSubminor = InquireLow32(m_digitizer, kDigManifestFileSubMinor + k);
        record.schemaVersionMajor = InquireLow32(m_digitizer, kDigManifestSchemaMajor + k);
        record.schemaVersionMinor = InquireLow32(m_digitizer, kDigManifestSchemaMinor + k);
        uint8_t sha1[20] = {};
        PexDigInquire(m_digitizer, kDigManifestSha1 + k, sha1);
        if (std::any_of(std::begin(sha1), std::end(sha1), [](uint8_t b) { return b != 0; })) {
            record.sha1.assign(std::begin(sha1), std::end(sha1));
            record.hasSha1 = true;
        }
        const bool readable = DescribeUrl(text, &record);
        record.hasFileVersion = true;
        record.hasSchemaVersion = true;
        if (readable)
            urls->push_back(record);
        else
            unreadable = true;
    }
    if (unreadable)
        LogLine("RemDev", LOG_ERROR, "The camera reports a description URL that cannot be read; it is left out");
    PexErrorTracker::CheckThreadError(PexErrorTracker::Instance());
}

int32_t GenTLRemoteDevicePEX::ReadRemoteRegisters(uint64_t address, void* buffer, uint64_t* size)
{
    PexDigRegRead(m_digitizer, GetRegisterReadSpace(), AddressText(address).c_str(), static_cast<PEX_INT>(*size),
                  buffer);
    return PexErrorTracker::CheckThreadError(PexErrorTracker::Instance());
}

int32_t GenTLRemoteDevicePEX::WriteRemoteRegisters(uint64_t address, const void* buffer, uint64_t* size)
{
    if (m_access == DEVICE_ACCESS_READONLY)
        return ReportError(GC_ERR_ACCESS_DENIED, "Cannot write to remote device in read-only mode.");
    PexDigRegWrite(m_digitizer, GetRegisterWriteSpace(), AddressText(address).c_str(), static_cast<PEX_INT>(*size),
                   buffer);
    return PexErrorTracker::CheckThreadError(PexErrorTracker::Instance());
}

}  // namespace GenTLCore::PEXCore
