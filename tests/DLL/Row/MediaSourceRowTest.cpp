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
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

// Answers the questions as told and keeps them, "title|message" each.
class TQuestionLog : public TListenerRecorder {
public:
    bool DoQueryBox(const wxString& pMessage, const wchar_t* pTitle) override {
        aQuestions.push_back(wxString(pTitle) + L"|" + pMessage);
        return aAnswer;
    }
    std::vector<wxString> aQuestions;
    bool aAnswer = true;
};

// A project with a root holding a video mixer "Video" and an audio mixer "Audio", over a
// library of clip.mkv (picture and stereo sound, 50 images at 25 a second, 2 s), tone.flac
// (mono, 1 s) and an offline entry.
class MediaSourceRows : public ::testing::Test {
protected:
    MediaSourceRows()
        : aRoot(MakeMainRoot(100)), aClip(aLibrary.Add(ExampleMedia("clip.mkv"))),
          aTone(aLibrary.Add(ExampleMedia("tone.flac"), L"$(media)/")),
          aOffline(aLibrary.Add(L"/nowhere/gone.mkv", wxString(), true)) {
        aProject.aRoot = aRoot.get();
        aVideo = MakeRow<TZVMainVideoMixerRow>(L"Video");
        aAudio = MakeRow<TZVSimpleAudioMixerRow>(L"Audio");
        aRoot->InsertSource(aVideo, nullptr);
        aRoot->InsertSource(aAudio, nullptr);
    }

    // A new row of entry pIndex inserted into its mixer.
    TZVMediaSourceRow* Place(bool pVideo, int pIndex, const TZVMediaSourceRow* pLink = nullptr) {
        TZVMediaSourceRow* row = TZVMediaSourceRow::CreateMediaSource(pVideo, pIndex, pLink);
        (pVideo ? static_cast<TZVMixerRow*>(aVideo) : aAudio)->InsertSource(row, nullptr);
        return row;
    }
    // The row read from pXml into the mixer of its kind.
    TZVStreamRow* Read(const wxString& pXml, bool pVideo) {
        const std::unique_ptr<wxXmlNode> element(ParseXml(pXml));
        const wxXmlNode* cursor = element.get();
        return TZVStreamRow::Create(cursor, pVideo ? static_cast<TZVMixerRow*>(aVideo) : aAudio,
                                    nullptr);
    }
    // The message of the TError that reading pXml throws; "none" when it reads.
    wxString ReadError(const wxString& pXml, bool pVideo) {
        try {
            Read(pXml, pVideo);
        } catch (const TError& error) {
            return error;
        }
        return L"none";
    }

    TFakeProject aProject;
    TFakeLibrary aLibrary;
    std::unique_ptr<TZVMainMixerRow> aRoot;
    TZVMainVideoMixerRow* aVideo;
    TZVSimpleAudioMixerRow* aAudio;
    const int aClip;
    const int aTone;
    const int aOffline;
};

// A stored media row of sub-type pType named "clip" with one parameter and a "media" element
// holding pMedia.
wxString StoredRow(const wxString& pType, const wxString& pParam, const wxString& pMedia,
                   const wxString& pSequences = L"<seg begin=\"0\" end=\"100\"/>") {
    return L"<source type=\"" + pType + L"\" name=\"clip\"><seq-list>" + pSequences +
           L"</seq-list><param-list shown=\"0\"><param type=\"Standard\" name=\"" + pParam +
           L"\"><value/></param></param-list><fltr-list shown=\"0\"/>" + pMedia + L"</source>";
}

wxString VideoMedia(const wxString& pText, const wxString& pL = L"50",
                    const wxString& pW = L"160", const wxString& pH = L"120") {
    return L"<media l=\"" + pL + L"\" w=\"" + pW + L"\" h=\"" + pH + L"\">" + pText + L"</media>";
}

wxString Image(const TZVStreamRow& pRow) {
    const std::unique_ptr<wxXmlNode> image(pRow.GetXmlImage());
    return XmlText(*image);
}

