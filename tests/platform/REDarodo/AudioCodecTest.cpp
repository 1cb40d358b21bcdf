#include "REDarodo/AudioCodec.h"

#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

// Anything but a codec the list has with a format it offers reads as codec 0, format 0 and
// reports false.
TEST(AudioCodec, TheCodecElementIsReadBackAndAnythingElseReadsAsTheDefault) {
    const std::shared_ptr<IZVAudioCodecList> list(IZVAudioCodecList::Create(),
                                                  IZVAudioCodecList::Destroy);
    TZVAudioCodec codec;
    int format = 9;
    auto read = [&](const wxXmlNode* pElement) {
        codec.aId = 9;
        format = 9;
        return list->UnserializeFormat(pElement, &codec, &format);
    };
    codec.aId = TZVAudioCodec::codecFLOAT;
    wxXmlNode element(wxXML_ELEMENT_NODE, L"codec");
    codec.SerializeFormat(&element, 0);
    EXPECT_EQ(XmlText(element), L"<codec id=\"3\" format=\"0\"/>");
    EXPECT_TRUE(read(&element));
    EXPECT_EQ(std::make_pair(codec.aId, format), std::make_pair(TZVAudioCodec::codecFLOAT, 0));
    for (const wchar_t* text :
         {L"<codec format=\"0\"/>", L"<codec id=\"3\"/>", L"<codec id=\"5\" format=\"0\"/>",
          L"<codec id=\"3\" format=\"1\"/>", L"<codec id=\"x\" format=\"0\"/>"}) {
        EXPECT_FALSE(read(std::unique_ptr<wxXmlNode>(ParseXml(text)).get())) << text;
        EXPECT_EQ(std::make_pair(codec.aId, format), std::make_pair(0u, 0)) << text;
    }
    EXPECT_FALSE(read(nullptr));
    EXPECT_FALSE(list->UnserializeFormat(&element, nullptr, &format));
    EXPECT_FALSE(list->UnserializeFormat(&element, &codec, nullptr));
    IZVAudioCodecList::Destroy(nullptr);
}
