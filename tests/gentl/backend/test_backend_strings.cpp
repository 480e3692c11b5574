// Wide strings, process texts, registry keys and the driver folder on PATH.
#include "CPEXString.h"
#include "PexDriverFolder.h"
#include "ProcessInfoTexts.h"
#include "RegistryEnvironment.h"
#include "RegistryKey.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <unistd.h>

using namespace GenTLCore::PEXCore;

TEST(CPEXStringTest, AppendPathPutsOneSeparatorBetweenParts)
{
    struct Case {
        const wchar_t* start;
        const wchar_t* part;
        const wchar_t* result;
        bool answer;
    };
    const Case cases[] = {
        {L"/a/", L"b", L"/a/b", true},
        {L"/a", L"/b", L"/a/b", true},
        {L"", L"b", L"b", true},
        {L"/a", L"", L"/a/", false},
        {L"/a", L"b", L"/a/b", true},
    };
    for (const Case& c : cases) {
        CPEXString s(c.start);
        EXPECT_EQ(s.AppendPath(c.part), c.answer) << c.start;
        EXPECT_EQ(s.str(), c.result) << c.start;
        CPEXString t(c.start);
        t.AppendPathString(CPEXString(c.part));
        EXPECT_EQ(t.str(), c.result) << c.start;
    }
    EXPECT_EQ((L"x" + CPEXString(L"y")).str(), L"xy");
    EXPECT_EQ(CPEXString(static_cast<const wchar_t*>(nullptr)).str(), L"");
}

TEST(CPEXStringTest, TrimLowerFormatAndConversion)
{
    CPEXString s(L" \tAbC \n");
    s.TrimRight();
    EXPECT_EQ(s.str(), L" \tAbC");
    s.Trim();
    s.ToLower();
    EXPECT_EQ(s.str(), L"abc");
    const std::wstring longText(1000, L'z');
    s.Format(L"%ls-%d", longText.c_str(), 7);
    EXPECT_EQ(s.str(), longText + L"-7");
    s.SetLocalTimeText(0);
    EXPECT_EQ(s.size(), 24u);
    EXPECT_EQ(WideToUtf8(L"\u00e9"), "\xc3\xa9");
    EXPECT_EQ(WideToUtf8(std::wstring(L"a") + wchar_t(0x110000)), "") << "not Unicode: empty";
}

TEST(ProcessInfoTextsTest, ArgumentsFollowTheProgramName)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"\"C:/my prog\" -a  b ", L"-a  b"},
        {L"\"C:/my prog\"", L""},
        {L"prog x", L"x"},
        {L"prog", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProcessInfoTexts::Arguments(CPEXString(c.first)).str(), c.second) << c.first;
    CPEXString name;
    uint32_t pid = 0;
    ProcessInfoTexts::Get(&name, nullptr, nullptr, &pid, nullptr);
    EXPECT_EQ(name.str(), L"test_gentl_backend");
    EXPECT_EQ(pid, uint32_t(getpid()));
}

namespace {

// A registry folder with the given machine and user hives.
class RegistryFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        char dir[] = "/tmp/backend_registry_XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        m_dir = dir;
        setenv("CORVANE_REGISTRY_DIR", dir, 1);
        const char* path = std::getenv("PATH");
        m_path = path ? path : "";
        m_hadPath = path != nullptr;
    }
    void TearDown() override
    {
        for (const char* f : {"/HKEY_LOCAL_MACHINE.reg", "/HKEY_CURRENT_USER.reg"})
            std::remove((m_dir + f).c_str());
        rmdir((m_dir + "/temp").c_str());
        rmdir(m_dir.c_str());
        unsetenv("CORVANE_REGISTRY_DIR");
        if (m_hadPath)
            setenv("PATH", m_path.c_str(), 1);
    }
    void machine(const std::string& text) { std::ofstream(m_dir + "/HKEY_LOCAL_MACHINE.reg") << text; }
    void user(const std::string& text) { std::ofstream(m_dir + "/HKEY_CURRENT_USER.reg") << text; }
    std::string m_dir;
    std::string m_path;
    bool m_hadPath = false;
};

const char* const kInstall = "[Software\\Corvane\\Corvane Imaging Library\\Runtime\\Install]\n";

}  // namespace

TEST_F(RegistryFixture, KeyReadsStringsOfTheirKindsOnly)
{
    machine(std::string(kInstall) + "\"Text\"=sz:abc\n\"Word\"=dword:00000001\n\"Quad\"=qword:0000000000000005\n" +
            "\"List\"=multi_sz:\"a\",\"b\"\n\"None\"=multi_sz:\n\"Long\"=sz:" + std::string(2000, 'L') + "\n");
    RegistryKey key(3, nullptr, false);
    ASSERT_TRUE(key.IsOpen());
    CPEXString text;
    EXPECT_TRUE(key.ReadString(L"text", text));
    EXPECT_EQ(text.str(), L"abc");
    EXPECT_FALSE(key.ReadString(L"Word", text)) << "a DWORD is not text";
    EXPECT_TRUE(key.ReadString(L"List", text));
    EXPECT_EQ(text.str(), L"<a> <b>");
    EXPECT_TRUE(key.ReadString(L"None", text));
    EXPECT_EQ(text.str(), L"<>");
    EXPECT_TRUE(key.ReadString(L"Long", text)) << "read after one enlargement";
    EXPECT_EQ(text.size(), 2000u);
    uint64_t quad = 0;
    EXPECT_TRUE(key.ReadQword(L"Quad", quad));
    EXPECT_EQ(quad, 5u);
    EXPECT_FALSE(key.ReadQword(L"Word", quad));
    EXPECT_FALSE(key.WriteValue(L"New", RegistryKey::kDword, &quad, 4)) << "machine keys are read-only";
    EXPECT_FALSE(KeyExists(2)) << "no user hive";
    EXPECT_FALSE(RegistryKey(4, nullptr, false).IsOpen()) << "an unused row is disabled";
}

