// What a recording left alone for days relies on: its records reach the medium within two
// seconds, through the platform's sync, and the computer is held awake exactly while it runs.
#include "base/texts.h"
#include "recording_fixture.h"

namespace ts {
namespace {

class LongRecordingTest : public RecordingTest {
protected:
    sim::TestDataSync& sync() { return platform.sync; }

    // One 40 ms tick of the window's clock, with a record written first when `record` is set.
    void Tick(bool record) {
        platform.steadyMs += 40;
        if (record) st().recording().WriteRecord(0, {});
        st().Timer_25HzTimer();
    }
};

// The promise is the medium's: each record is in a sync begun at most 2 s after the record was
// written; and a sync is begun only for records that came since the last one.
TEST_F(LongRecordingTest, EveryRecordIsInASyncBegunWithinTwoSecondsAndNoSyncIsIdle) {
    struct Case {
        int ticksPerRecord;  // 40 ms ticks
        int syncsInAMinute;
    };
    for (const Case c : {Case{1, 30}, Case{25, 30}, Case{250, 7}, Case{2000, 1}}) {
        SCOPED_TRACE(c.ticksPerRecord);
        const int syncsBefore = sync().begins;
        StartIn(kRecordChoiceAll, {1, 2});
        // The record at time 0 is the first to wait.
        std::int64_t oldestUnsynced = platform.steadyMs;
        std::int64_t longestWait = 0;
        for (int tick = 1; tick <= 1500; ++tick) {
            const bool record = tick % c.ticksPerRecord == 0;
            const int begun = sync().begins;
            Tick(record);
            if (record && oldestUnsynced < 0) oldestUnsynced = platform.steadyMs;
            if (sync().begins != begun) {
                ASSERT_GE(oldestUnsynced, 0) << "a sync with nothing new, at tick " << tick;
                longestWait = std::max(longestWait, platform.steadyMs - oldestUnsynced);
                oldestUnsynced = -1;
            }
        }
        EXPECT_LE(longestWait, 2000);
        EXPECT_EQ(sync().begins - syncsBefore, c.syncsInAMinute);
        st().B_FileSaveStopClick();
    }
}

// A slow medium holds up nothing: the tick does not wait for a sync still running, and the next
// tick after it ends begins the next one. A sync that failed is said once, without a box.
TEST_F(LongRecordingTest, ASyncStillRunningIsNotWaitedForAndAFailedOneIsReported) {
    StartIn(kRecordChoiceAll, {1});
    sync().busy = true;
    for (int tick = 0; tick < 125; ++tick) Tick(true);
    EXPECT_EQ(sync().begins, 0);
    sync().busy = false;
    Tick(true);
    EXPECT_EQ(sync().begins, 1);
    EXPECT_TRUE(ui.boxes.empty());

    sync().failures = 1;
    for (int tick = 0; tick < 100; ++tick) Tick(true);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, sim::TestUi::BoxKind::PlainNonModal);
    EXPECT_EQ(ui.boxes[0].text, text::kMsgResultWriteFailed);
}

// Held from the start to the end, whichever way it ends. Without a system to ask (no bus, no
// login manager) recordings run as before and the user is told once, in the recording time's
// hint: a box would wait for someone who is not there.
TEST_F(LongRecordingTest, TheComputerIsHeldAwakeWhileRecordingOrTheUserIsToldOnceWithoutABox) {
    const std::string hint(text::kResultFileHint);
    for (const bool answers : {true, false}) {
        platform.awake.systemAnswers = answers;
        for (const auto ending :
             {&Station::B_FileSaveStopClick, &Station::FormClose, &Station::B_FileSaveStopClick}) {
            StartIn(kRecordChoiceAll, {1});
            EXPECT_TRUE(st().recording().Active());
            EXPECT_EQ(platform.awake.held, answers);
            (st().*ending)();
            EXPECT_FALSE(platform.awake.held);
            // The close is a cut that the next start carries on; the stop ends the recording.
            EXPECT_EQ(platform.awake.restartKept, ending == &Station::FormClose);
        }
        EXPECT_EQ(st().form().Label_FileRecordTime.Hint,
                  answers ? hint : hint + "\n" + std::string(text::kNoteSleepNotHeld));
    }
    EXPECT_TRUE(ui.boxes.empty());
}

}  // namespace
}  // namespace ts
