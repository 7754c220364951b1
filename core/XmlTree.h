// Reads an XML file into the toolkit's document tree without the toolkit's loader, which
// frees its tree recursively (a deeply nested file overflows the stack) and re-scans a
// long tag once per chunk it reads (a file of megabytes of attributes takes many
// seconds). Project files come from anyone, so the reader keeps to limits far beyond
// what the program writes.
#ifndef GLYPHARA_CORE_XMLTREE_H
#define GLYPHARA_CORE_XMLTREE_H

#include <wx/string.h>

class wxXmlDocument;

namespace XmlTree
{
// Far beyond any file the program writes (a few kilobytes, five levels deep).
constexpr long kMaxFileBytes = 16L * 1024 * 1024;
constexpr int kMaxDepth = 256;

// Elements with their attributes only: text, comments and processing instructions are
// dropped, as none of the program's readers looks at them. False when the path is not a
// readable plain file within the size limit, or the text is not well-formed XML within
// the depth limit; error then says why.
bool Load(const wxString& path, wxXmlDocument& document, wxString& error);
}

#endif
