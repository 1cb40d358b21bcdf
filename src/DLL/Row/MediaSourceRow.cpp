#include "DLL/Row/MediaSourceRow.h"

#include "ALL/Assert.h"
#include "ALL/Error.h"
#include "ALL/Number.h"
#include "ALL/XmlTree.h"
#include "DLL/Ctl/RasterHelper.h"
#include "DLL/Ctl/WaveformBitmap.h"
#include "DLL/Edt/EditorListener.h"
#include "DLL/Res/DrawingResources.h"
#include "DLL/Row/AudioMediaStream.h"
#include "DLL/Row/Library.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/VideoMediaStream.h"
#include "DLL/Row/ZVFormula.h"
#include "REDarodo/Media.h"

#include <wx/dc.h>
#include <wx/intl.h>
#include <wx/xml/xml.h>

#include <iterator>

namespace {

// A time or image number from 0 up; the medium's length becomes the maximum.
TTypeDef MediaTimeType(int pType) {
    TTypeDef type(pType);
    type.aInteger = pType != paramTypeREAL;
    type.aRangeCheck = true;
    type.aDefault = TVariant(0.0);
    type.aMin = TVariant(0.0);
    type.aMax = TVariant();
    type.aSlope = 0.0;
    return type;
}

// Asks the user whether to go on with a changed medium; a refusal (or no one to ask) cancels
// the load with an empty TError.
void ConfirmChangedMedia(const wxString& pMessage) {
    if (!IEditorListener::QueryBox(pMessage, wxGetTranslation(L"Media has changed").wc_str()))
        throw TError(wxString());
}

} // namespace

// The common part.

TZVMediaSourceRow::~TZVMediaSourceRow() {
    LeaveParent();
    detachMedia();
}

wxXmlNode* TZVMediaSourceRow::GetXmlImage() const {
    wxXmlNode* element = TZVSimpleSourceRow::GetXmlImage();
    wxXmlNode* media = new wxXmlNode(wxXML_ELEMENT_NODE, L"media");
    AppendChild(media, element);
    const wxString text = MediaText();
    if (!text.empty())
        media->AddChild(new wxXmlNode(wxXML_TEXT_NODE, wxEmptyString, text));
    if (!aMedia)
        for (const std::pair<wxString, wxString>& attribute : aOfflineAttributes)
            media->AddAttribute(attribute.first, attribute.second);
    return element;
}

void TZVMediaSourceRow::CreateChildren(const wxXmlNode*& pNode) {
    loadMedia(pNode);
    TZVSimpleSourceRow::CreateChildren(pNode);
    setParamType();
}

wxIcon* TZVMediaSourceRow::GetParamTypeIcon(int) const {
    return GetTimeLineIcon();
}

bool TZVMediaSourceRow::CopyParentSequence() {
    // A row that keeps its own sequences was typed when it was read.
    if (!TZVSimpleSourceRow::CopyParentSequence())
        return false;
    setParamType();
    TZVParamRow* param = aParamTab.empty() ? nullptr : aParamTab[0];
    // Without a length there is nothing to reach: the sequences stay whole.
    if (!param || param->aFormula || !aMedia || !(getLength() > 0.0))
        return true;
    if (param->SetDefRate() <= 0 || param->aFormulaList.empty())
        return true;
    const long end = std::prev(param->aFormulaList.end())->aEnd;
    auto sequence = aSequenceList.begin();
    while (sequence != aSequenceList.end() && sequence->aBegin < end)
        ++sequence;
    aSequenceList.erase(sequence, aSequenceList.end());
    if (!aSequenceList.empty())
        aSequenceList.back().aEnd = end;
    return true;
}

void TZVMediaSourceRow::setMedia(int pIndex, bool pFromLink) {
    detachMedia();
    aOfflineAttributes.clear();
    attachMedia(pIndex);
    if (aMediaIndex >= 0)
        Rename(IZVLibrary::theLibrary->GetMedia(aMediaIndex)->GetMediaInfo().aFileName.GetName());
    // The new parameter rows take the old ones' places in an open block.
    const bool shown = aIsParamShown;
    if (shown)
        ShowParam(false);
    dropParams();
    CreateStreamParam(pFromLink);
    if (shown)
        ShowParam(true);
}

