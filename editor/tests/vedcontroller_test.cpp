#include "editor/vedcontroller.h"

#include <gtest/gtest.h>

using namespace ved;

TEST(ControllerTest, StartsWithTheBuiltInTablesAndInsertMode) {
    TVedController c;
    EXPECT_EQ(c.EntryCommands().Count(), 3);
    EXPECT_EQ(c.EntryCommands().SequenceState(), 0);
    EXPECT_TRUE(c.InsertMode());
    EXPECT_EQ(c.Epoch(), 1900);
    EXPECT_EQ(c.TimerPool().Count(), 0);
    EXPECT_EQ(c.TimerPool().Period(), 0);
}

TEST(ControllerTest, EpochTakesOnlyYearsInRange) {
    TVedController c;
    c.SetEpoch(1599);
    EXPECT_EQ(c.Epoch(), 1900);
    c.SetEpoch(4000);
    EXPECT_EQ(c.Epoch(), 1900);
    c.SetEpoch(1600);
    EXPECT_EQ(c.Epoch(), 1600);
    c.SetEpoch(3999);
    EXPECT_EQ(c.Epoch(), 3999);
}

TEST(ControllerTest, SpecialButtonsAreForgottenWhenRemoved) {
    TVedController c;
    int cancel, help, other;
    c.SetBtnCancel(&cancel);
    c.SetBtnHelp(&help);
    EXPECT_TRUE(c.IsSpecialButton(&cancel));
    EXPECT_TRUE(c.IsSpecialButton(&help));
    EXPECT_FALSE(c.IsSpecialButton(&other));
    EXPECT_FALSE(c.IsSpecialButton(nullptr)); // the unset restore button matches nothing
    c.ControlRemoved(&cancel);
    EXPECT_EQ(c.BtnCancel(), nullptr);
    EXPECT_FALSE(c.IsSpecialButton(&cancel));
    EXPECT_EQ(c.BtnHelp(), &help);
}

TEST(ControllerTest, EveryTriggerOfThePoolReachesOnTimerTrigger) {
    TVedController c;
    int32_t seen = 0;
    c.OnTimerTrigger = [&](TVedController& sender, int32_t handle, uint16_t interval, int32_t) {
        EXPECT_EQ(&sender, &c);
        EXPECT_EQ(interval, 0);
        seen = handle;
    };
    const int32_t h = c.TimerPool().AddTrigger(0, {}, false);
    c.TimerPool().Check(); // an interval of 0 is always due
    EXPECT_EQ(seen, h);
    EXPECT_EQ(c.TimerPool().Count(), 0);
}
