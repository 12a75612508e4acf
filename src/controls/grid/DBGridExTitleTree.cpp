// The header tree of multi-level titles, and the grid's building and measuring of it.
#include "controls/grid/DBGridExTitleTree.h"

#include <algorithm>
#include <string_view>
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
    // Every node below, gathered without recursion (a tree may be thousands of levels
    // deep), then freed childless.
    std::vector<THeadTreeNode*> below;
    ForEachNode([&](THeadTreeNode& node) { below.push_back(&node); });
    Child = nullptr;
    for (THeadTreeNode* node : below) node->Child = nullptr;
    for (THeadTreeNode* node : below) delete node;
}

bool THeadTreeNode::Contains(const THeadTreeNode* node) const
{
    // Up from the node: it is in this subtree's ring when one of its hosts (or itself)
    // is this node or shares this node's host.
    const THeadTreeNode* top = nullptr;
    for (const THeadTreeNode* n = node; n; n = n->Host) {
        if (n == this || (Host && n->Host == Host)) return true;
        top = n;
    }
    // Without a host this node's ring is a ring of roots: the node's own root may be in it.
    if (Host || !top) return false;
    const THeadTreeNode* sibling = this;
    do {
        if (sibling == top) return true;
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
        group->Next = group; // the members were the whole level
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
    // Each place: the next node of a ring still to visit, and where that ring starts.
    struct TPlace {
        THeadTreeNode* Node;
        THeadTreeNode* First;
    };
    std::vector<TPlace> places;
    if (Child) places.push_back({Child, Child});
    while (!places.empty()) {
        TPlace& place = places.back();
        THeadTreeNode* node = place.Node;
        if (node->Next == place.First) places.pop_back();
        else place.Node = node->Next;
        proc(*node);
        if (node->Child) places.push_back({node->Child, node->Child});
    }
}

// ---- the grid's tree

THeadTreeNode* TCustomDBGridEx::TitleLeaf(int Index) const
{
    if (Index < 0 || Index >= static_cast<int>(titleLeaves_.size())) return nullptr;
    return titleLeaves_[static_cast<std::size_t>(Index)];
}

int TCustomDBGridEx::TitleLeafTop(int Index, const ui::TRect& cell) const
{
    const THeadTreeNode* leaf = useMultiTitle_ ? TitleLeaf(Index) : nullptr;
    return leaf ? cell.Bottom - leaf->Height + 1 : cell.Top;
}

namespace {

// Where the word after the first "|"-separated word starts; npos when there is none.
// Words are runs of characters other than "|"; separators in a row count as one.
std::size_t SecondWordStart(std::string_view text)
{
    const std::size_t firstWord = text.find_first_not_of('|');
    if (firstWord == std::string_view::npos) return std::string_view::npos;
    const std::size_t separator = text.find('|', firstWord);
    if (separator == std::string_view::npos) return std::string_view::npos;
    return text.find_first_not_of('|', separator);
}

std::string_view FirstWord(std::string_view text)
{
    const std::size_t start = text.find_first_not_of('|');
    if (start == std::string_view::npos) return {};
    return text.substr(start, text.find('|', start) - start);
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
    // Passes go on until none forms. The leaves before the one that formed a band have no
    // second word, so the next pass starts where the last one formed its band. What is left
    // of each caption is kept as a place in it until the end: a caption of many levels is
    // not copied once per level.
    constexpr int GroupBandHeight = 20;
    std::vector<std::size_t> rest(static_cast<std::size_t>(count), 0);
    const auto remaining = [&](int k) {
        return std::string_view(titleLeaves_[static_cast<std::size_t>(k)]->Text).substr(rest[static_cast<std::size_t>(k)]);
    };
    for (int i = 0; i < count;) {
        THeadTreeNode* from = titleLeaves_[static_cast<std::size_t>(i)];
        if (SecondWordStart(remaining(i)) == std::string_view::npos) {
            ++i;
            continue;
        }
        const std::string group(FirstWord(remaining(i)));
        int j = i;
        while (j + 1 < count) {
            const THeadTreeNode* next = titleLeaves_[static_cast<std::size_t>(j + 1)];
            if (next->Host != from->Host || SecondWordStart(remaining(j + 1)) == std::string_view::npos
                || FirstWord(remaining(j + 1)) != group)
                break;
            ++j;
        }
        for (int k = i; k <= j; ++k) rest[static_cast<std::size_t>(k)] += SecondWordStart(remaining(k));
        THeadTreeNode* host = from->Host;
        host->GroupSiblings(from, titleLeaves_[static_cast<std::size_t>(j)], group, GroupBandHeight);
    }
    for (int k = 0; k < count; ++k) {
        THeadTreeNode* leaf = titleLeaves_[static_cast<std::size_t>(k)];
        if (rest[static_cast<std::size_t>(k)] > 0) leaf->Text.erase(0, rest[static_cast<std::size_t>(k)]);
    }
}

int TCustomDBGridEx::MeasureTitleTree(THeadTreeNode* node)
{
    if (!node || !node->Child) return 0;
    // The nodes with children, each before its subtree; measured last to first, so that
    // every subtree is measured before its host (no recursion: bands may be thousands of
    // levels deep). A measured node's Height holds its total until its host sets it.
    std::vector<THeadTreeNode*> hosts{node};
    node->ForEachNode([&](THeadTreeNode& below) {
        if (below.Child) hosts.push_back(&below);
    });
    ui::TCanvas canvas;
    struct TChildMeasure {
        THeadTreeNode* Node;
        int Sub;
    };
    std::vector<TChildMeasure> children;
    for (auto host = hosts.rbegin(); host != hosts.rend(); ++host) {
        children.clear();
        // A child without a column takes the title font when it is the first such, else
        // the font of the child before it.
        const ui::TFont* font = nullptr;
        bool titleFontTaken = false;
        int tallest = 0;
        THeadTreeNode* child = (*host)->Child;
        do {
            const int sub = child->Child ? child->Height : 0;
            const TColumnTitleEx* title = child->Column ? child->Column->Title() : nullptr;
            if (title) {
                font = &title->GetFont();
            } else if (!titleFontTaken) {
                font = &titleFont_;
                titleFontTaken = true;
            }
            canvas.Font().Assign(*font);
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
        } while (child != (*host)->Child);

        for (const TChildMeasure& measured : children)
            measured.Node->Height = measured.Node->Child ? tallest - measured.Sub : tallest;
        (*host)->Height = tallest;
    }
    return node->Height;
}

} // namespace grid
