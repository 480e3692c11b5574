// What the remote device makes of the camera's manifest.
#include "GenTLRemoteDevicePEX.h"

#include <GenTL.h>
#include <gtest/gtest.h>

#include <cwchar>

using GenTLCore::PortURLRecord;
using GenTLCore::PEXCore::GenTLRemoteDevicePEX;

TEST(RemoteManifest, EntriesAreBoundedByZeroAndSixteen)
{
    const int64_t cases[][2] = {{-5, 0}, {0, 0}, {1, 1}, {2, 2}, {16, 16}, {17, 16}, {INT64_MAX, 16}};
    for (const auto& c : cases)
        EXPECT_EQ(GenTLRemoteDevicePEX::ManifestEntries(c[0]), c[1]) << c[0];
}

TEST(RemoteManifest, UrlsAreLowerCasedAndAlwaysGetAScheme)
{
    struct Case {
        const wchar_t* url;
        const char* lower;
        uint32_t scheme;
        uint64_t address;
        uint64_t size;
        const char* file;
    };
    const Case cases[] = {
        {L"Local:CVN-Cam.XML;1A0000;2B", "local:cvn-cam.xml;1a0000;2b", URL_SCHEME_LOCAL, 0x1A0000, 0x2B, "cvn-cam.xml"},
        {L"local:broken", "local:broken", URL_SCHEME_LOCAL, 0, 0, "broken"},
        {L"File:///C:/Cam.xml", "file:///c:/cam.xml", URL_SCHEME_FILE, 0, 0, nullptr},
        {L"http://Example.com/Cam.xml", "http://example.com/cam.xml", URL_SCHEME_HTTP, 0, 0, "cam.xml"},
        {L"", "", URL_SCHEME_HTTP, 0, 0, nullptr},
    };
    for (const Case& c : cases) {
        PortURLRecord record;
        record.scheme = 99;
        GenTLRemoteDevicePEX::DescribeUrl(c.url, &record);
        EXPECT_EQ(record.url, c.lower);
        EXPECT_EQ(record.scheme, c.scheme) << c.lower;
        EXPECT_EQ(record.registerAddress, c.address) << c.lower;
        EXPECT_EQ(record.fileSize, c.size) << c.lower;
        if (c.file) {
            EXPECT_EQ(record.fileName, c.file);
        }
    }
}

TEST(RemoteManifest, AUrlNoDescriptionCanBeLoadedFromIsNotTaken)
{
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"local:cam.xml;100000;2a", true}, {L"http://example.com/cam.xml", true}, {L"file:///c:/cam.xml", true},
        {L"", false},                       {L"local:", false},                    {L"local:broken", false},
        {L"local:;100000;2a", false},       {L"local:cam.xml;100000", false},      {L"local:cam.xml;100000;0", false},
    };
    for (const auto& c : cases) {
        PortURLRecord record;
        EXPECT_EQ(GenTLRemoteDevicePEX::DescribeUrl(c.first, &record), c.second)
            << std::string(c.first, c.first + std::wcslen(c.first));
    }
}
