#include <platform/os/Environment.h>
#include <platform/os/Registry.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace platform::os;

namespace {

// A registry folder of its own, named by CORVANE_REGISTRY_DIR.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char dir[] = "/tmp/registry_test_XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        m_dir = dir;
        setenv("CORVANE_REGISTRY_DIR", dir, 1);
    }
    void TearDown() override
    {
        std::remove((m_dir + "/HKEY_LOCAL_MACHINE.reg").c_str());
        std::remove((m_dir + "/HKEY_CURRENT_USER.reg").c_str());
        rmdir(m_dir.c_str());
        unsetenv("CORVANE_REGISTRY_DIR");
    }
    void writeHive(const char* name, const std::string& text)
    {
        std::ofstream(m_dir + "/" + name) << text;
    }
    std::string readHive(const char* name)
    {
        std::ifstream in(m_dir + "/" + name);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string m_dir;
};

}  // namespace

TEST_F(RegistryTest, ReadsValuesOfEveryKindWithoutCaseAndReportsTheRoomItNeeds)
{
    writeHive("HKEY_LOCAL_MACHINE.reg",
              "[Software\\Corvane\\Install]\n"
              "\"DriversPath\"=sz:/opt/corvane/drivers\n"
              "\"Count\"=dword:0000000a\n"
              "\"Big\"=qword:0000000100000002\n"
              "\"Bytes\"=hex:01,ff\n"
              "\"List\"=multi_sz:\"a\",\"b \\\"c\\\"\"\n");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"software\\CORVANE\\install", 0, KEY_READ, &key), ERROR_SUCCESS);
    uint32_t type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExW(key, L"driverspath", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    const std::wstring expected = L"/opt/corvane/drivers";
    EXPECT_EQ(size, (expected.size() + 1) * sizeof(wchar_t));
    std::vector<uint8_t> small(4);
    uint32_t room = 4;
    EXPECT_EQ(RegQueryValueExW(key, L"DriversPath", nullptr, &type, small.data(), &room), ERROR_MORE_DATA);
    EXPECT_EQ(room, size);
    std::vector<wchar_t> text(size / sizeof(wchar_t));
    ASSERT_EQ(RegQueryValueExW(key, L"DriversPath", nullptr, &type, reinterpret_cast<uint8_t*>(text.data()), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(text.data()), expected);

    uint32_t dword = 0;
    size = 4;
    RegQueryValueExW(key, L"Count", nullptr, &type, reinterpret_cast<uint8_t*>(&dword), &size);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(dword, 10u);
    uint64_t qword = 0;
    size = 8;
    RegQueryValueExW(key, L"Big", nullptr, &type, reinterpret_cast<uint8_t*>(&qword), &size);
    EXPECT_EQ(qword, 0x100000002ull);
    uint8_t bytes[2] = {};
    size = 2;
    RegQueryValueExW(key, L"Bytes", nullptr, &type, bytes, &size);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(bytes[1], 0xFF);
    wchar_t list[16] = {};
    size = sizeof list;
    RegQueryValueExW(key, L"List", nullptr, &type, reinterpret_cast<uint8_t*>(list), &size);
    EXPECT_EQ(type, REG_MULTI_SZ);
    EXPECT_EQ(std::wstring(list), L"a");
    EXPECT_EQ(std::wstring(list + 2), L"b \"c\"");
    EXPECT_EQ(RegQueryValueExW(key, L"Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Nobody", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, &key), ERROR_SUCCESS)
        << "a parent of a listed key exists";
    RegCloseKey(key);
}

TEST_F(RegistryTest, AParentKeyExistsBesideSiblingsWhoseNamesSortBeforeItsChildren)
{
    // "corvane imaging library" and "corvane.old" sort between "corvane" and
    // "corvane\\install".
    writeHive("HKEY_LOCAL_MACHINE.reg",
              "[Software\\Corvane Imaging Library\\Runtime]\n"
              "[Software\\Corvane.Old]\n"
              "[Software\\Corvane\\Install]\n");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Corvane", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Corv", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, WritesReachTheFileOnFlushButVolatileKeysStayInMemory)
{
    HKEY user = nullptr, key = nullptr, scratch = nullptr;
    ASSERT_EQ(RegOpenCurrentUser(KEY_ALL_ACCESS, &user), ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExW(user, L"Software\\Corvane\\Kept", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring value = L"x\u00e9";
    ASSERT_EQ(RegSetValueExW(key, L"Name", 0, REG_SZ, reinterpret_cast<const uint8_t*>(value.c_str()),
                             uint32_t((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    uint32_t disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(user, L"Software\\Corvane\\Volatile", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &scratch, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    const uint32_t one = 1;
    RegSetValueExW(scratch, L"Flag", 0, REG_DWORD, reinterpret_cast<const uint8_t*>(&one), 4);
    EXPECT_EQ(RegFlushKey(key), ERROR_SUCCESS);
    const std::string file = readHive("HKEY_CURRENT_USER.reg");
    EXPECT_NE(file.find("[Software\\Corvane\\Kept]\n\"Name\"=sz:x\xc3\xa9\n"), std::string::npos) << file;
    EXPECT_EQ(file.find("Volatile"), std::string::npos);
    HKEY readOnly = nullptr;
    ASSERT_EQ(RegOpenKeyExW(user, L"Software\\Corvane\\Volatile", 0, KEY_READ, &readOnly), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(readOnly, L"Flag", 0, REG_DWORD, reinterpret_cast<const uint8_t*>(&one), 4),
              ERROR_ACCESS_DENIED);
    for (HKEY k : {readOnly, scratch, key, user})
        RegCloseKey(k);
}

TEST(EnvironmentTest, WideVariablesAndFolderAttributes)
{
    ASSERT_TRUE(setEnvironmentW(L"LUMA_WIDE_TEST", L"\u00e4/b"));
    EXPECT_STREQ(std::getenv("LUMA_WIDE_TEST"), "\xc3\xa4/b");
    std::wstring value;
    ASSERT_TRUE(getEnvironmentW(L"LUMA_WIDE_TEST", &value));
    EXPECT_EQ(value, L"\u00e4/b");
    ASSERT_TRUE(setEnvironmentW(L"LUMA_WIDE_TEST", nullptr));
    EXPECT_FALSE(getEnvironmentW(L"LUMA_WIDE_TEST", &value));
    EXPECT_EQ(getFileAttributesW(L"/tmp") & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(getFileAttributesW(L"/nonexistent/folder"), INVALID_FILE_ATTRIBUTES);
    std::string utf8;
    EXPECT_FALSE(wideToUtf8(std::wstring(1, wchar_t(0xD800)), &utf8));
    EXPECT_EQ(utf8ToWide("a\xff"), L"a\ufffd");
    EXPECT_NE(executablePath().find(L"test_platform_os"), std::wstring::npos);
    EXPECT_GT(processStartTime(), 1000000000);
}
