#include "MovieOutput.h"

#include "DLL/Edt/MediaFormat.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// One encoded stream of the file.
struct TTrack {
    AVCodecContext* aEncoder = nullptr;
    AVStream* aStream = nullptr;
    int64_t aNext = 0; // pts of the next frame sent
};

} // namespace

struct TZVMovieOutput::TState {
    ~TState() {
        for (TTrack* track : {&aPicture, &aSound})
            avcodec_free_context(&track->aEncoder);
        av_frame_free(&aImage);
        av_frame_free(&aSamples);
        av_packet_free(&aPacket);
        sws_freeContext(aScale);
        swr_free(&aConvert);
        if (aOutput) {
            if (aOutput->pb)
                avio_closep(&aOutput->pb);
            avformat_free_context(aOutput);
        }
    }

    bool Open(const TMediaFormat& pFormat, const std::string& pPath);
    bool AddTrack(TTrack& pTrack, const char* pCodec, void (*pSetUp)(AVCodecContext*, const TMediaFormat&),
                  const TMediaFormat& pFormat);
    // Sends pFrame (null: the end) and writes every packet that comes out.
    bool Encode(TTrack& pTrack, AVFrame* pFrame);
    bool AddPicture(const TBitmap* pPicture);
    // Sends whole encoder frames of the pending sound; pAll sends the rest too.
    bool SendSound(bool pAll);

    AVFormatContext* aOutput = nullptr;
    TTrack aPicture;
    TTrack aSound;
    AVFrame* aImage = nullptr;
    AVFrame* aSamples = nullptr;
    AVPacket* aPacket = nullptr;
    SwsContext* aScale = nullptr;
    SwrContext* aConvert = nullptr;
    std::vector<uint8_t> aPixels; // the frame, B, G, R, unused, padded size
    std::vector<int16_t> aPending; // sound not yet sent, interleaved
    int aWidth = 0;
    int aHeight = 0;
    int aChannels = 0;
};

namespace {

void SetUpPicture(AVCodecContext* pCodec, const TMediaFormat& pFormat) {
    // H.264 in 4:2:0 wants even sizes.
    pCodec->width = (pFormat.aWidth + 1) & ~1;
    pCodec->height = (pFormat.aHeight + 1) & ~1;
    pCodec->pix_fmt = AV_PIX_FMT_YUV420P;
    av_reduce(&pCodec->time_base.num, &pCodec->time_base.den, 1000, pFormat.aRate, INT32_MAX);
    pCodec->framerate = AVRational{pCodec->time_base.den, pCodec->time_base.num};
    pCodec->thread_count = 1;
    av_opt_set(pCodec->priv_data, "preset", "veryfast", 0);
}

void SetUpSound(AVCodecContext* pCodec, const TMediaFormat& pFormat) {
    pCodec->sample_fmt = AV_SAMPLE_FMT_FLTP;
    pCodec->sample_rate = int(pFormat.aAudioFormat.aSamplesPerSec);
    pCodec->time_base = AVRational{1, pCodec->sample_rate};
    pCodec->bit_rate = 128000;
    av_channel_layout_default(&pCodec->ch_layout, pFormat.aAudioFormat.aChannels > 1 ? 2 : 1);
}

} // namespace

bool TZVMovieOutput::TState::AddTrack(TTrack& pTrack, const char* pCodec,
                                      void (*pSetUp)(AVCodecContext*, const TMediaFormat&),
                                      const TMediaFormat& pFormat) {
    const AVCodec* codec = avcodec_find_encoder_by_name(pCodec);
    pTrack.aEncoder = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!pTrack.aEncoder)
        return false;
    pSetUp(pTrack.aEncoder, pFormat);
    if (aOutput->oformat->flags & AVFMT_GLOBALHEADER)
        pTrack.aEncoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    pTrack.aStream = avcodec_open2(pTrack.aEncoder, codec, nullptr) >= 0
                         ? avformat_new_stream(aOutput, nullptr)
                         : nullptr;
    if (!pTrack.aStream)
        return false;
    pTrack.aStream->time_base = pTrack.aEncoder->time_base;
    return avcodec_parameters_from_context(pTrack.aStream->codecpar, pTrack.aEncoder) >= 0;
}

bool TZVMovieOutput::TState::Open(const TMediaFormat& pFormat, const std::string& pPath) {
    if (pFormat.aWidth < 1 || pFormat.aHeight < 1 || pFormat.aRate < 1 ||
        avformat_alloc_output_context2(&aOutput, nullptr, "mp4", pPath.c_str()) < 0 ||
        !AddTrack(aPicture, "libx264", SetUpPicture, pFormat) ||
        !AddTrack(aSound, "aac", SetUpSound, pFormat))
        return false;
    aWidth = aPicture.aEncoder->width;
    aHeight = aPicture.aEncoder->height;
    aChannels = aSound.aEncoder->ch_layout.nb_channels;
    aPixels.assign(size_t(aWidth) * aHeight * 4, 0);
    aImage = av_frame_alloc();
    aSamples = av_frame_alloc();
    aPacket = av_packet_alloc();
    aScale = sws_getContext(aWidth, aHeight, AV_PIX_FMT_BGR0, aWidth, aHeight, AV_PIX_FMT_YUV420P,
                            SWS_BICUBIC, nullptr, nullptr, nullptr);
    AVChannelLayout layout = aSound.aEncoder->ch_layout;
    swr_alloc_set_opts2(&aConvert, &layout, AV_SAMPLE_FMT_FLTP, aSound.aEncoder->sample_rate,
                        &layout, AV_SAMPLE_FMT_S16, aSound.aEncoder->sample_rate, 0, nullptr);
    if (!aImage || !aSamples || !aPacket || !aScale || !aConvert || swr_init(aConvert) < 0)
        return false;
    aImage->format = AV_PIX_FMT_YUV420P;
    aImage->width = aWidth;
    aImage->height = aHeight;
    return av_frame_get_buffer(aImage, 0) >= 0 &&
           avio_open(&aOutput->pb, pPath.c_str(), AVIO_FLAG_WRITE) >= 0 &&
           avformat_write_header(aOutput, nullptr) >= 0;
}

