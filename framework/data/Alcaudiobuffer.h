// Value wrappers for audio buffers: TALCAudioBuffer wraps one TALAudioBuffer
// (holding one reference on it) with its format in plain fields, per-sample
// access, frame and channel proxies and arithmetic; TALCAudioDataAccess is a
// second handle on a wrapper's buffer. Handler code (the generic audio
// filter's events) receives audio in this form.
//
// Copying a wrapper never copies samples: the copy wraps a new buffer object
// sharing the store, and a write through either side separates them. Reads
// go through the cached data pointer; every write opens the buffer with
// Write (contents not kept when the store was shared) or Modify (kept), and
// a change of store refreshes the wrapper and all its accesses.
//
// Samples (GetItem): 8 bits the raw byte taken as signed (-128 ... 127), 16,
// 24 (sign-extended) and 32 bits signed; other widths read 0. A channel or
// frame outside the buffer reads 0 and writes nothing.
//
// Channel pairing of the sample and buffer forms: speaker bit p pairs the
// source's and this wrapper's channels that count the mask bits below p in
// each mask, within both channel counts (ALPairChannels).
//
// Threads: a wrapper and its accesses are used by one thread at a time.
#pragma once

#include <cstdint>

#include "framework/data/Alsimpleaudiobuffer.h"
#include "framework/data/Mlcmediabuffer.h"

class TALCAudioBuffer;
class TALCAudioDataAccess;

// The five format fields the wrapper and its accesses cache.
struct TALCFormat {
  int Channels = 0;
  int BitsPerSample = 0;  // valid bits
  int DataStep = 0;       // bytes per frame
  int SampleBitWidth = 0; // container bits
  TALSpeakers ChannelMask;
};

// One sample of a frame: converts to the wrapper's GetItem(Channel, Frame).
class TALCAudioBufferSampleChannel {
public:
  TALCAudioBufferSampleChannel(const TALCAudioBuffer *Buffer, int Channel, int Frame)
      : buffer_(Buffer), channel_(Channel), frame_(Frame) {}
  operator int() const;

private:
  const TALCAudioBuffer *buffer_;
  int channel_, frame_;
};

// One frame of a wrapper.
class TALCAudioBufferSample {
public:
  TALCAudioBufferSample(const TALCAudioBuffer *Buffer, int Frame)
      : buffer_(Buffer), frame_(Frame) {}
  TALSpeakers GetChannelMask() const;
  TALCAudioBufferSampleChannel operator[](int Channel) const { return {buffer_, Channel, frame_}; }
  const TALCAudioBuffer *GetBuffer() const { return buffer_; }
  int GetFrame() const { return frame_; }

private:
  const TALCAudioBuffer *buffer_;
  int frame_;
};

class TALCAudioBuffer : public TMLCMediaBuffer {
public:
  // A new default audio buffer (1 channel, 8 bits, 11025 Hz, no frames).
  TALCAudioBuffer();
  TALCAudioBuffer(int SamplesPerSecond, int Bits, int Channels, int Size);
  // Wraps Buffer itself, adding a reference.
  explicit TALCAudioBuffer(TALAudioBuffer *Buffer);
  // A new buffer object sharing Other's store.
  TALCAudioBuffer(const TALCAudioBuffer &Other);
  // Shares Other's store (as Assign).
  TALCAudioBuffer &operator=(const TALCAudioBuffer &Other);
  ~TALCAudioBuffer() override;

  TALAudioBuffer *GetPasBuffer() const override { return buffer_.Get(); }
  void PopulateCahces() const override;
  // Frames.
  int GetSize() const override { return static_cast<int>(buffer_->GetSize()); }
  virtual const uint8_t *ByteRead() const { return DataReference(); }
  virtual uint8_t *ByteWrite();
  virtual uint8_t *ByteModify();
  // Every sample = Value ((Value + 127) mod 256 for 8 bits), through Write.
  virtual void Assign(int Value);
  // Shares Other's store; nothing when Other is this wrapper.
  virtual void Assign(const TALCAudioBuffer &Other);
  // Each paired channel's column = the sample's value of its partner;
  // unpaired channels keep their samples.
  virtual void Assign(const TALCAudioBufferSample &Sample);
  // Resize(Size) frames, then the first Size bytes of the data from Data.
  virtual void Assign(const uint8_t *Data, int Size);

