// TRowRegistry<TBase>: the class-static map from sub-type name to factory that each stream row
// family (simple sources, mixers, filters) keeps, and RegisterRowClass, the start-up
// registration of one concrete class.
//
// A family derives from TRowRegistry<TBase> and defines theNoFactoryFormat, its untranslated
// message for an unknown sub-type ("%ls" takes the sub-type).
#pragma once

#include "ALL/Error.h"
#include "DLL/Row/StreamFactory.h"
#include "DLL/Row/StreamRow.h"

#include <wx/xml/xml.h>

#include <map>
#include <memory>

// Orders texts by their UTF-16 code units, as the registry keys have always been ordered:
// characters above U+FFFF (surrogate pairs) come before U+E000 to U+FFFF.
struct TUtf16Less {
    bool operator()(const wxString& pLeft, const wxString& pRight) const;
};

template <typename TBase>
class TRowRegistry {
public:
    typedef std::map<wxString, IObjectFactory<TBase>*, TUtf16Less> TFactorySet;

    // Enters pFactory under its sub-type and takes it over; a name already there keeps its
    // first factory, and pFactory stays the caller's (false).
    static bool RegisterFactory(IObjectFactory<TBase>* pFactory) {
        if (!theFactorySet)
            theFactorySet = new TFactorySet;
        return theFactorySet->insert({pFactory->GetSubType(), pFactory}).second;
    }

    // A complete, unattached row of the sub-type named by pElement's "type", named by its
    // "name"; pElement is not moved. Throws TError for an unknown sub-type or a missing name.
    static TBase* Create(const wxXmlNode*& pElement) {
        const wxString subType = pElement->GetAttribute(L"type", wxEmptyString);
        const auto found =
            theFactorySet ? theFactorySet->find(subType) : typename TFactorySet::iterator();
        if (!theFactorySet || found == theFactorySet->end())
            throw TError(theNoFactoryFormat, subType);
        std::unique_ptr<TBase> row(found->second->Create());
        row->CompleteCreate();
        row->SetProperties(pElement);
        return row.release();
    }

    // Stores the factories with a non-negative order in pTable from entry pCount on.
    static void FillFactoryTab(std::vector<TFactoryInfo>& pTable, int& pCount) {
        if (theFactorySet)
            StoreFactories(theFactorySet->begin(), theFactorySet->end(), pTable, pCount);
    }

    // Every factory's panel in pWindow, in key order.
    static void CreateDialog(wxScrolledWindow* pWindow) {
        if (theFactorySet)
            for (const auto& entry : *theFactorySet)
                entry.second->CreateDialog(pWindow);
    }

    // Deletes the factories (freeing their panels) and the map; registering starts afresh.
    static void DeleteAllFactories() {
        if (!theFactorySet)
            return;
        for (const auto& entry : *theFactorySet)
            delete entry.second;
        delete theFactorySet;
        theFactorySet = nullptr;
    }

    // Null until the first registration.
    static TFactorySet* theFactorySet;
    static const wchar_t* const theNoFactoryFormat;
};

template <typename TBase>
typename TRowRegistry<TBase>::TFactorySet* TRowRegistry<TBase>::theFactorySet = nullptr;

// Registers the concrete class TRow of the family TBase under pSubType with the given order
// word, and fills the class's index tables from its control table. A name already taken keeps
// its first factory; the refused one is not deleted, since that would empty TRow's sub-type.
template <typename TRow, typename TBase>
void RegisterRowClass(const wchar_t* pSubType, int pOrder) {
    TRow::TheSubType = pSubType;
    auto* factory = new TObjectFactory<TRow, TBase>(pOrder);
    TBase::RegisterFactory(factory);
    factory->fillControlInfo(TRow::theParamControlIndexTab, TRow::theSetupControlIndexTab);
}

// Reads pRow's children from its element pElement and returns pRow; when the reading throws,
// pRow (unattached, so owned here) is deleted and the exception goes on.
template <typename TRow>
TRow* ReadChildrenOrDelete(TRow* pRow, const wxXmlNode* pElement) {
    try {
        const wxXmlNode* cursor = pElement;
        pRow->CreateChildren(cursor);
    } catch (...) {
        delete pRow;
        throw;
    }
    return pRow;
}
