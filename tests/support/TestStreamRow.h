// A concrete stream row class with a fixed control table, for reading and writing whole stream
// rows: parameter 0 "Level" (real, enabled), parameter 1 "Gain" (integer, created disabled)
// and setup 0 "Title" (text, default "none", its change applied by the host: kind bit 3).
// It is its own row family, so its factory can be registered and rows made from elements.
// Header only, so that benchmarks and fuzz targets can use it too.
#pragma once

#include "DLL/Row/RowRegistry.h"

#include "support/FakeRows.h"

#include <vector>

class TTestStreamRow : public TFakeStreamRow, public TRowRegistry<TTestStreamRow> {
public:
    TTestStreamRow() : TFakeStreamRow(rowKindSOURCE) {}
    using TRowRegistry<TTestStreamRow>::Create;

    const wxString& GetSubType() const override { return TheSubType; }
    int GetParamCount() const override { return 2; }
    int GetSetupCount() const override { return 1; }
    int GetControlCount() const override { return int(theControls.size()); }
    int GetParamControl(int pIndex) const override { return theParamControlIndexTab[pIndex]; }
    int GetSetupControl(int pIndex) const override { return theSetupControlIndexTab[pIndex]; }
    const TControlInfo* GetControlTab() const override { return theControls.data(); }

    // A complete, unattached row read from pElement (the family's factory makes it), or the
    // reader's TError; the caller owns it.
    static TTestStreamRow* Read(const wxXmlNode* pElement) {
        TTestStreamRow* row = Create(pElement);
        try {
            row->CreateChildren(pElement);
        } catch (...) {
            delete row;
            throw;
        }
        return row;
    }
    // Registers the factory under "test" (once).
    static void Register() {
        if (!theFactorySet)
            RegisterRowClass<TTestStreamRow, TTestStreamRow>(L"test", 0);
    }

    static wxIcon* GetIcon() { return nullptr; }
    static std::vector<TControlInfo> Controls() {
        TTypeDef title(paramTypeTEXT);
        title.aDefault = TVariant(wxString(L"none"));
        TControlInfo setup(0, title, L"Title", true);
        setup.aKind = TControlInfo::categorySETUP | TControlInfo::kindUPDATE;
        return {TControlInfo(0, TTypeDef(paramTypeREAL), L"Level", true),
                TControlInfo(1, TTypeDef(paramTypeINTEGER), L"Gain", false), setup};
    }

    inline static wxString TheSubType = L"test";
    inline static IZVStreamDisplayInfo* theDisplayInfo = nullptr;
    inline static bool theHasVideoFlag = false;
    inline static int theParamControlIndexTab[2] = {0, 1};
    inline static int theSetupControlIndexTab[1] = {2};
    inline static std::vector<TControlInfo> theControls = Controls();
};

template <>
inline const wchar_t* const TRowRegistry<TTestStreamRow>::theNoFactoryFormat =
    L"No factory is registered for TTestStreamRow subtype %ls";
