#include "DLL/Ctl/TimeSelection.h"
#include "DLL/Row/FilterRow.h"
#include "DLL/Row/MixerRow.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/SourceRow.h"
#include "DLL/Row/SuperParamRow.h"

#include "support/FakeRows.h"
#include "support/ListenerRecorder.h"
#include "support/ParamUndoRound.h"
#include "support/RowText.h"
#include "support/TestContainerRows.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

namespace {

const wchar_t* const SEQ = L"<seq-list><seg begin=\"0\" end=\"100\"/><seg begin=\"100\" "
                           L"end=\"150\"/><seg begin=\"200\" end=\"300\"/></seq-list>";

const wchar_t* const ONE_SEQ = L"<seq-list><seg begin=\"0\" end=\"300\"/></seq-list>";

wxString ColorClip(const wxString& pName, const wxString& pSeq) {
    wxString params = L"<param-list shown=\"0\"><param type=\"Color\" name=\"Back\"><value/></param>";
    for (const wchar_t* component : {L"Red", L"Green", L"Blue"})
        params += wxString(L"<param type=\"ColorComp\" name=\"Back - ") + component +
                  L"\"><value/></param>";
    return L"<source type=\"colour-clip\" name=\"" + pName + L"\">" + pSeq + params +
           L"</param-list><fltr-list shown=\"0\"/></source>";
}

// Under the root: a mixer M holding a clip A, filtered by F whose mask is the clip K, and a
// clip B of a colour and its components; every clip parameter but the colour keyed in each
// sequence.
class TSeqTree {
public:
    explicit TSeqTree(const wchar_t* pSeq = SEQ) : aRoot(MakeTestRoot()), aScope(aRecorder) {
        const wxString seq(pSeq);
        const std::unique_ptr<wxXmlNode> node(
            ParseXml(FilteredMixerXml(seq, ColorClip(L"B", seq))));
        const wxXmlNode* element = node.get();
        aMixer = static_cast<TZVMixerRow*>(TZVStreamRow::Create(element, aRoot.get(), nullptr));
        aA = aMixer->aSourceChildList.front();
        aF = aA->aFilterChildList.front();
        aK = aF->aMask;
        aB = aMixer->aSourceChildList.back();
        for (TZVStreamRow* row : Rows())
            aRecorder.aNames[row] = std::string(row->aName.utf8_str());
        for (TZVStreamRow* clip : std::initializer_list<TZVStreamRow*>{aA, aK, aB})
            for (TZVParamRow* param : clip->aParamTab)
                for (const TRange& sequence : clip->aSequenceList) {
                    if (dynamic_cast<TZVSuperParamRow*>(param))
                        continue;
                    TABCFormula segment(sequence.aBegin, TVariant(1.0), sequence.aEnd);
                    segment.c = 0.01;
                    param->insertFormula(segment, nullptr, false);
                }
        aRecorder.aCalls.clear();
    }
    std::vector<TZVStreamRow*> Rows() const { return {aMixer, aA, aF, aK, aB}; }
    wxString Xml() const {
        const std::unique_ptr<wxXmlNode> image(aMixer->GetXmlImage());
        return XmlText(*image);
    }
    // A drag as the host makes it: every row taking part moves, then each ends.
    void Drag(TZVStreamRow& pStart, bool pResize, long pTime, std::initializer_list<long> pSteps,
              bool pCopy = false) {
        std::list<TZVStreamRow*> rows;
        TRange limits(-1000, 1000);
        TRangeList free, all;
        if (pResize)
            ASSERT_TRUE(pStart.BeginResize(pTime, true, limits, &rows));
        else
            ASSERT_TRUE(pStart.BeginShift(rows, &free, &all));
        for (long step : pSteps)
            for (TZVStreamRow* row : rows)
                pResize ? row->Resize(step) : row->Shift(int(step), pCopy);
        for (TZVStreamRow* row : rows)
            row->EndShift(aUndo);
        aRows = rows;
    }
    std::string RowNames() const {
        std::string names;
        for (TZVStreamRow* row : aRows)
            names += std::string(row->aName.utf8_str()) + " ";
        return names;
    }

