// The scroll axis on a real wxScrollBar.
#include "DLL/Ctl/ScrollHelper.h"

#include <wx/frame.h>
#include <wx/scrolbar.h>

#include <gtest/gtest.h>

#include <memory>

TEST(ScrollHelperGui, DrivesARealScrollBar) {
    const std::unique_ptr<wxFrame> frame(new wxFrame(nullptr, wxID_ANY, "axis"));
    wxScrollBar* bar = new wxScrollBar(frame.get(), wxID_ANY);
    TScrollHelper axis(bar, true);
    axis.aViewSize = 400;
    axis.aContentSize = 1000;
    EXPECT_TRUE(axis.SetMargin(20, 20));
    EXPECT_TRUE(bar->IsEnabled());
    EXPECT_TRUE(bar->IsShown());
    EXPECT_EQ(bar->GetThumbPosition(), 20);
    EXPECT_EQ(bar->GetThumbSize(), 25);
    EXPECT_EQ(bar->GetPageSize(), 25);
    EXPECT_EQ(bar->GetRange(), 65);
    EXPECT_EQ(axis.aOrig, -300);

    bar->SetThumbPosition(0);
    EXPECT_EQ(axis.ComputeScroll(), 320);
    axis.Scroll(1000);
    EXPECT_EQ(bar->GetThumbPosition(), 40);
    EXPECT_EQ(axis.ComputeScroll(), -640);
    EXPECT_EQ(axis.aEnd, 380);

    axis.Scroll(-30);
    axis.aContentSize = 2000; // thumb 10 of 40 becomes 26 of 104
    EXPECT_FALSE(axis.setScroll());
    EXPECT_EQ(bar->GetThumbPosition(), 26);
    EXPECT_EQ(bar->GetRange(), 129);

    axis.aContentSize = 300;
    EXPECT_TRUE(axis.SetMargin(60, 0));
    EXPECT_FALSE(bar->IsEnabled());
    EXPECT_FALSE(bar->IsShown());
    EXPECT_EQ(axis.aOrig, 60);
    axis.Scroll(3);
    EXPECT_EQ(bar->GetThumbPosition(), 26);
}
