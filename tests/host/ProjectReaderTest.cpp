#include "ProjectReader.h"

#include "ALL/Error.h"

#include "support/FileText.h"

#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <dirent.h>
#include <memory>
#include <string>
#include <vector>

namespace {

// Every node under pNode, one a line: type, name, line, attributes and content.
void Dump(const wxXmlNode* pNode, int pDepth, wxString& pText) {
    for (; pNode; pNode = pNode->GetNext()) {
        pText << wxString(size_t(pDepth) * 2, ' ') << int(pNode->GetType()) << " <"
              << pNode->GetName() << "> " << pNode->GetLineNumber();
        for (const wxXmlAttribute* a = pNode->GetAttributes(); a; a = a->GetNext())
            pText << " " << a->GetName() << "=[" << a->GetValue() << "]";
        pText << " [" << pNode->GetContent() << "]\n";
        Dump(pNode->GetChildren(), pDepth + 1, pText);
    }
}

wxString Dump(const wxXmlDocument& pDocument) {
    wxString text = "version " + pDocument.GetVersion() + ", encoding " +
                    pDocument.GetFileEncoding() + ", document type " +
                    pDocument.GetDoctype().GetRootName() + "\n";
    Dump(pDocument.GetDocumentNode(), 0, text);
    return text;
}

// The tree wxWidgets' loader builds, with its default flags; empty when it refuses the text.
wxString LoadedByWx(const std::string& pText) {
    wxMemoryInputStream stream(pText.data(), pText.size());
    wxXmlDocument document;
    wxLogNull quiet;
    return document.Load(stream) ? Dump(document) : wxString();
}

// The tree the reader builds, or its refusal.
wxString Read(const std::string& pText) {
    try {
        return Dump(*TZVProjectReader::Parse(pText, 1000));
    } catch (const TError& error) {
        return "refused: " + error;
    }
}

std::vector<std::string> Files(const std::string& pFolder) {
    std::vector<std::string> files;
    DIR* const folder = opendir((ZV_SOURCE_DIR "/" + pFolder).c_str());
    for (const dirent* entry = folder ? readdir(folder) : nullptr; entry; entry = readdir(folder))
        if (entry->d_name[0] != '.')
            files.push_back(pFolder + "/" + entry->d_name);
    if (folder)
        closedir(folder);
    return files;
}

} // namespace

// The reader builds the tree wxWidgets' loader builds, node for node with their line numbers:
// of the repository's projects and of the forms a file may take. Blanks dropped are pieces
// of text that hold nothing else, before any other (a line end, a character reference, a run
// between references), not whole texts.
TEST(ProjectReader, BuildsTheTreeOfWxWidgetsLoader) {
    std::vector<std::string> texts;
    // The corpus's files that wxWidgets' loader refuses, or that are refused for their
    // entities or depth, are the damaged projects' cases; the one in Shift_JIS, which the
    // loader garbles, is the encodings' case.
    for (const char* folder : {"host/example", "tests/host/projects", "fuzz/corpus/ProjectFileFuzz",
                               "fuzz/corpus/HostEditFuzz"})
        for (const std::string& file : Files(folder))
            if (LoadedByWx(ReadSource(file)) != "" &&
                !Read(ReadSource(file)).StartsWith("refused") &&
                file.find("shift-jis") == file.npos)
                texts.push_back(ReadSource(file));
    ASSERT_GE(texts.size(), 14u);
    const char* const forms[] = {
        "<a>\n  <b/>\n  text\n  <c>&#32;&#9;x&#32;</c>\n</a>",
        "<a> \n <![CDATA[ <b> ]]>\n tail <![CDATA[]]><![CDATA[\n]]> </a>",
        "<?xml version=\"1.0\"?>\n<!-- before --><?pi before?>\n<a><!-- in -->t<!--x-->u<?pi "
        "in it?>v</a>\n<!-- after --><?pi after?>\n",
        "<a x=\"&lt;&amp;&gt;&apos;&quot;\" y='&#x1F600;&#65;' z=\"a\tb\nc&#10;d\"/>",
        "<a>&lt;&#60;&gt; &amp; \xC3\xA9\xE7\xB7\x91</a>",
        "<!DOCTYPE a [<!-- in the definition --><!ELEMENT a ANY><!ATTLIST a d CDATA "
        "'default'><?pi x?>]><a/>",
        "<!DOCTYPE a><a>\r\n x\r\n</a>",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?><a n=\"\xE9\"/>",
        "\xEF\xBB\xBF<a>bom</a>",
        "<a><b>1</b>2<c/>   <d>  </d>3</a>",
    };
    texts.insert(texts.end(), std::begin(forms), std::end(forms));
    // UTF-16, which Expat reads itself.
    texts.push_back(std::string("\xFF\xFE<\0a\0>\0\xE9\0<\0/\0a\0>\0", 18));
    for (const std::string& text : texts) {
        const wxString loaded = LoadedByWx(text);
        ASSERT_NE(loaded, "") << text;
        EXPECT_EQ(Read(text), loaded) << text;
    }
}
