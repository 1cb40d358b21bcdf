#include "DLL/Row/ParamGraph.h"

#include "ALL/Assert.h"
#include "ALL/Number.h"
#include "DLL/Row/ParamRow.h"

#include <wx/xml/xml.h>

#include <utility>

namespace {

struct TGraphSlot {
    uint32_t aColour;
    TZVParamRow* aRow;
};

// Zero-initialised before any code runs: every colour 0, every slot free.
TGraphSlot theSlots[GRAPH_SLOT_COUNT];

const uint32_t theDefaultColours[GRAPH_SLOT_COUNT] = {
    0xFFFF80, 0xFF80FF, 0x80FFFF, 0xFF7F00, 0x00FF7F, 0x7F00FF, 0x7FFF00, 0x007FFF, 0xFF007F};

// The largest colour a reader accepts: 0xFFFFFF is refused.
constexpr unsigned long MAX_COLOUR = 0xFFFFFE;

bool IsSlot(int pSlot) {
    return pSlot >= 0 && pSlot < GRAPH_SLOT_COUNT;
}

// A slot is free for pRow when it is empty or already pRow's own.
bool IsFreeFor(int pSlot, const TZVParamRow* pRow) {
    return !theSlots[pSlot].aRow || theSlots[pSlot].aRow == pRow;
}

int FindSlotFor(const TZVParamRow* pRow, int pSlot) {
    if (pSlot >= 0)
        return IsSlot(pSlot) && IsFreeFor(pSlot, pRow) ? pSlot : -1;
    for (int slot = GRAPH_SLOT_COUNT - 1; slot >= 0; --slot)
        if (IsFreeFor(slot, pRow))
            return slot;
    return -1;
}

void FreeSlot(int pSlot) {
    theSlots[pSlot].aRow->aGraphSlot = -1;
    theSlots[pSlot].aRow = nullptr;
}

// "idx" as a slot number; false when absent, not decimal or out of range.
bool ReadSlot(const wxXmlNode* pElement, int& pSlot) {
    long value;
    if (!GetXmlLongAttribute(pElement, L"idx", value) || !IsSlot(int(value)))
        return false;
    pSlot = int(value);
    return true;
}

// Hexadecimal digits only, at most six of them, and no more than MAX_COLOUR.
bool ParseColour(const wxString& pText, uint32_t& pColour) {
    if (pText.empty() || pText.length() > 6)
        return false;
    unsigned long value = 0;
    for (wxUniChar c : pText) {
        if (!c.IsAscii() || !isxdigit(int(c.GetValue())))
            return false;
        const int digit = int(c.GetValue());
        value = value * 16 + unsigned(digit <= '9' ? digit - '0' : (digit | 0x20) - 'a' + 10);
    }
    if (value > MAX_COLOUR)
        return false;
    pColour = uint32_t(value);
    return true;
}

wxXmlNode* NewElement(wxXmlNode* pParent, const wxString& pName, int pSlot) {
    // The parent-taking constructor puts the element first: writers go from slot 8 down.
    wxXmlNode* element = new wxXmlNode(pParent, wxXML_ELEMENT_NODE, pName);
    element->AddAttribute(L"idx", FormatLong(pSlot));
    return element;
}

} // namespace

void ParamGraphStaticInit() {
    for (TGraphSlot& slot : theSlots) {
        if (slot.aRow)
            slot.aRow->aGraphSlot = -1;
        slot = TGraphSlot{0, nullptr};
    }
}

int GraphAddParam(TZVParamRow* pRow, int pSlot) {
    const int slot = FindSlotFor(pRow, pSlot);
    if (slot < 0)
        return -1;
    if (pRow->aGraphSlot >= 0)
        FreeSlot(pRow->aGraphSlot);
    theSlots[slot].aRow = pRow;
    pRow->aGraphSlot = slot;
    return slot;
}

void RemoveParam(int pSlot) {
    if (!ZV_ASSERT(IsSlot(pSlot)))
        return;
    if (theSlots[pSlot].aRow)
        FreeSlot(pSlot);
    else
        ZV_FAIL("Param != __null");
}

TZVParamRow* GraphGetParam(int pSlot) {
    return IsSlot(pSlot) ? theSlots[pSlot].aRow : nullptr;
}

void GraphSetColour(int pSlot, uint32_t pColour) {
    if (ZV_ASSERT(IsSlot(pSlot)))
        theSlots[pSlot].aColour = pColour;
}

void GraphSetDefaultColours() {
    for (int slot = 0; slot < GRAPH_SLOT_COUNT; ++slot)
        theSlots[slot].aColour = theDefaultColours[slot];
}

TZVParamRow* GraphSwapColour(int pA, int pB) {
    if (!ZV_ASSERT(IsSlot(pA) && IsSlot(pB)))
        return nullptr;
    std::swap(theSlots[pA].aColour, theSlots[pB].aColour);
    return theSlots[pB].aRow;
}

void GraphSaveXml(wxXmlNode* pNode) {
    for (int slot = GRAPH_SLOT_COUNT - 1; slot >= 0; --slot)
        if (theSlots[slot].aRow)
            theSlots[slot].aRow->BuildPath(NewElement(pNode, L"graph", slot));
}

void GraphLoadXml(const wxXmlNode* pNode) {
    for (int slot = 0; slot < GRAPH_SLOT_COUNT; ++slot)
        if (theSlots[slot].aRow)
            FreeSlot(slot);
    for (const wxXmlNode* child = pNode->GetChildren(); child; child = child->GetNext()) {
        int slot;
        if (child->GetType() != wxXML_ELEMENT_NODE || !ReadSlot(child, slot) ||
            theSlots[slot].aRow)
            continue;
        TZVBaseRow* row = TZVBaseRow::GetRowFromPath(child, nullptr);
        if (row && row->aRowKind == rowKindPARAM)
            GraphAddParam(static_cast<TZVParamRow*>(row), slot);
    }
}

void GraphSaveColoursXml(wxXmlNode* pNode) {
    for (int slot = GRAPH_SLOT_COUNT - 1; slot >= 0; --slot)
        if (theSlots[slot].aColour != theDefaultColours[slot])
            NewElement(pNode, L"color", slot)
                ->AddAttribute(L"color", wxString::Format(L"%06X", unsigned(theSlots[slot].aColour)));
}

void GraphLoadColoursXml(const wxXmlNode* pNode) {
    for (const wxXmlNode* child = pNode->GetChildren(); child; child = child->GetNext()) {
        int slot;
        uint32_t colour;
        if (child->GetType() == wxXML_ELEMENT_NODE && ReadSlot(child, slot) &&
            ParseColour(child->GetAttribute(L"color"), colour))
            theSlots[slot].aColour = colour;
    }
}

TGraphSlotList::TGraphSlotList(bool pFreeOnly) : aEntries(), aCount(0) {
    for (int slot = 0; slot < GRAPH_SLOT_COUNT; ++slot)
        if (!pFreeOnly || !theSlots[slot].aRow)
            aEntries[aCount++] = TEntry{slot, theSlots[slot].aColour};
}
