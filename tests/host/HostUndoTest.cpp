#include "HostUndo.h"

#include "DLL/Edt/UndoBuffer.h"
#include "DLL/Edt/XmlUndoData.h"

#include "support/EditedProject.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(THostUndoTest, AStalePathIsRefusedAndChangesNothing) {
    TEditedProject project(SmallProjectText(), 1 << 16);
    ASSERT_TRUE(project.aEditor.Split(project.aHost.GetRootRow(), 25));
    project.Stream(L"Source video-media clip of video-mux Video")->Rename(L"Gone");
    const std::string edited = project.Saved();
    EXPECT_FALSE(project.aEditor.Undo());
    EXPECT_TRUE(project.Saved() == edited);
    EXPECT_EQ(project.aEditor.UndoLabel(), L"Split");
}

// The colour's key edit (a key at 60) reports each component through the composite; the red
// component, its new key deleted, is reported a second time: its record keeps both images,
// applied last to first.
TEST(THostUndoTest, ARowReportedTwiceKeepsAChildPerReport) {
    TEditedProject project(SmallProjectText(), 1 << 16);
    TZVStreamRow* video = project.Stream(L"Mixer video-mux Video of  ");
    TZVParamRow* colour = video->aParamTab[0];
    TZVParamRow* red = video->aParamTab[1];
    TUndoBuffer buffer(1 << 16);
    THostUndo undo(buffer);
    const std::string before = project.Saved();
    undo.BeginAction(THostUndo::undoActionKEY, L"twice");
    colour->EditKey(60, false, false, contNONE, undo);
    red->DeleteKey(60, undo);
    buffer.CompleteAction();
    const std::string after = project.Saved();

    const auto* record = reinterpret_cast<TXmlUndoData*>(const_cast<uint8_t*>(buffer.GetBlock()));
    const std::unique_ptr<wxXmlNode> tree(record->GetTree());
    const std::unique_ptr<wxXmlNode> path(TZVBaseRow::CreatePath(red));
    int reds = 0;
    for (const wxXmlNode* child = tree->GetChildren(); child; child = child->GetNext())
        reds += XmlText(*child->GetChildren()) == XmlText(*path);
    EXPECT_EQ(reds, 2);
    ASSERT_TRUE(buffer.Undo());
    EXPECT_TRUE(project.Saved() == before);
    buffer.Redo();
    EXPECT_TRUE(project.Saved() == after);
    ASSERT_TRUE(buffer.Undo());
    EXPECT_TRUE(project.Saved() == before);
}

} // namespace
