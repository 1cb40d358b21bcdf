#include "DLL/Row/MediaSourceRow.h"

#include "support/Canvas.h"
#include "support/FakeLibrary.h"
#include "support/FakeRows.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// The fill, the border green, white and the black divider.
const std::vector<std::pair<uint32_t, char>> theColours = {
    {0xC2FFB5, 'F'}, {0x00DA00, 'G'}, {0xFFFFFF, 'W'}, {0x000000, 'K'}};

// The runs a row of entry pIndex draws for a block from x 2 to 20 whose top is at y 1.
std::string Draw(int pIndex, int& pHeight) {
    TFakeProject project;
    const std::unique_ptr<TZVMediaSourceRow> row(
        TZVMediaSourceRow::CreateMediaSource(false, pIndex, nullptr));
    pHeight = row->aHeight;
    TCanvas canvas(true, 24, 44);
    canvas.DC().SetPen(*wxWHITE_PEN);
    const TZVSeqRect rect{&canvas.DC(), 2, 20, 1, row->aHeight - 2, 24, 0, 2, 20, 0};
    row->DrawRowSeq(rect, 4);
    return canvas.Runs(false, theColours);
}

} // namespace

TEST(AudioMediaRowDrawing, AStereoRowIsTallerAndDividesItsBlock) {
    TFakeLibrary library;
    int height = 0;
    // The divider at the block's top + 17; no ticks whatever the step.
    EXPECT_EQ(Draw(library.Add(ExampleMedia("clip.mkv")), height),
              "1:2-19W 2:2-18W,19G 3-17:2W,3-18F,19G 18:2-19K 19-33:2W,3-18F,19G 34:2-18W,19G "
              "35-37:2W,19G 38:2-19G");
    EXPECT_EQ(height, 40);
    EXPECT_EQ(Draw(library.Add(ExampleMedia("tone.flac")), height),
              "1:2-19W 2:2-18W,19G 3-17:2W,3-18F,19G 18:2-18W,19G 19-21:2W,19G 22:2-19G");
    EXPECT_EQ(height, 24);
}
