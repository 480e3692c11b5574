#include "MiniXml.h"

#include <stdexcept>

const std::string* XmlNode::Attribute(const std::string& name) const
{
    for (const auto& attribute : attributes) {
        if (attribute.first == name)
            return &attribute.second;
    }
    return nullptr;
}

std::string XmlNode::AttributeOr(const std::string& name, const std::string& fallback) const
{
    const std::string* value = Attribute(name);
    return value ? *value : fallback;
}

const XmlNode* XmlNode::Child(const std::string& childTag) const
{
    for (const auto& child : children) {
        if (child.tag == childTag)
            return &child;
    }
    return nullptr;
}

std::vector<const XmlNode*> XmlNode::ChildrenNamed(const std::string& childTag) const
{
    std::vector<const XmlNode*> found;
    for (const auto& child : children) {
        if (child.tag == childTag)
            found.push_back(&child);
    }
    return found;
}

std::string XmlNode::ChildText(const std::string& childTag) const
{
    const XmlNode* child = Child(childTag);
    return child ? child->text : std::string();
}

namespace {

class Reader {
public:
    explicit Reader(const std::string& text) : m_text(text) {}

    XmlNode Document()
    {
        SkipMisc();
        XmlNode root = Element();
        SkipMisc();
        if (m_pos != m_text.size())
            Fail("content after the root element");
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const
    {
        throw std::runtime_error("xml: " + what + " at offset " + std::to_string(m_pos));
    }

    bool StartsWith(const char* s) const { return m_text.compare(m_pos, std::char_traits<char>::length(s), s) == 0; }

    void SkipSpace()
    {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\n' || m_text[m_pos] == '\t' ||
                                         m_text[m_pos] == '\r'))
            ++m_pos;
    }

    void SkipMisc()
    {
        for (;;) {
            SkipSpace();
            if (StartsWith("<?")) {
                SkipPast("?>");
            } else if (StartsWith("<!--")) {
                SkipPast("-->");
            } else {
                return;
            }
        }
    }

    void SkipPast(const char* end)
    {
        const std::size_t found = m_text.find(end, m_pos);
        if (found == std::string::npos)
            Fail(std::string("missing ") + end);
        m_pos = found + std::char_traits<char>::length(end);
    }

    std::string Name()
    {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '>' || c == '/' || c == '=')
                break;
            ++m_pos;
        }
        if (m_pos == start)
            Fail("name expected");
        return m_text.substr(start, m_pos - start);
    }

    static std::string Unescape(const std::string& raw)
    {
        std::string out;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '&') {
                out += raw[i];
                continue;
            }
            const std::size_t semi = raw.find(';', i);
            if (semi == std::string::npos)
                throw std::runtime_error("xml: bad entity");
            const std::string entity = raw.substr(i + 1, semi - i - 1);
            if (entity == "amp") out += '&';
            else if (entity == "lt") out += '<';
            else if (entity == "gt") out += '>';
            else if (entity == "quot") out += '"';
            else if (entity == "apos") out += '\'';
            else throw std::runtime_error("xml: unknown entity " + entity);
            i = semi;
        }
        return out;
    }

    XmlNode Element()
    {
        if (!StartsWith("<"))
            Fail("element expected");
        ++m_pos;
        XmlNode node;
        node.tag = Name();
        for (;;) {
            SkipSpace();
            if (StartsWith("/>")) {
                m_pos += 2;
                return node;
            }
            if (StartsWith(">")) {
                ++m_pos;
                break;
            }
            const std::string name = Name();
            SkipSpace();
            if (!StartsWith("="))
                Fail("= expected");
            ++m_pos;
            SkipSpace();
            if (!StartsWith("\""))
                Fail("quote expected");
            const std::size_t end = m_text.find('"', m_pos + 1);
            if (end == std::string::npos)
                Fail("unterminated attribute");
            node.attributes.emplace_back(name, Unescape(m_text.substr(m_pos + 1, end - m_pos - 1)));
            m_pos = end + 1;
        }
        // Content
        std::string text;
        for (;;) {
            if (m_pos >= m_text.size())
                Fail("unterminated element " + node.tag);
            if (StartsWith("</")) {
                m_pos += 2;
                if (Name() != node.tag)
                    Fail("mismatched end tag of " + node.tag);
                SkipSpace();
                if (!StartsWith(">"))
                    Fail("> expected");
                ++m_pos;
                break;
            }
            if (StartsWith("<![CDATA[")) {
                m_pos += 9;
                const std::size_t end = m_text.find("]]>", m_pos);
                if (end == std::string::npos)
                    Fail("unterminated CDATA");
                text += m_text.substr(m_pos, end - m_pos);
                m_pos = end + 3;
            } else if (StartsWith("<!--")) {
                SkipPast("-->");
            } else if (StartsWith("<")) {
                node.children.push_back(Element());
            } else {
                const std::size_t end = m_text.find('<', m_pos);
                const std::string raw = m_text.substr(m_pos, end - m_pos);
                if (raw.find_first_not_of(" \n\t\r") != std::string::npos)
                    text += Unescape(raw);
                m_pos = end;
            }
        }
        node.text = text;
        return node;
    }

    const std::string& m_text;
    std::size_t m_pos = 0;
};

} // namespace

XmlNode ParseXml(const std::string& text)
{
    Reader reader(text);
    return reader.Document();
}
