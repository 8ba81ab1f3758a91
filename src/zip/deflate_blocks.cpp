#include "zip/deflate_blocks.h"

#include <array>

namespace zip {
namespace {

constexpr unsigned kMaxCodeBits = 15;

// Reads bits lowest first. Past the end it reads zeros, and Overrun() tells it happened.
class BitReader {
 public:
  BitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  // At least 25 bits from the position.
  uint32_t Peek() const {
    const size_t byte = bit_ >> 3;
    uint32_t value = 0;
    for (size_t i = 0; i < 4 && byte + i < size_; ++i)
      value |= static_cast<uint32_t>(data_[byte + i]) << (8 * i);
    return value >> (bit_ & 7);
  }
  uint32_t Take(unsigned bits) {
    const uint32_t value = Peek() & ((1u << bits) - 1);
    bit_ += bits;
    return value;
  }
  void Skip(size_t bits) { bit_ += bits; }
  void AlignToByte() { bit_ = (bit_ + 7) & ~size_t{7}; }
  size_t Position() const { return bit_; }
  bool Overrun() const { return bit_ > size_ * 8; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t bit_ = 0;
};

// A canonical Huffman code as one table indexed by the next `bits` input bits; an entry holds
// the symbol and its code length, or 0 where no code fits.
class Code {
 public:
  // False for an over-subscribed code. An incomplete one is taken; its gaps fail when decoded.
  bool Build(const uint8_t* lengths, size_t count) {
    std::array<unsigned, kMaxCodeBits + 1> perLength{};
    for (size_t symbol = 0; symbol < count; ++symbol) ++perLength[lengths[symbol]];
    perLength[0] = 0;
    bits_ = 1;
    int left = 1;
    for (unsigned length = 1; length <= kMaxCodeBits; ++length) {
      left = left * 2 - static_cast<int>(perLength[length]);
      if (left < 0) return false;
      if (perLength[length] != 0) bits_ = length;
    }
    table_.assign(size_t{1} << bits_, 0);
    std::array<unsigned, kMaxCodeBits + 1> next{};
    for (unsigned length = 1, code = 0; length <= kMaxCodeBits; ++length) {
      code = (code + perLength[length - 1]) << 1;
      next[length] = code;
    }
    for (size_t symbol = 0; symbol < count; ++symbol)
      if (const unsigned length = lengths[symbol]; length != 0)
        Fill(Reversed(next[length]++, length), length, symbol);
    return true;
  }

  // The next symbol, or -1 where no code fits.
  int Decode(BitReader& in) const {
    const uint16_t entry = table_[in.Peek() & ((1u << bits_) - 1)];
    if (entry == 0) return -1;
    in.Skip(entry & 0xF);
    return entry >> 4;
  }

 private:
  static unsigned Reversed(unsigned code, unsigned length) {
    unsigned reversed = 0;
    for (unsigned i = 0; i < length; ++i, code >>= 1) reversed = reversed << 1 | (code & 1);
    return reversed;
  }
  void Fill(unsigned first, unsigned length, size_t symbol) {
    for (size_t i = first; i < table_.size(); i += size_t{1} << length)
      table_[i] = static_cast<uint16_t>(symbol << 4 | length);
  }

