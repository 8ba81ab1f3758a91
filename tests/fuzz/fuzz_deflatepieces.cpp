// Fuzzed data compressed in pieces of fuzzed sizes at a fuzzed level, joined as an entry's
// stream is, must inflate through zlib to the data.
//
// Input: one byte for the level, four that seed the piece sizes, then the data.

#include <zlib.h>

#include <memory>
#include <random>
#include <vector>

#include "fuzz_support.h"
#include "zip/deflate_pool.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  const int level = 1 + data[0] % 9;
  std::mt19937 random(static_cast<std::uint32_t>(data[1] | data[2] << 8 | data[3] << 16) ^
                      static_cast<std::uint32_t>(data[4]) << 24);
  const std::vector<std::uint8_t> input(data + 5, data + size);
  zip::DeflatePool pool(level, 1);
  std::vector<std::shared_ptr<zip::Batch>> batches;
  for (std::size_t at = 0;;) {
    const std::size_t length = std::min<std::size_t>(random() % 2048, input.size() - at);
    auto batch = std::make_shared<zip::Batch>();
    batch->pieces.emplace_back();
    batch->pieces.back().input.assign(input.begin() + static_cast<std::ptrdiff_t>(at),
                                      input.begin() + static_cast<std::ptrdiff_t>(at + length));
    at += length;
    batch->pieces.back().last = at == input.size() && random() % 4 != 0;
    pool.Submit(batch);
    batches.push_back(batch);
    if (batch->pieces.back().last) break;
  }
  std::vector<std::uint8_t> joined;
  for (const auto& batch : batches) {
    pool.Wait(*batch);
    const auto& output = batch->pieces.front().output;
    joined.insert(joined.end(), output.begin(), output.end());
  }
  std::vector<std::uint8_t> out(input.size() + 1);
  uLongf made = static_cast<uLongf>(out.size());
  z_stream s{};
  inflateInit2(&s, -15);
  s.next_in = joined.data();
  s.avail_in = static_cast<uInt>(joined.size());
  s.next_out = out.data();
  s.avail_out = static_cast<uInt>(made);
  FUZZ_CHECK(inflate(&s, Z_FINISH) == Z_STREAM_END && s.avail_in == 0);
  made -= s.avail_out;
  inflateEnd(&s);
  out.resize(made);
  FUZZ_CHECK(out == input);
  return 0;
}
