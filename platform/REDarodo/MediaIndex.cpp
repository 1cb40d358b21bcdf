#include "MediaIndex.h"

#include <algorithm>

namespace {

// The stream of that type that the medium plays: the first one, cover pictures aside.
int FirstStream(const AVFormatContext* pInput, AVMediaType pType) {
    for (unsigned i = 0; i < pInput->nb_streams; ++i) {
        const AVStream* stream = pInput->streams[i];
        if (stream->codecpar->codec_type == pType &&
            !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return int(i);
    }
    return -1;
}

bool Valid(AVRational pRate) {
    return pRate.num > 0 && pRate.den > 0;
}

// Images and image sequences show 25 images a second; other files say their rate.
AVRational ImageRate(const AVFormatContext* pInput, const AVStream* pStream) {
    const std::string demuxer = pInput->iformat->name;
    const bool images = demuxer == "image2" || demuxer.find("_pipe") != std::string::npos;
    if (!images && Valid(pStream->r_frame_rate))
        return pStream->r_frame_rate;
    if (!images && Valid(pStream->avg_frame_rate))
        return pStream->avg_frame_rate;
    return AVRational{25, 1};
}

bool Refuse(wxString* pReason, const wxString& pText) {
    *pReason = pText;
    return false;
}

bool MakeVideo(const AVFormatContext* pInput, int pStream, TVideoIndex& pIndex, wxString* pReason) {
    const AVStream* stream = pInput->streams[pStream];
    const AVCodecParameters* parameters = stream->codecpar;
    pIndex.aStream = pStream;
    pIndex.aWidth = parameters->width;
    pIndex.aHeight = parameters->height;
    if (pIndex.aWidth < 1 || pIndex.aHeight < 1)
        return Refuse(pReason, "The image size is unknown");
    if (pIndex.aWidth > theMaxImageSide || pIndex.aHeight > theMaxImageSide)
        return Refuse(pReason, wxString::Format("The images are larger than %d pixels a side",
                                                theMaxImageSide));
    const AVPixFmtDescriptor* pixels = av_pix_fmt_desc_get(AVPixelFormat(parameters->format));
    pIndex.aAlpha = pixels && (pixels->flags & AV_PIX_FMT_FLAG_ALPHA);
    pIndex.aRate = ImageRate(pInput, stream);
    return true;
}

bool MakeAudio(const AVFormatContext* pInput, int pStream, TAudioIndex& pIndex, wxString* pReason) {
    const AVCodecParameters* parameters = pInput->streams[pStream]->codecpar;
    pIndex.aStream = pStream;
    pIndex.aRate = parameters->sample_rate;
    pIndex.aChannels = parameters->ch_layout.nb_channels;
    if (pIndex.aRate < 1 || pIndex.aRate > 1000000 || pIndex.aChannels < 1 || pIndex.aChannels > 64)
        return Refuse(pReason, "The sound format is not supported");
    return true;
}

// A packet's frame count: from its size where the codec fixes it, else from its duration.
int64_t PacketFrames(const AVStream* pStream, const AVPacket* pPacket, int pRate) {
    const int frames = av_get_audio_frame_duration2(pStream->codecpar, pPacket->size);
    if (frames > 0)
        return frames;
    if (pPacket->duration <= 0)
        return 0;
    return av_rescale_q(pPacket->duration, pStream->time_base, AVRational{1, pRate});
}

// A packet's time: its presentation time, else its decoding time, else its position.
int64_t PacketTime(const AVPacket* pPacket, size_t pOrdinal) {
    if (pPacket->pts != AV_NOPTS_VALUE)
        return pPacket->pts;
    return pPacket->dts != AV_NOPTS_VALUE ? pPacket->dts : int64_t(pOrdinal);
}

void Sort(TAudioIndex& pIndex) {
    std::vector<size_t> order(pIndex.aTimes.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t p1, size_t p2) { return pIndex.aTimes[p1] < pIndex.aTimes[p2]; });
    std::vector<int64_t> times, starts;
    for (size_t i : order) {
        times.push_back(pIndex.aTimes[i]);
        starts.push_back(pIndex.aStarts[i]);
    }
    pIndex.aTimes.swap(times);
    pIndex.aStarts.swap(starts);
}

bool ReadPackets(AVFormatContext* pInput, TVideoIndex* pVideo, TAudioIndex* pAudio,
                 wxString* pReason) {
    TPacketPtr packet(av_packet_alloc());
    if (!packet)
        return Refuse(pReason, "Out of memory");
    while (av_read_frame(pInput, packet.get()) >= 0) {
        const AVPacket* p = packet.get();
        // Packets the container marks to be dropped (outside an edit list) are not shown.
        if (p->flags & AV_PKT_FLAG_DISCARD)
            ;
        else if (pVideo && p->stream_index == pVideo->aStream) {
            if (pVideo->aTimes.size() >= size_t(theMaxPackets))
                return Refuse(pReason, wxString::Format("The file holds more than %ld images",
                                                        theMaxPackets));
            pVideo->aTimes.push_back(PacketTime(p, pVideo->aTimes.size()));
            if (p->flags & AV_PKT_FLAG_KEY)
                pVideo->aKeyTimes.push_back(pVideo->aTimes.back());
        } else if (pAudio && p->stream_index == pAudio->aStream) {
            if (pAudio->aTimes.size() >= size_t(theMaxPackets))
                return Refuse(pReason, "The sound has too many packets");
            const int64_t frames = PacketFrames(pInput->streams[p->stream_index], p, pAudio->aRate);
            if (frames > theMaxFrames - pAudio->aFrames)
                return Refuse(pReason, "The sound is too long");
            pAudio->aTimes.push_back(PacketTime(p, pAudio->aTimes.size()));
            pAudio->aStarts.push_back(pAudio->aFrames);
            pAudio->aFrames += frames;
        }
        av_packet_unref(packet.get());
    }
    return true;
}

} // namespace

