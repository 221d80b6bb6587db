#include <gtest/gtest.h>

#include "framework/data/SLRealQueue.h"
#include "platform/classlib/Exceptions.h"

namespace {

TEST(SLRealQueue, ValuesComeOutInTheOrderTheyWereAdded) {
  TSLRealQueue q;
  q.Add(1);
  q.Add(2);
  EXPECT_EQ(q.GetCount(), 2);
  EXPECT_EQ(q.GetItem(0), 1);
  EXPECT_EQ(q.GetItem(1), 2);
  q.Remove();
  EXPECT_EQ(q.GetItem(0), 2);
  EXPECT_EQ(q.GetCount(), 1);
}

TEST(SLRealQueue, ClearEmptiesTheQueue) {
  TSLRealQueue q;
  q.Clear();
  EXPECT_EQ(q.GetCount(), 0);
  q.Add(3);
  q.Add(4);
  q.Clear();
  EXPECT_EQ(q.GetCount(), 0);
}

TEST(SLRealQueue, OutOfRangeAccessIsAListError) {
  TSLRealQueue q;
  try {
    q.Remove();
    FAIL() << "no list error";
  } catch (const EListError &e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (0)");
  }
  q.Add(5);
  try {
    q.GetItem(1);
    FAIL() << "no list error";
  } catch (const EListError &e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (1)");
  }
  EXPECT_THROW(q.GetItem(-1), EListError);
}

} // namespace
