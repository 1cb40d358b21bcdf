// Reading the stored most-recent-file list into the slot tables; the menu itself is in
// MostRecentFileListGuiTest.
#include "DLL/Ctl/MostRecentFileList.h"

#include "support/WxPrint.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace {

// "count: letter=path ... | free slots", a free slot followed by "=path" if it kept one; no "|"
// when all ten are shown.
wxString ReadList(const wxString& pIndexList, const std::map<wxString, wxString>& pKeys) {
    wxString files[TMostRecentFileList::mostRecentMAX];
    for (wxString& file : files)
        file = "stale";
    int indexes[TMostRecentFileList::mostRecentMAX] = {};
    const int count = TMostRecentFileList::ReadFileIndexList(
        pIndexList,
        [&pKeys](const wxString& pKey, wxString& pPath) {
            const auto key = pKeys.find(pKey);
            if (key != pKeys.end())
                pPath = key->second;
            return key != pKeys.end();
        },
        files, indexes);
    wxString text = wxString::Format("%d:", count);
    for (int position = 0; position < TMostRecentFileList::mostRecentMAX; ++position) {
        const int slot = indexes[position];
        if (position == count)
            text += " |";
        if (position < count)
            text += wxString::Format(" %c=", 'A' + slot) + files[slot];
        else
            text += wxString::Format(" %d", slot) + (files[slot].empty() ? "" : "=" + files[slot]);
    }
    return text;
}

} // namespace

TEST(MostRecentFileList, StoredListsGiveShownSlotsThenFreeSlotsInOrder) {
    const std::map<wxString, wxString> all = {
        {"A", "a"}, {"B", "b"}, {"C", "c"}, {"D", "d"}, {"E", "e"},
        {"F", "f"}, {"G", "g"}, {"H", "h"}, {"I", "i"}, {"J", "j"},
    };
    const std::tuple<const wchar_t*, std::map<wxString, wxString>, const wchar_t*> cases[] = {
        {L"", {}, L"0: | 0 1 2 3 4 5 6 7 8 9"},
        {L"", all, L"0: | 0 1 2 3 4 5 6 7 8 9"},
        {L"DA", {{"D", "d"}, {"A", "a"}, {"B", "b"}}, L"2: D=d A=a | 1 2 4 5 6 7 8 9"},
        // each slot once: a repeated letter or an eleventh letter shows nothing more
        {L"DD", all, L"1: D=d | 0 1 2 4 5 6 7 8 9"},
        {L"ABCDEFGHIJA", all, L"10: A=a B=b C=c D=d E=e F=f G=g H=h I=i J=j"},
        {L"JIHGFEDCBAJIHGFEDCBA", all, L"10: J=j I=i H=h G=g F=f E=e D=d C=c B=b A=a"},
        // missing keys, empty paths and letters that name no slot are skipped
        {L"DBA", {{"D", "d"}, {"A", "a"}}, L"2: D=d A=a | 1 2 4 5 6 7 8 9"},
        {L"AB", {{"A", ""}, {"B", "b"}}, L"1: B=b | 0 2 3 4 5 6 7 8 9"},
        {L"K@aj\u0141C", all, L"1: C=c | 0 1 3 4 5 6 7 8 9"},
        {L"\u0001\uFFFFJ", all, L"1: J=j | 0 1 2 3 4 5 6 7 8"},
        // paths as stored, whatever they hold
        {L"B", {{"B", "$HOME/a&b\tc"}}, L"1: B=$HOME/a&b\tc | 0 2 3 4 5 6 7 8 9"},
    };
    for (const auto& [indexList, keys, expected] : cases)
        EXPECT_EQ(ReadList(indexList, keys), expected) << indexList;
}
