// The stored most-recent-file list from an arbitrary "FileIndexList" text and any set of present
// keys, some with empty paths: the slot order is always a permutation of the ten slots, and the
// shown slots are exactly the slots with a path, in the order of their letters' first places.
#include "DLL/Ctl/MostRecentFileList.h"
#include "FuzzInput.h"

#include <wx/string.h>

#include <cstdint>
#include <vector>

namespace {

constexpr int theMax = TMostRecentFileList::mostRecentMAX;

// Mostly slot letters, with the characters around them and some far away.
wxUniChar Letter(unsigned pByte) {
    if (pByte < 0xC0)
        return wxUniChar('@' + pByte % 13);
    return wxUniChar(pByte < 0xF0 ? pByte - 0xC0 : 0x100 + pByte * 97u);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    TFuzzInput input(pData, pSize);
    const unsigned present = input.Take<uint16_t>(), empty = input.Take<uint16_t>();
    wxString indexList;
    while (!input.Empty())
        indexList += Letter(input.Byte());

    // The expected shown slots: each slot letter's first place, when its key holds a path.
    std::vector<int> expected;
    bool seen[theMax] = {};
    for (const wxUniChar letter : indexList) {
        const long slot = long(letter.GetValue()) - 'A';
        if (slot < 0 || slot >= theMax || seen[slot])
            continue;
        seen[slot] = true;
        if ((present >> slot & 1) && !(empty >> slot & 1))
            expected.push_back(int(slot));
    }

    wxString files[theMax];
    int indexes[theMax];
    const int count = TMostRecentFileList::ReadFileIndexList(
        indexList,
        [present, empty](const wxString& pKey, wxString& pPath) {
            Require(pKey.length() == 1);
            const long slot = long(pKey[0].GetValue()) - 'A';
            Require(slot >= 0 && slot < theMax);
            pPath = (empty >> slot & 1) ? wxString() : "path " + pKey;
            return (present >> slot & 1) != 0;
        },
        files, indexes);

    Require(count == int(expected.size()));
    bool used[theMax] = {};
    for (int position = 0; position < theMax; ++position) {
        const int slot = indexes[position];
        Require(slot >= 0 && slot < theMax && !used[slot]);
        used[slot] = true;
        if (position < count)
            Require(slot == expected[position] &&
                    files[slot] == wxString("path ") + char('A' + slot));
        else
            Require(files[slot].empty());
    }
    return 0;
}
