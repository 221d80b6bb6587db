#include <vector>

#include <gtest/gtest.h>

#include "framework/data/SLVariantStorages.h"
#include "tests/support/FrameworkEnvironment.h"

namespace {

class OperationListTest : public ::testing::Test {
protected:
  static IOWNotifyOperationPtr Op() { return TOWNotifyOperation::Make<TOWStopOperation>(); }
  static int64_t Id(const IOWNotifyOperationPtr &op) {
    return op ? op->Instance()->GetOperationID() : 0;
  }
};

} // namespace

TEST_F(OperationListTest, PushAppendsAndPopTakesFromTheHead) {
  TSLOperationList list;
  IOWNotifyOperationPtr a = Op(), b = Op();
  EXPECT_EQ(list.Push(a, false), 1);
  EXPECT_EQ(list.Push(b, false), 2);
  EXPECT_EQ(Id(list.Peek()), Id(a));
  EXPECT_EQ(list.ItemsCount(), 2);
  EXPECT_EQ(Id(list.Pop()), Id(a));
  EXPECT_EQ(Id(list.Pop()), Id(b));
  EXPECT_FALSE(list.Pop());
  EXPECT_FALSE(list.Peek());
}

TEST_F(OperationListTest, PushLatestOnlyKeepsOnlyTheNewOperation) {
  TSLOperationList list;
  for (int i = 0; i < 3; ++i)
    list.Push(Op(), false);
  IOWNotifyOperationPtr latest = Op();
  EXPECT_EQ(list.Push(latest, true), 1);
  EXPECT_EQ(Id(list.Pop()), Id(latest));
}

TEST_F(OperationListTest, PushBackMakesTheOperationTheNextPopped) {
  TSLOperationList list;
  list.Push(Op(), false);
  IOWNotifyOperationPtr urgent = Op();
  EXPECT_EQ(list.PushBack(urgent), 2);
  EXPECT_EQ(Id(list.Pop()), Id(urgent));
}

TEST_F(OperationListTest, TheListHoldsItsOperationsUntilPoppedOrCleared) {
  TSLOperationList list;
  IOWNotifyOperationPtr op = Op();
  TOWNotifyOperation *object = op->Instance();
  list.Push(op, false);
  list.Push(op, false);
  op = nullptr;
  EXPECT_EQ(object->RefCount(), 2u);
  list.Clear();
  EXPECT_EQ(list.ItemsCount(), 0);
}

TEST_F(OperationListTest, WithoutOwnerTheListLocksWithAnObjectOfItsOwn) {
  TSLOperationList list;
  ASSERT_NE(list.GetLockObject(), nullptr);
  TOWObject other;
  EXPECT_NE(list.GetLockObject()->GetGroupLock()->Instance(), other.GetGroupLock()->Instance());
}

TEST_F(OperationListTest, WithAnOwnerTheListLocksWithItsGroup) {
  TOWObject owner;
  TSLOperationList list(&owner);
  EXPECT_EQ(list.GetLockObject(), &owner);
  list.Lock();
  EXPECT_EQ(owner.GetCountWrites(), 1);
  EXPECT_EQ(list.Push(Op(), false), 1); // the group lock is re-entrant
  list.Unlock();
  EXPECT_EQ(owner.GetCountWrites(), 0);
  EXPECT_EQ(owner.GetCountReads(), 0);
}
