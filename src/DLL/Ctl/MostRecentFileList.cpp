#include "DLL/Ctl/MostRecentFileList.h"

#include "ALL/Assert.h"

#include <wx/arrstr.h>
#include <wx/config.h>
#include <wx/frame.h>
#include <wx/intl.h>
#include <wx/menu.h>

#include <algorithm>

namespace {

const char theIndexKey[] = "FileIndexList";

// The key of a slot: 'A' + slot.
wxString buildKey(int pSlot) {
    return wxString(wxUniChar('A' + pSlot));
}

// Menus read '&' as the mark of a mnemonic; doubled, it shows as itself.
wxString menuLabel(const wxString& pPath) {
    wxString label(pPath);
    label.Replace("&", "&&");
    return label;
}

// Stored paths are read as they stand: a configuration expands "$NAME" in what it reads by
// default, which would change a path that holds a '$'.
class TRawReading {
public:
    explicit TRawReading(wxConfigBase& pConfig)
        : aConfig(pConfig), aExpanding(pConfig.IsExpandingEnvVars()) {
        aConfig.SetExpandEnvVars(false);
    }
    ~TRawReading() { aConfig.SetExpandEnvVars(aExpanding); }
    TRawReading(const TRawReading&) = delete;
    TRawReading& operator=(const TRawReading&) = delete;

private:
    wxConfigBase& aConfig;
    bool aExpanding;
};

} // namespace

TMostRecentFileList::TMostRecentFileList(wxFrame* pFrame, const wxString& pName,
                                         wxMenuItem* pMenuItem, TOpenFunc pOpenFunc)
    : aIdTab(), aIndexTab(), aFileCount(0), aOwnerFrame(pFrame), aConfigPath("/MRF/" + pName),
      aMenuItem(pMenuItem), aClearId(wxNewId()), aOpenFunc(pOpenFunc) {
    init();
}

TMostRecentFileList::~TMostRecentFileList() {
    while (aFileCount > 0)
        deleteMenuItem();
    aOwnerFrame->Unbind(wxEVT_MENU, &TMostRecentFileList::onClearRecentSelected, this, aClearId);
}

int TMostRecentFileList::ReadFileIndexList(const wxString& pIndexList, const TKeyReader& pReadKey,
                                           wxString (&pFileTab)[mostRecentMAX],
                                           int (&pIndexTab)[mostRecentMAX]) {
    bool shown[mostRecentMAX] = {};
    int count = 0;
    for (const wxUniChar letter : pIndexList) {
        const long slot = long(letter.GetValue()) - 'A';
        if (slot < 0 || slot >= mostRecentMAX || shown[slot])
            continue;
        wxString path;
        if (!pReadKey(wxString(letter), path) || path.empty())
            continue;
        shown[slot] = true;
        pFileTab[slot] = path;
        pIndexTab[count++] = int(slot);
    }
    int position = count;
    for (int slot = 0; slot < mostRecentMAX; ++slot) {
        if (shown[slot])
            continue;
        pFileTab[slot].clear();
        pIndexTab[position++] = slot;
    }
    return count;
}

void TMostRecentFileList::init() {
    for (int& id : aIdTab)
        id = wxNewId();
    aMenuItem->Enable(false);
    subMenu()->Append(aClearId, wxGetTranslation("Clear List"), wxEmptyString);
    aOwnerFrame->Bind(wxEVT_MENU, &TMostRecentFileList::onClearRecentSelected, this, aClearId);

    wxConfigBase* config = openConfig();
    TRawReading raw(*config);
    wxString indexList;
    config->Read(theIndexKey, &indexList);
    const int count = ReadFileIndexList(
        indexList,
        [config](const wxString& pKey, wxString& pPath) { return config->Read(pKey, &pPath); },
        aFileTab, aIndexTab);
    while (aFileCount < count)
        addNewMenuItem();
}

void TMostRecentFileList::addNewMenuItem() {
    const int id = aIdTab[aFileCount];
    subMenu()->Insert(aFileCount, id, menuLabel(aFileTab[aIndexTab[aFileCount]]), wxEmptyString);
    aOwnerFrame->Bind(wxEVT_MENU, &TMostRecentFileList::onMenuItemSelected, this, id);
    if (aFileCount == 0)
        aMenuItem->Enable(true);
    ++aFileCount;
}

void TMostRecentFileList::deleteMenuItem() {
    const int id = aIdTab[--aFileCount];
    aOwnerFrame->Unbind(wxEVT_MENU, &TMostRecentFileList::onMenuItemSelected, this, id);
    subMenu()->Destroy(id);
    if (aFileCount == 0)
        aMenuItem->Enable(false);
}

