#include <gtest/gtest.h>

#include "unit/form_fixture.h"

namespace {

class DeferredTest : public FormTest {
 protected:
  void Arm(DateTime day, DateTime time) {
    Settings(kBasic);
    Create();
    Select(TFMain::kSpaeter);
    form.Tag.Value = WithDate(form.Tag.Value, day);
    form.Uhrzeit.Value = WithTime(form.Uhrzeit.Value, time);
    Start();
  }
  void TickAt(DateTime moment) {
    platform.now = moment;
    form.Dispatch(&TFMain::Timer1Timer);
  }
};

TEST_F(DeferredTest, ArmingFreezesTheChoicesAndShowsTheMoment) {
  Arm(today, EncodeTime(22, 30, 0, 0));
  EXPECT_EQ(form.Caption, "Backup wird um 22:30:00 an 05.03.2024 gestartet...");
  EXPECT_TRUE(form.Timer1.Enabled);
  EXPECT_EQ(form.Timer1.Interval, 1000u);
  for (const TControl* frozen :
       {static_cast<const TControl*>(&form.Start), static_cast<const TControl*>(&form.Datum),
        static_cast<const TControl*>(&form.Komprimierung),
        static_cast<const TControl*>(&form.Uhrzeit), static_cast<const TControl*>(&form.Tag),
        static_cast<const TControl*>(&form.Ziel), static_cast<const TControl*>(&form.Zeitbox)})
    EXPECT_FALSE(frozen->Enabled);
  for (const TControl* usable :
       {static_cast<const TControl*>(&form.Ende), static_cast<const TControl*>(&form.Archiv),
        static_cast<const TControl*>(&form.Passwort), static_cast<const TControl*>(&form.Passwort2),
        static_cast<const TControl*>(&form.StopProg)})
    EXPECT_TRUE(usable->Enabled);
  EXPECT_FALSE(form.changepath.Visible);
  EXPECT_TRUE(platform.launches.empty());
}

TEST_F(DeferredTest, RunsOnTheFirstTickAfterTheMomentAndEndsTheTool) {
  Arm(today, EncodeTime(9, 31, 0, 0));
  form.StopProg.Checked = false;  // a deferred run ends the tool all the same
  form.Archiv.ItemIndex = 1;      // choices left usable count at the moment of the run
  TickAt(today + EncodeTime(9, 30, 59, 0));
  TickAt(today + EncodeTime(9, 31, 0, 0));  // not yet: the moment must have passed
  EXPECT_TRUE(platform.launches.empty());
  TickAt(today + EncodeTime(9, 31, 1, 0));
  ASSERT_EQ(platform.launches.size(), 1u);
  EXPECT_NE(LastParameters().find(" -ac -ao "), std::string::npos);
  EXPECT_EQ(platform.terminateCalls, 1);
}

TEST_F(DeferredTest, AMomentInThePastRunsOnTheFirstTick) {
  Arm(today - 1, EncodeTime(23, 0, 0, 0));
  form.Warten = true;  // a deferred run waits too
  platform.launchResult.exitCode = 10;
  TickAt(platform.now);
  ASSERT_EQ(platform.launches.size(), 1u);
  EXPECT_TRUE(platform.launches[0].waited);
  EXPECT_EQ(platform.exitCode, 10);
}

TEST_F(DeferredTest, OnlyTheDateOfTagAndTheTimeOfUhrzeitCount) {
  Arm(today, EncodeTime(10, 0, 0, 0));
  form.Tag.Value = today + EncodeTime(23, 0, 0, 0);
  form.Uhrzeit.Value = EncodeDate(2030, 1, 1) + EncodeTime(10, 0, 0, 0);
  TickAt(today + EncodeTime(10, 0, 1, 0));
  EXPECT_EQ(platform.launches.size(), 1u);
}

TEST_F(DeferredTest, FailedRunRetriesWithTheNextNumberButNotWhileTheErrorIsShown) {
  Settings("[Programm]\r\nVersion=3\r\nZip=z.exe\r\nParam=%s %d\r\n");
  Create();
  Select(TFMain::kSpaeter);
  form.Uhrzeit.Value = WithTime(form.Uhrzeit.Value, EncodeTime(9, 0, 0, 0));
  Start();
  int nestedTicks = 0;
  platform.onError = [&] {
    ++nestedTicks;
    form.Dispatch(&TFMain::Timer1Timer);  // the timer goes on ticking under the error box
  };
  TickAt(today + 0.5);
  TickAt(today + 0.5);
  EXPECT_EQ(platform.errors.size(), 2u);
  EXPECT_EQ(nestedTicks, 2);
  EXPECT_TRUE(form.Timer1.Enabled);
  EXPECT_EQ(platform.terminateCalls, 0);
  EXPECT_NE(Ini().find("Nr=1"), std::string::npos);
}

TEST_F(DeferredTest, SofortAfterSpaeterGreysThePickersAndStartsAtOnce) {
  Settings(kBasic);
  Create();
  Select(TFMain::kSpaeter);
  EXPECT_TRUE(form.Tag.Enabled);
  EXPECT_TRUE(form.Uhrzeit.Enabled);
  Select(TFMain::kSofort);
  EXPECT_FALSE(form.Tag.Enabled);
  EXPECT_FALSE(form.Uhrzeit.Enabled);
  EXPECT_EQ(form.Zeitpunkt.ItemIndex, TFMain::kSofort);
  Start();
  EXPECT_EQ(platform.launches.size(), 1u);
  EXPECT_FALSE(form.Timer1.Enabled);
}

TEST_F(DeferredTest, ScheduleInSettingsWithGoRunsAtOnce) {
  Settings(std::string(kBasic) + "[Startzeit]\r\nTag=morgen\r\nZeit=23:00\r\n");
  Create({"/GO"});
  form.Dispatch(&TFMain::FormShow);
  EXPECT_EQ(platform.launches.size(), 1u);
  EXPECT_FALSE(form.Timer1.Enabled);
}

}  // namespace
