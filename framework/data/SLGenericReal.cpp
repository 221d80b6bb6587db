#include "framework/data/SLGenericReal.h"

const TClassInfo &TSLGenericReal::StaticClassInfo() {
  return SLGenericFilterClassInfo<TSLGenericReal>("TSLGenericReal",
                                                  &TSLCommonRealFilter::StaticClassInfo());
}

namespace {
// The real buffer object behind a buffer that travels as a real buffer.
TSLRealBuffer *RealObject(ISLDataBuffer *Buffer) { return SLBufferObject<TSLRealBuffer>(Buffer); }

// Marks the calling thread as inside a dispatch for as long as it lives;
// nested dispatches give the outer mark back.
class TDispatchMark {
public:
  explicit TDispatchMark(std::atomic<std::thread::id> &At)
      : at_(At), outer_(At.exchange(std::this_thread::get_id())) {}
  ~TDispatchMark() { at_ = outer_; }
  TDispatchMark(const TDispatchMark &) = delete;
  TDispatchMark &operator=(const TDispatchMark &) = delete;

private:
  std::atomic<std::thread::id> &at_;
  std::thread::id outer_;
};
} // namespace

TSLGenericReal::TSLGenericReal(TComponent *AOwner) : TSLGenericFilterT(AOwner) {}

TOWNotifyResult TSLGenericReal::SinkDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                                             IOWNotifyOperation *Operation, TOWNotifyState State) {
  TDispatchMark mark(dispatchThread_);
  return TSLGenericFilterT::SinkDispatch(Sender, DataTypeID, Operation, State);
}

void TSLGenericReal::SetSamples(int BlockSize) {
  blockSize_ = BlockSize;
  if (OnStart)
    OnStart(this, BlockSize);
}

void TSLGenericReal::Stop() {
  StopHandOver();
  blockSize_ = 0;
  TSLCommonRealFilter::Stop();
}

void TSLGenericReal::InternalOperation(ISLRealBuffer *InBuffer, TBufferPtr &OutBuffer, bool,
                                       bool &SendOutput) {
  OutBuffer->Assign(InBuffer);
  // A queued buffer is one more owner of the samples: a receiver that
  // writes them later gets a copy of its own.
  const bool holdsGroup = dispatchThread_.load() == std::this_thread::get_id();
  if (!OnProcessData ||
      HandedOver([InBuffer] { return ISLDataBufferPtr(InBuffer); }, holdsGroup, SendOutput))
    return;
  TSLCRealBuffer in(RealObject(InBuffer));
  TSLCRealBuffer out(RealObject(OutBuffer.Get()));
  OnProcessData(this, in, out, SendOutput);
}

void TSLGenericReal::SyncBuffer(TSLMainThreadBufferQueue *, const ISLDataBufferPtr &Buffer) {
  TSLCRealBuffer out(com::MakeCom<TSLRealBuffer>(Buffer.Get()).Get());
  if (ProcessData([&] { return TSLCRealBuffer(RealObject(Buffer.Get())); }, out))
    SendData(out);
}

TOWNotifyResult TSLGenericReal::SendData(TSLCRealBuffer Buffer) {
  return SendBuffer(Buffer.RealBuffer());
}

TOWNotifyResult TSLGenericReal::SendStartCommand(int BufferSize, float SampleRate) {
  return SendCommand(
      TOWNotifyOperation::Make<TOWStartSampleRateOperation>(BufferSize, SampleRate).Get());
}

TOWNotifyResult TSLGenericReal::SendStopCommand() {
  return SendCommand(TOWNotifyOperation::Make<TOWStopOperation>().Get());
}
