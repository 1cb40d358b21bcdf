#include "MovieOutput.h"

#include "DLL/Edt/MediaFormat.h"
#include "FileIo.h"
#include "FileName.h"
#include "PartFile.h"
#include "YuvPicture.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <climits>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// x264 refuses a side longer than this, and has no call that says so.
constexpr int theLongestSide = 16384;

// One encoded stream of the file.
struct TTrack {
    AVCodecContext* aEncoder = nullptr;
    AVStream* aStream = nullptr;
    int64_t aNext = 0; // pts of the next frame sent
};

} // namespace

// One picture converted to the encoder's format, with the converter that made it: pictures
// are converted side by side, each with a converter of its own.
struct TConversion {
    ~TConversion() { av_frame_free(&aFrame); }

    std::unique_ptr<TZVYuvPicture> aYuv;
    AVFrame* aFrame = nullptr;
};

struct TZVMovieOutput::TState {
    ~TState() {
        for (TTrack* track : {&aPicture, &aSound})
            avcodec_free_context(&track->aEncoder);
        av_frame_free(&aSamples);
        av_packet_free(&aPacket);
        swr_free(&aConvert);
        avformat_free_context(aOutput);
    }

    // Each answers FFmpeg's error code of a failure, else 0.
    // The file goes through pFile.
    int Open(const TMediaFormat& pFormat, AVIOContext* pFile);
    int AddTrack(TTrack& pTrack, const char* pCodec,
                 void (*pSetUp)(AVCodecContext*, const TMediaFormat&), const TMediaFormat& pFormat);
    // Makes pTrack's encoder anew with pCodec set up by pSetUp for pFormat, on pThreads
    // threads, and opens it.
    int OpenEncoder(TTrack& pTrack, const AVCodec* pCodec,
                    void (*pSetUp)(AVCodecContext*, const TMediaFormat&),
                    const TMediaFormat& pFormat, int pThreads);
    // Sends pFrame (null: the end) and writes every packet that comes out.
    int Encode(TTrack& pTrack, AVFrame* pFrame);
    // Converts pPicture (null: black) into a conversion of its own, kept for frame pFrame.
    void Prepare(long pFrame, const TBitmap* pPicture);
    // Encodes frame pFrame's picture, converted by Prepare or now.
    int AddPicture(long pFrame, const TBitmap* pPicture);
    int Convert(const TBitmap* pPicture, TConversion& pTo);
    // A conversion from the spare ones, or a new one.
    std::unique_ptr<TConversion> TakeConversion();
    // Sends whole encoder frames of the pending sound; pAll sends the rest too.
    int SendSound(bool pAll);
    // Writes the rest and the file's end.
    int Finish();

    AVFormatContext* aOutput = nullptr;
    TTrack aPicture;
    TTrack aSound;
    AVFrame* aSamples = nullptr;
    AVPacket* aPacket = nullptr;
    SwrContext* aConvert = nullptr;
    std::vector<int16_t> aPending; // sound not yet sent, interleaved
    std::mutex aMutex;             // guards the conversions, made on several threads
    std::vector<std::unique_ptr<TConversion>> aSpare;
    std::map<long, std::unique_ptr<TConversion>> aPrepared;
    int aWidth = 0;
    int aHeight = 0;
    int aChannels = 0;
    int aThreads = 0; // the encoders' threads, 0: as many as the machine has
};

