#include "support/HostEditModel.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Runs pSteps random steps; false at the first mismatch with the model.
void RunSteps(THostEditModel& pModel, int pSteps, unsigned pSeed) {
    std::mt19937 random(pSeed);
    const THostEditModel::TDraw draw = [&] { return unsigned(random()); };
    for (int step = 0; step < pSteps; ++step) {
        const std::string mismatch = pModel.Step(draw);
        ASSERT_EQ(mismatch, "") << "step " << step;
    }
}

TEST(THostEditModelTest, AWholeHistoryFollowsTheModel) {
    TEditedProject project(SmallProjectText(), 1 << 20);
    THostEditModel model(project);
    RunSteps(model, 1000, 7);
    EXPECT_GT(model.aEdits, 50);
    EXPECT_GT(model.aUndos, 50);
    EXPECT_GT(model.aRedos, 20);
    EXPECT_GT(model.aStaleRefusals, 0);
    EXPECT_EQ(model.aDropped, 0);
    EXPECT_EQ(model.aRecoveries, 0);
}

// Buffers of a few records: the oldest go, and a record whose opposite grew past the room
// left is applied back.
TEST(THostEditModelTest, ASmallBufferDropsOldRecordsAndRecovers) {
    int recoveries = 0;
    for (const auto& run : {std::make_pair(3000u, 5u), std::make_pair(8000u, 4u)}) {
        TEditedProject project(SmallProjectText(), run.first);
        THostEditModel model(project);
        RunSteps(model, 600, run.second);
        EXPECT_GT(model.aUndos, 50);
        EXPECT_GT(model.aDropped, 0);
        recoveries += model.aRecoveries;
    }
    EXPECT_GE(recoveries, 3);
}

} // namespace
