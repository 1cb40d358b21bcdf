// TZVRenderCommand: the zvrender program: reads its command line, loads the project,
// renders the frames asked into the outputs asked and saves the project when asked.
#pragma once

#include <ostream>
#include <string>
#include <vector>

class TZVHost;
struct TZVRenderOptions;

class TZVRenderCommand {
public:
    // Exit codes.
    enum EExit { exitDONE = 0, exitFAILED = 1, exitUSAGE = 2 };

    // pOut takes what was asked for (help, version), pErr errors, notes and progress;
    // pTerminal: pErr is a terminal, where progress is redrawn on one line.
    TZVRenderCommand(std::ostream& pOut, std::ostream& pErr, bool pTerminal);

    // Runs the program on pArgs (without the program name) and answers its exit code.
    int Run(const std::vector<std::string>& pArgs);

private:
    // Whether no output of pOptions is a file the project reads (an output of a frame from
    // pFirst to pLast for the pictures); false with pError naming both otherwise.
    bool CheckInputs(const TZVRenderOptions& pOptions, const TZVHost& pHost, long pFirst,
                     long pLast, std::string& pError) const;
    // Renders frames pFirst to pLast into the outputs and saves the project; the exit code.
    int Render(const TZVRenderOptions& pOptions, TZVHost& pHost, long pFirst, long pLast);
    int Usage(const std::string& pError);
    int Failure(const std::string& pError);
    // Prints the error pError.
    void Say(const std::string& pError);

    std::ostream& aOut;
    std::ostream& aErr;
    const bool aTerminal;
};
