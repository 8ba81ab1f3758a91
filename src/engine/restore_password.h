#pragma once
// The password of a restore: the one given on the command line, or typed at the prompt.
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "engine/restore_context.h"

namespace dszip {

struct FoundPassword {
  std::optional<std::string> password;           // none when nothing selected is encrypted
  std::chrono::steady_clock::duration typing{};  // spent at the prompt, not dszip's time
};

// The password that opens the selected entries: the one given, or up to three typed ones.
// RunError with kExitBadPassword and `wrong` when none fits, kExitUsage when none can be asked.
FoundPassword FindPassword(RestoreContext& run, const std::vector<size_t>& selected,
                           const char* wrong);

}  // namespace dszip
