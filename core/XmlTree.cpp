#include "core/XmlTree.h"

#include <wx/strconv.h>
#include <wx/xml/xml.h>

#include <expat.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
struct Session
{
    XML_Parser parser;
    XmlTree::ElementReader* reader;
    // Expat may still report the end of the element it stopped in.
    bool stopped;
};

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes)
{
    Session& session = *static_cast<Session*>(data);
    if (!session.stopped && !session.reader->StartElement(name, attributes))
    {
        session.stopped = true;
        XML_StopParser(session.parser, XML_FALSE);
    }
}

void XMLCALL OnEnd(void* data, const XML_Char*)
{
    Session& session = *static_cast<Session*>(data);
    if (!session.stopped)
        session.reader->EndElement();
}

// Encodings that expat does not know itself, as far as they are one byte per character,
// go through the toolkit's converters, as the toolkit's loader does.
int XMLCALL OnUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info)
{
    wxCSConv conv(wxString::FromUTF8(name));
    if (!conv.IsOk())
        return XML_STATUS_ERROR;
    for (int byte = 0; byte < 256; ++byte)
    {
        const char in[1] = {static_cast<char>(byte)};
        wchar_t out[2] = {0, 0};
        const size_t count = conv.ToWChar(out, 2, in, 1);
        info->map[byte] = count == 1 ? static_cast<int>(out[0]) : -1;
    }
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
}

class TreeBuilder : public XmlTree::ElementReader
{
public:
    ~TreeBuilder() override { delete m_root; }

    // Hands the finished tree over; the builder keeps nothing.
    wxXmlNode* ReleaseRoot()
    {
        wxXmlNode* root = m_root;
        m_root = nullptr;
        return root;
    }

    bool tooDeep = false;

    bool StartElement(const char* name, const char** attributes) override
    {
        if (m_open.size() >= static_cast<size_t>(XmlTree::kMaxDepth))
        {
            tooDeep = true;
            return false;
        }
        wxXmlNode* node = new wxXmlNode(wxXML_ELEMENT_NODE, wxString::FromUTF8(name));
        node->SetAttributes(XmlTree::MakeAttributes(attributes));
        if (m_open.empty())
            m_root = node;
        else
        {
            // Linked by hand, as the attributes are.
            Open& parent = m_open.back();
            node->SetParent(parent.node);
            if (parent.lastChild)
                parent.lastChild->SetNext(node);
            else
                parent.node->SetChildren(node);
            parent.lastChild = node;
        }
        m_open.push_back({node, nullptr});
        return true;
    }

    void EndElement() override { m_open.pop_back(); }

private:
    struct Open
    {
        wxXmlNode* node;
        wxXmlNode* lastChild;
    };

    wxXmlNode* m_root = nullptr;
    std::vector<Open> m_open;
};
}

namespace XmlTree
{
bool ReadFile(const wxString& path, std::string& text, wxString& error)
{
    const int fd = ::open(path.fn_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
    {
        error = wxS("Unable to open the file: ") + wxString(std::strerror(errno), wxConvLibc);
        return false;
    }
    struct stat info;
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (!ok)
        error = wxS("Not a plain file");
    else if (info.st_size > kMaxFileBytes)
    {
        ok = false;
        error = wxS("The file is too large");
    }
    if (ok)
    {
        text.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (ok && done < text.size())
        {
            const ssize_t got = ::read(fd, &text[done], text.size() - done);
            if (got > 0)
                done += static_cast<size_t>(got);
            else if (got == 0)
                text.resize(done);
            else if (errno != EINTR)
            {
                ok = false;
                error = wxS("Unable to read the file");
            }
        }
    }
    ::close(fd);
    return ok;
}

bool Parse(const std::string& text, ElementReader& reader, wxString& error)
{
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser)
    {
        error = wxS("Out of memory");
        return false;
    }
    Session session = {parser, &reader, false};
    XML_SetUserData(parser, &session);
    XML_SetElementHandler(parser, &OnStart, &OnEnd);
    XML_SetUnknownEncodingHandler(parser, &OnUnknownEncoding, nullptr);
    const bool parsed = XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_OK;
    if (!parsed)
        error = wxString::Format(wxS("XML parsing error: '%s' at line %lu"),
                                 wxString::FromUTF8(XML_ErrorString(XML_GetErrorCode(parser))),
                                 static_cast<unsigned long>(XML_GetCurrentLineNumber(parser)));
    XML_ParserFree(parser);
    return parsed && !session.stopped;
}

wxXmlAttribute* MakeAttributes(const char** attributes)
{
    wxXmlAttribute* head = nullptr;
    wxXmlAttribute* tail = nullptr;
    for (const char** a = attributes; *a; a += 2)
    {
        wxXmlAttribute* attribute = new wxXmlAttribute(wxString::FromUTF8(a[0]), wxString::FromUTF8(a[1]));
        if (tail)
            tail->SetNext(attribute);
        else
            head = attribute;
        tail = attribute;
    }
    return head;
}

bool Load(const wxString& path, wxXmlDocument& document, wxString& error)
{
    std::string text;
    if (!ReadFile(path, text, error))
        return false;

    TreeBuilder builder;
    const bool parsed = Parse(text, builder, error);
    if (builder.tooDeep)
        error = wxString::Format(wxS("Elements nested deeper than %d levels"), kMaxDepth);
    if (!parsed)
        return false;

    wxXmlNode* root = builder.ReleaseRoot();
    if (!root)
    {
        error = wxS("No element in the file");
        return false;
    }
    document.SetRoot(root);
    return true;
}
}
