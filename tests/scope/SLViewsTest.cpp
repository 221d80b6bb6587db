#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/classlib/Exceptions.h"
#include "scope/SLViews.h"

namespace {

struct TViewHost : ISLViewHost {
  void Invalidate() override { ++Repaints; }
  void InvalidateRecalc() override { ++Recalcs; }
  void SetRecalcRects() override {}
  void InvalidateViewRect(const TRect &R) override { Rects.push_back(R); }
  int Repaints = 0, Recalcs = 0;
  std::vector<TRect> Rects;
};

// A view that records its enter and leave calls.
class TTrackingView : public TSLOptionalView {
  CLASSLIB_SIMPLE_CLASS(TTrackingView, TSLOptionalView)
public:
  TTrackingView(ISLViewHost *Host, std::vector<std::string> *Log)
      : TSLOptionalView(Host), Log(Log) {}
  TPoint GetDefaultSize() override { return {-1, -1}; }
  TAlign GetAlign() override { return alClient; }
  void MouseEnterView() override { Log->push_back("enter"); }
  void MouseLeaveView() override { Log->push_back("leave"); }
  std::vector<std::string> *Log;
};

class DisplayViews : public ::testing::Test {
protected:
  TViewHost Host;
  std::vector<std::string> Log;
  TOwnedPtr<TTrackingView> View{CreateObject<TTrackingView>(&Host, &Log)};
};

TEST_F(DisplayViews, SizeAndVisibilityFollowTheRectangle) {
  struct Case {
    TRect R;
    int32_t Width, Height;
    bool Visible;
  };
  const Case Cases[] = {
      {{0, 0, 0, 0}, 0, 0, false},      // before the first layout
      {{10, 20, 12, 40}, 1, 19, true},  // two pixels wide is the least
      {{10, 20, 11, 40}, 0, 19, false}, // one pixel wide
      {{10, 20, 40, 21}, 29, 0, false}, // one pixel high
      {{40, 20, 10, 60}, 0, 39, false}, // inverted: never negative
      {{0, 0, 505, 304}, 504, 303, true},
  };
  for (const Case &C : Cases) {
    View->SetRect(C.R);
    EXPECT_EQ(View->GetWidth(), C.Width);
    EXPECT_EQ(View->GetHeight(), C.Height);
    EXPECT_EQ(View->IsVisible(), C.Visible);
    EXPECT_EQ(View->GetDrawRect(), C.Visible ? C.R : TRect{});
    EXPECT_EQ(View->GetLeft(), C.R.Left);
    EXPECT_EQ(View->GetTop(), C.R.Top);
  }
  // Switched off: neither visible nor laid out, whatever the rectangle.
  View->SetVisible(false);
  EXPECT_FALSE(View->IsVisible());
  EXPECT_FALSE(View->IsVisibleForced());
  EXPECT_EQ(View->GetDrawRect(), TRect{});
  EXPECT_EQ(Host.Recalcs, 1);
  View->SetVisible(false); // stored without comparing: the layout is redone
  EXPECT_EQ(Host.Recalcs, 2);
}

TEST_F(DisplayViews, EnterAndLeaveAreReportedOnce) {
  View->SetRect({10, 10, 50, 50});
  View->MouseMove(0, 5, 5);
  View->MouseMove(0, 10, 10);
  View->MouseMove(0, 20, 20);
  View->MouseMove(0, 49, 49);
  View->MouseMove(0, 50, 20); // the right edge lies outside
  View->MouseMove(0, 60, 60);
  View->MouseMove(0, 30, 30);
  View->MouseLeave(); // the control lost the mouse while inside
  View->MouseLeave();
  EXPECT_EQ(Log, (std::vector<std::string>{"enter", "leave", "enter", "leave"}));
  EXPECT_FALSE(View->GetMouseInside());
  // A view too narrow to show gets no enter.
  Log.clear();
  View->SetRect({10, 10, 11, 50});
  View->MouseMove(0, 10, 20);
  EXPECT_TRUE(Log.empty());
}

TEST_F(DisplayViews, BaseAnswersAndRepaints) {
  View->SetRect({1, 2, 30, 40});
  EXPECT_EQ(View->GetValueAt(5, 5), -1000.0);
  EXPECT_EQ(View->GetMinValue(), 0.0);
  EXPECT_EQ(View->GetMaxValue(), 0.0);
  View->InvalidateView();
  View->Invalidate();
  ASSERT_EQ(Host.Rects.size(), 1u);
  EXPECT_EQ(Host.Rects[0], (TRect{1, 2, 30, 40}));
  EXPECT_EQ(Host.Repaints, 1);
}

TEST_F(DisplayViews, ListKeepsOrderAndOwnsItsViews) {
  TSLDisplayViews Views;
  std::vector<std::string> Other;
  auto *A = CreateObject<TTrackingView>(&Host, &Other);
  auto *B = CreateObject<TTrackingView>(&Host, &Other);
  Views.Add(A);
  Views.Add(B);
  EXPECT_EQ(Views.GetItem(0), A);
  EXPECT_EQ(Views.GetItem(1), B);
  EXPECT_THROW(Views.GetItem(2), EListError);
  Views.Remove(A); // freed by the list
  EXPECT_EQ(Views.Count(), 1);
  EXPECT_EQ(Views.GetItem(0), B);
}

} // namespace
