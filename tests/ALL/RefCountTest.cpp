#include "ALL/RefCount.h"

#include "support/AssertCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

class TCounted : public TRefCounted {
public:
    explicit TCounted(std::atomic<int>& pDeletions) : aDeletions(pDeletions) {}
    ~TCounted() override { ++aDeletions; }

private:
    std::atomic<int>& aDeletions;
};

} // namespace

TEST(RefCount, TheReleaseBalancingTheFirstAddRefDeletes) {
    std::atomic<int> deletions(0);
    TRefCounted* object = new TCounted(deletions);
    EXPECT_EQ(object->GetRefCount(), 0);
    EXPECT_EQ(object->AddRef(), 1);
    EXPECT_EQ(object->AddRef(), 2);
    EXPECT_EQ(object->Release(), 1);
    { TRefHolder holder(object); }
    EXPECT_EQ(deletions, 1);
    { TRefHolder holder(nullptr); }

    TCounted unheld(deletions);
    int32_t count = 0;
    EXPECT_ASSERTS(count = unheld.Release(), "aRefCount > 1");
    EXPECT_EQ(count, -1);
    EXPECT_EQ(deletions, 1);
}

// Two threads, each holding one reference, take and drop more many times, then drop their
// own at the same moment: exactly one release returns 0 and deletes.
TEST(RefCount, TwoThreadsReleasingDeleteExactlyOnce) {
    for (int round = 0; round < 100; ++round) {
        std::atomic<int> deletions(0), zeros(0);
        std::atomic<bool> go(false);
        TRefCounted* object = new TCounted(deletions);
        object->AddRef();
        object->AddRef();
        auto work = [&] {
            while (!go)
                std::this_thread::yield();
            for (int i = 0; i < 2000; ++i) {
                object->AddRef();
                zeros += object->Release() == 0;
            }
            zeros += object->Release() == 0;
        };
        std::thread first(work), second(work);
        go = true;
        first.join();
        second.join();
        ASSERT_EQ(zeros, 1) << round;
        ASSERT_EQ(deletions, 1) << round;
    }
}
