#pragma once
// An in-memory file system behind dszip's interface: files, folders, attributes, times and
// identities, with faults on request. Paths compare without regard to case (ASCII and Latin-1
// letters), as on Windows. A folder may have further names (aliases: an 8.3 name, a mapped
// drive, a linked parent), and a file link leads to a file elsewhere, as Wine shows both.
#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <set>

#include "core/ascii_case.h"
#include "engine/file_system.h"
#include "zip/crypto.h"

namespace dszip {

class FakeFileSystem : public FileSystem {
 public:
  struct Node {
    std::string path = {};  // as created, for listing
    std::vector<uint8_t> data = {};
    FileInfo info = {};
    uint64_t zeros = 0;       // instead of data: this many zero bytes, for huge files
    std::string target = {};  // a link to a file: where it leads
  };

  // The key of a path: lower case for ASCII and Latin-1 letters (UTF-8 keeps its length).
  static std::string Key(const std::string& path) {
    std::string key = AsciiLower(path);
    for (size_t i = 0; i + 1 < key.size(); ++i) {
      const auto next = static_cast<unsigned char>(key[i + 1]);
      if (static_cast<unsigned char>(key[i]) == 0xC3 && next >= 0x80 && next <= 0x9E &&
          next != 0x97)
        key[i + 1] = static_cast<char>(next + 0x20);
    }
    return key;
  }

  std::map<std::string, Node> nodes;                       // by lower-case path
  std::set<std::string> unreadable;                        // OpenRead and List fail
  std::set<std::string> locked;                            // Delete and SetAttributes fail
  std::function<void(const std::string&)> afterRead;       // runs when a file was read to its end
  std::function<void(std::vector<uint8_t>&)> beforeClose;  // may damage a written file
  uint64_t writeLimit = UINT64_MAX;                        // the disk is full beyond this
  bool moveFails = false;
  uint64_t clock = 133000000000000000ull;
  std::map<std::string, std::string> aliases;  // by key: another name of a folder -> the folder
  bool noIdentity = false;                     // as some network file systems: no file IDs
  uint64_t nextId = 1;
  std::function<void(const std::string&)> whileRead;  // runs at every read call, before it
  // Restoring writes many files at once; shared so that the fake stays copyable.
  std::shared_ptr<std::recursive_mutex> guard = std::make_shared<std::recursive_mutex>();
  std::unique_lock<std::recursive_mutex> Lock() {
    return std::unique_lock<std::recursive_mutex>(*guard);
  }

  void AddFolder(const std::string& path, uint32_t attributes = kAttrFolder) {
    Put(path,
        {.info = {.attributes = attributes | kAttrFolder, .modified = clock, .changed = clock}});
  }
  void AddFile(const std::string& path, const std::string& content,
               uint32_t attributes = kAttrArchive) {
    Put(path, {.data = {content.begin(), content.end()},
               .info = {.attributes = attributes,
                        .size = content.size(),
                        .modified = clock,
                        .changed = clock}});
  }
  void AddZeros(const std::string& path, uint64_t size) {
    Put(path,
        {.info = {.attributes = kAttrArchive, .size = size, .modified = clock, .changed = clock},
         .zeros = size});
  }
  void AddAlias(const std::string& alias, const std::string& folder) {
    std::string key = Key(alias);
    while (key.size() > 2 && key.back() == '\\') key.pop_back();
    aliases[key] = folder;
  }
  void AddFileLink(const std::string& path, const std::string& target) {
    Put(path, {.target = target});
  }
  // A new node is a new file: it gets an identity of its own.
  void Put(const std::string& path, Node node) {
    const auto lock = Lock();
    node.path = Real(path);
    node.info.id = {1, 0, nextId++};
    nodes[Key(node.path)] = std::move(node);
  }
  // The path with every alias replaced by its folder, without closing backslashes.
  std::string Real(std::string path) const {
    for (int depth = 0; depth < 8; ++depth) {
      while (path.size() > 3 && path.back() == '\\') path.pop_back();
      const std::string key = Key(path);
      const auto at = std::find_if(aliases.begin(), aliases.end(), [&](const auto& alias) {
        return key.rfind(alias.first, 0) == 0 &&
               (key.size() == alias.first.size() || key[alias.first.size()] == '\\');
      });
      if (at == aliases.end()) break;
      path = at->second + path.substr(at->first.size());
    }
    return path;
  }
  // What the path reaches: a link to a file is followed, as a handle follows it under Wine.
  Node* Find(const std::string& path) {
    const auto lock = Lock();
    auto at = nodes.find(Key(Real(path)));
    if (at != nodes.end() && !at->second.target.empty()) at = nodes.find(Key(at->second.target));
    return at == nodes.end() ? nullptr : &at->second;
  }
  bool IsFileLink(const std::string& path) {
    const auto lock = Lock();
    const auto at = nodes.find(Key(Real(path)));
    return at != nodes.end() && !at->second.target.empty();
  }
  std::string Content(const std::string& path) {
    const Node* node = Find(path);
    return node ? std::string(node->data.begin(), node->data.end()) : std::string();
  }
  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (const auto& [key, node] : nodes) paths.push_back(node.path);
    return paths;
  }

