#include "engine/mask.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace dszip {
namespace {

// Code points of UTF-8 text; a byte that does not start a valid sequence stands for itself.
std::vector<char32_t> CodePoints(std::string_view text) {
  std::vector<char32_t> points;
  points.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<uint8_t>(text[i]);
    const size_t length = lead < 0x80         ? 1
                          : (lead >> 5) == 6  ? 2
                          : (lead >> 4) == 14 ? 3
                          : (lead >> 3) == 30 ? 4
                                              : 0;
    bool valid = length > 0 && i + length <= text.size();
    char32_t point = length == 1   ? lead
                     : length == 2 ? (lead & 0x1Fu)
                     : length == 3 ? (lead & 0x0Fu)
                                   : (lead & 0x07u);
    for (size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<uint8_t>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      point = (point << 6) | (next & 0x3Fu);
    }
    if (!valid) {
      points.push_back(lead);
      ++i;
      continue;
    }
    points.push_back(point);
    i += length;
  }
  return points;
}

// Upper case for ASCII and Latin-1, which covers the German letters.
char32_t Fold(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  return c;
}

// Glob matching with one backtrack point: linear in practice, never recursive.
bool Glob(const std::vector<char32_t>& name, const std::vector<char32_t>& mask) {
  size_t n = 0, m = 0, starMask = SIZE_MAX, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || (mask[m] != '*' && Fold(mask[m]) == Fold(name[n])))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (starMask != SIZE_MAX) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace

bool HasWildcard(std::string_view text) {
  return text.find_first_of("*?") != std::string_view::npos;
}

bool MatchesMask(std::string_view name, std::string_view mask) {
  if (mask == "*.*") mask = "*";
  const auto points = CodePoints(name);
  if (Glob(points, CodePoints(mask))) return true;
  const bool anyExtension = mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*";
  return anyExtension && name.find('.') == std::string_view::npos &&
         Glob(points, CodePoints(mask.substr(0, mask.size() - 2)));
}

namespace {

// The parts of a path; "." parts, as some writers begin their names, say nothing.
std::vector<std::string_view> PathParts(std::string_view path) {
  std::vector<std::string_view> parts;
  while (!path.empty() && (path.back() == '/' || path.back() == '\\')) path.remove_suffix(1);
  for (size_t start = 0; start < path.size();) {
    const size_t end = std::min(path.find_first_of("/\\", start), path.size());
    if (path.substr(start, end - start) != ".") parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

}  // namespace

bool SelectsStoredPath(std::string_view path, bool isFolder, std::string_view mask, bool recurse) {
  const auto names = PathParts(path);
  auto folders = PathParts(mask);
  if (folders.empty() || names.size() < folders.size()) return false;
  const std::string_view last = folders.back();
  folders.pop_back();
  for (size_t i = 0; i < folders.size(); ++i)
    if (!MatchesMask(names[i], folders[i])) return false;
  const size_t depth = names.size() - folders.size();  // 1: directly in the mask's folder
  if (!isFolder && (recurse || depth == 1) && MatchesMask(names.back(), last)) return true;
  if (HasWildcard(last))  // empty folders come with a mask that takes every name, as for a
    return isFolder && recurse && (last == "*" || last == "*.*");
  // A named folder: everything in it, or with -r- the folder and the files directly in it.
  if (!recurse)
    return MatchesMask(names[folders.size()], last) && (isFolder ? depth == 1 : depth == 2);
  for (size_t i = folders.size(); i < names.size(); ++i)
    if (MatchesMask(names[i], last) && (i + 1 < names.size() || isFolder)) return true;
  return false;
}

}  // namespace dszip
