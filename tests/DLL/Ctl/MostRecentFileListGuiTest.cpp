// The most-recent-file menu on a real frame and menu, with the configuration in memory. A
// scenario logs the open callback's calls ("open name:answer"), the configuration's writes
// ("K=v") and deletions ("-K"), and at each step the submenu's labels, the slot order and
// whether the list's group is gone; the log is compared once. "*" is an item of the host.
#include "DLL/Ctl/MostRecentFileList.h"

#include "DLL/Ctl/DragHelper.h"

#include "support/AssertCapture.h"

#include <wx/arrstr.h>
#include <wx/frame.h>
#include <wx/memconf.h>
#include <wx/menu.h>

#include <gtest/gtest.h>

#include <deque>
#include <memory>

namespace {

using TList = TMostRecentFileList;

wxString theLog;
std::deque<TList::TOpenStatus> theAnswers; // the callback's next answers; then openOK

TList::TOpenStatus FakeOpen(const wxString& pFileName) {
    const TList::TOpenStatus answer = theAnswers.empty() ? TList::openOK : theAnswers.front();
    if (!theAnswers.empty())
        theAnswers.pop_front();
    theLog += wxString::Format("open %s:%d ", pFileName, int(answer));
    return answer;
}

// Logs every write and deletion.
class TRecordingConfig : public wxMemoryConfig {
public:
    bool DeleteEntry(const wxString& pKey, bool pGroupIfEmpty) override {
        EXPECT_EQ(GetPath(), "/MRF/Test");
        theLog += "-" + pKey + " ";
        return wxMemoryConfig::DeleteEntry(pKey, pGroupIfEmpty);
    }

protected:
    bool DoWriteString(const wxString& pKey, const wxString& pValue) override {
        EXPECT_EQ(GetPath(), "/MRF/Test");
        theLog += pKey + "=" + pValue + " ";
        return wxMemoryConfig::DoWriteString(pKey, pValue);
    }
};

class MostRecentFileListGui : public testing::Test {
protected:
    MostRecentFileListGui()
        : aFrame(new wxFrame(nullptr, wxID_ANY, "host")), aFileMenu(new wxMenu) {
        theLog.clear();
        delete wxConfigBase::Set(&aConfig);
        wxMenu* recent = new wxMenu;
        recent->Append(wxID_ANY, "*");
        aItem = aFileMenu->AppendSubMenu(recent, "Recent");
    }
    ~MostRecentFileListGui() override { wxConfigBase::Set(nullptr); }

    // Stores a list as an earlier run left it (logged), then builds the list on it.
    void Create(const std::vector<std::pair<wxString, wxString>>& pStored = {}) {
        aConfig.SetPath("/MRF/Test");
        for (const auto& [key, value] : pStored)
            aConfig.Write(key, value);
        theLog += pStored.empty() ? "" : "| stored\n";
        aList.reset();
        aList.reset(new TList(aFrame.get(), "Test", aItem, FakeOpen));
    }
    // Chooses the item at menu position pPosition, as the user does.
    bool Choose(size_t pPosition) {
        wxCommandEvent event(wxEVT_MENU, Menu().FindItemByPosition(pPosition)->GetId());
        return aFrame->ProcessWindowEvent(event);
    }
    bool ChooseClear() { return Choose(Menu().GetMenuItemCount() - 1); }
    wxMenu& Menu() const { return *aItem->GetSubMenu(); }

    void Step() {
        theLog += aItem->IsEnabled() ? "| on:" : "| off:";
        for (const wxMenuItem* item : Menu().GetMenuItems())
            theLog += item->GetItemLabelText() + (item == Menu().GetMenuItems().back() ? "" : ",");
        theLog += " | ";
        for (int slot : aList->aIndexTab)
            theLog += wxString::Format("%d", slot);
        theLog += aConfig.HasGroup("/MRF/Test") ? "\n" : " | no group\n";
    }

    TRecordingConfig aConfig;
    std::unique_ptr<wxFrame> aFrame;
    std::unique_ptr<wxMenu> aFileMenu;
    wxMenuItem* aItem;
    std::unique_ptr<TList> aList;
};

} // namespace

TEST_F(MostRecentFileListGui, StoredListsShowWithEachSlotOnceAndTheEleventhFileTakesTheOldest) {
    Create();
    Step();
    // Each list leaves its "Clear List" behind, unbound.
    aList.reset();
    EXPECT_FALSE(ChooseClear());
    Create({{"FileIndexList", "ABCDEFGHIJA"},
            {"A", "a"},
            {"B", "b"},
            {"C", "c&c"},
            {"D", "d"},
            {"E", "$HOME/e"},
            {"F", "f"},
            {"G", "g"},
            {"H", "h"},
            {"I", "i"},
            {"J", "j"}});
    aList->AddRecentFile("k");
    Step();
    EXPECT_EQ(theLog, R"(| off:*,Clear List | 0123456789
FileIndexList=ABCDEFGHIJA A=a B=b C=c&c D=d E=$HOME/e F=f G=g H=h I=i J=j | stored
FileIndexList=JABCDEFGHI J=k | on:k,a,b,c&c,d,$HOME/e,f,g,h,i,*,Clear List,Clear List | 9012345678
)");
}

