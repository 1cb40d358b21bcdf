// TZVRenderOptions: the command line of zvrender, read and checked before anything is
// loaded or written.
#pragma once

#include <string>
#include <vector>

struct TZVRenderOptions {
    // Reads pArgs (without the program name). False with pError set on bad usage; a request
    // for help or the version reads as true with its flag set.
    bool Parse(const std::vector<std::string>& pArgs, std::string& pError);
    // Checks the outputs against the file system: distinct paths (links followed), existing
    // folders, nothing that cannot be written (a folder, a block device, a socket; a FIFO
    // for the MP4 file); pictures in folders of their own are left to CheckNames. False with
    // pError set otherwise.
    bool CheckOutputs(std::string& pError) const;
    // Checks the names that frames pFirst to pLast are written under: none longer than the
    // system takes, every picture's folder there, no picture's name that cannot be written,
    // none that reaches the file of another output (links followed). False with pError set
    // otherwise.
    bool CheckNames(long pFirst, long pLast, std::string& pError) const;

    // The file name pattern made into the name of frame pFrame.
    std::string PngName(long pFrame) const;

    // The line that says how to call the program.
    static const char* Usage();
    // The usage line and what each option does.
    static const char* Help();

    std::string aProject;
    bool aHasFrames = false;
    long aFirst = 0;
    long aLast = 0;
    std::string aPng;
    std::string aWav;
    std::string aMp4;
    std::string aSave;
    bool aAcceptChanges = true;
    bool aQuiet = false;
    bool aHelp = false;
    bool aVersion = false;

private:
    // Whether no picture of frames pFirst to pLast reaches the file of another output, looking
    // at the frames pFrames (TZVNamePattern::Reached) and those another output's new file would
    // be; false with pError naming both otherwise.
    bool CheckPictureFiles(std::vector<long> pFrames, long pFirst, long pLast,
                           std::string& pError) const;
};
