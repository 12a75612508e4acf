#pragma once
// A temporary folder for the whole run of a test or benchmark program, gone when the
// program ends however it ends: by a failed assertion, an abort, a signal or a kill
// at a time-out. Everything the program and its children put under the temporary
// folder (TempDir, the engine and lock folders, the program's own files) lands in it.
#include <string>

namespace testsupport {

// Makes the folder (prefix-XXXXXX under the temporary folder) and points TMPDIR and TMP
// of this process and of its children at it. A helper process of its own, outside
// this process's tree and deaf to the terminal, waits for this process to end and then
// removes the folder. Call first in main, before any thread starts. In a child of
// such a program it does nothing: the child uses its parent's folder. Returns the folder,
// "" when it could not be made (then everything stays where it was).
std::string UseScratchFolder(const std::string& prefix);

} // namespace testsupport
