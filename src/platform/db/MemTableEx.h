#pragma once
// IMemTableEx: what a data set offers when it numbers its records itself and can read any
// of them without moving. A data-aware grid that finds it (with dynamic_cast) shows one
// grid row per record instead of a window of them, scrolls by its own top row, asks for
// more records while its rows do not fill it, and, in tree mode, shows the records as
// nodes that expand and collapse.
//
// Records are numbered from 1 in the order shown; a record being inserted counts where it
// stands. In tree mode only the records whose ancestors are all expanded are shown (and
// numbered).
#include <vector>

namespace db {

// Where a shown record stands in its tree.
struct TMemTableNodeEx {
    // 1 for a record without parent; 0 outside tree mode.
    int Level = 0;
    bool HasChildren = false;
    bool Expanded = false;
    // No record is shown above it (no line comes from above).
    bool First = false;
    // Per level 1 .. Level: a later sibling follows at that level (of the ancestor at that
    // level, or of the record itself at Level), so a line passes down through the row.
    std::vector<bool> Continues;
};

class IMemTableEx {
public:
    virtual ~IMemTableEx() = default;

    // The records shown so far (more may come with MemTableFetchRecords); counting may
    // read records from the source.
    virtual int MemTableRecordCount() = 0;
    // The number of the current record; 0 when there is none.
    virtual int MemTableRecNo() const = 0;
    // Makes record recNo current; nothing for a number outside the records.
    virtual void MemTableSetRecNo(int recNo) = 0;
    // The record numbers run in sequence (no gaps while records are fetched).
    virtual bool MemTableIsSequenced() const = 0;
    // Asks for up to count more records from the source; returns how many came.
    virtual int MemTableFetchRecords(int count) = 0;

    // The fields read record recNo, the current record staying where it is, until the
    // matching MemTableInstantReadLeave. False (and nothing to leave) for a number outside
    // the records.
    virtual bool MemTableInstantReadEnter(int recNo) = 0;
    virtual void MemTableInstantReadLeave() = 0;

    // The records form a tree shown with expandable nodes.
    virtual bool MemTableInTreeMode() const = 0;
    // The node of shown record recNo (Level 0 outside tree mode or the records).
    virtual TMemTableNodeEx MemTableNode(int recNo) = 0;
    // Expands or collapses the node of record recNo; the current record stays, or, when
    // it is hidden by the collapse, the collapsed record becomes current.
    virtual void MemTableSetNodeExpanded(int recNo, bool expanded) = 0;
    // A keypad key on the current record's node: '+' expands it, '-' collapses it, '*'
    // expands it with everything below it.
    virtual void MemTableTreeKey(char key) = 0;
};

} // namespace db
