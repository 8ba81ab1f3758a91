#pragma once
// A backup folder as the window lists it: each set with its nights, newest first, each night
// with its kind, size and whether its chain is whole as the sets engine links it; files
// without a record apart. Only the
// records are read (the end of each file), so a folder of a thousand archives lists fast.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/file_system.h"
#include "engine/sets/backup_sets.h"

namespace restore_window {

struct Night {
  std::string name;  // the archive's file name in the folder
  dszip::sets::ArchiveKind kind = dszip::sets::ArchiveKind::Full;
  dszip::sets::LocalTime made;
  uint64_t size = 0;
  std::string broken;  // why its chain is not whole, or why a file could not be read
};

struct SetOfNights {
  std::vector<std::string> sources;  // as the newest archive records them
  std::string sourcesDigest;         // instead, when the list was too long for the record
  std::string computer;              // where it was made; empty for records without one
  std::vector<Night> nights;         // newest first
};

struct FolderModel {
  std::string folder;  // full path, ending in "\"
  std::vector<SetOfNights> sets;
  std::vector<Night> single;  // ZIP files without a record (foreign or unreadable), by name
};

// Throws dszip::FileError when the folder cannot be listed.
FolderModel ReadFolder(dszip::FileSystem& fs, const std::string& folder);

// "Vollsicherung", "inkrementell", "verschoben".
const char* KindText(dszip::sets::ArchiveKind kind);
// "05.03.2024 21:30"
std::string WhenText(const dszip::sets::LocalTime& made);
// The set's line above its nights: its number and sources.
std::string SetText(size_t number, const SetOfNights& set);

}  // namespace restore_window