// The last child of the row's element: its "media".
wxString MediaImage(const TZVStreamRow& pRow) {
    const std::unique_ptr<wxXmlNode> image(pRow.GetXmlImage());
    const wxXmlNode* media = image->GetChildren();
    while (media->GetNext())
        media = media->GetNext();
    return XmlText(*media);
}

// The text of the expression of the row's parameter.
wxString FormulaText(const TZVStreamRow& pRow) {
    const auto* formula = dynamic_cast<const TZVFormula*>(pRow.aParamTab[0]->aFormula);
    return formula ? formula->GetImage() : wxString(L"no expression");
}

} // namespace

TEST_F(MediaSourceRows, MediaAreWrittenWithTheirCharacteristicsAndFoundAgain) {
    const wxString clip = aLibrary.Entry(aClip).Text();
    const wxString duration = IEEE754Image(2.0);
    const struct {
        bool aVideo;
        int aEntry;
        wxString aMedia;
    } cases[] = {
        {true, aClip, L"<media l=\"50\" w=\"160\" h=\"120\">" + clip + L"</media>"},
        {false, aClip, L"<media l=\"" + duration + L"\">" + clip + L"</media>"},
        {false, aTone, L"<media l=\"" + IEEE754Image(1.0) + L"\">$(media)/tone.flac</media>"},
        {true, aTone, L"<media l=\"0\" w=\"0\" h=\"0\">$(media)/tone.flac</media>"},
        {true, aOffline, L"<media>/nowhere/gone.mkv</media>"},
    };
    for (const auto& c : cases) {
        TZVMediaSourceRow* row = Place(c.aVideo, c.aEntry);
        EXPECT_EQ(MediaImage(*row), c.aMedia);
        const wxString image = Image(*row);
        delete row;
        TAssertCapture noQuestionWithoutListener;
        const std::unique_ptr<TZVStreamRow> again(Read(image, c.aVideo));
        auto* media = dynamic_cast<TZVMediaSourceRow*>(again.get());
        ASSERT_NE(media, nullptr);
        EXPECT_EQ(media->aMediaIndex, c.aEntry);
        EXPECT_EQ(Image(*again), image);
    }
}

TEST_F(MediaSourceRows, AChangedVideoAsksOnceWithAllThreePairs) {
    TQuestionLog listener;
    TListenerScope scope(listener);
    const wxString text = aLibrary.Entry(aClip).Text();
    const std::unique_ptr<TZVStreamRow> row(
        Read(StoredRow(L"video-media", L"Image", VideoMedia(text, L"50", L"100")), true));
    EXPECT_EQ(listener.aQuestions,
              std::vector<wxString>{L"Media has changed|Characteristics of video have changed for " +
                                    ExampleMedia("clip.mkv") +
                                    L"\nExpected image count: 50,  found: 50\n"
                                    L"Expected image width: 100,  found: 160\n"
                                    L"Expected image height: 120,  found: 120\n"});
    EXPECT_NE(row->aRenderStream, nullptr);
}

TEST_F(MediaSourceRows, AnAudioDurationThatDiffersInTheLastBitAsks) {
    TQuestionLog listener;
    TListenerScope scope(listener);
    const wxString text = aLibrary.Entry(aClip).Text();
    const wxString l = IEEE754Image(std::nextafter(2.0, 3.0));
    const std::unique_ptr<TZVStreamRow> row(
        Read(StoredRow(L"audio-media", L"Seconds", L"<media l=\"" + l + L"\">" + text + L"</media>"),
             false));
    EXPECT_EQ(listener.aQuestions,
              std::vector<wxString>{L"Media has changed|Characteristics of audio have changed for " +
                                    ExampleMedia("clip.mkv") +
                                    L"\nExpected duration: 2.000s\nMedia duration: 2.000s"});
}

