#include "DLL/Ctl/Waveform.h"

#include "support/FakeWaveform.h"

#include <wx/bitmap.h>
#include <wx/image.h>

#include <gtest/gtest.h>

namespace {

// The bitmap holds the preview image: red and blue exchanged, level 3 at the bottom.
TEST(WaveformGuiTest, ThePreviewLandsInTheBitmap) {
    std::unique_ptr<TZVMedia> medium = LevelMedium(1, std::vector<int16_t>(4, SampleOfLevel(3)));
    TZVWaveformFactory factory;
    TZVWaveform* summary = factory.Create(medium.get());
    wxBitmap bitmap;
    summary->FillPreviewImage(bitmap, 2, wxColour(200, 10, 20), wxColour(1, 2, 3),
                              wxColour(90, 80, 70));
    factory.Destroy(summary);
    ASSERT_TRUE(bitmap.IsOk());
    const wxImage image = bitmap.ConvertToImage();
    std::string pixels = std::to_string(image.GetWidth()) + "x" + std::to_string(image.GetHeight());
    for (int y : {0, 11, 12, 14})
        pixels += wxString::Format(" %d:%d,%d,%d", y, image.GetRed(1, y), image.GetGreen(1, y),
                                   image.GetBlue(1, y))
                      .ToStdString();
    EXPECT_EQ(pixels, "2x15 0:3,2,1 11:3,2,1 12:20,10,200 14:20,10,200");
}

} // namespace
