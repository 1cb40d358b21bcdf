#include "FFmpeg.h"

#include "REDarodo/NameText.h"

#include <climits>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

typedef int (*TOpener)(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**);

// What an input's file opener needs: FFmpeg's own opener, and what the guard refused; and
// the folder of a sequence whose images are opened through it, held while the input is.
struct TInputGuard {
    ~TInputGuard() {
        if (aFolder >= 0)
            close(aFolder);
    }

    TOpener aOpen;
    std::string aRefusal;
    int aFolder = -1;
};

// Why pPath may not be opened ("x.mkv is a FIFO, not a regular file"); empty for a regular
// file, and for a path that cannot be looked at (opening it then fails with its own reason).
std::string NotRegular(const std::string& pPath) {
    struct stat status;
    if (stat(pPath.c_str(), &status) != 0 || S_ISREG(status.st_mode))
        return std::string();
    const mode_t mode = status.st_mode;
    const char* const kind = S_ISDIR(mode)    ? "a directory"
                             : S_ISFIFO(mode) ? "a FIFO"
                             : S_ISCHR(mode)  ? "a character device"
                             : S_ISBLK(mode)  ? "a block device"
                             : S_ISSOCK(mode) ? "a socket"
                                              : nullptr;
    std::string name = pPath.substr(0, pPath.find_last_not_of('/') + 1);
    name = name.substr(name.rfind('/') + 1);
    return (name.empty() ? pPath : name) +
           (kind ? std::string(" is ") + kind + ", not a regular file"
                 : std::string(" is not a regular file"));
}

// The input's opener of files, its own and those its demuxer opens: refuses any file but a
// regular one. Opening a FIFO without a writer blocks forever, reading a device may never end.
// Called from FFmpeg, which no exception may cross: no memory to look at the name fails the
// opening as FFmpeg's own would.
int OpenRegular(AVFormatContext* pInput, AVIOContext** pFile, const char* pUrl, int pFlags,
                AVDictionary** pOptions) {
    TInputGuard* const guard = static_cast<TInputGuard*>(pInput->opaque);
    try {
        const std::string url = pUrl;
        std::string refusal = NotRegular(url.compare(0, 5, "file:") == 0 ? url.substr(5) : url);
        if (refusal.empty())
            return guard->aOpen(pInput, pFile, pUrl, pFlags, pOptions);
        guard->aRefusal = std::move(refusal);
        return AVERROR(EINVAL);
    } catch (const std::bad_alloc&) {
        return AVERROR(ENOMEM);
    }
}

// The reasons are made without wxString::Format, which does not say when memory runs out: they
// are made on readers' threads too.
wxString RefusalReason(const TInputGuard& pGuard) {
    return pGuard.aRefusal.empty() ? wxString()
                                   : L"The file cannot be opened: " + NameText(pGuard.aRefusal);
}

// The reason an input failed at pStep: the guard's refusal when there is one.
wxString Failure(const wchar_t* pStep, int pError, const TInputGuard& pGuard) {
    return pGuard.aRefusal.empty()
               ? wxString(L"The file cannot be ") + pStep + L": " + ErrorText(pError)
               : RefusalReason(pGuard);
}

