#include "ProjectFile.h"

#include "ALL/Error.h"
#include "DLL/Row/FilterRow.h"
#include "DLL/Row/Library.h"
#include "DLL/Row/MainRow.h"
#include "DLL/Row/ParamGraph.h"
#include "DLL/Row/ZVFormula.h"
#include "Host.h"

#include "support/FileText.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <list>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
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

// A folder of the test's own holding the example, removed with what the test wrote into it.
class TExampleFolder {
public:
    TExampleFolder() {
        char name[] = "/tmp/ProjectFileTest-XXXXXX";
        EXPECT_NE(mkdtemp(name), nullptr);
        aPath = name;
        WriteFile(Path("example.xml"), ReadSource("host/example/example.xml"));
    }
    ~TExampleFolder() { std::filesystem::remove_all(aPath); }
    std::string Path(const std::string& pName) const { return aPath + "/" + pName; }

    std::string aPath;
};

} // namespace

// The loader would drop the entity's text: the file is refused before any of it is read, and
// the open project stays as it was, format included.
TEST(ProjectFile, AFileThatDeclaresAnEntityIsRefusedBeforeAnythingIsRead) {
    const TExampleFolder folder;
    const std::string example = folder.Path("example.xml");
    const std::string declared = folder.Path("declared.xml");
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
    const TExampleFolder folder;
    const std::string example = folder.Path("example.xml");
    const std::string exhausted = folder.Path("exhausted.xml");
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
}

// A save that is refused, of a host that is not current or has no project, touches no file:
// nothing in the folder is made or opened, not even a FIFO (whose opening would wait for a
// reader), and the message says why, as SaveText's does.
TEST(ProjectFile, ARefusedSaveOpensNoFile) {
    const TExampleFolder folder;
    const std::string fifo = folder.Path("saved.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // A reader, so that a save that opens the FIFO goes on rather than wait.
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    std::ostringstream messages;
    TZVHost loaded(true, messages);
    TZVProjectFile::Load(wxString::FromUTF8(folder.Path("example.xml")), loaded, true);
    // A host is made, current and without a project; the loaded one is saved, or the new one.
    const struct {
        const char* aCase;
        bool aNew;
        const wchar_t* aMessage;
    } cases[] = {
        {"not current", false,
         L"the project is not the current document: make it current to save it"},
        {"no project", true, L"the host has no project: there is nothing to save"},
    };
    for (const auto& c : cases) {
        const int watch = inotify_init1(IN_NONBLOCK);
        inotify_add_watch(watch, folder.aPath.c_str(), IN_OPEN | IN_CREATE);
        TZVHost made(true, messages);
        const TZVHost& saved = c.aNew ? made : loaded;
        // The text, then a file, then the FIFO.
        for (const std::string& target : {std::string(), folder.Path("saved.xml"), fifo}) {
            wxString refusal;
            try {
                if (target.empty())
                    TZVProjectFile::SaveText(saved);
                else
                    TZVProjectFile::Save(wxString::FromUTF8(target), saved);
            } catch (const TError& error) {
                refusal = error;
            }
            EXPECT_EQ(refusal, c.aMessage) << c.aCase << ", " << target;
        }
        char events[4096];
        EXPECT_EQ(read(watch, events, sizeof events), -1) << c.aCase << ": a file was touched";
        close(watch);
    }
    close(reader);
}

// The graph slots are the process's, and a host made while another document holds one is
// current: given a project of its own, it saves none of the other's slots.
TEST(ProjectFile, AHostSavesOnlyTheGraphSlotsOfItsOwnRows) {
    const TExampleFolder folder;
    std::ostringstream messages;
    TZVHost open(true, messages);
    TZVProjectFile::Load(wxString::FromUTF8(folder.Path("example.xml")), open, true);
    std::list<TZVParamRow*> params;
    open.GetRootRow()->ListParam(params);
    ASSERT_EQ(GraphAddParam(params.back(), 2), 2);
    TZVHost made(true, messages);
    TZVMainMixerRow* root = new TZVMainMixerRow;
    root->CompleteCreate(60);
    made.SetProject(root, nullptr);
    EXPECT_EQ(TZVProjectFile::SaveText(made).find("graph-list"), std::string::npos);
    EXPECT_EQ(GraphGetParam(2), params.back()) << "the other document's slot stays";
}
