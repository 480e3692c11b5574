#include "GenApiNode.h"

namespace GenTLCore {

const char* NodeKindTag(NodeKind kind)
{
    switch (kind) {
    case NodeKind::Category: return "Category";
    case NodeKind::Integer: return "Integer";
    case NodeKind::IntReg: return "IntReg";
    case NodeKind::Boolean: return "Boolean";
    case NodeKind::Command: return "Command";
    case NodeKind::Enumeration: return "Enumeration";
    case NodeKind::EnumEntry: return "EnumEntry";
    case NodeKind::Float: return "Float";
    case NodeKind::FloatReg: return "FloatReg";
    case NodeKind::String: return "String";
    case NodeKind::StringReg: return "StringReg";
    case NodeKind::IntSwissKnife: return "IntSwissKnife";
    case NodeKind::Port: return "Port";
    }
    return "Node";
}

ValueSource From(const std::string& node) { return ValueSource{"pValue", node}; }
ValueSource Constant(const std::string& value) { return ValueSource{"Value", value}; }

NodeElement Element(const std::string& name, const std::string& value)
{
    NodeElement element;
    element.name = name;
    element.value = value;
    return element;
}

RegisterAddress At(const std::string& address)
{
    RegisterAddress result;
    result.elements.push_back(Element("Address", address));
    return result;
}

RegisterAddress Offset(const std::string& baseNode, const std::string& offset)
{
    RegisterAddress result;
    result.elements.push_back(Element("pAddress", baseNode));
    result.elements.push_back(Element("Address", offset));
    return result;
}

RegisterAddress Computed(const GenApiNode& formula)
{
    RegisterAddress result;
    result.formula.push_back(formula);
    return result;
}

namespace {

void AddIf(std::vector<NodeElement>& elements, const std::string& name, const std::string& value)
{
    if (!value.empty())
        elements.push_back(Element(name, value));
}

void Append(std::vector<NodeElement>& elements, const std::vector<NodeElement>& extras)
{
    elements.insert(elements.end(), extras.begin(), extras.end());
}

} // namespace

GenApiNode Category(const std::string& name, const std::string& nameSpace, const std::string& visibility,
                    const std::string& displayName, const std::vector<std::string>& features,
                    const std::vector<NodeElement>& extras)
{
    GenApiNode node;
    node.kind = NodeKind::Category;
    node.name = name;
    node.nameSpace = nameSpace;
    AddIf(node.elements, "DisplayName", displayName);
    AddIf(node.elements, "Visibility", visibility);
    Append(node.elements, extras);
    for (const auto& feature : features)
        node.elements.push_back(Element("pFeature", feature));
    return node;
}

GenApiNode Feature(NodeKind kind, const std::string& name, const std::string& nameSpace,
                   const std::string& displayName, const std::string& visibility, const std::string& access,
                   const ValueSource& value, const std::vector<NodeElement>& extras, const NodeList& entries)
{
    GenApiNode node;
    node.kind = kind;
    node.name = name;
    node.nameSpace = nameSpace;
    AddIf(node.elements, "DisplayName", displayName);
    AddIf(node.elements, "Visibility", visibility);
    AddIf(node.elements, "ImposedAccessMode", access);
    AddIf(node.elements, value.element, value.text);
    Append(node.elements, extras);
    node.children = entries;
    return node;
}

GenApiNode Entry(const std::string& name, const std::string& nameSpace, const std::string& value,
                 const std::string& displayName, const std::vector<NodeElement>& extras)
{
    GenApiNode node;
    node.kind = NodeKind::EnumEntry;
    node.name = name;
    node.nameSpace = nameSpace;
    AddIf(node.elements, "DisplayName", displayName);
    node.elements.push_back(Element("Value", value));
    Append(node.elements, extras);
    return node;
}

GenApiNode Register(NodeKind kind, const std::string& name, const RegisterAddress& address, int length,
                    const std::string& access, const std::string& sign, const std::string& port,
                    const std::vector<NodeElement>& extras, const std::string& nameSpace)
{
    GenApiNode node;
    node.kind = kind;
    node.name = name;
    node.nameSpace = nameSpace;
    node.elements.push_back(Element("Visibility", "Invisible"));
    Append(node.elements, address.elements);
    node.children = address.formula;
    node.elements.push_back(Element("Length", std::to_string(length)));
    node.elements.push_back(Element("AccessMode", access));
    node.elements.push_back(Element("pPort", port));
    Append(node.elements, extras);
    if (kind == NodeKind::IntReg)
        AddIf(node.elements, "Sign", sign);
    if (kind == NodeKind::IntReg || kind == NodeKind::FloatReg)
        node.elements.push_back(Element("Endianess", "LittleEndian"));
    return node;
}

GenApiNode SwissKnife(const std::string& name, const std::string& nameSpace, const std::string& visibility,
                      const Variables& variables, const std::string& formula)
{
    GenApiNode node;
    node.kind = NodeKind::IntSwissKnife;
    node.name = name;
    node.nameSpace = nameSpace;
    AddIf(node.elements, "Visibility", visibility);
    for (const auto& variable : variables) {
        NodeElement element = Element("pVariable", variable.second);
        element.attributeName = "Name";
        element.attributeValue = variable.first;
        node.elements.push_back(element);
    }
    NodeElement text = Element("Formula", formula);
    text.cdata = true;
    node.elements.push_back(text);
    return node;
}

GenApiNode Port(const std::string& name, const std::string& nameSpace, const std::string& visibility,
                const std::vector<NodeElement>& extras)
{
    GenApiNode node;
    node.kind = NodeKind::Port;
    node.name = name;
    node.nameSpace = nameSpace;
    AddIf(node.elements, "Visibility", visibility);
    Append(node.elements, extras);
    return node;
}

} // namespace GenTLCore
