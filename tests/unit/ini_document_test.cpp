#include "settings/ini_document.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>

#include "core/error.h"

namespace {

using std::string_literals::operator""s;

// Readable test names from the cases' descriptions.
template <typename Case>
std::string CaseName(const testing::TestParamInfo<Case>& info) {
  std::string name = std::to_string(info.index) + "_";
  for (const char c : std::string(info.param.what))
    name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

struct ReadCase {
  const char* what;
  std::string file;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

const ReadCase kReadCases[] = {
    {"names in any case", "[MySec]\r\nMyKey=v\r\n", "mysec", "MYKEY", "v"},
    {"outer blanks go, inner stay", "  [ MySec ]  \r\n   My Key   =   a  b   \r\n", "MySec",
     "My Key", "a  b"},
    {"tabs trimmed too", "[S]\r\n\tK\t=\tv\t\r\n", "S", "K", "v"},
    {"asked names trimmed", "[S]\r\nK=v\r\n", " S ", "\tK ", "v"},
    {"double quotes removed", "[S]\r\nK=\"v\"\r\n", "S", "K", "v"},
    {"single quotes removed", "[S]\r\nK='v'\r\n", "S", "K", "v"},
    {"blanks inside quotes kept", "[S]\r\nK=\" v \"\r\n", "S", "K", " v "},
    {"only one pair removed", "[S]\r\nK=\"\"v\"\"\r\n", "S", "K", "\"v\""},
    {"unmatched quotes kept", "[S]\r\nK=\"v'\r\n", "S", "K", "\"v'"},
    {"a lone quote kept", "[S]\r\nK=\"\r\n", "S", "K", "\""},
    {"empty quotes", "[S]\r\nK=\"\"\r\n", "S", "K", ""},
    {"no = is no value", "[S]\r\nK\r\n", "S", "K", std::nullopt},
    {"a line without = hides a later key", "[S]\r\nK\r\nK=1\r\n", "S", "K", std::nullopt},
    {"; starts no comment", "[S]\r\n;K=v\r\n", "S", ";K", "v"},
    {"; hides nothing after it", "[S]\r\n;K=v\r\n", "S", "K", std::nullopt},
    {"# starts no comment", "[S]\r\n#K=v\r\n", "S", "#K", "v"},
    {"no inline comments", "[S]\r\nK=v ; c\r\n", "S", "K", "v ; c"},
    {"first section of a name", "[S]\r\nA=1\r\n[T]\r\n[s]\r\nA=2\r\nB=3\r\n", "S", "A", "1"},
    {"later same-named section unseen", "[S]\r\nA=1\r\n[s]\r\nB=3\r\n", "S", "B", std::nullopt},
    {"first key wins", "[S]\r\nA=1\r\na=2\r\n", "S", "A", "1"},
    {"split at first =", "[S]\r\nA=b=c\r\n", "S", "A", "b=c"},
    {"empty value is no default", "[S]\r\nA=\r\n", "S", "A", ""},
    {"missing section", "[S]\r\nA=1\r\n", "T", "A", std::nullopt},
    {"keys before any section", "A=1\r\n[S]\r\n", "S", "A", std::nullopt},
    {"LF line ends", "[S]\nA=1\nB=2\n", "S", "B", "2"},
    {"CR line ends", "[S]\rA=1\rB=2\r", "S", "B", "2"},
    {"no final line break", "[S]\r\nA=1\r\nB=2", "S", "B", "2"},
    {"no CR left in values", "[S]\r\nA=1\r\n", "S", "A", "1"},
    {"UTF-8 mark before the first section", "\xEF\xBB\xBF[S]\r\nA=1\r\n", "S", "A", "1"},
    {"name runs to the last ]", "[a]b]\r\nK=v\r\n", "a]b", "K", "v"},
    {"text after ] ignored", "[S] ; note\r\nK=v\r\n", "S", "K", "v"},
    {"[ without ] is a key line", "[S]\r\n[a=1\r\n", "S", "[a", "1"},
    {"NUL ends the value", "[S]\r\nA=ab\0cd\r\n"s, "S", "A", "ab"},
    {"Ctrl-Z trimmed", "[S]\r\nA=1\x1A", "S", "A", "1"},
    {"NBSP kept", "[S]\r\nA=\xA0v\xA0\r\n", "S", "A", "\xA0v\xA0"},
    {"umlauts are bytes", "[S]\r\nA=Sp\xE4ter\r\n", "S", "A", "Sp\xE4ter"},
    {"empty file", "", "S", "A", std::nullopt},
};

class IniRead : public testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, AnswersLikeThePlatform) {
  const ReadCase& c = GetParam();
  EXPECT_EQ(IniDocument(c.file).Get(c.section, c.key), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Files, IniRead, testing::ValuesIn(kReadCases), CaseName<ReadCase>);

TEST(IniReadLimits, LongValuesAreCutAndLongLinesReadWhole) {
  const std::string value(3000, 'x');
  const IniDocument document("[S]\r\nA=" + value + "\r\nB=" + std::string(70000, 'y') +
                             "\r\nC=after\r\n");
  EXPECT_EQ(document.Get("S", "A"), value.substr(0, 2047));
  EXPECT_EQ(document.Get("S", "B")->size(), 2047u);
  EXPECT_EQ(document.Get("S", "C"), "after");
}

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.what; }

struct WriteCase {
  const char* what;
  std::string before;
  const char* section;
  const char* key;
  const char* value;
  std::string after;
};

const WriteCase kWriteCases[] = {
    {"new file", "", "S", "K", "v", "[S]\r\nK=v\r\n"},
    {"new section at the end", "[A]\r\nX=1\r\n", "S", "K", "v", "[A]\r\nX=1\r\n[S]\r\nK=v\r\n"},
    {"line break added before a new section", "junk \x01 bytes", "S", "K", "v",
     "junk \x01 bytes\r\n[S]\r\nK=v\r\n"},
    {"LF-only file keeps its LF", "[A]\nX=1\n", "S", "K", "v", "[A]\nX=1\n[S]\r\nK=v\r\n"},
    {"file's spelling kept", "[Sec]\r\nKey = old\r\n", "SEC", "KEY", "new", "[Sec]\r\nKey=new\r\n"},
    {"line's own line break kept", "[S]\nK=old\nL=1\n", "S", "K", "new", "[S]\nK=new\nL=1\n"},
    {"last line without break", "[S]\r\nK=old", "S", "K", "new", "[S]\r\nK=new"},
    {"new key after the section's last filled line",
     "[A]\r\nX=1\r\n;note\r\n\r\n\r\n[B]\r\nY=2\r\n", "a", "Z", "3",
     "[A]\r\nX=1\r\n;note\r\nZ=3\r\n\r\n\r\n[B]\r\nY=2\r\n"},
    {"new key in an empty section", "[A]\r\n\r\n[B]\r\n", "A", "K", "v",
     "[A]\r\nK=v\r\n\r\n[B]\r\n"},
    {"new key after a last line without break", "[S]\r\nA=1", "S", "K", "v",
     "[S]\r\nA=1\r\nK=v\r\n"},
    {"first duplicate updated", "[S]\r\nA=1\r\n[S]\r\nA=2\r\n", "S", "A", "9",
     "[S]\r\nA=9\r\n[S]\r\nA=2\r\n"},
    {"first duplicate key updated", "[S]\r\nA=1\r\nA=2\r\n", "S", "A", "9",
     "[S]\r\nA=9\r\nA=2\r\n"},
    {"comments and blank lines kept", "; top\r\n\r\n[S]\r\n# c\r\nA = 1 \r\n", "S", "A", "2",
     "; top\r\n\r\n[S]\r\n# c\r\nA=2\r\n"},
    {"keys before any section stay put", "A=0\r\n[S]\r\nB=1\r\n", "S", "A", "1",
     "A=0\r\n[S]\r\nB=1\r\nA=1\r\n"},
    {"a line without = gets the value", "[S]\r\n K \r\nK=1\r\n", "S", "k", "v",
     "[S]\r\nK=v\r\nK=1\r\n"},
    {"UTF-8 mark kept", "\xEF\xBB\xBF[S]\r\nA=1\r\n", "S", "A", "2", "\xEF\xBB\xBF[S]\r\nA=2\r\n"},
    {"outer blanks quoted", "", "S", "K", " v ", "[S]\r\nK=\" v \"\r\n"},
    {"outer quotes quoted", "", "S", "K", "'v'", "[S]\r\nK=\"'v'\"\r\n"},
};

void PrintTo(const WriteCase& c, std::ostream* out) { *out << c.what; }

class IniWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(IniWrite, ChangesOnlyTheLineConcerned) {
  const WriteCase& c = GetParam();
  IniDocument document(c.before);
  EXPECT_TRUE(document.Put(c.section, c.key, c.value)) << c.what;
  EXPECT_EQ(document.Bytes(), c.after) << c.what;
  EXPECT_EQ(document.Get(c.section, c.key), c.value) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Files, IniWrite, testing::ValuesIn(kWriteCases), CaseName<WriteCase>);

TEST(IniWriteValues, SameValueWritesNothing) {
  for (const char* file : {"[S]\r\nA = 1\r\n", "[S]\r\nA=\"1\"\r\n", "[s]\r\na=1"}) {
    IniDocument document(file);
    EXPECT_FALSE(document.Put("S", "A", "1")) << file;
    EXPECT_EQ(document.Bytes(), file);
  }
}

TEST(IniWriteValues, AwkwardValuesReadBackUnchanged) {
  const std::string values[] = {"",
                                " ",
                                "\t",
                                "\"",
                                "'",
                                "\"\"",
                                "\"x\"",
                                "'x'",
                                "\"x'",
                                " \"x\" ",
                                "a=b",
                                "; c",
                                "#",
                                "[S]",
                                "\xA0",
                                "Sp\xE4ter\xFF",
                                "x\x1A",
                                std::string(2047, 'z'),
                                std::string(" ").append(2045, 'q')};
  IniDocument document("[S]\r\nOther=1\r\n");
  for (const std::string& value : values) {
    document.Put("S", "K", value);
    EXPECT_EQ(IniDocument(document.Bytes()).Get("S", "K"), value) << '[' << value << ']';
  }
  EXPECT_EQ(document.Get("S", "Other"), "1");
}

TEST(IniWriteValues, RefusesWhatCannotReadBack) {
  const struct {
    const char* section;
    const char* key;
    std::string value;
  } refused[] = {
      {"S", "K", "a\r\nb"},
      {"S", "K", "a\nb"},
      {"S", "K", "a\rb"},
      {"S", "K", "a\0b"s},
      {"S", "K", std::string(2048, 'x')},
      {"S", "K", std::string(" ").append(2046, 'x')},
      {"S", "K=", "v"},
      {"S", " K", "v"},
      {"S", "[K]", "v"},
      {"", "K", "v"},
      {"S", "", "v"},
      {"S\r\n", "K", "v"},
  };
  for (const auto& r : refused) {
    IniDocument document("[S]\r\nK=old\r\n", "C:\\x.ini");
    try {
      document.Put(r.section, r.key, r.value);
      ADD_FAILURE() << "accepted [" << r.section << "] " << r.key;
    } catch (const EError& e) {
      EXPECT_STREQ(e.what(), "In C:\\x.ini kann nicht geschrieben werden");
    }
    EXPECT_EQ(document.Bytes(), "[S]\r\nK=old\r\n");
  }
}

}  // namespace
