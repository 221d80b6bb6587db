#include "framework/data/SLGenericReal.h"

#include "platform/classlib/FormStream.h"

const TClassInfo &TSLGenericReal::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TSLGenericReal>(
      "TSLGenericReal", &TSLCommonRealFilter::StaticClassInfo(),
      [](TClassBuilder<TSLGenericReal> &c) {
        c.Enumeration("SynchronizeType", &TSLGenericReal::GetSynchronizeType,
                      &TSLGenericReal::SetSynchronizeType, {"stNone", "stSingleBuffer", "stQueue"},
                      stNone);
        c.Event("OnStart", &TSLGenericReal::OnStart);
        c.Event("OnStop", &TSLGenericReal::OnStop);
        c.Event("OnProcessData", &TSLGenericReal::OnProcessData);
      });
  return info;
}

namespace {
// The real buffer object behind a buffer that travels as a real buffer.
TSLRealBuffer *RealObject(ISLDataBuffer *Buffer) { return SLBufferObject<TSLRealBuffer>(Buffer); }
} // namespace

TSLGenericReal::TSLGenericReal(TComponent *AOwner)
    : TSLCommonRealFilter(AOwner),
      queue_(std::make_unique<TSLMainThreadBufferQueue>(
          [this](TSLMainThreadBufferQueue *Sender, const ISLDataBufferPtr &Buffer) {
            SyncBuffer(Sender, Buffer);
          })) {}

TSLGenericReal::~TSLGenericReal() { queue_.reset(); }

void TSLGenericReal::DefineProperties(TFiler *Filer) {
  TSLCommonRealFilter::DefineProperties(Filer);
  Filer->DefineProperty(
      "OnFilterData", [this](TReader *Reader) { ReadFilterData(Reader); }, [](TWriter *) {}, false);
}

void TSLGenericReal::ReadFilterData(TReader *Reader) {
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

void TSLGenericReal::SetSamples(int BlockSize) {
  blockSize_ = BlockSize;
  if (OnStart)
    OnStart(this, BlockSize);
}

void TSLGenericReal::Stop() {
  if (queue_)
    queue_->Clear();
  if (OnStop)
    OnStop(this);
  blockSize_ = 0;
  TSLCommonRealFilter::Stop();
}

void TSLGenericReal::InternalOperation(ISLRealBuffer *InBuffer, TBufferPtr &OutBuffer, bool,
                                       bool &SendOutput) {
  OutBuffer->Assign(InBuffer);
  if (!OnProcessData)
    return;
  const TSLSynchronizeType type = synchronizeType_;
  if (type != stNone) {
    queue_->AddBuffer(ISLDataBufferPtr(InBuffer), type == stQueue);
    SendOutput = false;
    return;
  }
  TSLCRealBuffer in(RealObject(InBuffer));
  TSLCRealBuffer out(RealObject(OutBuffer.Get()));
  OnProcessData(this, in, out, SendOutput);
}

void TSLGenericReal::SyncBuffer(TSLMainThreadBufferQueue *, const ISLDataBufferPtr &Buffer) {
  TSLCRealBuffer out(com::MakeCom<TSLRealBuffer>(Buffer.Get()).Get());
  bool send = true;
  if (OnProcessData) {
    TSLCRealBuffer in(RealObject(Buffer.Get()));
    OnProcessData(this, in, out, send);
  }
  if (send)
    SendData(out);
}

TOWNotifyResult TSLGenericReal::SendData(TSLCRealBuffer Buffer) {
  IOWNotifyOperationPtr operation = TOWNotifyOperation::Make<TOWSuppliedBufferOperation>(
      com::TComPtr<ISLDataBuffer>(Buffer.RealBuffer()));
  return GetOutputPin()->BCBNotify(operation.Get());
}

TOWNotifyResult TSLGenericReal::SendCommand(IOWNotifyOperation *Operation) {
  if (GetInputPin()->IsConnected())
    return GetInputPin()->Notify(Operation);
  return GetOutputPin()->Notify(Operation);
}

TOWNotifyResult TSLGenericReal::SendStartCommand(int BufferSize, float SampleRate) {
  return SendCommand(
      TOWNotifyOperation::Make<TOWStartSampleRateOperation>(BufferSize, SampleRate).Get());
}

TOWNotifyResult TSLGenericReal::SendStopCommand() {
  return SendCommand(TOWNotifyOperation::Make<TOWStopOperation>().Get());
}

void TSLGenericReal::SetSynchronizeType(TSLSynchronizeType Value) {
  TOWGlobalWriteSection global;
  TOWWriteSection section(GetLockObject());
  if (Value == synchronizeType_)
    return;
  synchronizeType_ = Value;
  if (Value != stNone) {
    GetLockObject()->AddShareLock(GetOutputPin());
    GetInputPin()->AddShareLock(GetOutputPin());
  } else {
    GetLockObject()->AddShareLock(GetInputPin());
    GetLockObject()->RemoveShareLock(GetOutputPin());
    GetInputPin()->RemoveShareLock(GetOutputPin());
  }
}
