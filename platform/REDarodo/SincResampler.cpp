#include "SincResampler.h"

#include <emmintrin.h>

#include <algorithm>

namespace {

// Medium frames the window holds: more than the widest filter reaches.
constexpr int theWindowFrames = 8192;

// The weighted sum of pLength samples (a multiple of 8), always added in the same order, so
// that an output does not depend on where the window lies.
float WeightedSum(const float* pWeights, const float* pSamples, int pLength) {
    __m128 low = _mm_setzero_ps(), high = _mm_setzero_ps();
    for (int i = 0; i < pLength; i += 8) {
        low = _mm_add_ps(low, _mm_mul_ps(_mm_loadu_ps(pWeights + i), _mm_loadu_ps(pSamples + i)));
        high = _mm_add_ps(
            high, _mm_mul_ps(_mm_loadu_ps(pWeights + i + 4), _mm_loadu_ps(pSamples + i + 4)));
    }
    float sums[4];
    _mm_storeu_ps(sums, _mm_add_ps(low, high));
    return (sums[0] + sums[1]) + (sums[2] + sums[3]);
}

// The nearest 16-bit sample, halves to even: the filter's ripple may overshoot full scale.
int16_t Rounded(float pValue) {
    return int16_t(_mm_cvtss_si32(_mm_set_ss(std::min(std::max(pValue, -32768.0f), 32767.0f))));
}

} // namespace

IMediaAudioOutput::~IMediaAudioOutput() = default;

IMediaAudioStream::~IMediaAudioStream() = default;

IMediaAudioStream* IMediaAudioStream::Create(TReaderAudio* pReader) {
    return new TSincResampler(pReader);
}

TSincResampler::TSincResampler(TReaderAudio* pReader)
    : aReader(pReader), aFormat(pReader->GetFormat()), aFrames(pReader->GetFrameCount()) {}

TSincResampler::~TSincResampler() = default;

void TSincResampler::SetStereo(bool pStereo) {
    aStereo = pStereo;
}

void TSincResampler::SetOutputRate(int pRate) {
    aRate = pRate;
}

void TSincResampler::Seek(int64_t pFrame) {
    aFirst = pFrame;
    aDone = 0;
}

IMediaAudioOutput* TSincResampler::GetOutput() {
    return this;
}

TAudioFormat TSincResampler::GetFormat() const {
    return aFormat;
}

int TSincResampler::Planes() const {
    return aStereo && aFormat.aChannels == 2 ? 2 : 1;
}

void TSincResampler::Hold(int64_t pFrom, int64_t pTo) {
    const int planes = Planes();
    if (planes == aWindowPlanes && pFrom >= aWindowStart && pTo <= aWindowEnd)
        return;
    aWindow.resize(size_t(theWindowFrames) * 2);
    // What the window already holds from pFrom on moves to its start.
    int64_t kept = 0;
    if (planes == aWindowPlanes && pFrom >= aWindowStart && pFrom < aWindowEnd) {
        kept = aWindowEnd - pFrom;
        for (int plane = 0; plane < planes; ++plane) {
            float* samples = &aWindow[size_t(plane) * theWindowFrames];
            std::copy_n(samples + (pFrom - aWindowStart), kept, samples);
        }
    }
    aWindowPlanes = planes;
    aWindowStart = pFrom;
    aWindowEnd = pFrom + theWindowFrames;
    Fill(pFrom + kept, aWindowEnd, kept);
}

void TSincResampler::Fill(int64_t pFrom, int64_t pTo, int64_t pAt) {
    const int channels = aFormat.aChannels;
    float* left = &aWindow[size_t(pAt)];
    float* right = left + theWindowFrames;
    // Silence before the medium and after it.
    const int64_t before = std::min(std::max(-pFrom, int64_t(0)), pTo - pFrom);
    const int64_t first = pFrom + before;
    const int64_t wanted = std::max(std::min(pTo, aFrames) - first, int64_t(0));
    aRead.resize(size_t(theWindowFrames) * channels);
    int read = 0;
    if (wanted > 0) {
        if (aReader->GetPosition() != first)
            aReader->Seek(first);
        read = aReader->Read(aRead.data(), int(wanted));
    }
    std::fill_n(left, before, 0.0f);
    std::fill_n(right, aWindowPlanes == 2 ? before : 0, 0.0f);
    for (int i = 0; i < read; ++i) {
        const int16_t* frame = &aRead[size_t(i) * channels];
        if (aWindowPlanes == 2) {
            left[before + i] = frame[0];
            right[before + i] = frame[1];
        } else {
            // Halves of whole numbers: the average is exact.
            left[before + i] =
                channels == 2 ? (float(frame[0]) + float(frame[1])) * 0.5f : frame[0];
        }
    }
    const int64_t rest = pTo - pFrom - before - read;
    std::fill_n(left + before + read, rest, 0.0f);
    std::fill_n(right + before + read, aWindowPlanes == 2 ? rest : 0, 0.0f);
}

int TSincResampler::Copy(int16_t* pBuffer, int pFrames) {
    const int64_t first = aFirst + aDone;
    if (first >= aFrames)
        return 0;
    if (aReader->GetPosition() != first)
        aReader->Seek(first);
    return aReader->Read(pBuffer, pFrames);
}

int TSincResampler::Filter(int16_t* pBuffer, int pFrames) {
    if (!aKernel || aKernel->GetOutRate() != aRate)
        aKernel = std::make_unique<TSincKernel>(aFormat.aRate, aRate);
    TSincKernel& kernel = *aKernel;
    const int64_t step = kernel.GetStep(), phases = kernel.GetPhases();
    const int before = kernel.GetBefore(), length = kernel.GetLength();
    const int planes = Planes(), channels = aStereo ? 2 : 1;
    // Output aDone lies aDone x step / phases medium frames after the sought one.
    int64_t frame = aFirst + aDone * step / phases;
    int64_t phase = aDone * step % phases;
    int done = 0;
    for (; done < pFrames && frame < aFrames; ++done) {
        Hold(frame - before, frame - before + length);
        const float* weights = kernel.Weights(phase);
        const size_t at = size_t(frame - before - aWindowStart);
        int16_t* output = pBuffer + size_t(done) * channels;
        for (int plane = 0; plane < planes; ++plane)
            output[plane] = Rounded(
                WeightedSum(weights, &aWindow[size_t(plane) * theWindowFrames + at], length));
        if (channels > planes)
            output[1] = output[0];
        phase += step;
        frame += phase / phases;
        phase %= phases;
    }
    return done;
}

int TSincResampler::Read(int16_t* pBuffer, int pFrames) {
    if (aRate <= 0 || pFrames <= 0)
        return 0;
    const int channels = aStereo ? 2 : 1;
    int done = 0;
    if (aRate == aFormat.aRate && channels == aFormat.aChannels && aFirst >= 0)
        done = Copy(pBuffer, pFrames);
    aDone += done;
    const int filtered = Filter(pBuffer + int64_t(done) * channels, pFrames - done);
    aDone += filtered;
    return done + filtered;
}
