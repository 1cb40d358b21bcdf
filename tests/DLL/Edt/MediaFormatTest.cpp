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
    std::vector<uint32_t> header = {0x950412de, 0, count, 28, 28 + 8 * count, 0, 0};
    std::string strings;
    std::vector<uint32_t> originals, translations;
    uint32_t offset = 28 + 16 * count;
    const auto add = [&](std::vector<uint32_t>& pTable, const std::string& pText) {
        pTable.push_back(uint32_t(pText.size()));
        pTable.push_back(offset + uint32_t(strings.size()));
        strings += pText;
        strings += '\0';
    };
    for (const auto& entry : pEntries)
        add(originals, entry.first);
    for (const auto& entry : pEntries)
        add(translations, entry.second);
    std::string data;
    for (const std::vector<uint32_t>* table : {&header, &originals, &translations})
        data.append(reinterpret_cast<const char*>(table->data()), table->size() * 4);
    data += strings;
    wxCharBuffer buffer(data.size());
    std::memcpy(buffer.data(), data.data(), data.size());
    return buffer;
}

class TMemoryLoader : public wxTranslationsLoader {
public:
    explicit TMemoryLoader(const wxCharBuffer& pData) : aData(pData) {}
    wxMsgCatalog* LoadCatalog(const wxString& pDomain, const wxString& pLanguage) override {
        return pLanguage == L"fr" ? wxMsgCatalog::CreateFromData(aData, pDomain) : nullptr;
    }
    wxArrayString GetAvailableTranslations(const wxString&) const override {
        wxArrayString languages;
        languages.Add(L"fr");
        return languages;
    }

private:
    wxCharBuffer aData;
};

// Installs a French catalogue for the test's lifetime.
class TFrenchCatalogue {
public:
    explicit TFrenchCatalogue(const wxCharBuffer& pData) {
        wxTranslations* translations = new wxTranslations;
        translations->SetLoader(new TMemoryLoader(pData));
        translations->SetLanguage(L"fr");
        translations->AddCatalog(L"zv");
        wxTranslations::Set(translations);
    }
    ~TFrenchCatalogue() { wxTranslations::Set(nullptr); }
};

} // namespace

TEST(MediaFormat, WhatIsWrittenReadsBackToTheSameFormatAndTheSameXml) {
    TMediaFormat format;
    EXPECT_FALSE(format.KnowRateUndo() || format.KnowTgleUndo());
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
    EXPECT_EQ(read.aDuration, -5);
    EXPECT_FALSE(read.aHasVideo);
    EXPECT_TRUE(read.aHasAudio);
    EXPECT_EQ(read.aAudioFormat.aSamplesPerSec, 4294967291u);
    EXPECT_EQ(read.aAudioFormat.aBlockAlign, 1);
    EXPECT_EQ(read.aAudioFormat.aAvgBytesPerSec, 4294967291u);
    EXPECT_EQ(read.aVideoCodec.aFourCC, TZVVideoCodecConfig::fourccPNG);
    EXPECT_EQ(read.aAudioCodec.aId, TZVAudioCodec::codecFLOAT);
}

