#include "DLL/Row/MediaSourceRow.h"

#include "ALL/Error.h"
#include "ALL/Number.h"
#include "DLL/Ctl/WaveformBitmap.h"
#include "DLL/Row/MainRow.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/ZVFormula.h"
#include "support/AssertCapture.h"
#include "support/FakeLibrary.h"
#include "support/FakeRows.h"
#include "support/ListenerRecorder.h"
#include "support/MainTree.h"
#include "support/RowText.h"
#include "support/TestContainerRows.h"
#include "support/XmlText.h"

#include <wx/intl.h>
#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// Answers the questions as told and keeps them as "title|message".
class TQuestionLog : public TListenerRecorder {
public:
    bool DoQueryBox(const wxString& pMessage, const wchar_t* pTitle) override {
        aQuestions += wxString(pTitle) + L"|" + pMessage;
        return aAnswer;
    }
    wxString aQuestions;
    bool aAnswer = true;
};

// A root holding the mixers "Video" and "Audio", over a library of clip.mkv (50 images of
// 160 x 120 at 25 a second, stereo sound, 2 s), tone.flac under a prefix (mono, 1 s) and an
// offline entry.
class MediaSourceRows : public ::testing::Test {
protected:
    MediaSourceRows()
        : aRoot(MakeMainRoot(100)), aClip(aLibrary.Add(ExampleMedia("clip.mkv"))),
          aTone(aLibrary.Add(ExampleMedia("tone.flac"), L"$(media)/")),
          aOffline(aLibrary.Add(L"/nowhere/gone.mkv", wxString(), true)),
          aClipText(aLibrary.Entry(aClip).Text()) {
        aProject.aRoot = aRoot.get();
        aRoot->InsertSource(MakeRow<TZVMainVideoMixerRow>(L"Video"), nullptr);
        aRoot->InsertSource(MakeRow<TZVSimpleAudioMixerRow>(L"Audio"), nullptr);
    }

    TZVMixerRow* Mixer(bool pVideo) {
        return static_cast<TZVMixerRow*>(pVideo ? aRoot->aSourceChildList.front()
                                                : aRoot->aSourceChildList.back());
    }
    // A new row of entry pIndex in the mixer of its kind.
    TZVMediaSourceRow* Place(bool pVideo, int pIndex, const TZVMediaSourceRow* pLink = nullptr) {
        TZVMediaSourceRow* row = TZVMediaSourceRow::CreateMediaSource(pVideo, pIndex, pLink);
        Mixer(pVideo)->InsertSource(row, nullptr);
        return row;
    }
    // The row pXml stores, read into the mixer of its kind.
    TZVMediaSourceRow* Read(const wxString& pXml, bool pVideo) {
        const std::unique_ptr<wxXmlNode> element(ParseXml(pXml));
        const wxXmlNode* cursor = element.get();
        return dynamic_cast<TZVMediaSourceRow*>(
            TZVStreamRow::Create(cursor, Mixer(pVideo), nullptr));
    }

    TFakeProject aProject;
    TFakeLibrary aLibrary;
    std::unique_ptr<TZVMainMixerRow> aRoot;
    const int aClip, aTone, aOffline;
    const wxString aClipText;
};

// A stored row "clip" with an empty parameter, its sequences and then pMedia.
wxString Stored(bool pVideo, const wxString& pMedia,
                const wxString& pSequences = L"<seg begin=\"0\" end=\"100\"/>",
                const wxString& pValue = wxString()) {
    return wxString(L"<source type=\"") + (pVideo ? L"video" : L"audio") +
           L"-media\" name=\"clip\"><seq-list>" + pSequences +
           L"</seq-list><param-list shown=\"0\"><param type=\"Standard\" name=\"p\"><value>" +
           pValue + L"</value></param></param-list><fltr-list shown=\"0\"/>" + pMedia +
           L"</source>";
}

wxString Media(const wxString& pText, const wxString& pAttributes) {
    return L"<media " + pAttributes + L">" + pText + L"</media>";
}

wxString FormulaText(const TZVStreamRow& pRow) {
    const auto* formula = dynamic_cast<const TZVFormula*>(pRow.aParamTab[0]->aFormula);
    return formula ? formula->GetImage() : wxString(L"no expression");
}

} // namespace

