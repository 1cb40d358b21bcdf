// The row tree of a loaded project, one row a line, indented by depth: a stream row's kind,
// type, name and sequences; its parameters, each with its formula's text or its number of
// key segments; then a source's filters (a filter's mask below it) and a mixer's sources.
// The tree is the host's to walk: the lists are public and in document order.
#pragma once

#include "DLL/Row/FilterRow.h"
#include "DLL/Row/MixerRow.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/ZVFormula.h"

#include <ostream>
#include <string>

inline void PrintTree(const TZVStreamRow& pRow, std::ostream& pOut, int pDepth = 0) {
    const std::string indent(size_t(2 * pDepth), ' ');
    pOut << indent << TZVBaseRow::GetRowKindName(pRow.aRowKind).utf8_string() << " "
         << pRow.GetSubType().utf8_string() << " \"" << pRow.aName.utf8_string() << "\"";
    for (const TRange& sequence : pRow.aSequenceList)
        pOut << " " << sequence.aBegin << ".." << sequence.aEnd;
    pOut << "\n";
    for (const TZVParamRow* param : pRow.aParamTab) {
        if (!param)
            continue;
        pOut << indent << "  param \"" << param->aName.utf8_string() << "\": ";
        if (const TZVFormula* formula = dynamic_cast<const TZVFormula*>(param->aFormula))
            pOut << "= " << formula->GetImage().utf8_string() << "\n";
        else
            pOut << param->aFormulaList.size() << " segments\n";
    }
    if (const TZVSourceRow* source = dynamic_cast<const TZVSourceRow*>(&pRow))
        for (const TZVFilterRow* filter : source->aFilterChildList) {
            PrintTree(*filter, pOut, pDepth + 1);
            if (filter->aMask)
                PrintTree(*filter->aMask, pOut, pDepth + 2);
        }
    if (const TZVMixerRow* mixer = dynamic_cast<const TZVMixerRow*>(&pRow))
        for (const TZVSourceRow* child : mixer->aSourceChildList)
            PrintTree(*child, pOut, pDepth + 1);
}
