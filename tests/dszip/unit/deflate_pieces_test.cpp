// Pieces compressed on their own and joined into one Deflate stream, inflated by zlib; the
// block walker that finds each piece's final block, on streams of every block type; restore's
// whole-entry inflate judging entries as zlib's streaming one does.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>

#include "fake_crypto.h"
#include "fake_file_system.h"
#include "zip/deflate_blocks.h"
#include "zip/deflate_pool.h"
#include "zip/errors.h"
#include "zip/zip_reader.h"

namespace zip {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Inflated(const Bytes& stream) {
  z_stream s{};
  inflateInit2(&s, -15);
  Bytes out(1 << 16);
  size_t made = 0;
  s.next_in = const_cast<uint8_t*>(stream.data());
  s.avail_in = static_cast<uInt>(stream.size());
  int status = Z_OK;
  while (status == Z_OK) {
    if (made == out.size()) out.resize(out.size() * 2);
    s.next_out = out.data() + made;
    s.avail_out = static_cast<uInt>(out.size() - made);
    status = inflate(&s, Z_NO_FLUSH);
    made = out.size() - s.avail_out;
  }
  inflateEnd(&s);
  EXPECT_EQ(status, Z_STREAM_END);
  EXPECT_EQ(s.avail_in, 0u) << "data after the stream's end";
  out.resize(made);
  return out;
}

// zlib's stream of `first` ended by a full flush, then `last` to the end with other settings:
// the final block starts at the first byte after the flush.
struct TwoParts {
  Bytes stream;
  size_t lastHeader;
};
TwoParts ZlibStream(const Bytes& first, int firstLevel, const Bytes& last, int lastLevel,
                    int lastStrategy) {
  z_stream s{};
  deflateInit2(&s, firstLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&s, first.size() + last.size()) + 64);
  s.next_out = out.data();
  s.avail_out = static_cast<uInt>(out.size());
  s.next_in = const_cast<uint8_t*>(first.data());
  s.avail_in = static_cast<uInt>(first.size());
  deflate(&s, Z_FULL_FLUSH);
  const size_t flushed = out.size() - s.avail_out;
  deflateParams(&s, lastLevel, lastStrategy);
  s.next_in = const_cast<uint8_t*>(last.data());
  s.avail_in = static_cast<uInt>(last.size());
  EXPECT_EQ(deflate(&s, Z_FINISH), Z_STREAM_END);
  out.resize(out.size() - s.avail_out);
  deflateEnd(&s);
  return {out, flushed * 8};
}

Bytes Text(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string text;
  while (text.size() < size)
    text += "Zeile " + std::to_string(random() % 5000) + " der Sicherung\n";
  return Bytes(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(size));
}

Bytes Noise(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  Bytes noise(size);
  for (uint8_t& byte : noise) byte = static_cast<uint8_t>(random());
  return noise;
}

unsigned BlockType(const Bytes& stream, size_t header) {
  const unsigned bits =
      stream[header / 8] | (header / 8 + 1 < stream.size() ? stream[header / 8 + 1] << 8 : 0);
  return bits >> (header % 8 + 1) & 3;
}

TEST(DeflateBlocks, FindsTheFinalBlockOfEveryType) {
  const struct {
    const char* name;
    Bytes first, last;
    int lastLevel, lastStrategy;
    unsigned type;  // of the final block
  } rows[] = {
      {"fixed after dynamic", Text(40000, 1), Text(20, 2), 6, Z_FIXED, 1},
      {"dynamic after dynamic", Text(40000, 1), Text(9000, 2), 6, Z_DEFAULT_STRATEGY, 2},
      {"stored after dynamic", Text(40000, 1), Noise(3000, 3), 0, Z_DEFAULT_STRATEGY, 0},
      {"dynamic after stored", Noise(70000, 4), Text(9000, 2), 6, Z_DEFAULT_STRATEGY, 2},
      {"fixed, empty", {}, {}, 6, Z_FIXED, 1},
  };
  for (const auto& row : rows) {
    const TwoParts made = ZlibStream(row.first, row.first.size() > 50000 ? 0 : 6, row.last,
                                     row.lastLevel, row.lastStrategy);
    const auto last = FindLastBlock(made.stream.data(), made.stream.size());
    ASSERT_TRUE(last) << row.name;
    EXPECT_EQ(last->header, made.lastHeader) << row.name;
    EXPECT_EQ(BlockType(made.stream, last->header), row.type) << row.name;
    EXPECT_EQ((last->end + 7) / 8, made.stream.size()) << row.name;
  }
}

