// Main of the GUI test binary: a wxApp is started around the tests, on the display that
// xvfb-run provides. A plain wxInitializer would start only a console application, and the
// first bitmap would then abort inside GTK.
#include "support/AssertCapture.h"

#include <wx/app.h>
#include <wx/init.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

class TGuiEnvironment : public testing::Environment {
public:
    TGuiEnvironment(int pArgc, char** pArgv) : aArgc(pArgc), aArgv(pArgv) {}

    void SetUp() override {
        wxApp::SetInstance(new wxApp());
        aInitializer = std::make_unique<wxInitializer>(aArgc, aArgv);
        ASSERT_TRUE(aInitializer->IsOk()) << "wxWidgets failed to start (is there a display?)";
        TAssertCapture::InstallHandler();
    }

    void TearDown() override { aInitializer.reset(); }

private:
    int aArgc;
    char** aArgv;
    std::unique_ptr<wxInitializer> aInitializer;
};

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new TGuiEnvironment(argc, argv));
    return RUN_ALL_TESTS();
}
