// An edit through the reference host's editor (host/HostEditor.h), undone and redone: each
// command that changes the project stores one record, which Undo applies and turns into its
// opposite for Redo. Undo gives back the project as it was, to the byte of its saved text.
#pragma once

#include "host/HostEditor.h"
#include "host/ProjectFile.h"

#include <string>

// Makes the edit pEdit (a call of one of the editor's commands, true when it changed the
// project), undoes and redoes it; true when the saved text went back to what it was before
// and forth to what it was after.
template <class TEdit>
bool EditWithUndo(TZVHost& pHost, THostEditor& pEditor, TEdit pEdit) {
    const std::string before = TZVProjectFile::SaveText(pHost);
    if (!pEdit())
        return false;
    const std::string after = TZVProjectFile::SaveText(pHost);
    if (after == before || !pEditor.Undo() || TZVProjectFile::SaveText(pHost) != before)
        return false;
    pEditor.Redo();
    return TZVProjectFile::SaveText(pHost) == after;
}