// Fixed codes written bit by bit, with the final block's header mid-byte (at bit 26) and a
// byte of garbage after the stream: joined, the next stream must follow its end exactly.
TEST(DeflateBlocks, FinalHeaderInsideAByte) {
  const struct {
    Bytes last;  // the final block's literals
    size_t end;
  } rows[] = {{{'c'}, 44}, {{'c', 0xF0}, 53}, {{'c', 0xF0, 0xF1}, 62}};
  for (const auto& row : rows) {
    Bytes stream;
    size_t bit = 0;
    const auto put = [&](uint32_t value, unsigned count) {  // highest bit first
      for (unsigned i = count; i-- > 0; ++bit) {
        if (bit % 8 == 0) stream.push_back(0);
        stream.back() |= static_cast<uint8_t>((value >> i & 1) << (bit % 8));
      }
    };
    const auto literal = [&](uint8_t c) { c < 144 ? put(0x30u + c, 8) : put(0x190u + c - 144, 9); };
    put(0b010, 3);  // not final, fixed (the header's bits go lowest first)
    literal('a');
    literal('b');
    put(0, 7);      // end of block
    put(0b110, 3);  // final, fixed
    for (const uint8_t c : row.last) literal(c);
    put(0, 7);
    const auto last = FindLastBlock(stream.data(), stream.size());
    ASSERT_TRUE(last);
    EXPECT_EQ(last->header, 26u);
    EXPECT_EQ(last->end, row.end);
    Bytes joined = stream;
    joined.push_back(0xFF);
    ASSERT_TRUE(OpenStreamEnd(joined));
    joined.insert(joined.end(), stream.begin(), stream.end());
    Bytes expected = {'a', 'b'};
    expected.insert(expected.end(), row.last.begin(), row.last.end());
    const Bytes once = expected;
    expected.insert(expected.end(), once.begin(), once.end());
    EXPECT_EQ(Inflated(joined), expected) << row.end;
  }
}

TEST(DeflateBlocks, RefusesWhatIsNoCompleteStream) {
  const Bytes whole = ZlibStream(Text(40000, 1), 6, Text(9000, 2), 6, Z_DEFAULT_STRATEGY).stream;
  const Bytes rows[] = {
      Bytes(whole.begin(), whole.end() - 3),  // cut short
      {0x06},                                 // block type 3
      {0x01, 0x05, 0x00, 0x00, 0x00},         // stored length without its complement
      {},
  };
  for (const Bytes& row : rows) EXPECT_FALSE(FindLastBlock(row.data(), row.size())) << row.size();
}

// The pieces of one entry through the pool, joined as the archive holds them.
Bytes Compressed(const std::vector<Bytes>& pieces, int level) {
  DeflatePool pool(level, 2);
  std::vector<std::shared_ptr<Batch>> batches;
  for (size_t k = 0; k < pieces.size(); ++k) {
    auto batch = std::make_shared<Batch>();
    batch->pieces.emplace_back();
    batch->pieces.back().input = pieces[k];
    batch->pieces.back().last = k + 1 == pieces.size();
    pool.Submit(batch);
    batches.push_back(batch);
  }
  Bytes joined;
  for (const auto& batch : batches) {
    pool.Wait(*batch);
    const Bytes& output = batch->pieces.front().output;
    joined.insert(joined.end(), output.begin(), output.end());
  }
  return joined;
}

