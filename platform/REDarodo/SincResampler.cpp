#include "SincResampler.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// Medium frames the window holds at least, and as a multiple of a filter's length.
constexpr int theWindowFrames = 8192;
constexpr int theWindowFilters = 2;
// Phases a medium frame at a rate that is not whole, and at most at a whole one.
constexpr int64_t theFineGrid = int64_t(1) << 32;
// A rate this near a whole one (relative) is that rate: the rate a frame of a project asks
// for comes from times in seconds, whose rounding leaves less.
constexpr double theWholeRate = 0x1p-30;
// A position this near a phase (relative, at least as near as 2^-46 frames) is that phase.
constexpr double theOnPhase = 0x1p-46;
// Positions beyond these frames are silence, and steps of more are that long.
constexpr double theFarthest = 0x1p53;
constexpr double theLongestStep = 0x1p24;

// The weighted sums of pLength samples (a multiple of 8) of tPlanes planes of the window from
// pSamples on (planes pPlane samples apart), with pBlend's weights (tBlended: interpolated), always
// added in the same order, so that an output does not depend on where the window lies. The sum of
// the four values of pSums, in the same order every time.
float Total(__m128 pSums) {
    float sums[4];
    _mm_storeu_ps(sums, pSums);
    return (sums[0] + sums[1]) + (sums[2] + sums[3]);
}

