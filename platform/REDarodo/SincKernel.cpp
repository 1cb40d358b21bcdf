#include "SincKernel.h"

#include <algorithm>
#include <cmath>

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
// The widest filter, for outputs at 1/1024 of the medium's rate or slower (40,960 weights): up
// to there the filter reaches as far as the band asks, so that sound sped up that much leaves
// no alias; beyond, it aliases rather than reading ever more of the medium for each output.
constexpr double theNarrowest = 1.0 / 1024;
// Weights kept for every phase up to this count (a megabyte).
constexpr int64_t theTableWeights = 1 << 18;
// Weights of the fixed phases between which other outputs are interpolated: 256 phases a
// medium frame for the shortest filter (40 weights), where interpolating leaves its error about
// 110 dB below a 15 kHz tone at 44,100 frames a second (128: 100 dB, 64: 86 dB), far below the
// rounding of 16-bit samples; a filter n times longer keeps a band n times narrower, which n
// times fewer phases serve as well.
constexpr int64_t theFineWeights = 256 * 40;

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

int TSincKernel::Before(double pScale) {
    return int(std::ceil(theHalfWidth / std::max(std::min(pScale, 1.0), theNarrowest))) - 1;
}

TSincKernel::TSincKernel(double pScale, int64_t pPhases)
    : aScale(pScale), aBand(std::max(std::min(pScale, 1.0), theNarrowest)), aPhases(pPhases) {
    aBefore = Before(pScale);
    const int reach = aBefore + 1;
    aLength = (2 * reach + 7) / 8 * 8;
    aExact.resize(size_t(aLength));
    if (pPhases <= 0 || pPhases * aLength > theTableWeights)
        return;
    aTable.resize(size_t(pPhases * aLength));
    if (aBand == 1 && pPhases == 1) {
        // Equal rates: each output is its medium frame.
        aTable[size_t(aBefore)] = 1;
        return;
    }
    for (int64_t phase = 0; phase < pPhases; ++phase)
        Compute(double(phase) / double(pPhases), &aTable[size_t(phase * aLength)]);
}

void TSincKernel::UseGrid(int64_t pGrid) {
    if (aFine.empty()) {
        aFinePhases = std::max<int64_t>(theFineWeights / aLength, 1);
        aFine.resize(size_t((aFinePhases + 1) * aLength));
        aSlopes.resize(size_t(aFinePhases * aLength));
        for (int64_t phase = 0; phase <= aFinePhases; ++phase)
            Compute(double(phase) / double(aFinePhases), &aFine[size_t(phase * aLength)]);
        for (size_t i = 0; i < aSlopes.size(); ++i)
            aSlopes[i] = aFine[i + size_t(aLength)] - aFine[i];
    }
    aGrid = pGrid;
    aFinePerPhase = double(aFinePhases) / double(pGrid);
}

void TSincKernel::Compute(double pOffset, float* pWeights) {
    // Weight i is that of medium frame f - aBefore + i for an output pOffset past f.
    const double offset = pOffset + aBefore;
    double sum = 0;
    for (int i = 0; i < aLength; ++i) {
        aExact[size_t(i)] = ShapeAt((offset - i) * aBand);
        sum += aExact[size_t(i)];
    }
    // Summing to 1, the filter passes a constant as it is.
    for (int i = 0; i < aLength; ++i)
        pWeights[i] = float(aExact[size_t(i)] / sum);
}
