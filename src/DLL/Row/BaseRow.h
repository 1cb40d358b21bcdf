// TZVBaseRow: the node of the row tree. Every row of the timeline derives from it: parameter
// rows, filter, source and mixer rows, the root mixer. The base keeps no children: stream rows
// own theirs and extend the walks.
#pragma once

#include "ALL/KeyList.h"

#include <wx/string.h>

#include <list>

class TRangeList;
class TZVParamRow;
class TZVStreamRow;
class wxDC;
class wxIcon;
class wxXmlNode;

// The kind of a row; also the column and row of the level-offset table.
enum ERowKind { rowKindPARAM = 0, rowKindFILTER = 1, rowKindSOURCE = 2, rowKindMIXER = 3 };

// One sequence block to draw, filled by the host's timeline drawing. Pixel coordinates of the DC.
struct TZVSeqRect {
    wxDC* aDC;
    int aBeginX;
    int aEndX;
    int aTop;
    int aBottom;
    int aRightLimit;
    int aLeftLimit;
    // The sequence clipped to the drawn area.
    int aVisibleBeginX;
    int aVisibleEndX;
    // Added to an x of the DC, the unscrolled pixel x (the waveform cache's columns).
    int aPixelOffset;
};

// Told where keys are drawn over a row.
class IZVKeyMarker {
public:
    // pX: the unscrolled pixel x of a key that has just been drawn.
    virtual void MarkKeyAt(int pX) const = 0;

protected:
    ~IZVKeyMarker() = default;
};

class TZVBaseRow : public IZVKeyMarker {
public:
    // The host's collector of the rows an edit changed, for its undo record.
    class IUndoCompiler {
    public:
        virtual void AddStreamRow(TZVStreamRow* pRow) = 0;
        // Called after the parameter row's edit; the host then takes its undo image.
        virtual void AddParamRow(TZVParamRow* pRow) = 0;

    protected:
        ~IUndoCompiler() = default;
    };

    // An operation on each shown row, from ApplyOnVisible.
    class IVisibleRowOperation {
    public:
        // For a stream row, true visits its shown parameter rows too.
        virtual bool Apply(const TZVBaseRow* pRow) = 0;

    protected:
        ~IVisibleRowOperation() = default;
    };

    typedef void (*TSelListener)(TZVBaseRow* pRow);
    // Told of every dying row, before its members go; null until the host installs one.
    static TSelListener theSelListener;

    // Detached, not shown, level 0, height 24, no name; the concrete class calls setRowKind.
    TZVBaseRow();
    TZVBaseRow(const TZVBaseRow&) = delete;
    TZVBaseRow& operator=(const TZVBaseRow&) = delete;
    // Does not unlink the row: its parent does that.
    virtual ~TZVBaseRow();

    // The row whose band holds pY (row-tree pixels) in the current project, or null: null for
    // a negative pY, without a current project and when it has no root row; otherwise the
    // root's GetRow(pY).
    static TZVBaseRow* GetRowAt(int pY);

    // Does nothing: only rows that keep bookkeeping under their keys care.
    void MarkKeyAt(int pX) const override;
    // Pixel y just below the row (and whatever it shows under it).
    virtual int GetBottom() const;
    // The row class's sub-type name, the XML "type".
    virtual const wxString& GetSubType() const = 0;
    virtual TZVStreamRow* GetOwnerStream() = 0;
    virtual const ITimeList& GetKeyTimeList() const = 0;
    virtual const TRangeList& GetSequenceList() const = 0;
    virtual wxIcon* GetRoleIcon() const = 0;
    virtual wxIcon* GetTypeIcon() const = 0;
    virtual void Hide();
    // A new, unattached element named by the kind word, with "type" then "name"; owned by
    // the caller.
    virtual wxXmlNode* GetXmlImage() const;
    virtual void VShift(int pDelta);
    // Moves the level; stream rows move their subtree with it.
    virtual void HShift(int pDelta);
    virtual void ShowAt(int pTop);
    // Appends the parameter rows of the row (and below it) to pList.
    virtual void ListParam(std::list<TZVParamRow*>& pList) = 0;
    // Applies pOperation to this row (whether shown or not) and returns its answer.
    virtual bool ApplyOnVisible(IVisibleRowOperation& pOperation) const;
    // This row when pY lies above its bottom line, else null; callers walk rows from the top,
    // so pY is not compared with aTop.
    virtual TZVBaseRow* GetRow(int pY);
    virtual TZVBaseRow* GetNextRow() const = 0;
    virtual TZVBaseRow* GetPrevModRow() const = 0;
    virtual bool IsLastSibling() const = 0;
    // Draws one sequence block: fill, bottom and top lines, ticks every pStep pixels (none for
    // a step of 0 or less), end and start edges, each under its condition.
    virtual void DrawRowSeq(const TZVSeqRect& pRect, int pStep) const;
    virtual void setHeight(int pHeight);
    // Makes the name unique among the row's siblings; called after every name change.
    virtual void DeconflictName() = 0;
    // The concrete class's kind.
    virtual ERowKind retrieveRowKind() const = 0;

