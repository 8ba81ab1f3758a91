#include "zip/zip_reader.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <optional>

#include "core/utf8.h"
#include "zip/cp437.h"
#include "zip/crc32.h"
#include "zip/errors.h"

namespace zip {
namespace {

constexpr size_t kChunk = 1 << 20;
// Small enough that the CRC reads what inflate just wrote from the cache.
constexpr size_t kInflated = size_t{256} * 1024;
constexpr size_t kEndRecordSize = 22;
constexpr uint64_t kMaxCentralSize = uint64_t{256} << 20;  // millions of entries; more is a forgery
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr uint16_t kMethodAes = 99;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagStrongEncryption = 0x0040;
constexpr uint16_t kFlagUtf8 = 0x0800;
constexpr int64_t kUnixEpochSeconds = 11644473600LL;

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Get32(const uint8_t* p) { return Get16(p) | static_cast<uint32_t>(Get16(p + 2)) << 16; }
uint64_t Get64(const uint8_t* p) { return Get32(p) | static_cast<uint64_t>(Get32(p + 4)) << 32; }

Bytes ReadAt(InputFile& file, uint64_t offset, size_t size) {
  Bytes data(size);
  file.Seek(offset);
  data.resize(ReadFull(file, data.data(), size));
  return data;
}

struct Counts {
  uint64_t entries = 0, size = 0, offset = 0;
  std::string comment;
};

// The ZIP64 end record the locator before the classic end record points to, when there is one.
void ReadZip64End(InputFile& file, uint64_t endAt, Counts& counts) {
  if (endAt < 20) return;
  const Bytes locator = ReadAt(file, endAt - 20, 20);
  if (locator.size() != 20 || Get32(locator.data()) != 0x07064b50) return;
  const Bytes end = ReadAt(file, Get64(locator.data() + 8), 56);
  if (end.size() != 56 || Get32(end.data()) != 0x06064b50) throw Damaged(Flaw::Zip64End);
  counts.entries = Get64(end.data() + 32);
  counts.size = Get64(end.data() + 40);
  counts.offset = Get64(end.data() + 48);
}

// The classic end record, searched from the end of the last `tail` bytes; nothing when none
// is there.
std::optional<Counts> FindEndRecord(InputFile& file, uint64_t fileSize, size_t tail, bool zip64) {
  tail = static_cast<size_t>(std::min<uint64_t>(fileSize, tail));
  const Bytes data = ReadAt(file, fileSize - tail, tail);
  for (size_t at = data.size() >= kEndRecordSize ? data.size() - kEndRecordSize + 1 : 0;
       at-- > 0;) {
    const uint8_t* p = data.data() + at;
    if (Get32(p) != 0x06054b50 || at + kEndRecordSize + Get16(p + 20) > data.size()) continue;
    if (Get16(p + 4) != 0 || Get16(p + 6) != 0) throw Damaged(Flaw::MultiPart);
    Counts counts{
        .entries = Get16(p + 10),
        .size = Get32(p + 12),
        .offset = Get32(p + 16),
        .comment = std::string(reinterpret_cast<const char*>(p + kEndRecordSize), Get16(p + 20))};
    if (zip64) ReadZip64End(file, fileSize - tail + at, counts);
    return counts;
  }
  return std::nullopt;
}

Counts ReadEndRecords(InputFile& file, uint64_t fileSize, bool zip64 = true) {
  if (auto counts = FindEndRecord(file, fileSize, kEndRecordSize + 0xFFFF, zip64)) return *counts;
  throw Damaged(Flaw::NoEndRecord);
}

void ReadZip64Extra(const uint8_t* p, size_t size, EntryRecord& e, bool sizeMax, bool packedMax,
                    bool offsetMax) {
  size_t at = 0;
  const auto take = [&](bool wanted, uint64_t& field) {
    if (!wanted) return;
    if (at + 8 > size) throw Damaged(Flaw::Zip64Field);
    field = Get64(p + at);
    at += 8;
  };
  take(sizeMax, e.size);
  take(packedMax, e.compressedSize);
  take(offsetMax, e.offset);
}

// The extra fields this reader uses; all others are skipped.
void ReadExtras(const uint8_t* p, size_t size, const std::string& rawName, ArchiveEntry& entry,
                std::string& unicodeName) {
  EntryRecord& e = entry.record;
  const bool sizeMax = e.size == kMax32, packedMax = e.compressedSize == kMax32,
             offsetMax = e.offset == kMax32;
  for (size_t at = 0; at + 4 <= size;) {
    const uint16_t id = Get16(p + at);
    const size_t length = Get16(p + at + 2);
    const uint8_t* data = p + at + 4;
    if (at + 4 + length > size) break;  // a cut field: what came before still counts
    at += 4 + length;
    if (id == 0x0001) {
      ReadZip64Extra(data, length, e, sizeMax, packedMax, offsetMax);
    } else if (id == 0x000a && length >= 32 && Get16(data + 4) == 1 && Get16(data + 6) >= 24) {
      entry.exactModified = Get64(data + 8);
    } else if (id == 0x5455 && length >= 5 && (data[0] & 1) && !entry.exactModified) {
      e.hasUnixTime = true;
      e.unixTime = Get32(data + 1);
    } else if (id == 0x9901 && length >= 7) {
      e.aesVersion = Get16(data);
      entry.aesStrength = data[4];
      e.method = Get16(data + 5);
    } else if (id == 0x7075 && length >= 5 && data[0] == 1 &&
               Get32(data + 1) ==
                   Crc32(0, reinterpret_cast<const uint8_t*>(rawName.data()), rawName.size())) {
      unicodeName.assign(reinterpret_cast<const char*>(data + 5), length - 5);
    }
  }
  if (!entry.exactModified && e.hasUnixTime)
    entry.exactModified = static_cast<uint64_t>(e.unixTime + kUnixEpochSeconds) * 10000000;
}

void SetEncryption(uint16_t flags, uint16_t method, ArchiveEntry& entry) {
  if (!(flags & kFlagEncrypted)) return;
  if (method == kMethodAes && entry.record.aesVersion != 0)
    entry.encryption = Encryption::Aes;
  else if (method == kMethodAes || (flags & kFlagStrongEncryption))
    entry.encryption = Encryption::Other;
  else
    entry.encryption = Encryption::Traditional;
  entry.crcKnown = !(entry.encryption == Encryption::Aes && entry.record.aesVersion == 2);
}

// A name without the UTF-8 flag is code page 437, except from Unix writers: they store the
// system's own encoding, today UTF-8, without saying so.
std::string LegacyName(const std::string& raw, uint8_t host) {
  std::vector<uint32_t> points;
  if (host == 3 && DecodeUtf8(raw, points)) return raw;
  return Cp437ToUtf8(raw);
}

// One central header at `p` (at least kCentralHeaderSize bytes, `size` in all); its length.
size_t ReadCentralHeader(const uint8_t* p, size_t size, ArchiveEntry& entry) {
  if (Get32(p) != 0x02014b50) throw Damaged(Flaw::CentralDirectory);
  const size_t nameSize = Get16(p + 28), extraSize = Get16(p + 30), commentSize = Get16(p + 32);
  const size_t length = kCentralHeaderSize + nameSize + extraSize + commentSize;
  if (length > size) throw Damaged(Flaw::CentralDirectory);
  EntryRecord& e = entry.record;
  entry.host = p[5];
  const uint16_t flags = Get16(p + 8);
  entry.flags = flags;
  const uint16_t method = Get16(p + 10);
  e.method = method;
  e.dosTime = static_cast<uint32_t>(Get16(p + 14)) << 16 | Get16(p + 12);
  e.crc = Get32(p + 16);
  e.compressedSize = Get32(p + 20);
  e.size = Get32(p + 24);
  entry.externalAttributes = Get32(p + 38);
  e.offset = Get32(p + 42);
  const std::string rawName(reinterpret_cast<const char*>(p + kCentralHeaderSize), nameSize);
  std::string unicodeName;
  ReadExtras(p + kCentralHeaderSize + nameSize, extraSize, rawName, entry, unicodeName);
  e.name = (flags & kFlagUtf8)    ? rawName
           : !unicodeName.empty() ? unicodeName
                                  : LegacyName(rawName, entry.host);
  e.attributes = entry.DosAttributes();
  SetEncryption(flags, method, entry);
  return length;
}

}  // namespace

bool ArchiveEntry::IsFolder() const {
  return (!record.name.empty() && (record.name.back() == '/' || record.name.back() == '\\')) ||
         ((externalAttributes & kAttrFolder) && record.size == 0 && host != 3);
}

bool ArchiveEntry::IsLink() const {
  return host == 3 && (externalAttributes >> 16 & 0170000) == 0120000;
}

uint32_t ArchiveEntry::DosAttributes() const { return externalAttributes & 0x07; }

bool ArchiveEntry::Readable() const {
  const bool knownMethod = record.method == kMethodStore || record.method == kMethodDeflate;
  return knownMethod && (encryption == Encryption::None || encryption == Encryption::Traditional ||
                         (encryption == Encryption::Aes && aesStrength == 3));
}

std::string ReadArchiveComment(InputFile& file, uint64_t fileSize) {
  // A short comment, as most are, is found in one small read.
  constexpr size_t kShortTail = 4096;
  if (fileSize > kShortTail)
    if (auto counts = FindEndRecord(file, fileSize, kShortTail, false)) return counts->comment;
  return ReadEndRecords(file, fileSize, false).comment;
}

namespace {

void CheckDirectoryPlace(const Counts& counts, uint64_t fileSize) {
  if (counts.offset > fileSize || counts.size > fileSize - counts.offset ||
      counts.size > kMaxCentralSize)
    throw Damaged(Flaw::CentralDirectory);
}

}  // namespace

ArchiveTail ReadArchiveTail(InputFile& file, uint64_t fileSize) {
  constexpr size_t kShortTail = 4096;
  std::optional<Counts> found;
  if (fileSize > kShortTail) found = FindEndRecord(file, fileSize, kShortTail, true);
  const Counts counts = found ? *found : ReadEndRecords(file, fileSize);
  CheckDirectoryPlace(counts, fileSize);
  ArchiveTail tail{counts.comment, counts.size, static_cast<uint32_t>(crc32(0, nullptr, 0))};
  file.Seek(counts.offset);
  Bytes chunk(static_cast<size_t>(std::min<uint64_t>(counts.size, kChunk)));
  for (uint64_t left = counts.size; left > 0;) {
    const size_t take = static_cast<size_t>(std::min<uint64_t>(left, chunk.size()));
    if (ReadFull(file, chunk.data(), take) != take) throw Damaged(Flaw::TooShort);
    tail.directoryCrc =
        static_cast<uint32_t>(crc32(tail.directoryCrc, chunk.data(), static_cast<uInt>(take)));
    left -= take;
  }
  return tail;
}

std::vector<ArchiveEntry> ReadDirectory(InputFile& file, uint64_t fileSize) {
  const Counts counts = ReadEndRecords(file, fileSize);
  CheckDirectoryPlace(counts, fileSize);
  const Bytes central = ReadAt(file, counts.offset, static_cast<size_t>(counts.size));
  if (central.size() != counts.size) throw Damaged(Flaw::TooShort);
  std::vector<ArchiveEntry> entries;
  size_t at = 0;
  while (entries.size() < counts.entries) {
    if (central.size() - at < kCentralHeaderSize) throw Damaged(Flaw::CentralIncomplete);
    ArchiveEntry entry;
    at += ReadCentralHeader(central.data() + at, central.size() - at, entry);
    entries.push_back(std::move(entry));
  }
  return entries;
}

SequentialReader::SequentialReader(InputFile& file, uint64_t start) : file_(file), done_(start) {
  file.Seek(start);
}

Bytes SequentialReader::Read(size_t size) {
  Bytes data;
  data.reserve(std::min(size, kChunk));
  while (data.size() < size) {
    if (at_ == buffer_.size() && !Refill()) break;
    const size_t take = std::min(size - data.size(), buffer_.size() - at_);
    data.insert(data.end(), buffer_.begin() + static_cast<std::ptrdiff_t>(at_),
                buffer_.begin() + static_cast<std::ptrdiff_t>(at_ + take));
    at_ += take;
  }
  done_ += data.size();
  return data;
}

void SequentialReader::SkipTo(uint64_t position) {
  if (position >= done_ && position - done_ <= buffer_.size() - at_) {
    at_ += static_cast<size_t>(position - done_);
  } else {
    file_.Seek(position);
    buffer_.clear();
    at_ = 0;
  }
  done_ = position;
}

bool SequentialReader::Refill() {
  buffer_.resize(kChunk);
  buffer_.resize(ReadFull(file_, buffer_.data(), buffer_.size()));
  at_ = 0;
  return !buffer_.empty();
}

Inflater::Inflater(bool whole) : out_(kInflated) {
  if (inflateInit2(&stream_, -15) != Z_OK) throw std::bad_alloc();
  if (whole && !(decompressor_ = libdeflate_alloc_decompressor())) {
    inflateEnd(&stream_);
    throw std::bad_alloc();
  }
}

Inflater::~Inflater() {
  inflateEnd(&stream_);
  if (decompressor_) libdeflate_free_decompressor(decompressor_);
}

namespace {

std::atomic<uint64_t> wholeInUse{0};

}  // namespace

bool Inflater::BeginWhole(uint64_t size, uint64_t compressedSize) {
  if (!decompressor_ || size > kWholeInflateLimit || compressedSize > kWholeInflateLimit)
    return false;
  const uint64_t need = size + compressedSize;
  uint64_t used = wholeInUse.load();
  do {
    if (used + need > kWholeInflateBudget) return false;
  } while (!wholeInUse.compare_exchange_weak(used, used + need));
  reserved_ = need;
  return true;
}

void Inflater::EndWhole() {
  wholeInUse -= reserved_;
  reserved_ = 0;
  // A large buffer is not kept for the entries after it.
  if (whole_.size() > kChunk) whole_ = {};
}

Inflater::Whole Inflater::InflateWhole(const Bytes& data, size_t size, const Sink& sink) {
  whole_.resize(size);
  size_t used = 0, made = 0;
  const auto result = libdeflate_deflate_decompress_ex(decompressor_, data.data(), data.size(),
                                                       whole_.data(), size, &used, &made);
  if (result == LIBDEFLATE_INSUFFICIENT_SPACE) return Whole::TooLong;
  if (result != LIBDEFLATE_SUCCESS || used != data.size()) return Whole::Broken;
  // Handed on in steps, so that the CRC reads what the sink just took from the cache.
  for (size_t at = 0; at < made; at += kInflated)
    sink(whole_.data() + at, std::min(kInflated, made - at));
  return Whole::Inflated;
}

void Inflater::Reset() {
  inflateReset(&stream_);
  ended_ = false;
}

bool Inflater::Feed(Bytes& data, const Sink& sink) {
  if (ended_) return data.empty();
  stream_.next_in = data.data();
  stream_.avail_in = static_cast<uInt>(data.size());
  for (;;) {
    stream_.next_out = out_.data();
    stream_.avail_out = static_cast<uInt>(out_.size());
    const int status = inflate(&stream_, Z_NO_FLUSH);
    sink(out_.data(), out_.size() - stream_.avail_out);
    if (status == Z_STREAM_END) {
      ended_ = true;
      return stream_.avail_in == 0;
    }
    if (status == Z_BUF_ERROR && stream_.avail_in == 0) return true;
    if (status != Z_OK) return false;
    if (stream_.avail_in == 0 && stream_.avail_out != 0) return true;
  }
}

void SkipLocalHeader(SequentialReader& in) {
  const Bytes header = in.Read(kLocalHeaderSize);
  if (header.size() != kLocalHeaderSize || Get32(header.data()) != 0x04034b50)
    throw Damaged(Flaw::LocalHeader);
  in.SkipTo(in.Position() + Get16(header.data() + 26) + Get16(header.data() + 28));
}

namespace {

constexpr size_t kTraditionalHeaderSize = 12;

// The old PKWARE stream cipher. Weak; read only so that old archives can still be restored.
class TraditionalCipher {
 public:
  explicit TraditionalCipher(const std::string& password) {
    for (const char c : password) Update(static_cast<uint8_t>(c));
  }
  void Decrypt(uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
      const uint32_t t = (keys_[2] | 2) & 0xFFFF;
      data[i] = static_cast<uint8_t>(data[i] ^ ((t * (t ^ 1)) >> 8));
      Update(data[i]);
    }
  }

