#include "XmlWriter.h"

#include <stdexcept>

namespace GenTLCore {

XmlWriter::XmlWriter(int indentWidth) : m_indentWidth(indentWidth) {}

void XmlWriter::Indent() { m_text.append(static_cast<std::size_t>(Depth() * m_indentWidth), ' '); }

std::string XmlWriter::AttributeText(const std::pair<std::string, std::string>& attribute)
{
    return attribute.first + "=\"" + EscapeAttribute(attribute.second) + "\"";
}

void XmlWriter::Open(const std::string& tag, const Attributes& attributes, bool alignAttributes)
{
    Indent();
    const std::size_t lineStart = m_text.rfind('\n') == std::string::npos ? 0 : m_text.rfind('\n') + 1;
    m_text += "<" + tag;
    const std::size_t column = m_text.size() - lineStart + 1;
    for (std::size_t i = 0; i < attributes.size(); ++i) {
        if (alignAttributes && i > 0) {
            m_text += "\n";
            m_text.append(column, ' ');
        } else {
            m_text += " ";
        }
        m_text += AttributeText(attributes[i]);
    }
    m_text += ">\n";
    m_open.push_back(tag);
}

void XmlWriter::Close()
{
    if (m_open.empty())
        throw std::logic_error("XmlWriter: no element to close");
    const std::string tag = m_open.back();
    m_open.pop_back();
    Indent();
    m_text += "</" + tag + ">\n";
}

void XmlWriter::Leaf(const std::string& tag, const std::string& text, const Attributes& attributes)
{
    Indent();
    m_text += "<" + tag;
    for (const auto& attribute : attributes)
        m_text += " " + AttributeText(attribute);
    m_text += ">" + EscapeText(text) + "</" + tag + ">\n";
}

void XmlWriter::LeafCData(const std::string& tag, const std::string& text)
{
    if (text.find("]]>") != std::string::npos)
        throw std::logic_error("XmlWriter: CDATA text contains ]]>");
    Indent();
    m_text += "<" + tag + "><![CDATA[" + text + "]]></" + tag + ">\n";
}

void XmlWriter::BlankLine() { m_text += "\n"; }

const std::string& XmlWriter::Text() const
{
    if (!m_open.empty())
        throw std::logic_error("XmlWriter: element <" + m_open.back() + "> still open");
    return m_text;
}

namespace {

// Markup characters as entities; quotes too inside attribute values.
std::string Escape(const std::string& text, bool quotes)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"':
            out += quotes ? "&quot;" : "\"";
            break;
        default: out += c; break;
        }
    }
    return out;
}

} // namespace

std::string XmlWriter::EscapeText(const std::string& text) { return Escape(text, false); }

std::string XmlWriter::EscapeAttribute(const std::string& text) { return Escape(text, true); }

} // namespace GenTLCore
