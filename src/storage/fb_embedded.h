#pragma once
// The embedded database engine's files: carried inside the program, written into the
// program's folder before the database is opened and removed when the program ends.
//
// At start: ExtractServerFiles, then LoadServerLibrary (FIREBIRD := the program folder,
// FIREBIRD_LOCK := a folder of the user's own, the written client library loaded), then
// the data module; a False from either is "Error initializing Firebird embedded". At
// exit, after the data module is gone: KeepServerLoaded, then DeleteServerFiles.
#include <cstddef>
#include <functional>
#include <string>

namespace storage {

// A resource carried in the program.
struct TEmbeddedResource {
    const char* Name;
    const unsigned char* Begin;
    const unsigned char* End;
};
// The engine files built into the program (generated from resources/engine).
extern const TEmbeddedResource kEngineResources[];
extern const std::size_t kEngineResourceCount;

// One file the engine needs: which resource, under which name, in which sub-folder
// of the program folder ("" for the folder itself).
struct TServerFile {
    const char* Resource;
    const char* FileName;
    const char* Folder;
};
// In the order both routines walk it.
extern const TServerFile kServerFiles[];
extern const std::size_t kServerFileCount;
// The name under which the client library is written.
inline constexpr const char* kClientLibraryFile = "libfbclient.so.2";

// The folder of the running program with a trailing '/', independent of the working
// directory. SetProgramFolder overrides it (tests); "" returns to the real one.
std::string GetProgramFolder();
void SetProgramFolder(const std::string& folder);

// Looks a resource up by name, ignoring case; nullptr when the program has none.
using TResourceFinder = std::function<const TEmbeddedResource*(const std::string& name)>;
const TEmbeddedResource* FindEngineResource(const std::string& name);
// Replaces the lookup ExtractServerFiles uses (tests); an empty one restores it.
void SetResourceFinder(TResourceFinder finder);

// Creates the "lib", "udf" and "intl" folders when missing and writes every file of the table,
// each as a new file renamed over the old one, so that a process that has the old one
// mapped keeps it. True when all were written; at the first failure (a folder or file
// that cannot be made, a missing resource) False, with the rows before it written.
bool ExtractServerFiles();
// Sets FIREBIRD to the program folder and loads the client library written there, so
// that the engine, its plug-ins and configuration come from the written files. True
// when that library is the one in use (also when it already was); False when it cannot
// be loaded or a client library from elsewhere is loaded already.
bool LoadServerLibrary();
// Keeps every library of the table that this process has loaded in memory until the
// process ends (it loads none). The client unloads the engine when it shuts down, at the
// latest in the process's exit handlers, without waiting for every thread the engine
// started (a backup's, for one) to finish: such a thread would run on in
// code that is gone.
void KeepServerLoaded();
// Deletes the files of the table and then the "lib", "udf" and "intl" folders. A file or
// folder that cannot be removed stays; always True.
bool DeleteServerFiles();

} // namespace storage