  std::vector<uint16_t> table_;
  unsigned bits_ = 1;
};

constexpr size_t kLiteralCodes = 288, kDistanceCodes = 32;
constexpr std::array<uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};

struct Codes {
  Code literals, distances;
};

const Codes& FixedCodes() {
  static const Codes codes = [] {
    std::array<uint8_t, kLiteralCodes + kDistanceCodes> lengths{};
    for (size_t symbol = 0; symbol < kLiteralCodes; ++symbol)
      lengths[symbol] = symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
    for (size_t symbol = kLiteralCodes; symbol < lengths.size(); ++symbol) lengths[symbol] = 5;
    Codes fixed;
    fixed.literals.Build(lengths.data(), kLiteralCodes);
    fixed.distances.Build(lengths.data() + kLiteralCodes, kDistanceCodes);
    return fixed;
  }();
  return codes;
}

// The code lengths of a dynamic block, themselves coded; false where they break the format.
bool ReadCodeLengths(BitReader& in, uint8_t* lengths, size_t count) {
  static constexpr std::array<uint8_t, 19> kOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                     11, 4,  12, 3, 13, 2, 14, 1, 15};
  const size_t lengthCodes = in.Take(4) + 4;
  std::array<uint8_t, 19> lengthLengths{};
  for (size_t i = 0; i < lengthCodes; ++i)
    lengthLengths[kOrder[i]] = static_cast<uint8_t>(in.Take(3));
  Code lengthCode;
  if (!lengthCode.Build(lengthLengths.data(), lengthLengths.size())) return false;
  for (size_t at = 0; at < count;) {
    const int symbol = lengthCode.Decode(in);
    if (symbol < 0 || in.Overrun()) return false;
    if (symbol < 16) {
      lengths[at++] = static_cast<uint8_t>(symbol);
      continue;
    }
    if (symbol == 16 && at == 0) return false;
    const uint8_t value = symbol == 16 ? lengths[at - 1] : 0;
    const size_t repeat = symbol == 16   ? 3 + in.Take(2)
                          : symbol == 17 ? 3 + in.Take(3)
                                         : 11 + in.Take(7);
    if (repeat > count - at) return false;
    for (size_t i = 0; i < repeat; ++i) lengths[at++] = value;
  }
  return true;
}

bool ReadDynamicCodes(BitReader& in, Codes& codes) {
  const size_t literals = in.Take(5) + 257, distances = in.Take(5) + 1;
  if (literals > 286 || distances > 30) return false;
  std::array<uint8_t, kLiteralCodes + kDistanceCodes> lengths{};
  if (!ReadCodeLengths(in, lengths.data(), literals + distances) || lengths[256] == 0) return false;
  return codes.literals.Build(lengths.data(), literals) &&
         codes.distances.Build(lengths.data() + literals, distances);
}

// Passes over a block's symbols up to its end-of-block code.
bool SkipSymbols(BitReader& in, const Codes& codes) {
  for (;;) {
    const int symbol = codes.literals.Decode(in);
    if (symbol < 0 || in.Overrun()) return false;
    if (symbol < 256) continue;
    if (symbol == 256) return true;
    if (symbol > 285) return false;
    in.Skip(kLengthExtra[static_cast<size_t>(symbol - 257)]);
    const int distance = codes.distances.Decode(in);
    if (distance < 0 || distance > 29) return false;
    in.Skip(distance < 4 ? 0 : static_cast<size_t>(distance / 2 - 1));
  }
}

bool SkipStored(BitReader& in) {
  in.AlignToByte();
  const uint32_t length = in.Take(16), complement = in.Take(16);
  if ((length ^ 0xFFFF) != complement) return false;
  in.Skip(size_t{length} * 8);
  return true;
}

bool SkipBlockBody(BitReader& in, unsigned type, Codes& dynamic) {
  switch (type) {
    case 0: return SkipStored(in);
    case 1: return SkipSymbols(in, FixedCodes());
    case 2: return ReadDynamicCodes(in, dynamic) && SkipSymbols(in, dynamic);
    default: return false;
  }
}

}  // namespace

std::optional<LastBlock> FindLastBlock(const uint8_t* data, size_t size) {
  BitReader in(data, size);
  Codes dynamic;
  for (;;) {
    const size_t header = in.Position();
    const bool final = in.Take(1) != 0;
    if (!SkipBlockBody(in, in.Take(2), dynamic) || in.Overrun()) return std::nullopt;
    if (final) return LastBlock{.header = header, .end = in.Position()};
  }
}

bool OpenStreamEnd(std::vector<uint8_t>& stream) {
  const auto last = FindLastBlock(stream.data(), stream.size());
  if (!last) return false;
  stream[last->header >> 3] &= static_cast<uint8_t>(~(1u << (last->header & 7)));
  // An empty stored block: a header of three zero bits, zeros to the byte boundary, then its
  // length 0 and the length's complement. Whatever followed the final block goes.
  const size_t whole = last->end / 8, used = last->end % 8;
  const auto partial = static_cast<uint8_t>(used == 0 ? 0 : stream[whole] & ((1u << used) - 1));
  stream.resize(whole);
  stream.push_back(partial);
  if (used > 5) stream.push_back(0);  // the header did not fit in that byte
  stream.insert(stream.end(), {0x00, 0x00, 0xFF, 0xFF});
  return true;
}

}  // namespace zip
