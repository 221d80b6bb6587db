// The audio buffer: interleaved PCM frames behind the 40-byte
// WAVEFORMATEXTENSIBLE header, both in one audio store, so that every buffer
// carries its own format. Frames = (bytes - 40) / block align.
//
// On top of the media buffer (time stamp in the store, copy-on-write of
// SLSimpleDataBuffer.h) it offers range-checked per-sample access, resizing
// that keeps the header, copying between audio buffers that pairs channels
// by speaker position and converts sample widths, and in-place arithmetic.
// Samples by container width: 8 bits unsigned with 127 as the zero level of
// the buffer's own arithmetic and fills, 16 and 32 bits signed, 24 bits
// packed in three bytes (Ippextrafunctions.h).
//
// Channel pairing walks the speaker table: at each speaker whose bit both
// masks have, the n-th channel of one buffer meets the m-th of the other,
// n and m counting the mask bits below that speaker. Pairs whose channel
// index reaches a buffer's channel count are skipped, so a mask that names
// more speakers than the buffer has channels never reaches past a frame.
//
// Threads: an audio buffer object is used by one thread at a time; stores
// shared between threads are safe because every write goes to a store its
// writer owns alone (Write, Modify, SetItem, GetModifyFormat and the
// arithmetic make the buffer unique first).
//
// The unit also holds the width conversion of one channel (ConvertBits) and
// the rate change of a whole buffer by an integer ratio (ConvertBuffers).
#pragma once

#include <cstdint>
#include <vector>

#include "framework/data/ALWaveFormat.h"
#include "framework/data/Alinternalstore.h"
#include "framework/data/Mlsimplemediabuffer.h"

class TALAudioBuffer;
struct IALAudioDataAccess;

// The speaker table: the mask bit of each speaker position in pairing order.
int GetALSpeakerValuesSize();
// Entry i (0 to 17; not range-checked).
uint8_t GetALSpeakerValues(int i);

// One channel of a source buffer paired with one of a destination buffer.
struct TALChannelPair {
  uint32_t Source;
  uint32_t Dest;
};

// The pairs of the speaker-table walk, limited to channel indexes below both
// channel counts.
std::vector<TALChannelPair> ALPairChannels(TALSpeakers SourceMask, uint32_t SourceChannels,
                                           TALSpeakers DestMask, uint32_t DestChannels);

// The sample at p in a container of Bits: 8 bits unsigned (0 ... 255), 16 and
// 32 bits signed, 24 bits sign-extended; 0 for any other width.
int32_t ALReadSample(const uint8_t *p, uint32_t Bits);

// The element routines of the audio arithmetic: target (dst) op source over a
// column, on byte pointers. Offset 8-bit for up to 8 valid bits, the
// catalogue's saturating 16-bit routines for 9 to 16, then 24- or 32-bit by
// container; null for any other format.
enum TALArithmetic { arAdd, arSubtract, arMultiply, arDivide };
using TALRegionOp = void (*)(const uint8_t *Src, int SrcStep, uint8_t *Dst, int DstStep,
                             tagSIZE Roi);
TALRegionOp ALRegionOp(TALArithmetic Op, uint32_t ValidBits, uint32_t ContainerBits);

struct IALAudioBuffer : public virtual ISLDataBuffer {
  static constexpr com::TGUID IID =
      com::TGUID::FromLiteral("{49372BB8-FFDD-437C-A9D3-BA5DFB8A3B97}");