  std::string FullPath(const std::string& path) override { return path; }
  std::optional<FileInfo> Stat(const std::string& path) override {
    const auto lock = Lock();
    if (const Node* node = Find(path)) return Listed(node->info);
    // A drive is there when anything lies on it.
    if (path.size() == 3 && path.substr(1) == ":\\")
      for (const auto& [key, node] : nodes)
        if (key.rfind(Key(path), 0) == 0) return FileInfo{.attributes = kAttrFolder};
    return std::nullopt;
  }
  // Listing and Stat give no identity, as on Windows: that takes a handle.
  static FileInfo Listed(FileInfo info) {
    info.id = {};
    return info;
  }
  std::vector<FolderEntry> List(const std::string& folder) override {
    const auto lock = Lock();
    if (unreadable.count(folder)) throw FileError("Zugriff verweigert");
    const std::string real = Real(folder);
    const std::string prefix = Key(real.back() == '\\' ? real : real + "\\");
    std::vector<FolderEntry> entries;
    for (const auto& [key, node] : nodes)
      if (key.rfind(prefix, 0) == 0 && key.size() > prefix.size() &&
          key.find('\\', prefix.size()) == std::string::npos)
        entries.push_back({node.path.substr(prefix.size()), Listed(Find(node.path)->info)});
    return entries;
  }
  std::unique_ptr<InputFile> OpenRead(const std::string& path) override;
  std::unique_ptr<OutputFile> CreateNew(const std::string& path) override;
  void MoveNoReplace(const std::string& from, const std::string& to) override {
    const auto lock = Lock();
    if (Find(to)) throw FileError("existiert bereits", FileError::Exists);
    if (moveFails) throw FileError("Zugriff verweigert");
    Node node = *Find(from);
    nodes.erase(Key(Real(from)));
    node.path = Real(to);
    nodes[Key(node.path)] = node;
  }
  void Delete(const std::string& path) override {
    const auto lock = Lock();
    if (locked.count(path)) throw FileError("Zugriff verweigert");
    if (const Node* node = Find(path);
        node && (node->info.attributes & kAttrReadOnly))  // as on Windows
      throw FileError("Zugriff verweigert");
    if (!nodes.erase(Key(Real(path)))) throw FileError("nicht gefunden", FileError::NotFound);
  }
  void SetAttributes(const std::string& path, uint32_t attributes) override {
    const auto lock = Lock();
    if (locked.count(path)) throw FileError("Zugriff verweigert");
    Find(path)->info.attributes = attributes;
  }
  void AppendText(const std::string& path, const std::string& text) override {
    Node* node = Find(path);
    if (!node) {
      AddFile(path, "", 0);
      node = Find(path);
    }
    node->data.insert(node->data.end(), text.begin(), text.end());
    node->info.size = node->data.size();
  }
  CivilTime ToLocalTime(uint64_t ticks) override {
    const int64_t seconds = static_cast<int64_t>(ticks / 10000000) - 11644473600LL;
    const int64_t days = seconds / 86400, rest = seconds % 86400;
    // Days since 1970 to a civil date (proleptic Gregorian).
    const int64_t z = days + 719468, era = z / 146097, doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return {year,
            month,
            static_cast<int>(doy - (153 * mp + 2) / 5 + 1),
            static_cast<int>(rest / 3600),
            static_cast<int>(rest / 60 % 60),
            static_cast<int>(rest % 60)};
  }
  uint64_t Now() override { return clock; }

