// The generic real filter: a real-buffer filter whose processing is written as
// event handlers. OnStart runs when a stream starts (with its block size),
// OnStop when it stops, OnProcessData for each buffer or single value with
// the incoming samples, the outgoing buffer and a flag that decides whether
// anything is sent on. Handlers see buffers through TSLCRealBuffer values.
//
// Threads: with SynchronizeType stNone every handler runs on the thread that
// delivers the operation, inside the dispatch (the global lock read, the
// filter's lock group written). With stSingleBuffer or stQueue, OnProcessData
// and the sending of its result run on the main thread through the buffer
// queue (SyncBuffer); OnStart and OnStop still run on the delivering thread.
// The lock object and both pins form one lock group in every mode, so a
// main-thread send waits for a dispatch under way on the input. The
// hand-over to the main thread is the generic filters' own
// (SLGenericFilter.h): it never waits for a queue slot with the group held.
#pragma once

#include <atomic>
#include <thread>

#include "framework/data/SLCommonFilter.h"
#include "framework/data/SLGenericFilter.h"
#include "framework/data/Slcrealbuffer.h"

using TSLGenericRealProcessDataEvent = void(TObject *Sender, TSLCRealBuffer InBuffer,
                                            TSLCRealBuffer &OutBuffer, bool &SendOutputData);

class TSLGenericReal
    : public TSLGenericFilterT<TSLCommonRealFilter, TSLGenericRealProcessDataEvent> {
  CLASSLIB_CLASS(TSLGenericReal)
public:
  using TStartEvent = void(TObject *Sender, int BlockSize);
  using TProcessDataEvent = TSLGenericRealProcessDataEvent;

  explicit TSLGenericReal(TComponent *AOwner);

  // Marks the thread inside the input's dispatch, whose delivery holds the
  // lock group, for the hand-over.
  TOWNotifyResult SinkDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                               IOWNotifyOperation *Operation, TOWNotifyState State) override;
  // Stores the block size, then OnStart.
  void SetSamples(int BlockSize) override;
  // Drops the buffers still waiting for the main thread, OnStop, block size
  // 0, sample rate 0.
  void Stop() override;
  // OutBuffer shares InBuffer's samples; then OnProcessData here (stNone) or
  // on the main thread (nothing is sent from this thread then). Runs whether
  // or not the output pin is linked.
  void InternalOperation(ISLRealBuffer *InBuffer, TBufferPtr &OutBuffer, bool OutputConnected,
                         bool &SendOutput) override;
  void SyncBuffer(TSLMainThreadBufferQueue *Sender, const ISLDataBufferPtr &Buffer) override;
  // Sends Buffer on the output pin; receivers' exceptions pass.
  TOWNotifyResult SendData(TSLCRealBuffer Buffer);
  // A start with sample rate, or a stop: upstream when the input pin is
  // linked, otherwise downstream.
  TOWNotifyResult SendStartCommand(int BufferSize, float SampleRate);
  TOWNotifyResult SendStopCommand();

  int GetBlockSize() const { return blockSize_; }

  TEvent<TStartEvent> OnStart;

private:
  std::atomic<int> blockSize_{0};
  std::atomic<std::thread::id> dispatchThread_{};
};
