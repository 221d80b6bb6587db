#include "scope/SLChannelData.h"

#include <algorithm>

#include "framework/dispatch/Slbasicdispatcher.h"

namespace sl = Slbasicdispatcher;

namespace {

ISLRealBufferPtr NewBuffer(const double *Data, uint32_t Count) {
  return ISLRealBufferPtr(com::MakeCom<TSLRealBuffer>(Data, Count));
}
ISLRealBufferPtr NewBuffer(const float *Data, uint32_t Count) {
  return ISLRealBufferPtr(com::MakeCom<TSLRealBuffer>(Data, Count));
}
ISLRealBufferPtr NewBuffer(const int32_t *Data, uint32_t Count) {
  return ISLRealBufferPtr(com::MakeCom<TSLRealBuffer>(Data, Count));
}
ISLRealBufferPtr EmptyBuffer() { return ISLRealBufferPtr(com::MakeCom<TSLRealBuffer>()); }

// Makes room for one more item at the end of Buffer: at the limit the newest
// Limit - 1 items move to the front (the oldest dropped; a buffer filled
// before the limit was lowered shrinks to it), otherwise the buffer grows by
// one with its data kept.
void ShiftOrGrow(ISLRealBufferPtr &Buffer, uint32_t Limit) {
  const uint32_t Count = Buffer->GetSize();
  if (Limit != 0 && Count >= Limit) {
    // A second reference shares the old store, so Write gives this buffer a
    // fresh store (copy-on-write without copying); the move then fills it.
    ISLRealBufferPtr Old(com::MakeCom<TSLRealBuffer>(static_cast<ISLDataBuffer *>(Buffer.Get())));
    double *Dest = Buffer->Write();
    (void)sl::ippsMove_64f(Old->Read() + (Count - Limit + 1), Dest, static_cast<int>(Limit - 1));
    if (Count > Limit)
      Buffer->Resize(Limit, true);
  } else {
    Buffer->Resize(Count + 1, true);
  }
}

uint32_t CopyOut(const ISLRealBufferPtr &Buffer, double *Dest, uint32_t Capacity) {
  const uint32_t Count = std::min(Buffer->GetSize(), Capacity);
  if (Count != 0)
    (void)sl::ippsCopy_64f(Buffer->Read(), Dest, static_cast<int>(Count));
  return Count;
}

constexpr uint32_t All = UINT32_MAX;

} // namespace

double TSLChannelData::GetSampleRate() { return channel_->GetSampleRateValue(); }

void TSLChannelData::SetSampleRate(double Value) { channel_->SetSampleRateValue(Value); }

void TSLChannelData::Stored() {
  channel_->SetNewData();
  channel_->SetRecalcRects();
}

template <class T> void TSLChannelData::LoadY(const T *Data, uint32_t Count) {
  const uint32_t Limit = channel_->SizeLimit();
  if (Limit != 0 && Limit < Count) {
    Data += Count - Limit;
    Count = Limit;
  }
  ISLRealBufferPtr Y = NewBuffer(Data, Count);
  {
    sys::TCriticalSectionLock Lock(channel_->ChannelLock());
    channel_->InY() = Y;
    PopulateRamp();
  }
  Stored();
}

template <class T> void TSLChannelData::LoadXY(const T *X, const T *Y, uint32_t Count) {
  const uint32_t Limit = channel_->SizeLimit();
  if (Limit != 0 && Limit < Count) {
    X += Count - Limit;
    Y += Count - Limit;
    Count = Limit;
  }
  ISLRealBufferPtr NewX = NewBuffer(X, Count);
  ISLRealBufferPtr NewY = NewBuffer(Y, Count);
  {
    sys::TCriticalSectionLock Lock(channel_->ChannelLock());
    channel_->InX() = NewX;
    channel_->InY() = NewY;
  }
  Stored();
}

