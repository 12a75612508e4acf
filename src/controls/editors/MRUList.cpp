#include "controls/editors/MRUList.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/UpdateScope.h"
#include "platform/ui/InputState.h"

namespace editors {

namespace {
// How many items the filter takes between two looks for a waiting key.
constexpr int kKeyCheckStride = 100;
} // namespace

TMRUListEx::TMRUListEx(rtl::TPersistent* owner) : owner_(owner) {}

void TMRUListEx::Assign(const rtl::TPersistent* source)
{
    auto* other = dynamic_cast<const TMRUListEx*>(source);
    if (!other) {
        rtl::TPersistent::Assign(source);
        return;
    }
    SetActive(other->active_);
    items_.Assign(&other->items_);
    SetLimit(other->limit_);
    rows_ = other->rows_;
    caseSensitive_ = other->caseSensitive_;
}

bool TMRUListEx::sameText(std::string_view a, std::string_view b) const
{
    return caseSensitive_ ? a == b : rtl::AnsiSameText(a, b);
}

void TMRUListEx::Add(const std::string& Text)
{
    const std::string text = rtl::Trim(Text);
    if (text.empty()) return;
    for (int i = 0; i < items_.GetCount(); ++i)
        if (sameText(items_.StringAt(i), text)) {
            items_.Move(i, items_.GetCount() - 1);
            return;
        }
    items_.Add(text);
    trimToLimit();
}

void TMRUListEx::trimToLimit()
{
    if (items_.GetCount() <= limit_) return;
    const rtl::TUpdateScope update(items_);
    while (items_.GetCount() > limit_) items_.Delete(0);
}

void TMRUListEx::SetLimit(int value)
{
    limit_ = std::max(0, value);
    trimToLimit();
}

void TMRUListEx::SetActive(bool value)
{
    if (active_ == value) return;
    active_ = value;
    if (OnActiveChange) OnActiveChange(this);
}

bool TMRUListEx::FilterItem(const std::string& Item, const std::string& Text)
{
    bool accept = sameText(std::string_view(Item).substr(0, Text.size()), Text);
    if (OnFilterItem) OnFilterItem(this, Item, accept);
    return accept;
}

bool TMRUListEx::FilterItemsTo(rtl::TStrings& List, const std::string& Text, const TItemFilter& Filter)
{
    bool complete = true;
    {
        const rtl::TUpdateScope update(List);
        List.Clear();
        for (int i = 0; i < items_.GetCount(); ++i) {
            if (i % kKeyCheckStride == 0 && stopOnKey_ && ui::KeyPressWaiting()) {
                complete = false;
                break;
            }
            const std::string& item = items_.StringAt(i);
            bool accept = false;
            if (Filter) Filter(item, accept);
            else accept = FilterItem(item, Text);
            if (accept) List.Add(item);
        }
    }
    return complete;
}

void TMRUListEx::DropDown()
{
    if (OnDropDown) OnDropDown(this);
}

void TMRUListEx::CloseUp(bool Accept)
{
    if (OnCloseUp) OnCloseUp(this, Accept);
}

} // namespace editors
