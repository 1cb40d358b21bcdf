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
    EXPECT_EQ(wxString::Format("%d %d %d %d", bar->GetThumbPosition(), bar->GetThumbSize(),
                               bar->GetRange(), bar->GetPageSize()),
              "20 25 65 25");
    axis.Scroll(1000);
    EXPECT_EQ(bar->GetThumbPosition(), 40);
    EXPECT_EQ(axis.ComputeScroll(), -320);

    axis.aContentSize = 300;
    EXPECT_TRUE(axis.setScroll());
    EXPECT_FALSE(bar->IsEnabled());
    EXPECT_FALSE(bar->IsShown());
    EXPECT_EQ(axis.aOrig, 50);
}
