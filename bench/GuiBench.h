// Shared by the benchmarks that draw: the wxApp that GUI objects need, and a 1920 x 1080
// memory DC to draw on. They need a display: run them under xvfb-run -a.
#pragma once

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/init.h>

#include <cstdlib>

// Starts the wxApp once for all benchmarks of the program.
inline void StartGui() {
    static const bool theStarted = [] {
        wxApp::SetInstance(new wxApp());
        static char theName[] = "bench";
        static char* theArgv[] = {theName, nullptr};
        static int theArgc = 1;
        static wxInitializer theInitializer(theArgc, theArgv);
        return theInitializer.IsOk();
    }();
    if (!theStarted)
        std::abort();
}

// Grey, with an olive brush and, when asked for, an olive pen (else transparent).
class TFullHD {
public:
    TFullHD(wxRasterOperationMode pFunction, bool pPen) : aBitmap(1920, 1080, 24), aDC(aBitmap) {
        aDC.SetBackground(wxBrush(wxColour(128, 128, 128)));
        aDC.Clear();
        aDC.SetPen(pPen ? wxPen(wxColour(128, 128, 0)) : *wxTRANSPARENT_PEN);
        aDC.SetBrush(wxBrush(wxColour(128, 128, 0)));
        aDC.SetLogicalFunction(pFunction);
    }
    wxMemoryDC& DC() { return aDC; }

private:
    wxBitmap aBitmap;
    wxMemoryDC aDC;
};
