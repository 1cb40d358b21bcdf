// TZVPartFile: a file written under a unique temporary name beside its final name, and given
// that name only once it is complete, so that an unfinished or failed write never touches the
// final file and two writers never share a temporary file. Live temporary files are listed:
// InstallSignalCleanup makes SIGINT and SIGTERM remove them before the program exits.
#pragma once

#include <cstddef>
#include <string>

class TZVPartFile {
public:
    // Creates the temporary file beside pPath; IsOpen tells whether that worked, Error why not.
    explicit TZVPartFile(const std::string& pPath);
    // Removes the temporary file unless it was published.
    ~TZVPartFile();
    TZVPartFile(const TZVPartFile&) = delete;
    TZVPartFile& operator=(const TZVPartFile&) = delete;

    bool IsOpen() const { return aDescriptor >= 0; }
    // The temporary file's name, for writers that open it themselves.
    const std::string& GetPartName() const { return aPartName; }
    // Appends pSize bytes; false with the reason in Error.
    bool Write(const void* pData, size_t pSize);
    // Closes the file and gives it its final name, with the final file's permissions when it
    // exists; false with the reason in Error (the temporary file is then removed). pDurable
    // first makes the data reach the disk, so that a crash cannot leave an empty file in
    // place of the old one.
    bool Publish(bool pDurable = false);
    // "cannot write <final name>: <reason>" after a failure.
    const std::string& Error() const { return aError; }
    // Sets the failure text from pReason, for writers that write the file themselves.
    void Fail(const std::string& pReason);

    // Makes SIGINT and SIGTERM remove every live temporary file and end the program with
    // 128 + the signal's number (130, 143). Called before any other thread starts: the
    // signals are taken by a thread of their own, whatever thread they reach.
    static void InstallSignalCleanup();

private:
    void CloseDescriptor();

    const std::string aPath;
    std::string aPartName;
    int aDescriptor = -1;
    bool aPublished = false;
    std::string aError;
};
