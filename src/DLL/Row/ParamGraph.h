// The parameter graph slots: a process-wide table of nine slots, each pairing a display
// colour with at most one parameter row, so that up to nine parameters at a time each have a
// colour of their own in the graph. A row in a slot names it in its aGraphSlot; the rows are
// not owned. Used on one thread only, without a lock.
#pragma once

#include <cstdint>

class TZVParamRow;
class wxXmlNode;

constexpr int GRAPH_SLOT_COUNT = 9;

// Every colour 0 and every slot free, as at load; the palette comes only with
// GraphSetDefaultColours.
void ParamGraphStaticInit();
// Puts pRow into slot pSlot, or with a negative pSlot into the highest free slot. A row that
// already holds a slot leaves it first. Answers the slot, or -1 when the slot is taken (by
// another row), none is free, or pSlot is above 8; the row is then left as it was.
int GraphAddParam(TZVParamRow* pRow, int pSlot);
// Frees the slot; its row's aGraphSlot becomes -1. An empty or unknown slot is reported.
void RemoveParam(int pSlot);
// The slot's row; null for a free or unknown slot.
TZVParamRow* GraphGetParam(int pSlot);
// An unknown slot is reported and nothing changes.
void GraphSetColour(int pSlot, uint32_t pColour);
// The default palette in all nine slots; the rows stay.
void GraphSetDefaultColours();
// Exchanges the colours of two slots (the rows stay); answers the row of slot pB. An unknown
// slot is reported, nothing changes and the answer is null.
TZVParamRow* GraphSwapColour(int pA, int pB);

// One "graph" element per held slot, "idx" and the row's path steps as its children.
void GraphSaveXml(wxXmlNode* pNode);
// Frees every slot, then fills the slots that pNode's children name. Elements with a bad
// "idx", a path to no parameter row, or a slot already filled are skipped. A path that does
// not resolve throws TError, leaving the slots filled so far.
void GraphLoadXml(const wxXmlNode* pNode);
// One "color" element per slot whose colour differs from the default palette.
void GraphSaveColoursXml(wxXmlNode* pNode);
// Sets the colours that pNode's children name; slots without an element keep theirs.
void GraphLoadColoursXml(const wxXmlNode* pNode);

// The slots with their colours, in ascending order: the free ones only, or all nine.
class TGraphSlotList {
public:
    struct TEntry {
        int aSlot;
        uint32_t aColour;
    };

    explicit TGraphSlotList(bool pFreeOnly);

    TEntry aEntries[GRAPH_SLOT_COUNT];
    int aCount;
};
