#include "GenApiEmitter.h"

#include "DescriptionFormat.h"

#include <algorithm>
#include <stdexcept>

namespace GenTLCore {

const char* const GenApiEmitter::kNamespaceUri = "http://www.genicam.org/GenApi/Version_1_1";
const char* const GenApiEmitter::kSchemaLocation =
    "http://www.genicam.org/GenApi/Version_1_1 http://www.genicam.org/GenApi/GenApiSchema_Version_1_1.xsd";
const char* const GenApiEmitter::kProductGuid = "3F2A7C41-9B6E-4D08-A5C3-71E2D94B0F6A";
const char* const GenApiEmitter::kVersionGuid = "C81D5E07-2A4F-4B93-9E6D-0B7F3A25C418";

namespace {

std::vector<std::string> WithHead(const std::vector<std::string>& tail)
{
    // Elements every node kind may start with, in schema order. Built here,
    // not at namespace scope: the descriptions are built during static
    // initialisation.
    std::vector<std::string> order = {
        "ToolTip", "Description", "DisplayName", "Visibility", "EventID",
        "pIsImplemented", "pIsAvailable", "pIsLocked", "ImposedAccessMode",
    };
    order.insert(order.end(), tail.begin(), tail.end());
    return order;
}

// Rank of an element name in an order list; "a|b" entries share one rank.
int RankOf(const std::vector<std::string>& order, const std::string& name)
{
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::string& entry = order[i];
        std::size_t start = 0;
        while (start <= entry.size()) {
            const std::size_t bar = entry.find('|', start);
            const std::size_t end = bar == std::string::npos ? entry.size() : bar;
            if (entry.compare(start, end - start, name) == 0)
                return static_cast<int>(i);
            if (bar == std::string::npos)
                break;
            start = bar + 1;
        }
    }
    return -1;
}

void CheckAscii(const std::string& text)
{
    for (unsigned char c : text) {
        if (c >= 0x80 || (c < 0x20 && c != '\n'))
            throw std::logic_error("register description: byte outside printable ASCII");
    }
}

} // namespace

GenApiEmitter::GenApiEmitter(const TextTable& texts) : m_writer(2), m_texts(texts), m_used(texts.size(), false) {}

std::string GenApiEmitter::Document(const NodeList& nodes)
{
    const XmlWriter::Attributes header = {
        {"xmlns", kNamespaceUri},
        {"xmlns:xsi", "http://www.w3.org/2001/XMLSchema-instance"},
        {"xsi:schemaLocation", kSchemaLocation},
        {"ModelName", "CoaXPress"},
        {"VendorName", "Corvane"},
        {"ToolTip", "Corvane Electronic Systems Ltd. CoaXPress GenTL Producer"},
        {"StandardNameSpace", "None"},
        {"SchemaMajorVersion", std::to_string(kDescriptionSchemaVersionMajor)},
        {"SchemaMinorVersion", std::to_string(kDescriptionSchemaVersionMinor)},
        {"SchemaSubMinorVersion", "0"},
        {"MajorVersion", std::to_string(kDescriptionFileVersionMajor)},
        {"MinorVersion", std::to_string(kDescriptionFileVersionMinor)},
        {"SubMinorVersion", std::to_string(kDescriptionFileVersionSubMinor)},
        {"ProductGuid", kProductGuid},
        {"VersionGuid", kVersionGuid},
    };
    m_writer.Open("RegisterDescription", header, true);
    for (const GenApiNode& node : nodes) {
        m_writer.BlankLine();
        EmitNode(node, std::string());
    }
    m_writer.Close();

    for (std::size_t i = 0; i < m_texts.size(); ++i) {
        if (!m_used[i])
            throw std::logic_error("register description: text for unknown node " + m_texts[i].node);
    }
    const std::string& text = m_writer.Text();
    CheckAscii(text);
    return text;
}

void GenApiEmitter::EmitNode(const GenApiNode& node, const std::string& enumeration)
{
    switch (node.kind) {
    case NodeKind::Category: EmitCategory(node); return;
    case NodeKind::Integer: EmitInteger(node); return;
    case NodeKind::IntReg: EmitIntReg(node); return;
    case NodeKind::Boolean: EmitBoolean(node); return;
    case NodeKind::Command: EmitCommand(node); return;
    case NodeKind::Enumeration: EmitEnumeration(node); return;
    case NodeKind::EnumEntry: EmitEnumEntry(node, enumeration); return;
    case NodeKind::Float: EmitFloat(node); return;
    case NodeKind::FloatReg: EmitFloatReg(node); return;
    case NodeKind::String: EmitString(node); return;
    case NodeKind::StringReg: EmitStringReg(node); return;
    case NodeKind::IntSwissKnife: EmitIntSwissKnife(node); return;
    case NodeKind::Port: EmitPort(node); return;
    }
    throw std::logic_error("register description: unknown node kind of " + node.name);
}

void GenApiEmitter::EmitCategory(const GenApiNode& node)
{
    static const Order order = WithHead({"pInvalidator", "pFeature"});
    EmitOrdered(node, order, node.name);
}

void GenApiEmitter::EmitInteger(const GenApiNode& node)
{
    static const Order order = WithHead({"pInvalidator", "Value|pValue|pIndex", "ValueIndexed|pValueIndexed",
                                         "ValueDefault|pValueDefault", "Min|pMin", "Max|pMax", "Inc|pInc", "Unit",
                                         "Representation", "pSelected"});
    EmitOrdered(node, order, node.name);
}

