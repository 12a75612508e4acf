#include "controls/editors/ItemSearch.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"

namespace editors {

int FindItemText(const rtl::TStrings& Items, int Count, std::string_view Text, bool Partial)
{
    auto matches = [&](std::string_view item) {
        if (Partial && item.size() > Text.size()) item = item.substr(0, Text.size());
        return rtl::AnsiSameText(item, Text);
    };
    Count = std::min(Count, Items.GetCount());
    // A string list is searched without copying its strings.
    if (const auto* list = dynamic_cast<const rtl::TStringList*>(&Items)) {
        for (int i = 0; i < Count; ++i)
            if (matches(list->StringAt(i))) return i;
        return -1;
    }
    for (int i = 0; i < Count; ++i)
        if (matches(Items.GetStrings(i))) return i;
    return -1;
}

void SelectCompletedPart(ui::TCustomEdit& Edit, int TypedLength)
{
    const int length = static_cast<int>(Edit.Text().size());
    const int start = std::clamp(TypedLength, 0, length);
    Edit.SetSelStart(start);
    Edit.SetSelLength(length - start);
}

bool SearchTypedKeys(ui::TCustomEdit& Edit, const std::string& Keys, const TLocateTextEx& Locate)
{
    if (Keys == "\b") {
        const int length = static_cast<int>(Edit.Text().size());
        int start = Edit.SelStart();
        if (start + Edit.SelLength() >= length) start = std::max(0, start - 1);
        SelectCompletedPart(Edit, start);
        return false;
    }
    const std::string typed = Edit.Text().substr(0, static_cast<std::size_t>(std::max(0, Edit.SelStart()))) + Keys;
    return Locate(typed, true);
}

void CompleteTypedText(ui::TCustomEdit& Edit, bool Backspace, const std::function<bool(const std::string&)>& SearchKeys,
                       const TLocateTextEx& Locate)
{
    const int caret = Edit.SelStart();
    if (!Backspace && Edit.SelLength() == 0 && caret == static_cast<int>(Edit.Text().size())) {
        SearchKeys(std::string());
        return;
    }
    // Found, the item's text replaces the typed one; the caret stays where the user types.
    Locate(Edit.Text(), false);
    Edit.SetSelStart(caret);
}

} // namespace editors
