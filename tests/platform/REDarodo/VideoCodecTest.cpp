#include "REDarodo/VideoCodec.h"

#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

// Anything but a compressor the list has with a quality in -1..100 reads as the default
// configuration and reports false.
TEST(VideoCodec, TheCodecElementIsReadBackAndAnythingElseReadsAsTheDefault) {
    const std::shared_ptr<IZVVideoCodecList> list(IZVVideoCodecList::Create(),
                                                  IZVVideoCodecList::Destroy);
    TZVVideoCodecConfig config;
    config.init();
    auto read = [&](const wxXmlNode* pElement, const IZVVideoCodecList* pList) {
        config.aFourCC = 7;
        config.aQuality = 50;
        return config.Unserialize(pElement, pList, false);
    };
    config.aFourCC = TZVVideoCodecConfig::fourccPNG;
    config.aQuality = 80;
    wxXmlNode codec(wxXML_ELEMENT_NODE, L"codec");
    config.Serialize(&codec, false);
    EXPECT_EQ(XmlText(codec), L"<codec fourcc=\"541544016\" quality=\"80\"/>");
    EXPECT_TRUE(read(&codec, list.get()));
    EXPECT_EQ(std::make_pair(config.aFourCC, config.aQuality),
              std::make_pair(TZVVideoCodecConfig::fourccPNG, 80));
    const auto initial =
        std::make_pair(TZVVideoCodecConfig::fourccNONE, TZVVideoCodecConfig::qualityDEFAULT);
    for (const wchar_t* text :
         {L"<codec quality=\"5\"/>", L"<codec fourcc=\"0\"/>",
          L"<codec fourcc=\"7\" quality=\"5\"/>", // a compressor the list lacks
          L"<codec fourcc=\"12a\" quality=\"5\"/>", L"<codec fourcc=\"0\" quality=\"101\"/>",
          L"<codec fourcc=\"0\" quality=\"-2\"/>"}) {
        EXPECT_FALSE(read(std::unique_ptr<wxXmlNode>(ParseXml(text)).get(), list.get())) << text;
        EXPECT_EQ(std::make_pair(config.aFourCC, config.aQuality), initial) << text;
    }
    EXPECT_FALSE(read(&codec, nullptr));
    EXPECT_FALSE(read(nullptr, list.get()));
    config.free();
    IZVVideoCodecList::Destroy(nullptr);
}