const wxXmlNode* TZVMediaSourceRow::doLoadMedia(const wxXmlNode* pRow) {
    const wxXmlNode* media = MediaElement(pRow);
    if (!media || media->GetType() != wxXML_ELEMENT_NODE || media->GetName() != L"media")
        return nullptr;
    attachMedia(IZVLibrary::theLibrary->FindMedia(NSXml::GetText(media)));
    aOfflineAttributes.clear();
    for (const wxXmlAttribute* attribute = aMedia ? nullptr : media->GetAttributes(); attribute;
         attribute = attribute->GetNext())
        aOfflineAttributes.emplace_back(attribute->GetName(), attribute->GetValue());
    return media;
}

void TZVMediaSourceRow::setParamType() {
    TZVParamRow* param = aParamTab.empty() ? nullptr : aParamTab[0];
    if (!param)
        return;
    param->SetRange(0.0, getLength());
    param->SetDefSlope(getRate());
    // Asked again (a read row that takes its parent's sequences), the stream keeps its type.
    TZVMediaStream* stream = dynamic_cast<TZVMediaStream*>(aRenderStream);
    if (stream && !stream->HasType())
        stream->SetType(param->aTypeDef);
}

TZVMediaSourceRow* TZVMediaSourceRow::CreateMediaSource(bool pVideo, int pIndex,
                                                        const TZVMediaSourceRow* pLink) {
    TZVMediaSourceRow* row = pVideo ? static_cast<TZVMediaSourceRow*>(new TZVVideoMediaSourceRow)
                                    : new TZVAudioMediaSourceRow;
    row->CompleteCreate();
    row->setMedia(pIndex, pLink != nullptr);
    if (pLink)
        row->linkTo(*pLink);
    return row;
}

wxXmlNode* TZVMediaSourceRow::MediaElement(const wxXmlNode* pRow) {
    wxXmlNode* media = pRow->GetChildren();
    while (media && media->GetNext())
        media = media->GetNext();
    return media;
}

wxString TZVMediaSourceRow::MediaText() const {
    const IZVLibraryMedia* entry =
        aMediaIndex >= 0 ? IZVLibrary::theLibrary->GetMedia(aMediaIndex) : nullptr;
    if (!entry)
        return wxString();
    const TZVMediaInfo& info = entry->GetMediaInfo();
    if (info.aPrefix.empty())
        return info.aFileName.GetFullPath();
    return info.aPrefix + info.aFileName.GetFullName();
}

void TZVMediaSourceRow::attachMedia(int pIndex) {
    IZVLibraryMedia* entry = pIndex >= 0 ? IZVLibrary::theLibrary->GetMedia(pIndex) : nullptr;
    if (!entry)
        return;
    aMediaIndex = pIndex;
    entry->AttachRow(this);
    aMedia = entry->GetMedia();
}

void TZVMediaSourceRow::detachMedia() {
    // An entry whose medium is offline was attached all the same.
    if (aMediaIndex >= 0)
        if (IZVLibraryMedia* entry = IZVLibrary::theLibrary->GetMedia(aMediaIndex))
            entry->DetachRow(this);
    aMediaIndex = -1;
    aMedia = nullptr;
}

void TZVMediaSourceRow::dropParams() {
    for (TZVParamRow*& param : aParamTab) {
        if (!param)
            continue;
        param->PropagateAll(false);
        delete param;
        param = nullptr;
    }
}

