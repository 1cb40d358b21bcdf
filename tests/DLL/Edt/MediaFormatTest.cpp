#include "DLL/Edt/MediaFormat.h"

#include "ALL/Error.h"
#include "support/XmlText.h"

#include <wx/translation.h>
#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

const wchar_t DEFAULT_XML[] = L"<format duration=\"100\">"
                              L"<video width=\"320\" height=\"240\" rate=\"25000\">"
                              L"<codec fourcc=\"0\" quality=\"-1\"/></video>"
                              L"<audio rate=\"22050\" channel=\"2\" bits=\"16\" tag=\"1\">"
                              L"<codec id=\"0\" format=\"0\"/></audio></format>";
const wchar_t VIDEO[] =
    L"<video width=\"1\" height=\"2\" rate=\"3\"><codec fourcc=\"0\" quality=\"-1\"/></video>";
const wchar_t AUDIO[] =
    L"<audio rate=\"4\" channel=\"1\" bits=\"8\" tag=\"1\"><codec id=\"0\" format=\"0\"/></audio>";
// Both streams edited: video disabled, audio mono 8 bits, both codecs set.
const wchar_t EDITED[] = L"<video disabled=\"\" width=\"11\" height=\"12\" rate=\"13\">"
                         L"<codec fourcc=\"541544016\" quality=\"5\"/></video>"
                         L"<audio rate=\"8000\" channel=\"1\" bits=\"8\" tag=\"3\">"
                         L"<codec id=\"3\" format=\"0\"/></audio>";

// "format" with the given content.
wxString Format(const wxString& pContent, const wxString& pAttributes = L" duration=\"7\"") {
    return L"<format" + pAttributes + L">" + pContent + L"</format>";
}

wxString Written(const TMediaFormat& pFormat) {
    std::unique_ptr<wxXmlNode> image(pFormat.GetXmlImage());
    return XmlText(*image);
}

// Reads pText into pFormat; the message thrown, or the empty text.
wxString Read(TMediaFormat& pFormat, const wxString& pText) {
    std::unique_ptr<wxXmlNode> node(ParseXml(pText));
    try {
        pFormat.ValueFromXml(node.get());
    } catch (const TError& error) {
        return error;
    }
    return wxString();
}

// A gettext catalogue in memory: pEntries sorted by original text, the header entry first.
wxCharBuffer MoCatalog(const std::vector<std::pair<std::string, std::string>>& pEntries) {
    const uint32_t count = uint32_t(pEntries.size());
    std::vector<uint32_t> tables = {0x950412de, 0, count, 28, 28 + 8 * count, 0, 0};
    std::string strings;
    for (int translated = 0; translated < 2; ++translated)
        for (const auto& entry : pEntries) {
            const std::string& text = translated ? entry.second : entry.first;
            tables.push_back(uint32_t(text.size()));
            tables.push_back(uint32_t(28 + 16 * count + strings.size()));
            strings += text + '\0';
        }
    const std::string data =
        std::string(reinterpret_cast<const char*>(tables.data()), tables.size() * 4) + strings;
    wxCharBuffer buffer(data.size());
    std::memcpy(buffer.data(), data.data(), data.size());
    return buffer;
}

class TFrenchLoader : public wxTranslationsLoader {
public:
    explicit TFrenchLoader(const wxCharBuffer& pData) : aData(pData) {}
    wxMsgCatalog* LoadCatalog(const wxString& pDomain, const wxString&) override {
        return wxMsgCatalog::CreateFromData(aData, pDomain);
    }
    wxArrayString GetAvailableTranslations(const wxString&) const override {
        wxArrayString languages;
        languages.Add(L"fr");
        return languages;
    }

private:
    wxCharBuffer aData;
};

} // namespace

TEST(MediaFormat, WhatIsWrittenReadsBackToTheSameFormatAndTheSameXml) {
    TMediaFormat format;
    EXPECT_EQ(Written(format), DEFAULT_XML);
    format.SetDuration(LONG_MAX); // limited to the 32-bit field
    EXPECT_EQ(format.aDuration, INT32_MAX);
    format.SetDuration(-5);
    EXPECT_TRUE(format.SetHasVideo(false));
    format.SetWidth(720);
    format.SetHeight(576);
    format.SetRate(29970);
    format.aVideoCodec.aFourCC = TZVVideoCodecConfig::fourccPNG;
    format.aVideoCodec.aQuality = 90;
    format.aAudioFormat.aSamplesPerSec = 4294967291u; // written as -5, read back the same
    format.aAudioFormat.aBitsPerSample = 24;
    format.aAudioFormat.aFormatTag = 65535;
    format.SetIsStereo(false);
    format.aAudioCodec.aId = TZVAudioCodec::codecFLOAT;
    const wxString written = Written(format);
    EXPECT_EQ(written, L"<format duration=\"-5\">"
                       L"<video disabled=\"\" width=\"720\" height=\"576\" rate=\"29970\">"
                       L"<codec fourcc=\"541544016\" quality=\"90\"/></video>"
                       L"<audio rate=\"-5\" channel=\"1\" bits=\"24\" tag=\"65535\">"
                       L"<codec id=\"3\" format=\"0\"/></audio></format>");
    TMediaFormat read;
    EXPECT_EQ(Read(read, written), L"");
    EXPECT_EQ(Written(read), written);
    EXPECT_EQ(read.aAudioFormat.aBlockAlign, 1);
    EXPECT_EQ(read.aAudioFormat.aAvgBytesPerSec, 4294967291u);
}

