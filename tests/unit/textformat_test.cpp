#include "core/textformat.h"

#include <gtest/gtest.h>

#include "core/error.h"

namespace {

const std::vector<std::string> kArgs = {"a", "x", " -ai ", "E:\\Archiv\\20240305-0.zip",
                                        "C:\\Daten\\*.*"};

struct ExpandCase {
  const char* pattern;
  const char* expected;
};

TEST(TemplateExpansion, DirectiveForms) {
  const ExpandCase cases[] = {
      {"%s -m%s%s\"%s\" \"%s\"", "a -mx -ai \"E:\\Archiv\\20240305-0.zip\" \"C:\\Daten\\*.*\""},
      {"plain text", "plain text"},
      {"100%% %s", "100% a"},
      {"%S", "a"},
      {"%3:s %s", "E:\\Archiv\\20240305-0.zip C:\\Daten\\*.*"},
      {"%1:s%0:s%s", "xax"},
      {"[%4s]", "[   a]"},
      {"[%-4s]", "[a   ]"},
      {"[%.3s]", "[a]"},
      {"%3:.6s", "E:\\Arc"},
      {"[%3:10.2s]", "[        E:]"},
      {"[%.0s]", "[]"},
      {"[%.s]", "[]"},
      {"[%*s]", "[x]"},  // the width comes from "a": a text counts as 0
      {"[%.*s]", "[]"},  // precision 0 from "a", then "x" is used up as well
      {"[%-*.*s]", "[]"},
      {"", ""},
      {"abc%", "abc"},      // a lone "%" at the end
      {"abc%0:-5", "abc"},  // the template stops inside a directive
      {"abc%.", "abc"},
      {"%s%", "a"},
  };
  for (const auto& c : cases) EXPECT_EQ(ExpandTemplate(c.pattern, kArgs), c.expected) << c.pattern;
}

struct ErrorCase {
  const char* pattern;
  const char* message;
};

TEST(TemplateExpansion, ErrorsNameTheFaultyDirective) {
  const ErrorCase cases[] = {
      {"%s %d", "Format '%d' ung\xFCltig oder nicht kompatibel mit Argument"},
      {"%0:-10.5x", "Format '%0:-10.5x' ung\xFCltig oder nicht kompatibel mit Argument"},
      {"% s", "Format '% ' ung\xFCltig oder nicht kompatibel mit Argument"},
      {"%5:s", "Kein Argument f\xFCr Format '%5:s'"},
      {"%s%s%s%s%s%s", "Kein Argument f\xFCr Format '%s'"},
      {"%4:s%s", "Kein Argument f\xFCr Format '%s'"},
      {"%4:*s", "Kein Argument f\xFCr Format '%4:*s'"},
      {"%9:d", "Kein Argument f\xFCr Format '%9:d'"},
  };
  for (const auto& c : cases) {
    try {
      ExpandTemplate(c.pattern, kArgs);
      ADD_FAILURE() << "no error for " << c.pattern;
    } catch (const EError& e) {
      EXPECT_STREQ(e.what(), c.message) << c.pattern;
    }
  }
}

TEST(TemplateExpansion, MessageCutsTheDirectiveTo31Characters) {
  const std::string directive = "%0:-" + std::string(40, '0') + "1d";
  try {
    ExpandTemplate(directive, kArgs);
    FAIL();
  } catch (const EError& e) {
    EXPECT_EQ(std::string(e.what()), "Format '" + directive.substr(0, 31) +
                                         "' ung\xFCltig oder nicht kompatibel mit Argument");
  }
}

TEST(TemplateExpansion, AbsurdWidthIsRefusedInsteadOfExhaustingMemory) {
  EXPECT_THROW(ExpandTemplate("%99999999999s", kArgs), EError);
  EXPECT_EQ(ExpandTemplate("%1000s", kArgs).size(), 1000u);
}

}  // namespace
