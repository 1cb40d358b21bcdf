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
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return nullptr;
    return decoder;
}

wxString ErrorText(int pError) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(pError, text, sizeof text);
    return wxString::FromUTF8(text);
}
