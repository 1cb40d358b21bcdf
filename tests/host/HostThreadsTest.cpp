// The host library on threads one at a time: nothing it keeps belongs to a thread, so a project
// loaded on one thread is edited, evaluated, rendered and saved on others as it is on the
// thread that started wxWidgets, and a file that does not read is refused in the same words.
#include "ProjectFile.h"
#include "Renderer.h"

#include "ALL/Error.h"
#include "ALL/Variant.h"
#include "support/EditedProject.h"
#include "support/FileText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <thread>

namespace {

struct TSession {
    bool aEdited = false;
    double aValue = 0.0;
    int aSampleCount = 0;
    std::string aSaved;
    std::string aError;
};

// Runs pStep to its end on a new thread when pThreads, else on this one.
template <class TStep>
void Step(bool pThreads, TStep pStep) {
    if (!pThreads)
        return pStep();
    std::thread thread(pStep);
    thread.join();
}

// Each step of a session on a thread of its own when pThreads: load, edit with undo, read a
// formula and render, save and load a file that is not XML.
TSession Session(bool pThreads) {
    TSession session;
    std::unique_ptr<TEditedProject> project;
    Step(pThreads,
         [&] { project = std::make_unique<TEditedProject>(SmallProjectText(), 1 << 16); });
    // The frames' image, an expression.
    TZVParamRow* image = project->aParams[7];
    Step(pThreads, [&] {
        THostEditor& editor = project->aEditor;
        session.aEdited = editor.Split(project->aHost.GetRootRow(), 25) &&
                          editor.SetFormula(image, L"time * 2") && editor.Undo();
        editor.Redo();
    });
    Step(pThreads, [&] {
        session.aValue = image->GetValueAt(30.0).GetDouble();
        TZVRenderer renderer(project->aHost.GetRootRow(), project->aHost.aFormat);
        renderer.RenderFrame(30);
        session.aSampleCount = renderer.GetSampleCount();
    });
    Step(pThreads, [&] {
        session.aSaved = project->Saved();
        const std::string empty = project->aFolder + "empty.xml";
        WriteFile(empty, "");
        try {
            TZVProjectFile::Load(wxString::FromUTF8(empty), project->aHost);
        } catch (const TError& error) {
            session.aError = error.utf8_string();
        }
        std::remove(empty.c_str());
        project.reset();
    });
    return session;
}

TEST(HostThreads, AProjectWorkedOnThreadAfterThreadIsWorkedOnAsOnOne) {
    const TSession threads = Session(true);
    const TSession one = Session(false);
    EXPECT_TRUE(threads.aEdited);
    // "time" in milliseconds at 25 frames a second, the rate the load set.
    EXPECT_EQ(threads.aValue, 2400.0);
    EXPECT_EQ(threads.aSampleCount, 882);
    EXPECT_EQ(threads.aError, "XML parsing error: 'no element found' at line 1");
    EXPECT_NE(threads.aSaved.find("time * 2"), std::string::npos);
    EXPECT_TRUE(threads.aSaved == one.aSaved);
    EXPECT_EQ(threads.aValue, one.aValue);
    EXPECT_EQ(threads.aError, one.aError);
}

} // namespace
