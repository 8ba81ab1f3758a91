#include "engine/sets/set_folder.h"

#include "core/ascii_case.h"
#include "engine/sets/set_texts.h"
#include "zip/errors.h"
#include "zip/zip_reader.h"

namespace dszip::sets {
namespace {

bool IsZipName(const std::string& name) {
  const std::string lower = AsciiLower(name);
  return lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".zip") == 0;
}

// A file that is no ZIP archive belongs to no set and is never touched. One that cannot be
// opened or read, or whose record is damaged, is noted as such: it may be an archive of a set.
ListedArchive Read(FileSystem& fs, const std::string& folder, const FolderEntry& entry,
                   bool identify) {
  ListedArchive listed{{entry.name, std::nullopt, {}, {}}, entry.info};
  FolderArchive& archive = listed.archive;
  try {
    const auto file = fs.OpenRead(folder + entry.name);
    listed.read = file->Info();
    if (identify) listed.read.id = file->Identity();
    const zip::ArchiveTail tail = zip::ReadArchiveTail(*file, listed.read.size);
    archive.record = ParseRecord(tail.comment);
    archive.directory = {tail.directorySize, tail.directoryCrc};
    if (!archive.record && LooksLikeRecord(tail.comment)) archive.unreadable = texts::RecordDamaged;
  } catch (const FileError& error) {
    archive.unreadable = error.what();
  } catch (const zip::Error&) {
  }
  return listed;
}

}  // namespace

std::vector<ListedArchive> ListSetFolder(FileSystem& fs, const std::string& folder, bool identify) {
  std::vector<ListedArchive> listed;
  for (const FolderEntry& entry : fs.List(folder))
    if (!entry.info.IsFolder() && IsZipName(entry.name))
      listed.push_back(Read(fs, folder, entry, identify));
  return listed;
}

std::optional<ArchiveRecord> ReadArchiveRecord(FileSystem& fs, const std::string& path,
                                               uint64_t size) {
  try {
    return ParseRecord(zip::ReadArchiveComment(*fs.OpenRead(path), size));
  } catch (const FileError&) {
    return std::nullopt;
  } catch (const zip::Error&) {
    return std::nullopt;
  }
}

std::vector<FolderArchive> ArchivesOf(const std::vector<ListedArchive>& listed) {
  std::vector<FolderArchive> archives;
  archives.reserve(listed.size());
  for (const ListedArchive& one : listed) archives.push_back(one.archive);
  return archives;
}

}  // namespace dszip::sets
