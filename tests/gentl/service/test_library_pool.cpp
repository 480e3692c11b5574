// The handle pool of the library object, with plain handles as children.
#include "GenTLLibrary.h"
#include "GenTLSystem.h"
#include "TestBackendSettings.h"
#include "TestLibrary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace GenTLCore;
using namespace GenTLTest;

namespace {

// A handle that records its opens and closes by name.
class Node : public GenTLHandle {
public:
    Node(std::string name, std::vector<std::string>* log) : m_name(std::move(name)), m_log(log) {}
    std::string& GetID(std::string& id) override { return id = m_name; }
    int32_t Open() override
    {
        m_log->push_back("open " + m_name);
        return openResult;
    }
    int32_t Close() override
    {
        m_log->push_back("close " + m_name);
        return closeResult;
    }

    int32_t openResult = 0;
    int32_t closeResult = 0;

private:
    std::string m_name;
    std::vector<std::string>* m_log;
};

class LibraryPoolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestBackendSettings::Get().Reset();
        ASSERT_EQ(library.InitLib(), GC_ERR_SUCCESS);
        CountedPtr<GenTLSystem> system;
        ASSERT_EQ(library.SysOpen(&system), GC_ERR_SUCCESS);
        ASSERT_EQ(library.RegisterHandle(system, nullptr, &systemHandle), GC_ERR_SUCCESS);
    }

    CountedPtr<Node> MakeNode(const std::string& name) { return CountedPtr<Node>(new Node(name, &log)); }

    TestLibrary library;
    void* systemHandle = nullptr;
    std::vector<std::string> log;
};

}  // namespace

TEST(LibraryUninitialisedTest, EveryPoolOperationRefuses)
{
    TestLibrary library;
    void* out = nullptr;
    CountedPtr<GenTLSystem> system;
    CountedPtr<GenTLPort> port;
    EXPECT_EQ(library.GetParent(&out, &out), GC_ERR_NOT_INITIALIZED);
    EXPECT_EQ(library.SysOpen(&system), GC_ERR_NOT_INITIALIZED);
    EXPECT_EQ(library.LookupPortHandle(&out, &port), GC_ERR_NOT_INITIALIZED);
    EXPECT_EQ(library.UnregisterHandleCore(&out), GC_ERR_NOT_INITIALIZED);
    EXPECT_EQ(library.RegisterHandle(CountedPtr<GenTLHandle>(), nullptr, &out), GC_ERR_NOT_INITIALIZED);
    EXPECT_EQ(library.GetLibInfo(TL_INFO_ID, nullptr, nullptr, nullptr), GC_ERR_NOT_INITIALIZED);
    EXPECT_EQ(library.CloseLib(), GC_ERR_NOT_INITIALIZED);
}

TEST_F(LibraryPoolTest, ClosingAHandleClosesItsDescendantsDeepestFirst)
{
    CountedPtr<Node> a = MakeNode("a");
    CountedPtr<Node> b = MakeNode("b");
    CountedPtr<Node> c = MakeNode("c");
    void* ha = nullptr;
    void* hb = nullptr;
    void* hc = nullptr;
    ASSERT_EQ(library.RegisterHandle(a, systemHandle, &ha), GC_ERR_SUCCESS);
    ASSERT_EQ(library.RegisterHandle(b, ha, &hb), GC_ERR_SUCCESS);
    ASSERT_EQ(library.RegisterHandle(c, hb, &hc), GC_ERR_SUCCESS);
    void* parent = nullptr;
    EXPECT_EQ(library.GetParent(hc, &parent), GC_ERR_SUCCESS);
    EXPECT_EQ(parent, hb);
    EXPECT_EQ(library.GetParent(systemHandle, &parent), GC_ERR_SUCCESS);
    EXPECT_EQ(parent, nullptr);
    b->closeResult = GC_ERR_IO;
    a->closeResult = GC_ERR_BUSY;
    log.clear();
    EXPECT_EQ(library.UnregisterHandleCore(ha), GC_ERR_BUSY);
    EXPECT_EQ(log, (std::vector<std::string>{"close c", "close b", "close a"}));
    EXPECT_EQ(library.PoolSize(), 1u);
    EXPECT_FALSE(a->IsOpen());
}

TEST_F(LibraryPoolTest, RegistrationRefusals)
{
    CountedPtr<Node> a = MakeNode("a");
    void* ha = nullptr;
    ASSERT_EQ(library.RegisterHandle(a, systemHandle, &ha), GC_ERR_SUCCESS);
    void* again = nullptr;
    EXPECT_EQ(library.RegisterHandle(a, systemHandle, &again), GC_ERR_RESOURCE_IN_USE);
    EXPECT_EQ(library.RegisterHandle(a, systemHandle, nullptr), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(library.RegisterHandle(CountedPtr<Node>(), systemHandle, &again), GC_ERR_ERROR);

    CountedPtr<Node> failing = MakeNode("failing");
    failing->openResult = GC_ERR_ACCESS_DENIED;
    EXPECT_EQ(library.RegisterHandle(failing, systemHandle, &again), GC_ERR_ACCESS_DENIED);
    EXPECT_EQ(library.PoolSize(), 2u);

    // A parent closed after the child was handed out: the child is neither
    // opened nor entered.
    CountedPtr<Node> orphan = MakeNode("orphan");
    ASSERT_EQ(library.UnregisterHandleCore(ha), GC_ERR_SUCCESS);
    log.clear();
    EXPECT_EQ(library.RegisterHandle(orphan, ha, &again), GC_ERR_INVALID_HANDLE);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(library.PoolSize(), 1u);
}

TEST_F(LibraryPoolTest, LookupsAndUnregistrationsCheckTheKind)
{
    CountedPtr<Node> a = MakeNode("a");
    void* ha = nullptr;
    ASSERT_EQ(library.RegisterHandle(a, systemHandle, &ha), GC_ERR_SUCCESS);
    CountedPtr<GenTLSystem> system;
    CountedPtr<GenTLPort> port;
    EXPECT_EQ(library.LookupSystemHandle(ha, &system), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(library.LookupPortHandle(systemHandle, &port), GC_ERR_SUCCESS);
    EXPECT_EQ(library.LookupSystemHandle(&system, &system), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(library.UnregisterInterfaceHandle(ha), GC_ERR_INVALID_HANDLE);
    EXPECT_TRUE(a->IsOpen());
    // Closing the library closes the system and all below it.
    EXPECT_EQ(library.CloseLib(), GC_ERR_SUCCESS);
    EXPECT_FALSE(a->IsOpen());
    EXPECT_EQ(library.PoolSize(), 0u);
}
