#include "core/XmlTree.h"

#include <wx/strconv.h>
#include <wx/xml/xml.h>

#include <expat.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
// Opened without blocking and checked to be a plain file first: a pipe or a device named
// like a project must not hang the program.
bool ReadWholeFile(const wxString& path, std::string& text, wxString& error)
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
    else if (info.st_size > XmlTree::kMaxFileBytes)
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

class TreeBuilder
{
public:
    explicit TreeBuilder(XML_Parser parser) : m_parser(parser) {}
    ~TreeBuilder() { delete m_root; }

    // Hands the finished tree over; the builder keeps nothing.
    wxXmlNode* ReleaseRoot()
    {
        wxXmlNode* root = m_root;
        m_root = nullptr;
        return root;
    }

    bool tooDeep = false;

    static void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes)
    {
        static_cast<TreeBuilder*>(data)->Start(name, attributes);
    }

    static void XMLCALL OnEnd(void* data, const XML_Char*)
    {
        TreeBuilder& self = *static_cast<TreeBuilder*>(data);
        self.m_open.pop_back();
    }

    // Encodings that expat does not know itself, as far as they are one byte per
    // character, go through the toolkit's converters, as the toolkit's loader does.
    static int XMLCALL OnUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info)
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

private:
    struct Open
    {
        wxXmlNode* node;
        wxXmlNode* lastChild;
    };

    void Start(const XML_Char* name, const XML_Char** attributes)
    {
        if (m_open.size() >= static_cast<size_t>(XmlTree::kMaxDepth))
        {
            tooDeep = true;
            XML_StopParser(m_parser, XML_FALSE);
            return;
        }
        wxXmlNode* node = new wxXmlNode(wxXML_ELEMENT_NODE, wxString::FromUTF8(name));
        // Linked by hand: adding attributes or children one by one walks the list each time.
        wxXmlAttribute* tail = nullptr;
        for (const XML_Char** a = attributes; *a; a += 2)
        {
            wxXmlAttribute* attribute = new wxXmlAttribute(wxString::FromUTF8(a[0]), wxString::FromUTF8(a[1]));
            if (tail)
                tail->SetNext(attribute);
            else
                node->SetAttributes(attribute);
            tail = attribute;
        }
        if (m_open.empty())
            m_root = node;
        else
        {
            Open& parent = m_open.back();
            node->SetParent(parent.node);
            if (parent.lastChild)
                parent.lastChild->SetNext(node);
            else
                parent.node->SetChildren(node);
            parent.lastChild = node;
        }
        m_open.push_back({node, nullptr});
    }

    XML_Parser m_parser;
    wxXmlNode* m_root = nullptr;
    std::vector<Open> m_open;
};
}

namespace XmlTree
{
bool Load(const wxString& path, wxXmlDocument& document, wxString& error)
{
    std::string text;
    if (!ReadWholeFile(path, text, error))
        return false;

    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser)
    {
        error = wxS("Out of memory");
        return false;
    }
    TreeBuilder builder(parser);
    XML_SetUserData(parser, &builder);
    XML_SetElementHandler(parser, &TreeBuilder::OnStart, &TreeBuilder::OnEnd);
    XML_SetUnknownEncodingHandler(parser, &TreeBuilder::OnUnknownEncoding, nullptr);
    const bool parsed = XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_OK;
    if (builder.tooDeep)
        error = wxString::Format(wxS("Elements nested deeper than %d levels"), kMaxDepth);
    else if (!parsed)
        error = wxString::Format(wxS("XML parsing error: '%s' at line %lu"),
                                 wxString::FromUTF8(XML_ErrorString(XML_GetErrorCode(parser))),
                                 static_cast<unsigned long>(XML_GetCurrentLineNumber(parser)));
    XML_ParserFree(parser);
    if (!parsed || builder.tooDeep)
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