    // Row paths: a path element holds one step per level from below the root down to the
    // row, each named by the row's kind word with "path" = the name, or for a parameter its
    // number from 1 (so renaming a parameter keeps paths to it valid).
    // Puts the steps of this row and its ancestors (not the root) in front of pNode's
    // children, top-down.
    void BuildPath(wxXmlNode* pNode) const;
    // A new, unattached "p" element holding pRow's path; owned by the caller.
    static wxXmlNode* CreatePath(const TZVBaseRow* pRow);
    // A "p" element holding the path, made the first child of pNode; returns it.
    wxXmlNode* GetPath(wxXmlNode* pNode) const;
    // One step element under pParent: right after pSibling, or first without one.
    static wxXmlNode* AddPathNode(const wxString& pKind, const wxString& pPath, wxXmlNode* pParent,
                                  wxXmlNode* pSibling);
    // This row's own step through AddPathNode; returns it.
    wxXmlNode* BuildPathStep(wxXmlNode* pParent, wxXmlNode* pSibling) const;
    // The row that the steps under pPath name below pStart (the project's root when null);
    // pStart itself for a path without steps; null when there is no start row. Throws TError
    // for a step the rows cannot resolve.
    static TZVBaseRow* GetRowFromPath(const wxXmlNode* pPath, TZVStreamRow* pStart);

    // Links the row under pParent (null unlinks it, keeping the level). The level becomes the
    // parent's plus the offset of the two kinds; a refused parent leaves the row as it was.
    void SetParent(TZVStreamRow* pParent, bool pShown);
    // Makes this freshly built root mixer the root: level -1.
    void SetRootRow();
    // Stores pName, makes it unique, forgets the measured widths; returns the old name.
    wxString Rename(const wxString& pName);
    // Reads the row's own attribute, "name" (required), from its element.
    void SetProperties(const wxXmlNode* pElement);
    // The attribute's value (empty when present and empty); throws TError when it is missing.
    wxString GetPropValue(const wxXmlNode* pElement, const wxString& pName) const;
    // The attribute as a decimal within the 32-bit range; throws TError otherwise.
    long GetPropIntValue(const wxXmlNode* pElement, const wxString& pName) const;
    // "<kind> <sub-type> <name>[ of <parent sub-type> <parent name>]", untranslated.
    wxString GetRowDesignation() const;
    // The translated kind and name.
    wxString GetRowFullName() const;
    // True when pRow hangs (at any depth) under this row; a row is not its own ancestor.
    bool IsAncestorOf(const TZVBaseRow* pRow) const;
    // False when a row of level above 0 on the way up to the root is hidden.
    bool IsActuallyShown() const;
    // Measures the name with pDC's font unless the width for pFlag is known.
    void SetNameWidth(bool pFlag, const wxDC& pDC) const;
    // The width measured for pFlag; negative when never measured.
    int GetNameWidth(bool pFlag) const { return aNameWidth[pFlag]; }

    // "param", "filter", "source", "mixer"; pKind must be a kind.
    static const wxString& GetRowKindName(ERowKind pKind);
    // "Param.", "Filter", "Source", "Mixer", untranslated.
    static const wxString& GetRowTransName(ERowKind pKind);
    // Makes pChild the last child of pParent, keeping written order.
    static void AppendChild(wxXmlNode* pChild, wxXmlNode* pParent);

    bool aIsDetached;
    bool aIsShown;
    // Pixel y of the row's top in row-tree coordinates.
    int aTop;
    wxString aName;
    // Key times counted at this row.
    TKeyList aKeyList;
    // The stream row the row hangs under; null for the root and for a detached row.
    TZVStreamRow* aParent;
    ERowKind aRowKind;
    // Indentation depth: -1 for the root, 0 for its children.
    int aLevel;
    // Pixel height of the row's own line.
    int aHeight;
    // The host's key of the row for rendering.
    int aRenderKey;

protected:
    // Stores retrieveRowKind(); called by the concrete row once it is complete.
    void setRowKind();

private:
    // The step's "path": the name, or the number of a parameter.
    wxString GetPathValue() const;

    mutable int aNameWidth[2];
};
