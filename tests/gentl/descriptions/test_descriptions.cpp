// The served register descriptions: form, schema, references, digests.
#include "DescriptionFixture.h"
#include "GenApiSchema.h"

#include "GenApiEmitter.h"
#include "Sha1.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// 8-4-4-4-12 upper-case hexadecimal digits.
bool IsUpperCaseGuid(const std::string& text)
{
    if (text.size() != 36)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        const char c = text[i];
        if (dash ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

class ServedDescriptionTest : public ::testing::TestWithParam<int> {
protected:
    const ServedDescription& Doc() const { return ServedDescriptions().at(static_cast<std::size_t>(GetParam())); }
};

std::string Label(const ::testing::TestParamInfo<int>& info)
{
    return ServedDescriptions().at(static_cast<std::size_t>(info.param)).label;
}

TEST_P(ServedDescriptionTest, TextIsAsciiWithLineFeedsAndOneRootWithoutDeclaration)
{
    const std::string& text = Doc().text;
    ASSERT_FALSE(text.empty());
    for (unsigned char c : text) {
        ASSERT_LT(c, 0x80) << "non-ASCII byte";
        ASSERT_TRUE(c >= 0x20 || c == '\n') << "control byte " << int(c);
    }
    EXPECT_EQ(text.rfind("<RegisterDescription ", 0), 0u) << "no XML declaration, root first";
    const std::string end = "</RegisterDescription>\n";
    ASSERT_GE(text.size(), end.size());
    EXPECT_EQ(text.compare(text.size() - end.size(), end.size(), end), 0);
    EXPECT_EQ(Doc().root.tag, "RegisterDescription");
}

TEST_P(ServedDescriptionTest, ValidatesAgainstTheGenApiSchema)
{
    if (const char* reason = GenApiSchemaMissingReason())
        GTEST_SKIP() << reason;
    ASSERT_TRUE(XmllintAvailable()) << "xmllint (libxml2-utils) is required";
    char output[4096];
    EXPECT_EQ(GenApiSchemaValidate(Doc().text.data(), Doc().text.size(), output, sizeof output), 0) << output;
}

TEST_P(ServedDescriptionTest, HeaderCarriesTheSharedAttributes)
{
    const XmlNode& root = Doc().root;
    std::vector<std::string> names;
    for (const auto& attribute : root.attributes)
        names.push_back(attribute.first);
    const std::vector<std::string> expected = {
        "xmlns", "xmlns:xsi", "xsi:schemaLocation", "ModelName", "VendorName", "ToolTip", "StandardNameSpace",
        "SchemaMajorVersion", "SchemaMinorVersion", "SchemaSubMinorVersion", "MajorVersion", "MinorVersion",
        "SubMinorVersion", "ProductGuid", "VersionGuid"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(root.AttributeOr("xmlns"), "http://www.genicam.org/GenApi/Version_1_1");
    EXPECT_EQ(root.AttributeOr("ModelName"), "CoaXPress");
    EXPECT_EQ(root.AttributeOr("VendorName"), "Corvane");
    EXPECT_EQ(root.AttributeOr("ToolTip"), "Corvane Electronic Systems Ltd. CoaXPress GenTL Producer");
    EXPECT_EQ(root.AttributeOr("StandardNameSpace"), "None");
    EXPECT_EQ(root.AttributeOr("SchemaMajorVersion") + root.AttributeOr("SchemaMinorVersion") +
                  root.AttributeOr("SchemaSubMinorVersion"),
              "110");
    EXPECT_EQ(root.AttributeOr("MajorVersion") + root.AttributeOr("MinorVersion") + root.AttributeOr("SubMinorVersion"),
              "100");
    EXPECT_TRUE(IsUpperCaseGuid(root.AttributeOr("ProductGuid")));
    EXPECT_TRUE(IsUpperCaseGuid(root.AttributeOr("VersionGuid")));
    // The same pair in every description.
    EXPECT_EQ(root.AttributeOr("ProductGuid"), ServedDescriptions()[0].root.AttributeOr("ProductGuid"));
    EXPECT_EQ(root.AttributeOr("VersionGuid"), ServedDescriptions()[0].root.AttributeOr("VersionGuid"));
    EXPECT_NE(root.AttributeOr("ProductGuid"), root.AttributeOr("VersionGuid"));
}

TEST_P(ServedDescriptionTest, NamesAreUniqueAndEveryReferenceResolves)
{
    const ServedDescription& doc = Doc();
    EXPECT_TRUE(doc.duplicateNames.empty()) << "duplicate: " << doc.duplicateNames.front();

    static const std::set<std::string> pointers = {
        "pValue", "pPort", "pFeature", "pSelected", "pInvalidator", "pIsImplemented", "pIsAvailable", "pIsLocked",
        "pVariable", "pMin", "pMax", "pInc", "pAddress", "pIndex", "pValueDefault"};
    std::vector<const XmlNode*> stack = {&doc.root};
    int references = 0;
    while (!stack.empty()) {
        const XmlNode* node = stack.back();
        stack.pop_back();
        std::set<std::string> entryNames;
        for (const XmlNode& child : node->children) {
            stack.push_back(&child);
            if (pointers.count(child.tag)) {
                ++references;
                EXPECT_TRUE(doc.nodes.count(child.text))
                    << child.tag << " of " << node->AttributeOr("Name") << " names unknown node '" << child.text << "'";
            }
            if (child.tag == "EnumEntry") {
                EXPECT_TRUE(entryNames.insert(child.AttributeOr("Name")).second)
                    << "entry " << child.AttributeOr("Name") << " twice in " << node->AttributeOr("Name");
            }
        }
    }
    EXPECT_GT(references, 20);
}

TEST_P(ServedDescriptionTest, CategoriesHoldEachFeatureOnceAndFeaturesCarryTexts)
{
    const ServedDescription& doc = Doc();
    ASSERT_FALSE(doc.root.children.empty());
    const XmlNode& first = doc.root.children.front();
    EXPECT_EQ(first.tag, "Category");
    EXPECT_EQ(first.AttributeOr("Name"), "Root");
    EXPECT_EQ(first.AttributeOr("NameSpace"), "Standard");
    EXPECT_EQ(first.ChildText("Visibility"), "Beginner");

    std::map<std::string, int> membership;
    for (const XmlNode& node : doc.root.children) {
        if (node.tag != "Category")
            continue;
        for (const XmlNode* feature : node.ChildrenNamed("pFeature"))
            ++membership[feature->text];
    }
    for (const auto& member : membership) {
        EXPECT_EQ(member.second, 1) << member.first << " in more than one category";
        const XmlNode* node = doc.nodes.at(member.first);
        EXPECT_FALSE(node->ChildText("ToolTip").empty()) << member.first;
        EXPECT_FALSE(node->ChildText("Description").empty()) << member.first;
        EXPECT_TRUE(node->Attribute("NameSpace") != nullptr) << member.first;
        for (const XmlNode* entry : node->ChildrenNamed("EnumEntry")) {
            EXPECT_FALSE(entry->ChildText("ToolTip").empty()) << member.first << "/" << entry->AttributeOr("Name");
            EXPECT_FALSE(entry->ChildText("Description").empty()) << member.first << "/" << entry->AttributeOr("Name");
        }
    }
}

TEST_P(ServedDescriptionTest, RegistersAreInvisibleOnTheModulePortAndLittleEndian)
{
    const ServedDescription& doc = Doc();
    int registers = 0;
    for (const XmlNode& node : doc.root.children) {
        if (node.tag != "IntReg" && node.tag != "StringReg" && node.tag != "FloatReg")
            continue;
        ++registers;
        const std::string name = node.AttributeOr("Name");
        EXPECT_EQ(node.ChildText("Visibility"), "Invisible") << name;
        EXPECT_EQ(node.Child("ToolTip"), nullptr) << name;
        const XmlNode* port = doc.nodes.at(node.ChildText("pPort"));
        EXPECT_EQ(port->tag, "Port") << name;
        EXPECT_EQ(port->ChildText("Visibility"), "Invisible") << name;
        if (node.tag != "StringReg") {
            EXPECT_EQ(node.ChildText("Length"), "4") << name;
            EXPECT_EQ(node.ChildText("Endianess"), "LittleEndian") << name;
        }
    }
    EXPECT_GT(registers, 9);
}

TEST_P(ServedDescriptionTest, DigestAndFileNameMatchTheServedText)
{
    const ServedDescription& doc = Doc();
    ASSERT_EQ(doc.sha1.size(), 20u);
    EXPECT_EQ(doc.sha1, GenTLCore::Sha1::Digest(doc.text));
    EXPECT_EQ(doc.fileName, "Corvane_CoaXPress_" + doc.label + "_1_0_0_190524091442.xml");
}

INSTANTIATE_TEST_SUITE_P(Served, ServedDescriptionTest, ::testing::Range(0, 4), Label);

TEST(ServedDescriptions, TheValidatorRejectsABrokenDocument)
{
    if (const char* reason = GenApiSchemaMissingReason())
        GTEST_SKIP() << reason;
    ASSERT_TRUE(XmllintAvailable()) << "xmllint (libxml2-utils) is required";
    std::string broken = Served("System").text;
    const std::string anchor = "<pPort>TLPort</pPort>\n";
    const std::size_t at = broken.find(anchor);
    ASSERT_NE(at, std::string::npos);
    broken.erase(at, anchor.size()); // a register without its port
    EXPECT_GT(GenApiSchemaValidate(broken.data(), broken.size(), nullptr, 0), 0);
}

TEST(ServedDescriptions, EmitterRefusesElementsOutOfPlaceAndStrayTexts)
{
    using namespace GenTLCore;
    const TextTable none;
    GenApiNode wrong = Feature(NodeKind::String, "Text", "Custom", "Text", "Beginner", "RO", From("Text_Val"),
                               {Element("Min", "0")});
    EXPECT_THROW(GenApiEmitter(none).Document({wrong}), std::logic_error);

    const TextTable stray = {{"NoSuchNode", "Text.", ""}};
    EXPECT_THROW(GenApiEmitter(stray).Document({Port("P", "Standard", "Invisible")}), std::logic_error);

    const TextTable nonAscii = {{"P", "caf\xc3\xa9", ""}};
    EXPECT_THROW(GenApiEmitter(nonAscii).Document({Port("P", "Standard", "Invisible")}), std::logic_error);
}

} // namespace
