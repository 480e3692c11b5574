// Line-oriented XML text writer: one element per line, nesting shown by
// indentation with spaces, lines ended by a single line feed.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace GenTLCore {

class XmlWriter {
public:
    using Attributes = std::vector<std::pair<std::string, std::string>>;

    explicit XmlWriter(int indentWidth = 2);

    // Start tag; with alignAttributes each attribute after the first stands
    // on a line of its own, aligned under the first one.
    void Open(const std::string& tag, const Attributes& attributes = {}, bool alignAttributes = false);
    void Close();
    // <tag attributes>text</tag> on one line.
    void Leaf(const std::string& tag, const std::string& text, const Attributes& attributes = {});
    // <tag><![CDATA[text]]></tag> on one line.
    void LeafCData(const std::string& tag, const std::string& text);
    void BlankLine();

    int Depth() const { return static_cast<int>(m_open.size()); }
    // The text written so far; throws std::logic_error while elements are open.
    const std::string& Text() const;

    static std::string EscapeText(const std::string& text);
    static std::string EscapeAttribute(const std::string& text);

private:
    void Indent();
    static std::string AttributeText(const std::pair<std::string, std::string>& attribute);

    int m_indentWidth;
    std::vector<std::string> m_open;
    std::string m_text;
};

} // namespace GenTLCore
