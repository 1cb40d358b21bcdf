// How many frames each packet of a sound decodes to, told as a scan meets the packets: the
// place of every frame of the sound follows from these counts, so that they must be what the
// decoder gives, never a container's rounded duration (Matroska counts milliseconds: 4,608
// FLAC frames at 44,100 a second would count 4,586).
#pragma once

#include "FFmpeg.h"

struct TParserCloser {
    void operator()(AVCodecParserContext* pParser) const { av_parser_close(pParser); }
};

class TPacketFrames {
public:
    explicit TPacketFrames(const AVStream* pStream);
    ~TPacketFrames();
    TPacketFrames(const TPacketFrames&) = delete;
    TPacketFrames& operator=(const TPacketFrames&) = delete;

    // The frames of pPacket, the stream's next packet in file order: from its size where the
    // codec fixes it, from its duration where the container counts time in whole parts of a
    // frame, else from the codec's frame header (FFmpeg's parser), else as many as its decoder
    // gives. 0 when none of them tells.
    int64_t Count(const AVPacket* pPacket);
    // The frames the decoder still held once the packets ended, which belong to the last
    // packets it decoded.
    int64_t Rest();

private:
    // The frames of pPacket's header, 0 when it does not tell.
    int64_t Parsed(const AVPacket* pPacket);
    // The frames the decoder gives once pPacket is sent (null: the end).
    int64_t Decoded(const AVPacket* pPacket);

    const AVStream* aStream;
    // A frame lasts a whole number of the container's time units.
    bool aExactDurations;
    std::unique_ptr<AVCodecParserContext, TParserCloser> aParser;
    TCodecPtr aParsed;
    TCodecPtr aDecoder;
    TFramePtr aFrame;
    bool aDecoding = false;
};
