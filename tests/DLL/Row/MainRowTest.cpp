#include "DLL/Row/MainRow.h"

#include "ALL/Error.h"
#include "DLL/Row/ColorParamRow.h"
#include "DLL/Row/MediaSourceRow.h"
#include "support/AssertCapture.h"
#include "support/FakeRows.h"
#include "support/MainTree.h"
#include "support/RowText.h"
#include "support/TestContainerRows.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

// "kind index label type|" for each control, then the parameters' and setups' controls.
template <typename TRow>
std::string Tables() {
    TRow row;
    std::string text;
    const TControlInfo* table = row.GetControlTab();
    for (int i = 0; i < row.GetControlCount(); ++i)
        text += std::to_string(table[i].aKind) + " " + std::to_string(table[i].aIndex) + " " +
                table[i].aLabel.ToStdString() + " " + std::to_string(table[i].aTypeDef.aType) + "|";
    text += " params:";
    for (int i = 0; i <= row.GetParamCount(); ++i)
        text += " " + std::to_string(row.GetParamControl(i));
    text += " setups:";
    for (int i = 0; i <= row.GetSetupCount(); ++i)
        text += " " + std::to_string(row.GetSetupControl(i));
    return text;
}

wxString ErrorOf(const std::function<void()>& pStep) {
    try {
        pStep();
    } catch (const TError& error) {
        return error;
    }
    return L"none";
}

} // namespace

// The index one past the last names no control (-1).
TEST(MainRows, ControlTablesAndTheirIndexTables) {
    EXPECT_EQ(Tables<TZVMainVideoMixerRow>(),
              "0 0 Background colour 5|10 0 Show colour components 3|4 1  2|4 2  2|4 3  2|"
              " params: 0 2 3 4 -1 setups: 1 -1");
    EXPECT_EQ(Tables<TZVSimpleAudioMixerRow>(),
              "0 0 Master Amplif (db) 0| params: 0 -1 setups: -1");
    EXPECT_EQ(Tables<TZVVideoMediaSourceRow>(), "0 0 Image 2| params: 0 -1 setups: -1");
    EXPECT_EQ(Tables<TZVAudioMediaSourceRow>(), "0 0 Seconds 0| params: 0 -1 setups: -1");
}

TEST(MainRows, OnlyTheMixersAreOfferedInKeyOrder) {
    std::vector<TFactoryInfo> table;
    int count = 0;
    TZVMixerRow::FillFactoryTab(table, count);
    TZVSimpleSourceRow::FillFactoryTab(table, count);
    std::string offered;
    for (int i = 0; i < count; ++i) {
        // Other tests of this binary may have registered "test-mix".
        const wxString& subType = table[size_t(i)].aFactory->GetSubType();
        if (subType.Contains(L"-m") && !subType.StartsWith(L"test-"))
            offered += subType.ToStdString() + " ";
    }
    EXPECT_EQ(offered, "audio-mux video-mux ");
    EXPECT_EQ(TZVSimpleSourceRow::theFactorySet->count(L"audio-media"), 1u);
}

TEST(MainRows, TheRootHoldsItsTwoMixersAndHasNoIcons) {
    TFakeProject project;
    const std::unique_ptr<TZVMainMixerRow> root = MakeMainRoot(100);
    EXPECT_EQ(RangeText(root->aSequenceList), "(0,100)");
    EXPECT_TRUE(root->aIsSourceShown && root->aLevel == -1 && root->aHeight == 0);
    EXPECT_FALSE(root->MayInsertSource(nullptr));
    EXPECT_TRUE(root->MayRemoveSource(nullptr) && root->HasVideo() && root->HasAudio());
    EXPECT_ASSERTS(EXPECT_EQ(root->GetTypeIcon(), nullptr), L"false");
    EXPECT_ASSERTS(EXPECT_EQ(root->GetParamTypeIcon(0), nullptr), L"false");
    const std::unique_ptr<TZVMainVideoMixerRow> video(MakeRow<TZVMainVideoMixerRow>(L"V"));
    EXPECT_EQ(ErrorOf([&] { video->GetParamTypeIcon(1); }), L"Mixer has only colour rows");
    const std::unique_ptr<wxXmlNode> element(
        ParseXml(L"<mixer type=\"\" name=\"\"><seq-list/><param-list shown=\"0\"/>"
                 L"<fltr-list shown=\"0\"/></mixer>"));
    EXPECT_EQ(ErrorOf([&] { LoadMainRoot(element.get(), 100); }),
              L"Source list missing for Mixer  ");
}

TEST(MainRows, ShowColourComponentsSwitchesTheThreeComponents) {
    TFakeProject project;
    const std::unique_ptr<TZVMainMixerRow> root = MakeMainRoot(100);
    TZVMainVideoMixerRow* mixer = MakeRow<TZVMainVideoMixerRow>(L"Video");
    root->InsertSource(mixer, nullptr);
    ASSERT_NE(dynamic_cast<TZVColorParamRow*>(mixer->aParamTab[0]), nullptr);
    const auto enabled = [mixer] {
        std::string flags;
        for (TZVParamRow* param : mixer->aParamTab)
            flags += param->aIsEnabled ? '1' : '0';
        return flags;
    };
    EXPECT_EQ(enabled(), "1000");
    for (const double value : {1.0, 0.0}) {
        bool update = false;
        delete mixer->EditSetup(0, TVariant(value), update);
        EXPECT_TRUE(update);
        mixer->OnSetupUpdate(0);
        EXPECT_EQ(enabled(), value != 0.0 ? "1111" : "1000");
    }
    // Without a colour row first, the setup changes nothing.
    std::unique_ptr<TZVParamRow> colour(mixer->aParamTab[0]);
    mixer->aParamTab[0] = nullptr;
    EXPECT_ASSERTS(mixer->OnSetupUpdate(0),
                   L"dynamic_cast<TZVColorParamRow*>(GetParam(0)) returned NULL");
    mixer->aParamTab[0] = colour.release();
}

TEST(MainRows, AFreshAudioMixerIsWrittenWithItsGainAndEmptyLists) {
    TFakeProject project;
    const std::unique_ptr<TZVMainMixerRow> root = MakeMainRoot(100);
    TZVSimpleAudioMixerRow* mixer = MakeRow<TZVSimpleAudioMixerRow>(L"Audio");
    root->InsertSource(mixer, nullptr);
    const std::unique_ptr<wxXmlNode> image(mixer->GetXmlImage());
    EXPECT_EQ(XmlText(*image),
              L"<mixer type=\"audio-mux\" name=\"Audio\"><seq-list><seg begin=\"0\" end=\"100\"/>"
              L"</seq-list><param-list shown=\"0\"><param type=\"Standard\" "
              L"name=\"Master Amplif (db)\"><value><key time=\"0\" to=\"100\" kind=\"1\"/>"
              L"</value></param></param-list><fltr-list shown=\"0\"/><src-list shown=\"0\"/>"
              L"</mixer>");
    // The gain's range is shown, not enforced.
    EXPECT_EQ(mixer->aParamTab[0]->aTypeDef.Constrain(TVariant(60.0)), TVariant(60.0));
}
