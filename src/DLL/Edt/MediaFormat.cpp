#include "DLL/Edt/MediaFormat.h"

#include "ALL/Error.h"
#include "ALL/Number.h"
#include "ALL/XmlTree.h"

#include <wx/intl.h>
#include <wx/xml/xml.h>

#include <algorithm>

IZVAudioCodecList* TMediaFormat::theAudioCodecList = nullptr;
IZVVideoCodecList* TMediaFormat::theVideoCodecList = nullptr;

namespace {

// pNode when it is an element named pName, else null.
const wxXmlNode* ElementNamed(const wxXmlNode* pNode, const wchar_t* pName) {
    return pNode && pNode->GetType() == wxXML_ELEMENT_NODE && pNode->GetName() == pName ? pNode
                                                                                        : nullptr;
}

// The 32-bit decimal attribute pName; throws pMissing when it is absent or not a number.
long ReadNumber(const wxXmlNode* pNode, const wchar_t* pName, const wchar_t* pMissing) {
    long value = 0;
    if (!GetXmlLongAttribute(pNode, pName, value))
        throw TError(pMissing);
    return value;
}

void AddNumber(wxXmlNode* pNode, const wchar_t* pName, long pValue) {
    pNode->AddAttribute(pName, FormatLong(pValue));
}

// A new empty element pName, last child of pParent when there is one.
wxXmlNode* AddElement(wxXmlNode* pParent, const wchar_t* pName) {
    wxXmlNode* element = new wxXmlNode(wxXML_ELEMENT_NODE, pName);
    if (pParent)
        NSXml::AppendChild(pParent, element);
    return element;
}

} // namespace

TMediaFormat::TMediaFormat() : aAudioFormat(), aAudioCodecFormat(0) {
    aVideoCodec.init();
    reset();
}

TMediaFormat::~TMediaFormat() {
    aVideoCodec.free();
}

void TMediaFormat::SetDuration(long pDuration) {
    aDuration = SaturateToInt(pDuration);
}

bool TMediaFormat::SetHasVideo(bool pHasVideo) {
    aHasVideo = pHasVideo;
    return true;
}

void TMediaFormat::SetWidth(long pWidth) {
    aWidth = SaturateToInt(pWidth);
}

void TMediaFormat::SetHeight(long pHeight) {
    aHeight = SaturateToInt(pHeight);
}

bool TMediaFormat::SetHasAudio(bool pHasAudio) {
    aHasAudio = pHasAudio;
    return true;
}

void TMediaFormat::SetRate(long pRate) {
    aRate = SaturateToInt(pRate);
}

bool TMediaFormat::KnowRateUndo() const {
    return false;
}

bool TMediaFormat::KnowTgleUndo() const {
    return false;
}

void TMediaFormat::ScaleDuration(long pNumerator, long pDenominator) {
    if (pDenominator == 0)
        return;
    // The product of two 32-bit values is exact in extended precision; the quotient is then
    // held as a double before rounding, as in the 32-bit build.
    const double quotient = double(static_cast<long double>(aDuration) * pNumerator / pDenominator);
    if (quotient > 2147483647.0)
        aDuration = INT32_MAX;
    else if (quotient < -2147483648.0)
        aDuration = INT32_MIN;
    else
        aDuration = RoundToInt(quotient, roundNEAREST);
}

void TMediaFormat::ValueFromXml(const wxXmlNode* pNode) {
    if (!ElementNamed(pNode, L"format"))
        throw TError(L"Format node is not found");
    aDuration = int32_t(ReadNumber(pNode, L"duration", L"The format duration is missing"));
    const wxXmlNode* video = ElementNamed(pNode->GetChildren(), L"video");
    if (!video)
        throw TError(L"The Video format is missing");
    ReadVideo(video);
    const wxXmlNode* audio = ElementNamed(video->GetNext(), L"audio");
    if (!audio)
        throw TError(wxGetTranslation(L"The Audio format is missing"));
    ReadAudio(audio);
    if (!aHasVideo && !aHasAudio)
        throw TError(L"The format is empty");
}

void TMediaFormat::ReadVideo(const wxXmlNode* pVideo) {
    aHasVideo = !pVideo->HasAttribute(L"disabled");
    aWidth = int32_t(ReadNumber(pVideo, L"width", L"The Video Stream Width is missing"));
    aHeight = int32_t(ReadNumber(pVideo, L"height", L"The Video Stream Height is missing"));
    aRate = int32_t(ReadNumber(pVideo, L"rate", L"The Video Stream Rate is missing"));
    const wxXmlNode* codec = ElementNamed(pVideo->GetChildren(), L"codec");
    if (!codec)
        throw TError(L"The format video codec is missing");
    aVideoCodec.Unserialize(codec, GetVideoCodecList(), false);
}

