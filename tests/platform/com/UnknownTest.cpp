#include <gtest/gtest.h>

#include "platform/com/Unknown.h"

namespace {

struct IFirst : public virtual IUnknown {
  static constexpr TGUID IID = TGUID::FromLiteral("{11111111-0000-0000-0000-000000000001}");
  virtual int First() = 0;
};
struct ISecond : public virtual IUnknown {
  static constexpr TGUID IID = TGUID::FromLiteral("{11111111-0000-0000-0000-000000000002}");
  virtual int Second() = 0;
};
struct INoGuid : public virtual IUnknown {
  virtual int Third() = 0;
};

class TBoth : public TInterfacedObject, public IFirst, public ISecond {
public:
  explicit TBoth(int *destroyed) : destroyed_(destroyed) {}
  ~TBoth() override { ++*destroyed_; }
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IFirst, ISecond>(this, iid, out);
  }
  int First() override { return 1; }
  int Second() override { return 2; }

private:
  int *destroyed_;
};

TEST(UnknownTest, LastReleaseFreesTheObject) {
  int destroyed = 0;
  {
    com::TComPtr<IFirst> first = com::MakeCom<TBoth>(&destroyed);
    EXPECT_EQ(first->First(), 1);
    com::TComPtr<IFirst> copy = first;
    first.Reset();
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(copy->First(), 1);
  }
  EXPECT_EQ(destroyed, 1);
}

TEST(UnknownTest, QueryInterfaceByGuid) {
  int destroyed = 0;
  com::TComPtr<IFirst> first = com::MakeCom<TBoth>(&destroyed);
  auto second = com::TComPtr<ISecond>::Query(first);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->Second(), 2);

  void *out = reinterpret_cast<void *>(1);
  EXPECT_EQ(
      first->QueryInterface(TGUID::FromLiteral("{11111111-0000-0000-0000-000000000009}"), &out),
      E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(first->QueryInterface(IFirst::IID, nullptr), E_POINTER);

  com::TComPtr<IUnknown> unknown;
  EXPECT_EQ(first->QueryInterface(IID_IUnknown, unknown.PutVoid()), S_OK);
  EXPECT_TRUE(unknown);
  unknown.Reset();
  second.Reset();
  first.Reset();
  EXPECT_EQ(destroyed, 1); // every reference the queries took was given back
}

TEST(UnknownTest, ResultCodes) {
  EXPECT_TRUE(SUCCEEDED(S_OK));
  EXPECT_TRUE(SUCCEEDED(S_FALSE));
  EXPECT_TRUE(FAILED(E_NOINTERFACE));
  EXPECT_EQ(static_cast<uint32_t>(E_NOINTERFACE), 0x80004002u);
  EXPECT_EQ(static_cast<uint32_t>(E_POINTER), 0x80004003u);
  EXPECT_EQ(static_cast<uint32_t>(E_FAIL), 0x80004005u);
  EXPECT_EQ(static_cast<uint32_t>(E_OUTOFMEMORY), 0x8007000Eu);
  EXPECT_EQ(static_cast<uint32_t>(E_INVALIDARG), 0x80070057u);
}

} // namespace
