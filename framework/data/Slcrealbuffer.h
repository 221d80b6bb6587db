// Value wrappers for real buffers: TSLCRealBuffer wraps one TSLRealBuffer (it
// holds one reference on it) and TSLCRealDataAccess is a second handle on a
// wrapper's buffer. Handler code gets buffers in this form (the generic real
// filter passes them to its events).
//
// Copying a wrapper never copies samples: the copy wraps a new buffer object
// sharing the store, and a later write through either side separates them.
// Operations that change this buffer in place open it with Modify (contents
// kept); operations that compute into it from other buffers open it with
// Write (contents not kept when the store was shared) - except when the
// source is this very buffer, which they then open with Modify so the source
// survives. N is this wrapper's cached item count; two-buffer operations work
// over n = min(N, the other's count). Vector-operation statuses are dropped.
//
// Threads: as the wrapped buffer, one thread at a time.
#pragma once

#include <vector>

#include "framework/data/Slcgenericbuffer.h"

// Which side of the level a threshold clamps.
enum TSLThresholdType { ttAbove, ttBelow };
// The norm of a difference: L1, L2 or infinity norm.
enum TSLNormType { ntL1, ntL2, ntInf };
// Plain autocorrelation, or one of the two normalised forms.
enum TSLAutoCorrType { acPlain, acNormA, acNormB };

class TSLCRealBuffer;

// The conversions and operations that the wrapper and its access share.
// TSelf provides Read, Write, Modify, Count (the cached item count),
// RealBuffer and Resize.
template <class TSelf> class TSLCRealOperationsT {
public:
  // Conversions over the N items; the caller's array holds N values.
  // ToChar / ToShort: value (+0.5 when RoundToNearest) truncated toward zero,
  // the low 8 / 16 bits stored. ToInt: nearest (ties to even) or toward zero,
  // saturated.
  void ToChar(char *Dst, bool RoundToNearest) const;
  void ToShort(short *Dst, bool RoundToNearest) const;
  void ToInt(int *Dst, bool RoundToNearest) const;
  void ToDouble(double *Dst) const;
  void ToFloat(float *Dst) const;
  void FromChar(const char *Src);
  void FromShort(const short *Src);
  void FromInt(const int *Src);
  void FromDouble(const double *Src);
  void FromFloat(const float *Src);

  void Set(double V);
  void Zero();
  // Copies n values of B; this buffer is not resized.
  void Copy(const TSLCRealBuffer &B);
  // Skipped (and the buffer not made unique) for Add/Sub by 0, Multiply by 1,
  // Divide by 1 or 0.
  void Add(double V);
  void Sub(double V);
  void Multiply(double V);
  void Divide(double V);
  void Add(const TSLCRealBuffer &B);
  void Sub(const TSLCRealBuffer &B);
  void Multiply(const TSLCRealBuffer &B);
  void Divide(const TSLCRealBuffer &B);
  void Abs();
  void Sqr();
  void Sqrt();
  void Exp();
  void Ln();
  void Abs(const TSLCRealBuffer &B);
  void Sqr(const TSLCRealBuffer &B);
  void Sqrt(const TSLCRealBuffer &B);
  void Exp(const TSLCRealBuffer &B);
  void Ln(const TSLCRealBuffer &B);
  // (B - Sub) / Div into this buffer.
  void Normalize(const TSLCRealBuffer &B, double Sub, double Div);
  void Normalize(double Sub, double Div);
  void Threshold(double Level, TSLThresholdType T);
  void Threshold(const TSLCRealBuffer &B, double Level, TSLThresholdType T);
  // Results start at 0 and stay 0 where the vector operation fails (an empty
  // buffer, a norm type outside the three); an index is -1 then.
  double Dot(const TSLCRealBuffer &B) const;
  double Max() const;
  double Min() const;
  double Max(int &Index) const;
  double Min(int &Index) const;
  double Mean() const;
  double SDev() const;
  double Norm(const TSLCRealBuffer &B, TSLNormType T) const;
  // Resizes this buffer to size(A) + size(B) - 1 and fills it with the
  // convolution; nothing when A or B is empty. Either may be this buffer.
  void Convolve(const TSLCRealBuffer &A, const TSLCRealBuffer &B);
  void Convolve(const TSLCRealBuffer &B);
  // N lags of A into this buffer (A may be this buffer).
  void AutoCorr(const TSLCRealBuffer &A, TSLAutoCorrType T);
  // N lags from LowLag of the cross-correlation of A and B.
  void CrossCorr(const TSLCRealBuffer &A, const TSLCRealBuffer &B, int LowLag);
  void CrossCorr(const TSLCRealBuffer &B, int LowLag);
  // 20 log10 of each value relative to the full scale 2^(Bits-1).
  void dB(int Bits);
  // Same item count and the same bytes.
  bool IsEqual(const TSLCRealBuffer &B) const;

private:
  TSelf &Self() { return static_cast<TSelf &>(*this); }
  const TSelf &Self() const { return static_cast<const TSelf &>(*this); }
  int Common(const TSLCRealBuffer &B) const;
  // Operation(V, Modify, N): this buffer changed in place by a constant.
  template <class Op> void WithConstant(Op Operation, double V);
  // Operation(Read, N, &result); the result stays 0 where it fails.
  template <class Op> double Statistic(Op Operation) const;
  // The target of an operation computed from B: Modify when B is this buffer.
  double *WriteFrom(const TSLCRealBuffer &B);
  std::vector<double> SelfValues() const;
  void ConvolveValues(const std::vector<double> &A, const std::vector<double> &B);
  void CrossCorrValues(const std::vector<double> &A, const std::vector<double> &B, int LowLag);
};

