#include "HostUndo.h"

#include "DLL/Bas/ABCFormula.h"
#include "DLL/Edt/UndoBuffer.h"
#include "DLL/Row/MainRow.h"
#include "DLL/Row/MixerRow.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/SourceRow.h"
#include "DLL/Row/ZVFormula.h"

#include "support/FakeRows.h"
#include "support/MainTree.h"
#include "support/TestContainerRows.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <functional>
#include <list>
#include <memory>

namespace {

const wchar_t* const SEQ = L"<seq-list><seg begin=\"0\" end=\"100\"/><seg begin=\"100\" "
                           L"end=\"150\"/><seg begin=\"200\" end=\"300\"/></seq-list>";

wxString Clip(const wxString& pName) {
    wxString params = L"<param-list shown=\"0\">";
    for (int i = 1; i <= 3; ++i)
        params += wxString::Format(L"<param type=\"Standard\" name=\"p%d\"><value/></param>", i);
    return L"<source type=\"clip\" name=\"" + pName + L"\">" + SEQ + params +
           L"</param-list><fltr-list shown=\"0\"/></source>";
}

// Under the root a mixer M of two keyed clips A and B; every edit goes through the host's
// compiler.
class THostUndoTree {
public:
    THostUndoTree()
        : aRoot(MakeTestRoot()), aProject(aRoot.get()), aBuffer(1 << 16), aUndo(aBuffer) {
        const std::unique_ptr<wxXmlNode> node(
            ParseXml(L"<mixer type=\"test-mix\" name=\"M\">" + wxString(SEQ) +
                     L"<param-list shown=\"0\"/><fltr-list shown=\"0\"/><src-list shown=\"1\">" +
                     Clip(L"A") + Clip(L"B") + L"</src-list></mixer>"));
        const wxXmlNode* element = node.get();
        aMixer = static_cast<TZVMixerRow*>(TZVStreamRow::Create(element, aRoot.get(), nullptr));
        aA = aMixer->aSourceChildList.front();
        aB = aMixer->aSourceChildList.back();
        for (TZVStreamRow* clip : {aA, aB})
            for (TZVParamRow* param : clip->aParamTab)
                for (const TRange& sequence : clip->aSequenceList) {
                    TABCFormula segment(sequence.aBegin, TVariant(1.0), sequence.aEnd);
                    segment.c = 0.01;
                    param->insertFormula(segment, nullptr, false);
                }
    }
    wxString Xml() const {
        const std::unique_ptr<wxXmlNode> image(aRoot->GetXmlImage());
        return XmlText(*image);
    }
    wxString Label(bool pRedo) {
        wxString label;
        aBuffer.UndoAction(label, pRedo);
        return label;
    }

