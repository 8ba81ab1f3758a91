#pragma once
// l: one line per selected entry (time, attributes, size, packed size, method, name) and a total.
#include <vector>

#include "engine/restore_context.h"

namespace dszip {

// Said through the verdict, so that the logs keep the listing too.
void ListEntries(RestoreContext& run, const std::vector<size_t>& selected);

}  // namespace dszip
