// Reading the stored most-recent-file list into the slot tables; the menu itself is in
// MostRecentFileListGuiTest.
#include "DLL/Ctl/MostRecentFileList.h"

#include "support/WxPrint.h"

#include <wx/arrstr.h>

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace {

using TKeys = std::map<wxString, wxString>;

// "count order paths": the number of shown files, the slot at each position, then each slot's
// path (tables filled with "?" beforehand).
wxString ReadList(const wxString& pIndexList, const TKeys& pKeys) {
    wxString files[TMostRecentFileList::mostRecentMAX] = {"?", "?", "?", "?", "?",
                                                          "?", "?", "?", "?", "?"};
    int indexes[TMostRecentFileList::mostRecentMAX] = {};
    const auto read = [&pKeys](const wxString& pKey, wxString& pPath) {
        const auto key = pKeys.find(pKey);
        pPath = key == pKeys.end() ? "" : key->second;
        return key != pKeys.end();
    };
    wxString text = wxString::Format(
        "%d ", TMostRecentFileList::ReadFileIndexList(pIndexList, read, files, indexes));
    for (int slot : indexes)
        text += wxString::Format("%d", slot);
    return text + " " + wxJoin(wxArrayString(TMostRecentFileList::mostRecentMAX, files), ',');
}

} // namespace

TEST(MostRecentFileList, StoredListsShowEachSlotOnceInTheOrderOfTheLetters) {
    TKeys all;
    for (char letter = 'A'; letter <= 'J'; ++letter)
        all[wxString(letter)] = wxString(char(letter + 'a' - 'A'));
    // missing keys, empty paths and letters that name no slot are skipped
    const std::tuple<const wchar_t*, TKeys, const wchar_t*> cases[] = {
        {L"", all, L"0 0123456789 ,,,,,,,,,"},
        {L"DA", {{"D", "d"}, {"A", "a"}, {"B", "b"}}, L"2 3012456789 a,,,d,,,,,,"},
        {L"DD", all, L"1 3012456789 ,,,d,,,,,,"},
        {L"ABCDEFGHIJA", all, L"10 0123456789 a,b,c,d,e,f,g,h,i,j"},
        {L"JIHGFEDCBAJIHGFEDCBA", all, L"10 9876543210 a,b,c,d,e,f,g,h,i,j"},
        {L"DBA", {{"D", "d"}, {"A", "a"}}, L"2 3012456789 a,,,d,,,,,,"},
        {L"AB", {{"A", ""}, {"B", "$HOME/a&b"}}, L"1 1023456789 ,$HOME/a&b,,,,,,,,"},
        {L"K@aj\u0141\u0001\uFFFFC", all, L"1 2013456789 ,,c,,,,,,,"},
    };
    for (const auto& [indexList, keys, expected] : cases)
        EXPECT_EQ(ReadList(indexList, keys), expected) << indexList;
}