class TSLCRealDataAccess;

class TSLCRealBuffer : public TSLCGenericBuffer, public TSLCRealOperationsT<TSLCRealBuffer> {
public:
  // A new buffer of Size items.
  explicit TSLCRealBuffer(int Size = 0);
  // Wraps Buffer itself.
  explicit TSLCRealBuffer(TSLRealBuffer *Buffer);
  // A new buffer object sharing the source's store.
  TSLCRealBuffer(const TSLCRealBuffer &Other);
  explicit TSLCRealBuffer(const TSLCRealDataAccess &Access);
  // A new buffer holding Count values of Data.
  TSLCRealBuffer(const double *Data, int Count);
  // Shares Other's store (as Assign).
  TSLCRealBuffer &operator=(const TSLCRealBuffer &Other);
  ~TSLCRealBuffer() override;

  TSLGenericBuffer *GetPasBuffer() const override { return buffer_.Get(); }
  int GetSize() const override { return static_cast<int>(buffer_->GetSize()); }
  virtual void Assign(const TSLCRealBuffer &Other);
  // Resize(Count), then the values copied in.
  virtual void Assign(const double *Data, int Count);

  TSLRealBuffer *RealBuffer() const { return buffer_.Get(); }
  void RemoveOwnerShip() { buffer_->RemoveOwnerShip(); }
  const double *Read() const { return reinterpret_cast<const double *>(DataReference()); }
  double *Write();
  double *Modify();
  void Resize(int Count);
  int Count() const { return CachedSize(); }
  // A registered access on this wrapper.
  TSLCRealDataAccess Data() const;

private:
  com::TComPtr<TSLRealBuffer> buffer_;
};

class TSLCRealDataAccess : public TSLCDataAccess, public TSLCRealOperationsT<TSLCRealDataAccess> {
public:
  // Registered with Wrapper.
  explicit TSLCRealDataAccess(const TSLCRealBuffer &Wrapper);
  TSLCRealDataAccess(const TSLCRealDataAccess &Other) = default;

  // Null once the wrapper went.
  TSLRealBuffer *RealBuffer() const;
  const double *Read() const { return reinterpret_cast<const double *>(DataReference()); }
  double *Write() { return reinterpret_cast<double *>(ByteWrite()); }
  double *Modify() { return reinterpret_cast<double *>(ByteModify()); }
  int Count() const { return GetSize(); }
  // Nothing when Count is the cached count; otherwise the wrapper's Resize.
  void Resize(int Count);
  // Nothing when Other is this access or belongs to the same wrapper;
  // otherwise the buffer shares Other's store.
  void Assign(const TSLCRealDataAccess &Other);
};
