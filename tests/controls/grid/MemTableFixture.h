#pragma once
// A data set of the tests that numbers and reads its records itself (db::IMemTableEx),
// over rows it delivers itself: ID, PARENT (Null for a top record) and NAME, in tree
// order (a record's children right after it). In tree mode a collapsed record's
// descendants are left out through the data set's filter. On demand, the records come
// only as far as they are asked for; otherwise counting them reads them all. It notes
// what the grid asks of it.
#include <algorithm>
#include <cstddef>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/db/DataSet.h"
#include "platform/db/MemTableEx.h"

namespace gridtest {

class TTreeMemTable : public db::TDataSet, public db::IMemTableEx {
public:
    struct TRow {
        int Id = 0;
        int Parent = 0; // 0: a top record
        std::string Name;
    };

    TTreeMemTable(std::vector<TRow> rows, bool tree, bool onDemand = false)
        : rows_(std::move(rows)), tree_(tree), onDemand_(onDemand), provider_(rows_)
    {
        FieldDefs().Add("ID", db::ftInteger);
        FieldDefs().Add("PARENT", db::ftInteger);
        FieldDefs().Add("NAME", db::ftString, 20);
        indexNodes();
        if (!tree_) return;
        // Every node starts expanded.
        for (const auto& [id, node] : nodes_)
            if (node.Children > 0) expanded_.insert(id);
        OnFilterRecord = {this, &TTreeMemTable::acceptShown};
        SetFiltered(true);
    }

    // Records 1..count named "Name 1" ..., without a tree.
    static std::vector<TRow> Flat(int count)
    {
        std::vector<TRow> rows;
        for (int i = 1; i <= count; ++i) rows.push_back({i, 0, "Name " + std::to_string(i)});
        return rows;
    }

    // The rows the source has delivered, and what the grid asked for.
    int Delivered() const { return provider_.Next; }
    std::vector<int> FetchRequests;
    std::vector<int> RecNosSet;
    int InstantReads = 0;
    int OpenReads = 0;
    std::string TreeKeys;
    bool IsExpanded(int id) const { return expanded_.count(id) > 0; }
    // The id of shown record recNo (0 for none).
    int IdAt(int recNo)
    {
        if (!BeginReadRow(recNo)) return 0;
        const int id = FieldByName("ID")->GetAsInteger();
        EndReadRow();
        return id;
    }

