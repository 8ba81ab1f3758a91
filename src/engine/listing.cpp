#include "engine/listing.h"

#include <algorithm>
#include <string>

#include "core/filled.h"
#include "core/two_digits.h"
#include "engine/text.h"
#include "engine/texts.h"

namespace dszip {
namespace {

// Right-aligned columns of the sizes; the method's column is this wide, a blank included.
constexpr size_t kSizeWidth = 14;
constexpr size_t kPackedWidth = 13;
constexpr size_t kMethodWidth = 10;
constexpr uint32_t kHidden = 0x02, kSystem = 0x04;  // DOS attributes beside read-only

std::string RightAligned(const std::string& text, size_t width) {
  return std::string(width - std::min(width, text.size()), ' ') + text;
}

std::string TimeColumn(const CivilTime& t) {
  return std::to_string(t.year) + "-" + TwoDigits(t.month) + "-" + TwoDigits(t.day) + " " +
         TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second) + " ";
}

std::string AttributeColumn(const ArchiveEntry& e) {
  const uint32_t a = e.DosAttributes();
  return std::string(e.IsFolder() ? "D" : ".") + (a & kAttrReadOnly ? "R" : ".") +
         (a & kHidden ? "H" : ".") + (a & kSystem ? "S" : ".");
}

// At least one blank after the method, however long it is.
std::string MethodColumn(const ArchiveEntry& e) {
  std::string method = e.record.method == kMethodStore     ? "Store"
                       : e.record.method == kMethodDeflate ? "Deflate"
                                                           : "?";
  method += e.encryption != Encryption::None ? "*" : "";
  return method + std::string(kMethodWidth - std::min(kMethodWidth - 1, method.size()), ' ');
}

std::string EntryLine(FileSystem& fs, const ArchiveEntry& e) {
  return Printable(TimeColumn(fs.ToLocalTime(ModifiedTicks(fs, e))) + AttributeColumn(e) +
                   RightAligned(std::to_string(e.record.size), kSizeWidth) +
                   RightAligned(std::to_string(e.record.compressedSize), kPackedWidth) + " " +
                   MethodColumn(e) + e.record.name);
}

}  // namespace

void ListEntries(RestoreContext& run, const std::vector<size_t>& selected) {
  run.verdict.Say(texts::ListingHeading);
  uint64_t size = 0, packed = 0, files = 0, folders = 0;
  for (const size_t i : selected) {
    const ArchiveEntry& e = run.entries[i];
    std::string line = EntryLine(run.fs, e);
    if (run.chained)
      line = Filled(texts::ListedFrom, {line, Printable(run.chain.NameOf(i))});
    else if (IsStateList(e))
      line = Filled(texts::StateListMarked, {line});
    run.verdict.Say(line);
    size += e.record.size;
    packed += e.record.compressedSize;
    ++(e.IsFolder() ? folders : files);
  }
  run.verdict.Say(Filled(texts::ListingTotal, {FileCount(files), GroupedNumber(folders),
                                               ByteSize(size), ByteSize(packed)}));
}

}  // namespace dszip
