// Key and range lists as short texts, for comparing whole lists at once.
#pragma once

#include "ALL/KeyList.h"
#include "ALL/Range.h"

#include <string>

// "time:count " for each key.
inline std::string KeyText(const TKeyList& pKeys) {
    std::string text;
    for (const TStreamKey& key : pKeys)
        text += std::to_string(key.aTime) + ":" + std::to_string(key.aCount) + " ";
    return text;
}

// "(begin,end)" for each range.
inline std::string RangeText(const TRangeList& pRanges) {
    std::string text;
    for (const TRange& range : pRanges)
        text += "(" + std::to_string(range.aBegin) + "," + std::to_string(range.aEnd) + ")";
    return text;
}
