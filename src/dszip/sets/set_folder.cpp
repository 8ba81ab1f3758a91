#include "dszip/sets/set_folder.h"

#include "core/ascii_case.h"
#include "zip/errors.h"
#include "zip/zip_reader.h"

namespace dszip::sets {
namespace {

bool IsZipName(const std::string& name) {
  const std::string lower = AsciiLower(name);
  return lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".zip") == 0;
}

// An archive that cannot be opened or read belongs to no set: it is never touched.
ListedArchive Read(FileSystem& fs, const std::string& folder, const FolderEntry& entry,
                   bool identify) {
  ListedArchive listed{{entry.name, std::nullopt}, entry.info};
  try {
    const auto file = fs.OpenRead(folder + entry.name);
    listed.read = file->Info();
    if (identify) listed.read.id = file->Identity();
    listed.archive.record = ParseRecord(zip::ReadArchiveComment(*file, listed.read.size));
  } catch (const FileError&) {
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

std::vector<FolderArchive> ArchivesOf(const std::vector<ListedArchive>& listed) {
  std::vector<FolderArchive> archives;
  archives.reserve(listed.size());
  for (const ListedArchive& one : listed) archives.push_back(one.archive);
  return archives;
}

}  // namespace dszip::sets
