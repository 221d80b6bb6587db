// What the two generic filters share: TSLGenericReal here (real buffers) and
// the audio components' TALGenericFilter (audio buffers), filters whose
// processing the application writes as events. TBase is the filter base
// (TSLCommonRealFilter, TALCommonFilter), TProcessDataEvent the signature of
// OnProcessData; each filter adds its own OnStart and its buffer handling.
//
// SynchronizeType says where OnProcessData runs: stNone on the delivering
// thread inside the dispatch, stSingleBuffer and stQueue on the main thread
// through a queue of at most 400 waiting buffers (Slsynctypes.h).
//
// Threads: SetSynchronizeType takes the global write lock and the filter's
// lock; the lock object and both pins form one lock group in every mode, so
// a main-thread send waits for a dispatch under way on the input. HandOver
// runs on the delivering thread, the queue's callback (the filter's
// SyncBuffer) on the main thread. A hand-over never waits for a queue slot
// with the lock group held: the main thread needs the group to send the
// buffers whose handling frees the slots, so a thread inside the input's
// dispatch gives the group up while it waits. The main thread itself, which
// alone frees slots, never waits: without a free slot it handles the
// waiting buffers and then its own at once, in order.
#pragma once

#include <any>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "framework/data/SLClockGen.h"
#include "framework/data/Slsynctypes.h"
#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/FormStream.h"
#include "platform/mainloop/MainLoop.h"
#include "platform/sys/ScopeExit.h"