// Channels, block alignment and bytes per second: 24 bits align as 16 would not (2, not 6), and
// the channel count keeps its low 16 bits.
TEST(MediaFormat, AudioValuesAreDerivedFromChannelsBitsAndRate) {
    auto derived = [](const TWaveFormat& p) {
        return std::to_string(p.aChannels) + " " + std::to_string(p.aBlockAlign) + " " +
               std::to_string(p.aAvgBytesPerSec) + ", ";
    };
    std::string values;
    for (const wchar_t* attributes :
         {L"rate=\"44100\" channel=\"1\" bits=\"16\"", L"rate=\"8000\" channel=\"1\" bits=\"8\"",
          L"rate=\"48000\" channel=\"2\" bits=\"24\"", L"rate=\"10\" channel=\"65537\" bits=\"16\"",
          L"rate=\"2147483647\" channel=\"2\" bits=\"16\""}) {
        TMediaFormat format;
        wxString audio = AUDIO;
        audio.Replace(L"rate=\"4\" channel=\"1\" bits=\"8\"", attributes);
        EXPECT_EQ(Read(format, Format(VIDEO + audio)), L"") << attributes;
        values += derived(format.aAudioFormat);
    }
    TMediaFormat format;
    format.SetIsStereo(false);
    values += derived(format.aAudioFormat);
    format.aAudioFormat.aBitsPerSample = 8;
    format.SetIsStereo(true);
    values += derived(format.aAudioFormat);
    EXPECT_EQ(values, "1 2 88200, 1 1 8000, 2 2 96000, 1 2 20, 2 4 4294967292, 1 2 44100, "
                      "2 2 44100, ");
}

// Each case spoils a valid text (or replaces it whole) so that it fails where it says; where
// a text has two faults the earlier check wins. Which numbers read is the attribute reader's
// business.
TEST(MediaFormat, EachMissingPartIsRefusedWithItsOwnMessageInReadingOrder) {
    const wxString video = VIDEO, audio = AUDIO;
    struct TCase {
        wxString aFrom, aTo, aMessage;
    } cases[] = {
        {L"", L"<Format duration=\"7\">" + video + audio + L"</Format>",
         L"Format node is not found"},
        {L" duration=\"7\"", L"", L"The format duration is missing"},
        {video, L"", L"The Video format is missing"},
        {L"", Format(audio + video), L"The Video format is missing"},
        {L"<video", L"<!--v--><video", L"The Video format is missing"},
        {L" width=\"1\"", L"", L"The Video Stream Width is missing"},
        {L" height=\"2\"", L"", L"The Video Stream Height is missing"},
        {L"rate=\"3\"", L"rate=\"x\"", L"The Video Stream Rate is missing"},
        {L"<codec fourcc", L"<x/><codec fourcc", L"The format video codec is missing"},
        {audio, L"", L"The Audio format is missing"},
        {L"<audio", video + L"<audio", L"The Audio format is missing"},
        {L" rate=\"4\"", L"", L"The Audio Stream Rate is missing"},
        {L" channel=\"1\"", L"", L"The number of audio channels is missing"},
        {L" bits=\"8\"", L"", L"The number of bits for audio is missing"},
        {L"tag=\"1\"", L"tag=\"\"", L"The Audio type (Audio Tag) is missing"},
        {L"<codec id", L"text<codec id", L"The Audio codec is missing"},
    };
    for (const TCase& c : cases) {
        wxString text = Format(video + audio);
        if (c.aFrom.empty())
            text = c.aTo;
        else
            EXPECT_EQ(text.Replace(c.aFrom, c.aTo), 1u) << c.aFrom;
        TMediaFormat format;
        EXPECT_EQ(Read(format, text), c.aMessage) << text;
    }
    TMediaFormat format;
    EXPECT_THROW(format.ValueFromXml(nullptr), TError);
}

