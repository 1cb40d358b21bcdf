#include "DLL/Edt/XmlUndoData.h"

#include "UndoBufferCheck.h"
#include "XmlTestDump.h"
#include "support/AssertCapture.h"

#include "ALL/Error.h"
#include "DLL/Edt/UndoBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

typedef std::unique_ptr<wxXmlNode> TNodePtr;

struct TReleaser {
    void operator()(TXmlUndoData* pRecord) const { TXmlUndoData::Release(pRecord); }
};
typedef std::unique_ptr<TXmlUndoData, TReleaser> TRecordPtr;

// An editor whose document is one XML tree. Applying a record swaps the stored tree with the
// document through RecordAndFreeUndoData, recovering when the swap does not fit.
class TXmlUndoer : public TUndoer {
public:
    TNodePtr aDocument;
    std::vector<std::string> aLog;

    explicit TXmlUndoer(const std::string& pXml) : aDocument(ParseTestXml(pXml)) {}

    void Edit(TUndoBuffer& pBuffer, const std::string& pXml) {
        EXPECT_TRUE(TXmlUndoData::RecordAndFreeUndoData(
            this, &pBuffer, 7, false, aDocument.release(), L"edit", nullptr, false));
        aDocument.reset(ParseTestXml(pXml));
    }
    bool ApplyUndo(TUndoData* pData, TUndoBuffer* pBuffer, bool) override {
        TXmlUndoData* record = static_cast<TXmlUndoData*>(pData);
        aLog.push_back((pBuffer ? "" : "recover ") + DumpXml(TNodePtr(record->GetTree()).get()));
        TNodePtr previous(record->GetTree());
        previous.swap(aDocument);
        return TXmlUndoData::RecordAndFreeUndoData(this, pBuffer, record->aAction, false,
                                                   previous.release(), nullptr, pData, true);
    }
};

TEST(XmlUndoData, SingleLetterElementMakesATwentyEightByteRecord) {
    TXmlUndoer owner("<a/>");
    for (bool neutral : {false, true}) {
        const TRecordPtr record(TXmlUndoData::Create(&owner, -3, owner.aDocument.get(), neutral));
        ASSERT_TRUE(record);
        EXPECT_EQ(record->aAllocSize, 28u);
        EXPECT_EQ(record->aLength, neutral ? 28u | TUndoer::UNDO_NEUTRAL_BIT : 28u);
        EXPECT_EQ(record->aBackLink, 0u);
        EXPECT_EQ(record->GetUndoer(), &owner);
        EXPECT_EQ(record->aAction, -3);
        EXPECT_EQ(DumpXml(TNodePtr(record->GetTree()).get()), "<a/>");
    }
}

TEST(XmlUndoData, RootIsTheHeadOfTheTree) {
    const TNodePtr tree(ParseTestXml("<r x='1'><c/></r>"));
    TXmlUndoData::SetInfo(tree.get(), "moved");
    const TRecordPtr record(TXmlUndoData::Create(nullptr, 0, tree.get(), false));
    const TNodePtr root(record->GetRoot());
    EXPECT_EQ(DumpXml(root.get()), "<r x='1' i='moved'/>");
    EXPECT_EQ(TXmlUndoData::GetInfo(root.get()), "moved");
    EXPECT_EQ(TXmlUndoData::GetInfo(TNodePtr(ParseTestXml("<r/>")).get()), "");

    const wxXmlNode text(wxXML_TEXT_NODE, "", "just text");
    const TRecordPtr textRecord(TXmlUndoData::Create(nullptr, 0, &text, false));
    EXPECT_EQ(textRecord->GetRoot(), nullptr);
    EXPECT_EQ(DumpXml(TNodePtr(textRecord->GetTree()).get()), "just text");

    record->aLength -= 2; // the closing 'E' of the root is lost
    EXPECT_EQ(record->GetTree(), nullptr);
    EXPECT_EQ(DumpXml(TNodePtr(record->GetRoot()).get()), "<r x='1' i='moved'/>");
    record->aLength = 10; // shorter than the record's own fields
    EXPECT_EQ(record->GetRoot(), nullptr);
    EXPECT_EQ(record->GetTree(), nullptr);
}

TEST(XmlUndoData, PayloadBeyondTheLengthFieldGivesNoRecord) {
    // 'T', a long count (3 units) and the text: 20 + 8 + 2 n bytes against 134,217,727.
    wxXmlNode text(wxXML_TEXT_NODE, "", wxString(67108849, wxT('x')));
    TRecordPtr record(TXmlUndoData::Create(nullptr, 0, &text, false));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->GetLength(), 134217726u);
    record.reset();
    text.SetContent(text.GetContent() + "x");
    EXPECT_EQ(TXmlUndoData::Create(nullptr, 0, &text, false), nullptr);
}

TEST(XmlUndoData, RecordingWithoutABufferOnlyFreesTheNode) {
    EXPECT_TRUE(TXmlUndoData::RecordAndFreeUndoData(
        nullptr, nullptr, 0, false, new wxXmlNode(wxXML_ELEMENT_NODE, "a"), L"i", nullptr, false));
    TUndoBuffer buffer(64);
    EXPECT_TRUE(TXmlUndoData::RecordAndFreeUndoData(nullptr, &buffer, 0, false, nullptr, L"i",
                                                    nullptr, false));
    EXPECT_EQ(buffer.GetCurrent(), TUndoBuffer::NO_POSITION);
}

