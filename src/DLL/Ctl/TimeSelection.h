// ITimeSelection: the host's selection of time ranges in the timeline. It lies beside the
// selection drawing, its first user, so that the controls reach it as well as the rows.
#pragma once

#include "ALL/Range.h"

class ITimeSelection {
public:
    // The selected ranges, in time order and not overlapping.
    virtual const TRangeList& GetRangeList() const = 0;
    // True when keys rather than spans are selected: a range then holds its begin but not its
    // end.
    virtual bool IsKeySelMode() const = 0;

    // Installed by the host before any drawing or edit asks for it; used without a test for
    // null.
    static ITimeSelection* theSingleton;

protected:
    // The host owns its selection; it is not deleted through this interface.
    virtual ~ITimeSelection();
};
