// Random edits through the host's editor, undos, redos and alternative redos on an edited
// project, each step checked against a model: the list of saved project files the history
// goes through and the current one. Shared by the model test and the host edit fuzz target.
// Header only.
//
// The records are not neutral, so storing one discards whatever was undone and there is
// never an alternative branch: AltRedo changes nothing and offers only the default label.
// With a buffer too small for the whole history, the oldest records are dropped (the undo
// label falls back to the default, and the model's history loses its oldest states), and a
// record whose opposite no longer fits is applied back: its undo answers false, nothing
// changes, and it leaves the history with every older one, or stays as it was when the
// opposite is larger than the whole buffer.
#pragma once

#include "support/EditedProject.h"

#include "ALL/Variant.h"
#include "DLL/Edt/UndoBuffer.h"

#include <wx/string.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class THostEditModel {
public:
    // The next number of the run.
    typedef std::function<unsigned()> TDraw;

    explicit THostEditModel(TEditedProject& pProject)
        : aProject(pProject), aStates{pProject.Saved()} {}

    // One step picked by pDraw; the first mismatch with the model, empty when there is none.
    std::string Step(const TDraw& pDraw) {
        switch (pDraw() % 8) {
        case 0:
        case 1:
            return Undo();
        case 2:
            return Redo();
        case 3:
            return AltRedo();
        case 4:
            return pDraw() % 4 ? Edit(pDraw) : Stale(pDraw);
        default:
            return Edit(pDraw);
        }
    }

    // What the run went through.
    int aEdits = 0;
    int aUndos = 0;
    int aRedos = 0;
    int aStaleRefusals = 0;
    // Undos answered false because the record's opposite did not fit.
    int aRecoveries = 0;
    // States lost at the old end of the history.
    int aDropped = 0;
    // A key edit asked for easing: a continuity may exclude it, and the curve computations of
    // that edit and of later ones report it, as they do for a single row.
    bool aEased = false;