TEST(XmlUndoData, RefusedRecordLeavesTheNodeToTheCaller) {
    TUndoBuffer buffer(32);
    TNodePtr node(ParseTestXml("<long name='more than twelve bytes'/>"));
    EXPECT_THROW(TXmlUndoData::RecordAndFreeUndoData(nullptr, &buffer, 0, false, node.get(),
                                                     nullptr, nullptr, false),
                 TError);
    EXPECT_EQ(DumpXml(node.get()), "<long name='more than twelve bytes'/>");
}

TEST(XmlUndoData, UndoAndRedoRewriteTheRecordInPlace) {
    TUndoBuffer buffer(1024);
    TXmlUndoer editor("<d v='1'/>");
    editor.Edit(buffer, "<d v='two'/>");
    EXPECT_EQ(
        DumpXml(
            TNodePtr(reinterpret_cast<const TXmlUndoData*>(buffer.GetBlock())->GetRoot()).get()),
        "<d v='1' i='edit'/>");
    EXPECT_TRUE(buffer.Undo());
    EXPECT_EQ(DumpXml(editor.aDocument.get()), "<d v='1' i='edit'/>");
    const auto* record = reinterpret_cast<const TXmlUndoData*>(buffer.GetBlock());
    EXPECT_EQ(record->GetLength(), 20u + 2 * 11);
    EXPECT_EQ(record->aAction, 7);
    buffer.Redo();
    EXPECT_EQ(DumpXml(editor.aDocument.get()), "<d v='two'/>");
    EXPECT_EQ(CheckUndoBuffer(buffer), "");
}

TEST(XmlUndoData, RewriteThatDoesNotFitIsRecovered) {
    TUndoBuffer buffer(128);
    TXmlUndoer editor("<a/>");
    editor.Edit(buffer, "<b/>");
    editor.Edit(buffer, "<c/>"); // two records of 44 bytes
    EXPECT_TRUE(buffer.Undo());  // the newest shrinks to 28 bytes
    const std::string longer = "<c text='" + std::string(40, '-') + "'/>";
    editor.aDocument.reset(ParseTestXml(longer));
    EXPECT_FALSE(buffer.Undo()) << "122 bytes from offset 28 do not fit in 128";
    EXPECT_EQ(editor.aLog,
              std::vector<std::string>({"<b i='edit'/>", "<a i='edit'/>", "recover " + longer}));
    EXPECT_EQ(DumpXml(editor.aDocument.get()), longer) << "the undo was taken back";
    EXPECT_EQ(buffer.GetLast(), 0u) << "the record left the history with the older ones";
    EXPECT_EQ(buffer.GetCurrent(), 28u);
    EXPECT_EQ(CheckUndoBuffer(buffer), "");
}

TEST(XmlUndoData, UpdateKeepsTheRecordWhenTheTreeDoesNotFit) {
    TUndoBuffer buffer(64);
    TXmlUndoer editor("<a/>");
    editor.Edit(buffer, "<b/>");
    class TUpdater : public TUndoer {
    public:
        const char* aXml = "";
        bool aResult = false;
        bool ApplyUndo(TUndoData* pData, TUndoBuffer* pBuffer, bool) override {
            aResult = static_cast<TXmlUndoData*>(pData)->Update(this, pBuffer, 9,
                                                                TNodePtr(ParseTestXml(aXml)).get());
            return false;
        }
    } updater;
    reinterpret_cast<TUndoer::TUndoData*>(const_cast<uint8_t*>(buffer.GetBlock()))
        ->SetUndoer(&updater);
    const std::vector<uint8_t> before(buffer.GetBlock(), buffer.GetBlock() + 44);
    updater.aXml = "<b text='longer than the whole buffer of sixty-four bytes'/>";
    buffer.Undo();
    EXPECT_FALSE(updater.aResult);
    EXPECT_EQ(std::vector<uint8_t>(buffer.GetBlock(), buffer.GetBlock() + 44), before);
    updater.aXml = "<bb/>";
    buffer.Undo();
    EXPECT_TRUE(updater.aResult);
    const auto* record = reinterpret_cast<const TXmlUndoData*>(buffer.GetBlock());
    EXPECT_EQ(record->aAction, 9);
    EXPECT_EQ(DumpXml(TNodePtr(record->GetTree()).get()), "<bb/>");
    const TRecordPtr loose(TXmlUndoData::Create(&updater, 0, nullptr, false));
    EXPECT_TRUE(loose->Update(&updater, nullptr, 0, nullptr)) << "recovering: nothing to rewrite";
    EXPECT_ASSERTS(EXPECT_FALSE(TXmlUndoData::RecordAndFreeUndoData(
                       &updater, &buffer, 0, false, new wxXmlNode(wxXML_ELEMENT_NODE, "x"), nullptr,
                       loose.get(), false)),
                   "pBuffer->IsUndoing()", "IsCurrentRecord(*pBuffer, pRecord)");
    EXPECT_EQ(CheckUndoBuffer(buffer), "");
}

} // namespace