  // Faithful copies and safe deletes.
  std::function<void(const std::string&)> beforeOpen;  // runs as a file is opened for reading
  void DeleteIfUnchanged(const std::string& path, const FileInfo& read) override {
    const auto lock = Lock();
    CheckUnchanged(path, read);
    nodes.erase(Key(Find(path)->path));  // through a link, its target: as a handle under Wine
  }
  void ClearArchiveIfUnchanged(const std::string& path, const FileInfo& read) override {
    const auto lock = Lock();
    CheckUnchanged(path, read);
    Find(path)->info.attributes &= ~kAttrArchive;
  }
  void CheckUnchanged(const std::string& path, const FileInfo& read) {
    if (locked.count(path)) throw FileError("Zugriff verweigert");
    const Node* node = Find(path);
    if (!node) throw FileError("nicht gefunden", FileError::NotFound);
    if (!SameFileUnchanged(Opened(path), read)) throw FileError("seit dem Lesen verändert");
  }
  // What a handle tells of the file it reached.
  FileInfo Opened(const std::string& path) {
    FileInfo info = Find(path)->info;
    if (noIdentity) info.id = {};
    info.linked = IsFileLink(path);
    return info;
  }
  FileId FolderIdentity(const std::string& path) override {
    const Node* node = Find(path);
    return node && node->info.IsFolder() && !noIdentity ? node->info.id : FileId{};
  }
  bool SamePathText(const std::string& a, const std::string& b) override {
    return Key(a) == Key(b);
  }

  // --- the run's frame: the target folder and what killed runs left in it
  unsigned long processId = 4242;
  std::set<unsigned long> liveProcesses;
  unsigned long ProcessId() override { return processId; }
  std::string computerName = "BUERO1";
  std::string ComputerName() override { return computerName; }
  bool ProcessEnded(unsigned long id) override { return liveProcesses.count(id) == 0; }

  // Restoring. Local time is UTC here.
  void CreateFolder(const std::string& path) override {
    const auto lock = Lock();
    if (Find(path)) throw FileError("existiert bereits", FileError::Exists);
    const std::string parent = path.substr(0, path.find_last_of('\\'));
    if (parent.size() > 2 && !Find(parent))  // a drive's root is always there
      throw FileError("nicht gefunden", FileError::NotFound);
    AddFolder(path);
  }
  void SetModified(const std::string& path, uint64_t ticks) override {
    const auto lock = Lock();
    Find(path)->info.modified = ticks;
  }
  void MoveReplace(const std::string& from, const std::string& to) override {
    const auto lock = Lock();
    if (moveFails) throw FileError("Zugriff verweigert");
    if (const Node* old = Find(to); old && (old->info.attributes & kAttrReadOnly))  // as on Windows
      throw FileError("Zugriff verweigert");
    Node node = *Find(from);
    nodes.erase(Key(Real(from)));
    node.path = Real(to);
    nodes[Key(node.path)] = node;
  }
  uint64_t FromLocalTime(const CivilTime& t) override {
    const int y = t.year - (t.month <= 2 ? 1 : 0), era = y / 400, yoe = y - era * 400;
    const int doy = (153 * (t.month + (t.month > 2 ? -3 : 9)) + 2) / 5 + t.day - 1;
    const int64_t days = int64_t{era} * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
    return static_cast<uint64_t>(days * 86400 + t.hour * 3600 + t.minute * 60 + t.second +
                                 11644473600LL) *
           10000000;
  }
};

