// IRowSelection: the host's selection of rows.
#pragma once

class TZVBaseRow;

class IRowSelection {
public:
    virtual bool IsSelected(const TZVBaseRow* pRow) = 0;

    // Installed by the host before any row is used; never tested for null.
    static IRowSelection* theSingleton;

protected:
    ~IRowSelection() = default;
};
