#include "platform/classlib/Classes.h"

#include <gtest/gtest.h>

namespace {

TEST(ComponentTest, OwnerFreesOwnedComponentsLastFirst) {
  TComponent *root = CreateObject<TComponent>(nullptr);
  TComponent *a = CreateObject<TComponent>(root);
  TComponent *b = CreateObject<TComponent>(root);
  a->SetName("A");
  b->SetName("B");
  EXPECT_EQ(root->ComponentCount(), 2);
  EXPECT_EQ(root->Components(1), b);
  EXPECT_EQ(root->FindComponent("a"), a);
  EXPECT_EQ(b->ComponentIndex(), 1);
  EXPECT_THROW(root->Components(2), EListError);
  EXPECT_THROW(b->SetName("a"), EComponentError);
  EXPECT_THROW(b->SetName("1x"), EComponentError);
  FreeObject(root);
}

} // namespace
