// TZVPartFile: a file written under a unique temporary name beside its final name, and given
// that name only once it is complete, so that an unfinished or failed write never touches the
// final file and two writers never share a temporary file. The name leads where TZVFilePath
// finds that it leads: a symbolic link is followed, the file it leads to is replaced and the
// link stays. A character device or a FIFO (/dev/null, a pipe a reader waits on) is written
// into as it is, never replaced: its readers and every other process keep it; so is a
// descriptor of the process (/dev/stdout, /dev/fd/3), from where it stands, as cat writes into
// it, and what another process's descriptor holds (/proc/PID/fd/3), from its start. Live
// temporary files are listed: InstallSignalCleanup makes every signal that would end the
// program remove them before it exits.
#pragma once

#include "FilePath.h"

#include <cstddef>
#include <cstdint>
#include <string>

class TZVPartFile {
public:
    // Opens pPath for writing: creates the temporary file beside the file pPath leads to, or
    // opens a device or a FIFO itself (which waits for a FIFO's reader), or takes the
    // descriptor it names, or opens what another process's descriptor holds. IsOpen tells
    // whether that worked, Error why not.
    explicit TZVPartFile(const std::string& pPath);
    // Removes the temporary file unless it was published.
    ~TZVPartFile();
    TZVPartFile(const TZVPartFile&) = delete;
    TZVPartFile& operator=(const TZVPartFile&) = delete;

    bool IsOpen() const { return aDescriptor >= 0; }
    // Whether the file can go back to what it wrote: false for a FIFO or a terminal.
    bool IsSeekable() const { return aSeekable; }
    // Moves the write position as lseek does: the new position, or -1 with errno set.
    int64_t Seek(int64_t pOffset, int pWhence);
    // Appends pSize bytes; false with the reason in Error, and in errno.
    bool Write(const void* pData, size_t pSize);
    // Closes the file and gives it its final name, with the final file's owner, group and
    // permissions and access list when it is a regular file, as far as the program may set
    // them (no set-user-ID or set-group-ID bit where they could not be kept); false with the
    // reason in Error (the temporary file is then removed). pDurable first makes the data
    // reach the disk, so that a crash cannot leave an empty file in place of the old one. A
    // device, a FIFO or a descriptor is only closed.
    bool Publish(bool pDurable = false);
    // "cannot write <final name>: <reason>" after a failure.
    const std::string& Error() const { return aError; }
    // Sets the failure text from pReason, for writers that write the file themselves.
    void Fail(const std::string& pReason);

    // What the target pTarget is when it cannot be written ("a block device": a folder, a
    // block device, a socket but one of the process's descriptors, which is written into as a
    // pipe is), else null; null also when the caller may not take it, which its error says.
    static const char* Refusal(const TZVFilePath::TTarget& pTarget);

    // Makes every signal that would end the program and that it does not ignore remove every
    // live temporary file and end it with 128 + the signal's number (129 for SIGHUP); a fault
    // signal (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS) when a process sent it, while
    // the program's own faults end it where they happen. Called before any other thread starts:
    // the signals are taken by a thread of their own, whatever thread they reach.
    static void InstallSignalCleanup();

private:
    // Opens the device or FIFO pTarget, or what another process's descriptor holds.
    void OpenDirect(const TZVFilePath::TTarget& pTarget);
    // Writes into a copy of the process's descriptor pDescriptor, from where it stands.
    void OpenDescriptor(int pDescriptor);
    // Creates the temporary file beside pTarget, the name pPath leads to.
    void OpenPart(const std::string& pTarget);
    void CloseDescriptor();
    // Removes the temporary file unless it was published, and takes it off the live list.
    void Discard();

    const std::string aPath;
    int aFolder = -1;      // the folder of the final file, when replaced
    std::string aName;     // the final file's name in it
    std::string aPartName; // the temporary file's, empty when written directly
    int aDescriptor = -1;
    bool aSeekable = false;
    int64_t aStart = 0; // where a descriptor of the process's stood, from which it is written
    // The folder's default access list gave the new file its permissions.
    bool aInherited = false;
    bool aPublished = false;
    std::string aError;
};
