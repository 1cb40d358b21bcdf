#include "FFmpeg.h"

namespace {

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

} // namespace

TMediaSource::TMediaSource(const wxString& pPath)
    : aPath(pPath.utf8_str().data()), aSequence(IsSequencePattern(aPath)) {}

TInputPtr OpenInput(const TMediaSource& pSource, wxString* pReason) {
    AVFormatContext* input = nullptr;
    AVDictionary* options = nullptr;
    const AVInputFormat* format = nullptr;
    std::string url = pSource.aPath;
    if (pSource.aSequence) {
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
        *pReason = wxString::Format("The file cannot be opened: %s", ErrorText(error));
        return nullptr;
    }
    TInputPtr result(input);
    error = avformat_find_stream_info(input, nullptr);
    if (error < 0) {
        *pReason = wxString::Format("The file cannot be read: %s", ErrorText(error));
        return nullptr;
    }
    return result;
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
    return wxString::FromUTF8(text);
}

bool TDecoding::Open(const TMediaSource& pSource, int pStream) {
    wxString reason;
    aInput = OpenInput(pSource, &reason);
    aDecoder = aInput ? OpenDecoder(aInput->streams[pStream]) : nullptr;
    aFrame.reset(av_frame_alloc());
    aPacket.reset(av_packet_alloc());
    aStream = pStream;
    aDraining = false;
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
        if (received != AVERROR(EAGAIN) || aDraining)
            return false;
        int read;
        while ((read = av_read_frame(aInput.get(), aPacket.get())) >= 0 &&
               aPacket->stream_index != aStream)
            av_packet_unref(aPacket.get());
        aDraining = read < 0;
        avcodec_send_packet(aDecoder.get(), aDraining ? nullptr : aPacket.get());
        av_packet_unref(aPacket.get());
    }
}