bool TZVMovieOutput::TState::Encode(TTrack& pTrack, AVFrame* pFrame) {
    if (avcodec_send_frame(pTrack.aEncoder, pFrame) < 0)
        return false;
    int received;
    while ((received = avcodec_receive_packet(pTrack.aEncoder, aPacket)) >= 0) {
        // Every image lasts one image time: without it, the file's edit list ends an image
        // early.
        if (&pTrack == &aPicture && aPacket->duration == 0)
            aPacket->duration = 1;
        av_packet_rescale_ts(aPacket, pTrack.aEncoder->time_base, pTrack.aStream->time_base);
        aPacket->stream_index = pTrack.aStream->index;
        if (av_interleaved_write_frame(aOutput, aPacket) < 0)
            return false;
    }
    return received == AVERROR(EAGAIN) || received == AVERROR_EOF;
}

bool TZVMovieOutput::TState::AddPicture(const TBitmap* pPicture) {
    IZVOutput::CopyPicture(pPicture, aWidth, aHeight, false, aPixels.data(), 4L * aWidth);
    if (av_frame_make_writable(aImage) < 0)
        return false;
    const uint8_t* source[] = {aPixels.data()};
    const int stride[] = {4 * aWidth};
    sws_scale(aScale, source, stride, 0, aHeight, aImage->data, aImage->linesize);
    aImage->pts = aPicture.aNext++;
    return Encode(aPicture, aImage);
}

bool TZVMovieOutput::TState::SendSound(bool pAll) {
    const int size = aSound.aEncoder->frame_size > 0 ? aSound.aEncoder->frame_size : 1024;
    size_t done = 0;
    bool sent = true;
    for (;;) {
        const int left = int((aPending.size() - done) / aChannels);
        const int count = std::min(left, size);
        if (count == 0 || (count < size && !pAll))
            break;
        av_frame_unref(aSamples);
        aSamples->format = AV_SAMPLE_FMT_FLTP;
        aSamples->nb_samples = count;
        aSamples->sample_rate = aSound.aEncoder->sample_rate;
        const uint8_t* source[] = {reinterpret_cast<const uint8_t*>(aPending.data() + done)};
        sent = av_channel_layout_copy(&aSamples->ch_layout, &aSound.aEncoder->ch_layout) >= 0 &&
               av_frame_get_buffer(aSamples, 0) >= 0 &&
               swr_convert(aConvert, aSamples->extended_data, count, source, count) == count;
        aSamples->pts = aSound.aNext;
        aSound.aNext += count;
        done += size_t(count) * aChannels;
        if (!sent || !Encode(aSound, aSamples))
            return false;
    }
    aPending.erase(aPending.begin(), aPending.begin() + long(done));
    return sent;
}

TZVMovieOutput::TZVMovieOutput(const std::string& pPath) : aPath(pPath) {}

TZVMovieOutput::~TZVMovieOutput() {
    if (aState) {
        aState.reset();
        std::remove(PartName(aPath).c_str());
    }
}

bool TZVMovieOutput::Begin(const TMediaFormat& pFormat, std::string& pError) {
    // The encoders' statistics are no concern of the user's; their errors are.
    av_log_set_level(AV_LOG_ERROR);
    aState = std::make_unique<TState>();
    if (aState->Open(pFormat, PartName(aPath)))
        return true;
    pError = "cannot write " + aPath;
    return false;
}

bool TZVMovieOutput::AddFrame(long, const TBitmap* pPicture, const int16_t* pSound, int pCount,
                              std::string& pError) {
    const size_t values = size_t(std::max(pCount, 0)) * aState->aChannels;
    if (pSound)
        aState->aPending.insert(aState->aPending.end(), pSound, pSound + values);
    else
        aState->aPending.resize(aState->aPending.size() + values, 0);
    if (aState->AddPicture(pPicture) && aState->SendSound(false))
        return true;
    pError = "cannot write " + aPath;
    return false;
}

bool TZVMovieOutput::Finish(std::string& pError) {
    const bool done = aState->SendSound(true) && aState->Encode(aState->aPicture, nullptr) &&
                      aState->Encode(aState->aSound, nullptr) &&
                      av_write_trailer(aState->aOutput) >= 0 &&
                      avio_closep(&aState->aOutput->pb) >= 0;
    if (!done) {
        pError = "cannot write " + aPath;
        return false;
    }
    aState.reset();
    return Publish(aPath, pError);
}
