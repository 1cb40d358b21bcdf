// TMediaFormat: a project's media format (duration; video size, frame rate and compressor;
// audio sample format and codec) and its "format" XML element. The host keeps one per
// project and reaches the fields directly, so their order and widths are fixed. The two
// codec lists that the codec settings refer to are shared by every format, made on first
// use and freed by FreeAll.
#pragma once

#include "REDarodo/AudioCodec.h"
#include "REDarodo/VideoCodec.h"

#include <cstddef>
#include <cstdint>

class wxXmlNode;

// The audio sample format, laid out as the Windows multimedia WAVEFORMATEX record.
#pragma pack(push, 1)
struct TWaveFormat {
    uint16_t aFormatTag; // 1 = PCM
    uint16_t aChannels;
    uint32_t aSamplesPerSec;
    uint32_t aAvgBytesPerSec; // aBlockAlign x aSamplesPerSec
    uint16_t aBlockAlign;     // bytes of one frame
    uint16_t aBitsPerSample;
    uint16_t aExtraSize; // never written here
};
#pragma pack(pop)

static_assert(offsetof(TWaveFormat, aFormatTag) == 0, "WAVEFORMATEX layout");
static_assert(offsetof(TWaveFormat, aChannels) == 2, "WAVEFORMATEX layout");
static_assert(offsetof(TWaveFormat, aSamplesPerSec) == 4, "WAVEFORMATEX layout");
static_assert(offsetof(TWaveFormat, aAvgBytesPerSec) == 8, "WAVEFORMATEX layout");
static_assert(offsetof(TWaveFormat, aBlockAlign) == 12, "WAVEFORMATEX layout");
static_assert(offsetof(TWaveFormat, aBitsPerSample) == 14, "WAVEFORMATEX layout");
static_assert(offsetof(TWaveFormat, aExtraSize) == 16, "WAVEFORMATEX layout");
static_assert(sizeof(TWaveFormat) == 18, "WAVEFORMATEX layout");

class TMediaFormat {
public:
    // The defaults: 100, both streams, 320 x 240 at 25 frames a second, stereo 16-bit PCM at
    // 22050 samples a second, the codecs' initial settings.
    TMediaFormat();
    TMediaFormat(const TMediaFormat&) = delete;
    TMediaFormat& operator=(const TMediaFormat&) = delete;
    // Frees the video codec configuration.
    virtual ~TMediaFormat();

    // The setters store the value and touch no other field; a value outside the 32-bit
    // range is limited to it.
    virtual void SetDuration(long pDuration);
    // Returns true.
    virtual bool SetHasVideo(bool pHasVideo);
    virtual void SetWidth(long pWidth);
    virtual void SetHeight(long pHeight);
    // Returns true.
    virtual bool SetHasAudio(bool pHasAudio);
    // pRate in thousandths of a frame per second.
    virtual void SetRate(long pRate);
    // Whether the format records undo for its rate and stream switches: false.
    virtual bool KnowRateUndo() const;
    virtual bool KnowTgleUndo() const;
    // The duration becomes duration x pNumerator / pDenominator rounded to the nearest
    // integer, ties to even, limited to the 32-bit range. A zero denominator changes nothing.
    virtual void ScaleDuration(long pNumerator, long pDenominator);
    // Reads a "format" element into this format, throwing TError at the first part that is
    // missing or wrong; whatever was read before it stays (no roll-back). Both streams
    // disabled is refused last, after everything has been read.
    virtual void ValueFromXml(const wxXmlNode* pNode);
    // One or two channels, with block alignment and bytes per second derived again.
    virtual void SetIsStereo(bool pStereo);
    // Back to the defaults, the video codec configuration and the audio codec included.
    virtual void Reset();
    // Back to the defaults, except the video codec configuration and the audio codec.
    void reset();

    // A new "format" element tree; the caller owns it.
    wxXmlNode* GetXmlImage() const;

    // The shared codec lists, made on first use.
    static IZVAudioCodecList* GetAudioCodecList();
    static IZVVideoCodecList* GetVideoCodecList();
    // Destroys both lists (the video list first) and forgets them; a later use makes them
    // anew.
    static void FreeAll();

    int32_t aDuration; // project time units
    bool aHasVideo;
    bool aHasAudio;
    int32_t aWidth;  // pixels
    int32_t aHeight; // pixels
    int32_t aRate;   // thousandths of a frame per second
    TZVVideoCodecConfig aVideoCodec;
    TWaveFormat aAudioFormat;
    TZVAudioCodec aAudioCodec;
    int32_t aAudioCodecFormat; // index of the format within the audio codec

    static IZVAudioCodecList* theAudioCodecList;
    static IZVVideoCodecList* theVideoCodecList;

private:
    // Block alignment and bytes per second from channels, bits and samples per second.
    void DeriveAudio();
    void ReadVideo(const wxXmlNode* pVideo);
    void ReadAudio(const wxXmlNode* pAudio);
};
