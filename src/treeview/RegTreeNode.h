#pragma once

#include <QTreeWidgetItem>

#include <cstdint>
#include <string>
#include <string_view>

#include "RootKeys.h"

namespace zanver {

class TRegTreeView;

// Image numbers of the tree view's image list.
enum TreeImage : int {
    kImageKeyClosed = 0,
    kImageKeyOpen = 1,
    kImageString = 2,
    kImageBinary = 3,
    kImageExpandString = 4,
};

// Captions longer than this many characters cannot be edited in place without
// being cut.
inline constexpr std::size_t kMaxEditLength = 259;

// A node of a registry tree view: one key, or one named value of a key. A
// key's default value is shown on the key's own node after its name
// ("name = value text"). Everything a node knows of the registry is its
// caption and the fields below; the registry is reached through its view.
class TRegTreeNode : public QTreeWidgetItem {
  public:
    // Item type of registry nodes (QTreeWidgetItem::type()).
    static constexpr int kNodeType = QTreeWidgetItem::UserType + 1;

    TRegTreeNode();
    ~TRegTreeNode() override;

    // -1 for a key, else the registry type number of the value.
    std::int32_t ValueType = 0;
    // The caption built by SetNameValue was longer than kMaxEditLength.
    bool LongText = false;
    // The key's values and subkeys have been read into children.
    bool Loaded = false;
    // Loaded as the top of a load: the subkeys' own children are present too.
    bool Complete = false;
    // Scratch mark of a reload: children left unmarked no longer exist.
    bool Marked = false;

    // The caption as program text, and setting it.
    std::string Text() const;
    void SetText(std::string_view text);
    // The image number shown (both normal and selected image).
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);

    TRegTreeView* TreeView() const;
    bool IsKey() const { return ValueType == -1; }
    TRegTreeNode* ParentNode() const;
    TRegTreeNode* Child(int index) const;
    RootKey GetRootKey() const;

    void SplitText(std::string& name, std::string& value) const;
    std::string NodeName() const;
    std::string NodeValue() const;
    std::string KeyName() const;
    std::string ValueName() const;
    std::string KeyPath() const;
    std::string NodePath() const;
    std::string TextPath() const;
    void GetRegAddress(std::string& keyPath, std::string& name, std::string& value) const;
    std::uint32_t RegType() const;

    void SetValueType(std::int32_t type);
    void InitNode(std::string_view name, std::string_view value, bool isKey);
    void SetNameValue(std::string_view name, std::string_view value);
    void SetValue(std::string_view value);
    void SetStringValue(std::string_view name, std::string_view text);
    virtual void Assign(const QTreeWidgetItem& source);

    TRegTreeNode* FindChild(std::string_view name, bool load);
    TRegTreeNode* FindPath(std::string_view path, bool load);
    TRegTreeNode* FindDeepest(std::string_view path);
    TRegTreeNode* AddChild(std::string_view name, std::string_view value, bool isKey);
    TRegTreeNode* AddPath(std::string_view path, std::string_view name, std::string_view value);
    void LoadChildren();

    // Copies the node (and its subtree) below dest in the tree only.
    TRegTreeNode* CopyTo(TRegTreeNode* dest);
    TRegTreeNode* CopySubtree(TRegTreeNode* dest);

    // Whether an in-place edit may start (asks before a long caption is cut).
    bool CanEdit();
    virtual void Collapsing();
    virtual void Expanding();
    // Called with the new caption of an in-place edit before it is stored.
    virtual void Edited(std::string& text);

    void UpdateImage();

    // Children sort by caption, without regard to letter case.
    bool operator<(const QTreeWidgetItem& other) const override;

  private:
    int imageIndex_ = -1;
};

// The node of an item of a registry tree view (nullptr for none).
// The name and value text of a caption "name = value text" (both trimmed; no
// "=" gives the name alone).
void SplitCaption(std::string_view caption, std::string& name, std::string& value);
TRegTreeNode* AsNode(QTreeWidgetItem* item);

}  // namespace zanver