    TFakeProject aProject;
    std::unique_ptr<TTestMixerRow> aRoot;
    TListenerRecorder aRecorder;
    TListenerScope aScope;
    TTreeUndo aUndo;
    TZVMixerRow* aMixer;
    TZVSourceRow* aA;
    TZVFilterRow* aF;
    TZVSourceRow* aK;
    TZVSourceRow* aB;
    std::list<TZVStreamRow*> aRows;
};

TEST(TContainerSeqEditTest, TreeEditsReplayToTheXmlBeforeAndAfter) {
    TFakeTimeSelection selection({{190, 310}});
    typedef std::function<void(TSeqTree&)> TEdit;
    // {name, edit, rows that took part in a drag, the rows' sequences}
    struct TCase {
        const char* aName;
        TEdit aEdit;
        const char* aRows;
        const wchar_t* aSeq = SEQ;
    } cases[] = {
        {"split", [](TSeqTree& t) { EXPECT_TRUE(t.aMixer->SplitJoinAt(50, &t.aUndo, true)); }, ""},
        {"join", [](TSeqTree& t) { EXPECT_TRUE(t.aMixer->SplitJoinAt(100, &t.aUndo, false)); },
         ""},
        {"delete",
         [](TSeqTree& t) {
             TRangeList deleted;
             t.aMixer->DeleteSequence(ITimeSelection::theSingleton->GetRangeList(), deleted, t.aUndo);
             EXPECT_EQ(RangeText(t.aK->aSequenceList), "(0,100)(100,150)");
         },
         ""},
        {"shift", [](TSeqTree& t) { t.Drag(*t.aMixer, false, 0, {30, 20}); }, "M A F B "},
        {"copy shift", [](TSeqTree& t) { t.Drag(*t.aMixer, false, 0, {150, 200}, true); },
         "M A F B "},
        {"shift at a filter", [](TSeqTree& t) { t.Drag(*t.aF, false, 0, {20}); }, "F K "},
        {"end in", [](TSeqTree& t) { t.Drag(*t.aMixer, true, 300, {-30, -70}); },
         "M A F K B "},
        {"end out", [](TSeqTree& t) { t.Drag(*t.aMixer, true, 300, {-30, 40}); },
         "M A F K B "},
        {"begin out", [](TSeqTree& t) { t.Drag(*t.aMixer, true, 150, {30}); }, "M A F K B "},
        {"longer",
         [](TSeqTree& t) {
             for (TZVStreamRow* row : t.Rows())
                 row->SetDuration(340, t.aUndo);
         },
         "", ONE_SEQ},
        {"shorter",
         [](TSeqTree& t) {
             for (TZVStreamRow* row : t.Rows())
                 row->SetDuration(200, t.aUndo);
         },
         "", ONE_SEQ},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.aName);
        TSeqTree tree(c.aSeq);
        const wxString before = tree.Xml();
        c.aEdit(tree);
        EXPECT_EQ(tree.RowNames(), c.aRows) << c.aName;
        const wxString after = tree.Xml();
        EXPECT_NE(after, before) << c.aName;
        EXPECT_TRUE(tree.aUndo.Replay()) << c.aName;
        EXPECT_EQ(tree.Xml(), before) << c.aName;
        EXPECT_TRUE(tree.aUndo.Replay()) << c.aName;
        EXPECT_EQ(tree.Xml(), after) << c.aName;
    }
}

TEST(TContainerSeqEditTest, ANullUndoCompilerOnlyAsksAndReportsComeInOrder) {
    TSeqTree tree;
    const wxString before = tree.Xml();
    EXPECT_TRUE(tree.aMixer->SplitJoinAt(50, nullptr, true));
    EXPECT_FALSE(tree.aMixer->SplitJoinAt(150, nullptr, true));
    EXPECT_EQ(tree.Xml(), before);
    EXPECT_EQ(tree.aRecorder.aCalls, "");
    TLoggingUndo undo(tree.aRecorder.aCalls);
    tree.aA->SplitJoinAt(50, &undo, true);
    // The clip, its filter (whose parameter has no keys to split), then the mask.
    EXPECT_EQ(tree.aRecorder.aCalls,
              "AddStreamRow StreamSeqEdit(A,50051) ParamKeyEdit(,50051) KeyToggle(A,50) "
              "AddParamRow ParamKeyEdit(,50051) AddParamRow ParamKeyEdit(,50051) AddParamRow "
              "AddStreamRow StreamSeqEdit(F,50051) ParamKeyEdit(,50051) "
              "AddStreamRow StreamSeqEdit(K,50051) ParamKeyEdit(,50051) KeyToggle(K,50) "
              "KeyToggle(F,50) AddParamRow ParamKeyEdit(,50051) AddParamRow "
              "ParamKeyEdit(,50051) AddParamRow ");
}

} // namespace
