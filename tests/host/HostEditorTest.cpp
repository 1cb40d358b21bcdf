#include "HostEditor.h"

#include "ALL/Variant.h"
#include "DLL/Edt/UndoBuffer.h"

#include "support/EditedProject.h"
#include "support/FakeRows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

const wchar_t* const VIDEO = L"Mixer video-mux Video of  ";
const wchar_t* const CLIP = L"Source video-media clip of video-mux Video";
// The expression of the frames' image.
const wchar_t* const FRAMES_FORMULA = L"[mixer:Video][source:clip][param:1 - Image].value / 10";

TRangeList Selection(long pBegin, long pEnd) {
    TRangeList ranges;
    ranges.push_back(TRange(pBegin, pEnd));
    return ranges;
}

typedef std::function<bool(TEditedProject&)> TCommand;

// The clip's image, the fade's opacity, the still's image, the frames' expression image.
TZVParamRow* Param(TEditedProject& pProject, size_t pIndex) {
    return pProject.aParams[4 + pIndex];
}

TEST(THostEditorTest, EachEditUndoesRedoesAndUndoesToTheSavedFiles) {
    const struct {
        const wchar_t* aLabel;
        TCommand aCommand;
    } cases[] = {
        {L"Edit key",
         [](TEditedProject& p) {
             return p.aEditor.EditKey(Param(p, 0), 20, false, true, contANGLE);
         }},
        {L"Key value",
         [](TEditedProject& p) {
             return p.aEditor.EditKeyValue(Param(p, 0), 55, true, TVariant(3.0));
         }},
        {L"Delete key", [](TEditedProject& p) { return p.aEditor.DeleteKey(Param(p, 1), 40); }},
        {L"Formula",
         [](TEditedProject& p) {
             return p.aEditor.SetFormula(Param(p, 2),
                                         L"[mixer:Audio][param:1 - Master Amplif (db)].value * 2");
         }},
        // A formula replacing a formula.
        {L"Formula", [](TEditedProject& p) { return p.aEditor.SetFormula(Param(p, 3), L"7"); }},
        {L"Move",
         [](TEditedProject& p) {
             p.aHost.SetTimeSelection(Selection(75, 100));
             return p.aEditor.ShiftSelection(p.Stream(VIDEO), 5, false);
         }},
        {L"Copy",
         [](TEditedProject& p) {
             p.aHost.SetTimeSelection(Selection(0, 40));
             return p.aEditor.ShiftSelection(p.Stream(CLIP), 110, true);
         }},
        {L"Resize",
         [](TEditedProject& p) { return p.aEditor.ResizeEdge(p.Stream(VIDEO), 70, false, 6); }},
        {L"Split",
         [](TEditedProject& p) { return p.aEditor.Split(p.aHost.GetRootRow(), 25); }},
        {L"Join", [](TEditedProject& p) { return p.aEditor.Join(p.Stream(VIDEO), 40); }},
        {L"Delete",
         [](TEditedProject& p) {
             p.aHost.SetTimeSelection(Selection(35, 72));
             return p.aEditor.DeleteSelection(p.Stream(VIDEO));
         }},
        {L"Scale", [](TEditedProject& p) { return p.aEditor.Scale(0.7); }},
        {L"Duration", [](TEditedProject& p) { return p.aEditor.SetDuration(130); }},
        {L"Setup",
         [](TEditedProject& p) {
             return p.aEditor.EditSetup(p.Stream(VIDEO), 0, TVariant(1.0));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.aLabel);
        TEditedProject project(SmallProjectText(), 1 << 16);
        const std::string before = project.Saved();
        ASSERT_TRUE(c.aCommand(project));
        const std::string after = project.Saved();
        ASSERT_TRUE(after != before);
        EXPECT_EQ(project.aEditor.UndoLabel(), c.aLabel);
        EXPECT_TRUE(project.aEditor.Undo());
        EXPECT_TRUE(project.Saved() == before);
        EXPECT_EQ(project.aEditor.RedoLabel(), c.aLabel);
        project.aEditor.Redo();
        EXPECT_TRUE(project.Saved() == after);
        EXPECT_TRUE(project.aEditor.Undo());
        EXPECT_TRUE(project.Saved() == before);
        EXPECT_EQ(project.aEditor.UndoLabel(), TUndoBuffer::theDefaultUndoAction);
        EXPECT_EQ(project.aMessages.str().find("not made"), std::string::npos);
    }
}

TEST(THostEditorTest, BadInputIsRefusedAndStoresNothing) {
    TEditedProject project(SmallProjectText(), 1 << 16);
    THostEditor& editor = project.aEditor;
    TFakeStreamRow stranger;
    TZVParamRow* const foreign = stranger.AddParam(true);
    TZVParamRow* const image = Param(project, 0);
    TZVStreamRow* const video = project.Stream(VIDEO);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto select = [&](long pBegin, long pEnd) {
        project.aHost.SetTimeSelection(Selection(pBegin, pEnd));
        return true;
    };
    const std::function<bool()> refused[] = {
        [&] { return editor.EditKey(foreign, 20, false, false, contFLAT); },
        [&] { return editor.EditKey(image, TZVParamRow::OPEN_END + 1, false, false, contFLAT); },
        [&] { return editor.EditKey(image, 20, false, false, contNO_KEY); },
        [&] { return editor.EditKey(image, 20, false, true, contSMOOTH); },
        [&] { return editor.EditKeyValue(image, 21, false, TVariant(1.0)); },
        [&] { return editor.EditKeyValue(image, 20, false, TVariant(L"a")); },
        [&] { return editor.EditKeyValue(image, 20, false, TVariant(nan)); },
        [&] { return editor.DeleteKey(image, 21); },
        [&] { return editor.DeleteKey(foreign, 0); },
        [&] { return editor.SetFormula(image, L"1 +"); },
        [&] { return editor.SetFormula(project.aParams[0], L"1"); },
        [&] { return editor.SetFormula(image, L"[mixer:None][param:1 - X].value"); },
        [&] { return select(0, 0) && editor.ShiftSelection(video, 5, false); },
        // Onto the sequence (40, 70); then onto itself, copied.
        [&] { return select(75, 100) && editor.ShiftSelection(video, -20, false); },
        [&] { return editor.ShiftSelection(video, 5, true); },
        [&] { return editor.ShiftSelection(&stranger, 5, false); },
        [&] { return editor.ResizeEdge(video, 30, false, 2); },
        [&] { return editor.ResizeEdge(video, 70, false, 11); },
        [&] { return editor.Split(video, 40); },
        [&] { return editor.Split(&stranger, 5); },
        [&] { return editor.Join(video, 80); },
        // Every sequence of the rows; none.
        [&] { return select(0, 100) && editor.DeleteSelection(video); },
        [&] { return select(41, 69) && editor.DeleteSelection(video); },
        [&] { return editor.Scale(0.0); },
        [&] { return editor.Scale(-1.0); },
        [&] { return editor.Scale(nan); },
        [&] { return editor.Scale(std::numeric_limits<double>::infinity()); },
        [&] { return editor.Scale(1e-9); },
        [&] { return editor.SetDuration(0); },
        [&] { return editor.SetDuration(-5); },
        [&] { return editor.EditSetup(video, 1, TVariant(1.0)); },
        [&] { return editor.EditSetup(video, -1, TVariant(1.0)); },
        [&] { return editor.EditSetup(video, 0, TVariant(L"on")); },
        [&] { return editor.EditSetup(project.aHost.GetRootRow(), 0, TVariant(1.0)); },
        // Edits that would leave the project as it is: the key, value, formula, duration and
        // setup it has, no distance, a factor of 1.
        [&] { return editor.EditKey(image, 0, false, false, contNONE); },
        [&] { return editor.EditKeyValue(image, 20, false, image->GetValueAt(20.0)); },
        [&] { return editor.SetFormula(Param(project, 3), FRAMES_FORMULA); },
        [&] { return select(75, 100) && editor.ShiftSelection(video, 0, false); },
        [&] { return editor.ResizeEdge(video, 70, false, 0); },
        [&] { return editor.Split(video, 0); },
        [&] { return editor.Join(video, 20); },
        [&] { return select(71, 79) && editor.DeleteSelection(video); },
        [&] { return editor.Scale(1.0); },
        [&] { return editor.SetDuration(100); },
        [&] { return editor.EditSetup(video, 0, TVariant(0.0)); },
    };
    const std::string saved = project.Saved();
    for (size_t i = 0; i < sizeof refused / sizeof refused[0]; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(refused[i]());
        EXPECT_TRUE(project.Saved() == saved);
        EXPECT_EQ(editor.UndoLabel(), TUndoBuffer::theDefaultUndoAction);
    }
}

TEST(THostEditorTest, AnEditWhoseRecordDoesNotFitIsTakenBack) {
    TEditedProject project(SmallProjectText(), 256);
    const std::string saved = project.Saved();
    EXPECT_FALSE(project.aEditor.Split(project.aHost.GetRootRow(), 25));
    EXPECT_TRUE(project.Saved() == saved);
    EXPECT_EQ(project.aEditor.UndoLabel(), TUndoBuffer::theDefaultUndoAction);
    EXPECT_NE(project.aMessages.str().find("edit not made"), std::string::npos);
}

TEST(THostEditorTest, ASplitAtTheRootIsOneRecord) {
    TEditedProject project(SmallProjectText(), 1 << 16);
    ASSERT_TRUE(project.aEditor.Split(project.aHost.GetRootRow(), 25));
    const TUndoBuffer& buffer = project.aEditor.GetBuffer();
    const auto* record =
        reinterpret_cast<const TUndoer::TUndoData*>(buffer.GetBlock() + buffer.GetCurrent());
    EXPECT_EQ(record->GetLength(), 3582u);
    EXPECT_EQ(buffer.GetLast(), buffer.GetCurrent());
}

} // namespace
