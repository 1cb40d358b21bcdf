#include "DLL/Row/StreamRow.h"

#include "DLL/Row/ParamRow.h"

#include <gtest/gtest.h>

namespace {

class TCountedParam : public TZVParamRow {
public:
    TCountedParam(bool pEnabled, int& pDeletions) : aDeletions(pDeletions) {
        aIsEnabled = pEnabled;
    }
    ~TCountedParam() override { ++aDeletions; }

private:
    int& aDeletions;
};

} // namespace

TEST(StreamRow, NeighbourParametersAreTheNearestEnabledOnesAndDieWithTheStream) {
    int deletions = 0;
    {
        TZVStreamRow stream;
        // A slot not filled yet (null) counts as no parameter.
        for (int flag : {1, 0, 1, 0, -1, 1})
            stream.aParamTab.push_back(flag < 0 ? nullptr : new TCountedParam(flag, deletions));
        const auto at = [&](int pIndex) { return pIndex < 0 ? nullptr : stream.aParamTab[pIndex]; };
        struct TCase {
            int aIndex, aPrev, aNext; // -1: none
        } cases[] = {{0, -1, 2}, {2, 0, 5}, {4, 2, 5}, {5, 2, -1}, {99, 5, -1}, {-5, -1, 0}};
        for (const TCase& c : cases) {
            EXPECT_EQ(stream.GetPrevParam(c.aIndex), at(c.aPrev)) << c.aIndex;
            EXPECT_EQ(stream.GetNextParam(c.aIndex), at(c.aNext)) << c.aIndex;
        }
    }
    EXPECT_EQ(deletions, 5);
}
