// Which libdeflate level matches each zlib level the compression codes name: compresses the
// files under the folders given the way dszip cuts them (pieces of up to 1 MiB, a file that
// does not shrink stored) with zlib as dszip used it (each piece primed with the 32 KiB before
// it, level 6 with its shorter search) and with libdeflate at every level, and prints each
// one's total size and its processor time. Prints figures; judges nothing.
//   deflate_levels FOLDER... [-levels 1,3,6,8,9] [-libdeflate 1-9] [-piece 1]
#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

size_t kPiece = 1 << 20;  // -piece: its size in MiB
constexpr size_t kDictionary = 32 * 1024;
using Bytes = std::vector<unsigned char>;

struct Config {
  std::string name;
  bool zlib;
  int level;
  double seconds = 0;
  unsigned long long bytes = 0;
};

size_t ZlibPieces(const Bytes& data, int level) {
  z_stream s{};
  deflateInit2(&s, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&s, kPiece) + 64);
  size_t total = 0;
  for (size_t at = 0; at < data.size() || at == 0; at += kPiece) {
    const size_t size = std::min(kPiece, data.size() - at);
    const bool last = at + size >= data.size();
    deflateReset(&s);
    if (level == 6) deflateTune(&s, 4, 16, 128, 96);
    if (at > 0) deflateSetDictionary(&s, data.data() + at - kDictionary, kDictionary);
    s.next_in = const_cast<unsigned char*>(data.data() + at);
    s.avail_in = static_cast<uInt>(size);
    s.next_out = out.data();
    s.avail_out = static_cast<uInt>(out.size());
    deflate(&s, last ? Z_FINISH : Z_SYNC_FLUSH);
    total += out.size() - s.avail_out;
    if (last) break;
  }
  deflateEnd(&s);
  return total;
}

size_t LibdeflatePieces(libdeflate_compressor* c, const Bytes& data) {
  static Bytes out;
  out.resize(libdeflate_deflate_compress_bound(nullptr, kPiece));
  size_t total = 0;
  for (size_t at = 0; at < data.size() || at == 0; at += kPiece) {
    const size_t size = std::min(kPiece, data.size() - at);
    // A joined piece ends in an empty stored block: five bytes at most.
    total += libdeflate_deflate_compress(c, data.data() + at, size, out.data(), out.size()) +
             (at + size < data.size() ? 5 : 0);
    if (at + size >= data.size()) break;
  }
  return total;
}

void Measure(Config& config, const Bytes& data, libdeflate_compressor* c) {
  // Processor time, not wall time: the figures hold on a busy machine too.
  const std::clock_t start = std::clock();
  size_t size = config.zlib ? ZlibPieces(data, config.level) : LibdeflatePieces(c, data);
  config.seconds += static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  if (size >= data.size() - data.size() / 100) size = data.size();  // stored
  config.bytes += size;
}

std::vector<int> Levels(const std::string& list) {
  std::vector<int> levels;
  for (size_t at = 0; at < list.size();) {
    const size_t end = std::min(list.find(',', at), list.size());
    const std::string item = list.substr(at, end - at);
    const size_t dash = item.find('-');
    const int first = std::stoi(item),
              last = dash == std::string::npos ? first : std::stoi(item.substr(dash + 1));
    for (int level = first; level <= last; ++level) levels.push_back(level);
    at = end + 1;
  }
  return levels;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> folders;
  std::string zlibLevels = "1,3,6,8,9", libdeflateLevels = "1-9";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-levels" && i + 1 < argc)
      zlibLevels = argv[++i];
    else if (arg == "-libdeflate" && i + 1 < argc)
      libdeflateLevels = argv[++i];
    else if (arg == "-piece" && i + 1 < argc)
      kPiece = std::stoul(argv[++i]) << 20;
    else
      folders.push_back(arg);
  }
  for (const std::string& folder : folders) {
    std::vector<Config> configs;
    for (int level : Levels(zlibLevels))
      configs.push_back({"zlib " + std::to_string(level), true, level});
    std::vector<libdeflate_compressor*> compressors;
    for (int level : Levels(libdeflateLevels)) {
      configs.push_back({"libdeflate " + std::to_string(level), false, level});
      compressors.push_back(libdeflate_alloc_compressor(level));
    }
    unsigned long long input = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      if (!entry.is_regular_file()) continue;
      std::ifstream file(entry.path(), std::ios::binary);
      const Bytes data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
      input += data.size();
      for (size_t k = 0, d = 0; k < configs.size(); ++k)
        Measure(configs[k], data, configs[k].zlib ? nullptr : compressors[d++]);
    }
    const double megabytes = static_cast<double>(input) / 1e6;
    std::printf("%s: %.1f MB\n%-14s %14s %9s %9s\n", folder.c_str(), megabytes, "compressor",
                "bytes", "seconds", "MB/s");
    for (const Config& config : configs)
      std::printf("%-14s %14llu %9.2f %9.1f\n", config.name.c_str(), config.bytes, config.seconds,
                  megabytes / config.seconds);
    for (auto* c : compressors) libdeflate_free_compressor(c);
  }
}
