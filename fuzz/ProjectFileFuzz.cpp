// Loads the input as a project file through the reference host's loader (media offline, the
// stand-in filters registered, the depth limit in force). A project that loads is saved,
// loaded and saved again: both saved files must be the same bytes.
#include "ALL/Error.h"
#include "FuzzInput.h"
#include "Host.h"
#include "ProjectFile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

// A folder of the runs' own, in the temporary folder, removed with its files when the
// process ends.
class TFolder {
public:
    TFolder() {
        const char* const temporary = std::getenv("TMPDIR");
        std::string name =
            std::string(temporary && *temporary ? temporary : "/tmp") + "/ProjectFileFuzz-XXXXXX";
        Require(mkdtemp(name.data()) != nullptr);
        aPath = name + "/";
    }
    ~TFolder() { std::filesystem::remove_all(aPath); }
    TFolder(const TFolder&) = delete;
    TFolder& operator=(const TFolder&) = delete;

    std::string aPath;
};

const std::string& Folder() {
    static const TFolder theFolder;
    return theFolder.aPath;
}

std::string ReadAll(const std::string& pPath) {
    std::ifstream file(pPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Loads pFrom and saves it to pTo; false when the load refuses it.
bool LoadAndSave(const std::string& pFrom, const std::string& pTo) {
    std::ostringstream messages;
    TZVHost host(true, messages);
    try {
        TZVProjectFile::Load(wxString::FromUTF8(pFrom), host, true);
    } catch (const TError&) {
        return false;
    }
    TZVProjectFile::Save(wxString::FromUTF8(pTo), host);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    const std::string input = Folder() + "input.xml";
    std::ofstream(input, std::ios::binary).write(reinterpret_cast<const char*>(pData), long(pSize));
    if (!LoadAndSave(input, Folder() + "first.xml"))
        return 0;
    Require(LoadAndSave(Folder() + "first.xml", Folder() + "second.xml"));
    Require(ReadAll(Folder() + "first.xml") == ReadAll(Folder() + "second.xml"));
    return 0;
}