// True when pPath holds exactly one conversion, an integer one ("%d", "%03d"), and no
// other "%" than "%%".
bool IsSequencePattern(const std::string& pPath) {
    int conversions = 0;
    for (size_t i = 0; i < pPath.size(); ++i) {
        if (pPath[i] != '%')
            continue;
        if (i + 1 < pPath.size() && pPath[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t end = i + 1;
        while (end < pPath.size() && pPath[end] >= '0' && pPath[end] <= '9')
            ++end;
        if (end == pPath.size() || pPath[end] != 'd')
            return false;
        ++conversions;
        i = end;
    }
    return conversions == 1;
}

// Keeps in pFailure why pInput's file could not be read, if its reading failed (not its end,
// nor its data), and lets it read again after a seek: the error would stay until cleared.
void NoteReadError(AVFormatContext* pInput, wxString& pFailure) {
    AVIOContext* const file = pInput->pb;
    if (!file || file->error >= 0 || file->error == AVERROR_EOF)
        return;
    if (pFailure.empty())
        pFailure = ErrorText(file->error);
    file->error = 0;
}

// The name the images of the sequence pPath are opened by. FFmpeg makes each image's name in
// 1024 bytes, which a long path outgrows: the path through its folder, held in pGuard, is
// short ("/proc/self/fd/7/clip_%03d.png"). pPath where its names fit, where its folder holds a
// "%" or cannot be opened.
std::string SequenceUrl(const std::string& pPath, TInputGuard& pGuard) {
    char name[1024];
    const size_t slash = pPath.rfind('/');
    // The widest number makes the longest name.
    if (av_get_frame_filename(name, sizeof name, pPath.c_str(), INT_MAX) == 0 ||
        slash == std::string::npos || pPath.find('%') < slash)
        return pPath;
    pGuard.aFolder = open(pPath.substr(0, slash + 1).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return pGuard.aFolder < 0
               ? pPath
               : "/proc/self/fd/" + std::to_string(pGuard.aFolder) + pPath.substr(slash);
}

// The decimal digits of pValue, made as the reasons are, without wxString::Format.
wxString Digits(long long pValue) {
    return NameText(std::to_string(pValue));
}

// Whether pInput's file ended before pScannedSize, the size it had when its medium was
// scanned: it was cut short (truncated while it was read, or replaced), and what lay beyond is
// lost; pFailure says so the first time. An end the demuxer finds before the file's (an MP4's
// index after its data) is no failure: the file is as long as it was.
bool NoteCutShort(AVFormatContext* pInput, int64_t pScannedSize, wxString& pFailure) {
    AVIOContext* const file = pInput->pb;
    const int64_t size = file && pScannedSize >= 0 ? avio_size(file) : -1;
    if (size < 0 || size >= pScannedSize)
        return false;
    if (pFailure.empty())
        pFailure = L"The file has been cut short: " + Digits(size) + L" of its " +
                   Digits(pScannedSize) + L" bytes are left";
    return true;
}

// "h264 video", "pcm_s16le audio".
wxString Kind(const TStreamShape& pStream) {
    const char* const type = av_get_media_type_string(pStream.aType);
    return NameText(avcodec_get_name(pStream.aCodec)) + L" " + NameText(type ? type : "data");
}

// How pNow differs from pThen, the stream pIndex was; empty when it does not. Made on readers'
// threads, as the reasons are.
wxString StreamChange(unsigned pIndex, const TStreamShape& pNow, const TStreamShape& pThen) {
    if (pNow.aType != pThen.aType || pNow.aCodec != pThen.aCodec)
        return L"its stream " + Digits(pIndex) + L" is " + Kind(pNow) + L", not " + Kind(pThen);
    if (pNow.aWidth != pThen.aWidth || pNow.aHeight != pThen.aHeight)
        return L"its pictures are " + Digits(pNow.aWidth) + L" x " + Digits(pNow.aHeight) +
               L", not " + Digits(pThen.aWidth) + L" x " + Digits(pThen.aHeight);
    if (pNow.aImageRate.num != pThen.aImageRate.num || pNow.aImageRate.den != pThen.aImageRate.den)
        return L"its pictures come " + Digits(pNow.aImageRate.num) + L"/" +
               Digits(pNow.aImageRate.den) + L" a second, not " + Digits(pThen.aImageRate.num) +
               L"/" + Digits(pThen.aImageRate.den);
    if (pNow.aRate != pThen.aRate || pNow.aChannels != pThen.aChannels)
        return L"its sound is " + Digits(pNow.aRate) + L" Hz in " + Digits(pNow.aChannels) +
               L" channels, not " + Digits(pThen.aRate) + L" Hz in " + Digits(pThen.aChannels) +
               L" channels";
    return wxString();
}

} // namespace

TStreamShape::TStreamShape(const AVStream& pStream)
    : aType(pStream.codecpar->codec_type), aCodec(pStream.codecpar->codec_id),
      aWidth(pStream.codecpar->width), aHeight(pStream.codecpar->height),
      aImageRate(pStream.r_frame_rate), aRate(pStream.codecpar->sample_rate),
      aChannels(pStream.codecpar->ch_layout.nb_channels) {}

TMediaSource::TMediaSource(const wxString& pPath)
    : aPath(NameBytes(pPath)), aSequence(IsSequencePattern(aPath)) {}

void TMediaSource::NoteFailure(const wxString& pCause) const {
    const std::lock_guard<std::mutex> lock(aFailureMutex);
    if (aFailure.empty())
        aFailure = pCause;
}

wxString TMediaSource::GetFailure() const {
    const std::lock_guard<std::mutex> lock(aFailureMutex);
    return aFailure;
}

void TFormatCloser::operator()(AVFormatContext* pInput) const {
    const TInputGuard* const guard = static_cast<TInputGuard*>(pInput->opaque);
    avformat_close_input(&pInput);
    delete guard;
}

TInputPtr OpenInput(const TMediaSource& pSource, wxString* pReason) {
    AVFormatContext* input = avformat_alloc_context();
    if (!input) {
        *pReason = L"The file cannot be opened: " + ErrorText(AVERROR(ENOMEM));
        return nullptr;
    }
    TInputGuard* const guard = new TInputGuard{input->io_open, std::string()};
    input->opaque = guard;
    input->io_open = OpenRegular;
    AVDictionary* options = nullptr;
    const AVInputFormat* format = nullptr;
    std::string url = pSource.aPath;
    if (pSource.aSequence) {
        url = SequenceUrl(url, *guard);
        format = av_find_input_format("image2");
        av_dict_set(&options, "pattern_type", "sequence", 0);
        av_dict_set(&options, "framerate", "25", 0);
    } else {
        // A plain file, whatever its name holds (a colon is no protocol, a "%" no pattern).
        url = "file:" + url;
        av_dict_set(&options, "pattern_type", "none", 0);
    }
    int error = avformat_open_input(&input, url.c_str(), format, &options);
    av_dict_free(&options);
    if (error < 0) {
        // FFmpeg has freed the input.
        *pReason = Failure(L"opened", error, *guard);
        delete guard;
        return nullptr;
    }
    TInputPtr result(input);
    error = avformat_find_stream_info(input, nullptr);
    // A refused image of a sequence leaves the stream without its parameters.
    if (error < 0 || !guard->aRefusal.empty()) {
        *pReason = Failure(L"read", error, *guard);
        return nullptr;
    }
    return result;
}

wxString Refusal(const AVFormatContext* pInput) {
    return RefusalReason(*static_cast<const TInputGuard*>(pInput->opaque));
}

wxString Changed(const AVFormatContext* pInput, const std::vector<TStreamShape>& pStreams) {
    wxString change;
    if (pInput->nb_streams != pStreams.size())
        change = L"it holds " + Digits(pInput->nb_streams) +
                 (pInput->nb_streams == 1 ? L" stream" : L" streams") + L", not " +
                 Digits(static_cast<long long>(pStreams.size()));
    for (unsigned i = 0; change.empty() && i < pInput->nb_streams; ++i)
        change = StreamChange(i, TStreamShape(*pInput->streams[i]), pStreams[i]);
    return change.empty() ? change : L"The file has changed: " + change;
}

TCodecPtr OpenDecoder(const AVStream* pStream) {
    const AVCodec* codec = avcodec_find_decoder(pStream->codecpar->codec_id);
    if (!codec)
        return nullptr;
    TCodecPtr decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), pStream->codecpar) < 0)
        return nullptr;
    decoder->thread_count = 1;
    decoder->pkt_timebase = pStream->time_base;
    // Sound frames come whole, with the priming and padding to drop said beside them: the
    // decoder itself would drop the priming only when it decodes from the start.
    if (pStream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
        decoder->flags2 |= AV_CODEC_FLAG2_SKIP_MANUAL;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return nullptr;
    return decoder;
}

