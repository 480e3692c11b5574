// Selected nodes of each description against the module register maps and
// the feature tables.
#include "DescriptionFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>

namespace {

struct RegisterRow {
    const char* description;
    const char* name;
    const char* kind;
    const char* address; // Address element ("" when computed)
    const char* length;
    const char* access;
};

const XmlNode& NodeOf(const std::string& description, const std::string& name)
{
    const auto& nodes = Served(description).nodes;
    const auto it = nodes.find(name);
    if (it == nodes.end())
        throw std::runtime_error(description + " has no node " + name);
    return *it->second;
}

std::string TopLevelNames(const std::string& description)
{
    std::string names;
    for (const XmlNode& node : Served(description).root.children)
        names += node.AttributeOr("Name") + " ";
    return names;
}

TEST(DescriptionInventory, RegistersSitAtTheAddressesTheModulesServe)
{
    const RegisterRow rows[] = {
        {"System", "TLID_Val", "StringReg", "0x0", "512", "RO"},
        {"System", "TLPath_Val", "StringReg", "0x200", "512", "RO"},
        {"System", "TLDisplayName_Val", "StringReg", "0x460", "32", "RO"},
        {"System", "TLVersion_Val", "StringReg", "0x480", "16", "RO"},
        {"System", "GenTLVersionMinor_Val", "IntReg", "0x494", "4", "RO"},
        {"System", "InterfaceUpdateList_Val", "IntReg", "0x10000000", "4", "WO"},
        {"System", "InterfaceSelector_Val", "IntReg", "", "4", "RW"},
        {"System", "InterfaceID_Val", "StringReg", "0x10000010", "128", "RO"},
        {"System", "EventTestValue", "IntReg", "0x04", "4", "RO"},
        {"Interface", "InterfaceDisplayName_Val", "StringReg", "0x80", "128", "RO"},
        {"Interface", "DeviceAccessStatus_Val", "IntReg", "0x1000000C", "4", "RO"},
        {"Interface", "DeviceSerialNumer_Val", "StringReg", "0x10000110", "64", "RO"},
        {"Interface", "DeviceUserID_Val", "StringReg", "0x10000150", "64", "RO"},
        {"Interface", "DeviceUserID_Avail", "IntReg", "0x10000190", "4", "RO"},
        {"Datastream", "StreamAnnounceBufferMinimum_Val", "IntReg", "0x10000004", "4", "RO"},
        {"Datastream", "StreamBufferHandlingMode_Val", "IntReg", "0x10000008", "4", "RW"},
        {"Datastream", "PayloadSize_Val", "IntReg", "0x10000014", "4", "RO"},
        {"Datastream", "StreamThreadApplyPriority_Val", "IntReg", "0x2000000C", "4", "WO"},
        {"Datastream", "StreamAuxiliaryBufferCount_Val", "IntReg", "0x20000010", "4", "RW"},
        {"Localdevice", "DeviceManufacturerInfo_Val", "StringReg", "0x1C0", "64", "RO"},
        {"Localdevice", "DeviceDisplayName_Val", "StringReg", "0x200", "128", "RO"},
        {"Localdevice", "DeviceUserID_Avail", "IntReg", "0x284", "4", "RO"},
        {"Localdevice", "StreamSelector_Val", "IntReg", "", "4", "RW"},
        {"Localdevice", "DeviceEventsThreadApplyPriority_Val", "IntReg", "0x20000010", "4", "WO"},
        {"Localdevice", "PixelFormatRegister", "IntReg", "0x3C", "4", "RW"},
        {"Localdevice", "AcquisitionStartedRegister", "IntReg", "0xFFC", "4", "RW"},
        {"Localdevice", "BalanceRatioRegister", "FloatReg", "", "4", "RW"},
        {"Localdevice", "BalanceWhiteAutoRegister", "IntReg", "0x10", "4", "RW"},
    };
    for (const RegisterRow& row : rows) {
        SCOPED_TRACE(std::string(row.description) + " " + row.name);
        const XmlNode& node = NodeOf(row.description, row.name);
        EXPECT_EQ(node.tag, row.kind);
        EXPECT_EQ(node.ChildText("Address"), row.address);
        EXPECT_EQ(node.ChildText("Length"), row.length);
        EXPECT_EQ(node.ChildText("AccessMode"), row.access);
    }
}

TEST(DescriptionInventory, ComputedAndRelativeAddresses)
{
    struct Row {
        const char* description;
        const char* name;
        const char* formula;
    } rows[] = {
        {"System", "InterfaceSelector_Val", " ANY_EXISTS ? 0x10000008 : 0x0F000000 "},
        {"Interface", "DeviceSelector_Val", " ANY_EXISTS ? 0x10000008 : 0x0F000000 "},
        {"Localdevice", "StreamSelector_Val", " ANY_EXISTS ? 0x10000004 : 0x0F000000 "},
        {"Localdevice", "BalanceRatioRegister", "AC + (4 * SEL)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const XmlNode* formula = NodeOf(row.description, row.name).Child("IntSwissKnife");
        ASSERT_NE(formula, nullptr);
        EXPECT_EQ(formula->ChildText("Formula"), row.formula);
    }
    const XmlNode& balance = NodeOf("Localdevice", "BalanceRatioRegister");
    const auto variables = balance.Child("IntSwissKnife")->ChildrenNamed("pVariable");
    ASSERT_EQ(variables.size(), 2u);
    EXPECT_EQ(variables[0]->AttributeOr("Name") + "=" + variables[0]->text, "AC=AnalogControlStartAddress");
    EXPECT_EQ(variables[1]->AttributeOr("Name") + "=" + variables[1]->text, "SEL=BalanceRatioSelectorValue");

    EXPECT_EQ(NodeOf("Localdevice", "AcquisitionControlStartAddress").ChildText("Value"), "0x50002000");
    EXPECT_EQ(NodeOf("Localdevice", "AnalogControlStartAddress").ChildText("Value"), "0x50001000");
    EXPECT_EQ(NodeOf("Localdevice", "WidthRegister").ChildText("pAddress"), "AcquisitionControlStartAddress");
    EXPECT_EQ(NodeOf("Localdevice", "BalanceWhiteAutoRegister").ChildText("pAddress"), "AnalogControlStartAddress");
}

TEST(DescriptionInventory, CachingInvalidatorsAndSigns)
{
    auto invalidators = [](const XmlNode& node) {
        std::string all;
        for (const XmlNode* child : node.ChildrenNamed("pInvalidator"))
            all += child->text + " ";
        return all;
    };
    const XmlNode& selector = NodeOf("System", "InterfaceSelector_Val");
    EXPECT_EQ(selector.ChildText("Cachable"), "NoCache");
    EXPECT_EQ(invalidators(selector), "InterfaceUpdateList_Val NrInterfaces_Val ");
    EXPECT_EQ(invalidators(NodeOf("Interface", "DeviceSerialNumer_Val")), "DeviceSelector_Val ");

    const XmlNode& announced = NodeOf("Datastream", "StreamAnnouncedBufferCount_Val");
    EXPECT_EQ(announced.ChildText("Cachable"), "NoCache");
    EXPECT_EQ(announced.ChildText("PollingTime"), "10000");
    EXPECT_EQ(NodeOf("Datastream", "StreamThreadPriority_Val").ChildText("Sign"), "Signed");
    EXPECT_EQ(NodeOf("Datastream", "StreamThreadApplyPriority_Val").ChildText("Sign"), "Unsigned");
    EXPECT_EQ(NodeOf("Localdevice", "DeviceEventsThreadSchedulingPolicy_Val").ChildText("Sign"), "Signed");
    // The local device's standard registers leave caching to the consumer.
    EXPECT_EQ(NodeOf("Localdevice", "StreamID_Val").Child("Cachable"), nullptr);
    EXPECT_EQ(invalidators(NodeOf("Localdevice", "StreamID_Val")), "StreamSelector_Val ");
    EXPECT_EQ(NodeOf("Localdevice", "WidthMaxRegister").ChildText("Cachable"), "NoCache");
    EXPECT_EQ(invalidators(NodeOf("Localdevice", "WidthMaxRegister")), "OffsetXRegister ");
    EXPECT_EQ(invalidators(NodeOf("Localdevice", "PixelSizeRegister")), "PixelFormatRegister ");
    EXPECT_EQ(invalidators(NodeOf("Localdevice", "BalanceRatioRegister")), "BalanceWhiteAutoRegister ");
}

TEST(DescriptionInventory, FeaturesKeepTheirPeculiarNamesAndTexts)
{
    EXPECT_EQ(NodeOf("System", "TLFileName").ChildText("DisplayName"), "TL Name");
    EXPECT_EQ(NodeOf("System", "GenTLVersionMajor").ChildText("DisplayName"), "Gen TL Version Major");
    EXPECT_EQ(NodeOf("System", "TestEventPort").ChildText("EventID"), "11111101");
    EXPECT_EQ(NodeOf("Interface", "DeviceSerialNumber").ChildText("pValue"), "DeviceSerialNumer_Val");
    EXPECT_EQ(NodeOf("Localdevice", "DeviceID").ChildText("DisplayName"), "Device ID ");
    EXPECT_EQ(NodeOf("Localdevice", "DeviceVendorName").ChildText("DisplayName"), "Device Vendor Name  ");
    EXPECT_EQ(NodeOf("Datastream", "StreamID").ChildText("ToolTip"), "Device unique ID for the data stream, e.");
    EXPECT_EQ(NodeOf("Localdevice", "StreamID").ChildText("ToolTip"), "Device unique ID for the stream, e.");
    EXPECT_EQ(NodeOf("Interface", "DeviceSelector").ChildText("Description"),
              "Selector for the different devices on this interface. This value only changes on execution of "
              "\"DeviceUpdateList\".");
    EXPECT_EQ(NodeOf("Localdevice", "DeviceAccessStatus").ChildText("ToolTip"),
              "Gets the access status the GenTL Producer has on the device:.");
    EXPECT_EQ(NodeOf("Localdevice", "ImageFormatControl").ChildText("ImposedAccessMode"), "RO");
    EXPECT_EQ(NodeOf("Localdevice", "DeviceEventsEngineControl").ChildText("pIsImplemented"),
              "DeviceEventEngineControl_Impl");
    EXPECT_EQ(NodeOf("Datastream", "StreamAuxiliaryBufferCount").ChildText("Max"), "20");
    EXPECT_EQ(NodeOf("Datastream", "StreamAuxiliaryBufferCount").ChildText("pIsLocked"), "StreamAcquisitionActive_Val");
    EXPECT_EQ(NodeOf("Datastream", "PayloadSize").ChildText("Unit"), "Byte");

    const XmlNode& once = *NodeOf("Localdevice", "BalanceWhiteAuto").ChildrenNamed("EnumEntry").at(1);
    EXPECT_EQ(once.AttributeOr("Name"), "Once");
    EXPECT_EQ(once.ChildText("IsSelfClearing"), "Yes");

    const auto selected = NodeOf("Interface", "DeviceSelector").ChildrenNamed("pSelected");
    EXPECT_EQ(selected.size(), 6u);
    const auto status = NodeOf("Localdevice", "DeviceAccessStatus").ChildrenNamed("EnumEntry");
    ASSERT_EQ(status.size(), 3u);
    EXPECT_EQ(status[1]->AttributeOr("Name") + status[1]->ChildText("Value"), "OpenReadWrite5");
    EXPECT_EQ(NodeOf("Interface", "DeviceAccessStatus").ChildrenNamed("EnumEntry").size(), 7u);
    EXPECT_EQ(NodeOf("Localdevice", "AcquisitionStarted").Child("DisplayName"), nullptr);
}

TEST(DescriptionInventory, LocalDeviceNodesStandInTheirDocumentOrder)
{
    const std::string expected =
        "Root DeviceInformation StreamEnumeration DeviceEventsEngineControl "
        "DeviceID DeviceSerialNumber DeviceUserID DeviceVendorName DeviceModelName DeviceVersion "
        "DeviceManufacturerInfo DeviceType DeviceAccessStatus StreamSelector AnyStreamExists_Calc "
        "StreamSelector_MaxCalc SelectedStreamValid_Calc StreamID DeviceEventsThreadSchedulingPolicy "
        "EventsAndSchedPolicy_ImplCalc DeviceEventsThreadPriority DeviceEventsThreadApplyPriority "
        "DeviceID_Val DeviceSerialNumber_Val DeviceUserID_Val DeviceVendorName_Val DeviceModelName_Val "
        "DeviceVersion_Val DeviceManufacturerInfo_Val DeviceDisplayName_Val DeviceAccessStatus_Val "
        "DeviceUserID_Avail NrStreams_Val StreamSelector_Val StreamID_Val DeviceEventEngineControl_Impl "
        "DeviceEventsThreadSchedulingPolicy_Impl DeviceEventsThreadSchedulingPolicy_Val "
        "DeviceEventsThreadPriority_Val DeviceEventsThreadApplyPriority_Val DevicePort "
        "ImageFormatControl AnalogControl AcquisitionControlStartAddress WidthMax AbsoluteWidthMaxRegister "
        "HeightMax AbsoluteHeightMaxRegister WidthMaxRegister HeightMaxRegister Width WidthRegister Height "
        "HeightRegister OffsetXMaxRegister OffsetYMaxRegister OffsetX OffsetXRegister OffsetY OffsetYRegister "
        "OffsetIncrement DecimationHorizontalMode DecimationHorizontal DecimationHorizontalRegister "
        "DecimationVerticalMode DecimationVertical DecimationVerticalRegister DecimationIncrement ReverseX "
        "ReverseXRegister ReverseY ReverseYRegister BayerConversionAuto BayerConversionAutoRegister PixelFormat "
        "PixelFormatRegister PixelSize PixelSizeRegister PixelColorFilter PixelColorFilterRegister "
        "AcquisitionStarted AcquisitionStartedRegister AcquisitionStopped AnalogControlStartAddress "
        "BalanceRatioSelector BalanceRatioSelectorValue BalanceRatio BalanceRatioRegister BalanceWhiteAuto "
        "BalanceWhiteAutoRegister ";
    EXPECT_EQ(TopLevelNames("Localdevice"), expected);
    // Helper nodes of the image-format part carry neither NameSpace nor Visibility.
    for (const char* helper : {"OffsetIncrement", "DecimationIncrement", "AcquisitionStopped",
                               "AcquisitionControlStartAddress", "AnalogControlStartAddress"}) {
        EXPECT_EQ(NodeOf("Localdevice", helper).Attribute("NameSpace"), nullptr) << helper;
        EXPECT_EQ(NodeOf("Localdevice", helper).Child("Visibility"), nullptr) << helper;
    }
    EXPECT_EQ(NodeOf("Localdevice", "OffsetIncrement").ChildText("Formula"), "(PCF = 0) ? 1 : 2");
    EXPECT_EQ(NodeOf("Localdevice", "AnyStreamExists_Calc").ChildText("Formula"), " NRSTRMS > 0 ");
}

TEST(DescriptionInventory, PixelFormatEnumerationFollowsThePfncTable)
{
    const auto entries = NodeOf("Localdevice", "PixelFormat").ChildrenNamed("EnumEntry");
    ASSERT_EQ(entries.size(), 243u);
    std::set<std::string> names, values;
    int mono = 0, colour = 0;
    std::set<unsigned long> sizes;
    for (const XmlNode* size : NodeOf("Localdevice", "PixelSize").ChildrenNamed("EnumEntry"))
        sizes.insert(std::stoul(size->ChildText("Value")));
    EXPECT_EQ(sizes.size(), 16u);
    std::set<std::string> withoutSizeEntry;
    for (const XmlNode* entry : entries) {
        const std::string name = entry->AttributeOr("Name");
        const std::string value = entry->ChildText("Value");
        names.insert(name);
        values.insert(value);
        ASSERT_EQ(value.size(), 10u) << name;
        ASSERT_EQ(value.substr(0, 2), "0x") << name;
        EXPECT_EQ(value.find_first_not_of("0123456789ABCDEF", 2), std::string::npos) << name;
        const unsigned long code = std::stoul(value, nullptr, 16);
        if ((code >> 24) == 0x01)
            ++mono;
        else if ((code >> 24) == 0x02)
            ++colour;
        if (!sizes.count((code >> 16) & 0xFF))
            withoutSizeEntry.insert(name);
        EXPECT_EQ(entry->AttributeOr("NameSpace"), "Custom") << name;
        EXPECT_EQ(entry->ChildText("DisplayName"), name);
        EXPECT_EQ(entry->ChildText("ToolTip"), entry->ChildText("Description")) << name;
        EXPECT_FALSE(entry->ChildText("Description").empty()) << name;
    }
    EXPECT_EQ(names.size(), 243u);
    EXPECT_EQ(values.size(), 243u);
    EXPECT_EQ(mono, 108);
    EXPECT_EQ(colour, 135);
    // Only the two 40-bit formats have no PixelSize entry.
    EXPECT_EQ(withoutSizeEntry, (std::set<std::string>{"RGBa10p", "BGRa10p"}));

    struct Telling {
        std::size_t index;
        const char* name;
        const char* value;
        const char* text;
    } rows[] = {
        {0, "Mono1p", "0x01010037", "Monochrome 1-bit packed"},
        {3, "Mono8", "0x01080001", "Monochrome 8-bit"},
        {6, "Mono10p", "0x010A0046", "Monochrome 10-bit packed"},
        {242, "YUV422_8_UYVY", "0x0210001F", "YUV 4:2:2 8-bit"},
    };
    for (const Telling& row : rows) {
        const XmlNode& entry = *entries.at(row.index);
        EXPECT_EQ(entry.AttributeOr("Name"), row.name);
        EXPECT_EQ(entry.ChildText("Value"), row.value);
        EXPECT_EQ(entry.ChildText("Description"), row.text);
    }
    auto find = [&](const std::string& name) -> const XmlNode& {
        for (const XmlNode* entry : entries)
            if (entry->AttributeOr("Name") == name)
                return *entry;
        throw std::runtime_error("no pixel format " + name);
    };
    EXPECT_EQ(find("RGB10p32").ChildText("Value"), "0x0220001D");
    EXPECT_EQ(find("Coord3D_ABC32f").ChildText("Description"), "3D coordinate A-B-C 32-bit floating point");
    EXPECT_EQ(find("SCF1WBWG8").ChildText("Description"), "Sparse Color Filter #1 White-Blue-White-Green 8-bit");
    EXPECT_EQ(find("YCbCr709_422_8").ChildText("Value"), "0x02100041");
}

// Every PixelFormat entry, in order, against the PFNC table of the test data
// (lines "name<TAB>code<TAB>short description").
TEST(DescriptionInventory, PixelFormatEntriesMatchTheReferenceTableRowByRow)
{
    const char* source = std::getenv("LUMA_SOURCE_DIR");
    const std::string path = std::string(source ? source : LUMA_TEST_SOURCE_DIR) + "/tests/data/pfnc_pixel_formats.tsv";
    std::ifstream file(path);
    ASSERT_TRUE(file.good()) << "reference table missing: " << path;
    struct Row {
        std::string name, code, text;
    };
    std::vector<Row> rows;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t first = line.find('\t');
        const std::size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
        ASSERT_NE(second, std::string::npos) << line;
        rows.push_back({line.substr(0, first), line.substr(first + 1, second - first - 1), line.substr(second + 1)});
    }
    ASSERT_EQ(rows.size(), 243u);
    const auto entries = NodeOf("Localdevice", "PixelFormat").ChildrenNamed("EnumEntry");
    ASSERT_EQ(entries.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i) + " " + rows[i].name);
        EXPECT_EQ(entries[i]->AttributeOr("Name"), rows[i].name);
        EXPECT_EQ(entries[i]->ChildText("Value"), rows[i].code);
        EXPECT_EQ(entries[i]->ChildText("Description"), rows[i].text);
        EXPECT_EQ(entries[i]->ChildText("ToolTip"), rows[i].text);
    }
}

