#include "DLL/Ctl/ScrollHelper.h"

#include <wx/scrolbar.h>

template class TScrollAxis<wxScrollBar>;
