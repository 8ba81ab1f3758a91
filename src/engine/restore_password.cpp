#include "engine/restore_password.h"

#include <algorithm>
#include <utility>

#include "core/filled.h"
#include "engine/password.h"
#include "engine/texts.h"
#include "zip/errors.h"

namespace dszip {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPasswordTries = 3;
constexpr size_t kPasswordSamples = 8;

// The first bytes of an entry's data; fewer when the entry is damaged.
Bytes PasswordHeader(RestoreContext& run, size_t index) {
  const ArchiveEntry& entry = run.entries[index];
  try {
    const auto file = run.fs.OpenRead(run.ArchiveOf(index));
    SequentialReader in(*file, entry.record.offset);
    SkipLocalHeader(in);
    return in.Read(static_cast<size_t>(
        std::min<uint64_t>(PasswordHeaderSize(entry), entry.record.compressedSize)));
  } catch (const zip::Error&) {
    return {};
  }
}

}  // namespace

// The password is tried on the first few encrypted entries: the old encryption's check value
// is a single byte, which a wrong password matches once in 256 entries.
FoundPassword FindPassword(RestoreContext& run, const std::vector<size_t>& selected,
                           const char* wrong) {
  std::vector<std::pair<const ArchiveEntry*, Bytes>> samples;
  for (size_t k = 0; k < selected.size() && samples.size() < kPasswordSamples; ++k) {
    const ArchiveEntry& entry = run.entries[selected[k]];
    if (entry.encryption == Encryption::None || !entry.Readable() || entry.IsFolder()) continue;
    Bytes header = PasswordHeader(run, selected[k]);
    if (header.size() == PasswordHeaderSize(entry)) samples.emplace_back(&entry, std::move(header));
  }
  const auto fits = [&](const std::string& password) {
    return std::all_of(samples.begin(), samples.end(), [&](const auto& sample) {
      return PasswordFits(run.crypto, password, *sample.first, sample.second);
    });
  };
  const std::optional<std::string>& given = run.options.password;
  if (samples.empty() || given) {
    if (given && !fits(*given)) throw RunError(kExitBadPassword, wrong);
    return {given};
  }
  FoundPassword found;
  for (int attempt = 0; attempt < kPasswordTries; ++attempt) {
    const auto asked = Clock::now();
    const auto typed = run.console.AskPassword(Filled(texts::PasswordPrompt, {run.archive}));
    found.typing += Clock::now() - asked;
    if (!typed) throw RunError(kExitUsage, texts::PasswordNeeded);
    try {
      found.password = TypedPassword(*typed);
      if (fits(*found.password)) return found;
      run.verdict.Say(texts::PasswordWrongTry);
    } catch (const RunError& error) {
      run.verdict.Say(error.what());
    }
  }
  throw RunError(kExitBadPassword, wrong);
}

}  // namespace dszip
