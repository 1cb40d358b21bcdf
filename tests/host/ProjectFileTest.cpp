#include "ProjectFile.h"

#include "ALL/Error.h"
#include "DLL/Row/FilterRow.h"
#include "DLL/Row/Library.h"
#include "DLL/Row/ZVFormula.h"
#include "Host.h"

#include "support/FileText.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

// The example with the first pFrom replaced by pTo.
std::string Edited(const std::string& pFrom, const std::string& pTo) {
    std::string text = ReadSource("host/example/example.xml");
    return text.replace(text.find(pFrom), pFrom.size(), pTo);
}

wxString FormatText(const TZVHost& pHost) {
    const std::unique_ptr<wxXmlNode> image(pHost.aFormat.GetXmlImage());
    return XmlText(*image);
}

} // namespace

// The loader would drop the entity's text: the file is refused before any of it is read, and
// the open project stays as it was, format included.
TEST(ProjectFile, AFileThatDeclaresAnEntityIsRefusedBeforeAnythingIsRead) {
    char folder[] = "/tmp/ProjectFileTest-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string example = std::string(folder) + "/example.xml";
    const std::string declared = std::string(folder) + "/declared.xml";
    WriteFile(example, ReadSource("host/example/example.xml"));
    // Another format, which a partial read would take.
    std::string text = Edited("<project>", "<!DOCTYPE project [\n<!ENTITY hundred \"100\">\n]>\n"
                                           "<project>");
    text.replace(text.find("duration=\"60\""), 13, "duration=\"70\"");
    WriteFile(declared, text);

    std::ostringstream messages;
    TZVHost host(true, messages);
    TZVProjectFile::Load(wxString::FromUTF8(example), host, true);
    const TZVStreamRow* const root = host.GetRootRow();
    const TZVMediaLibrary* const library = host.GetLibrary();
    ASSERT_NE(root, nullptr);
    const std::string saved = TZVProjectFile::SaveText(host);
    const wxString format = FormatText(host);
    const int lastId = TZVFormula::theLastId;
    messages.str("");
    wxString refusal;
    try {
        TZVProjectFile::Load(wxString::FromUTF8(declared), host, true);
    } catch (const TError& error) {
        refusal = error;
    }
    EXPECT_EQ(refusal, L"line 3 declares the entity \"hundred\": a project file may not declare "
                       L"entities");
    EXPECT_EQ(host.GetRootRow(), root);
    EXPECT_EQ(host.GetLibrary(), library);
    EXPECT_EQ(FormatText(host), format);
    EXPECT_EQ(TZVProjectFile::SaveText(host), saved);
    EXPECT_EQ(TZVFormula::theLastId, lastId) << "no formula was read";
    EXPECT_EQ(messages.str(), "");
    std::remove(example.c_str());
    std::remove(declared.c_str());
    rmdir(folder);
}

namespace {

// A filter whose row cannot be made: memory runs out while the rows are read.
class TExhaustedFactory : public IObjectFactory<TZVFilterRow> {
public:
    TExhaustedFactory() : IObjectFactory<TZVFilterRow>(-1) {}
    void CreateDialog(wxScrolledWindow*) override {}
    wxIcon* GetIcon() override { return nullptr; }
    wxString GetSubType() override { return L"Exhausted"; }
    TZVFilterRow* Create() const override { throw std::bad_alloc(); }
    bool HasVideo() override { return false; }
};

} // namespace

// A tab whose load runs out of memory keeps what it had, and the document that was current
// stays so, its library the module's.
TEST(ProjectFile, ALoadThatRunsOutOfMemoryPutsTheOpenDocumentBack) {
    // The registry takes the factory over.
    auto factory = std::make_unique<TExhaustedFactory>();
    if (TRowRegistry<TZVFilterRow>::RegisterFactory(factory.get()))
        factory.release();
    char folder[] = "/tmp/ProjectFileTest-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string example = std::string(folder) + "/example.xml";
    const std::string exhausted = std::string(folder) + "/exhausted.xml";
    WriteFile(example, ReadSource("host/example/example.xml"));
    std::string text = Edited("type=\"Opacity\"", "type=\"Exhausted\"");
    text.replace(text.find("duration=\"60\""), 13, "duration=\"70\"");
    WriteFile(exhausted, text);

    std::ostringstream messages;
    TZVHost tab(true, messages);
    TZVHost current(true, messages);
    TZVProjectFile::Load(wxString::FromUTF8(example), current, true);
    const wxString format = FormatText(tab);
    EXPECT_THROW(TZVProjectFile::Load(wxString::FromUTF8(exhausted), tab, true), std::bad_alloc);
    EXPECT_EQ(IZVProject::theCurrentProject, &current);
    EXPECT_EQ(IZVLibrary::theLibrary, current.GetLibrary());
    EXPECT_EQ(tab.GetRootRow(), nullptr);
    EXPECT_EQ(tab.GetLibrary(), nullptr);
    EXPECT_EQ(FormatText(tab), format);
    std::remove(example.c_str());
    std::remove(exhausted.c_str());
    rmdir(folder);
}
