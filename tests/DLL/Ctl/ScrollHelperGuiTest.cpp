// The scroll axis on a real wxScrollBar: the arithmetic is ScrollHelperTest's, this checks what
// reaches the bar.
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
    axis.SetMargin(20, 20);
    axis.Scroll(1000);
    EXPECT_EQ(wxString::Format("%d %d %d %d %d %d", bar->IsEnabled(), bar->IsShown(),
                               bar->GetThumbPosition(), bar->GetThumbSize(), bar->GetRange(),
                               bar->GetPageSize()),
              "1 1 40 25 65 25");
    axis.aContentSize = 300;
    axis.setScroll();
    EXPECT_FALSE(bar->IsEnabled() || bar->IsShown());
}
