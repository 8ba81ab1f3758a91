#pragma once
// What a restore tells the user beyond what it did: a target typed without its "\", a chain
// behind an incremental archive, a folder that already holds files when a night is restored.
#include <string>

#include "engine/restore_context.h"

namespace dszip {

// x and e: a first name that selects nothing in the archive but is a folder that is there is
// the target typed without its "\": taken as the target, with a note.
void TakeFolderAsTarget(RestoreContext& run, RestoreOptions& options);

// Nothing selected by x or e with names given: the note on the target's "\" (empty when none).
std::string TargetBackslashNote(const RestoreOptions& options);

// x or e of an incremental archive without -kette: the note naming x -kette and the full the
// chain rests on; empty for any other archive. `target` is where this run wrote.
std::string ChainNote(RestoreContext& run, const std::string& target);

// x -kette into a folder that holds files already: what stays there and what -o+ and -o-
// change; empty when the folder is empty or not there.
std::string FilledTargetNote(RestoreContext& run, const std::string& target);

}  // namespace dszip