void GenApiEmitter::EmitIntReg(const GenApiNode& node)
{
    static const Order order =
        WithHead({"pAddress", "Address|IntSwissKnife", "Length", "AccessMode", "pPort", "Cachable", "PollingTime",
                  "pInvalidator", "Sign", "Endianess", "Unit", "Representation", "pSelected"});
    EmitOrdered(node, order, node.name);
}

void GenApiEmitter::EmitBoolean(const GenApiNode& node)
{
    static const Order order = WithHead({"pInvalidator", "Value|pValue", "OnValue", "OffValue", "pSelected"});
    EmitOrdered(node, order, node.name);
}

void GenApiEmitter::EmitCommand(const GenApiNode& node)
{
    static const Order order = WithHead({"pInvalidator", "Value|pValue", "CommandValue|pCommandValue", "PollingTime"});
    EmitOrdered(node, order, node.name);
}

void GenApiEmitter::EmitEnumeration(const GenApiNode& node)
{
    static const Order order = WithHead({"pInvalidator", "EnumEntry", "Value|pValue", "pSelected", "PollingTime"});
    EmitOrdered(node, order, node.name);
}

void GenApiEmitter::EmitEnumEntry(const GenApiNode& node, const std::string& enumeration)
{
    static const Order order = WithHead({"pInvalidator", "Value", "NumericValue", "Symbolic", "IsSelfClearing"});
    EmitOrdered(node, order, enumeration + "/" + node.name);
}

void GenApiEmitter::EmitFloat(const GenApiNode& node)
{
    static const Order order = WithHead({"pInvalidator", "Value|pValue", "Min|pMin", "Max|pMax", "Inc|pInc", "Unit",
                                         "Representation", "DisplayNotation", "DisplayPrecision"});
    EmitOrdered(node, order, node.name);
}

void GenApiEmitter::EmitFloatReg(const GenApiNode& node)
{
    static const Order order =
        WithHead({"pAddress", "Address|IntSwissKnife", "Length", "AccessMode", "pPort", "Cachable", "PollingTime",
                  "pInvalidator", "Endianess", "Unit", "Representation"});
    EmitOrdered(node, order, node.name);
}

void GenApiEmitter::EmitString(const GenApiNode& node)
{
    static const Order order = WithHead({"pInvalidator", "Value|pValue"});
    EmitOrdered(node, order, node.name);
}

void GenApiEmitter::EmitStringReg(const GenApiNode& node)
{
    static const Order order = WithHead({"pAddress", "Address|IntSwissKnife", "Length", "AccessMode", "pPort",
                                         "Cachable", "PollingTime", "pInvalidator"});
    EmitOrdered(node, order, node.name);
}

void GenApiEmitter::EmitIntSwissKnife(const GenApiNode& node)
{
    static const Order order =
        WithHead({"pInvalidator", "pVariable", "Constant", "Expression", "Formula", "Unit", "Representation"});
    EmitOrdered(node, order, node.name);
}

void GenApiEmitter::EmitPort(const GenApiNode& node)
{
    static const Order order = WithHead({"pInvalidator", "ChunkID|pChunkID", "SwapEndianess", "CacheChunkData"});
    EmitOrdered(node, order, node.name);
}

const NodeText* GenApiEmitter::TakeText(const std::string& key)
{
    for (std::size_t i = 0; i < m_texts.size(); ++i) {
        if (m_texts[i].node == key) {
            if (m_used[i])
                throw std::logic_error("register description: two nodes take the text of " + key);
            m_used[i] = true;
            return &m_texts[i];
        }
    }
    return nullptr;
}

void GenApiEmitter::EmitOrdered(const GenApiNode& node, const Order& order, const std::string& textKey)
{
    XmlWriter::Attributes attributes = {{"Name", node.name}};
    if (!node.nameSpace.empty())
        attributes.emplace_back("NameSpace", node.nameSpace);
    m_writer.Open(NodeKindTag(node.kind), attributes);

    // One item per element or nested node, with its rank in the order.
    struct Item {
        int rank;
        const NodeElement* element;
        const GenApiNode* child;
    };
    std::vector<Item> items;
    NodeElement toolTip, description;
    if (const NodeText* text = TakeText(textKey)) {
        toolTip = Element("ToolTip", text->toolTip.empty() ? text->description : text->toolTip);
        description = Element("Description", text->description);
        items.push_back({RankOf(order, "ToolTip"), &toolTip, nullptr});
        items.push_back({RankOf(order, "Description"), &description, nullptr});
    }
    for (const NodeElement& element : node.elements) {
        const int rank = RankOf(order, element.name);
        if (rank < 0) {
            throw std::logic_error(std::string("register description: ") + NodeKindTag(node.kind) + " " + node.name +
                                   " cannot hold " + element.name);
        }
        items.push_back({rank, &element, nullptr});
    }
    for (const GenApiNode& child : node.children) {
        const int rank = RankOf(order, NodeKindTag(child.kind));
        if (rank < 0) {
            throw std::logic_error(std::string("register description: ") + NodeKindTag(node.kind) + " " + node.name +
                                   " cannot hold a nested " + NodeKindTag(child.kind));
        }
        items.push_back({rank, nullptr, &child});
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.rank < b.rank; });

    for (const Item& item : items) {
        if (item.child != nullptr) {
            EmitNode(*item.child, node.name);
        } else if (item.element->cdata) {
            m_writer.LeafCData(item.element->name, item.element->value);
        } else if (!item.element->attributeName.empty()) {
            m_writer.Leaf(item.element->name, item.element->value,
                          {{item.element->attributeName, item.element->attributeValue}});
        } else {
            m_writer.Leaf(item.element->name, item.element->value);
        }
    }
    m_writer.Close();
}

} // namespace GenTLCore
