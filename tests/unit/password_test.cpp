#include <gtest/gtest.h>

#include "window_logic/password_store.h"
#include "core/texts.h"
#include "unit/form_fixture.h"

namespace {

TEST(XorScramble, IsItsOwnInverseAndKeepsPrintableTextPrintable) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_EQ(XorScramble(XorScramble(all)), all);
  EXPECT_EQ(XorScramble("A"), "X");
  for (int c = 0x20; c < 0x7F; ++c) {
    const auto scrambled =
        static_cast<unsigned char>(XorScramble(std::string(1, static_cast<char>(c)))[0]);
    EXPECT_GE(scrambled, 0x20);  // never a line break or a zero
  }
}

TEST(StoredPassword, LayoutFillerAlphabetAndAlternateDrawing) {
  std::vector<int> numbers;
  for (int i = 0; i < 86; ++i) numbers.push_back(i % 2 == 0 ? 0 : 25);  // A gets "`", B gets "y"
  size_t next = 0;
  const auto value = ComposeStoredPassword("0123456789", [&](int range) {
    EXPECT_EQ(range, 26);
    return numbers[next++ % numbers.size()];
  });
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->size(), 104u);
  EXPECT_EQ(value->substr(0, 43), std::string(43, '`'));
  EXPECT_EQ(value->substr(43, 4), "qkvo");
  EXPECT_EQ(value->substr(47, 10), XorScramble("0123456789"));
  EXPECT_EQ(value->substr(57, 4), "ovkq");
  EXPECT_EQ(value->substr(61), std::string(43, 'y'));
  EXPECT_EQ(ComposeStoredPassword("", [](int) { return 3; })->size(), 94u);
}

TEST(StoredPassword, RestoreOfHandTypedValues) {
  struct Case {
    std::string value, password;
  };
  const Case cases[] = {
      {"", ""},
      {"abcqkvo" + XorScramble("Geheim") + "ovkqxyz", "Geheim"},
      {"qkvoovkq", ""},
      {"kein Marker", ""},
      {"xxovkq" + XorScramble("ab") + "qkvo", ""},  // reversed order
      {"qkvo" + XorScramble("nur Anfang"), ""},
      {"abcdefovkq", XorScramble("def")},  // only the end marker: a wrong password, as stored
  };
  for (const auto& c : cases) EXPECT_EQ(RestoredPassword(c.value), c.password) << c.value;
}

TEST(StoredPassword, FillersHoldingAMarkerAreDrawnAgain) {
  // First draw: filler A begins with "qkvo" (q=17, k=11, v=22, o=15 after the "`" at 96).
  std::vector<int> numbers(86, 1);
  numbers[0] = 17, numbers[2] = 11, numbers[4] = 22, numbers[6] = 15;
  size_t next = 0;
  const auto value =
      ComposeStoredPassword("pw", [&](int) { return next < 86 ? numbers[next++] : (++next, 1); });
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(next, 172u);
  EXPECT_EQ(RestoredPassword(*value), "pw");
}

TEST(StoredPassword, PasswordsThatCannotBeStoredAreRefused) {
  const auto random = [](int) { return 1; };
  EXPECT_FALSE(ComposeStoredPassword("vorher", random).has_value());  // scrambles to the end marker
  EXPECT_FALSE(ComposeStoredPassword(std::string("a\x13"
                                                 "b"),
                                     random)
                   .has_value());  // a line feed
  EXPECT_FALSE(
      ComposeStoredPassword(std::string(2000, 'a'), random).has_value());  // too long to read back
  EXPECT_TRUE(ComposeStoredPassword(std::string(1953, 'a'), random).has_value());
}

using PasswordFormTest = FormTest;