template <int tPlanes, bool tBlended>
void WeightedSums(const TSincKernel::TBlend& pBlend, const float* pSamples, int pPlane, int pLength,
                  float* pSums) {
    const __m128 fraction = _mm_set1_ps(pBlend.aFraction);
    const float* right = pSamples + pPlane;
    __m128 low = _mm_setzero_ps(), high = low, rightLow = low, rightHigh = low;
    for (int i = 0; i < pLength; i += 8) {
        __m128 first = _mm_loadu_ps(pBlend.aWeights + i);
        __m128 second = _mm_loadu_ps(pBlend.aWeights + i + 4);
        if (tBlended) {
            first = _mm_add_ps(first, _mm_mul_ps(fraction, _mm_loadu_ps(pBlend.aSlopes + i)));
            second = _mm_add_ps(second, _mm_mul_ps(fraction, _mm_loadu_ps(pBlend.aSlopes + i + 4)));
        }
        low = _mm_add_ps(low, _mm_mul_ps(first, _mm_loadu_ps(pSamples + i)));
        high = _mm_add_ps(high, _mm_mul_ps(second, _mm_loadu_ps(pSamples + i + 4)));
        if (tPlanes == 2) {
            rightLow = _mm_add_ps(rightLow, _mm_mul_ps(first, _mm_loadu_ps(right + i)));
            rightHigh = _mm_add_ps(rightHigh, _mm_mul_ps(second, _mm_loadu_ps(right + i + 4)));
        }
    }
    pSums[0] = Total(_mm_add_ps(low, high));
    if (tPlanes == 2)
        pSums[1] = Total(_mm_add_ps(rightLow, rightHigh));
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

void TSincResampler::SetOutputRate(double pRate) {
    // The next output stays where it is.
    if (aPlaced)
        aSought = double(aFrame) + double(aPhase) / double(aGrid);
    aRate = pRate;
    aPlaced = false;
}

void TSincResampler::Seek(double pFrame) {
    aSought = pFrame;
    aPlaced = false;
}

IMediaAudioOutput* TSincResampler::GetOutput() {
    return this;
}

TAudioFormat TSincResampler::GetFormat() const {
    return aFormat;
}

int64_t TSincResampler::GetReach(double pRate) const {
    const double rate = double(aFormat.aRate);
    if (!(pRate > 0) || std::fabs(pRate - rate) <= pRate * theWholeRate)
        return 0;
    return TSincKernel::Before(std::min(pRate / rate, 1.0));
}

int TSincResampler::Planes() const {
    return aStereo && aFormat.aChannels == 2 ? 2 : 1;
}

void TSincResampler::Hold(int64_t pFrom, int64_t pTo) {
    const int planes = Planes();
    if (planes == aWindowPlanes && pFrom >= aWindowStart && pTo <= aWindowEnd)
        return;
    aWindow.resize(size_t(aWindowFrames) * 2);
    // What the window already holds from pFrom on moves to its start.
    int64_t kept = 0;
    if (planes == aWindowPlanes && pFrom >= aWindowStart && pFrom < aWindowEnd) {
        kept = aWindowEnd - pFrom;
        for (int plane = 0; plane < planes; ++plane) {
            float* samples = &aWindow[size_t(plane) * aWindowFrames];
            std::copy_n(samples + (pFrom - aWindowStart), kept, samples);
        }
    }
    aWindowPlanes = planes;
    aWindowStart = pFrom;
    aWindowEnd = pFrom + aWindowFrames;
    Fill(pFrom + kept, aWindowEnd, kept);
}

void TSincResampler::Fill(int64_t pFrom, int64_t pTo, int64_t pAt) {
    const int channels = aFormat.aChannels;
    float* left = &aWindow[size_t(pAt)];
    float* right = left + aWindowFrames;
    // Silence before the medium and after it.
    const int64_t before = std::min(std::max(-pFrom, int64_t(0)), pTo - pFrom);
    const int64_t first = pFrom + before;
    const int64_t wanted = std::max(std::min(pTo, aFrames) - first, int64_t(0));
    aRead.resize(size_t(aWindowFrames) * channels);
    int read = 0;
    if (wanted > 0) {
        if (aReader->GetPosition() != first)
            aReader->Seek(first);
        read = aReader->ReadAhead(aRead.data(), int(wanted));
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

void TSincResampler::Place() {
    aPlaced = true;
    const double rate = double(aFormat.aRate), whole = std::nearbyint(aRate);
    const double sought = aSought < theFarthest ? std::max(aSought, -theFarthest) : theFarthest;
    double scale;
    int64_t phases = 0;
    if (whole >= 1 && whole <= 2147483647.0 && std::fabs(aRate - whole) <= aRate * theWholeRate) {
        const int64_t common = std::gcd(int64_t(whole), int64_t(aFormat.aRate));
        phases = int64_t(whole) / common;
        aSpacing = std::max(theFineGrid / phases, int64_t(1));
        aGrid = phases * aSpacing;
        aStep = aFormat.aRate / common * aSpacing;
        scale = std::min(whole / rate, 1.0);
        PlaceAt(sought, phases, aSpacing);
    } else {
        aSpacing = 1;
        aGrid = theFineGrid;
        aStep = int64_t(std::nearbyint(std::min(rate / aRate, theLongestStep) * double(aGrid)));
        // The band in steps of 2^-16: frames at speeds a hair apart share the filter.
        scale = std::nearbyint(std::min(aRate / rate, 1.0) * 65536) / 65536;
        PlaceAt(sought, aGrid, 1);
    }
    if (!aKernel || aKernel->GetScale() != scale || aKernel->GetPhases() != phases) {
        aKernel = std::make_unique<TSincKernel>(scale, phases);
        // A longer filter wants a larger window, which is read anew.
        const int frames = std::max(theWindowFrames, theWindowFilters * aKernel->GetLength());
        if (frames != aWindowFrames)
            aWindowPlanes = 0;
        aWindowFrames = frames;
    }
    aOnPhases = aKernel->HasPhases() && aPhase % aSpacing == 0;
    aRinging = aOnPhases && scale == 1 && phases == 1 ? 0 : aKernel->GetBefore();
}

void TSincResampler::PlaceAt(double pFrame, int64_t pPhases, int64_t pSpacing) {
    const double frame = std::floor(pFrame), fraction = pFrame - frame;
    const double nearest = std::nearbyint(fraction * double(pPhases));
    const double near = std::max(std::fabs(pFrame), 1.0) * theOnPhase;
    aFrame = int64_t(frame);
    aPhase = std::fabs(fraction - nearest / double(pPhases)) <= near
                 ? int64_t(nearest) * pSpacing
                 : int64_t(std::nearbyint(fraction * double(aGrid)));
    if (aPhase >= aGrid) {
        aPhase -= aGrid;
        ++aFrame;
    }
}

int TSincResampler::Copy(int16_t* pBuffer, int pFrames) {
    if (aFrame >= aFrames)
        return 0;
    if (aReader->GetPosition() != aFrame)
        aReader->Seek(aFrame);
    const int done = aReader->Read(pBuffer, pFrames);
    aFrame += done;
    return done;
}

int TSincResampler::Filter(int16_t* pBuffer, int pFrames) {
    if (Planes() == 2)
        return aOnPhases ? FilterWith<2, false>(pBuffer, pFrames)
                         : FilterWith<2, true>(pBuffer, pFrames);
    return aOnPhases ? FilterWith<1, false>(pBuffer, pFrames)
                     : FilterWith<1, true>(pBuffer, pFrames);
}

template <int tPlanes, bool tBlended>
int TSincResampler::FilterWith(int16_t* pBuffer, int pFrames) {
    TSincKernel& kernel = *aKernel;
    const int before = kernel.GetBefore(), length = kernel.GetLength();
    const int channels = aStereo ? 2 : 1;
    const int64_t frames = aStep / aGrid, phases = aStep % aGrid;
    int done = 0;
    int64_t played = aFrame;
    // The filter rings out after the last frame as it rings in before the first.
    for (; done < pFrames && aFrame < aFrames + aRinging; ++done) {
        played = aFrame;
        Hold(aFrame - before, aFrame - before + length);
        const TSincKernel::TBlend blend =
            tBlended ? kernel.Between(aPhase, aGrid)
                     : TSincKernel::TBlend{kernel.Weights(aPhase / aSpacing), nullptr, 0.0f};
        float sums[tPlanes];
        WeightedSums<tPlanes, tBlended>(blend, &aWindow[size_t(aFrame - before - aWindowStart)],
                                        aWindowFrames, length, sums);
        int16_t* output = pBuffer + size_t(done) * channels;
        for (int plane = 0; plane < tPlanes; ++plane)
            output[plane] = Rounded(sums[plane]);
        if (channels > tPlanes)
            output[1] = output[0];
        aFrame += frames;
        aPhase += phases;
        if (aPhase >= aGrid) {
            aPhase -= aGrid;
            ++aFrame;
        }
    }
    // The window reads ahead: sound lost there is said once an output lies on it.
    if (done > 0)
        aReader->SayLossBefore(played + 1);
    return done;
}

int TSincResampler::Read(int16_t* pBuffer, int pFrames) {
    if (!(aRate > 0) || pFrames <= 0)
        return 0;
    if (!aPlaced)
        Place();
    const int channels = aStereo ? 2 : 1;
    int done = 0;
    // Equal rates on a whole frame.
    if (aOnPhases && aStep == aGrid && aPhase == 0 && channels == aFormat.aChannels && aFrame >= 0)
        done = Copy(pBuffer, pFrames);
    return done + Filter(pBuffer + int64_t(done) * channels, pFrames - done);
}