namespace {

// The time of one frame at pRate thousandths of a frame a second: a rate that rounds
// N * 1000 / 1001 (29970, 23976, 59940) is the NTSC rate that players know, N * 1000 / 1001.
AVRational FrameTime(int32_t pRate) {
    const int64_t whole = (int64_t(pRate) * 1001 + 500000) / 1000000;
    if (whole > 0 && (whole * 1000000 + 500) / 1001 == pRate)
        return AVRational{1001, int(whole * 1000)};
    AVRational time;
    av_reduce(&time.num, &time.den, 1000, pRate, INT32_MAX);
    return time;
}

void SetUpPicture(AVCodecContext* pCodec, const TMediaFormat& pFormat) {
    // H.264 in 4:2:0 wants even sizes.
    pCodec->width = (pFormat.aWidth + 1) & ~1;
    pCodec->height = (pFormat.aHeight + 1) & ~1;
    pCodec->pix_fmt = AV_PIX_FMT_YUV420P;
    // The colours as TZVYuvPicture makes them: the matrix by the size, the limited range; the
    // pictures' own colours are sRGB's, whose primaries are BT.709's, written with BT.709's
    // transfer as video of sRGB pictures conventionally is.
    pCodec->colorspace =
        TZVYuvPicture::IsHd(pCodec->width, pCodec->height) ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
    pCodec->color_range = AVCOL_RANGE_MPEG;
    pCodec->color_primaries = AVCOL_PRI_BT709;
    pCodec->color_trc = AVCOL_TRC_BT709;
    pCodec->time_base = FrameTime(pFormat.aRate);
    pCodec->framerate = AVRational{pCodec->time_base.den, pCodec->time_base.num};
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

int TZVMovieOutput::TState::OpenEncoder(TTrack& pTrack, const AVCodec* pCodec,
                                        void (*pSetUp)(AVCodecContext*, const TMediaFormat&),
                                        const TMediaFormat& pFormat, int pThreads) {
    avcodec_free_context(&pTrack.aEncoder);
    pTrack.aEncoder = avcodec_alloc_context3(pCodec);
    if (!pTrack.aEncoder)
        return AVERROR(ENOMEM);
    pSetUp(pTrack.aEncoder, pFormat);
    pTrack.aEncoder->thread_count = pThreads;
    // x264's AVX-512 code reads memory it has not written, so that a block comes out
    // differently from one run to the next; its plain code does not.
    if (aThreads == 1 && &pTrack == &aPicture)
        av_opt_set(pTrack.aEncoder->priv_data, "x264-params", "asm=0", 0);
    if (aOutput->oformat->flags & AVFMT_GLOBALHEADER)
        pTrack.aEncoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    return avcodec_open2(pTrack.aEncoder, pCodec, nullptr);
}

int TZVMovieOutput::TState::AddTrack(TTrack& pTrack, const char* pCodec,
                                     void (*pSetUp)(AVCodecContext*, const TMediaFormat&),
                                     const TMediaFormat& pFormat) {
    const AVCodec* codec = avcodec_find_encoder_by_name(pCodec);
    if (!codec)
        return AVERROR_ENCODER_NOT_FOUND;
    // A quarter more encoder threads than cores: x264's frames wait on the rows of the ones
    // before them, and spare threads keep the cores busy meanwhile. Its own choice, half again
    // as many as cores, is a tenth faster still but holds as many more pictures (45 MB more
    // at 1080p on 8 cores, beyond what FFmpeg's own program holds for the same job).
    const int cores = int(std::max(std::thread::hardware_concurrency(), 1u));
    int threads = aThreads > 0 ? aThreads : cores + cores / 4;
    int opened = OpenEncoder(pTrack, codec, pSetUp, pFormat, threads);
    // x264 fails as a whole when one of its threads cannot start (a limit of processes): it
    // encodes on as many as start, down to one, which is the calling thread alone.
    while (opened == AVERROR_EXTERNAL && threads > 1)
        opened = OpenEncoder(pTrack, codec, pSetUp, pFormat, --threads);
    if (opened < 0)
        return opened;
    pTrack.aStream = avformat_new_stream(aOutput, nullptr);
    if (!pTrack.aStream)
        return AVERROR(ENOMEM);
    pTrack.aStream->time_base = pTrack.aEncoder->time_base;
    return std::min(avcodec_parameters_from_context(pTrack.aStream->codecpar, pTrack.aEncoder), 0);
}

int TZVMovieOutput::TState::Open(const TMediaFormat& pFormat, AVIOContext* pFile) {
    int result =
        pFile ? avformat_alloc_output_context2(&aOutput, nullptr, "mp4", nullptr) : AVERROR(ENOMEM);
    if (result >= 0)
        result = AddTrack(aPicture, "libx264", SetUpPicture, pFormat);
    if (result >= 0)
        result = AddTrack(aSound, "aac", SetUpSound, pFormat);
    if (result < 0)
        return result;
    aWidth = aPicture.aEncoder->width;
    aHeight = aPicture.aEncoder->height;
    aChannels = aSound.aEncoder->ch_layout.nb_channels;
    aSamples = av_frame_alloc();
    aPacket = av_packet_alloc();
    AVChannelLayout layout = aSound.aEncoder->ch_layout;
    swr_alloc_set_opts2(&aConvert, &layout, AV_SAMPLE_FMT_FLTP, aSound.aEncoder->sample_rate,
                        &layout, AV_SAMPLE_FMT_S16, aSound.aEncoder->sample_rate, 0, nullptr);
    if (!aSamples || !aPacket || !aConvert)
        return AVERROR(ENOMEM);
    result = swr_init(aConvert);
    aOutput->flags |= AVFMT_FLAG_CUSTOM_IO;
    aOutput->pb = pFile;
    if (result >= 0)
        result = avformat_write_header(aOutput, nullptr);
    return std::min(result, 0);
}

int TZVMovieOutput::TState::Encode(TTrack& pTrack, AVFrame* pFrame) {
    int result = avcodec_send_frame(pTrack.aEncoder, pFrame);
    if (result < 0)
        return result;
    int received;
    while ((received = avcodec_receive_packet(pTrack.aEncoder, aPacket)) >= 0) {
        // Every image lasts one image time: without it, the file's edit list ends an image
        // early.
        if (&pTrack == &aPicture && aPacket->duration == 0)
            aPacket->duration = 1;
        av_packet_rescale_ts(aPacket, pTrack.aEncoder->time_base, pTrack.aStream->time_base);
        aPacket->stream_index = pTrack.aStream->index;
        result = av_interleaved_write_frame(aOutput, aPacket);
        if (result < 0)
            return result;
    }
    if (received != AVERROR(EAGAIN) && received != AVERROR_EOF)
        return received;
    // The file's buffer reports a failed write (a full disk) at the next write.
    return std::min(aOutput->pb->error, 0);
}

std::unique_ptr<TConversion> TZVMovieOutput::TState::TakeConversion() {
    std::lock_guard<std::mutex> lock(aMutex);
    if (aSpare.empty())
        return std::make_unique<TConversion>();
    std::unique_ptr<TConversion> conversion = std::move(aSpare.back());
    aSpare.pop_back();
    return conversion;
}

int TZVMovieOutput::TState::Convert(const TBitmap* pPicture, TConversion& pTo) {
    if (!pTo.aYuv)
        pTo.aYuv = std::make_unique<TZVYuvPicture>(aWidth, aHeight);
    if (!pTo.aFrame)
        pTo.aFrame = av_frame_alloc();
    if (!pTo.aFrame)
        return AVERROR(ENOMEM);
    // A buffer that could not be had is asked for again: the failure reset the whole frame.
    if (!pTo.aFrame->buf[0]) {
        pTo.aFrame->format = AV_PIX_FMT_YUV420P;
        pTo.aFrame->width = aWidth;
        pTo.aFrame->height = aHeight;
        const int allocated = av_frame_get_buffer(pTo.aFrame, 0);
        if (allocated < 0)
            return allocated;
    }
    const int writable = av_frame_make_writable(pTo.aFrame);
    if (writable < 0)
        return writable;
    pTo.aYuv->Convert(pPicture, pTo.aFrame->data, pTo.aFrame->linesize);
    return 0;
}

void TZVMovieOutput::TState::Prepare(long pFrame, const TBitmap* pPicture) {
    std::unique_ptr<TConversion> conversion = TakeConversion();
    const bool converted = Convert(pPicture, *conversion) >= 0;
    std::lock_guard<std::mutex> lock(aMutex);
    // One that failed is converted again when the frame is added, which then says why.
    if (converted)
        aPrepared[pFrame] = std::move(conversion);
    else
        aSpare.push_back(std::move(conversion));
}

int TZVMovieOutput::TState::AddPicture(long pFrame, const TBitmap* pPicture) {
    std::unique_ptr<TConversion> conversion;
    {
        std::lock_guard<std::mutex> lock(aMutex);
        const auto prepared = aPrepared.find(pFrame);
        if (prepared != aPrepared.end()) {
            conversion = std::move(prepared->second);
            aPrepared.erase(prepared);
        }
    }
    int result = 0;
    if (!conversion) {
        conversion = TakeConversion();
        result = Convert(pPicture, *conversion);
    }
    if (result >= 0) {
        conversion->aFrame->pts = aPicture.aNext++;
        result = Encode(aPicture, conversion->aFrame);
    }
    std::lock_guard<std::mutex> lock(aMutex);
    aSpare.push_back(std::move(conversion));
    return result;
}

int TZVMovieOutput::TState::SendSound(bool pAll) {
    const int size = aSound.aEncoder->frame_size > 0 ? aSound.aEncoder->frame_size : 1024;
    size_t done = 0;
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
        int result = av_channel_layout_copy(&aSamples->ch_layout, &aSound.aEncoder->ch_layout);
        if (result >= 0)
            result = av_frame_get_buffer(aSamples, 0);
        if (result >= 0)
            result = swr_convert(aConvert, aSamples->extended_data, count, source, count);
        if (result >= 0 && result != count)
            result = AVERROR_BUG;
        aSamples->pts = aSound.aNext;
        aSound.aNext += count;
        done += size_t(count) * aChannels;
        if (result >= 0)
            result = Encode(aSound, aSamples);
        if (result < 0)
            return result;
    }
    aPending.erase(aPending.begin(), aPending.begin() + long(done));
    return 0;
}

int TZVMovieOutput::TState::Finish() {
    int result = SendSound(true);
    if (result >= 0)
        result = Encode(aPicture, nullptr);
    if (result >= 0)
        result = Encode(aSound, nullptr);
    if (result >= 0)
        result = av_write_trailer(aOutput);
    if (result >= 0)
        avio_flush(aOutput->pb);
    return result < 0 ? result : std::min(aOutput->pb->error, 0);
}

TZVMovieOutput::TZVMovieOutput(const std::string& pPath, int pThreads, std::ostream& pNotes)
    : aPath(pPath), aThreads(pThreads), aNotes(pNotes) {}

// The encoder state goes before the file that it writes into is removed.
TZVMovieOutput::~TZVMovieOutput() {
    aState.reset();
}

bool TZVMovieOutput::CheckEncoderSize(int pWidth, int pHeight, std::string& pError) {
    const long width = (long(pWidth) + 1) & ~1L, height = (long(pHeight) + 1) & ~1L;
    // libavcodec's own limit is what av_image_check_size2 answers, asked as the encoder asks
    // it (any format, its default of INT_MAX pixels), silently.
    if (width <= theLongestSide && height <= theLongestSide &&
        av_image_check_size2(unsigned(width), unsigned(height), INT_MAX, AV_PIX_FMT_NONE,
                             AV_LOG_MAX_OFFSET, nullptr) >= 0)
        return true;
    pError = "the project's frame size " + std::to_string(pWidth) + " x " + std::to_string(pHeight);
    if (width != pWidth || height != pHeight)
        pError += " (" + std::to_string(width) + " x " + std::to_string(height) + " padded)";
    pError += " is too large for H.264: at most " + std::to_string(theLongestSide) +
              " pixels a side, and (width + 128) x (height + 128) below 16384 x 16384";
    return false;
}

bool TZVMovieOutput::Begin(const TMediaFormat& pFormat, std::string& pError) {
    if (!CheckPictureSize(pFormat.aWidth, pFormat.aHeight, pError) ||
        !CheckEncoderSize(pFormat.aWidth, pFormat.aHeight, pError))
        return false;
    if ((pFormat.aWidth | pFormat.aHeight) & 1)
        aNotes << "zvrender: " << TZVFileName::Shown(aPath) << ": H.264 takes even sizes only: the "
               << pFormat.aWidth << " x " << pFormat.aHeight
               << " pictures are padded with black to " << ((pFormat.aWidth + 1) & ~1) << " x "
               << ((pFormat.aHeight + 1) & ~1) << "\n";
    // The encoders' statistics are no concern of the user's; their errors are.
    av_log_set_level(AV_LOG_ERROR);
    aFile = std::make_unique<TZVPartFile>(aPath);
    if (aFile->IsOpen() && !aFile->IsSeekable())
        aFile->Fail("it cannot seek, and an MP4 file is completed by going back to its start");
    if (!aFile->IsOpen() || !aFile->IsSeekable()) {
        pError = aFile->Error();
        return false;
    }
    aIo = std::make_unique<TZVFileIo>(*aFile);
    aState = std::make_unique<TState>();
    aState->aThreads = aThreads;
    return Check(aState->Open(pFormat, aIo->Get()), pError);
}

void TZVMovieOutput::Prepare(long pFrame, const TBitmap* pPicture) {
    aState->Prepare(pFrame, pPicture);
}

bool TZVMovieOutput::AddFrame(long pFrame, const TBitmap* pPicture, const int16_t* pSound,
                              int pCount, std::string& pError) {
    const size_t values = size_t(std::max(pCount, 0)) * aState->aChannels;
    if (pSound)
        aState->aPending.insert(aState->aPending.end(), pSound, pSound + values);
    else
        aState->aPending.resize(aState->aPending.size() + values, 0);
    int result = aState->AddPicture(pFrame, pPicture);
    if (result >= 0)
        result = aState->SendSound(false);
    return Check(result, pError);
}

bool TZVMovieOutput::Finish(std::string& pError) {
    if (!Check(aState->Finish(), pError))
        return false;
    aState.reset();
    if (aFile->Publish())
        return true;
    pError = aFile->Error();
    return false;
}

bool TZVMovieOutput::Check(int pResult, std::string& pError) {
    if (pResult < 0)
        aFile->Fail(FFmpegReason(pResult));
    if (pResult >= 0 && aFile->IsOpen())
        return true;
    pError = aFile->Error();
    return false;
}
