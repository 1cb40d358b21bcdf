#include "REDarodo/VideoCodec.h"

#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct TListDeleter {
    void operator()(const IZVVideoCodecList* pList) const { IZVVideoCodecList::Destroy(pList); }
};

} // namespace

TEST(VideoCodec, AConfigurationWritesItsCodecElementAndReadsItBack) {
    std::unique_ptr<IZVVideoCodecList, TListDeleter> list(IZVVideoCodecList::Create());
    TZVVideoCodecConfig config;
    config.init();
    config.aFourCC = TZVVideoCodecConfig::fourccPNG;
    config.aQuality = 80;
    wxXmlNode codec(wxXML_ELEMENT_NODE, L"codec");
    config.Serialize(&codec, false);
    EXPECT_EQ(XmlText(codec), L"<codec fourcc=\"541544016\" quality=\"80\"/>");
    TZVVideoCodecConfig read;
    read.init();
    EXPECT_TRUE(read.Unserialize(&codec, list.get(), false));
    EXPECT_EQ(read.aFourCC, TZVVideoCodecConfig::fourccPNG);
    EXPECT_EQ(read.aQuality, 80);
    read.free();
    IZVVideoCodecList::Destroy(nullptr);
}

TEST(VideoCodec, UnknownContentReadsAsTheDefaultAndReportsFalse) {
    std::unique_ptr<IZVVideoCodecList, TListDeleter> list(IZVVideoCodecList::Create());
    for (const wchar_t* text :
         {L"<codec quality=\"5\"/>", L"<codec fourcc=\"0\"/>",
          L"<codec fourcc=\"7\" quality=\"5\"/>", // a compressor the list lacks
          L"<codec fourcc=\"12a\" quality=\"5\"/>", L"<codec fourcc=\" 0\" quality=\"5\"/>",
          L"<codec fourcc=\"+0\" quality=\"5\"/>", L"<codec fourcc=\"-1\" quality=\"5\"/>",
          L"<codec fourcc=\"0\" quality=\"101\"/>", L"<codec fourcc=\"0\" quality=\"-2\"/>"}) {
        std::unique_ptr<wxXmlNode> codec(ParseXml(text));
        TZVVideoCodecConfig config;
        config.aFourCC = TZVVideoCodecConfig::fourccPNG;
        config.aQuality = 50;
        EXPECT_FALSE(config.Unserialize(codec.get(), list.get(), false)) << text;
        EXPECT_EQ(config.aFourCC, TZVVideoCodecConfig::fourccNONE) << text;
        EXPECT_EQ(config.aQuality, TZVVideoCodecConfig::qualityDEFAULT) << text;
    }
    std::unique_ptr<wxXmlNode> good(ParseXml(L"<codec fourcc=\"0\" quality=\"5\"/>"));
    TZVVideoCodecConfig config;
    EXPECT_FALSE(config.Unserialize(good.get(), nullptr, false));
    EXPECT_FALSE(config.Unserialize(nullptr, list.get(), false));
}
