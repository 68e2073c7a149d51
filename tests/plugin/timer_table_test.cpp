// The timer table behind PipewellDispatchTimers, driven with chosen tick
// counts, the 32-bit wrap included.
#include <gtest/gtest.h>

#include <vector>

#include "timer_table.h"

namespace {

std::vector<uintptr_t>& Fired() {
  static std::vector<uintptr_t> fired;
  return fired;
}

void Record(uintptr_t id) { Fired().push_back(id); }

class TimerTableTest : public ::testing::Test {
 protected:
  void SetUp() override { Fired().clear(); }
  void TearDown() override {
    for (uintptr_t id : set_) pipewell::TimerTableRemove(id);
  }

  void Set(uintptr_t id, uint32_t period, uint32_t now) {
    pipewell::TimerTableSet(id, period, &Record, now);
    set_.push_back(id);
  }

  std::vector<uintptr_t> FiredAt(uint32_t now) {
    Fired().clear();
    pipewell::TimerTableDispatch(now);
    return Fired();
  }

 private:
  std::vector<uintptr_t> set_;
};

TEST_F(TimerTableTest, FiresOncePerPeriodAndNotBefore) {
  Set(1, 100, 1000);
  EXPECT_EQ(pipewell::TimerTableNextWait(1000), 100);
  EXPECT_TRUE(FiredAt(1099).empty());
  EXPECT_EQ(FiredAt(1100), std::vector<uintptr_t>{1});
  EXPECT_TRUE(FiredAt(1150).empty());  // re-armed one period after 1100
  EXPECT_EQ(FiredAt(1200), std::vector<uintptr_t>{1});
  EXPECT_EQ(pipewell::TimerTableNextWait(1350), 0);  // overdue
}

TEST_F(TimerTableTest, DueTestSurvivesTheTickCounterWrapping) {
  const uint32_t nearWrap = 0xFFFFFFF0u;  // 16 ms before 2^32
  Set(7, 100, nearWrap);                  // due at 84 after the wrap
  EXPECT_TRUE(FiredAt(nearWrap + 10).empty());  // still before 2^32
  EXPECT_EQ(pipewell::TimerTableNextWait(nearWrap + 10), 90);
  EXPECT_TRUE(FiredAt(83).empty());
  EXPECT_EQ(FiredAt(84), std::vector<uintptr_t>{7});
  EXPECT_EQ(pipewell::TimerTableNextWait(84), 100);
}

TEST_F(TimerTableTest, RemovedOrUnsetTimersStayQuiet) {
  EXPECT_EQ(pipewell::TimerTableNextWait(0), -1);
  Set(3, 10, 0);
  pipewell::TimerTableRemove(3);
  pipewell::TimerTableRemove(99);  // unknown: ignored
  EXPECT_TRUE(FiredAt(50).empty());
  EXPECT_EQ(pipewell::TimerTableSize(), 0);
}

}  // namespace
