// Bases of the signal filter components: buffers of one sample type go from
// the input pin through a processing hook to the output pin; control
// operations pass through.
//
// TSLCommonFilter holds the enable input, the Enabled switch, the component's
// own lock object and the sample rate of the running stream. The typed bases
// (real, complex, integer, binary) add an output and an input pin; the input
// is a function dependency of the output with lock sharing, and (except for
// the binary base) the lock object joins the input pin's lock group, so the
// component's state is consistent during a dispatch.
//
// Threads: operations arrive on the sender's thread with the input pin's lock
// group held for writing (the framework's delivery); the hooks run there.
// Enabled and the sample rate are atomics, readable from any thread.
//
// Life: made with CreateObject and freed with FreeObject; BeforeDestruction
// unlinks the input pin and stops the filter before the destructor frees the
// pins.
#pragma once

#include <atomic>
#include <memory>

#include "framework/data/SLStreamTypes.h"
#include "framework/pins/OWStdTypes.h"
#include "platform/classlib/ClassBuilder.h"

class TSLCommonFilter : public TComponent {
  CLASSLIB_SIMPLE_CLASS(TSLCommonFilter, TComponent)
public:
  explicit TSLCommonFilter(TComponent *AOwner);
  ~TSLCommonFilter() override;
  // Stop(), then the class library's step.
  void BeforeDestruction() override;

  // The sample rate becomes 0.
  virtual void Stop();
  virtual void Reset() {}
  virtual void SetSamples(int) {}
  virtual void SetSampleRate(double Value) { sampleRate_ = Value; }
  // A change is stored under the lock object's write section.
  virtual void SetEnabled(bool Value);

  bool GetEnabled() const { return enabled_; }
  double GetVC_SampleRate() const { return sampleRate_; }
  TOWBoolSinkPin *GetEnablePin() const { return enablePin_.get(); }
  TOWObject *GetLockObject() const { return lock_.get(); }

protected:
  void OnEnableEvent(TOWPin *Pin, bool Value);

private:
  std::unique_ptr<TOWObject> lock_;
  TOwnedPtr<TOWBoolSinkPin> enablePin_;
  std::atomic<bool> enabled_{true};
  std::atomic<double> sampleRate_{0.0};
};

// The typed bases' common part. TBuffer is the buffer class handled, IBuffer
// its interface.
template <class TOutPin, class TInPin, class TBuffer, class IBuffer>
class TSLCommonBufferFilterT : public TSLCommonFilter {
public:
  using TBufferPtr = com::TComPtr<IBuffer>;

  TSLCommonBufferFilterT(TComponent *AOwner, bool ShareLock);
  ~TSLCommonBufferFilterT() override;
  // Unlinks the input pin, then the base's step.
  void BeforeDestruction() override;

  // An operation from downstream on the output pin: sent on upstream when the
  // input pin is linked, otherwise handled as if it had arrived on the input.
  virtual TOWNotifyResult SourceDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                                         IOWNotifyOperation *Operation, TOWNotifyState State);
  // An operation on the input pin: starts with sample rate set the samples and
  // the rate and reset the filter, stops stop it (both are then sent on);
  // buffers run through the hooks; everything else is sent on.
  virtual TOWNotifyResult SinkDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                                       IOWNotifyOperation *Operation, TOWNotifyState State);
  // FilterInternalOperation when the output is linked.
  virtual void InternalOperation(IBuffer *InBuffer, TBufferPtr &OutBuffer, bool OutputConnected,
                                 bool &SendOutput);
  // The processing hook of descendants; nothing here.
  virtual void FilterInternalOperation(IBuffer *, TBufferPtr &, bool &) {}

  TOutPin *GetOutputPin() const { return output_.get(); }
  TInPin *GetInputPin() const { return input_.get(); }

protected:
  TOWNotifyResult Forward(IOWNotifyOperation *Operation) { return output_->Notify(Operation); }
  // The buffer the hooks write into: here a new buffer of InBuffer's length,
  // cleared so that nothing unwritten is ever sent.
  virtual TBufferPtr MakeOutBuffer(TBuffer *InBuffer, TOWNotifyState State);
  TOWNotifyResult DispatchBuffer(const TOWSuppliedBufferOperation *Operation, TOWNotifyState State);

private:
  TOwnedPtr<TOutPin> output_;
  TOwnedPtr<TInPin> input_;
};

// Publishes OutputPin, InputPin, EnablePin and Enabled of a typed base.
template <class T> void SLPublishFilterProperties(TClassBuilder<T> &c) {
  c.Object("OutputPin", &T::GetOutputPin);
  c.Object("InputPin", &T::GetInputPin);
  c.Object("EnablePin", &T::GetEnablePin);
  c.Boolean("Enabled", &T::GetEnabled, &T::SetEnabled, true);
}

// Real buffers, and single float and double values processed as one-item
// buffers.
class TSLCommonRealFilter
    : public TSLCommonBufferFilterT<TSLOWComboRealSourcePin, TSLOWComboRealSinkPin, TSLRealBuffer,
                                    ISLRealBuffer> {
  CLASSLIB_CLASS(TSLCommonRealFilter)
public:
  explicit TSLCommonRealFilter(TComponent *AOwner);

  // Plain starts (SetSamples(1), Reset) and single values besides the base's.
  TOWNotifyResult SinkDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                               IOWNotifyOperation *Operation, TOWNotifyState State) override;
  // True in a descendant that processes its output buffer in place: the last
  // receiver of a fan-out then writes into the shared samples without copying.
  virtual bool CanInline() { return false; }
  // Disabled: Output = Value. Enabled: Value as a one-item buffer through
  // InternalOperation (the one-item output starts as Value too); Output = the
  // output's item 0.
  virtual void InternalFloatOperation(double Value, double &Output, bool &SendOutput);

protected:
  // A buffer sharing InBuffer's samples (the base sends it on unchanged when
  // disabled); it gives up ownership when in-place processing is allowed.
  TBufferPtr MakeOutBuffer(TSLRealBuffer *InBuffer, TOWNotifyState State) override;

private:
  TOWNotifyResult DispatchValue(double Value, IOWNotifyOperation *Operation);
};

class TSLCommonComplexFilter
    : public TSLCommonBufferFilterT<TSLOWComplexSourcePin, TSLOWComplexSinkPin, TSLComplexBuffer,
                                    ISLComplexBuffer> {
  CLASSLIB_CLASS(TSLCommonComplexFilter)
public:
  explicit TSLCommonComplexFilter(TComponent *AOwner) : TSLCommonBufferFilterT(AOwner, true) {}
};

class TSLCommonIntegerFilter
    : public TSLCommonBufferFilterT<TSLOWIntegerSourcePin, TSLOWIntegerSinkPin, TSLIntegerBuffer,
                                    ISLIntegerBuffer> {
  CLASSLIB_CLASS(TSLCommonIntegerFilter)
public:
  explicit TSLCommonIntegerFilter(TComponent *AOwner) : TSLCommonBufferFilterT(AOwner, true) {}
};

// The lock object stays out of the pins' group.
class TSLCommonBinaryFilter
    : public TSLCommonBufferFilterT<TSLOWBinarySourcePin, TSLOWBinarySinkPin, TSLBlockBuffer,
                                    ISLBlockBuffer> {
  CLASSLIB_CLASS(TSLCommonBinaryFilter)
public:
  explicit TSLCommonBinaryFilter(TComponent *AOwner) : TSLCommonBufferFilterT(AOwner, false) {}
};