TEST_F(RegistryFixture, DebugSettingsPreferTheUserAndMissingFoldersAreSkipped)
{
    const std::string debug = "[Software\\Corvane\\Corvane Imaging Library\\Runtime\\Settings\\Debug]\n";
    machine(debug + "\"TempFolder\"=sz:/nonexistent/temp\n\"Level\"=qword:0000000000000003\n");
    user(debug + "\"Level\"=qword:0000000000000009\n");
    uint64_t level = 0;
    EXPECT_TRUE(ReadDebugSetting(L"Level", nullptr, &level));
    EXPECT_EQ(level, 9u);
    setenv("TEMP", "/tmp", 1);
    CPEXString folder;
    EXPECT_TRUE(ResolveEnvironmentFolder(folder, L"TEMP"));
    EXPECT_EQ(folder.str(), L"/tmp") << "the setting names a missing folder";
    ASSERT_EQ(mkdir((m_dir + "/temp").c_str(), 0700), 0);
    user(debug + "\"TempFolder\"=sz:" + m_dir + "/temp\n");
    EXPECT_TRUE(ResolveEnvironmentFolder(folder, L"temp")) << "the special names match without case";
    EXPECT_EQ(WideToUtf8(folder.str()), m_dir + "/temp");
    unsetenv("TEMP");
}

TEST_F(RegistryFixture, TheDriverFolderJoinsPathOnceAfterAColon)
{
    struct Case {
        const char* value;  // DriversPath, null: none
        const char* path;   // PATH before, null: unset
        std::string result;
    };
    char system[512] = {};
    ASSERT_GT(confstr(_CS_PATH, system, sizeof system), 0u);
    const Case cases[] = {
        {"/opt/cvn", "/usr/bin", "/usr/bin:/opt/cvn/GenTLProducer/Linux64"},
        {"/opt/cvn///", "/usr/bin", "/usr/bin:/opt/cvn/GenTLProducer/Linux64"},
        {nullptr, "/usr/bin", "/usr/bin:GenTLProducer/Linux64"},
        // Without PATH the system's search path stays searched.
        {"/opt/cvn", nullptr, std::string(system) + ":/opt/cvn/GenTLProducer/Linux64"},
        // An empty PATH is one empty entry, the current folder: it stays.
        {"/opt/cvn", "", ":/opt/cvn/GenTLProducer/Linux64"},
        {"/", "/bin", "/bin:/GenTLProducer/Linux64"},
        // Once there as a whole entry, it stays once; parts of entries are
        // other folders.
        {"/", "/bin:/GenTLProducer/Linux64:/sbin", "/bin:/GenTLProducer/Linux64:/sbin"},
        {"/", "/GenTLProducer/Linux64", "/GenTLProducer/Linux64"},
        {"/", "/GenTLProducer/Linux640:/x/GenTLProducer/Linux64",
         "/GenTLProducer/Linux640:/x/GenTLProducer/Linux64:/GenTLProducer/Linux64"},
        {"/", "/GenTLProducer/Linux64/", "/GenTLProducer/Linux64/:/GenTLProducer/Linux64"},
    };
    for (const Case& c : cases) {
        machine(c.value ? std::string(kInstall) + "\"DriversPath\"=sz:" + c.value + "\n" : std::string());
        if (c.path)
            setenv("PATH", c.path, 1);
        else
            unsetenv("PATH");
        PexDriverFolder::AppendToPath(PexDriverFolder::kPlatformWord);
        EXPECT_STREQ(std::getenv("PATH"), c.result.c_str()) << (c.value ? c.value : "no value");
    }
    setenv("PATH", "/bin", 1);
    PexDriverFolder::AppendToPath(PexDriverFolder::kPlatformWord);
    PexDriverFolder::AppendToPath(PexDriverFolder::kPlatformWord);
    EXPECT_STREQ(std::getenv("PATH"), "/bin:/GenTLProducer/Linux64") << "appended once";
}

TEST_F(RegistryFixture, VolatileRowsAreCreatedWithTheirCreatorValues)
{
    RegistryKey key(9, nullptr, true);
    ASSERT_TRUE(key.IsOpen());
    CPEXString text;
    EXPECT_TRUE(key.ReadString(L"Process Name", text));
    EXPECT_EQ(text.str(), L"test_gentl_backend");
    EXPECT_TRUE(key.ReadString(L"PathCreator", text));
    EXPECT_EQ(text.str(), L"Software\\Corvane\\Corvane Imaging Library\\Runtime\\Volatile");
    const uint32_t seven = 7;
    EXPECT_TRUE(key.WriteValue(L"Seven", RegistryKey::kDword, &seven, 4));
    EXPECT_FALSE(RegistryKey(2, L"Other\\Volatile", true).IsOpen()) << "volatile only through its rows";
}
