#include "platform/date_time.h"

#include <gtest/gtest.h>

namespace lumetra::platform {
namespace {

TEST(DayCount, MatchesTheStoredLayout) {
  EXPECT_DOUBLE_EQ(ToDayCount(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), 0.0);
  EXPECT_DOUBLE_EQ(ToDayCount(QDateTime(QDate(1900, 1, 1), QTime(18, 0))), 2.75);
  EXPECT_DOUBLE_EQ(ToDayCount(QDateTime(QDate(2026, 12, 11), QTime(12, 0))), 46367.5);
  EXPECT_DOUBLE_EQ(ToDayCount(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
  for (double d : {0.0, 2.75, 46367.5, 45000.123456, -1.25})
    EXPECT_NEAR(ToDayCount(FromDayCount(d)), d, 1e-7) << d;
}

}  // namespace
}  // namespace lumetra::platform
