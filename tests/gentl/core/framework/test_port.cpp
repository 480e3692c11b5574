// Ports: URLs and URL information, port information, stacked access, the
// info value writers and the URL parser.
#include "FrameworkFixture.h"
#include "GenTLBranding.h"
#include "InfoWriters.h"
#include "PortUrl.h"
#include "Sha1.h"
#include "TestModule.h"

#include <GenTL.h>

#include <cstring>
#include <cwchar>
#include <vector>

using namespace GenTLCore;
using namespace GenTLTest;

namespace {

class PortTest : public FrameworkTest {
protected:
    PortTest() { module.InitPortURLsOnce(); }

    TestModule module;
};

}  // namespace

TEST_F(PortTest, ServesItsDescriptionThroughTheLocalUrl)
{
    const std::string xml = branding->GetSystemXml();
    std::vector<char> urls(0);
    size_t size = 0;
    ASSERT_EQ(module.GetPortURL(nullptr, &size), GC_ERR_SUCCESS);
    urls.resize(size);
    ASSERT_EQ(module.GetPortURL(urls.data(), &size), GC_ERR_SUCCESS);
    const PortUrl url(std::wstring(urls.begin(), urls.begin() + std::strlen(urls.data())));
    ASSERT_EQ(url.GetScheme(), PortUrl::SCHEME_LOCAL);
    EXPECT_EQ(url.FileName(), L"testsystem.xml");
    ASSERT_EQ(url.Length(), xml.size());

    std::vector<char> text(url.Length());
    size = text.size();
    ASSERT_EQ(module.ReadPort(url.Address(), text.data(), &size), GC_ERR_SUCCESS);
    EXPECT_EQ(std::string(text.begin(), text.end()), xml);

    uint8_t sha1[20] = {};
    INFO_DATATYPE type = 0;
    size = sizeof sha1;
    ASSERT_EQ(module.GetPortURLInfo(0, URL_INFO_FILE_SHA1_HASH, &type, sha1, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(type, INFO_DATATYPE_BUFFER);
    EXPECT_EQ(std::vector<uint8_t>(sha1, sha1 + 20), Sha1::Digest(std::string(text.begin(), text.end())));
}

TEST_F(PortTest, PortUrlListsEveryRecordWithItsSchemaVersion)
{
    PortURLRecord first;
    first.url = "local:a.xml;f0000000;10";
    first.schemaVersionMajor = 1;
    first.schemaVersionMinor = 1;
    PortURLRecord second = first;
    second.url = "file:///b.zip";
    second.scheme = URL_SCHEME_FILE;
    second.fileName = "/b.zip";
    module.SetPortURLs({first, second});
    const std::string expected = std::string("local:a.xml;f0000000;10?SchemaVersion=1.1.0") + '\0' +
                                 "file:///b.zip?SchemaVersion=1.1.0" + '\0' + '\0';
    size_t size = 0;
    ASSERT_EQ(module.GetPortURL(nullptr, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(size, expected.size());
    std::vector<char> small(size - 1);
    size = small.size();
    EXPECT_EQ(module.GetPortURL(small.data(), &size), GC_ERR_BUFFER_TOO_SMALL);
    std::vector<char> text(expected.size());
    size = text.size();
    ASSERT_EQ(module.GetPortURL(text.data(), &size), GC_ERR_SUCCESS);
    EXPECT_EQ(std::string(text.begin(), text.end()), expected);

    // The file record has no register address or size but a file name;
    // nothing says it has versions or a hash.
    uint64_t number = 0;
    INFO_DATATYPE type = 0;
    size = sizeof number;
    EXPECT_EQ(module.GetPortURLInfo(1, URL_INFO_FILE_SIZE, &type, &number, &size), GC_ERR_NOT_AVAILABLE);
    EXPECT_EQ(module.GetPortURLInfo(1, URL_INFO_SCHEMA_VER_MAJOR, &type, &number, &size), GC_ERR_NOT_AVAILABLE);
    char name[16] = {};
    size = sizeof name;
    EXPECT_EQ(module.GetPortURLInfo(1, URL_INFO_FILENAME, &type, name, &size), GC_ERR_SUCCESS);
    EXPECT_STREQ(name, "/b.zip");
    EXPECT_EQ(module.GetPortURLInfo(2, URL_INFO_URL, &type, name, &size), GC_ERR_INVALID_INDEX);
    EXPECT_EQ(module.GetPortURLInfo(0, 11, &type, name, &size), GC_ERR_NOT_IMPLEMENTED);
}

TEST_F(PortTest, UrlInformationHasTheTypesOfItsCommands)
{
    struct Case {
        URL_INFO_CMD command;
        INFO_DATATYPE type;
        size_t size;
    };
    const std::string xml = branding->GetSystemXml();
    const Case cases[] = {
        {URL_INFO_URL, INFO_DATATYPE_STRING, MakeLocalUrl("TestSystem.xml", xml, 0xF0000000).size() + 1},
        {URL_INFO_SCHEMA_VER_MAJOR, INFO_DATATYPE_INT32, 4},
        {URL_INFO_FILE_VER_SUBMINOR, INFO_DATATYPE_INT32, 4},
        {URL_INFO_FILE_SHA1_HASH, INFO_DATATYPE_BUFFER, 20},
        {URL_INFO_FILE_REGISTER_ADDRESS, INFO_DATATYPE_UINT64, 8},
        {URL_INFO_FILE_SIZE, INFO_DATATYPE_UINT64, 8},
        {URL_INFO_SCHEME, INFO_DATATYPE_INT32, 4},
        {URL_INFO_FILENAME, INFO_DATATYPE_STRING, sizeof "TestSystem.xml"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        INFO_DATATYPE type = -1;
        size_t size = 0;
        ASSERT_EQ(module.GetPortURLInfo(0, c.command, &type, nullptr, &size), GC_ERR_SUCCESS);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(size, c.size);
    }
    uint64_t value = 0;
    size_t size = sizeof value;
    INFO_DATATYPE type = 0;
    ASSERT_EQ(module.GetPortURLInfo(0, URL_INFO_FILE_REGISTER_ADDRESS, &type, &value, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(value, 0xF0000000u);
    EXPECT_EQ(MakeLocalUrl("x.xml", std::string(0x3A98, 'x'), 0xF0000000), "local:x.xml;f0000000;3a98");
}

TEST_F(PortTest, PortInformationAndItsRefusals)
{
    char text[32] = {};
    size_t size = sizeof text;
    INFO_DATATYPE type = 0;
    ASSERT_EQ(module.GetPortInfoLocked(PORT_INFO_MODULE, &type, text, &size), GC_ERR_SUCCESS);
    EXPECT_STREQ(text, "TLTest");
    uint8_t flag = 7;
    size = 1;
    ASSERT_EQ(module.GetPortInfoLocked(PORT_INFO_BIG_ENDIAN, &type, &flag, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(type, INFO_DATATYPE_BOOL8);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(module.GetPortInfoLocked(13, &type, text, &size), GC_ERR_NOT_IMPLEMENTED);
    EXPECT_EQ(LastErrorText(), "GetPortInfo: unknown port info command requested");
    uint8_t byte = 0;
    size = 0;
    EXPECT_EQ(module.ReadPort(0, &byte, &size), GC_ERR_INVALID_PARAMETER);
    size = 1;
    EXPECT_EQ(module.ReadPort(0, nullptr, &size), GC_ERR_INVALID_PARAMETER);
}

TEST_F(PortTest, StackedAccessStopsAtTheFirstBadEntry)
{
    module.numbers[2] = 5;
    uint32_t a = 0, c = 0;
    PORT_REGISTER_STACK_ENTRY entries[3] = {{0x40, &a, 4}, {0x80, &c, 4}, {0x40, &c, 4}};
    size_t count = 3;
    EXPECT_EQ(module.ReadPortStacked(entries, &count), GC_ERR_INVALID_ADDRESS);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(a, 5u);

    // An entry without a buffer is refused, never copied to.
    entries[1] = {0x40, nullptr, 4};
    count = 3;
    EXPECT_EQ(module.ReadPortStacked(entries, &count), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(count, 1u);
    count = 3;
    EXPECT_EQ(module.WritePortStacked(entries, &count), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(count, 1u);
    count = 2;
    EXPECT_EQ(module.ReadPortStacked(nullptr, &count), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(count, 0u);

    uint32_t value = 9;
    PORT_REGISTER_STACK_ENTRY writes[2] = {{0x40, &value, 4}, {TestModule::kCustomId, &value, 4}};
    count = 2;
    EXPECT_EQ(module.WritePortStacked(writes, &count), GC_ERR_SUCCESS);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(module.numbers[TestModule::kCustomId], 9u);
}

TEST_F(PortTest, InfoWritersQuerySizeAndRefuseShortBuffers)
{
    INFO_DATATYPE type = 0;
    size_t size = 0;
    ASSERT_EQ(WriteInfoString(&type, nullptr, &size, "abcde"), GC_ERR_SUCCESS);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(type, INFO_DATATYPE_STRING);
    char text[6] = {};
    size = 5;
    EXPECT_EQ(WriteInfoString(&type, text, &size, "abcde"), GC_ERR_BUFFER_TOO_SMALL);
    size = 6;
    EXPECT_EQ(WriteInfoString(&type, text, &size, "abcde"), GC_ERR_SUCCESS);
    EXPECT_STREQ(text, "abcde");
    uint8_t flag = 0;
    size = 0;
    EXPECT_EQ(WriteInfoBool8(&type, &flag, &size, true), GC_ERR_BUFFER_TOO_SMALL);
    EXPECT_EQ(WriteInfoUInt32(nullptr, &flag, &size, 1), GC_ERR_INVALID_PARAMETER);
    uint32_t number = 0;
    EXPECT_EQ(WriteInfoUInt32(&type, &number, nullptr, 1), GC_ERR_INVALID_PARAMETER);
    branding->acceptsNullPointers = true;
    EXPECT_EQ(WriteInfoUInt32(nullptr, &number, nullptr, 7), GC_ERR_SUCCESS);
    EXPECT_EQ(number, 7u);
    EXPECT_EQ(WriteInfoString(nullptr, text, nullptr, "a"), GC_ERR_INVALID_PARAMETER);
    size = 2;
    EXPECT_EQ(WriteIdString(text, &size, "ab"), GC_ERR_BUFFER_TOO_SMALL);
}

TEST(PortUrlTest, ParsesLocalFileAndWebUrls)
{
    const PortUrl local(L"LOCAL:///Dir.XML;F0000000;3A98?SchemaVersion=1.0.0");
    EXPECT_EQ(local.FileName(), L"dir.xml");
    EXPECT_EQ(local.Address(), 0xF0000000u);
    EXPECT_EQ(local.Length(), 0x3A98u);
    EXPECT_EQ(local.GetFileType(), PortUrl::FILE_XML);
    EXPECT_EQ(local.GetScheme(), PortUrl::SCHEME_LOCAL);

    const PortUrl zip(L"local:a.zip;0;10");
    EXPECT_EQ(zip.GetFileType(), PortUrl::FILE_ZIP);
    EXPECT_EQ(zip.Length(), 16u);
    EXPECT_EQ(PortUrl(L"local:/a/b.xml;10;2").FileName(), L"a/b.xml");
    EXPECT_EQ(PortUrl(L"local:name").FileName(), L"name");

    const PortUrl file(L"file:///tmp/My%20Dir/cam.xml?SchemaVersion=1.1.0");
    EXPECT_EQ(file.GetScheme(), PortUrl::SCHEME_FILE);
    EXPECT_EQ(file.FileName(), L"/tmp/my dir/cam.xml");

    const PortUrl web(L"http://example.com/files/Cam.zip?SchemaVersion=1.1.0");
    EXPECT_EQ(web.GetScheme(), PortUrl::SCHEME_WEB);
    EXPECT_EQ(web.FileName(), L"cam.zip");
    EXPECT_EQ(web.GetFileType(), PortUrl::FILE_ZIP);
}

TEST(PortUrlTest, ALocalUrlThatCannotBeReadStaysUnparsedWithTheFieldsItHas)
{
    const std::pair<const wchar_t*, int32_t> cases[] = {
        {L"local:cam.xml;10;2a", PortUrl::SCHEME_LOCAL}, {L"local:broken", PortUrl::SCHEME_UNPARSED},
        {L"local:;10;2a", PortUrl::SCHEME_UNPARSED},     {L"local:///;10;2a", PortUrl::SCHEME_UNPARSED},
        {L"local:cam.xml;10", PortUrl::SCHEME_UNPARSED}, {L"local:cam.xml;10;0", PortUrl::SCHEME_UNPARSED},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PortUrl(c.first).GetScheme(), c.second) << std::string(c.first, c.first + std::wcslen(c.first));
    const PortUrl partial(L"local:cam.xml;10");
    EXPECT_EQ(partial.FileName(), L"cam.xml");
    EXPECT_EQ(partial.Address(), 0x10u);
}
