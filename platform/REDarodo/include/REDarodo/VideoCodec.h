// Video compressors: the list a project chooses from, and the configuration of the chosen
// one with its "codec" XML element.
#pragma once

#include <cstdint>

class wxXmlNode;

class IZVVideoCodecList {
public:
    // A new list of the available compressors; free it with Destroy.
    static IZVVideoCodecList* Create();
    // Frees a list made by Create; null is accepted.
    static void Destroy(const IZVVideoCodecList* pList);

    // True when the list has the compressor of that four-character code.
    virtual bool Contains(uint32_t pFourCC) const = 0;

protected:
    virtual ~IZVVideoCodecList();
};

// Held by value: init makes it valid, free releases it; init again after free.
class TZVVideoCodecConfig {
public:
    // The compressor's four-character code; 0 keeps frames uncompressed.
    static constexpr uint32_t fourccNONE = 0;
    // The four-character code of the PNG frame compressor, "PNG " in memory order.
    static constexpr uint32_t fourccPNG = 0x20474E50;
    // aQuality's value for the compressor's own default.
    static constexpr int32_t qualityDEFAULT = -1;

    // Frames uncompressed, default quality.
    void init();
    // Releases what the configuration holds (nothing in this library's compressors).
    void free();

    // Writes "fourcc" and "quality" into pNode, an empty "codec" element. pWithState asks
    // for the compressor's private state too, which this library's compressors do not have.
    void Serialize(wxXmlNode* pNode, bool pWithState) const;
    // Reads what Serialize wrote. Anything else (no element or list, an attribute absent or
    // not a decimal, a compressor pList does not have, a quality outside -1..100) gives the
    // configuration of init and false.
    bool Unserialize(const wxXmlNode* pNode, const IZVVideoCodecList* pList, bool pWithState);

    uint32_t aFourCC = fourccNONE;
    // 0 to 100, or qualityDEFAULT.
    int32_t aQuality = qualityDEFAULT;
};
