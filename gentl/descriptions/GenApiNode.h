// Data model of a GenApi register description as the producer writes it: a
// node has a kind, a name, an optional NameSpace attribute, its child
// elements in any order (the emitter puts them in schema order) and nested
// nodes (the entries of an enumeration, the address formula of a register).
// The helpers below build nodes from the columns of the description tables.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace GenTLCore {

enum class NodeKind {
    Category,
    Integer,
    IntReg,
    Boolean,
    Command,
    Enumeration,
    EnumEntry,
    Float,
    FloatReg,
    String,
    StringReg,
    IntSwissKnife,
    Port,
};

// Element tag of a node kind ("IntReg", "EnumEntry", ...).
const char* NodeKindTag(NodeKind kind);

struct NodeElement {
    std::string name;
    std::string value;
    std::string attributeName; // empty: no attribute
    std::string attributeValue;
    bool cdata = false;
};

struct GenApiNode {
    NodeKind kind = NodeKind::Integer;
    std::string name;
    std::string nameSpace; // empty: no NameSpace attribute
    std::vector<NodeElement> elements;
    std::vector<GenApiNode> children;
};

// Description and ToolTip of a node; an empty toolTip means the same text as
// the description. Entries are keyed "Enumeration/Entry".
struct NodeText {
    std::string node;
    std::string description;
    std::string toolTip;
};

using NodeList = std::vector<GenApiNode>;
using TextTable = std::vector<NodeText>;
using Variables = std::vector<std::pair<std::string, std::string>>;

// Where a feature's value comes from: pValue of a node or a constant Value.
struct ValueSource {
    std::string element;
    std::string text;
};
ValueSource From(const std::string& node);
ValueSource Constant(const std::string& value);

// Where a register lies: a fixed Address, a base node plus an offset, or an
// embedded address formula.
struct RegisterAddress {
    std::vector<NodeElement> elements;
    std::vector<GenApiNode> formula;
};
RegisterAddress At(const std::string& address);
RegisterAddress Offset(const std::string& baseNode, const std::string& offset);
RegisterAddress Computed(const GenApiNode& formula);

NodeElement Element(const std::string& name, const std::string& value);

// Empty texts leave the element out.
GenApiNode Category(const std::string& name, const std::string& nameSpace, const std::string& visibility,
                    const std::string& displayName, const std::vector<std::string>& features,
                    const std::vector<NodeElement>& extras = {});

GenApiNode Feature(NodeKind kind, const std::string& name, const std::string& nameSpace,
                   const std::string& displayName, const std::string& visibility, const std::string& access,
                   const ValueSource& value, const std::vector<NodeElement>& extras = {},
                   const NodeList& entries = {});

GenApiNode Entry(const std::string& name, const std::string& nameSpace, const std::string& value,
                 const std::string& displayName, const std::vector<NodeElement>& extras = {});

// Register nodes are Visibility Invisible; IntReg and FloatReg are
// LittleEndian; sign applies to IntReg only (empty: no Sign element).
GenApiNode Register(NodeKind kind, const std::string& name, const RegisterAddress& address, int length,
                    const std::string& access, const std::string& sign, const std::string& port,
                    const std::vector<NodeElement>& extras = {}, const std::string& nameSpace = "");

// The formula text is written into the CDATA section as given.
GenApiNode SwissKnife(const std::string& name, const std::string& nameSpace, const std::string& visibility,
                      const Variables& variables, const std::string& formula);

GenApiNode Port(const std::string& name, const std::string& nameSpace, const std::string& visibility,
                const std::vector<NodeElement>& extras = {});

} // namespace GenTLCore
