// The most-recent-file menu on a real frame and menu, with the configuration in memory. Each
// scenario keeps one log of the callback's calls, the configuration's writes and deletions, and
// the menu after each step, compared whole at the end.
#include "DLL/Ctl/MostRecentFileList.h"

#include "support/AssertCapture.h"

#include <wx/arrstr.h>
#include <wx/frame.h>
#include <wx/memconf.h>
#include <wx/menu.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <vector>

namespace {

using TStatus = TMostRecentFileList::TOpenStatus;
using TList = TMostRecentFileList;

wxString theLog;
std::deque<TStatus> theAnswers;

// The host's open callback: logs the name and gives the next scripted answer (openOK when the
// script has run out).
TStatus FakeOpen(const wxString& pFileName) {
    static const char* const names[] = {"OK", "ABORT", "FAILED", "OTHER"};
    TStatus answer = TList::openOK;
    if (!theAnswers.empty()) {
        answer = theAnswers.front();
        theAnswers.pop_front();
    }
    theLog += "open " + pFileName + " -> " + names[std::min(int(answer), 3)] + "\n";
    return answer;
}

// A configuration in memory that logs every write and deletion.
class TRecordingConfig : public wxMemoryConfig {
public:
    bool DeleteEntry(const wxString& pKey, bool pGroupIfEmpty) override {
        theLog += "delete " + GetPath() + "/" + pKey + "\n";
        return wxMemoryConfig::DeleteEntry(pKey, pGroupIfEmpty);
    }
    // Writes without logging.
    void WriteQuietly(const wxString& pKey, const wxString& pValue) {
        wxMemoryConfig::DoWriteString(pKey, pValue);
    }
    // The value as stored, without expanding "$NAME".
    wxString ReadRaw(const wxString& pKey) {
        wxString value;
        DoReadString(pKey, &value);
        return value;
    }

protected:
    bool DoWriteString(const wxString& pKey, const wxString& pValue) override {
        theLog += "write " + GetPath() + "/" + pKey + "=" + pValue + "\n";
        return wxMemoryConfig::DoWriteString(pKey, pValue);
    }
};

class MostRecentFileListGui : public testing::Test {
protected:
    MostRecentFileListGui() : aFrame(new wxFrame(nullptr, wxID_ANY, "host")) {
        theLog.clear();
        theAnswers.clear();
        delete wxConfigBase::Set(&aConfig);
        wxMenu* recent = new wxMenu;
        recent->Append(wxID_ANY, "Browse...");
        wxMenu* file = new wxMenu;
        aItem = file->AppendSubMenu(recent, "Recent");
        wxMenuBar* bar = new wxMenuBar;
        bar->Append(file, "File");
        aFrame->SetMenuBar(bar);
    }
    ~MostRecentFileListGui() override {
        aList.reset();
        aFrame.reset();
        wxConfigBase::Set(nullptr);
    }

    // Stores a list as an earlier run left it, without logging.
    void Store(const std::vector<std::pair<wxString, wxString>>& pEntries) {
        aConfig.SetPath("/MRF/Test");
        for (const auto& [key, value] : pEntries)
            aConfig.WriteQuietly(key, value);
    }
    void Create() { aList.reset(new TList(aFrame.get(), "Test", aItem, FakeOpen)); }
    wxMenu& Menu() const { return *aItem->GetSubMenu(); }
    // Chooses the item at menu position pPosition, as the user does.
    bool Choose(size_t pPosition) {
        wxCommandEvent event(wxEVT_MENU, Menu().FindItemByPosition(pPosition)->GetId());
        return aFrame->ProcessWindowEvent(event);
    }
    bool ChooseClear() { return Choose(Menu().GetMenuItemCount() - 1); }
    void Add(const wxString& pFileName) { aList->AddRecentFile(pFileName); }

    // Logs a step with the menu, the slot order and the stored keys after it.
    void Step(const wxString& pName) {
        theLog += "-- " + pName + "\n" + (aItem->IsEnabled() ? "on:" : "off:");
        for (const wxMenuItem* item : Menu().GetMenuItems())
            theLog += " [" + item->GetItemLabelText() + "]";
        theLog += "\nslots:";
        for (int slot : aList->aIndexTab)
            theLog += wxString::Format(" %d", slot);
        theLog += "\nstored:" + Stored() + "\n";
    }
    wxString Stored() {
        if (!aConfig.HasGroup("/MRF/Test"))
            return " no group";
        aConfig.SetPath("/MRF/Test");
        wxArrayString entries;
        wxString key;
        long cookie = 0;
        for (bool more = aConfig.GetFirstEntry(key, cookie); more;
             more = aConfig.GetNextEntry(key, cookie))
            entries.Add(" " + key + "=" + aConfig.ReadRaw(key));
        entries.Sort();
        wxString text;
        for (const wxString& entry : entries)
            text += entry;
        return text;
    }

