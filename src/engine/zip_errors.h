#pragma once
// What the ZIP library reports, in dszip's words and exit codes: the one place that turns its
// errors, name checks and warnings into texts.
#include <string>
#include <vector>

#include "engine/outcome.h"
#include "zip/errors.h"
#include "zip/stored_name.h"
#include "zip/zip_writer.h"

namespace dszip {

// Why a name from an archive is refused, as the restore's warning names it.
const char* NameFlawText(zip::NameFlaw flaw);

// Why an entry or an archive could not be read, as the summary names it: the broken part, the
// password missing or wrong, an unknown method.
std::string ReasonText(const zip::Error& error);

// A library error that ends a run: what the run says, and its exit code.
RunError AsRunError(const zip::Error& error);

// A writer's warning about one item, naming its path.
std::string WarningText(const zip::WriteWarning& warning, const std::vector<zip::Item>& items);

}  // namespace dszip
