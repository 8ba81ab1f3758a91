#pragma once
#include <string>
#include <vector>

#include "engine/file_system.h"

namespace dszip {

// The folder a path lies in, with its closing "\"; empty when the path names none.
std::string FolderOf(const std::string& path);

// The drive or share a full path lives on: "E:\" or "\\server\share\"; empty when none.
std::string RootOf(const std::string& path);

// Raises RunError (kExitArchiveExists) naming the drive or share when the folder's root is
// not there.
void CheckReachable(FileSystem& fs, const std::string& folder);

// True when the folder (with or without its last "\") is there.
bool FolderExists(FileSystem& fs, const std::string& folder);

// Creates the folder and its missing parents. Returns the outermost folder it created, or
// nothing when the folder was there. Raises RunError (kExitArchiveExists) when it cannot.
std::string MakeFolder(FileSystem& fs, const std::string& folder);

// Gives the verified archive at `from` its final name `archive`; when another run took that
// name after this one started, the next free running number of the same stem
// ("20240305-0.zip", then "20240305-1.zip", ...; a name without one gets "-1"). Returns the
// name it took. Throws FileError as the move does, Exists when no number up to 999 is free.
std::string MoveToFreeName(FileSystem& fs, const std::string& from, const std::string& archive);

// The tag of a temporary file: the writing process and a random part, so that a later run
// can tell a killed run's file from a live one's.
std::string TemporaryTag(unsigned long processId, const std::string& random);

// Lists the folder and removes from it the temporary files whose writing process has ended,
// adding their full paths to `removed`; returns what is left, from that one listing. A file
// that cannot be removed is left for the next run.
std::vector<FolderEntry> RemoveLeftovers(FileSystem& fs, const std::string& folder,
                                         std::vector<std::string>& removed);

}  // namespace dszip
