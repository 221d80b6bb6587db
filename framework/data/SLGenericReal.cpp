#include "framework/data/SLGenericReal.h"

#include "platform/sys/ScopeExit.h"

const TClassInfo &TSLGenericReal::StaticClassInfo() {
  return SLGenericFilterClassInfo<TSLGenericReal>("TSLGenericReal",
                                                  &TSLCommonRealFilter::StaticClassInfo());
}

namespace {
// The real buffer object behind a buffer that travels as a real buffer.
TSLRealBuffer *RealObject(ISLDataBuffer *Buffer) { return SLBufferObject<TSLRealBuffer>(Buffer); }
} // namespace

TSLGenericReal::TSLGenericReal(TComponent *AOwner) : TSLGenericFilterT(AOwner) {}

TOWNotifyResult TSLGenericReal::SinkDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                                             IOWNotifyOperation *Operation, TOWNotifyState State) {
  // The calling thread is inside a dispatch until it returns; a nested
  // dispatch gives the outer mark back.
  const std::thread::id outer = dispatchThread_.exchange(std::this_thread::get_id());
  sys::TScopeExit restore([this, outer] { dispatchThread_ = outer; });
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
