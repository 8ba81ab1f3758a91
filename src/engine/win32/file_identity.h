#pragma once
// Which file or folder a handle reached, and by which path: what tells one folder under two
// spellings, and a file reached through a link.
#include <windows.h>

#include <map>
#include <mutex>
#include <string>

#include "engine/file_system.h"

namespace dszip {

// Volume serial number and file ID; unknown where the file system gives none.
FileId HandleIdentity(HANDLE handle);

// Paths here are wide, as CreateFileW takes them ("\\?\" included).

// A folder's identity, through a handle that follows links; unknown when it cannot be opened.
FileId FolderIdentity(const std::wstring& folder);

// As the file system compares names: ignoring case by its own table, for every letter.
bool SameText(const std::wstring& a, const std::wstring& b);

// Whether an opened file was reached through a link to a file: its handle's final path is not
// the final path of the folder it was named in, followed by its name. Under Wine such a link
// shows as a plain file, also to a handle opened on the link itself; its final path tells.
class LinkFinder {
 public:
  bool ThroughLink(HANDLE file, const std::wstring& path);

 private:
  std::wstring FolderFinalPath(const std::wstring& folder);

  // The folders' final paths, asked once per folder: every small file's worker asks.
  std::mutex guard_;
  std::map<std::wstring, std::wstring> folders_;
};

}  // namespace dszip
