#include "zip/entry_output.h"

#include <zlib.h>

#include <optional>
#include <utility>

namespace zip {
namespace {

// Sizes near 4 GiB get ZIP64 room in the local header: Deflate may grow incompressible data.
constexpr uint64_t kZip64LocalThreshold = 0xF0000000u;
constexpr uint32_t kDosAttributes = 0x37;  // read-only, hidden, system, folder, archive

}  // namespace

void EntryOutput::BeginEntry(size_t index, const Piece* whole) {
  const Item& item = items_[index];
  EntryRecord& e = current_;
  e = EntryRecord{};
  e.name = item.storedName;
  SetTimes(e, item.info.modified, item.info.accessed, item.info.created);
  e.attributes = item.info.attributes & kDosAttributes;
  const bool folder = item.IsFolder();
  e.method = folder || Stored(item, settings_.level) || (whole && whole->store) ? kMethodStore
                                                                                : kMethodDeflate;
  e.effortBits = DeflateEffortBits(settings_.level);
  e.aesVersion = folder || !settings_.password ? 0 : item.info.size >= kAe1MinimumSize ? 1 : 2;
  e.zip64Local = item.info.size >= kZip64LocalThreshold;
  e.offset = out_.Position();
  out_.Append(LocalHeader(e));
  dataStart_ = out_.Position();
  crc_ = 0;
  currentAes_ = {};
  if (e.aesVersion != 0 && whole) {
    currentAes_ = whole->aes;
  } else if (e.aesVersion != 0) {
    currentAes_ = NewAesKeys(crypto_, *settings_.password);
    aes_ = std::make_unique<AesStream>(crypto_, currentAes_);
    out_.Append(aes_->Header());
  }
}

void EntryOutput::WriteData(Piece& piece) {
  if (piece.store) current_.method = kMethodStore;  // the first piece did not shrink
  if (current_.method == kMethodStore && !piece.store)
    piece.output = std::move(piece.input);  // a spare
  if (aes_) aes_->Encrypt(piece.output.data(), piece.output.size());
  out_.Append(piece.output.data(), piece.output.size());
  crc_ =
      static_cast<uint32_t>(crc32_combine(crc_, piece.crc, static_cast<z_off_t>(piece.inputSize)));
  current_.size += piece.inputSize;
  bytesDone_ += piece.inputSize;
  if (progress_) progress_(bytesDone_, filesDone_);
}

void EntryOutput::EndEntry(size_t index, const ReadEnd& end) {
  const Item& item = items_[index];
  std::optional<WriteWarning> failure;
  if (end.failed) failure = {WriteWarning::Unreadable, index, end.failure};
  if (aes_) {
    out_.Append(aes_->Tag());
    aes_.reset();
  }
  current_.crc = crc_;
  current_.compressedSize = out_.Position() - dataStart_;
  const bool needsZip64 = current_.size >= kMax32 || current_.compressedSize >= kMax32;
  if (!failure && needsZip64 && !current_.zip64Local)
    failure = {WriteWarning::GrewPastHeader, index, ""};
  if (failure || end.again) {
    out_.Truncate(current_.offset);
    bytesDone_ -= current_.size;
    if (failure) result_.warnings.push_back(std::move(*failure));
    return;
  }
  if (!item.IsFolder() && !end.unchanged)
    result_.warnings.push_back({WriteWarning::ChangedWhileRead, index, ""});
  if (current_.aesVersion != 0) current_.aesVersion = current_.size >= kAe1MinimumSize ? 1 : 2;
  if (!item.IsFolder()) SetReadTime(current_, end.read.modified);
  out_.Patch(current_.offset, LocalHeader(current_));
  result_.entries.push_back({.record = current_,
                             .item = index,
                             .unchanged = end.unchanged,
                             .aes = currentAes_,
                             .read = end.read});
  if (!item.IsFolder()) ++filesDone_;
  if (progress_) progress_(bytesDone_, filesDone_);
}

WriteResult EntryOutput::Finish() {
  WriteCentralDirectory();
  out_.Drain();
  result_.archiveSize = out_.Position();
  return std::move(result_);
}

// The DOS time in local time; the seconds in the extended timestamp while it holds them (1970
// to 2038), for readers that know no other; and the exact times, to 100 ns, in an NTFS field.
// A time the file system did not give is the modification time there.
void EntryOutput::SetTimes(EntryRecord& e, uint64_t modified, uint64_t accessed, uint64_t created) {
  const int64_t seconds = UnixSeconds(modified);
  e.dosTime = DosDateTime(fs_.ToLocalTime(modified));
  e.unixTime = seconds;
  e.hasUnixTime = modified != 0 && seconds >= 0 && seconds <= 0x7FFFFFFF;
  e.ntfs = modified == 0 ? NtfsTimes{}
                         : NtfsTimes{.modified = modified,
                                     .accessed = accessed != 0 ? accessed : modified,
                                     .created = created != 0 ? created : modified};
}

// The time of what was read. The local header is patched in place, so its extra fields
// keep the length they were written with.
void EntryOutput::SetReadTime(EntryRecord& e, uint64_t modified) {
  EntryRecord timed = e;
  SetTimes(timed, modified, e.ntfs.accessed, e.ntfs.created);
  if (modified != 0 && timed.hasUnixTime == e.hasUnixTime &&
      (timed.ntfs.modified != 0) == (e.ntfs.modified != 0))
    e = std::move(timed);
}

void EntryOutput::WriteCentralDirectory() {
  const uint64_t start = out_.Position();
  for (const WrittenEntry& entry : result_.entries) out_.Append(CentralHeader(entry.record));
  out_.Append(
      EndRecords(result_.entries.size(), start, out_.Position() - start, settings_.comment));
}

}  // namespace zip
