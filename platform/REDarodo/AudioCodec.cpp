#include "REDarodo/AudioCodec.h"

#include "CodecXml.h"

namespace {

// Plain PCM and floating-point samples, one format each (the project's rate and channels).
class TAudioCodecList : public IZVAudioCodecList {
public:
    int GetFormatCount(uint32_t pId) const override {
        return pId == TZVAudioCodec::codecPCM || pId == TZVAudioCodec::codecFLOAT ? 1 : 0;
    }
};

} // namespace

IZVAudioCodecList::~IZVAudioCodecList() = default;

IZVAudioCodecList* IZVAudioCodecList::Create() {
    return new TAudioCodecList;
}

void IZVAudioCodecList::Destroy(const IZVAudioCodecList* pList) {
    delete pList;
}

bool IZVAudioCodecList::UnserializeFormat(const wxXmlNode* pNode, TZVAudioCodec* pCodec,
                                          int* pFormat) const {
    if (!pCodec || !pFormat)
        return false;
    long id = 0, format = 0;
    if (NSCodecXml::ReadNumber(pNode, L"id", 0, 0xFFFFFFFFL, id) &&
        NSCodecXml::ReadNumber(pNode, L"format", 0, 0x7FFFFFFFL, format) &&
        format < GetFormatCount(static_cast<uint32_t>(id))) {
        pCodec->aId = static_cast<uint32_t>(id);
        *pFormat = static_cast<int>(format);
        return true;
    }
    pCodec->aId = TZVAudioCodec::codecPCM;
    *pFormat = 0;
    return false;
}

void TZVAudioCodec::SerializeFormat(wxXmlNode* pNode, int pFormat) const {
    NSCodecXml::WriteNumber(pNode, L"id", static_cast<long>(aId));
    NSCodecXml::WriteNumber(pNode, L"format", pFormat);
}