    TRecordingConfig aConfig;
    std::unique_ptr<wxFrame> aFrame;
    wxMenuItem* aItem;
    std::unique_ptr<TList> aList;
};

} // namespace

TEST_F(MostRecentFileListGui, FirstRunShowsClearListAloneAndDestructionUnbinds) {
    Create();
    Step("created");
    Add("a");
    aList.reset();
    EXPECT_FALSE(ChooseClear());
    EXPECT_EQ(theLog, R"(-- created
off: [Browse...] [Clear List]
slots: 0 1 2 3 4 5 6 7 8 9
stored:
write /MRF/Test/FileIndexList=A
write /MRF/Test/A=a
)");
    EXPECT_EQ(Menu().GetMenuItemCount(), 2u);
    EXPECT_FALSE(aItem->IsEnabled());
}

TEST_F(MostRecentFileListGui, StoredListsShowInTheirOrderWithEachSlotOnce) {
    Store({{"FileIndexList", "DA"}, {"D", "d"}, {"A", "a"}, {"B", "b"}});
    Create();
    Step("DA");
    // The first list leaves its "Clear List" item behind, unbound.
    aList.reset();
    Store({{"FileIndexList", "ABCDEFGHIJA"}, {"C", "c&c"}, {"E", "$HOME/e"}, {"F", "f"},
           {"G", "g"}, {"H", "h"}, {"I", "i"}, {"J", "j"}});
    Create();
    Step("every letter");
    EXPECT_EQ(theLog, R"(-- DA
on: [d] [a] [Browse...] [Clear List]
slots: 3 0 1 2 4 5 6 7 8 9
stored: A=a B=b D=d FileIndexList=DA
-- every letter
on: [a] [b] [c&c] [d] [$HOME/e] [f] [g] [h] [i] [j] [Browse...] [Clear List] [Clear List]
slots: 0 1 2 3 4 5 6 7 8 9
stored: A=a B=b C=c&c D=d E=$HOME/e F=f FileIndexList=ABCDEFGHIJA G=g H=h I=i J=j
)");
}

TEST_F(MostRecentFileListGui, AddedFilesComeFirstAndTheEleventhTakesTheOldestSlot) {
    Create();
    for (const char* file : {"a", "b", "c"})
        Add(file);
    Step("a b c");
    Add("a");
    Step("a again");
    Add("a");
    Add("A");
    Step("A");
    for (const char* file : {"d", "e", "f", "g", "h", "i"})
        Add(file);
    Add("k");
    Step("eleventh");
    EXPECT_ASSERTS(Add(""), "!pFileName.IsEmpty()");
    EXPECT_EQ(theLog, R"(write /MRF/Test/FileIndexList=A
write /MRF/Test/A=a
write /MRF/Test/FileIndexList=BA
write /MRF/Test/B=b
write /MRF/Test/FileIndexList=CBA
write /MRF/Test/C=c
-- a b c
on: [c] [b] [a] [Browse...] [Clear List]
slots: 2 1 0 3 4 5 6 7 8 9
stored: A=a B=b C=c FileIndexList=CBA
write /MRF/Test/FileIndexList=ACB
-- a again
on: [a] [c] [b] [Browse...] [Clear List]
slots: 0 2 1 3 4 5 6 7 8 9
stored: A=a B=b C=c FileIndexList=ACB
write /MRF/Test/FileIndexList=DACB
write /MRF/Test/D=A
-- A
on: [A] [a] [c] [b] [Browse...] [Clear List]
slots: 3 0 2 1 4 5 6 7 8 9
stored: A=a B=b C=c D=A FileIndexList=DACB
write /MRF/Test/FileIndexList=EDACB
write /MRF/Test/E=d
write /MRF/Test/FileIndexList=FEDACB
write /MRF/Test/F=e
write /MRF/Test/FileIndexList=GFEDACB
write /MRF/Test/G=f
write /MRF/Test/FileIndexList=HGFEDACB
write /MRF/Test/H=g
write /MRF/Test/FileIndexList=IHGFEDACB
write /MRF/Test/I=h
write /MRF/Test/FileIndexList=JIHGFEDACB
write /MRF/Test/J=i
write /MRF/Test/FileIndexList=BJIHGFEDAC
write /MRF/Test/B=k
-- eleventh
on: [k] [i] [h] [g] [f] [e] [d] [A] [a] [c] [Browse...] [Clear List]
slots: 1 9 8 7 6 5 4 3 0 2
stored: A=a B=k C=c D=A E=d F=e FileIndexList=BJIHGFEDAC G=f H=g I=h J=i
)");
}

