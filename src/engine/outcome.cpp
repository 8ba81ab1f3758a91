#include "engine/outcome.h"

#include "core/filled.h"
#include "engine/texts.h"

namespace dszip {
namespace {

const char* ResultText(int exitCode) {
  switch (exitCode) {
    case kExitOk: return texts::ResultOk;
    case kExitWarning: return texts::ResultWarning;
    case kExitNothingToDo: return texts::ResultNothing;
    case kExitInterrupted: return texts::ResultInterrupted;
    default: return texts::ResultFailed;
  }
}

}  // namespace

std::string ResultLine(int exitCode) {
  return Filled(texts::ResultLine, {ResultText(exitCode), std::to_string(exitCode)});
}

}  // namespace dszip
