#pragma once
// Joining independently compressed Deflate streams into one. A whole-buffer compressor ends
// every buffer with a final block; to let another stream follow, that block's final bit is
// cleared and an empty stored block brings the stream to a byte boundary. Finding the last
// block means walking every block's header and codes, writing no output.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace zip {

struct LastBlock {
  size_t header = 0;  // the bit offset of its header (bit 0 is the lowest bit of byte 0)
  size_t end = 0;     // the bit offset just after its end-of-block code or stored data
};

// The stream's final block, or nothing when the data is not a complete raw Deflate stream.
std::optional<LastBlock> FindLastBlock(const uint8_t* data, size_t size);

// Turns the complete stream in `stream` into the front of a longer one; false when it is not
// a complete stream (left as it was then).
bool OpenStreamEnd(std::vector<uint8_t>& stream);

}  // namespace zip
