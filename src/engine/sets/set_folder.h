#pragma once
// A backup folder as its archives describe themselves: each ZIP file's record, read from its
// end record alone, so that listing a folder of a thousand archives stays cheap.
#include <optional>
#include <string>
#include <vector>

#include "engine/file_system.h"
#include "engine/sets/backup_sets.h"

namespace dszip::sets {

struct ListedArchive {
  FolderArchive archive;  // name and record; no record for a damaged or foreign file
  FileInfo read;          // as opened: size and times, and the identity when asked for
};

// Every ".zip" file of `folder` (ending in "\"). `identify`: each file's identity as read, so
// that a deletion can go through only for that very file. Throws FileError when the folder
// cannot be listed.
std::vector<ListedArchive> ListSetFolder(FileSystem& fs, const std::string& folder, bool identify);

// The record in an archive's comment; nothing when it carries none or cannot be read.
std::optional<ArchiveRecord> ReadArchiveRecord(FileSystem& fs, const std::string& path,
                                               uint64_t size);

std::vector<FolderArchive> ArchivesOf(const std::vector<ListedArchive>& listed);

}  // namespace dszip::sets