template <class TBase, class TProcessDataEvent> class TSLGenericFilterT : public TBase {
public:
  using TStopEvent = void(TObject *Sender);

  explicit TSLGenericFilterT(TComponent *AOwner)
      : TBase(AOwner), queue_(std::make_unique<TSLMainThreadBufferQueue>(
                           [this](TSLMainThreadBufferQueue *Sender, const ISLDataBufferPtr &B) {
                             SyncBuffer(Sender, B);
                           })) {}
  ~TSLGenericFilterT() override { queue_.reset(); }

  // Also reads the older property name "OnFilterData" as OnProcessData; a
  // name that names no method of the root is ignored.
  void DefineProperties(TFiler *Filer) override {
    TBase::DefineProperties(Filer);
    Filer->DefineProperty(
        "OnFilterData", [this](TReader *Reader) { ReadFilterData(Reader); }, [](TWriter *) {},
        false);
  }

  // The buffer queue's callback (main thread): OnProcessData, then the
  // result is sent unless the handler said otherwise.
  virtual void SyncBuffer(TSLMainThreadBufferQueue *Sender, const ISLDataBufferPtr &Buffer) = 0;

  TSLSynchronizeType GetSynchronizeType() const { return synchronizeType_; }
  void SetSynchronizeType(TSLSynchronizeType Value) {
    TOWGlobalWriteSection global;
    TOWWriteSection section(this->GetLockObject());
    if (Value == synchronizeType_)
      return;
    synchronizeType_ = Value;
    if (Value != stNone) {
      this->GetLockObject()->AddShareLock(this->GetOutputPin());
      this->GetInputPin()->AddShareLock(this->GetOutputPin());
    } else {
      this->GetLockObject()->AddShareLock(this->GetInputPin());
      this->GetLockObject()->RemoveShareLock(this->GetOutputPin());
      this->GetInputPin()->RemoveShareLock(this->GetOutputPin());
    }
  }

  TEvent<TStopEvent> OnStop;
  TEvent<TProcessDataEvent> OnProcessData;

protected:
  // Commands go upstream when the input pin is linked, otherwise downstream.
  TOWNotifyResult SendCommand(IOWNotifyOperation *Operation) {
    if (this->GetInputPin()->IsConnected())
      return this->GetInputPin()->Notify(Operation);
    return this->GetOutputPin()->Notify(Operation);
  }

  // OnProcessData for the main thread's step, with In made by MakeIn only
  // when there is a handler; true when Out is to be sent.
  template <class TCBuffer, class TMakeIn> bool ProcessData(TMakeIn MakeIn, TCBuffer &Out) {
    bool send = true;
    if (OnProcessData)
      OnProcessData(this, MakeIn(), Out, send);
    return send;
  }

  // Sends Buffer on the output pin; receivers' exceptions pass.
  TOWNotifyResult SendBuffer(ISLDataBuffer *Buffer) {
    IOWNotifyOperationPtr operation =
        TOWNotifyOperation::Make<TOWSuppliedBufferOperation>(com::TComPtr<ISLDataBuffer>(Buffer));
    return this->GetOutputPin()->BCBNotify(operation.Get());
  }

  // The stop's common part: drops the buffers still waiting for the main
  // thread, then OnStop.
  void StopHandOver() {
    if (queue_)
      queue_->Clear();
    if (OnStop)
      OnStop(this);
  }

  // In a synchronized mode: MakeBuffer()'s buffer goes to the main thread,
  // nothing is sent from this thread, and the result is true. HoldsGroup:
  // this thread is inside the input's dispatch, whose delivery holds the
  // lock group. stNone: false, nothing done.
  template <class TMakeBuffer>
  bool HandedOver(TMakeBuffer MakeBuffer, bool HoldsGroup, bool &SendOutput) {
    const TSLSynchronizeType type = synchronizeType_;
    if (type == stNone)
      return false;
    SendOutput = false;
    HandOver(MakeBuffer(), type == stQueue, HoldsGroup);
    return true;
  }

private:
  // Force: queued behind the waiting buffers, else dropped while one waits.
  void HandOver(const ISLDataBufferPtr &Buffer, bool Force, bool HoldsGroup) {
    if (queue_->TryAddBuffer(Buffer, Force))
      return;
    if (!mainloop::TMainLoop::Main().IsMainThread()) {
      if (!HoldsGroup) {
        queue_->AddBuffer(Buffer, Force);
        return;
      }
      // Nothing of the filter is touched while the group is given up.
      const IOWLockObjectPtr lock = this->GetLockObject()->GetGroupLock();
      TOWLockObject *group = lock->Instance();
      const int64_t held = group->GetEntries();
      for (int64_t i = 0; i < held; ++i)
        group->EndWrite();
      sys::TScopeExit retake([group, held] {
        for (int64_t i = 0; i < held; ++i)
          group->BeginWrite();
      });
      queue_->AddBuffer(Buffer, Force);
      return;
    }
    // Every slot is taken and only this thread gives them back: waiting would
    // never end. The main thread is where the buffer is headed anyway.
    queue_->ExtractWaiting();
    SyncBuffer(queue_.get(), Buffer);
  }

  void ReadFilterData(TReader *Reader) {
    const std::string name = Reader->ReadIdent();
    try {
      TComponent *root = Reader->Root();
      if (root == nullptr)
        return;
      std::any bound = root->ClassInfo().BindMethod(root, name);
      if (const auto *fn = std::any_cast<std::function<TProcessDataEvent>>(&bound)) {
        OnProcessData.Fn = *fn;
        OnProcessData.MethodName = name;
      }
    } catch (...) {
      // A stale name in an old form is not worth failing the load for.
    }
  }

  std::unique_ptr<TSLMainThreadBufferQueue> queue_;
  std::atomic<TSLSynchronizeType> synchronizeType_{stNone};
};

// The class record of the generic filter T, named Name below Parent: it
// publishes SynchronizeType, OnStart, OnStop and OnProcessData.
template <class T>
const TClassInfo &SLGenericFilterClassInfo(const char *Name, const TClassInfo *Parent) {
  static const TClassInfo &info = MakeClassInfo<T>(Name, Parent, [](TClassBuilder<T> &c) {
    c.Enumeration("SynchronizeType", &T::GetSynchronizeType, &T::SetSynchronizeType,
                  {"stNone", "stSingleBuffer", "stQueue"}, stNone);
    c.Event("OnStart", &T::OnStart);
    // Named signatures: the two events are members of the base.
    c.template Event<typename T::TStopEvent>("OnStop", &T::OnStop);
    c.template Event<typename T::TProcessDataEvent>("OnProcessData", &T::OnProcessData);
  });
  return info;
}