TEST_F(MediaSourceRows, StoredMediaAreCheckedAsTheyAreRead) {
    const wxString path = ExampleMedia("clip.mkv");
    const wxString video = L"Media has changed|Characteristics of video have changed for " + path +
                           L"\nExpected image count: 50,  found: 50\nExpected image width: 100,"
                           L"  found: 160\nExpected image height: 120,  found: 120\n";
    const wxString audio = L"Media has changed|Characteristics of audio have changed for " + path +
                           L"\nExpected duration: 2.000s\nMedia duration: 2.000s";
    const wxString sizes = L"l=\"50\" w=\"100\" h=\"120\"";
    const wxString lastBit = L"l=\"" + IEEE754Image(std::nextafter(2.0, 3.0)) + L"\"";
    enum { NO_ONE, REFUSE, ACCEPT };
    const struct {
        bool aVideo;
        wxString aMedia;
        int aAnswer;
        wxString aResult;
        wxString aAsked;
    } cases[] = {
        {true, Media(aClipText, L"l=\"50\" w=\"160\" h=\"120\""), NO_ONE, L"medium", L""},
        // The text is all its pieces.
        {true,
         Media(aClipText.Left(4) + L"<![CDATA[" + aClipText.Mid(4) + L"]]>",
               L"l=\"50\" w=\"160\" h=\"120\""),
         NO_ONE, L"medium", L""},
        {true, Media(aClipText, sizes), ACCEPT, L"medium", video},
        {false, Media(aClipText, lastBit), ACCEPT, L"medium", audio},
        // A picture row over a medium without pictures finds nothing changed, and no picture.
        {true, Media(L"$(media)/tone.flac", L"l=\"0\" w=\"0\" h=\"0\""), NO_ONE, L"medium", L""},
        // A refusal, or no one to ask, cancels the load.
        {true, Media(aClipText, sizes), REFUSE, L"error:", video},
        {false, Media(aClipText, lastBit), NO_ONE, L"error:", L""},
        {true, Media(aClipText, L"w=\"160\" h=\"120\""), ACCEPT,
         L"error:The property l does not exist for Source video-media clip", L""},
        {true, Media(aClipText, L"l=\"50\" w=\"wide\" h=\"120\""), ACCEPT,
         L"error:Invalid Integer value for w of Source video-media clip", L""},
        {true, Media(aClipText, L"l=\"50\" w=\"160\" h=\"2147483648\""), ACCEPT,
         L"error:Invalid Integer value for h of Source video-media clip", L""},
        {false, Media(aClipText, L""), ACCEPT, L"error:Invalid audio duration for " + path, L""},
        {false, Media(aClipText, L"l=\"!\""), ACCEPT, L"error:Invalid audio duration for " + path,
         L""},
        // No medium, so no checks and no stream: no "media" last, an unknown or offline one.
        {true, L"", ACCEPT, L"none", L""},
        {true, L"<media-x>" + aClipText + L"</media-x>", ACCEPT, L"none", L""},
        {true, Media(L"/elsewhere/clip.mkv", L"l=\"1\""), ACCEPT, L"none", L""},
        {true, Media(L"/nowhere/gone.mkv", L""), ACCEPT, L"none", L""},
    };
    for (const auto& c : cases) {
        TQuestionLog listener;
        listener.aAnswer = c.aAnswer == ACCEPT;
        std::optional<TListenerScope> scope;
        if (c.aAnswer != NO_ONE)
            scope.emplace(listener);
        wxString result;
        try {
            const TZVMediaSourceRow* row = Read(Stored(c.aVideo, c.aMedia), c.aVideo);
            result = row->aMedia ? L"medium" : L"none";
            EXPECT_EQ(row->aRenderStream != nullptr, row->aMedia != nullptr) << c.aMedia;
            if (!row->aMedia) {
                EXPECT_EQ(row->getLength() + row->getRate(), 0.0) << c.aMedia;
            }
        } catch (const TError& error) {
            result = L"error:" + error;
        }
        EXPECT_EQ(result, c.aResult) << c.aMedia;
        EXPECT_EQ(listener.aQuestions, c.aAsked) << c.aMedia;
    }
    // The rows whose load failed left their entry; the offline one holds its row.
    EXPECT_EQ(aLibrary.Entry(aClip).aRows.size(), 4u);
    EXPECT_EQ(aLibrary.Entry(aOffline).aRows.size(), 1u);
}

TEST_F(MediaSourceRows, ANewMediumLeavesTheOldEntryAndReplacesTheParameter) {
    TZVMediaSourceRow* row = Place(false, aClip);
    const std::string keys = KeyText(aRoot->aKeyList);
    const auto hasWaveform = [row] {
        for (const TZVWaveformBitmap& context : TZVWaveformBitmap::theContextList)
            if (NSAudioMediaRow::AsBaseRow(context.aAudioSource) == row)
                return true;
        return false;
    };
    TZVWaveformBitmap::DrawPixelRange(row, 0, 10);
    EXPECT_TRUE(hasWaveform());
    row->setMedia(aTone, false);
    EXPECT_FALSE(hasWaveform());
    EXPECT_EQ(aLibrary.Entry(aClip).aLog, "attach detach ");
    EXPECT_EQ(aLibrary.Entry(aTone).aRows.count(row), 1u);
    EXPECT_EQ(row->aName, L"tone");
    EXPECT_EQ(KeyText(aRoot->aKeyList), keys) << "the old parameter's keys are withdrawn";
}

