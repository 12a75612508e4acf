#pragma once
// The header tree of multi-level titles. A column's caption "A|B|x" is read as a path:
// neighbouring columns whose captions begin with the same part share one band carrying
// that part, level by level, and the last part stands over the column itself.
//
// The children of a node form a ring: the last child's Next is the first child; a node
// without siblings, and the root, point to themselves. Every node is owned by its host;
// the root owns the tree.
#include <functional>
#include <string>

namespace grid {

class TColumnEx;

class THeadTreeNode {
public:
    // An empty root.
    THeadTreeNode();
    THeadTreeNode(std::string text, int width, int height);
    // A root frees its children.
    ~THeadTreeNode();
    THeadTreeNode(const THeadTreeNode&) = delete;
    THeadTreeNode& operator=(const THeadTreeNode&) = delete;

    // A new node right after the reference node, under the same host. Raises "Node not
    // in Tree" when the reference node is not in this tree.
    THeadTreeNode* AddSibling(THeadTreeNode* node, const std::string& text, int width, int height);
    // A new last child of the host. Raises "Node not in Tree" when the host is not in this
    // tree.
    THeadTreeNode* AddChild(THeadTreeNode* host, const std::string& text, int width, int height);
    // Frees every child subtree.
    void FreeChildren();
    // The node is this one, one of its siblings, or below them.
    bool Contains(const THeadTreeNode* node) const;
    // Host links up to the root: 0 for the root, 1 for a column without a group.
    int Depth() const;
    // Puts the siblings from first to last (in ring order) under a new node with the
    // text and band height; its width is theirs with the lines between them. Raises
    // "Node not in Tree" when first is not in this tree, "ATo not in level" when last
    // does not follow first on its level.
    THeadTreeNode* GroupSiblings(THeadTreeNode* first, THeadTreeNode* last, const std::string& text, int height);
    // Every node below this one in pre-order: a node, its subtree, then its next sibling.
    void ForEachNode(const std::function<void(THeadTreeNode&)>& proc);

    THeadTreeNode* Child = nullptr;
    TColumnEx* Column = nullptr;
    // Set by the title drawing once the band is painted in the current paint.
    bool Drawn = false;
    // The height of the node's own band; for a leaf, from its host's band down to the
    // bottom of the title area.
    int Height = 0;
    THeadTreeNode* Host = nullptr;
    THeadTreeNode* Next = this;
    std::string Text;
    // The vertical grid line between columns: 1 with column lines, else 0.
    int VLineWidth = 0;
    int Width = 0;
    // Room kept free at the band's right end for a sort marker.
    int WIndent = 0;

private:
    THeadTreeNode* lastChild() const;
    THeadTreeNode* previousSibling() const;
    void checkContains(const THeadTreeNode* node) const;
};

} // namespace grid
