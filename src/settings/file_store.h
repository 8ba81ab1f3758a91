#pragma once
#include <optional>
#include <string>

// Whole-file access for the settings file. Paths are ANSI (Windows-1252) texts.

// The file's bytes; nothing when it is missing, is a folder or cannot be read, since a
// settings file that cannot be read counts as absent.
std::optional<std::string> ReadWholeFile(const std::string& path);

// True when there is nothing at all at the path: no file and no folder.
bool NothingAt(const std::string& path);

// Replaces the file's contents so that a crash leaves either the old or the new file: the new
// bytes go to a fresh file beside it, are flushed and then moved over the old one. A read-only
// file is refused and left alone. Where the folder takes no new file but the file itself is
// writable, it is rewritten in place, as the platform's own profile functions would.
// Raises "In <path> kann nicht geschrieben werden" on any failure; no temporary file remains.
void ReplaceFileContents(const std::string& path, const std::string& bytes);
