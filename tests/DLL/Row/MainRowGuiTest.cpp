#include "DLL/Row/MainRow.h"

#include "DLL/Res/DrawingResources.h"
#include "support/FakeRows.h"
#include "support/MainTree.h"
#include "support/TestContainerRows.h"

#include <gtest/gtest.h>

#include <memory>

TEST(MainRowIcons, TheRootTellsItsVideoMixerFromAnyOtherSource) {
    TFakeProject project;
    const std::unique_ptr<TZVMainMixerRow> root = MakeMainRoot(100);
    const std::unique_ptr<TZVMainVideoMixerRow> video(MakeRow<TZVMainVideoMixerRow>(L"Video"));
    const std::unique_ptr<TZVSimpleAudioMixerRow> audio(MakeRow<TZVSimpleAudioMixerRow>(L"Audio"));
    // Another root stands for a source with an empty sub-type.
    const std::unique_ptr<TZVMainMixerRow> unnamed = MakeMainRoot(10);
    EXPECT_EQ(root->GetSrcRoleIcon(video.get()), GetVideoStreamIcon());
    EXPECT_EQ(root->GetSrcRoleIcon(audio.get()), GetAudioStreamIcon());
    EXPECT_EQ(root->GetSrcRoleIcon(unnamed.get()), GetAudioStreamIcon());
    EXPECT_EQ(video->GetTypeIcon(), GetVideoMixerIcon());
    EXPECT_EQ(audio->GetTypeIcon(), GetAudioMixerIcon());
    EXPECT_EQ(audio->GetParamTypeIcon(0), GetMainAmplifIcon());
    EXPECT_EQ(video->GetSrcRoleIcon(nullptr), GetSourceMixIcon());
}
