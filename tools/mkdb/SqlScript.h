#pragma once
// Splits an isql-style script into statements: statements end with the terminator
// (";" until a "SET TERM" changes it), texts, quoted names and comments are kept
// whole, and comments between statements are dropped.
#include <string>
#include <vector>

namespace mkdb {

// The statements in order, without terminators and surrounding blanks. "SET TERM"
// lines are consumed here and do not appear. Raises std::runtime_error for a text,
// quoted name or comment that does not end.
std::vector<std::string> SplitScript(const std::string& script);

} // namespace mkdb
