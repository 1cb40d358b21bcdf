#include "DLL/Row/StreamEditList.h"

#include <algorithm>

void TStreamEditList::AddKey(TZVStreamRow* pStream, TZVParamRow* pParam, const TABCFormula& pKey) {
    auto stream = std::find_if(
        begin(), end(), [pStream](const TStreamEdit& pEdit) { return pEdit.aStream == pStream; });
    if (stream == end()) {
        push_front({pStream, TRangeList(), {}});
        stream = begin();
    }
    std::list<TParamEdit>& params = stream->aParamEdits;
    auto param = std::find_if(params.begin(), params.end(),
                              [pParam](const TParamEdit& pEdit) { return pEdit.aParam == pParam; });
    if (param == params.end()) {
        params.push_front({pParam, TABCFormulaList(), 0});
        param = params.begin();
    }
    // An entry the host emptied takes the key afresh.
    if (param->aKeys.empty())
        param->aKeys.push_back(pKey);
    else
        param->aKeys.front().Extend(pKey);
}