void TMostRecentFileList::updateMenuRange(int pFrom, int pTo) {
    for (int position = pFrom; position <= pTo; ++position)
        subMenu()->SetLabel(aIdTab[position], menuLabel(aFileTab[aIndexTab[position]]));
}

void TMostRecentFileList::rotateFiles(int pPos) {
    std::rotate(aIndexTab, aIndexTab + pPos, aIndexTab + pPos + 1);
    updateMenuRange(0, pPos);
}

void TMostRecentFileList::deleteAndRotate(int pPos) {
    deleteMenuItem();
    if (pPos >= aFileCount)
        return;
    std::rotate(aIndexTab + pPos, aIndexTab + pPos + 1, aIndexTab + aFileCount + 1);
    updateMenuRange(pPos, aFileCount - 1);
}

int TMostRecentFileList::findFile(const wxString& pFileName) const {
    int position = 0;
    while (position < aFileCount && aFileTab[aIndexTab[position]] != pFileName)
        ++position;
    return position;
}

void TMostRecentFileList::AddRecentFile(const wxString& pFileName) {
    // An empty path would make an item without a label.
    if (!ZV_ASSERT(!pFileName.IsEmpty()))
        return;
    int position = findFile(pFileName);
    const bool isNew = position == aFileCount;
    if (isNew) {
        position = std::min(position, mostRecentMAX - 1);
        aFileTab[aIndexTab[position]] = pFileName;
        if (aFileCount < mostRecentMAX)
            addNewMenuItem();
    }
    if (position > 0)
        rotateFiles(position);
    if (isNew)
        writeFile(aIndexTab[0], writeIndirectTable());
    else if (position > 0)
        writeIndirectTable();
}

TMostRecentFileList::TOpenStatus TMostRecentFileList::OpenFile(const wxString& pFileName) {
    const TOpenStatus status = aOpenFunc(pFileName);
    if (status == openOK)
        AddRecentFile(pFileName);
    return status;
}

TMostRecentFileList::TOpenStatus TMostRecentFileList::OpenFileList(const wxArrayString& pFiles) {
    TOpenStatus result = openFAILED;
    for (const wxString& file : pFiles) {
        const TOpenStatus status = aOpenFunc(file);
        if (status == openABORT)
            return status;
        if (status == openOK)
            AddRecentFile(file);
        if (status != openFAILED)
            result = status;
    }
    return result;
}

void TMostRecentFileList::onMenuItemSelected(wxCommandEvent& pEvent) {
    int i = 0;
    while (i < aFileCount && aIdTab[i] != pEvent.GetId())
        ++i;
    if (!ZV_ASSERT(i < aFileCount))
        return;
    // A copy: the callback gets a path that stays put whatever the list does meanwhile.
    const wxString file = aFileTab[aIndexTab[i]];
    const TOpenStatus status = aOpenFunc(file);
    if (status == openFAILED) {
        deleteAndRotate(i);
        deleteFile(aFileCount, writeIndirectTable());
    } else if (i > 0) {
        rotateFiles(i);
        writeIndirectTable();
    }
}

void TMostRecentFileList::onClearRecentSelected(wxCommandEvent&) {
    const int count = aFileCount;
    while (aFileCount > 0)
        deleteMenuItem();
    wxConfigBase* config = writeIndirectTable();
    for (int position = 0; position < count; ++position)
        deleteFile(position, config);
}

wxConfigBase* TMostRecentFileList::openConfig() const {
    wxConfigBase* config = wxConfigBase::Get();
    config->SetPath(aConfigPath);
    return config;
}

void TMostRecentFileList::writeFile(int pSlot, wxConfigBase* pConfig) const {
    pConfig->Write(buildKey(pSlot), aFileTab[pSlot]);
}

void TMostRecentFileList::deleteFile(int pPos, wxConfigBase* pConfig) {
    const int slot = aIndexTab[pPos];
    // Deleting a group's last key drops the group and moves the path to its parent.
    pConfig->SetPath(aConfigPath);
    pConfig->DeleteEntry(buildKey(slot), true);
    aFileTab[slot].clear();
}

wxConfigBase* TMostRecentFileList::writeIndirectTable() const {
    wxConfigBase* config = openConfig();
    if (aFileCount == 0) {
        config->DeleteEntry(theIndexKey, true);
        return config;
    }
    wxString letters;
    for (int position = 0; position < aFileCount; ++position)
        letters += buildKey(aIndexTab[position]);
    config->Write(theIndexKey, letters);
    return config;
}

wxMenu* TMostRecentFileList::subMenu() const {
    return aMenuItem->GetSubMenu();
}
