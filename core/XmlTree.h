// Reads XML files from anyone with expat directly, without the toolkit's loader, which
// frees its tree recursively (a deeply nested file overflows the stack) and re-scans a
// long tag once per chunk it reads (a file of megabytes of attributes takes many
// seconds). The readers keep to limits far beyond what the program writes.
#ifndef GLYPHARA_CORE_XMLTREE_H
#define GLYPHARA_CORE_XMLTREE_H

#include <wx/string.h>

#include <string>

class wxXmlAttribute;
class wxXmlDocument;

namespace XmlTree
{
// Far beyond any file the program writes (a few kilobytes, five levels deep).
constexpr long kMaxFileBytes = 16L * 1024 * 1024;
constexpr int kMaxDepth = 256;

// The whole of a plain file within the size limit. It is opened without blocking and
// checked to be a plain file first: a pipe or a device named like one of the program's
// files must not hang it. False otherwise; error then says why.
bool ReadFile(const wxString& path, std::string& text, wxString& error);

// Takes the elements of a text one by one as the parser meets them.
class ElementReader
{
public:
    virtual ~ElementReader() = default;
    // Attributes come as name, value pairs ending in a null. False stops the reading.
    virtual bool StartElement(const char* name, const char** attributes) = 0;
    virtual void EndElement() = 0;
};

// One pass over the text. False when it is not well-formed XML (error then says where)
// or the reader stopped.
bool Parse(const std::string& text, ElementReader& reader, wxString& error);

// The attributes as the toolkit's list, linked by hand: adding them one by one walks
// the list each time. Null when there are none.
wxXmlAttribute* MakeAttributes(const char** attributes);

// Elements with their attributes only: text, comments and processing instructions are
// dropped, as none of the program's readers looks at them. False when the path is not a
// readable plain file within the size limit, or the text is not well-formed XML within
// the depth limit; error then says why.
bool Load(const wxString& path, wxXmlDocument& document, wxString& error);
}

#endif
