// Thousands of random operations on buffers of several sizes, each step compared with the
// list model and checked against the buffer's invariants.
#include "UndoBufferModel.h"

#include <gtest/gtest.h>

#include <random>

namespace {

struct TModelCase {
    unsigned long aSize;
    unsigned aSeed;
};

class UndoBufferModel : public testing::TestWithParam<TModelCase> {};

TEST_P(UndoBufferModel, AgreesWithTheListModelAtEveryStep) {
    std::mt19937 random(GetParam().aSeed);
    NSUndoModel::THarness harness(GetParam().aSize,
                                  [&](unsigned pBound) { return unsigned(random() % pBound); });
    for (int step = 0; step < 4000; ++step)
        ASSERT_EQ(harness.Step(), "") << "at step " << step;
}

// 16386 is not a multiple of 4; 65536 keeps allocations on shrinks of up to 63 bytes.
INSTANTIATE_TEST_SUITE_P(Sizes, UndoBufferModel,
                         testing::Values(TModelCase{64, 1}, TModelCase{256, 2}, TModelCase{1000, 3},
                                         TModelCase{4096, 4}, TModelCase{16386, 5},
                                         TModelCase{65536, 6}, TModelCase{4096, 7},
                                         TModelCase{1000, 8}),
                         [](const testing::TestParamInfo<TModelCase>& pInfo) {
                             return "Size" + std::to_string(pInfo.param.aSize) + "Seed" +
                                    std::to_string(pInfo.param.aSeed);
                         });

} // namespace
