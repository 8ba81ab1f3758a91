#pragma once
// What a restore reads and where it writes, decided before anything is written: the archive's
// directory, the entries its masks select, the names it refuses, the folders it makes and the
// files already there.
#include <string>
#include <vector>

#include "engine/restore_context.h"

namespace dszip {

// The archive's directory into `run.entries`; RunError when it cannot be read.
void ReadArchive(RestoreContext& run);

// The entries the masks select, as sources are selected for a; no mask is "*".
std::vector<size_t> SelectedEntries(const RestoreContext& run);
// Whether the masks take a file of that stored name.
bool SelectedByMasks(const RestoreContext& run, const std::string& storedName);

// The files t can check; the others are named.
std::vector<Planned> Readable(RestoreContext& run, const std::vector<size_t>& selected);

// What x and e write: the target folder, the files and the folder entries below it.
struct RestorePlan {
  std::string target;
  std::vector<Planned> files, folders;
};

// Every name checked before anything is written; the target paths of what may be written.
RestorePlan PlanExtraction(RestoreContext& run, const std::vector<size_t>& selected);

// The target and every folder the plan needs, made; what lies below a folder that cannot be
// made is left out, and files already there are kept unless -o+ is given.
void PrepareFolders(RestoreContext& run, RestorePlan& plan);

// Creates the folder an archive dropped on the program unpacks into: beside it, named after
// it, with " (2)", " (3)" ... when the name is taken. Returns it with a trailing "\".
std::string CreateDroppedTarget(FileSystem& fs, const std::string& archive);

}  // namespace dszip