// What was read stays; the tag and the derived values, not reached, keep their values.
TEST(MediaFormat, WhatWasReadBeforeAFailureStays) {
    TMediaFormat format;
    wxString edited = EDITED;
    edited.Replace(L" bits=\"8\"", L"");
    EXPECT_EQ(Read(format, Format(edited)), L"The number of bits for audio is missing");
    EXPECT_EQ(Written(format), L"<format duration=\"7\">"
                               L"<video disabled=\"\" width=\"11\" height=\"12\" rate=\"13\">"
                               L"<codec fourcc=\"541544016\" quality=\"5\"/></video>"
                               L"<audio rate=\"8000\" channel=\"1\" bits=\"16\" tag=\"1\">"
                               L"<codec id=\"0\" format=\"0\"/></audio></format>");
    EXPECT_EQ(format.aAudioFormat.aBlockAlign, 4);
    EXPECT_EQ(format.aAudioFormat.aAvgBytesPerSec, 88200u);

    // "disabled" with any value disables; with both streams disabled all is read, then refused.
    wxString disabled = EDITED;
    disabled.Replace(L"disabled=\"\"", L"disabled=\"0\"");
    disabled.Replace(L"<audio ", L"<audio disabled=\"no\" ");
    EXPECT_EQ(Read(format, Format(disabled)), L"The format is empty");
    EXPECT_FALSE(format.aHasVideo);
    EXPECT_FALSE(format.aHasAudio);
    EXPECT_EQ(format.aAudioFormat.aFormatTag, 3);
    EXPECT_EQ(format.aAudioFormat.aAvgBytesPerSec, 8000u);
    EXPECT_EQ(format.aAudioCodec.aId, TZVAudioCodec::codecFLOAT);
}

TEST(MediaFormat, OnlyTheMissingAudioFormatMessageIsTranslated) {
    ASSERT_EQ(wxTranslations::Get(), nullptr);
    wxTranslations* translations = new wxTranslations;
    translations->SetLoader(new TFrenchLoader(MoCatalog({
        {"", "Content-Type: text/plain; charset=UTF-8\n"},
        {"The Audio format is missing", "Le format audio manque"},
        {"The Video format is missing", "Le format video manque"},
    })));
    translations->SetLanguage(L"fr");
    translations->AddCatalog(L"zv");
    wxTranslations::Set(translations);
    TMediaFormat format;
    EXPECT_EQ(Read(format, Format(VIDEO)), L"Le format audio manque");
    EXPECT_EQ(Read(format, Format(L"")), L"The Video format is missing");
    wxTranslations::Set(nullptr);
}

// Without a denominator nothing changes; 1073741823 x 2147483647 / 2147483646 is exactly x.5, a
// 61-bit product.
TEST(MediaFormat, ScaleDurationRoundsTiesToEvenAndStaysIn32Bits) {
    const long cases[][3] = {{100, 30000, 25000}, {5, 1, 2},
                             {7, 1, 2},           {-5, 1, 2},
                             {100, 1, 0},         {1073741823, 2147483647, 2147483646},
                             {2147483647, 2, 1},  {-2147483648L, -1, 1}};
    std::string durations;
    for (const auto& [duration, numerator, denominator] : cases) {
        TMediaFormat format;
        format.SetDuration(duration);
        format.ScaleDuration(numerator, denominator);
        durations += std::to_string(format.aDuration) + " ";
    }
    EXPECT_EQ(durations, "120 2 4 -2 100 1073741824 2147483647 2147483647 ");
}

TEST(MediaFormat, ResetRestoresEverythingAndLowerResetLeavesTheCodecs) {
    TMediaFormat format;
    ASSERT_EQ(Read(format, Format(EDITED)), L"");
    format.Reset();
    EXPECT_EQ(Written(format), DEFAULT_XML);
    EXPECT_EQ(format.aAudioFormat.aAvgBytesPerSec, 88200u);
    EXPECT_EQ(format.aAudioFormat.aBlockAlign, 4);

    ASSERT_EQ(Read(format, Format(EDITED)), L"");
    format.aAudioCodecFormat = 3;
    format.reset();
    EXPECT_EQ(format.aAudioCodecFormat, 0);
    wxString expected = DEFAULT_XML;
    expected.Replace(L"fourcc=\"0\" quality=\"-1\"", L"fourcc=\"541544016\" quality=\"5\"");
    expected.Replace(L"id=\"0\"", L"id=\"3\"");
    EXPECT_EQ(Written(format), expected);
    EXPECT_EQ(format.aAudioFormat.aAvgBytesPerSec, 88200u);
}

TEST(MediaFormat, CodecListsAreMadeOnFirstUseAndFreedTogether) {
    TMediaFormat::FreeAll();
    IZVAudioCodecList* audio = TMediaFormat::GetAudioCodecList();
    EXPECT_EQ(TMediaFormat::GetAudioCodecList(), audio);
    TMediaFormat format;
    ASSERT_EQ(Read(format, DEFAULT_XML), L"");
    EXPECT_EQ(TMediaFormat::GetVideoCodecList(), TMediaFormat::theVideoCodecList);
    TMediaFormat::FreeAll();
    TMediaFormat::FreeAll(); // nothing to free: both Destroy calls take null
    EXPECT_EQ(TMediaFormat::theAudioCodecList, nullptr);
    EXPECT_EQ(TMediaFormat::theVideoCodecList, nullptr);
}