TEST(MediaFormat, AudioValuesAreDerivedFromChannelsBitsAndRate) {
    struct TCase {
        const wchar_t* aAttributes;
        unsigned aChannels, aAlign, aBytesPerSecond;
    } cases[] = {
        {L"rate=\"44100\" channel=\"1\" bits=\"16\"", 1, 2, 88200},
        {L"rate=\"8000\" channel=\"1\" bits=\"8\"", 1, 1, 8000},
        {L"rate=\"48000\" channel=\"2\" bits=\"24\"", 2, 2, 96000}, // not 6
        {L"rate=\"10\" channel=\"65537\" bits=\"16\"", 1, 2, 20},   // the low 16 bits
        {L"rate=\"2147483647\" channel=\"2\" bits=\"16\"", 2, 4, 4294967292u},
        {L"rate=\"0\" channel=\"0\" bits=\"0\"", 0, 0, 0},
    };
    for (const TCase& c : cases) {
        TMediaFormat format;
        const wxString audio = wxString(L"<audio ") + c.aAttributes +
                               L" tag=\"1\"><codec id=\"0\" format=\"0\"/></audio>";
        ASSERT_EQ(Read(format, Format(VIDEO + audio)), L"") << c.aAttributes;
        EXPECT_EQ(format.aAudioFormat.aChannels, c.aChannels) << c.aAttributes;
        EXPECT_EQ(format.aAudioFormat.aBlockAlign, c.aAlign) << c.aAttributes;
        EXPECT_EQ(format.aAudioFormat.aAvgBytesPerSec, c.aBytesPerSecond) << c.aAttributes;
    }

    TMediaFormat format;
    format.SetIsStereo(false);
    EXPECT_EQ(format.aAudioFormat.aChannels, 1);
    EXPECT_EQ(format.aAudioFormat.aBlockAlign, 2);
    EXPECT_EQ(format.aAudioFormat.aAvgBytesPerSec, 44100u);
    format.aAudioFormat.aBitsPerSample = 8;
    format.SetIsStereo(true);
    EXPECT_EQ(format.aAudioFormat.aChannels, 2);
    EXPECT_EQ(format.aAudioFormat.aBlockAlign, 2);
    EXPECT_EQ(format.aAudioFormat.aAvgBytesPerSec, 44100u);
}

// Later parts are left out of each text so that it fails where it says; where a text has
// two faults the earlier check wins.
TEST(MediaFormat, EachMissingPartIsRefusedWithItsOwnMessageInReadingOrder) {
    const wxString video = VIDEO, audio = AUDIO;
    const wxString codec = L"<codec fourcc=\"0\" quality=\"-1\"/>";
    struct TCase {
        wxString aText, aMessage;
    } cases[] = {
        {L"<Format duration=\"7\">" + video + audio + L"</Format>", L"Format node is not found"},
        {Format(video + audio, L""), L"The format duration is missing"},
        {Format(video + audio, L" duration=\"12a\""), L"The format duration is missing"},
        {Format(video + audio, L" duration=\"2147483648\""), L"The format duration is missing"},
        {Format(L"<audio/>", L""), L"The format duration is missing"},
        {Format(L""), L"The Video format is missing"},
        {Format(audio + video), L"The Video format is missing"},
        {Format(L"<!--v-->" + video + audio), L"The Video format is missing"},
        {Format(L"<video height=\"2\" rate=\"3\">" + codec + L"</video>" + audio),
         L"The Video Stream Width is missing"},
        {Format(L"<video height=\"2\" rate=\"3\"/>"), L"The Video Stream Width is missing"},
        {Format(L"<video width=\"1\" rate=\"3\">" + codec + L"</video>" + audio),
         L"The Video Stream Height is missing"},
        {Format(L"<video width=\"1\" height=\"2\" rate=\"x\">" + codec + L"</video>" + audio),
         L"The Video Stream Rate is missing"},
        {Format(L"<video width=\"1\" height=\"2\" rate=\"3\"/>" + audio),
         L"The format video codec is missing"},
        {Format(L"<video width=\"1\" height=\"2\" rate=\"3\"><x/>" + codec + L"</video>"),
         L"The format video codec is missing"},
        {Format(video), L"The Audio format is missing"},
        {Format(video + video + audio), L"The Audio format is missing"},
        {Format(video + L"<audio channel=\"1\" bits=\"8\" tag=\"1\"/>"),
         L"The Audio Stream Rate is missing"},
        {Format(video + L"<audio rate=\"4\" bits=\"8\" tag=\"1\"/>"),
         L"The number of audio channels is missing"},
        {Format(video + L"<audio rate=\"4\" channel=\"1\" tag=\"1\"/>"),
         L"The number of bits for audio is missing"},
        {Format(video + L"<audio rate=\"4\" channel=\"1\" bits=\"8\" tag=\"\"/>"),
         L"The Audio type (Audio Tag) is missing"},
        {Format(video + L"<audio rate=\"4\" channel=\"1\" bits=\"8\" tag=\"1\">text</audio>"),
         L"The Audio codec is missing"},
        {Format(L"<video disabled=\"\" width=\"1\" height=\"2\" rate=\"3\">" + codec +
                L"</video><audio disabled=\"\" rate=\"4\" channel=\"1\" bits=\"8\" tag=\"1\"/>"),
         L"The Audio codec is missing"},
    };
    for (const TCase& c : cases) {
        TMediaFormat format;
        EXPECT_EQ(Read(format, c.aText), c.aMessage) << c.aText;
    }
    TMediaFormat format;
    EXPECT_THROW(format.ValueFromXml(nullptr), TError);
}