TEST(DeflatePieces, JoinedPiecesInflateToTheInputAtEveryLevel) {
  const Bytes text = Text(kPieceSize, 5), noise = Noise(kPieceSize, 6);
  std::vector<Bytes> fifty;
  for (unsigned k = 0; k < 50; ++k)
    fifty.push_back(k % 7 == 3   ? Bytes{}
                    : k % 5 == 1 ? Noise(3000 + k, k)
                                 : Text(k * 997 % 40000, k));
  const struct {
    const char* name;
    std::vector<Bytes> pieces;
  } rows[] = {
      {"one piece", {text}},
      {"one empty piece", {Bytes{}}},
      {"two pieces", {text, Text(777, 8)}},
      {"incompressible, then text", {noise, text}},
      {"empty piece between", {text, Bytes{}, text}},
      {"empty last piece", {noise, Bytes{}}},
      {"fifty mixed pieces", fifty},
  };
  for (const auto& row : rows) {
    Bytes whole;
    for (const Bytes& piece : row.pieces) whole.insert(whole.end(), piece.begin(), piece.end());
    for (int level = 1; level <= 9; ++level)
      EXPECT_EQ(Inflated(Compressed(row.pieces, level)), whole) << row.name << ", level " << level;
  }
}

// An entry's data read both ways: the flaw found, or none.
std::optional<Flaw> ReadBack(const Bytes& data, uint64_t size, uint32_t crc, bool whole) {
  dszip::FakeFileSystem fs;
  fs.AddFile("C:\\e", std::string(data.begin(), data.end()));
  const auto file = fs.OpenRead("C:\\e");
  SequentialReader in(*file, 0);
  ArchiveEntry entry;
  entry.record.crc = crc;
  entry.record.compressedSize = data.size();
  entry.record.size = size;
  dszip::FakeCrypto crypto;
  Inflater inflater(whole);
  try {
    ReadEntryData(in, inflater, crypto, entry, {}, nullptr, nullptr);
  } catch (const Damaged& damaged) {
    return damaged.GetFlaw();
  }
  return std::nullopt;
}

TEST(Inflate, WholeEntriesJudgedAsStreamed) {
  const Bytes text = Text(100000, 12);
  const Bytes stream = Compressed({text}, 6);
  const auto crc = static_cast<uint32_t>(crc32(0, text.data(), static_cast<uInt>(text.size())));
  Bytes trailing = stream;
  trailing.push_back(0);
  const struct {
    const char* name;
    Bytes data;
    uint64_t size;
    std::optional<Flaw> flaw;
  } rows[] = {
      {"sound", stream, text.size(), std::nullopt},
      {"more data than the recorded size", stream, text.size() - 1, Flaw::MoreDataThanSaid},
      {"less data than the recorded size", stream, text.size() + 1, Flaw::Crc},
      {"cut short", Bytes(stream.begin(), stream.end() - 9), text.size(), Flaw::DeflateData},
      {"data after the stream", trailing, text.size(), Flaw::DeflateData},
      {"no Deflate stream", {0x07, 0x00}, text.size(), Flaw::DeflateData},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ReadBack(row.data, row.size, crc, true), row.flaw) << row.name;
    EXPECT_EQ(ReadBack(row.data, row.size, crc, false), row.flaw) << row.name;
  }
}

// Whole entries share one memory budget across threads; what an entry held comes back after it.
TEST(Inflate, WholeEntriesShareABudget) {
  Inflater first(true), second(true), third(true), streaming;
  EXPECT_FALSE(streaming.BeginWhole(1, 1));
  EXPECT_FALSE(first.BeginWhole(kWholeInflateLimit + 1, 1));
  ASSERT_TRUE(first.BeginWhole(kWholeInflateBudget / 2, kWholeInflateBudget / 4));
  ASSERT_TRUE(second.BeginWhole(kWholeInflateBudget / 8, kWholeInflateBudget / 8));
  EXPECT_FALSE(third.BeginWhole(1, 0));
  first.EndWhole();
  EXPECT_TRUE(third.BeginWhole(1, 0));
  second.EndWhole();
  third.EndWhole();
}

}  // namespace
}  // namespace zip
