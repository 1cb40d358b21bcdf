#include "SincKernel.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// Periods of the lower rate the filter reaches on either side, and its window's shape: the
// stopband lies 100 dB down from 0.56 of the lower rate on (aliases and images come from
// there), the band passes flat (within 0.0001 dB) to 0.38.
constexpr int theHalfWidth = 20;
constexpr double theBeta = 10.0;
// Where the response falls to half, as a fraction of the lower rate's half.
constexpr double theCutoff = 0.95;
// Samples of the filter's shape a period, between which it is interpolated.
constexpr int theShapeSteps = 2048;
// The widest filter, for outputs at 1/32 of the medium's rate or slower: beyond it, speeding
// the sound up aliases rather than reading ever more of the medium for each output.
constexpr double theNarrowest = 1.0 / 32;
// Weights kept for every phase up to this count (a megabyte).
constexpr int64_t theTableWeights = 1 << 18;

// The modified Bessel function of order 0, by its series.
double BesselI0(double pX) {
    double sum = 1, term = 1;
    for (int k = 1; term > sum * 1e-17; ++k) {
        term *= (pX / (2 * k)) * (pX / (2 * k));
        sum += term;
    }
    return sum;
}

// The filter at the lower rate: the shape at u periods from its centre, u from 0 to
// theHalfWidth in theShapeSteps steps a period (and one more, 0, for the interpolation).
const std::vector<double>& Shape() {
    static const std::vector<double> theShape = [] {
        std::vector<double> shape(size_t(theHalfWidth) * theShapeSteps + 2, 0.0);
        const double pi = 3.14159265358979323846;
        for (size_t i = 0; i + 2 < shape.size(); ++i) {
            const double u = double(i) / theShapeSteps, x = pi * theCutoff * u;
            const double window = u / theHalfWidth;
            shape[i] = (i == 0 ? theCutoff : theCutoff * std::sin(x) / x) *
                       BesselI0(theBeta * std::sqrt(1 - window * window)) / BesselI0(theBeta);
        }
        return shape;
    }();
    return theShape;
}

// The shape at pPeriods from the centre (any sign), interpolated linearly between its samples.
double ShapeAt(double pPeriods) {
    const std::vector<double>& shape = Shape();
    const double at = std::fabs(pPeriods) * theShapeSteps;
    if (!(at < double(shape.size() - 2)))
        return 0;
    const size_t i = size_t(at);
    const double fraction = at - double(i);
    return shape[i] + (shape[i + 1] - shape[i]) * fraction;
}

} // namespace

TSincKernel::TSincKernel(int pInRate, int pOutRate) : aOutRate(pOutRate) {
    const int64_t common = std::gcd(int64_t(pInRate), int64_t(pOutRate));
    aStep = pInRate / common;
    aPhases = pOutRate / common;
    if (pInRate == pOutRate) {
        // Each output is its medium frame.
        aScale = 1;
        aBefore = 0;
        aLength = 8;
        aTable.assign(size_t(aLength), 0.0f);
        aTable[0] = 1;
        return;
    }
    aScale = std::max(std::min(1.0, double(pOutRate) / pInRate), theNarrowest);
    const int reach = int(std::ceil(theHalfWidth / aScale));
    aBefore = reach - 1;
    aLength = (2 * reach + 7) / 8 * 8;
    aWeights.resize(size_t(aLength));
    aExact.resize(size_t(aLength));
    if (aPhases * aLength > theTableWeights)
        return;
    aTable.resize(size_t(aPhases * aLength));
    for (int64_t phase = 0; phase < aPhases; ++phase)
        Compute(phase, &aTable[size_t(phase * aLength)]);
}

const float* TSincKernel::Weights(int64_t pPhase) {
    if (!aTable.empty())
        return &aTable[size_t(pPhase * aLength)];
    Compute(pPhase, aWeights.data());
    return aWeights.data();
}

void TSincKernel::Compute(int64_t pPhase, float* pWeights) {
    // Weight i is that of medium frame f - aBefore + i for an output pPhase / aPhases past f.
    const double offset = double(pPhase) / double(aPhases) + aBefore;
    double sum = 0;
    for (int i = 0; i < aLength; ++i) {
        aExact[size_t(i)] = ShapeAt((offset - i) * aScale);
        sum += aExact[size_t(i)];
    }
    // Summing to 1, the filter passes a constant as it is.
    for (int i = 0; i < aLength; ++i)
        pWeights[i] = float(aExact[size_t(i)] / sum);
}