TEST_F(MediaSourceRows, ARefusedOrUnaskedQuestionCancelsTheLoad) {
    const wxString text = aLibrary.Entry(aClip).Text();
    const wxString changed = StoredRow(L"video-media", L"Image", VideoMedia(text, L"49"));
    TQuestionLog listener;
    listener.aAnswer = false;
    {
        TListenerScope scope(listener);
        EXPECT_EQ(ReadError(changed, true), L"");
    }
    EXPECT_EQ(listener.aQuestions.size(), 1u);
    EXPECT_EQ(ReadError(changed, true), L"") << "no listener";
    EXPECT_TRUE(aVideo->aSourceChildList.empty());
    EXPECT_EQ(aLibrary.Entry(aClip).aLog, "attach detach attach detach ");
}

TEST_F(MediaSourceRows, BadCharacteristicsAreRefusedWithTheirReadersMessage) {
    const wxString text = aLibrary.Entry(aClip).Text();
    const wxString audio = L"Invalid audio duration for " + ExampleMedia("clip.mkv");
    const struct {
        bool aVideo;
        wxString aMedia;
        wxString aError;
    } cases[] = {
        {true, L"<media w=\"160\" h=\"120\">" + text + L"</media>",
         L"The property l does not exist for Source video-media clip"},
        {true, VideoMedia(text, L"50", L"wide"),
         L"Invalid Integer value for w of Source video-media clip"},
        {true, VideoMedia(text, L"50", L"160", L"2147483648"),
         L"Invalid Integer value for h of Source video-media clip"},
        {false, L"<media>" + text + L"</media>", audio},
        {false, L"<media l=\"!\">" + text + L"</media>", audio},
    };
    for (const auto& c : cases) {
        const wxString xml = StoredRow(c.aVideo ? L"video-media" : L"audio-media",
                                       c.aVideo ? L"Image" : L"Seconds", c.aMedia);
        EXPECT_EQ(ReadError(xml, c.aVideo), c.aError) << c.aMedia;
    }
    EXPECT_TRUE(aLibrary.Entry(aClip).aRows.empty());
}

TEST_F(MediaSourceRows, WithoutAMediaElementOrAKnownEntryTheRowHasNoMedium) {
    const wxString text = aLibrary.Entry(aClip).Text();
    const wxString noMedia = L"<media/>";
    const struct {
        wxString aXml;
        const char* aWhy;
    } cases[] = {
        {StoredRow(L"video-media", L"Image", L""), "no media element"},
        {StoredRow(L"video-media", L"Image", L"<media-x>" + text + L"</media-x>"), "another name"},
        {StoredRow(L"video-media", L"Image", VideoMedia(L"/elsewhere/clip.mkv", L"1")),
         "no entry"},
        {StoredRow(L"video-media", L"Image", L"<media>/nowhere/gone.mkv</media>"), "offline"},
    };
    for (const auto& c : cases) {
        TAssertCapture noChecks;
        const std::unique_ptr<TZVStreamRow> row(Read(c.aXml, true));
        const auto* media = dynamic_cast<TZVMediaSourceRow*>(row.get());
        EXPECT_EQ(media->aMedia, nullptr) << c.aWhy;
        EXPECT_EQ(media->aRenderStream, nullptr) << c.aWhy;
        EXPECT_EQ(media->getLength(), 0.0);
        EXPECT_EQ(media->getRate(), 0.0);
    }
    EXPECT_EQ(aLibrary.Entry(aOffline).aLog, "attach detach ") << "an offline entry is left too";
    // Without a length there is no end to reach: the parent's sequences are kept whole.
    EXPECT_EQ(RangeText(Place(false, aOffline)->aSequenceList), "(0,100)");
    TZVAudioMediaSourceRow audio;
    EXPECT_EQ(audio.getLength(), 0.0);
    EXPECT_EQ(audio.getRate(), 1.0);
}

