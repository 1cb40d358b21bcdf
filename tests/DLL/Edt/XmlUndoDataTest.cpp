#include "DLL/Edt/XmlUndoData.h"

#include "UndoBufferCheck.h"
#include "support/AssertCapture.h"
#include "support/XmlText.h"

#include "ALL/Error.h"
#include "DLL/Edt/UndoBuffer.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

typedef std::unique_ptr<wxXmlNode> TNodePtr;

struct TReleaser {
    void operator()(TXmlUndoData* pRecord) const { TXmlUndoData::Release(pRecord); }
};
typedef std::unique_ptr<TXmlUndoData, TReleaser> TRecordPtr;

// The written XML of a tree handed over by the caller (the content of a text node), or "null".
wxString Owned(wxXmlNode* pNode) {
    const TNodePtr node(pNode);
    if (!node)
        return "null";
    return node->GetType() == wxXML_ELEMENT_NODE ? XmlText(*node) : node->GetContent();
}

const TXmlUndoData& Newest(const TUndoBuffer& pBuffer) {
    return static_cast<const TXmlUndoData&>(UndoRecordAt(pBuffer, 0));
}

// An editor whose document is one XML tree. Applying a record swaps the stored tree with the
// document through RecordAndFreeUndoData, recovering when the swap does not fit.
class TXmlUndoer : public TUndoer {
public:
    TNodePtr aDocument;
    std::vector<wxString> aLog;

    explicit TXmlUndoer(const wxString& pXml) : aDocument(ParseXml(pXml)) {}

    void Edit(TUndoBuffer& pBuffer, const wxString& pXml) {
        EXPECT_TRUE(TXmlUndoData::RecordAndFreeUndoData(
            this, &pBuffer, 7, false, aDocument.release(), L"edit", nullptr, false));
        aDocument.reset(ParseXml(pXml));
    }
    bool ApplyUndo(TUndoData* pData, TUndoBuffer* pBuffer, bool) override {
        TXmlUndoData* record = static_cast<TXmlUndoData*>(pData);
        TNodePtr previous(record->GetTree());
        aLog.push_back((pBuffer ? "" : "recover ") + XmlText(*previous));
        previous.swap(aDocument);
        return TXmlUndoData::RecordAndFreeUndoData(this, pBuffer, record->aAction, false,
                                                   previous.release(), nullptr, pData, true);
    }
};

TEST(XmlUndoData, SingleLetterElementMakesATwentyEightByteRecord) {
    TXmlUndoer owner("<a/>");
    for (uint32_t neutral : {0u, TUndoer::UNDO_NEUTRAL_BIT}) {
        const TRecordPtr record(
            TXmlUndoData::Create(&owner, -3, owner.aDocument.get(), neutral != 0));
        ASSERT_TRUE(record);
        EXPECT_EQ(std::vector<uint32_t>({record->aAllocSize, record->aLength, record->aBackLink}),
                  std::vector<uint32_t>({28, 28 | neutral, 0}));
        EXPECT_EQ(record->GetUndoer(), &owner);
        EXPECT_EQ(record->aAction, -3);
        EXPECT_EQ(Owned(record->GetTree()), "<a/>");
    }
}

