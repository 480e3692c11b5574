#include "TestModule.h"

#include "BrandingControl.h"
#include "GenTLBranding.h"

using namespace GenTLCore;

namespace GenTLTest {

TestModule::TestModule(uint64_t moduleEventMaxSize) : m_moduleEventMaxSize(moduleEventMaxSize)
{
    AddStringRegister(0x00, 64, REG_ACCESS_RO, 1);
    AddUInt32Register(0x40, REG_ACCESS_RW, 2);
    AddInt32Register(0x44, REG_ACCESS_WO, 3);
    AddRegister(0x48, 8, REG_ACCESS_RW, REG_TYPE_UINT64, 4);
    AddStringRegister(0x50, 16, REG_ACCESS_RW, 5);
    AddStringRegister(0x60, 16, REG_ACCESS_WO, 6);
    AddUInt32Register(0x100, REG_ACCESS_DYNAMIC, 8);
    AddStringRegister(kDescriptionAddress, GetBranding().GetSystemXml().size(), REG_ACCESS_RO, 9);
    AddCustomRegisters();
    FinalizeRegMap();
    texts[1] = "TestModule";
    texts[9] = GetBranding().GetSystemXml();
}

TestModule::~TestModule() = default;

void TestModule::AddCustomRegisters() { AddUInt32Register(kCustomId, REG_ACCESS_RW, kCustomId); }

void TestModule::InitPortURLs()
{
    const GenTLBranding& branding = GetBranding();
    SetPortURLs({DescriptionUrl(branding.GetSystemXmlFileName(), branding.GetSystemXml(), branding.GetSystemXmlSha1())});
    InitEventSource(true, false, 0);
    MarkEventSourceReady();
}

int32_t TestModule::GetDynamicAccess(uint32_t) { return dynamicAccess; }

int32_t TestModule::ReadInt32Register(uint32_t id, int32_t* value)
{
    *value = static_cast<int32_t>(numbers[id]);
    return 0;
}

int32_t TestModule::ReadUInt32Register(uint32_t id, uint32_t* value)
{
    *value = static_cast<uint32_t>(numbers[id]);
    return 0;
}

int32_t TestModule::ReadUInt64Register(uint32_t id, uint64_t* value)
{
    *value = numbers[id];
    return 0;
}

int32_t TestModule::ReadStringRegister(uint32_t id, std::string* value)
{
    *value = texts[id];
    return 0;
}

int32_t TestModule::WriteInt32Register(uint32_t id, int32_t value)
{
    numbers[id] = static_cast<uint32_t>(value);
    return 0;
}

int32_t TestModule::WriteUInt32Register(uint32_t id, uint32_t value)
{
    numbers[id] = value;
    return 0;
}

int32_t TestModule::WriteUInt64Register(uint32_t id, uint64_t value)
{
    numbers[id] = value;
    return 0;
}

int32_t TestModule::WriteStringRegister(uint32_t id, const std::string& value)
{
    texts[id] = value;
    return 0;
}

int32_t TestModule::ReadCustomUInt32Register(uint32_t id, uint32_t* value) { return ReadUInt32Register(id, value); }

int32_t TestModule::WriteCustomUInt32Register(uint32_t id, uint32_t value) { return WriteUInt32Register(id, value); }

int32_t TestModule::RegisterTLEvent(int32_t)
{
    ++arms;
    return 0;
}

bool TestModule::UnregisterTLEvent(int32_t)
{
    ++disarms;
    return !failDisarm;
}

bool TestModule::GetModuleEventMaxSize(uint64_t* maxSize)
{
    *maxSize = m_moduleEventMaxSize;
    return m_moduleEventMaxSize > 0;
}

}  // namespace GenTLTest