TEST_F(MostRecentFileListGui, ChosenFilesMoveToTheFrontOrAreDroppedWhenTheyFail) {
    Store({{"FileIndexList", "CBA"}, {"A", "a"}, {"B", "b"}, {"C", "c"}});
    Create();
    theAnswers = {TList::openFAILED, TList::openABORT, TList::openOK, TStatus(7),
                  TList::openFAILED, TList::openFAILED};
    EXPECT_TRUE(Choose(1));
    Step("b failed");
    EXPECT_TRUE(Choose(1));
    Step("a aborted");
    EXPECT_TRUE(Choose(0));
    EXPECT_TRUE(Choose(1));
    Step("a opened, c other");
    EXPECT_TRUE(Choose(1));
    EXPECT_TRUE(Choose(0));
    Step("both failed");
    wxCommandEvent stray(wxEVT_MENU, aList->aClearId);
    EXPECT_ASSERTS(aList->onMenuItemSelected(stray), "i < aFileCount");
    EXPECT_EQ(theLog, R"(open b -> FAILED
write /MRF/Test/FileIndexList=CA
delete /MRF/Test/B
-- b failed
on: [c] [a] [Browse...] [Clear List]
slots: 2 0 1 3 4 5 6 7 8 9
stored: A=a C=c FileIndexList=CA
open a -> ABORT
write /MRF/Test/FileIndexList=AC
-- a aborted
on: [a] [c] [Browse...] [Clear List]
slots: 0 2 1 3 4 5 6 7 8 9
stored: A=a C=c FileIndexList=AC
open a -> OK
open c -> OTHER
write /MRF/Test/FileIndexList=CA
-- a opened, c other
on: [c] [a] [Browse...] [Clear List]
slots: 2 0 1 3 4 5 6 7 8 9
stored: A=a C=c FileIndexList=CA
open a -> FAILED
write /MRF/Test/FileIndexList=C
delete /MRF/Test/A
open c -> FAILED
delete /MRF/Test/FileIndexList
delete /MRF/Test/C
-- both failed
off: [Browse...] [Clear List]
slots: 2 0 1 3 4 5 6 7 8 9
stored: no group
)");
}

TEST_F(MostRecentFileListGui, OpeningSeveralFilesAddsThoseThatOpened) {
    Create();
    const auto open = [this](std::deque<TStatus> pAnswers, std::vector<wxString> pFiles) {
        theAnswers = pAnswers;
        const wxArrayString files(pFiles.size(), pFiles.data());
        theLog += wxString::Format("= %d\n", int(aList->OpenFileList(files)));
    };
    open({TList::openOK, TList::openFAILED, TList::openOK}, {"a", "b", "c"});
    open({TList::openFAILED, TList::openABORT}, {"x", "y", "z"});
    open({TList::openOK, TStatus(9), TList::openFAILED}, {"b", "y", "z"});
    open({TStatus(9), TList::openOK}, {"y", "a"});
    open({}, {});
    theAnswers = {TList::openFAILED, TList::openOK};
    EXPECT_EQ(aList->OpenFile("x"), TList::openFAILED);
    EXPECT_EQ(aList->OpenFile("c"), TList::openOK);
    Step("end");
    EXPECT_EQ(theLog, R"(open a -> OK
write /MRF/Test/FileIndexList=A
write /MRF/Test/A=a
open b -> FAILED
open c -> OK
write /MRF/Test/FileIndexList=BA
write /MRF/Test/B=c
= 0
open x -> FAILED
open y -> ABORT
= 1
open b -> OK
write /MRF/Test/FileIndexList=CBA
write /MRF/Test/C=b
open y -> OTHER
open z -> FAILED
= 9
open y -> OTHER
open a -> OK
write /MRF/Test/FileIndexList=ACB
= 0
= 2
open x -> FAILED
open c -> OK
write /MRF/Test/FileIndexList=BAC
-- end
on: [c] [a] [b] [Browse...] [Clear List]
slots: 1 0 2 3 4 5 6 7 8 9
stored: A=a B=c C=b FileIndexList=BAC
)");
}

TEST_F(MostRecentFileListGui, ClearListDeletesTheShownKeysAndTheIndex) {
    Store({{"FileIndexList", "DBJA"}, {"A", "a"}, {"B", "b"}, {"D", "d"}, {"J", "j"}});
    Create();
    EXPECT_TRUE(ChooseClear());
    Step("cleared");
    EXPECT_TRUE(ChooseClear());
    EXPECT_EQ(theLog, R"(delete /MRF/Test/FileIndexList
delete /MRF/Test/D
delete /MRF/Test/B
delete /MRF/Test/J
delete /MRF/Test/A
-- cleared
off: [Browse...] [Clear List]
slots: 3 1 9 0 2 4 5 6 7 8
stored: no group
delete /MRF/Test/FileIndexList
)");
}
