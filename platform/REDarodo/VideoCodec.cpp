#include "REDarodo/VideoCodec.h"

#include "CodecXml.h"

#include <algorithm>
#include <iterator>

namespace {

// Uncompressed frames, and PNG images (what the reference host writes).
class TVideoCodecList : public IZVVideoCodecList {
public:
    bool Contains(uint32_t pFourCC) const override {
        static const uint32_t known[] = {TZVVideoCodecConfig::fourccNONE,
                                         TZVVideoCodecConfig::fourccPNG};
        return std::find(std::begin(known), std::end(known), pFourCC) != std::end(known);
    }
};

} // namespace

IZVVideoCodecList::~IZVVideoCodecList() = default;

IZVVideoCodecList* IZVVideoCodecList::Create() {
    return new TVideoCodecList;
}

void IZVVideoCodecList::Destroy(const IZVVideoCodecList* pList) {
    delete pList;
}

void TZVVideoCodecConfig::init() {
    aFourCC = fourccNONE;
    aQuality = qualityDEFAULT;
}

void TZVVideoCodecConfig::free() {}

void TZVVideoCodecConfig::Serialize(wxXmlNode* pNode, bool) const {
    NSCodecXml::WriteNumber(pNode, L"fourcc", static_cast<long>(aFourCC));
    NSCodecXml::WriteNumber(pNode, L"quality", aQuality);
}

bool TZVVideoCodecConfig::Unserialize(const wxXmlNode* pNode, const IZVVideoCodecList* pList,
                                      bool) {
    long fourCC = 0, quality = 0;
    if (pList && NSCodecXml::ReadNumber(pNode, L"fourcc", 0, 0xFFFFFFFFL, fourCC) &&
        NSCodecXml::ReadNumber(pNode, L"quality", -1, 100, quality) &&
        pList->Contains(static_cast<uint32_t>(fourCC))) {
        aFourCC = static_cast<uint32_t>(fourCC);
        aQuality = static_cast<int32_t>(quality);
        return true;
    }
    init();
    return false;
}
