// Audio codecs: the list a project chooses from, with the reader of the "codec" element,
// and the chosen codec with its writer.
#pragma once

#include <cstdint>

class wxXmlNode;
class TZVAudioCodec;

class IZVAudioCodecList {
public:
    // A new list of the available codecs; free it with Destroy.
    static IZVAudioCodecList* Create();
    // Frees a list made by Create; null is accepted.
    static void Destroy(const IZVAudioCodecList* pList);

    // How many formats the codec of that id offers (format indexes 0 to count - 1); 0 for a
    // codec the list does not have.
    virtual int GetFormatCount(uint32_t pId) const = 0;
    // Reads what TZVAudioCodec::SerializeFormat wrote into *pCodec and *pFormat. Anything
    // else (no element, an attribute absent or not a decimal, a codec the list does not
    // have or a format it does not offer) gives codec 0, format 0 and false. Null outputs
    // are left alone (false).
    virtual bool UnserializeFormat(const wxXmlNode* pNode, TZVAudioCodec* pCodec,
                                   int* pFormat) const;

protected:
    virtual ~IZVAudioCodecList();
};

class TZVAudioCodec {
public:
    // Sound kept as plain PCM, in the project's audio format.
    static constexpr uint32_t codecPCM = 0;
    // 32-bit IEEE floating-point samples.
    static constexpr uint32_t codecFLOAT = 3;

    // Writes "id" and "format" (pFormat, an index into the codec's formats) into pNode, an
    // empty "codec" element.
    void SerializeFormat(wxXmlNode* pNode, int pFormat) const;

    uint32_t aId = codecPCM;
};