wxString ErrorText(int pError) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(pError, text, sizeof text);
    return NameText(text);
}

bool TDecoding::Open(const TMediaSource& pSource, int pStream) {
    wxString reason;
    aInput = aChanged ? nullptr : OpenInput(pSource, &reason);
    // Replaced or cut to almost nothing since its scan, the file holds other streams.
    if (aInput && !(reason = Changed(aInput.get(), pSource.aStreams)).empty()) {
        aInput = nullptr;
        aChanged = true;
    }
    // It opened when the medium did: now it cannot be read.
    if (!aInput && aFailure.empty())
        aFailure = reason;
    aDecoder = aInput ? OpenDecoder(aInput->streams[pStream]) : nullptr;
    aFrame.reset(av_frame_alloc());
    aPacket.reset(av_packet_alloc());
    aStream = pStream;
    aDraining = false;
    aEndedShort = false;
    aScannedSize = pSource.aSize;
    if (!aDecoder || !aFrame || !aPacket)
        aInput = nullptr;
    return aInput != nullptr;
}

bool TDecoding::Seek(int64_t pTime) {
    avcodec_flush_buffers(aDecoder.get());
    aDraining = false;
    return av_seek_frame(aInput.get(), aStream, pTime, AVSEEK_FLAG_BACKWARD) >= 0;
}

bool TDecoding::Receive() {
    for (;;) {
        const int received = avcodec_receive_frame(aDecoder.get(), aFrame.get());
        if (received >= 0)
            return true;
        // Any other error is the decoder refusing a packet (PCM cut inside a sample): it takes
        // the next one.
        if (received == AVERROR_EOF || aDraining)
            return false;
        int read;
        while ((read = av_read_frame(aInput.get(), aPacket.get())) >= 0 &&
               aPacket->stream_index != aStream)
            av_packet_unref(aPacket.get());
        aDraining = read < 0;
        if (aDraining) {
            NoteReadError(aInput.get(), aFailure);
            aEndedShort = NoteCutShort(aInput.get(), aScannedSize, aFailure);
        }
        avcodec_send_packet(aDecoder.get(), aDraining ? nullptr : aPacket.get());
        av_packet_unref(aPacket.get());
    }
}
