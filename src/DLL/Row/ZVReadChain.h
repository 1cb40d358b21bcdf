// TZVReadChain: the rows whose values one formula's value reads, and those that read it. An
// evaluation calls the formulas of the rows it reads in turn, one inside the other, so a
// reference that would close a cycle, or nest evaluations deeper than the stack holds, is
// refused when it binds.
#pragma once

#include "DLL/Bas/ExprFormula.h"

#include <vector>

class TZVParamRow;

class TZVReadChain {
public:
    // The most references one evaluation follows, each inside the one before. Measured on
    // x86-64 per reference along a chain: 271 bytes of stack in the release build, 880 under
    // AddressSanitizer, 672 under ThreadSanitizer (the rows' own formulas evaluated, the
    // deepest walk along a chain; rendering snapshots take 192, 639 and 512, change
    // notification 81, 272 and 557); per level of a formula's nesting at most 112, 369 and
    // 240 (calls). A chain at both limits, 1000 references each read through 9 calls, took
    // 1.3, 4.2 and 3.1 MB: under the 8 MB of the main thread, where zvrender evaluates.
    static constexpr int MAX_REFERENCES = 1000;
    // The deepest an evaluation nests: each formula read counts from the level of the
    // reference that reads it, so a formula with the formulas it reads put in place of their
    // references nests no deeper than one formula may.
    static constexpr int MAX_LEVELS = NSExpression::TFormula::MAX_DEPTH;

    // For the bindings of a formula of pOwner (null: a formula no row reads).
    explicit TZVReadChain(const TZVParamRow* pOwner);

    // Throws TError when the rows that read the owner would nest deeper than MAX_LEVELS with
    // a formula pHeight levels high in place of the owner's value source.
    void CheckHeight(int pHeight);
    // Throws TError when the owner's formula reading pRow's value with a reference pDepth
    // levels below its root would close a cycle, make a chain of more than MAX_REFERENCES
    // references or nest deeper than MAX_LEVELS.
    void CheckRead(const TZVParamRow* pRow, int pDepth);

private:
    // The longest chain from a row: its references, and its levels (with the height of the
    // last formula when going down).
    struct TDepth {
        int aReferences;
        int aLevels;
    };
    // A row one step on, and the levels the step adds.
    struct TStep {
        const TZVParamRow* aRow;
        int aLevels;
    };
    struct TKnown {
        TDepth aDepth;
        bool aDone;
    };
    // The rows a walk reached, open addressing in one array: a walk reaches up to a thousand
    // rows for each binding, too many for a node allocation each.
    class TKnownMap {
    public:
        // The entry of pRow; null when it has none.
        TKnown* Find(const TZVParamRow* pRow);
        // The entry of pRow, new (measuring, zero) when it had none.
        TKnown& operator[](const TZVParamRow* pRow);
        void Clear();

    private:
        struct TSlot {
            const TZVParamRow* aRow;
            TKnown aKnown;
        };
        size_t SlotOf(const TZVParamRow* pRow) const;

        std::vector<TSlot> aSlots;
        size_t aCount = 0;
    };
    struct TWalk;

    // The longest chain from pStart up through the rows that read it (pUp) or down through
    // the rows it reads; pKnown keeps the rows measured. A chain past a limit ends the walk
    // with that limit + 1 and pKnown emptied. pVia: the first step of the deepest chain.
    TDepth Measure(const TZVParamRow* pStart, bool pUp, TKnownMap& pKnown,
                   const TZVParamRow** pVia = nullptr);
    // The steps from pRow: the rows that read its value, or the rows whose values it reads.
    static void AppendSteps(const TZVParamRow& pRow, bool pUp, std::vector<TStep>& pSteps);
    // The levels of pRow's expression (0 for other rows).
    static int HeightOf(const TZVParamRow& pRow);
    // Measures the rows that read the owner, once.
    void MeasureAbove();

    const TZVParamRow* const aOwner;
    // The rows that read the owner, measured; the longest chain above it, and its first step.
    bool aAboveMeasured;
    TKnownMap aAbove;
    TDepth aAboveDepth;
    const TZVParamRow* aFirstReader;
    // The rows read, measured, for the references of the formula being bound.
    TKnownMap aBelow;
};