    // ---- db::IMemTableEx
    int MemTableRecordCount() override
    {
        if (!onDemand_) FetchRows(std::numeric_limits<int>::max() / 2);
        return FetchedRowCount();
    }
    int MemTableRecNo() const override { return CurrentRow(); }
    void MemTableSetRecNo(int recNo) override
    {
        RecNosSet.push_back(recNo);
        SetRecNo(recNo);
    }
    bool MemTableIsSequenced() const override { return true; }
    int MemTableFetchRecords(int count) override
    {
        FetchRequests.push_back(count);
        return FetchRows(count);
    }
    bool MemTableInstantReadEnter(int recNo) override
    {
        if (!BeginReadRow(recNo)) return false;
        ++InstantReads;
        ++OpenReads;
        return true;
    }
    void MemTableInstantReadLeave() override
    {
        --OpenReads;
        EndReadRow();
    }
    bool MemTableInTreeMode() const override { return tree_; }
    db::TMemTableNodeEx MemTableNode(int recNo) override
    {
        db::TMemTableNodeEx node;
        if (!tree_ || recNo < 1 || recNo > MemTableRecordCount()) return node;
        const auto found = nodes_.find(IdAt(recNo));
        node.First = recNo == 1;
        if (found == nodes_.end()) {
            // A record of the user's own: a leaf at the top.
            node.Level = 1;
            node.Continues = {recNo < MemTableRecordCount()};
            return node;
        }
        const TNode& own = found->second;
        node.Level = own.Level;
        node.HasChildren = own.Children > 0;
        node.Expanded = IsExpanded(found->first);
        node.Continues.assign(static_cast<std::size_t>(own.Level), false);
        for (const TNode* n = &own; n; n = n->Parent ? &nodes_.at(n->Parent) : nullptr)
            node.Continues[static_cast<std::size_t>(n->Level - 1)] = n->LaterSibling;
        return node;
    }
    void MemTableSetNodeExpanded(int recNo, bool expanded) override
    {
        const int id = IdAt(recNo);
        const auto found = nodes_.find(id);
        if (found == nodes_.end() || found->second.Children == 0 || IsExpanded(id) == expanded) return;
        if (expanded) expanded_.insert(id);
        else expanded_.erase(id);
        showAgain(recNo);
    }
    void MemTableTreeKey(char key) override
    {
        TreeKeys += key;
        const int recNo = CurrentRow();
        if (key == '+' || key == '-') {
            MemTableSetNodeExpanded(recNo, key == '+');
            return;
        }
        if (key != '*') return;
        // The node and everything below it.
        const int id = IdAt(recNo);
        for (const auto& [other, node] : nodes_)
            if (node.Children > 0 && (other == id || descends(other, id))) expanded_.insert(other);
        showAgain(recNo);
    }

protected:
    db::TRecordProvider* InternalOpen() override
    {
        provider_.Next = 0;
        return &provider_;
    }

private:
    struct TNode {
        int Parent = 0;
        int Level = 1;
        int Children = 0;
        bool LaterSibling = false;
    };
    class TProvider : public db::TRecordProvider {
    public:
        explicit TProvider(const std::vector<TRow>& rows) : rows_(rows) {}
        bool FetchRow(std::vector<rtl::Variant>& values) override
        {
            if (Next >= static_cast<int>(rows_.size())) return false;
            const TRow& row = rows_[static_cast<std::size_t>(Next++)];
            values = {rtl::Variant(row.Id), row.Parent ? rtl::Variant(row.Parent) : rtl::Null(),
                      rtl::Variant(row.Name)};
            return true;
        }
        int Next = 0;

    private:
        const std::vector<TRow>& rows_;
    };

    void indexNodes()
    {
        std::map<int, int> lastChild; // parent -> its last child so far
        for (const TRow& row : rows_) {
            TNode node;
            node.Parent = row.Parent;
            if (row.Parent) {
                TNode& parent = nodes_.at(row.Parent);
                node.Level = parent.Level + 1;
                ++parent.Children;
            }
            if (const auto previous = lastChild.find(row.Parent); previous != lastChild.end())
                nodes_.at(previous->second).LaterSibling = true;
            lastChild[row.Parent] = row.Id;
            nodes_[row.Id] = node;
        }
    }
    bool descends(int id, int ancestor) const
    {
        for (int p = nodes_.at(id).Parent; p; p = nodes_.at(p).Parent)
            if (p == ancestor) return true;
        return false;
    }
    void acceptShown(db::TDataSet*, bool& accept)
    {
        const auto found = nodes_.find(FieldByName("ID")->GetAsInteger());
        if (found == nodes_.end()) return;
        for (int p = found->second.Parent; p && accept; p = nodes_.at(p).Parent) accept = IsExpanded(p);
    }
    // The shown records again: the current one stays, or the node of recNo when a
    // collapse hid it.
    void showAgain(int recNo)
    {
        CheckBrowseMode();
        const db::TBookmark current = GetBookmark();
        db::TBookmark node;
        if (BeginReadRow(recNo)) {
            node = GetBookmark();
            EndReadRow();
        }
        DisableControls();
        SetFiltered(false);
        SetFiltered(true);
        if (!current.empty() && BookmarkValid(current)) GotoBookmark(current);
        else if (!node.empty() && BookmarkValid(node)) GotoBookmark(node);
        EnableControls();
    }

    std::vector<TRow> rows_;
    bool tree_;
    bool onDemand_;
    TProvider provider_;
    std::map<int, TNode> nodes_;
    std::set<int> expanded_;
};

} // namespace gridtest