class FakeInput : public InputFile {
 public:
  FakeInput(FakeFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
  size_t Read(uint8_t* buffer, size_t size) override {
    if (fs_.whileRead) fs_.whileRead(path_);
    const auto lock = fs_.Lock();
    const auto* node = fs_.Find(path_);
    const uint64_t length = node->zeros ? node->zeros : node->data.size();
    const auto take =
        static_cast<size_t>(std::min<uint64_t>(size, length - std::min<uint64_t>(length, at_)));
    if (take && node->zeros) std::memset(buffer, 0, take);
    if (take && !node->zeros) std::memcpy(buffer, node->data.data() + at_, take);
    at_ += take;
    if (at_ >= length && !ended_ && fs_.afterRead) {
      ended_ = true;
      fs_.afterRead(path_);
    }
    return take;
  }
  void Seek(uint64_t offset) override { at_ = offset; }
  FileInfo Info() override {
    FileInfo info = fs_.Opened(path_);
    info.id = {};
    return info;
  }
  FileId Identity() override { return fs_.Opened(path_).id; }

 private:
  FakeFileSystem& fs_;
  std::string path_;
  uint64_t at_ = 0;
  bool ended_ = false;
};

class FakeOutput : public OutputFile {
 public:
  FakeOutput(FakeFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
  void Write(const uint8_t* data, size_t size) override { WriteAt(Data().size(), data, size); }
  void WriteAt(uint64_t offset, const uint8_t* data, size_t size) override {
    const auto lock = fs_.Lock();
    auto& bytes = Data();
    if (offset + size > fs_.writeLimit) throw FileError("Datenträger voll", FileError::DiskFull);
    if (bytes.size() < offset + size) bytes.resize(offset + size);
    std::memcpy(bytes.data() + offset, data, size);
    fs_.Find(path_)->info.size = bytes.size();
  }
  void Truncate(uint64_t size) override { Data().resize(size); }
  void Flush() override {}
  void Close() override {
    if (fs_.beforeClose) fs_.beforeClose(Data());
  }
  void SetModified(uint64_t ticks) override {
    const auto lock = fs_.Lock();
    fs_.Find(path_)->info.modified = ticks;
  }

  // Restoring fast.
  void SetModifiedAndAttributes(uint64_t ticks, uint32_t attributes) override {
    const auto lock = fs_.Lock();
    SetModified(ticks);
    if (attributes != 0) fs_.Find(path_)->info.attributes = attributes;
  }
  void Rename(const std::string& path, bool replace) override {
    const auto lock = fs_.Lock();
    if (!replace && fs_.Find(path)) throw FileError("existiert bereits", FileError::Exists);
    if (replace)
      fs_.MoveReplace(path_, path);
    else
      fs_.MoveNoReplace(path_, path);
    path_ = path;
  }

 private:
  std::vector<uint8_t>& Data() { return fs_.Find(path_)->data; }
  FakeFileSystem& fs_;
  std::string path_;
};

inline std::unique_ptr<InputFile> FakeFileSystem::OpenRead(const std::string& path) {
  if (beforeOpen) beforeOpen(path);
  if (unreadable.count(path)) throw FileError("von einem anderen Programm gesperrt");
  if (!Find(path)) throw FileError("nicht gefunden", FileError::NotFound);
  return std::make_unique<FakeInput>(*this, path);
}

inline std::unique_ptr<OutputFile> FakeFileSystem::CreateNew(const std::string& path) {
  const auto lock = Lock();
  if (Find(path)) throw FileError("existiert bereits", FileError::Exists);
  const std::string folder = path.substr(0, path.find_last_of('\\'));
  if (!Find(folder)) throw FileError("nicht gefunden", FileError::NotFound);
  AddFile(path, "", 0);
  return std::make_unique<FakeOutput>(*this, path);
}

}  // namespace dszip