// A key drawn over an audio row takes its column back from the row's waveform; a row without
// a medium has no waveform to tell.
TEST_F(MediaSourceRows, KeyMarksOnAnAudioRowLeaveTheirWaveformColumns) {
    TZVMediaSourceRow* row = Place(false, aClip);
    TZVMediaSourceRow* offline = Place(false, aOffline);
    const auto need = [](const TZVBaseRow* pRow) -> std::string {
        for (const TZVWaveformBitmap& context : TZVWaveformBitmap::theContextList)
            if (NSAudioMediaRow::AsBaseRow(context.aAudioSource) == pRow)
                return wxString::Format("%llx", (unsigned long long)context.aNeed[0]).ToStdString();
        return "none";
    };
    TZVWaveformBitmap::DrawPixelRange(row, 0, 8);
    row->MarkKeyAt(5);
    row->MarkKeyAt(2);
    offline->MarkKeyAt(5);
    EXPECT_EQ(need(row) + " " + need(offline), "db none");
}

TEST_F(MediaSourceRows, SequencesTakenFromTheParentEndWhereTheMediumEnds) {
    // At 25 frames a second "Image" climbs an image a frame and "Seconds" 0.04 s: both reach
    // clip.mkv's end (50 images, 2 s) 50 frames after they start.
    const struct {
        bool aVideo;
        int aEntry;
        std::vector<TRange> aParent;
        const char* aSequences;
        const char* aKeys;
    } cases[] = {
        {true, aClip, {{0, 100}}, "(0,50)", "0:1 50:1 "},
        {false, aClip, {{0, 100}}, "(0,50)", "0:1 50:1 "},
        {true, aClip, {{0, 30}, {40, 100}, {120, 200}}, "(0,30)(40,60)", "0:1 30:1 40:1 60:1 "},
        {true, aClip, {{0, 20}}, "(0,20)", "0:1 20:1 "},
        // Without a length there is no end to reach.
        {false, aOffline, {{0, 100}}, "(0,100)", "0:1 100:1 "},
    };
    for (const auto& c : cases) {
        Mixer(c.aVideo)->aSequenceList.assign(c.aParent.begin(), c.aParent.end());
        TZVMediaSourceRow* row = Place(c.aVideo, c.aEntry);
        EXPECT_EQ(RangeText(row->aSequenceList), c.aSequences);
        EXPECT_EQ(KeyText(row->aKeyList), c.aKeys);
        delete row;
    }
    // An expression read from the file is left alone; the row is typed once.
    const TZVMediaSourceRow* read = Read(
        Stored(true, Media(aClipText, L"l=\"50\" w=\"160\" h=\"120\""), L"", L"image * 2"), true);
    EXPECT_EQ(RangeText(read->aSequenceList), "(0,20)");
    EXPECT_EQ(FormulaText(*read), L"image * 2");
    EXPECT_EQ(read->aParamTab[0]->aTypeDef.aMax, TVariant(50.0));
}

TEST_F(MediaSourceRows, ALinkedRowFollowsTheOtherTrackWhateverTheLocale) {
    const TZVMediaSourceRow* video = Place(true, aClip);
    const TZVMediaSourceRow* audio = Place(false, aClip);
    const auto formulas = [&] {
        const std::unique_ptr<TZVMediaSourceRow> fromVideo(
            TZVMediaSourceRow::CreateMediaSource(false, aClip, video));
        const std::unique_ptr<TZVMediaSourceRow> fromAudio(
            TZVMediaSourceRow::CreateMediaSource(true, aClip, audio));
        return FormulaText(*fromVideo) + L"|" + FormulaText(*fromAudio);
    };
    const wxString expected = L"[mixer:Video][source:clip][param:1 - Image].value * 0.04|"
                              L"[mixer:Audio][source:clip][param:1 - Seconds].value * 25";
    EXPECT_EQ(formulas(), expected);
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr) << "scripts/deps makes it";
    EXPECT_EQ(formulas(), expected) << "decimal comma";
    std::setlocale(LC_NUMERIC, previous.c_str());
    {
        wxLocale german(wxLANGUAGE_GERMAN, wxLOCALE_DONT_LOAD_DEFAULT);
        EXPECT_EQ(formulas(), expected) << "wxLocale";
    }
    EXPECT_EQ(std::setlocale(LC_NUMERIC, nullptr), previous);
}