  void RemoveOwnerShip() { buffer_->RemoveOwnerShip(); }
  int GetChannels() const { return format_.Channels; }
  int GetBitsPerSample() const { return format_.BitsPerSample; }
  int GetSampleBitWidth() const { return format_.SampleBitWidth; }
  int GetDataStep() const { return format_.DataStep; }
  TALSpeakers GetChannelMask() const { return format_.ChannelMask; }
  const uint8_t *Read() const { return ByteRead(); }
  uint8_t *Write() { return ByteWrite(); }
  uint8_t *Modify() { return ByteModify(); }
  int GetItem(int Channel, int Frame) const;
  // Makes the store unique with its data first; 24 bits by the store rule.
  void SetItem(int Channel, int Frame, int Value);
  // A registered access on this wrapper.
  TALCAudioDataAccess Data() const;
  // Frames; the data is not kept.
  void Resize(int Size);
  // The first min(both byte sizes) bytes of Other over this wrapper's data.
  void Copy(const TALCAudioBuffer &Other);
  bool IsEqual(const TALCAudioBuffer &Other) const;
  // 127 in every byte for 8 bits, 0 in every byte for any other width.
  void Zero();

  // Constants, over every sample: 8-bit Add and Sub saturate on the raw byte
  // with Value mod 256; 8-bit Multiply and Div work around the zero level
  // 127 and wrap; 16 bits saturate (Value taken as 16 bits); 24 bits clip at
  // the store; 32 bits wrap. Zero divisors: 127 (8 bits), the saturated
  // quotient otherwise.
  void Add(int Value);
  void Sub(int Value);
  void Multiply(int Value);
  void Div(int Value);
  // A sample: the same per paired channel with the sample's value of the
  // partner, over this wrapper's frames.
  void Add(const TALCAudioBufferSample &Sample);
  void Sub(const TALCAudioBufferSample &Sample);
  void Multiply(const TALCAudioBufferSample &Sample);
  void Div(const TALCAudioBufferSample &Sample);
  // Another wrapper: element by element per paired channel over the common
  // frames (8 bits around 127, as the audio buffer). Other must have this
  // wrapper's container width (EInvalidOperation otherwise).
  void Add(const TALCAudioBuffer &Other);
  void Sub(const TALCAudioBuffer &Other);
  void Multiply(const TALCAudioBuffer &Other);
  void Div(const TALCAudioBuffer &Other);

private:
  // Op: a TALArithmetic, or the fill after them.
  void WithConstant(int Op, int Value);
  void WithSample(int Op, const TALCAudioBufferSample &Sample);
  void WithBuffer(TALArithmetic Op, const TALCAudioBuffer &Other);

  com::TComPtr<TALAudioBuffer> buffer_;
  mutable TALCFormat format_;
};

class TALCAudioDataAccess : public TMLCMediaDataAccess {
public:
  // Registered with Wrapper.
  explicit TALCAudioDataAccess(const TALCAudioBuffer &Wrapper);
  TALCAudioDataAccess(const TALCAudioDataAccess &Other);

  void PopulateCache() const override;
  // Null once the wrapper went.
  TALAudioBuffer *GetBuffer() const;
  int GetChannels() const { return format_.Channels; }
  int GetBitsPerSample() const { return format_.BitsPerSample; }
  int GetSampleBitWidth() const { return format_.SampleBitWidth; }
  int GetDataStep() const { return format_.DataStep; }
  TALSpeakers GetChannelMask() const { return format_.ChannelMask; }
  int GetItem(int Channel, int Frame) const;
  // Makes the buffer unique with its data through the view first.
  void SetItem(int Channel, int Frame, int Value);
  // The frame of the wrapper (no wrapper once detached).
  TALCAudioBufferSample operator[](int Frame) const;

private:
  const TALCAudioBuffer *Wrapper() const {
    return static_cast<const TALCAudioBuffer *>(GetWrapper());
  }
  mutable TALCFormat format_;
};