long TVideoIndex::Find(int64_t pTime, long pAfter) const {
    const auto found = std::lower_bound(aTimes.begin(), aTimes.end(), pTime);
    if (found == aTimes.end() || *found != pTime)
        return -1;
    long image = long(found - aTimes.begin());
    while (image <= pAfter && size_t(image + 1) < aTimes.size() && aTimes[image + 1] == pTime)
        ++image;
    return image;
}

bool TVideoIndex::KeyTimeBefore(long pImage, int pBack, int64_t* pTime) const {
    const auto after = std::upper_bound(aKeyTimes.begin(), aKeyTimes.end(), aTimes[pImage]);
    long key = std::max(long(after - aKeyTimes.begin()) - 1, 0L) - pBack;
    if (key < 0 || size_t(key) >= aKeyTimes.size())
        return false;
    *pTime = aKeyTimes[key];
    return true;
}

int64_t TAudioIndex::StartAt(int64_t pTime) const {
    const auto found = std::lower_bound(aTimes.begin(), aTimes.end(), pTime);
    return found == aTimes.end() || *found != pTime ? -1 : aStarts[found - aTimes.begin()];
}

size_t TAudioIndex::PacketOf(int64_t pFrame) const {
    size_t packet = 0;
    for (size_t low = 0, high = aStarts.size(); low < high;) {
        const size_t middle = (low + high) / 2;
        if (aStarts[middle] <= pFrame)
            packet = middle, low = middle + 1;
        else
            high = middle;
    }
    return packet;
}

bool ScanMedia(const TMediaSource& pSource, std::shared_ptr<TVideoIndex>* pVideo,
               std::shared_ptr<TAudioIndex>* pAudio, wxString* pReason) {
    TInputPtr input = OpenInput(pSource, pReason);
    if (!input)
        return false;
    const int video = FirstStream(input.get(), AVMEDIA_TYPE_VIDEO);
    const int audio = FirstStream(input.get(), AVMEDIA_TYPE_AUDIO);
    if (video < 0 && audio < 0)
        return Refuse(pReason, "The file holds neither images nor sound");
    auto videoIndex = video < 0 ? nullptr : std::make_shared<TVideoIndex>();
    auto audioIndex = audio < 0 ? nullptr : std::make_shared<TAudioIndex>();
    if ((videoIndex && !MakeVideo(input.get(), video, *videoIndex, pReason)) ||
        (audioIndex && !MakeAudio(input.get(), audio, *audioIndex, pReason)) ||
        !ReadPackets(input.get(), videoIndex.get(), audioIndex.get(), pReason))
        return false;
    if (videoIndex) {
        std::sort(videoIndex->aTimes.begin(), videoIndex->aTimes.end());
        std::sort(videoIndex->aKeyTimes.begin(), videoIndex->aKeyTimes.end());
        if (videoIndex->aTimes.empty())
            videoIndex = nullptr;
    }
    if (audioIndex) {
        Sort(*audioIndex);
        if (audioIndex->aFrames == 0)
            audioIndex = nullptr;
    }
    if (!videoIndex && !audioIndex)
        return Refuse(pReason, "The file holds neither images nor sound");
    *pVideo = videoIndex;
    *pAudio = audioIndex;
    return true;
}