private:
    std::string Edit(const TDraw& pDraw) {
        wxString label;
        if (!Command(pDraw, label))
            return Check("refused edit " + label.utf8_string());
        // An edit that changes nothing answers false.
        std::string saved = aProject.Saved();
        if (saved == aStates[aCurrent])
            return "edit " + label.utf8_string() + " changed nothing";
        ++aEdits;
        aStates.resize(aCurrent + 1);
        aLabels.resize(aCurrent);
        aStates.push_back(std::move(saved));
        aLabels.push_back(label);
        ++aCurrent;
        return CheckHistory("edit " + label.utf8_string());
    }

    std::string Undo() {
        if (!aProject.aEditor.Undo()) {
            // The label offered this record: it was there, and its opposite did not fit. It
            // left the history with the older ones, or, larger than the whole buffer, it
            // stays as it was (the next check reads which from the label).
            aRecoveries += aCurrent > aFloor;
            return Check("refused undo");
        }
        if (aCurrent == aFloor)
            return "undo past the oldest state";
        ++aUndos;
        --aCurrent;
        return Check("undo");
    }

    std::string Redo() {
        aProject.aEditor.Redo();
        if (aCurrent + 1 < aStates.size()) {
            ++aRedos;
            ++aCurrent;
        }
        return Check("redo");
    }

    std::string AltRedo() {
        aProject.aEditor.AltRedo();
        return Check("alternative redo");
    }

    // A row renamed: a record naming it by its path is refused and changes nothing; one that
    // does not name it undoes. The name then comes back. The rename is no edit of the
    // history, so the row is one that no expression names (the fade, the still, the frames,
    // the audio clip): an image would keep an expression's text as the rename printed it.
    std::string Stale(const TDraw& pDraw) {
        const size_t unnamed[] = {2, 3, 4, 6};
        TZVStreamRow* row = aProject.aStreams[unnamed[pDraw() % 4]];
        const wxString name = row->Rename(L"Gone");
        const std::string renamed = aProject.Saved();
        const bool undone = aProject.aEditor.Undo();
        if (!undone && aProject.Saved() != renamed)
            return "a refused undo changed the project";
        aStaleRefusals += !undone && aCurrent > aFloor;
        row->Rename(name);
        if (undone) {
            if (aCurrent == aFloor)
                return "undo past the oldest state";
            ++aUndos;
            --aCurrent;
        }
        return Check("undo with a renamed row");
    }

    void Drop(size_t pFloor) {
        aDropped += int(pFloor - aFloor);
        aFloor = pFloor;
    }

    std::string Check(const std::string& pStep) {
        if (aProject.Saved() != aStates[aCurrent])
            return pStep + ": the saved project is not the model's";
        return CheckHistory(pStep);
    }

    // The labels: of the model's current record, of the next redo, and no alternative.
    std::string CheckHistory(const std::string& pStep) {
        const wxString undo = aProject.aEditor.UndoLabel();
        if (aCurrent > aFloor && undo == TUndoBuffer::theDefaultUndoAction)
            Drop(aCurrent);
        const wxString expected =
            aCurrent > aFloor ? aLabels[aCurrent - 1] : TUndoBuffer::theDefaultUndoAction;
        if (undo != expected)
            return pStep + ": undo label " + undo.utf8_string();
        const wxString redo = aProject.aEditor.RedoLabel();
        if (redo !=
            (aCurrent + 1 < aStates.size() ? aLabels[aCurrent] : TUndoBuffer::theDefaultRedoAction))
            return pStep + ": redo label " + redo.utf8_string();
        if (aProject.aEditor.AltRedoLabel() != L"Alt " + TUndoBuffer::theDefaultRedoAction)
            return pStep + ": an alternative branch";
        return std::string();
    }

    // The project's span: the end of the root's last sequence.
    long Span() const {
        const TRangeList& root = aProject.aHost.GetRootRow()->aSequenceList;
        return root.empty() ? 1 : std::max(1L, root.back().aEnd);
    }

    static long Pick(const TDraw& pDraw, const std::vector<long>& pTimes) {
        return pTimes.empty() ? 0 : pTimes[pDraw() % pTimes.size()];
    }
    static std::vector<long> KeyTimes(const TZVParamRow& pRow) {
        std::vector<long> times;
        for (const TABCFormula& segment : pRow.aFormulaList)
            times.insert(times.end(), {segment.aBegin, segment.aEnd});
        return times;
    }
    static std::vector<long> Edges(const TZVStreamRow& pRow) {
        std::vector<long> times;
        for (const TRange& sequence : pRow.aSequenceList)
            times.insert(times.end(), {sequence.aBegin, sequence.aEnd});
        return times;
    }

    // Selects one range from pTime, at most pSpan long.
    void Select(const TDraw& pDraw, long pTime, long pSpan) {
        TRangeList selection;
        selection.push_back(TRange(pTime, pTime + 1 + long(pDraw() % unsigned(pSpan))));
        aProject.aHost.SetTimeSelection(selection);
    }

    // A command on a row and at times picked from the current project; false when refused.
    bool Command(const TDraw& pDraw, wxString& pLabel) {
        THostEditor& editor = aProject.aEditor;
        TZVParamRow* param = aProject.aParams[pDraw() % aProject.aParams.size()];
        TZVStreamRow* stream = aProject.aStreams[pDraw() % aProject.aStreams.size()];
        const long span = Span();
        const long time = long(pDraw() % unsigned(span + 20)) - 10;
        const unsigned kind = pDraw() % 12;
        const TDraw& draw = pDraw;
        switch (kind) {
        case 0: {
            pLabel = L"Edit key";
            // Drawn in this order by every compiler.
            const bool left = draw() % 2;
            const bool ease = draw() % 2;
            aEased = aEased || ease;
            return editor.EditKey(param, time, left, ease, EContinuity(draw() % 4));
        }
        case 1:
            pLabel = L"Key value";
            return editor.EditKeyValue(param, Pick(draw, KeyTimes(*param)), draw() % 2,
                                       TVariant(double(draw() % 40) / 4.0));
        case 2:
            pLabel = L"Delete key";
            return editor.DeleteKey(param, Pick(draw, KeyTimes(*param)));
        case 3: {
            const wchar_t* const texts[] = {
                L"1 + 2", L"7 / 4", L"[mixer:Audio][param:1 - Master Amplif (db)].value * 2"};
            pLabel = L"Formula";
            // The reference is not given to the row it names.
            return editor.SetFormula(param, texts[draw() % (param == aProject.aParams[8] ? 2 : 3)]);
        }
        case 4: {
            Select(draw, time, span);
            const bool copy = draw() % 2;
            pLabel = copy ? L"Copy" : L"Move";
            return editor.ShiftSelection(stream, long(draw() % 81) - 40, copy);
        }
        case 5:
            pLabel = L"Resize";
            return editor.ResizeEdge(stream, Pick(draw, Edges(*stream)), draw() % 2,
                                     long(draw() % 41) - 20);
        case 6:
            pLabel = L"Split";
            return editor.Split(stream, time);
        case 7:
            pLabel = L"Join";
            return editor.Join(stream, Pick(draw, Edges(*stream)));
        case 8:
            Select(draw, time, span);
            pLabel = L"Delete";
            return editor.DeleteSelection(stream);
        case 9: {
            const double factors[] = {0.5, 2.0, 0.8, 1.25};
            pLabel = L"Scale";
            return editor.Scale(factors[draw() % 4]);
        }
        case 10:
            pLabel = L"Duration";
            return editor.SetDuration(1 + long(draw() % 200));
        default:
            pLabel = L"Setup";
            return editor.EditSetup(stream, int(draw() % 2), TVariant(double(draw() % 2)));
        }
    }

    TEditedProject& aProject;
    // The saved files of the history, oldest first; aLabels[i] leads from state i to i + 1.
    std::vector<std::string> aStates;
    std::vector<wxString> aLabels;
    size_t aCurrent = 0;
    // The oldest state still reached by undoing.
    size_t aFloor = 0;
};
