// TZVWaveformBitmap: the timeline's waveform cache. One context per audio media row holds a
// level byte per column (one column a pixel) for a sliding window of at most 64 chunks of 64
// columns, with a need mask (what the drawing side wants) and a done mask (what the computing
// side has made) per chunk. The drawing side marks and collects columns; the host's computing
// loop calls NextTime then ComputeSlice over and over. The two sides meet only in the masks,
// changed with single atomic bit operations; nothing is locked.
#pragma once

#include "DLL/Ctl/Waveform.h"

#include <atomic>
#include <cstdint>
#include <list>

class IFormula;
class IZVRenderContext;
class TZVAudioMediaSourceRow;
class TZVBaseRow;

// The host's render contexts of the rows, by render index.
class IZVRenderContextSet {
public:
    // The context of the row with render index pIndex, or null.
    virtual const IZVRenderContext* GetContext(int pIndex) const = 0;

protected:
    ~IZVRenderContextSet() = default;
};

// The audio media row's side of the cache. The row classes sit above this layer, so these are
// defined with the row: pRow as an audio media row (null when it is none, reported unless
// pQuiet), the row as a row of the tree, and its medium (null when it has none).
namespace NSAudioMediaRow {
const TZVAudioMediaSourceRow* Cast(const TZVBaseRow* pRow, bool pQuiet);
const TZVBaseRow* AsBaseRow(const TZVAudioMediaSourceRow* pRow);
TZVMedia* GetMedia(const TZVAudioMediaSourceRow* pRow);
} // namespace NSAudioMediaRow

class TZVWaveformBitmap {
public:
    // Told by the computing loop when every needed column of a chunk is done.
    class INotify {
    public:
        // pChunk: the absolute chunk (pixel x >> 6).
        virtual void OnChunkReady(int pChunk) = 0;

    protected:
        ~INotify() = default;
    };

    enum { MAX_CHUNK_MASK = 63 };

    // A new context: no row, no parameters, no summary, inactive, all masks and bytes zero.
    TZVWaveformBitmap();
    TZVWaveformBitmap(const TZVWaveformBitmap&) = delete;
    TZVWaveformBitmap& operator=(const TZVWaveformBitmap&) = delete;

    // Empties the window, installs the summary factory in the sibling library and keeps
    // pNotify (not null). Called once before anything else.
    static void Init(INotify* pNotify);
    // Pixels per timeline time unit; forgets every computed column of the live chunks. A
    // scale that is not positive and finite is reported and refused.
    static void SetScale(double pScale);
    // Marks columns [pBegin, pEnd) of pRow (an audio media row) as needed, moving the window
    // over them first (freeing the chunks that leave it). Columns already done are ready at
    // once. A reversed range is reported and ignored; an empty one marks nothing.
    static void DrawPixelRange(const TZVBaseRow* pRow, int pBegin, int pEnd);
    // Takes column pPixel of pRow back from the needed ones; nothing outside the window.
    static void LeavePixel(const TZVBaseRow* pRow, int pPixel);
    // Forgets the live columns of pAudioRow's context (reported for null).
    static void Invalidate(const TZVBaseRow* pAudioRow);
    // Frees pRow's context; nothing when it has none. The sweep steps back over it.
    static void Remove(const TZVBaseRow* pRow);
    // Makes active exactly the contexts whose row is shown within rows [pTop, pBottom).
    static void SetVertRange(int pTop, int pBottom);
    // Hands every context its row's parameter formulas and its medium's summary. A row
    // without a medium or without a render context in pSet (or no pSet) is unloaded: it
    // keeps neither the formulas nor the summary of an earlier load.
    static void LoadContext(const IZVRenderContextSet* pSet);
    // The next column to compute: sets pTime to its timeline time and returns 2, or 1 when
    // some context still lacks its parameters; 0 (pTime unchanged) when nothing is pending.
    // Chunks found complete on the way are told to the INotify unless posted.
    static int NextTime(long& pTime);
    // Computes the column (or run of columns) the last NextTime chose, in every active
    // loaded context.
    static void ComputeSlice();
    // The next active context of the sweep; null at its end, after which a new sweep starts.
    static TZVWaveformBitmap* GetNextBitmap();
    // Marks chunk pChunk posted (no more OnChunkReady) or opens it again.
    static void MarkChunkPost(int pChunk, bool pPosted);
    // pRow's context, made (inactive, unloaded) at the front of the list when it has none;
    // null, reported, when pRow is no audio media row.
    static TZVWaveformBitmap* find(const TZVBaseRow* pRow);
    // Forgets the slot of chunk pChunk in every context and deactivates them all.
    static void freeChunk(int pChunk);

    // The need mask of chunk pChunk, emptied; 0 (and nothing changed) while one of its needed
    // columns is not done yet.
    uint64_t GetAndClearNeed(int pChunk);
    // Forgets slot pChunk (0 to 63) and deactivates the context.
    void Reset(int pChunk);
    // Forgets this context's live columns.
    void invalidate();
    // LoadContext for this context alone.
    void loadContext(const IZVRenderContextSet* pSet);
    // Computes this context's column, or the run of pCount columns (pCount 2 or more), at
    // the column the last NextTime chose, when any of them is pending here; a pCount of 0 is
    // one sub-step of a column that spans several time units. Nothing before the context is
    // loaded, nor for a pCount below 0.
    void computePixel(int pCount);
    // The column's level byte; valid once its done bit is set.
    uint8_t GetPixel(int pPixel) const { return aPixels[(pPixel >> 6) & 63][pPixel & 63]; }

    const TZVAudioMediaSourceRow* aAudioSource;
    IFormula* const* aParams;
    TZVWaveform* aWaveform;
    bool aIsActive;
    std::atomic<uint64_t> aNeed[64];
    std::atomic<uint64_t> aDone[64];
    uint8_t aPixels[64][64];

    // The window: chunks theMinChunk to theMinChunk + theChunkCount - 1 are live.
    static int theMinChunk;
    static int theChunkCount;
    static double theScale;
    static double theInvScale;
    // The computing cursor: column, time, sub-steps to come, next is a column's first.
    static int theCurPixel;
    static long theCurTime;
    static int theSubCount;
    static bool theIsFirstSub;
    static INotify* theNotify;
    // Bit = slot: chunks the host has marked posted.
    static std::atomic<uint64_t> thePostedMask;
    static std::list<TZVWaveformBitmap> theContextList;
    // Where the sweep stands; the list's end stands before its first context.
    static std::list<TZVWaveformBitmap>::iterator theSweepCursor;
    static TZVWaveformFactory theFactory;

private:
    static TZVWaveformBitmap* lookUp(const TZVBaseRow* pRow);
    static bool isLive(int pChunk);
    static void moveWindow(int pFirst, int pEnd);
    static int columnCount();

    void markNeed(int64_t pBegin, int64_t pEnd);
    bool isSkipped(int pCount) const;
    void storeRun(int64_t pBegin, int64_t pEnd, int pCount);
    void markDone(int pPixel, uint64_t pBits);
};