void TSLChannelData::SetYData(const int32_t *Data, uint32_t Count) { LoadY(Data, Count); }
void TSLChannelData::SetYData(const float *Data, uint32_t Count) { LoadY(Data, Count); }
void TSLChannelData::SetYData(const double *Data, uint32_t Count) { LoadY(Data, Count); }
void TSLChannelData::SetXYData(const int32_t *X, const int32_t *Y, uint32_t Count) {
  LoadXY(X, Y, Count);
}
void TSLChannelData::SetXYData(const float *X, const float *Y, uint32_t Count) {
  LoadXY(X, Y, Count);
}
void TSLChannelData::SetXYData(const double *X, const double *Y, uint32_t Count) {
  LoadXY(X, Y, Count);
}

void TSLChannelData::AddPoint(bool HasX, double X, double Y) {
  const uint32_t Limit = channel_->SizeLimit();
  {
    sys::TCriticalSectionLock Lock(channel_->ChannelLock());
    ISLRealBufferPtr &InX = channel_->InX();
    ISLRealBufferPtr &InY = channel_->InY();
    ShiftOrGrow(InX, Limit);
    const uint32_t NX = InX->GetSize();
    double *PX = InX->Modify();
    if (HasX)
      PX[NX - 1] = X;
    else if (NX > 1)
      PX[NX - 1] = PX[NX - 2] + 1.0;
    else
      PX[0] = 0.0;
    ShiftOrGrow(InY, Limit);
    InY->Modify()[InY->GetSize() - 1] = Y;
  }
  Stored();
}

void TSLChannelData::AddYPoint(double Value) { AddPoint(false, 0, Value); }

void TSLChannelData::AddXYPoint(double X, double Y) { AddPoint(true, X, Y); }

void TSLChannelData::Clear() {
  {
    sys::TCriticalSectionLock Lock(channel_->ChannelLock());
    // An empty channel has nothing to hand over: asking for a refresh and a
    // repaint anyway would keep a window that clears at every idle pass
    // repainting for ever. Its draw buffers are empty too, or a refresh that
    // empties them is already pending.
    if (channel_->InX()->GetSize() == 0 && channel_->InY()->GetSize() == 0)
      return;
    channel_->InX() = EmptyBuffer();
    channel_->InY() = EmptyBuffer();
  }
  channel_->SetNewData();
  channel_->Invalidate();
}

void TSLChannelData::PopulateRamp() {
  sys::TCriticalSectionLock Lock(channel_->ChannelLock());
  const uint32_t Count = channel_->InY()->GetSize();
  ISLRealBufferPtr X(com::MakeCom<TSLRealBuffer>(Count));
  double *P = X->Write();
  for (uint32_t I = 0; I < Count; ++I)
    P[I] = I;
  channel_->InX() = X;
}

uint32_t TSLChannelData::GetSize() {
  sys::TCriticalSectionLock Lock(channel_->ChannelLock());
  return channel_->InY()->GetSize();
}

void TSLChannelData::GetXData(double *Dest) { GetXData(Dest, All); }
void TSLChannelData::GetYData(double *Dest) { GetYData(Dest, All); }

uint32_t TSLChannelData::GetXData(double *Dest, uint32_t Capacity) {
  sys::TCriticalSectionLock Lock(channel_->ChannelLock());
  return CopyOut(channel_->InX(), Dest, Capacity);
}

uint32_t TSLChannelData::GetYData(double *Dest, uint32_t Capacity) {
  sys::TCriticalSectionLock Lock(channel_->ChannelLock());
  return CopyOut(channel_->InY(), Dest, Capacity);
}

void TSLChannelData::GetXYData(double *X, double *Y) {
  sys::TCriticalSectionLock Lock(channel_->ChannelLock());
  CopyOut(channel_->InX(), X, All);
  CopyOut(channel_->InY(), Y, All);
}

uint32_t TSLChannelData::GetDrawSize() { return channel_->DrawY()->GetSize(); }
void TSLChannelData::GetDrawXData(double *Dest) { CopyOut(channel_->DrawX(), Dest, All); }
void TSLChannelData::GetDrawYData(double *Dest) { CopyOut(channel_->DrawY(), Dest, All); }
void TSLChannelData::GetDrawXYData(double *X, double *Y) {
  CopyOut(channel_->DrawX(), X, All);
  CopyOut(channel_->DrawY(), Y, All);
}
