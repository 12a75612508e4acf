#pragma once
// Searching a list of item texts as the user types into an edit: the combo box searches
// its items, the grid's lookup combo box the records of its list. Each brings its own
// Locate (find the text, make that item current, show it); these routines hold what
// typing does around it: which text is searched, and what ends up selected.
#include <functional>
#include <string>
#include <string_view>

#include "platform/rtl/StringList.h"
#include "platform/ui/EditBase.h"

namespace editors {

// Finds Text in a list and, when found, makes that item current and shows it (with
// SelectCompletedPart); true when the current item changed. Partial: Text is a prefix.
using TLocateTextEx = std::function<bool(const std::string& Text, bool Partial)>;

// The first of the first Count items that equals Text with letter case ignored; with
// Partial only the first Text.size() characters of an item count. -1 when none does.
int FindItemText(const rtl::TStrings& Items, int Count, std::string_view Text, bool Partial);

// After a search put the found item's text into Edit: the caret goes to the end and the
// part after the first TypedLength characters (what the search completed) is selected.
void SelectCompletedPart(ui::TCustomEdit& Edit, int TypedLength);

// Keys typed into an edit whose text is only ever an item. A lone Backspace widens the
// selection by one character to the left (the caret at the end: when everything after
// the caret was selected, the selection starts one character earlier) and answers
// false. Other keys search the text before the caret followed by Keys, as a prefix, and
// answer what Locate answers.
bool SearchTypedKeys(ui::TCustomEdit& Edit, const std::string& Keys, const TLocateTextEx& Locate);

// A character the user typed into free text (after it went in). With the caret at the
// end, nothing selected, and not Backspace: SearchKeys with no keys, which completes the
// typed text from the list. Otherwise the whole text is located exactly and the caret
// goes back where it was.
void CompleteTypedText(ui::TCustomEdit& Edit, bool Backspace, const std::function<bool(const std::string&)>& SearchKeys,
                       const TLocateTextEx& Locate);

} // namespace editors
