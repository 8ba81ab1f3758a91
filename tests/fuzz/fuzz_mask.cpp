// dszip's mask matcher against a plain dynamic-programming model, for ASCII names and masks
// (the matcher works on code points, so for other text only that it ends is checked); and the
// restore masks over stored paths, against that matcher.
//
// Input: name 0x01 mask.

#include <string>
#include <vector>

#include "engine/mask.h"
#include "fuzz_support.h"

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

bool Glob(const std::string& name, const std::string& mask) {
  // reach[i][j]: the first i characters of the name match the first j of the mask.
  std::vector<std::vector<bool>> reach(name.size() + 1, std::vector<bool>(mask.size() + 1, false));
  reach[0][0] = true;
  for (size_t j = 1; j <= mask.size(); ++j) reach[0][j] = reach[0][j - 1] && mask[j - 1] == '*';
  for (size_t i = 1; i <= name.size(); ++i)
    for (size_t j = 1; j <= mask.size(); ++j) {
      const char m = mask[j - 1];
      reach[i][j] = m == '*' ? reach[i - 1][j] || reach[i][j - 1]
                             : reach[i - 1][j - 1] && (m == '?' || Upper(m) == Upper(name[i - 1]));
    }
  return reach[name.size()][mask.size()];
}

bool Model(const std::string& name, std::string mask) {
  if (mask == "*.*") mask = "*";
  if (Glob(name, mask)) return true;
  return mask.size() >= 2 && mask.compare(mask.size() - 2, 2, ".*") == 0 &&
         name.find('.') == std::string::npos && Glob(name, mask.substr(0, mask.size() - 2));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 400) return 0;  // the model is quadratic
  Fields fields(data, size);
  const std::string name = fields.Next();
  const std::string mask = fields.Rest();
  const bool matches = dszip::MatchesMask(name, mask);
  if (Ascii(name) && Ascii(mask)) FUZZ_CHECK(matches == Model(name, mask));
  // Restore masks over stored paths: -r- never takes more than -r, and a name and mask of
  // one level match as file names do.
  for (const bool isFolder : {false, true}) {
    const bool flat = dszip::SelectsStoredPath(name, isFolder, mask, false);
    FUZZ_CHECK(!flat || dszip::SelectsStoredPath(name, isFolder, mask, true));
  }
  const auto oneLevel = [](const std::string& text) {
    return !text.empty() && text != "." && text.find_first_of("/\\") == std::string::npos;
  };
  if (oneLevel(name) && oneLevel(mask))
    FUZZ_CHECK(dszip::SelectsStoredPath(name, false, mask, false) == matches);
  return 0;
}