  virtual TMLTimeStamp *GetTimeStamp() = 0;
  // A new view registered with the buffer.
  virtual com::TComPtr<IALAudioDataAccess> Data() = 0;
  virtual uint32_t GetChannels() = 0;
  // Valid bits.
  virtual uint32_t GetBitsPerSample() = 0;
  virtual uint32_t GetSamplesPerSecond() = 0;
  // Bytes per frame.
  virtual uint32_t GetDataStep() = 0;
  virtual TALSpeakers GetChannelMask() = 0;
  // Container bits.
  virtual uint32_t GetSampleBitWidth() = 0;
  virtual void GetWaveFormat(WAVEFORMATEXTENSIBLE &Format) = 0;
  virtual uint32_t GetDataOffset() = 0;
  virtual const uint8_t *Read() = 0;
  virtual uint8_t *Write() = 0;
  virtual uint8_t *Modify() = 0;
  // ERangeError "Channel out of range = %u" / "Index out of range = %u".
  virtual int32_t GetItem(uint32_t Frame, uint32_t Channel) = 0;
  // Makes the buffer unique first; ERangeError "Channel out of rabge = %u" /
  // "Index out of rabge = %u". Stores the low container bytes of Value.
  virtual void SetItem(uint32_t Frame, uint32_t Channel, int32_t Value) = 0;
  // this = this op Other over min(both frame counts); a mono Other applies
  // to every channel, otherwise channels are paired by speaker. Other must
  // have this buffer's container width (EInvalidOperation otherwise).
  virtual void Add(IALAudioBuffer *Other) = 0;
  virtual void Subtract(IALAudioBuffer *Other) = 0;
  virtual void Multiply(IALAudioBuffer *Other) = 0;
  virtual void Divide(IALAudioBuffer *Other) = 0;
  virtual void SetValue(int32_t Value) = 0;
  virtual void Zero() = 0;
  virtual void MultiplyByConstant(double Value) = 0;
};

// The view an audio buffer's Data hands out: every operation forwards to the
// buffer; the arithmetic takes the other view's buffer as an audio buffer
// (EInvalidCast when it is not one).
struct IALAudioDataAccess : public virtual ISLDataAccess {
  static constexpr com::TGUID IID =
      com::TGUID::FromLiteral("{1A0B7AC4-17BF-4E83-96AC-95EE720ECE3E}");

  virtual TMLTimeStamp *GetTimeStamp() = 0;
  virtual uint32_t GetChannels() = 0;
  virtual uint32_t GetBitsPerSample() = 0;
  virtual uint32_t GetSamplesPerSecond() = 0;
  virtual uint32_t GetDataStep() = 0;
  virtual TALSpeakers GetChannelMask() = 0;
  virtual uint32_t GetSampleBitWidth() = 0;
  virtual uint32_t GetDataOffset() = 0;
  virtual const uint8_t *Read() = 0;
  virtual uint8_t *Write() = 0;
  virtual uint8_t *Modify() = 0;
  virtual int32_t GetItem(uint32_t Frame, uint32_t Channel) = 0;
  virtual void SetItem(uint32_t Frame, uint32_t Channel, int32_t Value) = 0;
  virtual void Add(IALAudioDataAccess *Other) = 0;
  virtual void Subtract(IALAudioDataAccess *Other) = 0;
  virtual void Multiply(IALAudioDataAccess *Other) = 0;
  virtual void Divide(IALAudioDataAccess *Other) = 0;
  virtual void SetValue(int32_t Value) = 0;
  virtual void Zero() = 0;
  virtual void MultiplyByConstant(double Value) = 0;
};

using IALAudioBufferPtr = com::TComPtr<IALAudioBuffer>;

class TALAudioBuffer : public TMLMediaBuffer, public IALAudioBuffer {
public:
  // A header only: 1 channel, 11025 Hz, 8 bits, mask spFrontLeft, no frames.
  TALAudioBuffer();
  // Size frames, samples not initialised, mask 2^Channels - 1. ERangeError for
  // a negative argument or more than the largest store holds.
  TALAudioBuffer(int SamplesPerSecond, int Bits, int Channels, int Size);
  TALAudioBuffer(int SamplesPerSecond, int Bits, int Channels, int Size, TALSpeakers ChannelMask);
  // Rate, valid bits, channels and mask from Format; the rest recomputed.
  TALAudioBuffer(const WAVEFORMATEXTENSIBLE *Format, int Size);
  // Share Other's store (copy-on-write) with Other's size. The interface
  // forms raise EInvalidCast when Other is not an audio buffer.
  explicit TALAudioBuffer(TALAudioBuffer *Other);
  explicit TALAudioBuffer(ISLDataBuffer *Other);
  explicit TALAudioBuffer(IALAudioBuffer *Other);

