// The resampler's band-limited interpolation filter: a Kaiser-windowed sinc that passes what
// lies below half of the lower of the two rates and stops what lies above, so that a tone
// near the top of a medium's band leaves no alias and no image behind. The coefficients for
// an output depend only on where it lies between two medium frames, never on what was read
// before: each frame of a project may start anywhere, in any order.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

class TSincKernel {
public:
    // The filter that keeps pScale of the medium's band (from 1/1024 to 1: the output's rate
    // over the medium's, when lower). pPhases (0 for none): the outputs at k / pPhases past a
    // medium frame get weights of their own, kept when they are few enough; with a pScale of
    // 1 and one phase, each output is its medium frame as it is.
    TSincKernel(double pScale, int64_t pPhases);

    // The medium frames before an output's that the filter keeping pScale of the band weighs,
    // and as many after: how far its ringing reaches beyond the medium's first and last frames.
    static int Before(double pScale);

    double GetScale() const { return aScale; }
    int64_t GetPhases() const { return aPhases; }
    // The weights of the pPhases phases are kept.
    bool HasPhases() const { return !aTable.empty(); }
    // An output past medium frame f weighs the GetLength() frames from f - GetBefore() on;
    // the length is a multiple of 8.
    int GetBefore() const { return aBefore; }
    int GetLength() const { return aLength; }
    // The kept weights of the output pPhase / GetPhases() past a medium frame, summing to 1.
    const float* Weights(int64_t pPhase) const { return &aTable[size_t(pPhase * aLength)]; }
    // Weights as aWeights[i] + aFraction x aSlopes[i] (aSlopes null: aWeights alone).
    struct TBlend {
        const float* aWeights;
        const float* aSlopes;
        float aFraction;
    };
    // The weights of the output pPhase / pGrid past a medium frame (pPhase from 0 to pGrid - 1,
    // pGrid at most 2^32), between those of the two nearest of a fixed set of phases.
    TBlend Between(int64_t pPhase, int64_t pGrid) {
        if (pGrid != aGrid)
            UseGrid(pGrid);
        // Fixed phase p and the fraction of the way to the next.
        const double at = double(pPhase) * aFinePerPhase;
        const int64_t p = std::min(int64_t(at), aFinePhases - 1);
        return {&aFine[size_t(p * aLength)], &aSlopes[size_t(p * aLength)], float(at - double(p))};
    }

private:
    // Computes the weights of the output pOffset medium frames past a frame into pWeights.
    void Compute(double pOffset, float* pWeights);
    // Makes the fixed phases on first use, and takes the phases of pGrid.
    void UseGrid(int64_t pGrid);

    double aScale;
    // aScale within 1/1024 and 1.
    double aBand;
    int64_t aPhases;
    int aBefore;
    int aLength;
    // The kept weights of the pPhases phases, one row each.
    std::vector<float> aTable;
    // The fixed phases, aFinePhases + 1 rows from 0 to 1, each with the step to the next row
    // (aSlopes), made on first use.
    int64_t aFinePhases = 0;
    std::vector<float> aFine;
    std::vector<float> aSlopes;
    // Fixed phases a phase of the last grid asked for.
    int64_t aGrid = 0;
    double aFinePerPhase = 0.0;
    std::vector<double> aExact;
};