TEST_F(MediaSourceRows, ANewMediumLeavesTheOldEntryAndReplacesTheParameter) {
    TZVMediaSourceRow* row = Place(false, aClip);
    const std::string keys = KeyText(aRoot->aKeyList);
    const auto hasContext = [row] {
        for (const TZVWaveformBitmap& context : TZVWaveformBitmap::theContextList)
            if (NSAudioMediaRow::AsBaseRow(context.aAudioSource) == row)
                return true;
        return false;
    };
    TZVWaveformBitmap::DrawPixelRange(row, 0, 10);
    EXPECT_TRUE(hasContext());
    row->setMedia(aTone, false);
    EXPECT_FALSE(hasContext());
    EXPECT_EQ(aLibrary.Entry(aClip).aLog, "attach detach ");
    EXPECT_TRUE(aLibrary.Entry(aClip).aRows.empty());
    EXPECT_EQ(aLibrary.Entry(aTone).aRows.count(row), 1u);
    EXPECT_EQ(row->aName, L"tone");
    EXPECT_EQ(KeyText(aRoot->aKeyList), keys) << "the old parameter's keys are withdrawn";
    EXPECT_FALSE(static_cast<TZVAudioMediaSourceRow*>(row)->aIsStereo);
}

TEST_F(MediaSourceRows, SequencesTakenFromTheParentEndWhereTheMediumEnds) {
    // 25 frames a second: "Image" climbs one image a frame, "Seconds" 0.04 s a frame, both
    // reach clip.mkv's end (50 images, 2 s) 50 frames after they start.
    const struct {
        bool aVideo;
        const char* aParent;
        const char* aSequences;
        const char* aKeys;
    } cases[] = {
        {true, "(0,100)", "(0,50)", "0:1 50:1 "},
        {false, "(0,100)", "(0,50)", "0:1 50:1 "},
        {true, "(0,30)(40,100)(120,200)", "(0,30)(40,60)", "0:1 30:1 40:1 60:1 "},
        {true, "(0,20)", "(0,20)", "0:1 20:1 "},
    };
    for (const auto& c : cases) {
        const std::unique_ptr<TZVMixerRow> mixer(
            c.aVideo ? static_cast<TZVMixerRow*>(MakeRow<TZVMainVideoMixerRow>(L"V"))
                     : MakeRow<TZVSimpleAudioMixerRow>(L"A"));
        mixer->aSequenceList.clear();
        for (const char* range = c.aParent; *range; range = std::strchr(range, ')') + 1) {
            long begin = 0;
            long end = 0;
            std::sscanf(range, "(%ld,%ld)", &begin, &end);
            mixer->aSequenceList.push_back(TRange(begin, end));
        }
        TZVMediaSourceRow* row = TZVMediaSourceRow::CreateMediaSource(c.aVideo, aClip, nullptr);
        mixer->InsertSource(row, nullptr);
        EXPECT_EQ(RangeText(row->aSequenceList), c.aSequences) << c.aParent;
        EXPECT_EQ(KeyText(row->aKeyList), c.aKeys) << c.aParent;
    }
}

TEST_F(MediaSourceRows, AnExpressionReadFromTheFileKeepsTheParentsSequences) {
    const wxString text = aLibrary.Entry(aClip).Text();
    TZVStreamRow* row = Read(L"<source type=\"video-media\" name=\"clip\"><seq-list/>"
                             L"<param-list shown=\"0\"><param type=\"Standard\" name=\"Image\">"
                             L"<value>image * 2</value></param></param-list>"
                             L"<fltr-list shown=\"0\"/>" +
                                 VideoMedia(text) + L"</source>",
                             true);
    EXPECT_EQ(RangeText(row->aSequenceList), "(0,100)");
    EXPECT_EQ(FormulaText(*row), L"image * 2");
    EXPECT_EQ(row->aParamTab[0]->aTypeDef.aMax, TVariant(50.0));
}

TEST_F(MediaSourceRows, ALinkedRowFollowsTheOtherTrackWhateverTheLocale) {
    TZVMediaSourceRow* video = Place(true, aClip);
    TZVMediaSourceRow* audio = Place(false, aClip);
    const auto formulas = [&] {
        const std::unique_ptr<TZVMediaSourceRow> fromVideo(
            TZVMediaSourceRow::CreateMediaSource(false, aClip, video));
        const std::unique_ptr<TZVMediaSourceRow> fromAudio(
            TZVMediaSourceRow::CreateMediaSource(true, aClip, audio));
        return FormulaText(*fromVideo) + L"|" +
               FormulaText(*fromAudio);
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