  com::HRESULT QueryInterface(const com::TGUID &iid, void **out) override;

  // ISLDataBuffer
  // Shares Source's store; EInvalidCast when Source is not an audio buffer.
  void Assign(ISLDataBuffer *Source) override;
  // Bytes of the data area (header excluded).
  uint32_t GetByteSize() override;
  // Frames.
  uint32_t GetSize() override;
  // Between audio buffers in frames, channels paired and widths converted;
  // to any other buffer the byte copy. ERangeError when a range leaves
  // either buffer.
  void CopyTo(uint32_t FromIndex, ISLDataBuffer *Dest, uint32_t ToIndex, uint32_t Count) override;
  // Size in frames. Shrinking (to 0 frames included) stays in place; growing
  // stays in place while this buffer alone owns a block large enough;
  // otherwise a new store with the header, the time stamp and, when
  // KeepData, the samples. New frames are not initialised.
  void Resize(uint32_t Size, bool KeepData) override;
  com::TComPtr<ISLDataBuffer> MakeCopy() override;
  com::TComPtr<ISLDataAccess> DataAccess() override;
  void PopulateCahces() override;

  // IALAudioBuffer
  TMLTimeStamp *GetTimeStamp() override { return TMLMediaBuffer::GetTimeStamp(); }
  com::TComPtr<IALAudioDataAccess> Data() override;
  uint32_t GetChannels() override { return channels_; }
  uint32_t GetBitsPerSample() override { return validBits_; }
  uint32_t GetSamplesPerSecond() override;
  uint32_t GetDataStep() override { return dataStep_; }
  TALSpeakers GetChannelMask() override { return channelMask_; }
  uint32_t GetSampleBitWidth() override { return containerBits_; }
  void GetWaveFormat(WAVEFORMATEXTENSIBLE &Format) override;
  uint32_t GetDataOffset() override;
  const uint8_t *Read() override { return ByteRead(); }
  uint8_t *Write() override { return ByteWrite(); }
  uint8_t *Modify() override { return ByteModify(); }
  int32_t GetItem(uint32_t Frame, uint32_t Channel) override;
  void SetItem(uint32_t Frame, uint32_t Channel, int32_t Value) override;
  void Add(IALAudioBuffer *Other) override;
  void Subtract(IALAudioBuffer *Other) override;
  void Multiply(IALAudioBuffer *Other) override;
  void Divide(IALAudioBuffer *Other) override;
  void SetValue(int32_t Value) override;
  void Zero() override;
  void MultiplyByConstant(double Value) override;

  // Data bytes, as GetByteSize, read from the header.
  uint32_t GetCharSize();
  // The header for reading; for writing after making the buffer unique with
  // its data (call PopulateCahces after changing it).
  const WAVEFORMATEXTENSIBLE *GetConstFormat() const { return header_; }
  // kept: public member of the buffer
  WAVEFORMATEXTENSIBLE *GetModifyFormat();
  TALSmartAudioBuffer *GetBuffer() const {
    return static_cast<TALSmartAudioBuffer *>(GetDataContainer());
  }
  // Replaces the store reference only: no counts, no cache refresh.
  // kept: public member of the buffer
  void SetBuffer(TALSmartAudioBuffer *Store) { SetDataContainer(Store); }
  // Frames of this buffer into Dest, channels paired by speaker.
  void CopyToAudio(uint32_t FromIndex, TALAudioBuffer *Dest, uint32_t ToIndex, uint32_t Count);
  // A new store for Size bytes.
  static TALSmartAudioBuffer *MakeCopySize(uint32_t Size);

protected:
  ~TALAudioBuffer() override = default;

private:
  TALAudioBuffer(const WAVEFORMATEXTENSIBLE &Header, uint32_t ByteSize);
  void Arithmetic(TALArithmetic Op, IALAudioBuffer *Other);
  uint32_t ContainerBytes() const { return containerBits_ / 8; }

