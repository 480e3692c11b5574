// A small XML reader for the tests: elements, attributes, text and CDATA.
// Well-formedness proper is xmllint's job; this only gives the tests a tree.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct XmlNode {
    std::string tag;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string text; // character data and CDATA, whitespace-only runs dropped
    std::vector<XmlNode> children;

    const std::string* Attribute(const std::string& name) const;
    std::string AttributeOr(const std::string& name, const std::string& fallback = "") const;
    const XmlNode* Child(const std::string& tag) const;
    std::vector<const XmlNode*> ChildrenNamed(const std::string& tag) const;
    std::string ChildText(const std::string& tag) const; // "" when absent
};

// Throws std::runtime_error on text it cannot read.
XmlNode ParseXml(const std::string& text);
