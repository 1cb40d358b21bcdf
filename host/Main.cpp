// zvrender: renders a project into pictures, sound and video files. The module's
// assertion reports go to standard error, and the program goes on.
#include "PartFile.h"
#include "RenderCommand.h"

#include <wx/init.h>
#include <wx/string.h>

#include <csignal>
#include <iostream>
#include <system_error>
#include <unistd.h>

namespace {

void PrintAssert(const wxString& pFile, int pLine, const wxString& pFunction,
                 const wxString& pCondition, const wxString& pMessage) {
    std::cerr << "zvrender: assertion \"" << pCondition.utf8_string() << "\" failed in "
              << pFunction.utf8_string() << " (" << pFile.utf8_string() << ":" << pLine << ")"
              << (pMessage.empty() ? "" : ": ") << pMessage.utf8_string() << "\n";
}

} // namespace

int main(int pArgc, char** pArgv) {
    // An interrupted render leaves no temporary file behind; first, so that every thread
    // leaves the signals to the one that cleans up. Nothing is written without it. A reader
    // that goes away (a pipe closed early) makes a write fail, which is said and cleaned up
    // after, rather than end the program where it stands. So does a file that outgrows the
    // limit of a file's size (ulimit -f): its write fails with "File too large", as on a
    // full disk.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    try {
        TZVPartFile::InstallSignalCleanup();
    } catch (const std::system_error& pFailure) {
        std::cerr << "zvrender: cannot start a thread: " << pFailure.code().message() << "\n";
        return TZVRenderCommand::exitFAILED;
    }
    wxInitializer initializer;
    if (!initializer.IsOk()) {
        std::cerr << "zvrender: wxWidgets did not start\n";
        return TZVRenderCommand::exitFAILED;
    }
    wxSetAssertHandler(PrintAssert);
    TZVRenderCommand command(std::cout, std::cerr, isatty(STDERR_FILENO));
    return command.Run(std::vector<std::string>(pArgv + 1, pArgv + pArgc));
}
