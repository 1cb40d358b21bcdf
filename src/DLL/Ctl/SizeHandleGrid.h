// The 3 x 3 grid of size handles over an edited rectangle: id = row * 3 + column, rows and
// columns 0 (left or top), 1 (middle), 2 (right or bottom); id 4 is the centre. Each id edits
// a set of sides (1 left, 2 top, 4 right, 8 bottom). A kind shows the ids of its case, in
// increasing order; a record's handle i is the i-th id of its case.
#pragma once

namespace NSSizeHandleGrid {

// The sides the side bits name.
enum ESide { sideLEFT = 1, sideTOP = 2, sideRIGHT = 4, sideBOTTOM = 8 };

// The handle cursors by their place in the cursor table.
enum ECursor {
    cursorNONE = -1,
    cursorHORI = 0,
    cursorVERT = 1,
    cursorALL = 2,
    cursorSLASH = 3,
    cursorBACK = 4
};

// The ids one case shows, in order.
struct TIdList {
    int aCount;
    int aIds[9];

    // The id of handle pIndex; pIndex must be below aCount.
    int operator[](int pIndex) const { return aIds[pIndex]; }
    // Whether pIndex names one of the ids.
    bool Has(int pIndex) const { return pIndex >= 0 && pIndex < aCount; }
};

// Cases of four sides: case = side bits - 1, 0 to 14.
constexpr int CASE_COUNT_4D = 15;
// How many ids each four-side case shows.
extern const int theRectHandleCountFor[CASE_COUNT_4D];

inline int Column(int pId) {
    return pId % 3;
}
inline int Row(int pId) {
    return pId / 3;
}
// The sides handle pId edits (0 to 8).
int SideMask(int pId);
// The cursor shown over handle pId (0 to 8).
ECursor IdCursor(int pId);

// The ids whose sides meet those of case pCase (0 to 14).
TIdList Ids4D(int pCase);
// The ids of a width-and-height case (0 to 3: bit 0 width, bit 1 height); the centre is never
// shown, the corners always.
TIdList Ids2D(int pCase);
// All nine ids.
TIdList AllIds();
// The centre alone.
TIdList CentreId();

} // namespace NSSizeHandleGrid
