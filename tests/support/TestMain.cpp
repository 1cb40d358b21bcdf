// Main of the headless test binary: wxWidgets started without a display.
#include "support/AssertCapture.h"

#include <wx/init.h>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    wxInitializer initializer;
    if (!initializer.IsOk()) {
        fprintf(stderr, "wxWidgets failed to start\n");
        return 1;
    }
    TAssertCapture::InstallHandler();
    return RUN_ALL_TESTS();
}
