#include "DLL/Row/MainRow.h"
#include "DLL/Row/MediaSourceRow.h"

#include "DLL/Res/DrawingResources.h"
#include "support/Canvas.h"
#include "support/FakeLibrary.h"
#include "support/FakeRows.h"
#include "support/MainTree.h"
#include "support/TestContainerRows.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

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
    EXPECT_EQ(audio->GetParamTypeIcon(0), GetMainAmplifIcon());
    EXPECT_EQ(video->GetSrcRoleIcon(nullptr), GetSourceMixIcon());
}

// The fill, the border green, white and the black divider, for a block from x 2 to 20 whose
// top is at y 1, drawn with a step of 4 (the audio row draws no ticks).
TEST(AudioMediaRowDrawing, AStereoRowIsTallerAndDividesItsBlock) {
    TFakeLibrary library;
    TFakeProject project;
    const auto draw = [](int pEntry, int& pHeight) {
        const std::unique_ptr<TZVMediaSourceRow> row(
            TZVMediaSourceRow::CreateMediaSource(false, pEntry, nullptr));
        pHeight = row->aHeight;
        TCanvas canvas(true, 24, 44);
        canvas.DC().SetPen(*wxWHITE_PEN);
        row->DrawRowSeq({&canvas.DC(), 2, 20, 1, row->aHeight - 2, 24, 0, 2, 20, 0}, 4);
        return canvas.Runs(false, {{0xC2FFB5, 'F'}, {0x00DA00, 'G'}, {0xFFFFFF, 'W'}, {0, 'K'}});
    };
    int height = 0;
    EXPECT_EQ(draw(library.Add(ExampleMedia("clip.mkv")), height),
              "1:2-19W 2:2-18W,19G 3-17:2W,3-18F,19G 18:2-19K 19-33:2W,3-18F,19G 34:2-18W,19G "
              "35-37:2W,19G 38:2-19G");
    EXPECT_EQ(height, 40);
    EXPECT_EQ(draw(library.Add(ExampleMedia("tone.flac")), height),
              "1:2-19W 2:2-18W,19G 3-17:2W,3-18F,19G 18:2-18W,19G 19-21:2W,19G 22:2-19G");
    EXPECT_EQ(height, 24);
}
