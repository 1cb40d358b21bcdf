#include "LinearResampler.h"

#include <algorithm>
#include <cmath>

namespace {

// Medium frames read at a time.
constexpr int theWindowFrames = 8192;

} // namespace

IMediaAudioOutput::~IMediaAudioOutput() = default;

IMediaAudioStream::~IMediaAudioStream() = default;

IMediaAudioStream* IMediaAudioStream::Create(TReaderAudio* pReader) {
    return new TLinearResampler(pReader);
}

TLinearResampler::TLinearResampler(TReaderAudio* pReader)
    : aReader(pReader), aFormat(pReader->GetFormat()), aFrames(pReader->GetFrameCount()) {}

TLinearResampler::~TLinearResampler() = default;

void TLinearResampler::SetStereo(bool pStereo) {
    aStereo = pStereo;
}

void TLinearResampler::SetOutputRate(int pRate) {
    aRate = pRate;
}

void TLinearResampler::Seek(int64_t pFrame) {
    aFirst = pFrame;
    aDone = 0;
}

IMediaAudioOutput* TLinearResampler::GetOutput() {
    return this;
}

TAudioFormat TLinearResampler::GetFormat() const {
    return aFormat;
}

void TLinearResampler::Load(int64_t pFrame) {
    const int channels = aFormat.aChannels;
    // Reading on keeps the window's last frame first, which the interpolation between the
    // two windows needs.
    const int keep = pFrame == aWindowEnd && aWindowEnd > aWindowStart ? 1 : 0;
    aWindow.resize(size_t(theWindowFrames) * channels);
    if (keep)
        std::copy_n(aWindow.begin() + (aWindowEnd - 1 - aWindowStart) * channels, channels,
                    aWindow.begin());
    if (aReader->GetPosition() != pFrame)
        aReader->Seek(pFrame);
    const int read = aReader->Read(aWindow.data() + keep * channels, theWindowFrames - keep);
    aWindowStart = pFrame - keep;
    aWindowEnd = pFrame + read;
}

int TLinearResampler::Sample(int64_t pFrame, int pChannel) {
    if (pFrame < 0 || pFrame >= aFrames)
        return 0;
    if (pFrame < aWindowStart || pFrame >= aWindowEnd)
        Load(pFrame);
    if (pFrame >= aWindowEnd)
        return 0;
    return aWindow[size_t(pFrame - aWindowStart) * aFormat.aChannels + pChannel];
}

int16_t TLinearResampler::Interpolate(double pPosition, int pChannel) {
    const double floor = std::floor(pPosition);
    const double fraction = pPosition - floor;
    const int64_t frame = int64_t(floor);
    // The medium's channels that make this output channel: one, or both averaged.
    const bool average = !aStereo && aFormat.aChannels == 2;
    const int channel = aFormat.aChannels == 2 ? pChannel : 0;
    double value = 0;
    for (int c = average ? 0 : channel; c <= (average ? 1 : channel); ++c) {
        const double before = Sample(frame, c);
        value += fraction == 0 ? before : before + (Sample(frame + 1, c) - before) * fraction;
    }
    // Within the 16-bit range: an average or interpolation of 16-bit values.
    return int16_t(std::nearbyint(average ? value / 2 : value));
}

int TLinearResampler::Copy(int16_t* pBuffer, int pFrames) {
    const int channels = aFormat.aChannels;
    const int64_t first = aFirst + aDone;
    int done = 0;
    // What the window holds comes from it; the rest straight from the reader.
    if (first >= aWindowStart && first < aWindowEnd) {
        done = int(std::min<int64_t>(pFrames, aWindowEnd - first));
        std::copy_n(aWindow.begin() + (first - aWindowStart) * channels, done * channels, pBuffer);
    }
    if (done < pFrames && first + done < aFrames) {
        if (aReader->GetPosition() != first + done)
            aReader->Seek(first + done);
        done += aReader->Read(pBuffer + int64_t(done) * channels, pFrames - done);
    }
    return done;
}

int TLinearResampler::Read(int16_t* pBuffer, int pFrames) {
    if (aRate <= 0 || pFrames <= 0)
        return 0;
    const double step = double(aFormat.aRate) / aRate;
    const int channels = aStereo ? 2 : 1;
    int done = 0;
    if (step == 1.0 && channels == aFormat.aChannels && aFirst >= 0)
        done = Copy(pBuffer, pFrames);
    for (; done < pFrames; ++done) {
        const double position = double(aFirst) + double(aDone + done) * step;
        if (position >= double(aFrames))
            break;
        for (int c = 0; c < channels; ++c)
            pBuffer[done * channels + c] = Interpolate(position, c);
    }
    aDone += done;
    return done;
}