TEST(MediaFormat, WhatWasReadBeforeAFailureStays) {
    TMediaFormat format;
    EXPECT_EQ(Read(format, Format(L"<video disabled=\"\" width=\"11\" height=\"12\" rate=\"13\">"
                                  L"<codec fourcc=\"541544016\" quality=\"5\"/></video>"
                                  L"<audio rate=\"8000\" channel=\"1\" tag=\"3\"/>")),
              L"The number of bits for audio is missing");
    EXPECT_EQ(format.aDuration, 7);
    EXPECT_FALSE(format.aHasVideo);
    EXPECT_EQ(format.aWidth, 11);
    EXPECT_EQ(format.aHeight, 12);
    EXPECT_EQ(format.aRate, 13);
    EXPECT_EQ(format.aVideoCodec.aFourCC, TZVVideoCodecConfig::fourccPNG);
    EXPECT_EQ(format.aAudioFormat.aSamplesPerSec, 8000u);
    EXPECT_EQ(format.aAudioFormat.aChannels, 1);
    // Not reached: the tag and the derived values keep their former values.
    EXPECT_EQ(format.aAudioFormat.aFormatTag, 1);
    EXPECT_EQ(format.aAudioFormat.aBlockAlign, 4);
    EXPECT_EQ(format.aAudioFormat.aAvgBytesPerSec, 88200u);
}

TEST(MediaFormat, AFormatWithBothStreamsDisabledIsReadInFullThenRefused) {
    TMediaFormat format;
    // "disabled" with any value disables.
    EXPECT_EQ(Read(format, Format(L"<video disabled=\"0\" width=\"11\" height=\"12\" rate=\"13\">"
                                  L"<codec fourcc=\"541544016\" quality=\"5\"/></video>"
                                  L"<audio disabled=\"no\" rate=\"8000\" channel=\"1\" bits=\"8\" "
                                  L"tag=\"3\"><codec id=\"3\" format=\"0\"/></audio>")),
              L"The format is empty");
    EXPECT_FALSE(format.aHasVideo);
    EXPECT_FALSE(format.aHasAudio);
    EXPECT_EQ(format.aAudioFormat.aFormatTag, 3);
    EXPECT_EQ(format.aAudioFormat.aAvgBytesPerSec, 8000u);
    EXPECT_EQ(format.aVideoCodec.aQuality, 5);
    EXPECT_EQ(format.aAudioCodec.aId, TZVAudioCodec::codecFLOAT);
}

TEST(MediaFormat, OnlyTheMissingAudioFormatMessageIsTranslated) {
    ASSERT_EQ(wxTranslations::Get(), nullptr);
    TFrenchCatalogue french(MoCatalog({
        {"", "Content-Type: text/plain; charset=UTF-8\n"},
        {"The Audio format is missing", "Le format audio manque"},
        {"The Video format is missing", "Le format video manque"},
    }));
    TMediaFormat format;
    EXPECT_EQ(Read(format, Format(VIDEO)), L"Le format audio manque");
    EXPECT_EQ(Read(format, Format(L"")), L"The Video format is missing");
}