void TZVMediaSourceRow::linkTo(const TZVMediaSourceRow& pLink) {
    TZVParamRow* param = aParamTab.empty() ? nullptr : aParamTab[0];
    const TZVParamRow* source = pLink.aParamTab.empty() ? nullptr : pLink.aParamTab[0];
    if (!ZV_ASSERT(param != NULL && source != NULL))
        return;
    const TZVVideoTrack* video = aMedia ? aMedia->GetVideo() : nullptr;
    const double rate = video ? video->GetImageRate() : 0.0;
    const double factor = HasVideo() ? rate : 1.0 / rate;
    const wxString text = TZVFormula::GetRowName(source) + L"." +
                          TZVFormula::GetAttrName(attrVALUE) + L" * " + FormatDouble(factor);
    TZVFormula* formula = new TZVFormula(param);
    const bool Success = formula->Parse(text.wc_str()) && formula->Resolve();
    ZV_ASSERT(Success);
    param->InitFormula(formula);
}

// The video row.

TZVVideoMediaSourceRow::~TZVVideoMediaSourceRow() = default;

wxXmlNode* TZVVideoMediaSourceRow::GetXmlImage() const {
    wxXmlNode* element = TZVMediaSourceRow::GetXmlImage();
    if (!aMedia)
        return element;
    wxXmlNode* media = MediaElement(element);
    media->AddAttribute(L"l", FormatLong(long(getLength())));
    media->AddAttribute(L"w", FormatLong(aMedia->GetWidth()));
    media->AddAttribute(L"h", FormatLong(aMedia->GetHeight()));
    return element;
}

void TZVVideoMediaSourceRow::setMedia(int pIndex, bool pFromLink) {
    TZVMediaSourceRow::setMedia(pIndex, pFromLink);
    setVideoStream();
}

double TZVVideoMediaSourceRow::getRate() const {
    const TZVVideoTrack* video = aMedia ? aMedia->GetVideo() : nullptr;
    return video ? video->GetImageRate() : 0.0;
}

double TZVVideoMediaSourceRow::getLength() const {
    const TZVVideoTrack* video = aMedia ? aMedia->GetVideo() : nullptr;
    return video ? double(video->GetImageCount()) : 0.0;
}

void TZVVideoMediaSourceRow::loadMedia(const wxXmlNode* pElement) {
    const wxXmlNode* media = doLoadMedia(pElement);
    if (!aMedia)
        return;
    const long count = GetPropIntValue(media, L"l");
    const long width = GetPropIntValue(media, L"w");
    const long height = GetPropIntValue(media, L"h");
    const long foundCount = long(getLength());
    if (count != foundCount || width != aMedia->GetWidth() || height != aMedia->GetHeight())
        ConfirmChangedMedia(
            wxString::Format(wxGetTranslation(L"Characteristics of video have changed for %s\n"
                                              L"Expected image count: %d,  found: %d\n"
                                              L"Expected image width: %d,  found: %d\n"
                                              L"Expected image height: %d,  found: %d\n"),
                             aMedia->GetFilename(), int(count), int(foundCount), int(width),
                             aMedia->GetWidth(), int(height), aMedia->GetHeight()));
    setVideoStream();
}

void TZVVideoMediaSourceRow::setVideoStream() {
    const TZVVideoTrack* video = aMedia ? aMedia->GetVideo() : nullptr;
    SetRenderStream(new TZVVideoMediaStream(video ? video->CreateReader() : nullptr));
}

wxIcon* TZVVideoMediaSourceRow::GetIcon() {
    return GetVideoStreamIcon();
}

const TControlInfo* TZVVideoMediaSourceRow::getTheControlInfoTab() {
    static const TControlInfo theTab[] = {TControlInfo(0, MediaTimeType(paramTypeINTEGER),
                                                       wxGetTranslation(L"Image").wc_str(), true)};
    return theTab;
}

// The audio row.

TZVAudioMediaSourceRow::~TZVAudioMediaSourceRow() {
    if (aMedia)
        TZVWaveformBitmap::Remove(this);
}

wxXmlNode* TZVAudioMediaSourceRow::GetXmlImage() const {
    wxXmlNode* element = TZVMediaSourceRow::GetXmlImage();
    if (aMedia)
        MediaElement(element)->AddAttribute(L"l", IEEE754Image(aMedia->GetDuration()));
    return element;
}

