#include "PacketFrames.h"

#include <algorithm>

TPacketFrames::TPacketFrames(const AVStream* pStream)
    : aStream(pStream), aParser(av_parser_init(pStream->codecpar->codec_id)) {
    const AVRational base = pStream->time_base;
    const int64_t rate = pStream->codecpar->sample_rate;
    aExactDurations = base.num > 0 && base.den > 0 && rate > 0 && base.den % (rate * base.num) == 0;
    if (aParser) {
        aParsed.reset(avcodec_alloc_context3(nullptr));
        if (!aParsed || avcodec_parameters_to_context(aParsed.get(), pStream->codecpar) < 0)
            aParser = nullptr;
        else
            aParser->flags |= PARSER_FLAG_COMPLETE_FRAMES;
    }
}

TPacketFrames::~TPacketFrames() = default;

int64_t TPacketFrames::Count(const AVPacket* pPacket) {
    const int frames = av_get_audio_frame_duration2(aStream->codecpar, pPacket->size);
    if (frames > 0)
        return frames;
    if (aExactDurations && pPacket->duration > 0)
        return av_rescale_q(pPacket->duration, aStream->time_base,
                            AVRational{1, aStream->codecpar->sample_rate});
    const int64_t parsed = Parsed(pPacket);
    return parsed > 0 ? parsed : Decoded(pPacket);
}

int64_t TPacketFrames::Rest() {
    return aDecoding ? Decoded(nullptr) : 0;
}

int64_t TPacketFrames::Parsed(const AVPacket* pPacket) {
    if (!aParser)
        return 0;
    aParser->duration = 0;
    uint8_t* frame = nullptr;
    int size = 0;
    av_parser_parse2(aParser.get(), aParsed.get(), &frame, &size, pPacket->data, pPacket->size,
                     pPacket->pts, pPacket->dts, pPacket->pos);
    return std::max(aParser->duration, 0);
}

int64_t TPacketFrames::Decoded(const AVPacket* pPacket) {
    if (!aDecoding) {
        aDecoding = true;
        aDecoder = OpenDecoder(aStream);
        aFrame.reset(av_frame_alloc());
    }
    if (!aDecoder || !aFrame)
        return 0;
    int64_t frames = 0;
    avcodec_send_packet(aDecoder.get(), pPacket);
    while (avcodec_receive_frame(aDecoder.get(), aFrame.get()) >= 0)
        frames += aFrame->nb_samples;
    return frames;
}
