// A four-border size handle's refresh (nine squares and the frame, each in exclusive-or) on a
// 1920 x 1080 memory DC, beside the same rectangles drawn natively in wxCOPY.
// Needs a display: xvfb-run -a build/release/bench/SizeHandleBench
#include "DLL/Ctl/4DSizeHandle.h"
#include "GuiBench.h"

#include <benchmark/benchmark.h>

namespace {

// A 400 x 300 rectangle in the middle of the image, all four borders editable.
TSizeData* MakeRecord(ISizeHandle& pHandle) {
    TSizeData* data = pHandle.CreateSizeData(0, T32BoolArray(15));
    data->aFullWidth = 1920;
    data->aFullHeight = 1080;
    data->aCenterX = 960;
    data->aCenterY = 540;
    TZV4DSizeHandle::FillSizeHandle(data, wxSize(400, 300), false, false);
    return data;
}

void BM_RefreshHandle4D(benchmark::State& pState) {
    StartGui();
    TFullHD screen(wxCOPY, true);
    TZV4DSizeHandle handle;
    handle.UpdateHandle(MakeRecord(handle), int(TSizeData::theCurSerial));
    const wxPoint origin(0, 0);
    for (auto _ : pState)
        handle.RefreshHandle(screen.DC(), origin);
}
BENCHMARK(BM_RefreshHandle4D);

void BM_NativeCopySameRectangles(benchmark::State& pState) {
    StartGui();
    TFullHD screen(wxCOPY, true);
    TZV4DSizeHandle handle;
    const TSizeData* data = MakeRecord(handle);
    wxDC& dc = screen.DC();
    for (auto _ : pState) {
        dc.SetBrush(wxBrush(wxColour(128, 128, 0)));
        for (int i = 0; i < data->aRectCount; ++i)
            dc.DrawRectangle(data->aRect[i]);
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        dc.DrawRectangle(data->aRect[data->aRectCount]);
    }
    delete data;
}
BENCHMARK(BM_NativeCopySameRectangles);

} // namespace
