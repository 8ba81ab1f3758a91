#include <gtest/gtest.h>

#include "window_logic/password_store.h"
#include "core/cp1252.h"
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

namespace {

// A stored password that does not come back whole is never handed to the archiver: the run
// says so in the logs and, in the window, in a box; under /WARTEN it ends with its own code.
TEST_F(PasswordFormTest, RefusedStoredPasswordStartsNothingAndTheLogsSaySo) {
  const std::string value = *ComposeStoredPassword(
      "Gr\xFC\xDF"
      "e\x80"
      "1",
      [](int) { return 2; });
  const std::string head = std::string(kBasic) + "[security]\r\n1=";
  const struct {
    const char* name;
    std::string file;
  } rows[] = {
      {"end marker removed", head + value.substr(0, 54) + value.substr(58) + "\r\n"},
      {"cut in the middle", head + value.substr(0, 50) + "\r\n"},
      {"character outside Windows-1252",  // UTF-8, an omega in the scrambled password
       Utf8FromCp1252(head + value.substr(0, 50)) + "\xCE\xA9" +
           Utf8FromCp1252(value.substr(50) + "\r\n")},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    for (const bool warten : {true, false}) {
      FreshStart run(row.file, warten ? std::vector<std::string>{"/GO", "/WARTEN"}
                                      : std::vector<std::string>{"/GO"});
      run.form.Dispatch(&TFMain::FormShow);
      const FakePlatform& fake = run.platform;
      EXPECT_EQ(run.form.Passwort.Text, "");
      EXPECT_TRUE(fake.launches.empty());
      EXPECT_EQ(fake.errors.size(), warten ? 0u : 1u);
      EXPECT_EQ(fake.exitCode, warten ? kStoredPasswordRefused : 0);
      ASSERT_EQ(fake.runLog.size(), 1u);
      EXPECT_NE(fake.runLog[0].find("gespeicherte Kennwort ([security] 1) ist unvollst\xE4ndig"),
                std::string::npos);
      EXPECT_EQ(fake.events.size(), 1u);
    }
  }

  // The whole value, in a file as UTF-8 without a mark, gives the password to the archiver.
  FreshStart whole(Utf8FromCp1252(head + value + "\r\n"), {"/GO", "/WARTEN"});
  whole.form.Dispatch(&TFMain::FormShow);
  ASSERT_EQ(whole.platform.launches.size(), 1u);
  EXPECT_EQ(whole.platform.launches[0].parameters.substr(0, 16),
            "a -hpGr\xFC\xDF"
            "e\x80"
            "1 -ms");
}

TEST(StoredPassword, CheckedPasswordAcceptsOnlyWholeValues) {
  const auto random = [](int) { return 4; };
  const std::string good = *ComposeStoredPassword("Geheim", random);
  const std::string fillers(43, 'd');
  EXPECT_EQ(CheckedPassword(good), "Geheim");
  EXPECT_EQ(CheckedPassword(*ComposeStoredPassword("", random)), "");
  for (const std::string& bad : {
           good.substr(1),                                              // filler cut
           good + "d",                                                  // grown
           "z" + good.substr(1),                                        // not a filler character
           fillers + "qkvo" + XorScramble("a\x7F") + "ovkq" + fillers,  // no typable password
           fillers + "qkvo" + XorScramble(std::string(100, 'x')) + "ovkq" + fillers,  // too long
       })
    EXPECT_FALSE(CheckedPassword(bad).has_value()) << bad;
}

}  // namespace