TEST_F(PasswordFormTest, SaveAndRestoreThroughTheSettingsFile) {
  Settings(kBasic);
  Create();
  Type(form.Passwort, "Geheim 1");
  EXPECT_FALSE(form.pwsave.Enabled);
  Type(form.Passwort2, "Geheim 1");
  EXPECT_TRUE(form.pwsave.Enabled);
  platform.randomNumbers.assign(200, 7);
  form.Dispatch(&TFMain::pwsaveClick);
  EXPECT_EQ(platform.randomizeCalls, 1);
  const std::string ini = Ini();
  const size_t at = ini.find("[Security]\r\n1=");
  ASSERT_NE(at, std::string::npos) << ini;
  EXPECT_EQ(ini.substr(at + 14, 43 + 4 + 8 + 4 + 43 + 2), std::string(43, 'g') + "qkvo" +
                                                              XorScramble("Geheim 1") + "ovkq" +
                                                              std::string(43, 'g') + "\r\n");

  FakePlatform next;
  next.exePath = platform.exePath;
  next.arguments = {"/GO"};
  TFMain restarted(next);
  restarted.Dispatch(&TFMain::FormCreate);
  EXPECT_EQ(restarted.Passwort.Text, "Geheim 1");
  EXPECT_EQ(restarted.Passwort2.Text, "");
  EXPECT_FALSE(restarted.pwsave.Enabled);
  restarted.Dispatch(&TFMain::FormShow);
  ASSERT_EQ(next.launches.size(), 1u);
  EXPECT_EQ(next.launches[0].parameters.substr(0, 19), "a -hp\"Geheim 1\" -ms");
}

TEST_F(PasswordFormTest, TwoSavesStoreDifferentLinesThatRestoreAlike) {
  Settings(kBasic);
  Create();
  form.Passwort.Text = form.Passwort2.Text = "abc";
  platform.randomNumbers.assign(86, 3);
  form.Dispatch(&TFMain::pwsaveClick);
  const std::string first = Ini();
  platform.randomNumbers.assign(172, 4);
  form.Dispatch(&TFMain::pwsaveClick);
  const std::string second = Ini();
  EXPECT_NE(first, second);
  EXPECT_EQ(second.find("[Security]", second.find("[Security]") + 1),
            std::string::npos);  // replaced, not added
  FakePlatform again;
  again.exePath = platform.exePath;
  TFMain restarted(again);
  restarted.Dispatch(&TFMain::FormCreate);
  EXPECT_EQ(restarted.Passwort.Text, "abc");
}

TEST_F(PasswordFormTest, MismatchOrUnstorablePasswordStoresNothing) {
  Settings(kBasic);
  Create();
  form.Passwort.Text = "eins";
  form.Passwort2.Text = "zwei";
  form.Dispatch(&TFMain::pwsaveClick);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Kennw\xF6rter sind nicht identisch!"});
  form.Passwort.Text = form.Passwort2.Text = "vorhanden";
  form.Dispatch(&TFMain::pwsaveClick);
  EXPECT_EQ(platform.errors.size(), 1u);
  form.Passwort.Text = form.Passwort2.Text = std::string("\0\0\0", 3);  // a Cyrillic word, say
  form.Dispatch(&TFMain::pwsaveClick);
  ASSERT_EQ(platform.errors.size(), 2u);
  EXPECT_EQ(platform.errors[1], std::string(texts::PasswordNotAnsi) + ".");
  form.Passwort.Text = form.Passwort2.Text = std::string(100, 'x');  // the archiver would refuse it
  form.Dispatch(&TFMain::pwsaveClick);
  ASSERT_EQ(platform.errors.size(), 3u);
  EXPECT_EQ(platform.errors[2], std::string(texts::PasswordTooLong) + ".");
  EXPECT_EQ(Ini(), kBasic);
}

TEST_F(PasswordFormTest, EmptyPasswordIsStoredAndRestoredEmpty) {
  Settings(kBasic);
  Create();
  form.Dispatch(&TFMain::pwsaveClick);
  const std::string ini = Ini();
  const size_t at = ini.find("1=", ini.find("[Security]"));
  EXPECT_EQ(ini.find("\r\n", at) - at - 2, 94u);
  FakePlatform again;
  again.exePath = platform.exePath;
  TFMain restarted(again);
  restarted.Dispatch(&TFMain::FormCreate);
  EXPECT_EQ(restarted.Passwort.Text, "");
  EXPECT_TRUE(restarted.pwsave.Enabled);
}

}  // namespace
