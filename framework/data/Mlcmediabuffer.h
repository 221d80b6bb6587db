// Value wrappers for media buffers: the base of the audio wrappers, adding a
// read-only view of the wrapped buffer's time stamp. Handler code cannot set
// a stamp through the wrappers.
//
// Threads: as the wrapped buffer, one thread at a time.
#pragma once

#include <cstdint>

#include "framework/data/Mlsimplemediabuffer.h"
#include "framework/data/Slcgenericbuffer.h"

class TMLCMediaBuffer;

// The time stamp of a wrapper's media buffer (its current store's stamp).
class TMLCTimeStamp {
public:
  explicit TMLCTimeStamp(const TMLCMediaBuffer *Buffer) : buffer_(Buffer) {}
  // Not available, 0 and 0 without a buffer (a detached access).
  bool GetAvailable() const;
  int64_t GetBeginTime() const;
  // kept: public member of the time stamp
  int64_t GetEndTime() const;

private:
  TMLMediaBuffer *Media() const;
  const TMLCMediaBuffer *buffer_;
};

class TMLCMediaBuffer : public TSLCGenericBuffer {
public:
  TMLCMediaBuffer() : timeStamp_(this) {}
  TMLCMediaBuffer(const TMLCMediaBuffer &) : TSLCGenericBuffer(), timeStamp_(this) {}
  TMLCMediaBuffer &operator=(const TMLCMediaBuffer &) { return *this; }

  // The wrapped buffer, a media buffer.
  TMLMediaBuffer *GetPasBuffer() const override = 0;
  const TMLCMediaBuffer *GetInstance() const { return this; }
  const TMLCTimeStamp &GetTimeStamp() const { return timeStamp_; }

private:
  TMLCTimeStamp timeStamp_;
};

// A data access over a media wrapper, with the same stamp view (empty once
// the wrapper went).
class TMLCMediaDataAccess : public TSLCDataAccess {
public:
  explicit TMLCMediaDataAccess(const TMLCMediaBuffer &Wrapper) : TSLCDataAccess(Wrapper) {}
  TMLCMediaDataAccess(const TMLCMediaDataAccess &Other) = default;
  TMLCTimeStamp GetTimeStamp() const {
    return TMLCTimeStamp(static_cast<const TMLCMediaBuffer *>(GetWrapper()));
  }
};
