// The long parameter row of the key benchmarks: touching segments 10 time units long from 0,
// over one sequence of the stream that holds it. Header only.
#pragma once

#include "support/FakeRows.h"

// An enabled parameter of pStream with pSegments segments, segment i valued pValue(i) (a
// double) with the slope pSlope; pStream gets the sequence they fill.
template <class TValue>
TFakeParamRow* AddSegmentedParam(TFakeStreamRow& pStream, long pSegments, double pSlope,
                                 TValue pValue) {
    pStream.aSequenceList.push_back(TRange(0, pSegments * 10));
    TFakeParamRow* row = pStream.AddParam(true);
    for (long i = 0; i < pSegments; ++i) {
        TABCFormula segment(i * 10, TVariant(pValue(i)), i * 10 + 10);
        segment.c = pSlope;
        row->insertFormula(segment, nullptr, false);
    }
    return row;
}
