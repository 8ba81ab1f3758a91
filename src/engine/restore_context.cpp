#include "engine/restore_context.h"

#include <algorithm>

#include "core/filled.h"
#include "engine/sets/state_list.h"
#include "engine/text.h"
#include "engine/texts.h"
#include "zip/stored_name.h"

namespace dszip {

void EntryWarnings::Add(size_t entry, std::string text) {
  text = Printable(std::move(text));
  const std::lock_guard<std::mutex> lock(mutex_);
  warnings_.emplace_back(entry, std::move(text));
}

std::vector<std::string> EntryWarnings::InEntryOrder() {
  const std::lock_guard<std::mutex> lock(mutex_);
  std::stable_sort(warnings_.begin(), warnings_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> texts;
  for (const auto& warning : warnings_) texts.push_back(warning.second);
  return texts;
}

bool IsStateList(const ArchiveEntry& entry) {
  return FoldCase(entry.record.name) == FoldCase(sets::kStateListName);
}

uint64_t ModifiedTicks(FileSystem& fs, const ArchiveEntry& entry) {
  if (entry.exactModified) return *entry.exactModified;
  const uint32_t date = entry.record.dosTime >> 16, time = entry.record.dosTime & 0xFFFF;
  const CivilTime civil{.year = static_cast<int>(date >> 9) + 1980,
                        .month = static_cast<int>(date >> 5 & 15),
                        .day = static_cast<int>(date & 31),
                        .hour = static_cast<int>(time >> 11),
                        .minute = static_cast<int>(time >> 5 & 63),
                        .second = static_cast<int>(time & 31) * 2};
  return fs.FromLocalTime(civil);
}

std::string FileCount(uint64_t files) {
  return files == 1 ? texts::OneFile : Filled(texts::Files, {GroupedNumber(files)});
}

std::string MethodName(const ArchiveEntry& e) {
  if (e.encryption == Encryption::Other) return texts::MethodOtherEncryption;
  if (e.encryption == Encryption::Aes && e.aesStrength != 3)
    return "AES-" + std::to_string(64 + 64 * e.aesStrength);
  switch (e.record.method) {
    case 9: return "Deflate64";
    case 12: return "bzip2";
    case 14: return "LZMA";
    case 93: return "Zstandard";
    case 95: return "XZ";
    case 98: return "PPMd";
    default: return Filled(texts::MethodNumber, {std::to_string(e.record.method)});
  }
}

std::string Printable(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return text;
}

}  // namespace dszip
