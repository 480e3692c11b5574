// Writes a GenApi 1.1 register description from a node list and a text
// table: the shared document header, one emitter per node kind that puts the
// node's elements in the order the schema prescribes, the text layout and
// line ends. Faults in the tables (an element a kind cannot hold, a text for
// no node, a non-ASCII byte) throw std::logic_error.
#pragma once

#include "GenApiNode.h"
#include "XmlWriter.h"

#include <string>
#include <vector>

namespace GenTLCore {

class GenApiEmitter {
public:
    static const char* const kNamespaceUri;
    static const char* const kSchemaLocation;
    static const char* const kProductGuid;
    static const char* const kVersionGuid;

    explicit GenApiEmitter(const TextTable& texts);

    std::string Document(const NodeList& nodes);

private:
    using Order = std::vector<std::string>;

    void EmitNode(const GenApiNode& node, const std::string& enumeration);
    void EmitCategory(const GenApiNode& node);
    void EmitInteger(const GenApiNode& node);
    void EmitIntReg(const GenApiNode& node);
    void EmitBoolean(const GenApiNode& node);
    void EmitCommand(const GenApiNode& node);
    void EmitEnumeration(const GenApiNode& node);
    void EmitEnumEntry(const GenApiNode& node, const std::string& enumeration);
    void EmitFloat(const GenApiNode& node);
    void EmitFloatReg(const GenApiNode& node);
    void EmitString(const GenApiNode& node);
    void EmitStringReg(const GenApiNode& node);
    void EmitIntSwissKnife(const GenApiNode& node);
    void EmitPort(const GenApiNode& node);

    // Opens the node, writes its texts, its elements and nested nodes in the
    // given order, closes it.
    void EmitOrdered(const GenApiNode& node, const Order& order, const std::string& textKey);
    const NodeText* TakeText(const std::string& key);

    XmlWriter m_writer;
    const TextTable& m_texts;
    std::vector<bool> m_used;
};

} // namespace GenTLCore