TEST(DescriptionInventory, OtherDescriptionsKeepAFixedDocumentOrder)
{
    EXPECT_EQ(TopLevelNames("Datastream"),
              "Root StreamInformation BufferHandlingControl StreamEngineControl StreamID StreamType "
              "StreamAnnouncedBufferCount StreamBufferHandlingMode StreamAnnounceBufferMinimum PayloadSize "
              "StreamThreadSchedulingPolicy StreamThreadPriority StreamThreadApplyPriority "
              "StreamAuxiliaryBufferCount StreamID_Val StreamAnnouncedBufferCount_Val "
              "StreamAnnounceBufferMinimum_Val StreamBufferHandlingMode_Val StreamAcquisitionActive_Val "
              "ModifiesPayload_Val PayloadSize_Val StreamThreadSchedulingPolicy_Impl "
              "StreamThreadSchedulingPolicy_Val StreamThreadPriority_Val StreamThreadApplyPriority_Val "
              "StreamAuxiliaryBufferCount_Val StreamPort ");
    const std::string system = TopLevelNames("System");
    EXPECT_EQ(system.substr(0, system.find(" TLID ")), "Root SystemInformation InterfaceEnumeration");
    EXPECT_NE(system.find("TLPort TestEventPort "), std::string::npos);
}

} // namespace
