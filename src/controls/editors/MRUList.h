#pragma once
// The most-recently-used texts of an editor or a grid column: the newest last, at most
// Limit of them, offered in a drop-down list filtered by what the user has typed.
#include <functional>
#include <string>
#include <string_view>

#include "platform/rtl/Delegate.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/StringList.h"

namespace editors {

// Accept holds the list's verdict on the item; the handler may change it.
using TFilterMRUItemEventEx = rtl::Delegate<void(rtl::TObject* Sender, const std::string& ItemText, bool& Accept)>;
using TCloseUpEventEx = rtl::Delegate<void(rtl::TObject* Sender, bool Accept)>;

class TMRUListEx : public rtl::TPersistent {
public:
    explicit TMRUListEx(rtl::TPersistent* owner = nullptr);

    rtl::TPersistent* GetOwner() const { return owner_; }

    using rtl::TPersistent::Assign;
    // From another list: Active, Items, Limit, Rows and CaseSensitive.
    void Assign(const rtl::TPersistent* source) override;

    // The text, trimmed, becomes the newest item: an equal item (case as CaseSensitive
    // says) moves to the end, else the text is appended and the oldest items beyond
    // Limit go. An empty text is ignored.
    void Add(const std::string& Text);
    // The verdict on Item for the typed Text: it starts with Text (case as CaseSensitive
    // says), then OnFilterItem may change that.
    bool FilterItem(const std::string& Item, const std::string& Text);
    // Decides on one item in FilterItemsTo's place (an editor's own rule).
    using TItemFilter = std::function<void(const std::string& ItemText, bool& Accept)>;
    // Clears List and fills it with the items FilterItem accepts for Text, or Filter when
    // one is given. Every hundredth item it stops when StopOnKey is set and a key press
    // waits, and then returns false.
    bool FilterItemsTo(rtl::TStrings& List, const std::string& Text, const TItemFilter& Filter = {});
    // Fire the owner's handlers.
    void DropDown();
    void CloseUp(bool Accept);

    bool GetActive() const { return active_; }
    void SetActive(bool value);
    // Typed texts are added when the editor writes its value.
    bool GetAutoAdd() const { return autoAdd_; }
    void SetAutoAdd(bool value) { autoAdd_ = value; }
    bool GetCaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool value) { caseSensitive_ = value; }
    rtl::TStringList& GetItems() { return items_; }
    const rtl::TStringList& GetItems() const { return items_; }
    void SetItems(const rtl::TStrings& value) { items_.Assign(&value); }
    int GetLimit() const { return limit_; }
    // A negative limit counts as 0; the oldest items beyond it go.
    void SetLimit(int value);
    // Rows of the drop-down list.
    int GetRows() const { return rows_; }
    void SetRows(int value) { rows_ = value; }
    // The drop-down width the user gave the list (0: the editor's).
    int GetWidth() const { return width_; }
    void SetWidth(int value) { width_ = value; }
    bool GetStopOnKey() const { return stopOnKey_; }
    void SetStopOnKey(bool value) { stopOnKey_ = value; }
    bool GetDroppedDown() const { return droppedDown_; }
    void SetDroppedDown(bool value) { droppedDown_ = value; }

    rtl::TNotifyEvent OnActiveChange;
    TFilterMRUItemEventEx OnFilterItem;
    // Set by the owner.
    TCloseUpEventEx OnCloseUp;
    rtl::TNotifyEvent OnDropDown;

private:
    bool sameText(std::string_view a, std::string_view b) const;
    void trimToLimit();

    rtl::TPersistent* owner_;
    bool active_ = false;
    bool autoAdd_ = true;
    bool caseSensitive_ = false;
    rtl::TStringList items_;
    int limit_ = 100;
    int rows_ = 7;
    int width_ = 0;
    bool stopOnKey_ = true;
    bool droppedDown_ = false;
};

} // namespace editors
