// The block walker over arbitrary bytes. Where zlib inflates the bytes as one complete stream,
// the walker must find its end where zlib's ended, and the stream opened there and followed
// by an empty final block must inflate to the same.
//
// Input: a raw Deflate stream.

#include <zlib.h>

#include <vector>

#include "fuzz_support.h"
#include "zip/deflate_blocks.h"

namespace {

constexpr std::size_t kMaxOutput = 1 << 20;

struct Inflated {
  bool complete = false;
  std::size_t used = 0;
  std::vector<std::uint8_t> out;
};

Inflated Inflate(const std::vector<std::uint8_t>& in) {
  Inflated result;
  z_stream s{};
  inflateInit2(&s, -15);
  result.out.resize(kMaxOutput);
  s.next_in = const_cast<std::uint8_t*>(in.data());
  s.avail_in = static_cast<uInt>(in.size());
  s.next_out = result.out.data();
  s.avail_out = static_cast<uInt>(result.out.size());
  result.complete = inflate(&s, Z_FINISH) == Z_STREAM_END;
  result.used = in.size() - s.avail_in;
  result.out.resize(result.out.size() - s.avail_out);
  inflateEnd(&s);
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> stream(data, data + size);
  const auto last = zip::FindLastBlock(stream.data(), stream.size());
  if (last) FUZZ_CHECK(last->header < last->end && last->end <= size * 8);
  const Inflated whole = Inflate(stream);
  if (!whole.complete) return 0;
  FUZZ_CHECK(last && (last->end + 7) / 8 == whole.used);
  FUZZ_CHECK(zip::OpenStreamEnd(stream));
  stream.insert(stream.end(), {0x03, 0x00});  // an empty final block of fixed codes
  const Inflated joined = Inflate(stream);
  FUZZ_CHECK(joined.complete && joined.used == stream.size() && joined.out == whole.out);
  return 0;
}