 private:
  // One step of the CRC-32 register, without the usual inversions.
  static uint32_t Crc(uint32_t crc, uint8_t byte) { return ~Crc32(~crc, &byte, 1); }
  void Update(uint8_t byte) {
    keys_[0] = Crc(keys_[0], byte);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
    keys_[2] = Crc(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
  }
  uint32_t keys_[3] = {0x12345678u, 0x23456789u, 0x34567890u};
};

// The last header byte repeats the CRC's top byte, or the time's when the CRC comes after the data.
bool TraditionalHeaderFits(TraditionalCipher& cipher, Bytes header, const ArchiveEntry& entry) {
  if (header.size() != kTraditionalHeaderSize) return false;
  cipher.Decrypt(header.data(), header.size());
  const uint32_t check =
      (entry.flags & 0x0008) ? entry.record.dosTime >> 8 : entry.record.crc >> 24;
  return header.back() == static_cast<uint8_t>(check);
}

std::unique_ptr<TraditionalCipher> OpenTraditional(SequentialReader& in, const ArchiveEntry& entry,
                                                   const Secret& secret) {
  if (!secret.password) throw WrongPassword(true);
  auto cipher = std::make_unique<TraditionalCipher>(*secret.password);
  if (!TraditionalHeaderFits(*cipher, in.Read(kTraditionalHeaderSize), entry))
    throw WrongPassword(false);
  return cipher;
}

std::unique_ptr<AesStream> OpenAes(SequentialReader& in, Crypto& crypto, const Secret& secret) {
  const Bytes header = in.Read(kAesHeaderSize);
  if (secret.keys) {
    auto aes = std::make_unique<AesStream>(crypto, *secret.keys);
    if (header != aes->Header()) throw Damaged(Flaw::SaltCheck);
    return aes;
  }
  if (!secret.password) throw WrongPassword(true);
  if (header.size() != kAesHeaderSize) throw Damaged(Flaw::TooShort);
  auto aes =
      std::make_unique<AesStream>(crypto, DeriveAesKeys(crypto, *secret.password, header.data()));
  if (header != aes->Header()) throw WrongPassword(false);
  return aes;
}

}  // namespace

size_t PasswordHeaderSize(const ArchiveEntry& entry) {
  return entry.encryption == Encryption::Traditional ? kTraditionalHeaderSize : kAesHeaderSize;
}

bool PasswordFits(Crypto& crypto, const std::string& password, const ArchiveEntry& entry,
                  const Bytes& header) {
  if (entry.encryption == Encryption::Traditional) {
    TraditionalCipher cipher(password);
    return TraditionalHeaderFits(cipher, header, entry);
  }
  if (header.size() != kAesHeaderSize) return false;
  return AesStream(crypto, DeriveAesKeys(crypto, password, header.data())).Header() == header;
}

namespace {

// An entry's stored data a chunk at a time, decrypted.
class EntryData {
 public:
  EntryData(SequentialReader& in, Crypto& crypto, const ArchiveEntry& entry, const Secret& secret)
      : in_(in), remaining_(entry.record.compressedSize) {
    if (entry.encryption == Encryption::Aes) {
      if (remaining_ < kAesHeaderSize + kAesMacSize) throw Damaged(Flaw::AesFrame);
      aes_ = OpenAes(in, crypto, secret);
      remaining_ -= kAesHeaderSize + kAesMacSize;
    }
    if (entry.encryption == Encryption::Traditional) {
      if (remaining_ < kTraditionalHeaderSize) throw Damaged(Flaw::EncryptionHeader);
      traditional_ = OpenTraditional(in, entry, secret);
      remaining_ -= kTraditionalHeaderSize;
    }
  }
  bool Done() const { return remaining_ == 0; }
  Bytes Next() {
    Bytes chunk = in_.Read(static_cast<size_t>(std::min<uint64_t>(remaining_, kChunk)));
    if (chunk.empty()) throw Damaged(Flaw::TooShort);
    remaining_ -= chunk.size();
    if (aes_) aes_->Decrypt(chunk.data(), chunk.size());
    if (traditional_) traditional_->Decrypt(chunk.data(), chunk.size());
    return chunk;
  }
  // After the data: the MAC that closes an AES entry.
  void CheckTag() {
    if (aes_ && in_.Read(kAesMacSize) != aes_->Tag()) throw Damaged(Flaw::Mac);
  }

