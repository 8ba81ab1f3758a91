#include "core/intsyntax.h"

#include <gtest/gtest.h>

#include "core/error.h"

namespace {

struct IntegerCase {
  const char* text;
  bool converts;
  std::int32_t value;
};

TEST(IntegerSyntax, DecimalAndHexadecimalForms) {
  const IntegerCase cases[] = {
      {"3", true, 3},
      {"+3", true, 3},
      {"-3", true, -3},
      {"  42", true, 42},
      {"0x3", true, 3},
      {"0X1f", true, 31},
      {"$FFFFFFFF", true, -1},
      {"x10", true, 16},
      {"X10", true, 16},
      {"$000000000010", true, 16},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, INT32_MIN},
      {"007", true, 7},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"$100000000", false, 0},
      {"3a", false, 0},
      {"3 ", false, 0},
      {"", false, 0},
      {"   ", false, 0},
      {"-", false, 0},
      {"$", false, 0},
      {"0x", false, 0},
      {"-$10", false, 0},
      {"+0x10", false, 0},
      {"1e3", false, 0},
      {"\t3", false, 0},
      {"$G", false, 0},
      {"99999999999999999999", false, 0},
  };
  for (const auto& c : cases) {
    const auto parsed = ParseInteger(c.text);
    EXPECT_EQ(parsed.has_value(), c.converts) << c.text;
    if (parsed && c.converts) {
      EXPECT_EQ(*parsed, c.value) << c.text;
    }
  }
}

TEST(IntegerSyntax, ReadIntegerRaisesTheToolsMessage) {
  try {
    ReadInteger("X1Z");
    FAIL();
  } catch (const EError& e) {
    EXPECT_STREQ(e.what(), "'X1Z' ist kein g\xFCltiger Integerwert");
  }
}

}  // namespace
