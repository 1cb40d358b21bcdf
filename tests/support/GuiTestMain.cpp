// Main of the GUI test binary: a wxApp is started around the tests, on the display that
// xvfb-run provides. A plain wxInitializer would start only a console application, and the
// first bitmap would then abort inside GTK.
#include "support/AssertCapture.h"

#include <wx/app.h>
#include <wx/init.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

bool IsListingOnly(int pArgc, char** pArgv) {
    for (int i = 1; i < pArgc; ++i)
        if (std::strcmp(pArgv[i], "--gtest_list_tests") == 0)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display; running them does, and a failed start is an error
    // of the run, never a reason to skip.
    if (IsListingOnly(argc, argv))
        return RUN_ALL_TESTS();
    wxApp::SetInstance(new wxApp());
    wxInitializer initializer(argc, argv);
    if (!initializer.IsOk()) {
        std::fprintf(stderr, "wxWidgets failed to start (is there a display?)\n");
        return 1;
    }
    TAssertCapture::InstallHandler();
    return RUN_ALL_TESTS();
}
