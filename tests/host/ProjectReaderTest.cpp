#include "ProjectReader.h"

#include "ALL/Error.h"

#include "support/FileText.h"
#include "support/Temporary.h"

#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
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

// The tree that pRead builds, or its refusal.
template <typename TRead>
wxString Tree(TRead pRead) {
    try {
        return Dump(*pRead());
    } catch (const TError& error) {
        return "refused: " + error;
    }
}

wxString Read(const std::string& pText) {
    return Tree([&pText] { return TZVProjectReader::Parse(pText, 1000); });
}

// The tree of pText given to the reader in pieces of pSize bytes.
wxString ReadInPieces(const std::string& pText, size_t pSize) {
    std::vector<std::string> pieces;
    for (size_t at = 0; at < pText.size(); at += pSize)
        pieces.push_back(pText.substr(at, pSize));
    return Tree([&pieces] { return TZVProjectReader::Parse(pieces, 1000); });
}

// The tree of pText read from a file on disk, or from a FIFO that another thread writes.
wxString ReadFrom(const std::string& pText, bool pFifo) {
    const std::string path = Temporary(pFifo ? "project.fifo" : "project.xml");
    unlink(path.c_str());
    if (!pFifo) {
        WriteFile(path, pText);
        return Tree([&path] { return TZVProjectReader::Read(wxString::FromUTF8(path), 1000); });
    }
    EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
    std::thread writer([&path, &pText] {
        const int fifo = open(path.c_str(), O_WRONLY);
        for (size_t done = 0; fifo >= 0 && done < pText.size();) {
            const ssize_t written = write(fifo, pText.data() + done, pText.size() - done);
            done += written > 0 ? size_t(written) : pText.size();
        }
        close(fifo);
    });
    const wxString tree =
        Tree([&path] { return TZVProjectReader::Read(wxString::FromUTF8(path), 1000); });
    writer.join();
    return tree;
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

// A text of 300 blanks and 13 letters across the end of the first piece that a file or a pipe
// is read in.
std::string Crossing() {
    return "<a><!--" + std::string(65536 - 150 - 10, 'c') + "-->" + std::string(300, ' ') +
           "thirteen char</a>";
}

// pText, of ASCII, in UTF-16 without a byte order mark.
std::string Utf16(const std::string& pText, bool pBigEndian) {
    std::string text;
    for (const char c : pText)
        text += pBigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return text;
}

// The texts of the corpus, and of the forms a file may take, among them texts whose blanks and
// other characters a piece may cut apart.
std::vector<std::string> Corpus() {
    std::vector<std::string> texts;
    for (const char* folder : {"host/example", "tests/host/projects", "fuzz/corpus/ProjectFileFuzz",
                               "fuzz/corpus/HostEditFuzz"})
        for (const std::string& file : Files(folder))
            texts.push_back(ReadSource(file));
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
        "<a>  \t  blanks before<b>   \xC3\xA9</b><c> \r  \r\n \t&amp; x</c><d>  &#32;  y</d></a>",
        "<a>  <![CDATA[  c]]>  <!-- c -->  t  <?pi ?>  </a>",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>    \xE9\xE9  </a>",
        "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\r    \x80 x\r\n</a>",
        // An XML fault before bytes that are not of the encoding.
        "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<a>\n<b>\n</c>\n\n\n\n\n\n\n\n\n\n\n"
        "<!-- \x81 -->\n</a>",
        // A UTF-8 mark decides over the declaration, its bytes that are not UTF-8 named.
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<a> \xC3\xA9 "
        "\xE2\x82\xAC</a>",
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<a>\n\xE9</a>",
    };
    texts.insert(texts.end(), std::begin(forms), std::end(forms));
    texts.push_back(Crossing());
    // UTF-16, which Expat reads itself.
    texts.push_back(std::string("\xFF\xFE<\0a\0>\0\xE9\0<\0/\0a\0>\0", 18));
    texts.push_back(std::string("\xFE\xFF\0<\0a\0>\0 \0 \0\t\0 \0b\0<\0/\0a\0>", 24));
    // UTF-16 without a mark or a declaration, which Expat tells by its bytes 0.
    texts.push_back(Utf16("<a> &#32;x<b>\n  &#9;y\n</b></a>", true));
    texts.push_back(Utf16("\n<a> &#32;x<b>\n  &#9;y\n</b></a>", false));
    return texts;
}

} // namespace

// The reader builds the tree wxWidgets' loader builds, node for node with their line numbers:
// of the repository's projects and of the forms a file may take. Blanks dropped are pieces
// of text that hold nothing else, before any other (a line end, a character reference, a run
// between references), not whole texts.
TEST(ProjectReader, BuildsTheTreeOfWxWidgetsLoader) {
    // The corpus's files that wxWidgets' loader refuses, or that are refused for their
    // entities or depth, are the damaged projects' cases; the one in Shift_JIS, which the
    // loader garbles, is the encodings' case. The loader loses blanks where it cuts a text
    // into pieces of its own, as the long one that crosses 64 KB, and reads the bytes after a
    // UTF-8 mark in the encoding declared.
    std::vector<std::string> texts;
    for (const std::string& text : Corpus())
        if (LoadedByWx(text) != "" && !Read(text).StartsWith("refused") &&
            text.find("Shift_JIS") == text.npos && text != Crossing() &&
            text.rfind("\xEF\xBB\xBF<?xml", 0) != 0)
            texts.push_back(text);
    ASSERT_GE(texts.size(), 30u);
    for (const std::string& text : texts) {
        const wxString loaded = LoadedByWx(text);
        ASSERT_NE(loaded, "") << text;
        EXPECT_EQ(Read(text), loaded) << text;
    }
}

// The same bytes make the same tree, or the same refusal, however they come: from a file, from
// a pipe, or in pieces cut anywhere (between every two bytes, and at every step of a few
// sizes: in a token, a character, a line end, a run of blanks). Expat reads a token cut short
// again from its start: the text of 64 KB is read in small pieces from a file and a pipe only.
TEST(ProjectReader, TheTreeIsTheSameHoweverTheBytesAreCut) {
    for (const std::string& text : Corpus()) {
        const wxString whole = Read(text);
        const std::vector<size_t> sizes = text == Crossing()
                                              ? std::vector<size_t>()
                                              : std::vector<size_t>{1, 2, 3, 5, 7, 64, 1000};
        for (const size_t size : sizes)
            EXPECT_EQ(ReadInPieces(text, size), whole) << size << " bytes a piece: " << text;
        EXPECT_EQ(ReadFrom(text, false), whole) << text;
        EXPECT_EQ(ReadFrom(text, true), whole) << text;
    }
    EXPECT_TRUE(Read(Crossing()).Contains("[" + std::string(300, ' ') + "thirteen char]"));
}
