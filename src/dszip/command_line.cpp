#include "dszip/command_line.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "core/ascii_case.h"
#include "core/filled.h"
#include "dszip/texts.h"
#include "engine/mask.h"
#include "engine/password.h"

namespace dszip {
namespace {

// The question mark of the long-path prefix "\\?\" is no wildcard.
bool ArchiveHasWildcard(const std::string& archive) {
  return HasWildcard(archive.rfind("\\\\?\\", 0) == 0 ? archive.substr(4) : archive);
}

[[noreturn]] void Refuse(const std::string& message) {
  throw RunError(kExitUsage, message + "\n" + texts::Usage);
}

void ParseLevel(const std::string& code, Options& options) {
  // Letters from fastest to best; digits 0 to 5 from store to best.
  static constexpr struct {
    char code;
    int level;
  } kLevels[] = {{'0', 0}, {'s', 1}, {'f', 3}, {'n', 6}, {'x', 9},
                 {'1', 1}, {'2', 3}, {'3', 6}, {'4', 8}, {'5', 9}};
  if (code.size() == 1)
    for (const auto& entry : kLevels)
      if (entry.code == AsciiLower(code)[0]) {
        options.level = entry.level;
        return;
      }
  Refuse(Filled(texts::BadLevel, {"-m" + code}));
}

struct AttributeSwitches {
  bool ai = false, ao = false, ac = false;
};

void ParseSwitch(const std::string& argument, Options& options, AttributeSwitches& attributes) {
  const std::string lower = AsciiLower(argument);
  if (lower.rfind("-hp", 0) == 0) {
    try {
      options.password = PasswordBytes(argument.substr(3));
    } catch (const RunError& error) {
      Refuse(error.what());
    }
  } else if (lower.rfind("-m", 0) == 0) {
    ParseLevel(argument.substr(2), options);
  } else if (lower == "-ai") {
    attributes.ai = true;
  } else if (lower == "-ao") {
    attributes.ao = true;
  } else if (lower == "-ac") {
    attributes.ac = true;
  } else if (lower == "-r") {
    options.recurse = true;
  } else if (lower == "-r-") {
    options.recurse = false;
  } else {
    Refuse(Filled(texts::UnknownSwitch, {argument}));
  }
}

// The C runtime turns a quoted folder ending in \" into a trailing quote: that is the folder.
std::string SourceFromArgument(const std::string& argument) {
  std::string source = argument;
  if (!source.empty() && source.back() == '"') source.back() = '\\';
  const size_t lastPart = source.find_last_of('\\', source.size() >= 2 ? source.size() - 2 : 0);
  const std::string folderPart = lastPart == std::string::npos ? "" : source.substr(0, lastPart);
  if (source.find('"') != std::string::npos || HasWildcard(folderPart))
    Refuse(Filled(texts::BadSource, {argument}));
  return source;
}

}  // namespace

Options ParseCommandLine(const std::vector<std::string>& arguments) {
  if (arguments.empty()) Refuse(texts::NoCommand);
  const std::string command = AsciiLower(arguments[0]);
  if (command != "a" && command != "m") Refuse(Filled(texts::UnknownCommand, {arguments[0]}));
  Options options;
  options.move = command == "m";
  AttributeSwitches attributes;
  std::vector<std::string> names;
  for (size_t i = 1; i < arguments.size(); ++i) {
    if (IsKeepSwitch(arguments[i])) {
      try {
        options.keep = KeepRules(arguments, i);
      } catch (const RunError& error) {
        Refuse(error.what());
      }
    } else if (arguments[i].size() > 1 && arguments[i][0] == '-') {
      ParseSwitch(arguments[i], options, attributes);
    } else {
      names.push_back(arguments[i]);
    }
  }
  if (attributes.ai && attributes.ao) Refuse(texts::ConflictAiAo);
  if (attributes.ai && attributes.ac) Refuse(texts::ConflictAiAc);
  options.onlyArchived = attributes.ao;
  options.clearArchive = attributes.ac;
  if (names.empty()) Refuse(texts::NoArchive);
  options.archive = names[0];
  if (ArchiveHasWildcard(options.archive))
    Refuse(Filled(texts::WildcardInArchive, {options.archive}));
  const std::string lowerArchive = AsciiLower(options.archive);
  if (lowerArchive.size() < 5 || lowerArchive.substr(lowerArchive.size() - 4) != ".zip")
    Refuse(Filled(texts::NotZip, {options.archive}));
  if (names.size() < 2) Refuse(texts::NoSource);
  for (size_t i = 1; i < names.size(); ++i) options.sources.push_back(SourceFromArgument(names[i]));
  return options;
}

namespace {

constexpr std::string_view kKeepSwitch = "-behalten:";

}  // namespace

bool IsKeepSwitch(const std::string& argument) {
  return AsciiLower(argument).rfind(kKeepSwitch, 0) == 0;
}

std::vector<sets::Rule> KeepRules(const std::vector<std::string>& arguments, size_t& at) {
  std::string rules = arguments[at].substr(kKeepSwitch.size());
  while (!rules.empty() && rules.back() == ',' && at + 1 < arguments.size() &&
         !arguments[at + 1].starts_with('-'))
    rules += " " + arguments[++at];
  return sets::ParseRules(rules);
}

namespace {

[[noreturn]] void RefuseRestore(const std::string& message) {
  throw RunError(kExitUsage, message + "\n" + texts::RestoreUsage);
}

bool EndsWithZip(const std::string& name) {
  const std::string lower = AsciiLower(name);
  return lower.size() >= 5 && lower.compare(lower.size() - 4, 4, ".zip") == 0;
}

// -p and -hp both give the password; refused in the restore's own words.
void ParseRestoreSwitch(const std::string& argument, RestoreOptions& options) {
  const std::string lower = AsciiLower(argument);
  if (lower.rfind("-p", 0) == 0 || lower.rfind("-hp", 0) == 0) {
    const size_t length = lower[1] == 'p' ? 2 : 3;
    if (argument.size() == length)
      RefuseRestore(Filled(texts::RestoreEmptyPassword, {argument, argument}));
    try {
      options.password = TypedPassword(argument.substr(length));
    } catch (const RunError& error) {
      RefuseRestore(error.what());
    }
  } else if (lower == "-o+") {
    options.overwrite = Overwrite::Replace;
  } else if (lower == "-o-") {
    options.overwrite = Overwrite::Skip;
  } else if (lower == "-r" || lower == "-r-") {
    options.recurse = lower == "-r";
  } else if (lower == "-kette") {
    options.chain = true;
  } else {
    RefuseRestore(Filled(texts::UnknownSwitch, {argument}));
  }
}

}  // namespace

// "C:\Ziel\" *.doc reaches us as one argument: the C runtime takes \" for a quote and glues
// what follows, up to the next quote, to the folder. The folder is given back with its "\",
// the names glued to it, separated by blanks, in `glued`.
std::string TargetAsTyped(const std::string& argument, std::vector<std::string>& glued) {
  const size_t quote = argument.find('"');
  if (quote == std::string::npos || quote == 0) return argument;
  for (size_t start = quote + 1; start < argument.size();) {
    const size_t end = std::min(argument.find(' ', start), argument.size());
    if (end > start) glued.push_back(argument.substr(start, end - start));
    start = end + 1;
  }
  return argument.substr(0, quote) + "\\";
}

namespace {

// The restore command a first argument names, if any.
std::optional<RestoreCommand> CommandOf(const std::string& letter) {
  static constexpr struct {
    char letter;
    RestoreCommand command;
  } kCommands[] = {{'x', RestoreCommand::Extract},
                   {'e', RestoreCommand::ExtractFlat},
                   {'t', RestoreCommand::Test},
                   {'l', RestoreCommand::List}};
  for (const auto& entry : kCommands)
    if (letter.size() == 1 && entry.letter == AsciiLower(letter)[0]) return entry.command;
  return std::nullopt;
}

// t <folder>\ takes the folder alone; quoted, it reaches us as E:\Archiv" (see TargetAsTyped).
bool TakeFolderTest(const std::vector<std::string>& names, RestoreOptions& options) {
  std::vector<std::string> glued;
  const std::string folder = TargetAsTyped(names.front(), glued);
  if (options.command != RestoreCommand::Test || !folder.ends_with('\\')) return false;
  for (const std::string& piece : glued)
    if (piece.size() > 1 && piece[0] == '-') ParseRestoreSwitch(piece, options);
  const auto isName = [](const std::string& piece) { return piece.size() < 2 || piece[0] != '-'; };
  if (names.size() > 1 || std::any_of(glued.begin(), glued.end(), isName))
    throw RunError(kExitUsage, std::string(texts::FolderTestNames) + "\n" + texts::FolderTestUsage);
  if (folder.find('"') != std::string::npos) RefuseRestore(Filled(texts::BadTarget, {folder}));
  options.archive = folder;
  options.folderTest = true;
  return true;
}

}  // namespace

bool IsDroppedArchive(const std::vector<std::string>& arguments) {
  return !arguments.empty() && std::all_of(arguments.begin(), arguments.end(), EndsWithZip);
}

bool IsRestoreCommand(const std::vector<std::string>& arguments) {
  if (IsDroppedArchive(arguments)) return true;
  return !arguments.empty() && CommandOf(arguments[0]).has_value();
}

RestoreOptions ParseRestoreCommandLine(const std::vector<std::string>& arguments) {
  RestoreOptions options;
  if (IsDroppedArchive(arguments)) {
    options.archive = arguments[0];
    options.dropped = true;
    return options;
  }
  options.command = CommandOf(arguments.at(0)).value_or(RestoreCommand::Extract);
  std::vector<std::string> names;
  for (size_t i = 1; i < arguments.size(); ++i) {
    if (arguments[i].size() > 1 && arguments[i][0] == '-')
      ParseRestoreSwitch(arguments[i], options);
    else
      names.push_back(arguments[i]);
  }
  if (options.chain && options.command != RestoreCommand::Extract &&
      options.command != RestoreCommand::List)
    RefuseRestore(texts::ChainOnlyForXAndL);
  if (names.empty()) RefuseRestore(texts::NoArchive);
  if (TakeFolderTest(names, options)) return options;
  options.archive = names[0];
  if (ArchiveHasWildcard(options.archive))
    RefuseRestore(Filled(texts::WildcardInArchive, {options.archive}));
  if (!EndsWithZip(options.archive)) RefuseRestore(Filled(texts::RestoreNotZip, {options.archive}));
  std::vector<std::string> masks(names.begin() + 1, names.end());
  if ((options.command == RestoreCommand::Extract ||
       options.command == RestoreCommand::ExtractFlat) &&
      !masks.empty()) {
    std::vector<std::string> glued;
    const std::string target = TargetAsTyped(masks.front(), glued);
    if (!target.empty() && target.back() == '\\') {
      if (target.find('"') != std::string::npos) RefuseRestore(Filled(texts::BadTarget, {target}));
      options.target = target;
      masks.erase(masks.begin());
      masks.insert(masks.begin(), glued.begin(), glued.end());
    }
  }
  options.masks = masks;
  return options;
}

}  // namespace dszip
