#include "MediaWriter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct TCodecCloser {
    void operator()(AVCodecContext* p) const { avcodec_free_context(&p); }
};
struct TFrameCloser {
    void operator()(AVFrame* p) const { av_frame_free(&p); }
};
struct TPacketCloser {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct TOutputCloser {
    void operator()(AVFormatContext* p) const {
        if (p->pb)
            avio_closep(&p->pb);
        avformat_free_context(p);
    }
};
typedef std::unique_ptr<AVCodecContext, TCodecCloser> TCodecPtr;
typedef std::unique_ptr<AVFrame, TFrameCloser> TFramePtr;
typedef std::unique_ptr<AVPacket, TPacketCloser> TPacketPtr;

// The times of pictures at irregular times are in milliseconds.
const AVRational theIrregularTimeBase = {1, 1000};

// Image pImage of pDesc's picture in pFormat, converted bit-exactly from straight BGRA.
TFramePtr PictureFrame(const TPictureDesc& pDesc, int pImage, int pWidth, int pHeight,
                       AVPixelFormat pFormat) {
    std::vector<unsigned char> bgra(size_t(pWidth) * pHeight * 4);
    for (int y = 0; y < pHeight; ++y)
        for (int x = 0; x < pWidth; ++x) {
            unsigned char pixel[4];
            if (pDesc.aPixel)
                pDesc.aPixel(pImage, pDesc.aCount, pWidth, pHeight, x, y, pixel);
            else
                ExamplePixel(pImage, pDesc.aCount, pWidth, pHeight, x, y, pixel);
            std::copy_n(pixel, 4, &bgra[(size_t(y) * pWidth + x) * 4]);
        }
    TFramePtr frame(av_frame_alloc());
    frame->format = pFormat;
    frame->width = pWidth;
    frame->height = pHeight;
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return nullptr;
    SwsContext* scale =
        sws_getContext(pWidth, pHeight, AV_PIX_FMT_BGRA, pWidth, pHeight, pFormat,
                       SWS_POINT | SWS_BITEXACT | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (scale && pDesc.aMatrix != AVCOL_SPC_UNSPECIFIED) {
        const int* const matrix = sws_getCoefficients(pDesc.aMatrix);
        sws_setColorspaceDetails(scale, matrix, 1, matrix, pDesc.aRange == AVCOL_RANGE_JPEG, 0,
                                 1 << 16, 1 << 16);
    }
    const uint8_t* source[] = {bgra.data()};
    const int stride[] = {pWidth * 4};
    const bool done = scale && sws_scale(scale, source, stride, 0, pHeight, frame->data,
                                         frame->linesize) == pHeight;
    sws_freeContext(scale);
    return done ? std::move(frame) : nullptr;
}

// Frames pFirst to pFirst + pCount - 1 of the example tone, in the codec's sample format.
TFramePtr SoundFrame(const AVCodecContext* pCodec, const TSoundDesc& pDesc, long pFirst,
                     int pCount) {
    const int channels = pCodec->ch_layout.nb_channels;
    std::vector<short> samples(size_t(pCount) * channels);
    for (int i = 0; i < pCount; ++i)
        for (int c = 0; c < channels; ++c)
            samples[size_t(i) * channels + c] = pDesc.aSample(pFirst + i, c, pCodec->sample_rate);
    TFramePtr frame(av_frame_alloc());
    frame->format = pCodec->sample_fmt;
    frame->nb_samples = pCount;
    frame->sample_rate = pCodec->sample_rate;
    if (av_channel_layout_copy(&frame->ch_layout, &pCodec->ch_layout) < 0 ||
        av_frame_get_buffer(frame.get(), 0) < 0)
        return nullptr;
    SwrContext* convert = nullptr;
    AVChannelLayout layout = frame->ch_layout;
    swr_alloc_set_opts2(&convert, &layout, pCodec->sample_fmt, pCodec->sample_rate, &layout,
                        AV_SAMPLE_FMT_S16, pCodec->sample_rate, 0, nullptr);
    const uint8_t* source[] = {reinterpret_cast<const uint8_t*>(samples.data())};
    const bool done = convert && swr_init(convert) >= 0 &&
                      swr_convert(convert, frame->extended_data, pCount, source, pCount) == pCount;
    swr_free(&convert);
    frame->pts = pDesc.aDelay + pFirst;
    return done ? std::move(frame) : nullptr;
}

TCodecPtr OpenEncoder(const char* pName, const char* pOptions, bool pGlobalHeader,
                      void (*pSetUp)(AVCodecContext*, const void*), const void* pDesc) {
    const AVCodec* codec = avcodec_find_encoder_by_name(pName);
    if (!codec)
        return nullptr;
    TCodecPtr encoder(avcodec_alloc_context3(codec));
    pSetUp(encoder.get(), pDesc);
    encoder->flags |= AV_CODEC_FLAG_BITEXACT;
    if (pGlobalHeader)
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    encoder->thread_count = 1;
    AVDictionary* options = nullptr;
    av_dict_parse_string(&options, pOptions ? pOptions : "", "=", ":", 0);
    const int error = avcodec_open2(encoder.get(), codec, &options);
    av_dict_free(&options);
    return error < 0 ? nullptr : std::move(encoder);
}

void SetUpPicture(AVCodecContext* pCodec, const void* pDesc) {
    const TPictureDesc& desc = *static_cast<const TPictureDesc*>(pDesc);
    pCodec->width = desc.aWidth;
    pCodec->height = desc.aHeight;
    pCodec->pix_fmt = desc.aFormat;
    pCodec->time_base = desc.aTimes.empty() ? av_inv_q(desc.aRate) : theIrregularTimeBase;
    pCodec->framerate = desc.aRate;
    pCodec->colorspace = desc.aMatrix;
    pCodec->color_range = desc.aRange;
    pCodec->color_primaries = desc.aPrimaries;
    pCodec->color_trc = desc.aTransfer;
}

void SetUpSound(AVCodecContext* pCodec, const void* pDesc) {
    const TSoundDesc& desc = *static_cast<const TSoundDesc*>(pDesc);
    pCodec->sample_fmt = desc.aFormat;
    pCodec->sample_rate = desc.aRate;
    pCodec->time_base = AVRational{1, desc.aRate};
    av_channel_layout_default(&pCodec->ch_layout, desc.aChannels);
}

// One stream being written: its encoder, its stream and where it has got to.
struct TTrack {
    TCodecPtr aEncoder;
    AVStream* aStream = nullptr;
    const TPictureDesc* aPicture = nullptr;
    long aNext = 0; // next image or sound frame
    long aEnd = 0;
    bool aFlushed = false;

    // The time of image or sound frame pFrame, in the encoder's time base.
    int64_t TimeOf(long pFrame) const {
        return aPicture && !aPicture->aTimes.empty() ? aPicture->aTimes[size_t(pFrame)] : pFrame;
    }
    // How long the image at pTime shows: until the next one's time (the last one as long as
    // the one before it); one time unit at regular times.
    int64_t DurationAt(int64_t pTime) const {
        const std::vector<int64_t>& times = aPicture->aTimes;
        const auto next = std::upper_bound(times.begin(), times.end(), pTime);
        if (next == times.end())
            return times.size() > 1 ? times.back() - times[times.size() - 2] : 1;
        return *next - pTime;
    }
};

// Sends pFrame (null: the end) and writes every packet that comes out.
bool Encode(AVFormatContext* pOutput, TTrack& pTrack, AVFrame* pFrame) {
    if (avcodec_send_frame(pTrack.aEncoder.get(), pFrame) < 0)
        return false;
    TPacketPtr packet(av_packet_alloc());
    int received;
    while ((received = avcodec_receive_packet(pTrack.aEncoder.get(), packet.get())) >= 0) {
        // Every image lasts until the next: without it, an MP4's edit list ends an image early.
        if (pTrack.aPicture && packet->duration == 0)
            packet->duration = pTrack.aPicture->aTimes.empty() ? 1 : pTrack.DurationAt(packet->pts);
        av_packet_rescale_ts(packet.get(), pTrack.aEncoder->time_base, pTrack.aStream->time_base);
        packet->stream_index = pTrack.aStream->index;
        if (av_interleaved_write_frame(pOutput, packet.get()) < 0)
            return false;
    }
    return received == AVERROR(EAGAIN) || received == AVERROR_EOF;
}

// Encodes the next image or sound frame of pTrack, or the end once all are in.
bool Step(AVFormatContext* pOutput, TTrack& pTrack, const TPictureDesc* pPicture,
          const TSoundDesc* pSound) {
    if (pTrack.aNext >= pTrack.aEnd) {
        pTrack.aFlushed = true;
        return Encode(pOutput, pTrack, nullptr);
    }
    TFramePtr frame;
    if (pPicture) {
        frame = PictureFrame(*pPicture, int(pTrack.aNext), pPicture->aWidth, pPicture->aHeight,
                             pPicture->aFormat);
        if (frame)
            frame->pts = pTrack.TimeOf(pTrack.aNext);
        ++pTrack.aNext;
    } else {
        const int size = pTrack.aEncoder->frame_size > 0 ? pTrack.aEncoder->frame_size : 1024;
        const int count = int(std::min<long>(size, pTrack.aEnd - pTrack.aNext));
        frame = SoundFrame(pTrack.aEncoder.get(), *pSound, pTrack.aNext, count);
        pTrack.aNext += count;
    }
    return frame && Encode(pOutput, pTrack, frame.get());
}

bool AddTrack(AVFormatContext* pOutput, TTrack& pTrack, const char* pCodec, const char* pOptions,
              void (*pSetUp)(AVCodecContext*, const void*), const void* pDesc, long pEnd) {
    const bool global = pOutput->oformat->flags & AVFMT_GLOBALHEADER;
    pTrack.aEncoder = OpenEncoder(pCodec, pOptions, global, pSetUp, pDesc);
    pTrack.aStream = pTrack.aEncoder ? avformat_new_stream(pOutput, nullptr) : nullptr;
    pTrack.aEnd = pEnd;
    if (!pTrack.aStream)
        return false;
    pTrack.aStream->time_base = pTrack.aEncoder->time_base;
    return avcodec_parameters_from_context(pTrack.aStream->codecpar, pTrack.aEncoder.get()) >= 0;
}

// Tells the players to turn the pictures by pDegrees, as a phone does.
bool SetRotation(AVStream* pStream, int pDegrees) {
    uint8_t* matrix = av_stream_new_side_data(pStream, AV_PKT_DATA_DISPLAYMATRIX, 9 * 4);
    if (!matrix)
        return false;
    av_display_rotation_set(reinterpret_cast<int32_t*>(matrix), pDegrees);
    return true;
}

} // namespace

void ExamplePixel(int pImage, int pCount, int pWidth, int pHeight, int pX, int pY,
                  unsigned char (&pPixel)[4]) {
    pPixel[0] = (unsigned char)(pX * 4 + pImage * 8);
    pPixel[1] = (unsigned char)(pY * 4 + pImage * 2);
    pPixel[2] = (unsigned char)((pX + pY) * 2 + pImage * 4);
    const long cx = pWidth / 4 + long(pImage) * (pWidth / 2) / (pCount > 1 ? pCount - 1 : 1);
    const long cy = pHeight / 2, r = pHeight / 4 + 1, edge = 4;
    const long dx = pX - cx, dy = pY - cy, d2 = dx * dx + dy * dy;
    // Opaque inside r, falling to the ground's 96 over the next 4 pixels (squared distances).
    const long outer = (r + edge) * (r + edge);
    if (d2 <= r * r)
        pPixel[3] = 255;
    else if (d2 >= outer)
        pPixel[3] = 96;
    else
        pPixel[3] = (unsigned char)(96 + (255 - 96) * (outer - d2) / (outer - r * r));
}

short ExampleSample(long pFrame, int pChannel, int pRate) {
    // A parabola per half period: whole numbers only, so every machine computes the same.
    const long long frequency = pChannel % 2 ? 660 : 440;
    const unsigned phase = unsigned(pFrame * frequency * 65536 / pRate) & 0xFFFF;
    const long x = phase & 0x7FFF, y = x * (32768 - x) >> 14; // 0 to 16384
    return short(phase & 0x8000 ? -y : y);
}

short RampSample(long pFrame, int, int) {
    return short(30 * pFrame - 15000);
}

bool WriteMedia(const std::string& pPath, const TPictureDesc* pPicture, const TSoundDesc* pSound,
                const char* pOptions) {
    AVFormatContext* raw = nullptr;
    if (avformat_alloc_output_context2(&raw, nullptr, nullptr, pPath.c_str()) < 0)
        return false;
    std::unique_ptr<AVFormatContext, TOutputCloser> output(raw);
    output->flags |= AVFMT_FLAG_BITEXACT;
    TTrack picture, sound;
    picture.aPicture = pPicture;
    if ((pPicture && !AddTrack(raw, picture, pPicture->aCodec, pPicture->aOptions, SetUpPicture,
                               pPicture, pPicture->aCount)) ||
        (pPicture && pPicture->aRotation && !SetRotation(picture.aStream, pPicture->aRotation)) ||
        (pSound && !AddTrack(raw, sound, pSound->aCodec, pSound->aOptions, SetUpSound, pSound,
                             pSound->aFrames)))
        return false;
    AVDictionary* options = nullptr;
    av_dict_parse_string(&options, pOptions ? pOptions : "", "=", ":", 0);
    const bool opened = avio_open(&raw->pb, pPath.c_str(), AVIO_FLAG_WRITE) >= 0 &&
                        avformat_write_header(raw, &options) >= 0;
    av_dict_free(&options);
    if (!opened)
        return false;
    // Interleaved by time: whichever stream is behind goes next.
    for (;;) {
        const bool picturesLeft = pPicture && !picture.aFlushed;
        const bool soundLeft = pSound && !sound.aFlushed;
        if (!picturesLeft && !soundLeft)
            break;
        const bool picturesFirst =
            picturesLeft &&
            (!soundLeft || av_compare_ts(picture.TimeOf(std::min(picture.aNext, picture.aEnd - 1)),
                                         picture.aEncoder->time_base, pSound->aDelay + sound.aNext,
                                         AVRational{1, pSound->aRate}) <= 0);
        if (!(picturesFirst ? Step(raw, picture, pPicture, nullptr)
                            : Step(raw, sound, nullptr, pSound)))
            return false;
    }
    return av_write_trailer(raw) >= 0;
}

bool WritePng(const std::string& pPath, int pWidth, int pHeight, AVPixelFormat pFormat,
              int pImage) {
    const TPictureDesc desc = {"png", pFormat, pWidth, pHeight, 8, nullptr};
    TCodecPtr encoder = OpenEncoder("png", nullptr, false, SetUpPicture, &desc);
    TFramePtr frame = PictureFrame(desc, pImage, pWidth, pHeight, pFormat);
    TPacketPtr packet(av_packet_alloc());
    if (!encoder || !frame || avcodec_send_frame(encoder.get(), frame.get()) < 0 ||
        avcodec_receive_packet(encoder.get(), packet.get()) < 0)
        return false;
    FILE* file = std::fopen(pPath.c_str(), "wb");
    const bool written =
        file && std::fwrite(packet->data, 1, size_t(packet->size), file) == size_t(packet->size);
    return file && std::fclose(file) == 0 && written;
}

bool DamagePictures(const std::string& pPath, const std::vector<TDamage>& pDamages) {
    // Where the packets lie, from the file itself.
    AVFormatContext* input = nullptr;
    if (avformat_open_input(&input, pPath.c_str(), nullptr, nullptr) < 0)
        return false;
    std::vector<std::pair<int64_t, int>> packets; // position, size
    TPacketPtr packet(av_packet_alloc());
    while (av_read_frame(input, packet.get()) >= 0) {
        if (input->streams[packet->stream_index]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            packets.emplace_back(packet->pos, packet->size);
        av_packet_unref(packet.get());
    }
    avformat_close_input(&input);
    FILE* file = std::fopen(pPath.c_str(), "r+b");
    bool done = file != nullptr;
    for (const TDamage& damage : pDamages) {
        if (!done || damage.aPacket >= packets.size())
            return (file && std::fclose(file)), false;
        const auto [position, size] = packets[damage.aPacket];
        const int count = std::min(damage.aBytes, size);
        done = std::fseek(file, long(position + (size - count) / 2), SEEK_SET) == 0;
        for (int i = 0; done && i < count; ++i)
            done = std::fputc((i * 37 + 11) & 0xFF, file) != EOF;
    }
    return file && std::fclose(file) == 0 && done;
}