  uint32_t channels_ = 0;
  uint32_t validBits_ = 0;
  TALSpeakers channelMask_;
  uint32_t containerBits_ = 0;
  uint32_t dataStep_ = 0;
  uint32_t dataOffset_ = ALWaveFormatHeaderSize;
  WAVEFORMATEXTENSIBLE *header_ = nullptr;
};

class TALAudioDataBufferAccess : public TSLDataBufferAccess, public IALAudioDataAccess {
public:
  using TBufferClass = TALAudioBuffer;
  explicit TALAudioDataBufferAccess(TALAudioBuffer *Buffer) : TSLDataBufferAccess(Buffer) {}

  com::HRESULT QueryInterface(const com::TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<ISLDataAccess, IALAudioDataAccess>(this, iid, out);
  }

  TMLTimeStamp *GetTimeStamp() override { return Audio()->GetTimeStamp(); }
  uint32_t GetChannels() override { return Audio()->GetChannels(); }
  uint32_t GetBitsPerSample() override { return Audio()->GetBitsPerSample(); }
  uint32_t GetSamplesPerSecond() override { return Audio()->GetSamplesPerSecond(); }
  uint32_t GetDataStep() override { return Audio()->GetDataStep(); }
  TALSpeakers GetChannelMask() override { return Audio()->GetChannelMask(); }
  uint32_t GetSampleBitWidth() override { return Audio()->GetSampleBitWidth(); }
  uint32_t GetDataOffset() override { return Audio()->GetDataOffset(); }
  const uint8_t *Read() override { return Audio()->Read(); }
  uint8_t *Write() override { return Audio()->Write(); }
  uint8_t *Modify() override { return Audio()->Modify(); }
  int32_t GetItem(uint32_t Frame, uint32_t Channel) override {
    return Audio()->GetItem(Frame, Channel);
  }
  void SetItem(uint32_t Frame, uint32_t Channel, int32_t Value) override {
    Audio()->SetItem(Frame, Channel, Value);
  }
  void Add(IALAudioDataAccess *Other) override { Audio()->Add(Of(Other).Get()); }
  void Subtract(IALAudioDataAccess *Other) override { Audio()->Subtract(Of(Other).Get()); }
  void Multiply(IALAudioDataAccess *Other) override { Audio()->Multiply(Of(Other).Get()); }
  void Divide(IALAudioDataAccess *Other) override { Audio()->Divide(Of(Other).Get()); }
  void SetValue(int32_t Value) override { Audio()->SetValue(Value); }
  void Zero() override { Audio()->Zero(); }
  void MultiplyByConstant(double Value) override { Audio()->MultiplyByConstant(Value); }

protected:
  ~TALAudioDataBufferAccess() override = default;

private:
  TALAudioBuffer *Audio() const { return static_cast<TALAudioBuffer *>(Buffer()); }
  static IALAudioBufferPtr Of(IALAudioDataAccess *Other);
};

// Converts Count samples of one channel from SrcBits to DstBits containers,
// the k-th read at Src + k * SrcStep and written at Dst + k * DstStep. Widths
// with 24 bits, and 16 <-> 32, scale by full-scale ratios with 127 as the
// 8-bit zero level (saturating); the other pairs map 8-bit samples over
// 0 ... 255 (vector-math catalogue). Equal widths and widths other than 8,
// 16, 24 and 32 convert nothing.
void ConvertBits(const uint8_t *Src, int SrcBits, int SrcStep, uint8_t *Dst, int DstBits,
                 int DstStep, int Count);

// Changes the rate of Source by an integer ratio (the whole part of the
// larger rate over the smaller; a DestRate of 0 gives no frames) into Dest,
// which must hold an audio buffer (EInvalidCast otherwise):
// down-sampling keeps every k-th frame, up-sampling spreads the frames k
// apart and holds each frame over the gap after it. Dest keeps its own format
// (widths converted, channels paired) and is resized to the result's frames.
void ConvertBuffers(IALAudioBuffer *Source, uint32_t SourceRate, IALAudioBufferPtr &Dest,
                    uint32_t DestRate);