 private:
  SequentialReader& in_;
  uint64_t remaining_;
  std::unique_ptr<AesStream> aes_;
  std::unique_ptr<TraditionalCipher> traditional_;
};

void InflateWhole(EntryData& data, Inflater& inflater, size_t size, const Sink& out,
                  const std::function<void(uint64_t)>& progress, const SequentialReader& in) {
  struct Ending {  // whatever stops the entry
    Inflater& inflater;
    ~Ending() { inflater.EndWhole(); }
  } ending{inflater};
  Bytes packed;
  while (!data.Done()) {
    const Bytes chunk = data.Next();
    packed.insert(packed.end(), chunk.begin(), chunk.end());
    if (progress) progress(in.Position());
  }
  switch (inflater.InflateWhole(packed, size, out)) {
    case Inflater::Whole::Inflated: return;
    case Inflater::Whole::TooLong: throw Damaged(Flaw::MoreDataThanSaid);
    case Inflater::Whole::Broken: throw Damaged(Flaw::DeflateData);
  }
}

}  // namespace

void ReadEntryData(SequentialReader& in, Inflater& inflater, Crypto& crypto,
                   const ArchiveEntry& entry, const Secret& secret, const Sink& sink,
                   const std::function<void(uint64_t)>& progress) {
  const EntryRecord& e = entry.record;
  if (!entry.Readable()) throw UnsupportedMethod();
  EntryData data(in, crypto, entry, secret);
  uint32_t crc = 0;
  uint64_t size = 0;
  const Sink out = [&](const uint8_t* bytes, size_t length) {
    // A bomb stops here: nothing past the recorded size reaches the disk.
    if (length > e.size - size) throw Damaged(Flaw::MoreDataThanSaid);
    size += length;
    crc = Crc32(crc, bytes, length);
    if (sink && length > 0) sink(bytes, length);
  };
  inflater.Reset();
  if (e.method == kMethodDeflate && inflater.BeginWhole(e.size, e.compressedSize)) {
    InflateWhole(data, inflater, static_cast<size_t>(e.size), out, progress, in);
  } else {
    while (!data.Done()) {
      Bytes chunk = data.Next();
      if (e.method == kMethodStore)
        out(chunk.data(), chunk.size());
      else if (!inflater.Feed(chunk, out))
        throw Damaged(Flaw::DeflateData);
      if (progress) progress(in.Position());
    }
    if (e.method == kMethodDeflate && !inflater.Ended()) throw Damaged(Flaw::DeflateData);
  }
  data.CheckTag();
  if ((entry.crcKnown && crc != e.crc) || size != e.size) throw Damaged(Flaw::Crc);
}

}  // namespace zip
