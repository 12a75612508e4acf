// The header tree of multi-level titles, and the grid's building and measuring of it.
#include "controls/grid/DBGridExTitleTree.h"

#include <algorithm>
#include <vector>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExResources.h"
#include "controls/grid/GridLibConsts.h"
#include "platform/rtl/Exception.h"

namespace grid {

// ---- THeadTreeNode

THeadTreeNode::THeadTreeNode() = default;

THeadTreeNode::THeadTreeNode(std::string text, int width, int height)
    : Height(height), Text(std::move(text)), Width(width)
{
}

THeadTreeNode::~THeadTreeNode()
{
    FreeChildren();
}

void THeadTreeNode::FreeChildren()
{
    if (!Child) return;
    std::vector<THeadTreeNode*> children;
    THeadTreeNode* node = Child;
    do {
        children.push_back(node);
        node = node->Next;
    } while (node != Child);
    Child = nullptr;
    for (THeadTreeNode* child : children) delete child;
}

bool THeadTreeNode::Contains(const THeadTreeNode* node) const
{
    const THeadTreeNode* sibling = this;
    do {
        if (sibling == node) return true;
        if (sibling->Child && sibling->Child->Contains(node)) return true;
        sibling = sibling->Next;
    } while (sibling != this);
    return false;
}

void THeadTreeNode::checkContains(const THeadTreeNode* node) const
{
    if (!node || !Contains(node)) throw rtl::Exception(msg::NodeNotInTree);
}

int THeadTreeNode::Depth() const
{
    int depth = 0;
    for (const THeadTreeNode* node = Host; node; node = node->Host) ++depth;
    return depth;
}

THeadTreeNode* THeadTreeNode::lastChild() const
{
    if (!Child) return nullptr;
    THeadTreeNode* node = Child;
    while (node->Next != Child) node = node->Next;
    return node;
}

THeadTreeNode* THeadTreeNode::previousSibling() const
{
    const THeadTreeNode* node = this;
    while (node->Next != this) node = node->Next;
    return const_cast<THeadTreeNode*>(node);
}

THeadTreeNode* THeadTreeNode::AddSibling(THeadTreeNode* node, const std::string& text, int width, int height)
{
    checkContains(node);
    auto* added = new THeadTreeNode(text, width, height);
    added->Host = node->Host;
    added->Next = node->Next;
    node->Next = added;
    return added;
}

THeadTreeNode* THeadTreeNode::AddChild(THeadTreeNode* host, const std::string& text, int width, int height)
{
    checkContains(host);
    auto* added = new THeadTreeNode(text, width, height);
    added->Host = host;
    if (THeadTreeNode* last = host->lastChild()) {
        added->Next = host->Child;
        last->Next = added;
    } else {
        host->Child = added;
    }
    return added;
}

THeadTreeNode* THeadTreeNode::GroupSiblings(THeadTreeNode* first, THeadTreeNode* last, const std::string& text,
                                            int height)
{
    checkContains(first);
    // The walk from first along its level must meet last before it wraps around.
    THeadTreeNode* host = first->Host;
    const THeadTreeNode* levelStart = host ? host->Child : first;
    for (THeadTreeNode* node = first; node != last;) {
        node = node->Next;
        if (node == levelStart) throw rtl::Exception(msg::ATONotInLevel);
    }

    auto* group = new THeadTreeNode(text, 0, height);
    group->Host = host;
    group->VLineWidth = last->VLineWidth;
    THeadTreeNode* after = last->Next;
    THeadTreeNode* before = first->previousSibling();
    if (after == first) {
        group->Next = group;   // the members were the whole level
    } else {
        group->Next = after;
        before->Next = group;
    }
    if (host && host->Child == first) host->Child = group;
    group->Child = first;

    int sum = 0;
    THeadTreeNode* member = first;
    for (;;) {
        sum += member->Width + group->VLineWidth;
        member->Height -= height;
        member->Host = group;
        if (member == last) break;
        member = member->Next;
    }
    last->Next = first;
    group->Width = group->VLineWidth >= 1 ? sum - group->VLineWidth : sum;
    return group;
}

void THeadTreeNode::ForEachNode(const std::function<void(THeadTreeNode&)>& proc)
{
    if (!Child) return;
    THeadTreeNode* node = Child;
    do {
        THeadTreeNode* next = node->Next;
        proc(*node);
        node->ForEachNode(proc);
        node = next;
    } while (node != Child);
}

// ---- the grid's tree

THeadTreeNode* TCustomDBGridEx::TitleLeaf(int Index) const
{
    if (Index < 0 || Index >= static_cast<int>(titleLeaves_.size())) return nullptr;
    return titleLeaves_[static_cast<std::size_t>(Index)];
}

namespace {

// Where the word after the first "|"-separated word starts; npos when there is none.
// Words are runs of characters other than "|"; separators in a row count as one.
std::size_t SecondWordStart(const std::string& text)
{
    const std::size_t firstWord = text.find_first_not_of('|');
    if (firstWord == std::string::npos) return std::string::npos;
    const std::size_t separator = text.find('|', firstWord);
    if (separator == std::string::npos) return std::string::npos;
    return text.find_first_not_of('|', separator);
}

std::string FirstWord(const std::string& text)
{
    const std::size_t start = text.find_first_not_of('|');
    if (start == std::string::npos) return {};
    return text.substr(start, text.find('|', start) - start);
}

// The text without its first word and the separators after it.
std::string WithoutFirstWord(const std::string& text)
{
    const std::size_t second = SecondWordStart(text);
    return second == std::string::npos ? std::string() : text.substr(second);
}

} // namespace

void TCustomDBGridEx::BuildTitleTree()
{
    titleTreeRoot_->FreeChildren();
    const int count = columns_->Count();
    titleLeaves_.assign(static_cast<std::size_t>(count), nullptr);
    const bool colLines = options_.Contains(dgColLines);
    const int titleHeight = RowHeights(0);
    for (int i = 0; i < count; ++i) {
        TColumnEx* column = columns_->Items(i);
        const int width = column->GetVisible() ? column->GetWidth() : (colLines ? -1 : 0);
        THeadTreeNode* leaf = titleTreeRoot_->AddChild(titleTreeRoot_.get(), column->Title()->GetCaption(), width,
                                                       titleHeight);
        leaf->Column = column;
        leaf->WIndent = column->Title()->GetSortMarker() != smNoneEx ? SortMarkerWidth : 0;
        leaf->VLineWidth = colLines ? 1 : 0;
        titleLeaves_[static_cast<std::size_t>(i)] = leaf;
    }

    // Each pass forms one band: the leaves from i on that share their first word and their
    // present host, and have a word after it, lose that word, and the band takes it.
    // Passes go on until none forms.
    constexpr int GroupBandHeight = 20;
    bool changed = true;
    while (changed) {
        changed = false;
        for (int i = 0; i < count && !changed; ++i) {
            THeadTreeNode* from = titleLeaves_[static_cast<std::size_t>(i)];
            if (SecondWordStart(from->Text) == std::string::npos) continue;
            const std::string group = FirstWord(from->Text);
            int j = i;
            while (j + 1 < count) {
                const THeadTreeNode* next = titleLeaves_[static_cast<std::size_t>(j + 1)];
                if (next->Host != from->Host || SecondWordStart(next->Text) == std::string::npos
                    || FirstWord(next->Text) != group)
                    break;
                ++j;
            }
            for (int k = i; k <= j; ++k) {
                THeadTreeNode* leaf = titleLeaves_[static_cast<std::size_t>(k)];
                leaf->Text = WithoutFirstWord(leaf->Text);
            }
            THeadTreeNode* host = from->Host;
            host->GroupSiblings(from, titleLeaves_[static_cast<std::size_t>(j)], group, GroupBandHeight);
            changed = true;
        }
    }
}

int TCustomDBGridEx::MeasureTitleTree(THeadTreeNode* node)
{
    if (!node || !node->Child) return 0;
    ui::TCanvas canvas;
    struct TChildMeasure {
        THeadTreeNode* Node;
        int Sub;
    };
    std::vector<TChildMeasure> children;
    bool titleFontTaken = false;
    int tallest = 0;
    THeadTreeNode* child = node->Child;
    do {
        const int sub = child->Child ? MeasureTitleTree(child) : 0;
        const TColumnTitleEx* title = child->Column ? child->Column->Title() : nullptr;
        if (title) {
            canvas.Font().Assign(title->GetFont());
        } else if (!titleFontTaken) {
            canvas.Font().Assign(titleFont_);
            titleFontTaken = true;
        }
        const std::string text = child->Text.empty() ? std::string(" ") : child->Text;
        int own = 0;
        if (title && title->GetOrientation() == tohVertical) {
            own = canvas.TextWidth(text) + 6;
        } else {
            if (child->Width >= 1) {
                ui::TRect box{0, 0, std::max(1, child->Width - 4 - child->WIndent), 0};
                canvas.DrawText(text, box, ui::DT_CALCRECT | ui::DT_WORDBREAK | ui::DT_NOPREFIX);
                own = box.Height();
            }
            own += vTitleMargin_;
        }
        children.push_back({child, sub});
        tallest = std::max(tallest, sub + own);
        child = child->Next;
    } while (child != node->Child);

    for (const TChildMeasure& measured : children)
        measured.Node->Height = measured.Node->Child ? tallest - measured.Sub : tallest;
    node->Height = tallest;
    return tallest;
}

} // namespace grid
