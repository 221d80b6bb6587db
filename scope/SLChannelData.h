#pragma once
// The data-access object of a scope channel: loads whole arrays, appends
// single points, clears, and reads back the incoming and the drawn samples
// and the channel's sample rate. It holds no data of its own: it works on
// the channel's incoming buffers (InX, InY, guarded by the channel lock) and
// reads its draw buffers (main thread only; the scope's refresh moves the
// incoming buffers there under the same lock).
//
// Threads: AddYPoint and AddXYPoint also run on the delivering thread (the
// channel's input pin); the other operations are meant for the main thread.
// Every operation on the incoming buffers takes the channel lock, so a
// producer appending while the main thread loads, clears or reads never sees
// a half-replaced buffer, and a getter copies a count read together with the
// data it copies.

#include <cstdint>

#include "framework/data/SLSimpleDataBuffer.h"
#include "platform/sys/Sync.h"

using ISLRealBufferPtr = com::TComPtr<ISLRealBuffer>;

// What the store reads and sets of its channel and the channel's scope. The
// scope channel implements it.
class ISLChannelDataHost {
public:
  virtual sys::TCriticalSection &ChannelLock() = 0;
  // The incoming buffers; only touched with ChannelLock held.
  virtual ISLRealBufferPtr &InX() = 0;
  virtual ISLRealBufferPtr &InY() = 0;
  // The draw buffers; main thread only.
  virtual ISLRealBufferPtr DrawX() = 0;
  virtual ISLRealBufferPtr DrawY() = 0;
  // The owning scope's SizeLimit (0 = none).
  virtual uint32_t SizeLimit() = 0;
  virtual double GetSampleRateValue() = 0;
  // Stores the rate and asks the scope to recompute its frequency (the
  // scope's InvalidateFreq).
  virtual void SetSampleRateValue(double Value) = 0;
  // FNewData := true: the next refresh moves the incoming data.
  virtual void SetNewData() = 0;
  // The scope's FRecalcRects := true.
  virtual void SetRecalcRects() = 0;
  // The channel's Invalidate (the scope's InvalidateRecalc).
  virtual void Invalidate() = 0;

protected:
  ~ISLChannelDataHost() = default;
};

class TSLChannelData {
public:
  explicit TSLChannelData(ISLChannelDataHost *Channel) : channel_(Channel) {}
  TSLChannelData(const TSLChannelData &) = delete;
  TSLChannelData &operator=(const TSLChannelData &) = delete;

  double GetSampleRate();
  void SetSampleRate(double Value);

  // Loads Count values as the new Y data with the X ramp 0, 1, 2, ...; over
  // the size limit only the last SizeLimit values are kept.
  void SetYData(const int32_t *Data, uint32_t Count);
  void SetYData(const float *Data, uint32_t Count);
  void SetYData(const double *Data, uint32_t Count);
  // Loads Count X and Y values (no ramp); over the size limit only the last
  // SizeLimit points are kept.
  // kept: all three overloads; nothing passes floats
  void SetXYData(const int32_t *X, const int32_t *Y, uint32_t Count);
  void SetXYData(const float *X, const float *Y, uint32_t Count);
  void SetXYData(const double *X, const double *Y, uint32_t Count);

  // Appends a point; at the size limit the oldest point is dropped. AddYPoint
  // continues the X values by one from the last one (0 on an empty channel).
  void AddYPoint(double Value);
  void AddXYPoint(double X, double Y);

  // Empties the incoming buffers; the next refresh draws nothing.
  void Clear();
  // InX := 0, 1, 2, ... for as many items as InY.
  void PopulateRamp();

  uint32_t GetSize();
  // Copy the incoming data to Dest, which must have room for GetSize items
  // as it stands at the call (the count is read with the data, under the
  // lock). The Capacity forms copy at most Capacity items and return the
  // number copied, for callers racing a producer.
  void GetXData(double *Dest);
  void GetYData(double *Dest);
  void GetXYData(double *X, double *Y);
  uint32_t GetXData(double *Dest, uint32_t Capacity);
  uint32_t GetYData(double *Dest, uint32_t Capacity);

  uint32_t GetDrawSize();
  void GetDrawXData(double *Dest);
  void GetDrawYData(double *Dest);
  void GetDrawXYData(double *X, double *Y);

private:
  template <class T> void LoadY(const T *Data, uint32_t Count);
  template <class T> void LoadXY(const T *X, const T *Y, uint32_t Count);
  void AddPoint(bool HasX, double X, double Y);
  void Stored();
  ISLChannelDataHost *channel_;
};