TEST_F(MostRecentFileListGui, ChosenFilesMoveToTheFrontOrAreDroppedWhenTheyFail) {
    Create({{"FileIndexList", "DCBA"}, {"A", "a"}, {"B", "b"}, {"C", "c"}, {"D", "d"}});
    theAnswers = {TList::openFAILED, TList::openABORT,  TList::openOK,    TList::TOpenStatus(7),
                  TList::openFAILED, TList::openFAILED, TList::openFAILED};
    for (size_t position : {1, 1, 0, 1})
        EXPECT_TRUE(Choose(position));
    Step();
    EXPECT_TRUE(Choose(1));
    EXPECT_TRUE(Choose(0));
    Step();
    EXPECT_TRUE(Choose(0));
    Step();
    wxCommandEvent stray(wxEVT_MENU, aList->aClearId);
    EXPECT_ASSERTS(aList->onMenuItemSelected(stray), "i < aFileCount");
    Create({{"FileIndexList", "JBDA"}, {"A", "a"}, {"B", "b"}, {"D", "d"}, {"J", "j"}});
    EXPECT_TRUE(ChooseClear());
    Step();
    EXPECT_TRUE(ChooseClear());
    EXPECT_EQ(theLog, R"(FileIndexList=DCBA A=a B=b C=c D=d | stored
open c:2 FileIndexList=DBA -C open b:1 FileIndexList=BDA open b:0 open d:7 FileIndexList=DBA | on:d,b,a,*,Clear List | 3102456789
open b:2 FileIndexList=DA -B open d:2 FileIndexList=A -D | on:a,*,Clear List | 0312456789
open a:2 -FileIndexList -A | off:*,Clear List | 0312456789 | no group
FileIndexList=JBDA A=a B=b D=d J=j | stored
-FileIndexList -J -B -D -A | off:*,Clear List,Clear List | 9130245678 | no group
-FileIndexList )");
}

TEST_F(MostRecentFileListGui, FilesThatOpenComeFirstAndEachChangeIsWritten) {
    Create();
    const auto open = [this](std::deque<TList::TOpenStatus> pAnswers, wxArrayString pFiles) {
        theAnswers = pAnswers;
        theLog += wxString::Format("= %d\n", int(aList->OpenFileList(pFiles)));
    };
    open({TList::openOK, TList::openFAILED, TList::openOK}, wxSplit("a,b,c", ','));
    open({TList::openFAILED, TList::openABORT}, wxSplit("x,y,z", ','));
    open({TList::openOK, TList::TOpenStatus(9), TList::openFAILED}, wxSplit("b,y,z", ','));
    open({TList::TOpenStatus(9), TList::openOK}, wxSplit("y,a", ','));
    open({TList::openOK, TList::openOK}, wxSplit("a,A", ','));
    open({}, {});
    theAnswers = {TList::openFAILED, TList::openOK};
    EXPECT_EQ(aList->OpenFile("x"), TList::openFAILED);
    EXPECT_EQ(aList->OpenFile("c"), TList::openOK);
    Step();
    EXPECT_ASSERTS(aList->AddRecentFile(""), "!pFileName.IsEmpty()");
    // A drop is accepted exactly when a file opened.
    TFileDropTarget target(aList.get());
    const std::deque<TList::TOpenStatus> drops[] = {{TList::openOK, TList::openFAILED},
                                                    {TList::openABORT},
                                                    {TList::TOpenStatus(9), TList::openFAILED},
                                                    {TList::openFAILED, TList::openOK}};
    for (const std::deque<TList::TOpenStatus>& answers : drops) {
        theAnswers = answers;
        theLog += wxString::Format("drop %d\n", target.OnDropFiles(5, 5, wxSplit("d,e", ',')));
    }
    EXPECT_EQ(theLog, R"(open a:0 FileIndexList=A A=a open b:2 open c:0 FileIndexList=BA B=c = 0
open x:2 open y:1 = 1
open b:0 FileIndexList=CBA C=b open y:9 open z:2 = 9
open y:9 open a:0 FileIndexList=ACB = 0
open a:0 open A:0 FileIndexList=DACB D=A = 0
= 2
open x:2 open c:0 FileIndexList=BDAC | on:c,A,a,b,*,Clear List | 1302456789
open d:0 FileIndexList=EBDAC E=d open e:2 drop 1
open d:1 drop 0
open d:9 open e:2 drop 0
open d:2 open e:0 FileIndexList=FEBDAC F=e drop 1
)");
}

// The host's item is enabled exactly while files are shown: by the first file added, by a
// single stored file, and again after the list was emptied.
TEST_F(MostRecentFileListGui, TheFirstFileEnablesTheHostsItem) {
    Create();
    Step();
    aList->AddRecentFile("a");
    Step();
    EXPECT_TRUE(ChooseClear());
    Step();
    aList->AddRecentFile("b");
    Step();
    Create({{"FileIndexList", "B"}, {"B", "b"}});
    Step();
    EXPECT_EQ(theLog, R"(| off:*,Clear List | 0123456789
FileIndexList=A A=a | on:a,*,Clear List | 0123456789
-FileIndexList -A | off:*,Clear List | 0123456789 | no group
FileIndexList=A A=b | on:b,*,Clear List | 0123456789
FileIndexList=B B=b | stored
| on:b,*,Clear List,Clear List | 1023456789
)");
}
