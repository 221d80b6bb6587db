#include <stdexcept>
#include <string>
#include <type_traits>

#include <gtest/gtest.h>

#include "platform/sys/ScopeExit.h"

namespace {

void Note(std::string &log, const char *step) { log += step; }

auto Noter(std::string &log, const char *step) {
  return [&log, step] { Note(log, step); };
}

using TGuard = sys::TScopeExit<decltype(Noter(std::declval<std::string &>(), ""))>;
static_assert(!std::is_copy_constructible_v<TGuard> && !std::is_copy_assignable_v<TGuard>);
static_assert(!std::is_move_constructible_v<TGuard>);
static_assert(std::is_nothrow_destructible_v<TGuard>);

} // namespace

TEST(TScopeExit, RunsOnceWhenTheScopeEndsAfterItsLastStatement) {
  std::string log;
  {
    sys::TScopeExit Undo(Noter(log, "u"));
    Note(log, "w");
    EXPECT_EQ(log, "w");
  }
  EXPECT_EQ(log, "wu");
}

TEST(TScopeExit, RunsWhileAnExceptionUnwindsBeforeTheHandlerSeesIt) {
  std::string log;
  try {
    sys::TScopeExit Undo(Noter(log, "u"));
    Note(log, "w");
    throw std::runtime_error("failed");
  } catch (const std::runtime_error &e) {
    Note(log, "h");
    EXPECT_STREQ(e.what(), "failed");
  }
  EXPECT_EQ(log, "wuh");
}

TEST(TScopeExit, GuardsOfOneScopeRunNewestFirstOnBothPaths) {
  for (const bool fail : {false, true}) {
    std::string log;
    try {
      sys::TScopeExit Outer(Noter(log, "1"));
      sys::TScopeExit Inner(Noter(log, "2"));
      if (fail)
        throw std::runtime_error("failed");
    } catch (const std::runtime_error &) {
      Note(log, "h");
    }
    EXPECT_EQ(log, fail ? "21h" : "21") << (fail ? "exception" : "normal exit");
  }
}

TEST(TScopeExit, SeesTheStateAsItIsWhenTheScopeEnds) {
  int value = 1, seen = 0;
  {
    sys::TScopeExit Read([&] { seen = value; });
    value = 2;
  }
  EXPECT_EQ(seen, 2);
}
