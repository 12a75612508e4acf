#pragma once
// Where the engine keeps its lock files. Its default is one folder for every user of
// the machine: whoever runs the engine first owns it and everyone else is locked out.
// So each user's processes get a folder of that user's own, shared by all of them, and
// the engine's locking between them stays as it is.
#include <string>

namespace fb {

// The engine's choice when FIREBIRD_LOCK is not set.
inline constexpr const char* kSharedLockFolder = "/tmp/firebird";

// Unless FIREBIRD_LOCK is set already, sets it to a folder of the effective user's own:
// "firebird" under $XDG_RUNTIME_DIR when that is the user's and writable, else
// "firebird-<uid>" under the temporary folder ($TMPDIR or /tmp). The folder is created
// with mode 0700; one that is not a folder of the user's own (a link, another user's)
// is refused, one that others may enter is closed to them. Returns "" when FIREBIRD_LOCK
// is set on return, else why no folder could be had (FIREBIRD_LOCK then stays unset).
// LoadClientLibrary calls it before the engine is loaded.
std::string UseOwnLockFolder();

// The lock folder the engine uses: FIREBIRD_LOCK, else kSharedLockFolder.
std::string EngineLockFolder();

// Lines naming what this process may not write and why, for a failed attach or create
// of the database at path: the engine's lock folder, the folder a new database goes
// into, an existing database file. "" when none of them is the trouble.
std::string DescribeUnwritableFolders(const std::string& databasePath, bool creating);

} // namespace fb