void TZVAudioMediaSourceRow::setMedia(int pIndex, bool pFromLink) {
    // The waveform context belongs to the medium that goes.
    if (aMedia)
        TZVWaveformBitmap::Remove(this);
    TZVMediaSourceRow::setMedia(pIndex, pFromLink);
    setAudioStream();
}

double TZVAudioMediaSourceRow::getRate() const {
    return 1.0;
}

double TZVAudioMediaSourceRow::getLength() const {
    return aMedia ? aMedia->GetDuration() : 0.0;
}

void TZVAudioMediaSourceRow::loadMedia(const wxXmlNode* pElement) {
    const wxXmlNode* media = doLoadMedia(pElement);
    if (!aMedia)
        return;
    double stored = 0.0;
    bool bad = false;
    if (!GetXmlIEEE754Attribute(media, L"l", stored, bad) || bad)
        throw TError(wxGetTranslation(L"Invalid audio duration for %s"), aMedia->GetFilename());
    // Bit for bit: the stored image holds the duration exactly.
    const double duration = aMedia->GetDuration();
    if (DoubleToBits(stored) != DoubleToBits(duration))
        ConfirmChangedMedia(
            wxString::Format(wxGetTranslation(L"Characteristics of audio have changed for %s\n"
                                              L"Expected duration: %3.3fs\nMedia duration: %3.3fs"),
                             aMedia->GetFilename(), stored, duration));
    setAudioStream();
}

void TZVAudioMediaSourceRow::MarkKeyAt(int pX) const {
    if (aMedia)
        TZVWaveformBitmap::LeavePixel(this, pX);
}

void TZVAudioMediaSourceRow::DrawRowSeq(const TZVSeqRect& pRect, int) const {
    TZVBaseRow::DrawRowSeq(pRect, 0);
    const int first = pRect.aVisibleBeginX;
    const int last = pRect.aVisibleEndX;
    if (!aMedia || first >= last)
        return;
    if (aIsStereo) {
        pRect.aDC->SetPen(*GetBlackPen());
        TRasterHelper(*pRect.aDC).DrawLine(first, pRect.aTop + 17, last, pRect.aTop + 17);
    }
    TZVWaveformBitmap::DrawPixelRange(this, first + pRect.aPixelOffset, last + pRect.aPixelOffset);
}

void TZVAudioMediaSourceRow::OnParamUpdate(const TZVParamRow*) const {
    if (aMedia)
        TZVWaveformBitmap::Invalidate(this);
    IEditorListener::OnRowModified(this, IEditorListener::editWAVEFORM);
}

void TZVAudioMediaSourceRow::setAudioStream() {
    const TZVAudioTrack* audio = aMedia ? aMedia->GetAudio() : nullptr;
    SetRenderStream(new TZVAudioMediaStream(audio ? audio->CreateReader() : nullptr));
    aIsStereo = audio && audio->GetChannelCount() > 1;
    if (aIsStereo)
        setHeight(40);
}

wxIcon* TZVAudioMediaSourceRow::GetIcon() {
    return GetVideoStreamIcon();
}

const TControlInfo* TZVAudioMediaSourceRow::getTheControlInfoTab() {
    static const TControlInfo theTab[] = {
        TControlInfo(0, MediaTimeType(paramTypeREAL), wxGetTranslation(L"Seconds").wc_str(), true)};
    return theTab;
}

namespace NSAudioMediaRow {

const TZVAudioMediaSourceRow* Cast(const TZVBaseRow* pRow, bool pQuiet) {
    const TZVAudioMediaSourceRow* audio = dynamic_cast<const TZVAudioMediaSourceRow*>(pRow);
    if (!audio && !pQuiet)
        ZV_FAIL("dynamic_cast<const TZVAudioMediaSourceRow*>(pAudioSource) returned NULL");
    return audio;
}

const TZVBaseRow* AsBaseRow(const TZVAudioMediaSourceRow* pRow) {
    return pRow;
}

TZVMedia* GetMedia(const TZVAudioMediaSourceRow* pRow) {
    return pRow->aMedia;
}

} // namespace NSAudioMediaRow