    std::unique_ptr<TTestMixerRow> aRoot;
    TFakeProject aProject;
    TUndoBuffer aBuffer;
    THostUndo aUndo;
    TZVMixerRow* aMixer;
    TZVStreamRow* aA;
    TZVStreamRow* aB;
};

void SetFormula(TZVParamRow& pRow, const wchar_t* pText) {
    const std::unique_ptr<wxXmlNode> value(ParseXml(wxString(L"<value>") + pText + L"</value>"));
    TZVFormula* formula = new TZVFormula(&pRow);
    EXPECT_TRUE(formula->ValueFromXml(value.get(), pRow.aTypeDef));
    formula->Resolve();
    pRow.SetFormula(formula);
}

// pEdit in an action labelled pInfo, then undo, redo and undo, each giving its snapshot.
void ExpectRoundTrip(TUndoBuffer& pBuffer, THostUndo& pUndo, THostUndo::EUndoAction pAction,
                     const wxString& pInfo, const std::function<wxString()>& pXml,
                     const std::function<void()>& pEdit) {
    SCOPED_TRACE(pInfo);
    const wxString before = pXml();
    pUndo.BeginAction(pAction, pInfo);
    pEdit();
    const wxString after = pXml();
    ASSERT_NE(after, before);
    wxString label;
    pBuffer.UndoAction(label, false);
    EXPECT_EQ(label, pInfo);
    ASSERT_TRUE(pBuffer.Undo());
    EXPECT_EQ(pXml(), before);
    pBuffer.UndoAction(label, true);
    EXPECT_EQ(label, pInfo);
    pBuffer.Redo();
    EXPECT_EQ(pXml(), after);
    ASSERT_TRUE(pBuffer.Undo());
    EXPECT_EQ(pXml(), before);
}

TEST(THostUndoTest, EachEditUndoesRedoesAndUndoesToTheSnapshots) {
    typedef std::function<void(THostUndoTree&)> TEdit;
    struct TCase {
        THostUndo::EUndoAction aAction;
        TEdit aEdit;
    } cases[] = {
        {THostUndo::undoActionKEY,
         [](THostUndoTree& t) { t.aA->aParamTab[0]->DeleteKey(100, t.aUndo); }},
        {THostUndo::undoActionFORMULA,
         [](THostUndoTree& t) {
             SetFormula(*t.aA->aParamTab[1], L"2");
             t.aUndo.AddParamRow(t.aA->aParamTab[1]);
         }},
        {THostUndo::undoActionSPLIT,
         [](THostUndoTree& t) { EXPECT_TRUE(t.aMixer->SplitJoinAt(50, &t.aUndo, true)); }},
        {THostUndo::undoActionJOIN,
         [](THostUndoTree& t) { EXPECT_TRUE(t.aMixer->SplitJoinAt(100, &t.aUndo, false)); }},
        {THostUndo::undoActionDELETE,
         [](THostUndoTree& t) {
             TRangeList selection, deleted;
             selection.Add(190, 310, selection.begin());
             t.aMixer->DeleteSequence(selection, deleted, t.aUndo);
         }},
        {THostUndo::undoActionSCALE, [](THostUndoTree& t) { t.aMixer->ScaleTime(2.0, t.aUndo); }},
        {THostUndo::undoActionDRAG,
         [](THostUndoTree& t) {
             TFakeTimeSelection selection({{190, 310}});
             std::list<TZVStreamRow*> rows;
             TRangeList free, all;
             ASSERT_TRUE(t.aMixer->BeginShift(rows, &free, &all));
             for (TZVStreamRow* row : rows)
                 row->Shift(30, false);
             for (TZVStreamRow* row : rows)
                 row->EndShift(t.aUndo);
         }},
    };
    for (const TCase& c : cases) {
        THostUndoTree tree;
        ExpectRoundTrip(
            tree.aBuffer, tree.aUndo, c.aAction, wxString::Format(L"edit %d", int(c.aAction)),
            [&] { return tree.Xml(); }, [&] { c.aEdit(tree); });
    }
}

TEST(THostUndoTest, ASetupEditUndoesThroughTheRow) {
    const std::unique_ptr<TZVMainMixerRow> root = MakeMainRoot(100);
    TFakeProject project(root.get());
    TZVMainVideoMixerRow* mixer = MakeRow<TZVMainVideoMixerRow>(L"Video");
    root->InsertSource(mixer, nullptr);
    TUndoBuffer buffer(1 << 12);
    THostUndo undo(buffer);
    ExpectRoundTrip(
        buffer, undo, THostUndo::undoActionSETUP, L"setup",
        [&] { return XmlText(*std::unique_ptr<wxXmlNode>(root->GetXmlImage())); },
        [&] {
            bool update = false;
            undo.AddSetup(mixer->EditSetup(0, TVariant(1.0), update));
            if (update)
                mixer->OnSetupUpdate(0);
        });
}

TEST(THostUndoTest, AStalePathIsRefusedAndChangesNothing) {
    THostUndoTree tree;
    tree.aUndo.BeginAction(THostUndo::undoActionSPLIT, L"split");
    EXPECT_TRUE(tree.aMixer->SplitJoinAt(50, &tree.aUndo, true));
    tree.aBuffer.CompleteAction();
    // The split's one record: the mixer's and each clip's sequences, and each key list.
    const auto* record = reinterpret_cast<const TUndoer::TUndoData*>(tree.aBuffer.GetBlock() +
                                                                     tree.aBuffer.GetCurrent());
    EXPECT_EQ(record->GetLength(), 2118u);
    tree.aB->Rename(L"Gone");
    const wxString edited = tree.Xml();
    EXPECT_FALSE(tree.aBuffer.Undo());
    EXPECT_EQ(tree.Xml(), edited);
}

} // namespace