void TMediaFormat::ReadAudio(const wxXmlNode* pAudio) {
    aHasAudio = !pAudio->HasAttribute(L"disabled");
    // Stored as read, no range check: the 16-bit fields keep the low 16 bits.
    aAudioFormat.aSamplesPerSec =
        uint32_t(ReadNumber(pAudio, L"rate", L"The Audio Stream Rate is missing"));
    aAudioFormat.aChannels =
        uint16_t(ReadNumber(pAudio, L"channel", L"The number of audio channels is missing"));
    aAudioFormat.aBitsPerSample =
        uint16_t(ReadNumber(pAudio, L"bits", L"The number of bits for audio is missing"));
    aAudioFormat.aFormatTag =
        uint16_t(ReadNumber(pAudio, L"tag", L"The Audio type (Audio Tag) is missing"));
    DeriveAudio();
    const wxXmlNode* codec = ElementNamed(pAudio->GetChildren(), L"codec");
    if (!codec)
        throw TError(L"The Audio codec is missing");
    GetAudioCodecList()->UnserializeFormat(codec, &aAudioCodec, &aAudioCodecFormat);
}

void TMediaFormat::SetIsStereo(bool pStereo) {
    aAudioFormat.aChannels = pStereo ? 2 : 1;
    DeriveAudio();
}

void TMediaFormat::Reset() {
    aVideoCodec.free();
    aVideoCodec.init();
    aVideoCodec.aFourCC = TZVVideoCodecConfig::fourccNONE;
    aAudioCodec.aId = TZVAudioCodec::codecPCM;
    reset();
}

void TMediaFormat::reset() {
    aDuration = 100;
    aHasVideo = true;
    aHasAudio = true;
    aWidth = 320;
    aHeight = 240;
    aRate = 25000;
    aAudioCodecFormat = 0;
    aAudioFormat.aFormatTag = 1;
    aAudioFormat.aChannels = 2;
    aAudioFormat.aSamplesPerSec = 22050;
    aAudioFormat.aAvgBytesPerSec = 88200;
    aAudioFormat.aBlockAlign = 4;
    aAudioFormat.aBitsPerSample = 16;
}

wxXmlNode* TMediaFormat::GetXmlImage() const {
    wxXmlNode* format = AddElement(nullptr, L"format");
    AddNumber(format, L"duration", aDuration);

    wxXmlNode* audio = AddElement(format, L"audio");
    if (!aHasAudio)
        audio->AddAttribute(L"disabled", wxEmptyString);
    // The samples per second as the signed 32-bit number that the reader gives back.
    AddNumber(audio, L"rate", int32_t(aAudioFormat.aSamplesPerSec));
    AddNumber(audio, L"channel", aAudioFormat.aChannels);
    AddNumber(audio, L"bits", aAudioFormat.aBitsPerSample);
    AddNumber(audio, L"tag", aAudioFormat.aFormatTag);
    aAudioCodec.SerializeFormat(AddElement(audio, L"codec"), aAudioCodecFormat);

    wxXmlNode* video = AddElement(nullptr, L"video");
    NSXml::PrependChild(format, video);
    if (!aHasVideo)
        video->AddAttribute(L"disabled", wxEmptyString);
    AddNumber(video, L"width", aWidth);
    AddNumber(video, L"height", aHeight);
    AddNumber(video, L"rate", aRate);
    aVideoCodec.Serialize(AddElement(video, L"codec"), false);
    return format;
}

IZVAudioCodecList* TMediaFormat::GetAudioCodecList() {
    if (!theAudioCodecList)
        theAudioCodecList = IZVAudioCodecList::Create();
    return theAudioCodecList;
}

IZVVideoCodecList* TMediaFormat::GetVideoCodecList() {
    if (!theVideoCodecList)
        theVideoCodecList = IZVVideoCodecList::Create();
    return theVideoCodecList;
}

void TMediaFormat::FreeAll() {
    IZVVideoCodecList::Destroy(theVideoCodecList);
    theVideoCodecList = nullptr;
    IZVAudioCodecList::Destroy(theAudioCodecList);
    theAudioCodecList = nullptr;
}

void TMediaFormat::DeriveAudio() {
    const unsigned channels = aAudioFormat.aChannels;
    aAudioFormat.aBlockAlign =
        uint16_t(aAudioFormat.aBitsPerSample == 16 ? channels * 2 : channels);
    aAudioFormat.aAvgBytesPerSec = uint32_t(aAudioFormat.aBlockAlign) * aAudioFormat.aSamplesPerSec;
}
