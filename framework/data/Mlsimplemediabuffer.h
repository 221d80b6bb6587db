// The time-stamped media buffer: a generic buffer over a TMLSmartMediaBuffer
// store, whose time stamp is read and written through the buffer's
// TMLTimeStamp view.
//
// The stamp lives in the store: every buffer sharing the store sees the same
// stamp, and setting it does not make the buffer unique. A writer that wants
// a stamp of its own makes its buffer unique first (write or modify access);
// the private store starts with the shared store's stamp. The buffer object
// itself is used by one thread at a time, as every buffer.
//
// The audio buffer (Alsimpleaudiobuffer) derives from TMLMediaBuffer; it sets
// the data pointer, which this level leaves unset.
#pragma once

#include "framework/data/Mlinternalstore.h"
#include "framework/data/SLSimpleDataBuffer.h"

class TMLMediaBuffer;

// The time-stamp view of a media buffer; owned by the buffer, it forwards to
// the buffer's current store.
class TMLTimeStamp {
public:
  explicit TMLTimeStamp(TMLMediaBuffer *Owner) : owner_(Owner) {}
  TMLTimeStamp(const TMLTimeStamp &) = delete;
  TMLTimeStamp &operator=(const TMLTimeStamp &) = delete;

  bool GetAvailable() const;
  void SetAvailable(bool Value);
  int64_t GetBegin() const;
  void SetBegin(int64_t Value);
  int64_t GetEnd() const;
  void SetEnd(int64_t Value);

private:
  TMLMediaBuffer *owner_;
};

struct IMLMediaBuffer : public virtual ISLDataBuffer {
  static constexpr com::TGUID IID =
      com::TGUID::FromLiteral("{D4894B42-BC18-4BDD-9AA0-320612A44E5F}");
  virtual TMLTimeStamp *GetTimeStamp() = 0;
};

class TMLMediaBuffer : public TSLGenericBuffer, public IMLMediaBuffer {
public:
  // Takes Store (one more owner) with ByteSize bytes.
  TMLMediaBuffer(TMLSmartMediaBuffer *Store, uint32_t ByteSize)
      : TSLGenericBuffer(Store, ByteSize), timeStamp_(this) {}
  // Shares Source's store, size and data pointer.
  explicit TMLMediaBuffer(TMLMediaBuffer *Source) : TSLGenericBuffer(Source), timeStamp_(this) {}

  com::HRESULT QueryInterface(const com::TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<ISLDataBuffer, ISLGenericBuffer, IMLMediaBuffer>(this, iid, out);
  }
  // A media buffer sharing this store (the audio buffer makes its own class).
  com::TComPtr<ISLDataBuffer> MakeCopy() override { return com::MakeCom<TMLMediaBuffer>(this); }

  TMLTimeStamp *GetTimeStamp() override { return &timeStamp_; }
  TMLSmartMediaBuffer *GetMediaStore() const {
    return static_cast<TMLSmartMediaBuffer *>(GetDataContainer());
  }

  bool GetTimeStampAvailable() const { return GetMediaStore()->GetTimeStampAvailable(); }
  void SetTimeStampAvailable(bool Value) { GetMediaStore()->SetTimeStampAvailable(Value); }
  int64_t GetTimeStampBegin() const { return GetMediaStore()->GetTimeStampBegin(); }
  void SetTimeStampBegin(int64_t Value) { GetMediaStore()->SetTimeStampBegin(Value); }
  int64_t GetTimeStampEnd() const { return GetMediaStore()->GetTimeStampEnd(); }
  void SetTimeStampEnd(int64_t Value) { GetMediaStore()->SetTimeStampEnd(Value); }

protected:
  ~TMLMediaBuffer() override = default;

private:
  TMLTimeStamp timeStamp_;
};

inline bool TMLTimeStamp::GetAvailable() const { return owner_->GetTimeStampAvailable(); }
inline void TMLTimeStamp::SetAvailable(bool Value) { owner_->SetTimeStampAvailable(Value); }
inline int64_t TMLTimeStamp::GetBegin() const { return owner_->GetTimeStampBegin(); }
inline void TMLTimeStamp::SetBegin(int64_t Value) { owner_->SetTimeStampBegin(Value); }
inline int64_t TMLTimeStamp::GetEnd() const { return owner_->GetTimeStampEnd(); }
inline void TMLTimeStamp::SetEnd(int64_t Value) { owner_->SetTimeStampEnd(Value); }
