// Feeds whole files to TZVMedia::Open: the input is written to a temporary file, opened,
// and every image and the first second of sound are read, sound also through the
// resampler. Hostile files must be refused or read within bounds: the scan's counts, the
// readers' positions and the conversions must hold whatever the file claims.
#include "FuzzInput.h"
#include "REDarodo/AudioStream.h"
#include "REDarodo/Media.h"
#include "REDarodo/MediaAudioStream.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Images larger than this are opened but not decoded: their buffers are bounded, only too
// large for the fuzzer's memory limit.
constexpr long theMaxFuzzPixels = 4096L * 4096;

void ReadImages(const TZVVideoTrack& pTrack) {
    std::unique_ptr<IReaderVideo> reader(pTrack.CreateReader());
    const TImageFormat format = reader->GetFormat();
    Require(format.aWidth == pTrack.GetWidth() && format.aHeight == pTrack.GetHeight());
    if (long(format.aWidth) * format.aHeight > theMaxFuzzPixels)
        return;
    for (long image = 0; image < pTrack.GetImageCount() && image < 64; ++image) {
        const TBitmap& bitmap = reader->GetImage(image);
        Require(!bitmap.GetRawData() ||
                (bitmap.GetWidth() == format.aWidth && bitmap.GetHeight() == format.aHeight));
    }
}

void ReadSound(TZVMedia& pMedia) {
    const TZVAudioTrack& track = *pMedia.GetAudio();
    const int channels = track.GetChannelCount(), rate = track.GetSampleRate();
    const int second = std::min<int64_t>(rate, track.GetFrameCount()) > 0
                           ? int(std::min<int64_t>(rate, track.GetFrameCount()))
                           : 0;
    std::vector<int16_t> buffer(size_t(second + 1) * 2);
    std::unique_ptr<TReaderAudio> reader(track.CreateReader());
    Require(reader->Read(buffer.data(), second) == second);
    reader->Seek(track.GetFrameCount() / 2);
    Require(reader->Read(buffer.data(), 1) == (track.GetFrameCount() > 0 ? 1 : 0));
    std::unique_ptr<IMediaAudioStream> stream(IMediaAudioStream::Create(reader.get()));
    stream->SetStereo(channels == 1);
    stream->SetOutputRate(rate / 3 + 1.5);
    stream->Seek(-7.25);
    const int read = stream->GetOutput()->Read(buffer.data(), second / 4);
    Require(read >= 0 && read <= second / 4);
    TZVAudioStream sequential(&pMedia);
    Require(sequential.GetFormat().aChannels == channels);
    Require(sequential.Read(buffer.data(), second) == second);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    // FFmpeg's complaints about broken files would drown the fuzzer's output.
    static const bool theQuiet = (av_log_set_level(AV_LOG_QUIET), true);
    (void)theQuiet;
    char path[] = "/tmp/MediaFuzzXXXXXX";
    const int file = mkstemp(path);
    Require(file >= 0);
    const bool written = write(file, pData, pSize) == ssize_t(pSize);
    close(file);
    Require(written);
    wxString reason;
    std::unique_ptr<TZVMedia> media(TZVMedia::Open(path, &reason));
    if (media) {
        Require(media->GetVideo() || media->GetAudio());
        Require(media->GetDuration() >= 0);
        if (media->GetVideo())
            ReadImages(*media->GetVideo());
        if (media->GetAudio())
            ReadSound(*media);
    } else {
        Require(!reason.empty());
    }
    unlink(path);
    return 0;
}
