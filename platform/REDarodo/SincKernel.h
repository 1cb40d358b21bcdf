// The resampler's band-limited interpolation filter: a Kaiser-windowed sinc that passes what
// lies below half of the lower of the two rates and stops what lies above, so that a tone
// near the top of a medium's band leaves no alias and no image behind. The coefficients for
// an output depend only on where it lies between two medium frames, never on what was read
// before: each frame of a project may start anywhere, in any order.
#pragma once

#include <cstdint>
#include <vector>

class TSincKernel {
public:
    // The filter from pInRate to pOutRate frames a second (both above 0); equal rates pass the
    // medium's frames as they are.
    TSincKernel(int pInRate, int pOutRate);

    int GetOutRate() const { return aOutRate; }
    // Each output steps GetStep() / GetPhases() medium frames on: the rates' ratio, reduced.
    int64_t GetStep() const { return aStep; }
    int64_t GetPhases() const { return aPhases; }
    // An output GetPhases() past medium frame f weighs the GetLength() frames from
    // f - GetBefore() on; the length is a multiple of 8.
    int GetBefore() const { return aBefore; }
    int GetLength() const { return aLength; }
    // The weights of the output pPhase / GetPhases() past a medium frame (pPhase from 0 to
    // GetPhases() - 1), summing to 1; valid until the next call.
    const float* Weights(int64_t pPhase);

private:
    // Computes the weights of pPhase into pWeights.
    void Compute(int64_t pPhase, float* pWeights);

    int aOutRate;
    int64_t aStep;
    int64_t aPhases;
    // The filter's width in medium frames, its cutoff scaled down when the output's rate is
    // the lower one.
    double aScale;
    int aBefore;
    int aLength;
    // Every phase's weights, when they are few enough to keep; else aWeights holds the last
    // phase computed.
    std::vector<float> aTable;
    std::vector<float> aWeights;
    std::vector<double> aExact;
};
