#include "DLL/Ctl/SizeHandleGrid.h"

namespace NSSizeHandleGrid {

const int theRectHandleCountFor[CASE_COUNT_4D] = {4, 4, 6, 4, 7, 6, 8, 4, 6, 7, 8, 6, 8, 8, 9};

namespace {

const int theSideMask[9] = {3, 2, 6, 1, 15, 4, 9, 8, 12};
const ECursor theIdCursor[9] = {cursorBACK, cursorVERT,  cursorSLASH, cursorHORI, cursorALL,
                                cursorHORI, cursorSLASH, cursorVERT,  cursorBACK};

// The ids whose place suits pShown, in order.
template <typename TPred>
TIdList Select(TPred pShown) {
    TIdList list{0, {}};
    for (int id = 0; id < 9; ++id)
        if (pShown(id))
            list.aIds[list.aCount++] = id;
    return list;
}

} // namespace

int SideMask(int pId) {
    return theSideMask[pId];
}

ECursor IdCursor(int pId) {
    return theIdCursor[pId];
}

TIdList Ids4D(int pCase) {
    return Select([pCase](int pId) { return (theSideMask[pId] & (pCase + 1)) != 0; });
}

TIdList Ids2D(int pCase) {
    return Select([pCase](int pId) {
        const bool midRow = Row(pId) == 1, midColumn = Column(pId) == 1;
        if (midRow && midColumn)
            return false;
        // The middle of the left and right sides changes the width, that of the top and
        // bottom the height.
        return (!midRow || (pCase & 1)) && (!midColumn || (pCase & 2));
    });
}

TIdList AllIds() {
    return Select([](int) { return true; });
}

TIdList CentreId() {
    return Select([](int pId) { return pId == 4; });
}

} // namespace NSSizeHandleGrid
