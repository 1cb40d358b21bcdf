// TMostRecentFileList: the host's list of recently opened files, at most ten, shown newest first
// as the leading items of the submenu of one of the host's menu items, with "Clear List" at the
// submenu's end. The list lives in the application's configuration (wxConfigBase::Get()) under
// "/MRF/" followed by the list's name: key "A" to "J" holds the path of slot 0 to 9, and
// "FileIndexList" the letters of the shown slots, newest first ("DAB": slots 3, 0, 1).
//
// A slot is where a path lives; a position is a place in the menu. Slots never move: menu item k
// has the command id aIdTab[k] and shows aFileTab[aIndexTab[k]].
#pragma once

#include <wx/event.h>
#include <wx/string.h>

#include <functional>

class wxArrayString;
class wxConfigBase;
class wxFrame;
class wxMenu;
class wxMenuItem;

class TMostRecentFileList : public wxEvtHandler {
public:
    static constexpr int mostRecentMAX = 10;

    // Answer of the host's open callback.
    enum TOpenStatus : int {
        openOK = 0,    // the file opened: it goes to the front of the list
        openABORT = 1, // stop opening further files; a menu selection treats it as opened
        openFAILED = 2 // the file did not open: a menu selection drops its entry
    };
    typedef TOpenStatus (*TOpenFunc)(const wxString& pFileName);
    // Finds the stored path under a one-letter key; false when the key is absent.
    typedef std::function<bool(const wxString& pKey, wxString& pPath)> TKeyReader;

    // Appends "Clear List" to pMenuItem's submenu, binds the menu commands on pFrame, and shows
    // the stored list of group "/MRF/" + pName. pMenuItem is enabled exactly while files are
    // shown. Neither pFrame nor pMenuItem is owned; both must outlive the list.
    TMostRecentFileList(wxFrame* pFrame, const wxString& pName, wxMenuItem* pMenuItem,
                        TOpenFunc pOpenFunc);
    // Removes the file items and the bindings; the configuration and "Clear List" stay.
    ~TMostRecentFileList() override;

    // Puts pFileName at the front: an entry with exactly that path moves there, a new one takes
    // a free slot or, with ten files shown, the oldest entry's slot. Writes what changed.
    void AddRecentFile(const wxString& pFileName);
    // Opens through the callback; a file that opened goes to the front. Returns the callback's
    // answer.
    TOpenStatus OpenFile(const wxString& pFileName);
    // Opens each file in turn until one answers openABORT, which is returned at once. Files that
    // opened go to the front. Otherwise returns openOK when one opened, else the last answer that
    // was neither openOK nor openFAILED, else openFAILED (also for no file).
    TOpenStatus OpenFileList(const wxArrayString& pFiles);

    // A file item was chosen: opens it; openFAILED drops the entry and its key, any other answer
    // moves it to the front. An id of no shown item is reported and ignored.
    void onMenuItemSelected(wxCommandEvent& pEvent);
    // "Clear List": removes every file item, "FileIndexList" and the keys of the shown slots.
    void onClearRecentSelected(wxCommandEvent& pEvent);

    // Reads a stored list into the slot tables. Each letter 'A' to 'J' of pIndexList, in order,
    // shows its slot when pReadKey finds a path that is not empty under that letter; any other
    // character, a letter whose slot is already shown and a missing or empty path are skipped.
    // The positions after the shown ones take the free slots in ascending order, so pIndexTab is
    // a permutation of 0 to 9. Returns the number of shown files; pFileTab holds their paths and
    // is empty elsewhere.
    static int ReadFileIndexList(const wxString& pIndexList, const TKeyReader& pReadKey,
                                 wxString (&pFileTab)[mostRecentMAX],
                                 int (&pIndexTab)[mostRecentMAX]);

    wxString aFileTab[mostRecentMAX]; // path of each slot; empty for a free slot
    int aIdTab[mostRecentMAX];        // command id of each menu position
    int aIndexTab[mostRecentMAX];     // slot shown at each position; free slots after the shown
    int aFileCount;                   // number of shown files, 0 to 10
    wxFrame* aOwnerFrame;             // the frame the commands are bound on, not owned
    wxString aConfigPath;             // configuration group, "/MRF/" + name
    wxMenuItem* aMenuItem;            // the host's item holding the submenu, not owned
    int aClearId;                     // command id of "Clear List"
    TOpenFunc aOpenFunc;              // the host's open callback

private:
    // Builds the menu and shows the stored list.
    void init();
    // Adds the item of position aFileCount and shows it.
    void addNewMenuItem();
    // Removes the item of the last shown position.
    void deleteMenuItem();
    // Relabels positions pFrom to pTo, inclusive.
    void updateMenuRange(int pFrom, int pTo);
    // Moves the slot at pPos to position 0, the positions before it one place down.
    void rotateFiles(int pPos);
    // Removes the last item; the slot at pPos goes to the first free position and the shown
    // positions after pPos move up one place.
    void deleteAndRotate(int pPos);
    // The first shown position holding exactly pFileName, else aFileCount.
    int findFile(const wxString& pFileName) const;
    // The configuration object, with its path set to the list's group.
    wxConfigBase* openConfig() const;
    // Writes the key of pSlot with its path.
    void writeFile(int pSlot, wxConfigBase* pConfig) const;
    // Deletes the key of the slot at position pPos and empties its path.
    void deleteFile(int pPos, wxConfigBase* pConfig);
    // Writes "FileIndexList" for the shown slots, or deletes it when none is shown.
    wxConfigBase* writeIndirectTable() const;
    wxMenu* subMenu() const;
};