TEST(XmlUndoData, RootIsTheHeadOfTheTree) {
    const TNodePtr tree(ParseXml("<r x='1'><c/></r>"));
    TXmlUndoData::SetInfo(tree.get(), "moved");
    const TRecordPtr record(TXmlUndoData::Create(nullptr, 0, tree.get(), false));
    const TNodePtr root(record->GetRoot());
    EXPECT_EQ(XmlText(*root), "<r x=\"1\" i=\"moved\"/>");
    EXPECT_EQ(TXmlUndoData::GetInfo(root.get()), "moved");
    EXPECT_EQ(TXmlUndoData::GetInfo(tree->GetChildren()), "");

    const wxXmlNode text(wxXML_TEXT_NODE, "", "just text");
    const TRecordPtr textRecord(TXmlUndoData::Create(nullptr, 0, &text, false));
    EXPECT_EQ(Owned(textRecord->GetRoot()), "null");
    EXPECT_EQ(Owned(textRecord->GetTree()), "just text");

    record->aLength -= 2; // the closing 'E' of the root is lost
    EXPECT_EQ(Owned(record->GetTree()), "null");
    EXPECT_EQ(Owned(record->GetRoot()), "<r x=\"1\" i=\"moved\"/>");
    record->aLength = 10; // shorter than the record's own fields
    EXPECT_EQ(Owned(record->GetRoot()) + Owned(record->GetTree()), "nullnull");
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

TEST(XmlUndoData, WithoutABufferTheNodeIsFreedAndARefusedOneStaysTheCallers) {
    EXPECT_TRUE(TXmlUndoData::RecordAndFreeUndoData(
        nullptr, nullptr, 0, false, new wxXmlNode(wxXML_ELEMENT_NODE, "a"), L"i", nullptr, false));
    TUndoBuffer buffer(32);
    EXPECT_TRUE(TXmlUndoData::RecordAndFreeUndoData(nullptr, &buffer, 0, false, nullptr, L"i",
                                                    nullptr, false));
    EXPECT_EQ(buffer.GetCurrent(), TUndoBuffer::NO_POSITION);
    TNodePtr node(ParseXml("<long name='more than twelve bytes'/>"));
    EXPECT_THROW(TXmlUndoData::RecordAndFreeUndoData(nullptr, &buffer, 0, false, node.get(),
                                                     nullptr, nullptr, false),
                 TError);
    EXPECT_EQ(XmlText(*node), "<long name=\"more than twelve bytes\"/>");
}

TEST(XmlUndoData, RewriteThatDoesNotFitIsRecovered) {
    TUndoBuffer buffer(128);
    TXmlUndoer editor("<a/>");
    editor.Edit(buffer, "<b/>");
    editor.Edit(buffer, "<c/>"); // two records of 44 bytes
    EXPECT_TRUE(buffer.Undo());  // the newest shrinks to 28 bytes
    const wxString longer = "<c text=\"" + wxString(40, '-') + "\"/>";
    editor.aDocument.reset(ParseXml(longer));
    EXPECT_FALSE(buffer.Undo()) << "122 bytes from offset 28 do not fit in 128";
    EXPECT_EQ(editor.aLog,
              std::vector<wxString>({"<b i=\"edit\"/>", "<a i=\"edit\"/>", "recover " + longer}));
    EXPECT_EQ(XmlText(*editor.aDocument), longer) << "the undo was taken back";
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
                                                                TNodePtr(ParseXml(aXml)).get());
            return false;
        }
    } updater;
    const_cast<TXmlUndoData&>(Newest(buffer)).SetUndoer(&updater);
    const std::vector<uint8_t> before(buffer.GetBlock(), buffer.GetBlock() + 44);
    updater.aXml = "<b text='longer than the whole buffer of sixty-four bytes'/>";
    buffer.Undo();
    EXPECT_FALSE(updater.aResult);
    EXPECT_EQ(std::vector<uint8_t>(buffer.GetBlock(), buffer.GetBlock() + 44), before);
    updater.aXml = "<bb/>";
    buffer.Undo();
    EXPECT_TRUE(updater.aResult);
    EXPECT_EQ(Newest(buffer).aAction, 9);
    EXPECT_EQ(Owned(Newest(buffer).GetTree()), "<bb/>");
    const TRecordPtr loose(TXmlUndoData::Create(&updater, 0, nullptr, false));
    EXPECT_TRUE(loose->Update(&updater, nullptr, 0, nullptr)) << "recovering: nothing to rewrite";
    EXPECT_ASSERTS(EXPECT_FALSE(TXmlUndoData::RecordAndFreeUndoData(
                       &updater, &buffer, 0, false, new wxXmlNode(wxXML_ELEMENT_NODE, "x"), nullptr,
                       loose.get(), false)),
                   "pBuffer->IsUndoing()", "IsCurrentRecord(*pBuffer, pRecord)");
    EXPECT_EQ(CheckUndoBuffer(buffer), "");
}

} // namespace
