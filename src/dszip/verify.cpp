// Reading the finished archive back before it may take its final name.
#include <zlib.h>

#include "dszip/aes_zip.h"
#include "dszip/archive_writer.h"
#include "dszip/command_line.h"
#include "dszip/text.h"
#include "dszip/texts.h"

namespace dszip {
namespace {

constexpr size_t kChunk = 1 << 20;

[[noreturn]] void Fail(const std::string& name, const std::string& what) {
  throw RunError(kExitFatal, Format(texts::VerifyFailed, name, what));
}

// Reads through a large buffer: few platform calls however small the records are.
class SequentialReader {
 public:
  explicit SequentialReader(InputFile& file) : file_(file) {}

  Bytes Read(size_t size) {
    Bytes data;
    data.reserve(size);
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
  uint64_t done() const { return done_; }

 private:
  bool Refill() {
    buffer_.resize(kChunk);
    size_t filled = 0;
    for (size_t got = 1; got > 0 && filled < buffer_.size(); filled += got)
      got = file_.Read(buffer_.data() + filled, buffer_.size() - filled);
    buffer_.resize(filled);
    at_ = 0;
    return filled > 0;
  }

  InputFile& file_;
  Bytes buffer_;
  size_t at_ = 0;
  uint64_t done_ = 0;
};

class Inflater {
 public:
  Inflater() {
    if (inflateInit2(&stream_, -15) != Z_OK) throw std::bad_alloc();
  }
  ~Inflater() { inflateEnd(&stream_); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  // Inflates `data`, adding what comes out to the CRC and the size; false on broken data or
  // on data after the end of the stream.
  void Reset() {
    inflateReset(&stream_);
    ended_ = false;
  }

  bool Feed(Bytes& data, uint32_t& crc, uint64_t& size) {
    if (ended_) return data.empty();
    stream_.next_in = data.data();
    stream_.avail_in = static_cast<uInt>(data.size());
    for (;;) {
      stream_.next_out = out_.data();
      stream_.avail_out = static_cast<uInt>(out_.size());
      const int status = inflate(&stream_, Z_NO_FLUSH);
      const size_t produced = out_.size() - stream_.avail_out;
      crc = static_cast<uint32_t>(crc32(crc, out_.data(), static_cast<uInt>(produced)));
      size += produced;
      if (status == Z_STREAM_END) {
        ended_ = true;
        return stream_.avail_in == 0;
      }
      if (status == Z_BUF_ERROR && stream_.avail_in == 0) return true;
      if (status != Z_OK) return false;
      if (stream_.avail_in == 0 && stream_.avail_out != 0) return true;
    }
  }
  bool ended() const { return ended_; }

 private:
  z_stream stream_{};
  Bytes out_ = Bytes(kChunk);
  bool ended_ = false;
};

void VerifyData(SequentialReader& in, Inflater& inflater, Crypto& crypto, const WrittenEntry& entry,
                const std::function<void(uint64_t)>& progress) {
  const EntryRecord& e = entry.record;
  uint64_t remaining = e.compressedSize;
  std::unique_ptr<AesStream> aes;
  if (e.aesVersion != 0) {
    if (remaining < kAesHeaderSize + kAesMacSize) Fail(e.name, "AES-Rahmen");
    // The same salt with the same password gives the same keys: those made when writing.
    aes = std::make_unique<AesStream>(crypto, entry.aes);
    if (in.Read(kAesHeaderSize) != aes->Header()) Fail(e.name, "Salz und Kennwortprüfwert");
    remaining -= kAesHeaderSize + kAesMacSize;
  }
  uint32_t crc = 0;
  uint64_t size = 0;
  inflater.Reset();
  while (remaining > 0) {
    Bytes chunk = in.Read(static_cast<size_t>(std::min<uint64_t>(remaining, kChunk)));
    if (chunk.empty()) Fail(e.name, "Archiv zu kurz");
    remaining -= chunk.size();
    if (aes) aes->Decrypt(chunk.data(), chunk.size());
    if (e.method == kMethodStore) {
      crc = static_cast<uint32_t>(crc32(crc, chunk.data(), static_cast<uInt>(chunk.size())));
      size += chunk.size();
    } else if (!inflater.Feed(chunk, crc, size)) {
      Fail(e.name, "Deflate-Daten");
    }
    if (progress) progress(in.done());
  }
  if (e.method == kMethodDeflate && !inflater.ended()) Fail(e.name, "Deflate-Daten");
  if (aes && in.Read(kAesMacSize) != aes->Tag()) Fail(e.name, "MAC");
  if (crc != e.crc || size != e.size) Fail(e.name, "CRC");
}

}  // namespace

void VerifyArchive(FileSystem& fs, Crypto& crypto, const std::string& path,
                   const std::vector<WrittenEntry>& entries,
                   const std::function<void(uint64_t)>& progress) {
  std::unique_ptr<InputFile> file;
  try {
    file = fs.OpenRead(path);
  } catch (const FileError& error) {
    Fail(path, error.what());
  }
  SequentialReader in(*file);
  Inflater inflater;
  for (const WrittenEntry& entry : entries) {
    const Bytes header = LocalHeader(entry.record);
    if (in.done() != entry.record.offset || in.Read(header.size()) != header)
      Fail(entry.record.name, "lokaler Kopf");
    VerifyData(in, inflater, crypto, entry, progress);
  }
  const uint64_t centralStart = in.done();
  uint64_t centralSize = 0;
  for (const WrittenEntry& entry : entries) {
    const Bytes header = CentralHeader(entry.record);
    if (in.Read(header.size()) != header) Fail(entry.record.name, "zentrales Verzeichnis");
    centralSize += header.size();
  }
  const Bytes end = EndRecords(entries.size(), centralStart, centralSize);
  if (in.Read(end.size()) != end || !in.Read(1).empty()) Fail(path, "Endsatz");
}

}  // namespace dszip
