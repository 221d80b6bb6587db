#pragma once
// The axes' small setting records, published as nested properties of the
// form text: the Y axis's auto-scaling with its two space records, the X
// axis's limits, sample count and unit exponent, the cursor settings of both
// axes and the minor tick count of every tracking axis. A record stores its
// values and tells its owner about a change; setting the current value does
// nothing. Main thread only, like the axes that own them.

#include <cstdint>
#include <functional>

#include "framework/data/SLSimpleDataBuffer.h"
#include "platform/classlib/Persistent.h"

// The owner's reaction to a change of one of its records.
using TSLSettingChange = std::function<void()>;
// A record's change handler: the class library's notify event (Sender: the
// record, or for a limit's tick the limit that owns it).
using TSLSettingNotify = std::function<void(TObject *Sender)>;

class TSLScopeAutoScalingSpace : public TPersistent {
  CLASSLIB_CLASS(TSLScopeAutoScalingSpace)

public:
  // InvalidateStep: the owning axis recomputes its step and limits.
  explicit TSLScopeAutoScalingSpace(TSLSettingChange InvalidateStep = nullptr)
      : invalidateStep_(std::move(InvalidateStep)) {}

  // Extra room beyond the data, in 1/200 of the data range.
  uint32_t GetSpace() const { return space_; }
  void SetSpace(uint32_t Value);
  // Hysteresis, same units: the limit follows the data inwards only when it
  // moves by at least this much.
  uint32_t GetThreshold() const { return threshold_; }
  void SetThreshold(uint32_t Value);

  void Assign(TPersistent *Source) override;

private:
  void Changed();
  uint32_t space_ = 20;
  uint32_t threshold_ = 10;
  TSLSettingChange invalidateStep_;
};

class TSLScopeAutoScaling : public TPersistent {
  CLASSLIB_CLASS(TSLScopeAutoScaling)

public:
  explicit TSLScopeAutoScaling(TSLSettingChange InvalidateStep = nullptr);

  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool Value);
  TSLScopeAutoScalingSpace *GetSpaceAbove() { return &spaceAbove_; }
  TSLScopeAutoScalingSpace *GetSpaceBelow() { return &spaceBelow_; }
  // Copy the given record's values (no equality test) and notify.
  void SetSpaceAbove(TSLScopeAutoScalingSpace *Value);
  void SetSpaceBelow(TSLScopeAutoScalingSpace *Value);
  uint32_t GetMaxHistory() const { return maxHistory_; }
  // Replaces both histories by zeroed buffers of the new length: what was
  // remembered is dropped.
  void SetMaxHistory(uint32_t Value);

  // Rings of recent data maxima and minima, MaxHistory items each, kept by
  // the Y axis.
  TSLRealBuffer *GetMaxHistoryBuffer() const { return maxima_.Get(); }
  TSLRealBuffer *GetMinHistoryBuffer() const { return minima_.Get(); }

  void Assign(TPersistent *Source) override;

private:
  void Changed();
  void NewHistories();
  TSLSettingChange invalidateStep_;
  bool enabled_ = true;
  TSLScopeAutoScalingSpace spaceAbove_;
  TSLScopeAutoScalingSpace spaceBelow_;
  uint32_t maxHistory_ = 20;
  com::TComPtr<TSLRealBuffer> maxima_;
  com::TComPtr<TSLRealBuffer> minima_;
};

class TSLScopeMaxSample : public TPersistent {
  CLASSLIB_CLASS(TSLScopeMaxSample)

public:
  bool GetAutosize() const { return autosize_; }
  void SetAutosize(bool Value);
  uint32_t GetValue() const { return value_; }
  void SetValue(uint32_t Value);
  // Set once by the X axis after creation.
  TSLSettingNotify OnChange;

  void Assign(TPersistent *Source) override;

private:
  void Changed();
  bool autosize_ = true;
  uint32_t value_ = 1024;
};

class TSLBasicScopeAxisValue : public TPersistent {
  CLASSLIB_CLASS(TSLBasicScopeAxisValue)

public:
  explicit TSLBasicScopeAxisValue(TSLSettingNotify OnChange = nullptr)
      : onChange_(std::move(OnChange)) {}

  bool GetAutoScale() const { return autoScale_; }
  void SetAutosize(bool Value);
  double GetValue() const { return value_; }
  void SetValue(double Value);

  void Assign(TPersistent *Source) override;
  // "Value" is always written, as an extended float; reading it stores the
  // value without the change handler, so loading a form raises no change.
  void DefineProperties(TFiler *Filer) override;

protected:
  void Changed();

private:
  friend class TSLScopeAxisValue;
  bool autoScale_ = true;
  double value_ = 0;
  TSLSettingNotify onChange_;
};

class TSLScopeAxisValue : public TSLBasicScopeAxisValue {
  CLASSLIB_CLASS(TSLScopeAxisValue)

public:
  explicit TSLScopeAxisValue(TSLSettingNotify OnChange = nullptr);

  TSLBasicScopeAxisValue *GetTick() { return &tick_; }
  // Copies the given record's values into Tick (no equality test), then
  // reports a change of this record.
  void SetTick(TSLBasicScopeAxisValue *Value);

  void Assign(TPersistent *Source) override;

private:
  void DoChange(TObject *Sender);
  TSLBasicScopeAxisValue tick_;
};

class TSLDisplayAxisCursorSettings : public TPersistent {
  CLASSLIB_CLASS(TSLDisplayAxisCursorSettings)

public:
  // UpdateCursors: the chart re-places its cursors.
  explicit TSLDisplayAxisCursorSettings(TSLSettingChange UpdateCursors = nullptr)
      : updateCursors_(std::move(UpdateCursors)) {}

  bool GetSnapToSample() const { return snapToSample_; }
  void SetSnapToSample(bool Value);

  void Assign(TPersistent *Source) override;

private:
  bool snapToSample_ = false;
  TSLSettingChange updateCursors_;
};

class TSLMinorTicks : public TPersistent {
  CLASSLIB_CLASS(TSLMinorTicks)

public:
  explicit TSLMinorTicks(TSLSettingNotify OnChange = nullptr) : onChange_(std::move(OnChange)) {}

  uint32_t GetCount() const { return count_; }
  void SetCount(uint32_t Value);

  void Assign(TPersistent *Source) override;

private:
  uint32_t count_ = 0;
  TSLSettingNotify onChange_;
};

class TSLScopeXAxisUnitScale : public TPersistent {
  CLASSLIB_CLASS(TSLScopeXAxisUnitScale)

public:
  // Changed: the X axis recomputes its layout and repaints, then drops its
  // cached data limits, in that order.
  explicit TSLScopeXAxisUnitScale(TSLSettingChange Changed = nullptr)
      : changed_(std::move(Changed)) {}

  bool GetAutoScale() const { return autoScale_; }
  void SetAutoScale(bool Value);
  int32_t GetExponent() const { return exponent_; }
  void SetExponent(int32_t Value);

  void Assign(TPersistent *Source) override;

private:
  void Changed();
  bool autoScale_ = true;
  int32_t exponent_ = 0;
  TSLSettingChange changed_;
};
