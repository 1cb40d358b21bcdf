#include "REDarodo/AudioCodec.h"

#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct TListDeleter {
    void operator()(const IZVAudioCodecList* pList) const { IZVAudioCodecList::Destroy(pList); }
};

} // namespace

TEST(AudioCodec, TheCodecWritesItsCodecElementAndTheListReadsItBack) {
    std::unique_ptr<IZVAudioCodecList, TListDeleter> list(IZVAudioCodecList::Create());
    TZVAudioCodec codec, read;
    codec.aId = TZVAudioCodec::codecFLOAT;
    wxXmlNode element(wxXML_ELEMENT_NODE, L"codec");
    codec.SerializeFormat(&element, 0);
    EXPECT_EQ(XmlText(element), L"<codec id=\"3\" format=\"0\"/>");
    int format = 9;
    EXPECT_TRUE(list->UnserializeFormat(&element, &read, &format));
    EXPECT_EQ(read.aId, TZVAudioCodec::codecFLOAT);
    EXPECT_EQ(format, 0);
    IZVAudioCodecList::Destroy(nullptr);
}

TEST(AudioCodec, UnknownContentReadsAsTheDefaultAndReportsFalse) {
    std::unique_ptr<IZVAudioCodecList, TListDeleter> list(IZVAudioCodecList::Create());
    for (const wchar_t* text :
         {L"<codec format=\"0\"/>", L"<codec id=\"3\"/>", L"<codec id=\"5\" format=\"0\"/>",
          L"<codec id=\"3\" format=\"1\"/>", L"<codec id=\"3\" format=\"-1\"/>",
          L"<codec id=\"x\" format=\"0\"/>"}) {
        std::unique_ptr<wxXmlNode> element(ParseXml(text));
        TZVAudioCodec codec;
        codec.aId = TZVAudioCodec::codecFLOAT;
        int format = 9;
        EXPECT_FALSE(list->UnserializeFormat(element.get(), &codec, &format)) << text;
        EXPECT_EQ(codec.aId, TZVAudioCodec::codecPCM) << text;
        EXPECT_EQ(format, 0) << text;
    }
    std::unique_ptr<wxXmlNode> good(ParseXml(L"<codec id=\"0\" format=\"0\"/>"));
    TZVAudioCodec codec;
    int format = 0;
    EXPECT_FALSE(list->UnserializeFormat(nullptr, &codec, &format));
    EXPECT_FALSE(list->UnserializeFormat(good.get(), nullptr, &format));
    EXPECT_FALSE(list->UnserializeFormat(good.get(), &codec, nullptr));
}