TEST(MediaFormat, ScaleDurationRoundsTiesToEvenAndStaysIn32Bits) {
    struct TCase {
        long aDuration, aNumerator, aDenominator, aAfter;
    } cases[] = {
        {100, 30000, 25000, 120},
        {5, 1, 2, 2},
        {7, 1, 2, 4},
        {-5, 1, 2, -2},
        {100, 1, 0, 100},                                 // no denominator: unchanged
        {1073741823, 2147483647, 2147483646, 1073741824}, // exactly x.5, a 61-bit product
        {2147483647, 2147483647, 2147483647, 2147483647},
        {2147483647, 2, 1, 2147483647},
        {-2147483648L, 2, 1, -2147483648L},
        {2147483647, -1, 1, -2147483647},
        {-2147483648L, -1, 1, 2147483647},
    };
    for (const TCase& c : cases) {
        TMediaFormat format;
        format.SetDuration(c.aDuration);
        format.ScaleDuration(c.aNumerator, c.aDenominator);
        EXPECT_EQ(format.aDuration, c.aAfter)
            << c.aDuration << " x " << c.aNumerator << " / " << c.aDenominator;
    }
}

TEST(MediaFormat, ResetRestoresEverythingAndLowerResetLeavesTheCodecs) {
    const auto edit = [](TMediaFormat& pFormat) {
        ASSERT_EQ(Read(pFormat, Format(L"<video disabled=\"\" width=\"11\" height=\"12\" "
                                       L"rate=\"13\"><codec fourcc=\"541544016\" quality=\"5\"/>"
                                       L"</video><audio rate=\"8000\" channel=\"1\" bits=\"8\" "
                                       L"tag=\"3\"><codec id=\"3\" format=\"0\"/></audio>")),
                  L"");
    };
    TMediaFormat format;
    EXPECT_EQ(Written(format), DEFAULT_XML);
    edit(format);
    format.Reset();
    EXPECT_EQ(Written(format), DEFAULT_XML);
    EXPECT_EQ(format.aAudioFormat.aAvgBytesPerSec, 88200u);
    EXPECT_EQ(format.aAudioFormat.aBlockAlign, 4);

    edit(format);
    format.aAudioCodecFormat = 3;
    format.reset();
    EXPECT_EQ(format.aAudioCodecFormat, 0);
    EXPECT_EQ(Written(format), L"<format duration=\"100\">"
                               L"<video width=\"320\" height=\"240\" rate=\"25000\">"
                               L"<codec fourcc=\"541544016\" quality=\"5\"/></video>"
                               L"<audio rate=\"22050\" channel=\"2\" bits=\"16\" tag=\"1\">"
                               L"<codec id=\"3\" format=\"0\"/></audio></format>");
    EXPECT_EQ(format.aAudioFormat.aAvgBytesPerSec, 88200u);
}

TEST(MediaFormat, CodecListsAreMadeOnFirstUseAndFreedTogether) {
    TMediaFormat::FreeAll();
    EXPECT_EQ(TMediaFormat::theAudioCodecList, nullptr);
    EXPECT_EQ(TMediaFormat::theVideoCodecList, nullptr);
    TMediaFormat::FreeAll(); // nothing to free: both Destroy calls take null

    IZVAudioCodecList* audio = TMediaFormat::GetAudioCodecList();
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(TMediaFormat::theAudioCodecList, audio);
    EXPECT_EQ(TMediaFormat::GetAudioCodecList(), audio);
    EXPECT_EQ(TMediaFormat::theVideoCodecList, nullptr);
    TMediaFormat::FreeAll();
    EXPECT_EQ(TMediaFormat::theAudioCodecList, nullptr);

    TMediaFormat format;
    ASSERT_EQ(Read(format, DEFAULT_XML), L"");
    EXPECT_NE(TMediaFormat::theVideoCodecList, nullptr);
    EXPECT_NE(TMediaFormat::theAudioCodecList, nullptr);
    EXPECT_EQ(TMediaFormat::GetVideoCodecList(), TMediaFormat::theVideoCodecList);
    TMediaFormat::FreeAll();
    EXPECT_EQ(TMediaFormat::theVideoCodecList, nullptr);
}
