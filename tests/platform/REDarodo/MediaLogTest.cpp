#include "MediaLog.h"

extern "C" {
#include <libavutil/log.h>
#include <libavutil/version.h>
}

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <thread>

namespace {

// A context as FFmpeg's are: its class first; its parent, named in its messages, after.
struct TContext {
    const AVClass* aClass;
    TContext* aParent;
};

AVClass ContextClass() {
    AVClass avClass{};
    avClass.class_name = "context";
    avClass.item_name = av_default_item_name;
    avClass.version = LIBAVUTIL_VERSION_INT;
    avClass.parent_log_context_offset = int(offsetof(TContext, aParent));
    return avClass;
}

const AVClass theClass = ContextClass();

} // namespace

// What a context given to a log logs, or a context whose parent it is, goes to the log from
// any thread: warnings and errors counted by kind, lesser messages dropped. Other contexts,
// and the context once its log is taken back, print as FFmpeg prints.
TEST(MediaLog, WhatAContextLogsGoesToItsLogFromAnyThread) {
    TContext parent{&theClass, nullptr}, slice{&theClass, &parent}, other{&theClass, nullptr};
    const int level = av_log_get_level();
    av_log_set_level(AV_LOG_WARNING);
    TMediaLog log;
    testing::internal::CaptureStderr();
    {
        const TMediaLogContext given(&parent, log);
        std::thread([&] {
            av_log(&slice, AV_LOG_WARNING, "slice %d of %d failed\n", 1, 4);
            av_log(&parent, AV_LOG_ERROR, "slice %d of %d failed\n", 3, 4);
            av_log(&slice, AV_LOG_INFO, "a note\n");
            av_log(&other, AV_LOG_WARNING, "elsewhere\n");
        }).join();
    }
    av_log(&parent, AV_LOG_WARNING, "given back\n");
    const std::string printed = testing::internal::GetCapturedStderr();
    av_log_set_level(level);
    const std::vector<TZVMediaProblem> problems = log.GetProblems();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].aText, L"slice 1 of 4 failed");
    EXPECT_EQ(problems[0].aCount, 2);
    EXPECT_NE(printed.find("elsewhere\n"), std::string::npos) << printed;
    EXPECT_NE(printed.find("given back\n"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("slice"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("note"), std::string::npos) << printed;
}
