#include "framework/data/Alcaudiobuffer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/data/Ippextrafunctions.h"
#include "framework/dispatch/Albasicdispatcher.h"

namespace X = Ippextrafunctions;
namespace AL = Albasicdispatcher;

namespace {

TALCFormat FormatOf(TALAudioBuffer *b) {
  TALCFormat f;
  if (b == nullptr)
    return f;
  f.Channels = static_cast<int>(b->GetChannels());
  f.BitsPerSample = static_cast<int>(b->GetBitsPerSample());
  f.DataStep = static_cast<int>(b->GetDataStep());
  f.SampleBitWidth = static_cast<int>(b->GetSampleBitWidth());
  f.ChannelMask = b->GetChannelMask();
  return f;
}

// The sample of (Channel, Frame), or null outside the buffer.
const uint8_t *SampleAt(const uint8_t *data, int frames, const TALCFormat &f, int channel,
                        int frame) {
  if (data == nullptr || channel < 0 || channel >= f.Channels || frame < 0 || frame >= frames)
    return nullptr;
  return data + int64_t(frame) * f.DataStep + int64_t(channel) * (f.SampleBitWidth / 8);
}

int ReadSample(const uint8_t *data, int frames, const TALCFormat &f, int channel, int frame) {
  const uint8_t *p = SampleAt(data, frames, f, channel, frame);
  if (p == nullptr)
    return 0;
  const int32_t v = ALReadSample(p, uint32_t(f.SampleBitWidth));
  // The raw byte taken as signed.
  return f.SampleBitWidth == 8 ? static_cast<int8_t>(v) : v;
}

void WriteSample(uint8_t *data, int frames, const TALCFormat &f, int channel, int frame,
                 int value) {
  auto *p = const_cast<uint8_t *>(SampleAt(data, frames, f, channel, frame));
  if (p == nullptr)
    return;
  switch (f.SampleBitWidth) {
  case 8:
    *p = static_cast<uint8_t>(value);
    break;
  case 16: {
    const auto v = static_cast<int16_t>(value);
    std::memcpy(p, &v, 2);
    break;
  }
  case 24:
    X::Convert32BitTo24Bit(value, p);
    break;
  case 32:
    std::memcpy(p, &value, 4);
    break;
  default:
    break;
  }
}

// Column routines with a value: the four arithmetic operations, then the fill.
using TColumnOp = void (*)(int v, uint8_t *d, int step, tagSIZE roi);
constexpr int opSet = arDivide + 1;

template <class T> T *As(uint8_t *d) { return reinterpret_cast<T *>(d); }

constexpr TColumnOp ColumnOps[5][4] = {
    {[](int v, uint8_t *d, int s, tagSIZE r) { AL::ippiAddC_8u_C1IRSfs(uint8_t(v), d, s, r, 0); },
     [](int v, uint8_t *d, int s, tagSIZE r) {
       AL::ippiAddC_16s_C1IRSfs(short(v), As<short>(d), s, r, 0);
     },
     [](int v, uint8_t *d, int s, tagSIZE r) { X::ippiAddC_24s_C1IRSfs(v, d, s, r, 0); },
     [](int v, uint8_t *d, int s, tagSIZE r) { X::ippiAddC_32s_C1IRSfs(v, As<int>(d), s, r, 0); }},
    {[](int v, uint8_t *d, int s, tagSIZE r) { AL::ippiSubC_8u_C1IRSfs(uint8_t(v), d, s, r, 0); },
     [](int v, uint8_t *d, int s, tagSIZE r) {
       AL::ippiSubC_16s_C1IRSfs(short(v), As<short>(d), s, r, 0);
     },
     [](int v, uint8_t *d, int s, tagSIZE r) { X::ippiSubC_24s_C1IRSfs(v, d, s, r, 0); },
     [](int v, uint8_t *d, int s, tagSIZE r) { X::ippiSubC_32s_C1IRSfs(v, As<int>(d), s, r, 0); }},
    {[](int v, uint8_t *d, int s, tagSIZE r) { X::ippiMulC_8s_C1IRSfs(v, d, s, r, 0); },
     [](int v, uint8_t *d, int s, tagSIZE r) {
       AL::ippiMulC_16s_C1IRSfs(short(v), As<short>(d), s, r, 0);
     },
     [](int v, uint8_t *d, int s, tagSIZE r) { X::ippiMulC_24s_C1IRSfs(v, d, s, r, 0); },
     [](int v, uint8_t *d, int s, tagSIZE r) { X::ippiMulC_32s_C1IRSfs(v, As<int>(d), s, r, 0); }},
    {[](int v, uint8_t *d, int s, tagSIZE r) { X::ippiDivC_8s_C1IRSfs(v, d, s, r, 0); },
     [](int v, uint8_t *d, int s, tagSIZE r) {
       AL::ippiDivC_16s_C1IRSfs(short(v), As<short>(d), s, r, 0);
     },
     [](int v, uint8_t *d, int s, tagSIZE r) { X::ippiDivC_24s_C1IRSfs(v, d, s, r, 0); },
     [](int v, uint8_t *d, int s, tagSIZE r) { X::ippiDivC_32s_C1IRSfs(v, As<int>(d), s, r, 0); }},
    {[](int v, uint8_t *d, int s, tagSIZE r) { AL::ippiSet_8u_C1R(uint8_t(v), d, s, r); },
     [](int v, uint8_t *d, int s, tagSIZE r) { AL::ippiSet_16s_C1R(short(v), As<short>(d), s, r); },
     [](int v, uint8_t *d, int s, tagSIZE r) { X::ippiSet_24s_C1R(v, d, s, r); },
     [](int v, uint8_t *d, int s, tagSIZE r) { AL::ippiSet_32s_C1R(v, As<int>(d), s, r); }},
};

// 0 to 3 for containers of 8, 16, 24 and 32 bits; -1 for any other.
int WidthIndex(int bits) {
  return bits == 8 || bits == 16 || bits == 24 || bits == 32 ? bits / 8 - 1 : -1;
}

tagSIZE Column(int n) { return tagSIZE{1, n}; }

} // namespace

TALCAudioBufferSampleChannel::operator int() const {
  return buffer_ ? buffer_->GetItem(channel_, frame_) : 0;
}

TALSpeakers TALCAudioBufferSample::GetChannelMask() const {
  return buffer_ ? buffer_->GetChannelMask() : TALSpeakers();
}

// ---------------------------------------------------------------------------
// Wrapper

TALCAudioBuffer::TALCAudioBuffer() : buffer_(com::MakeCom<TALAudioBuffer>()) { PopulateCahces(); }

TALCAudioBuffer::TALCAudioBuffer(int SamplesPerSecond, int Bits, int Channels, int Size)
    : buffer_(com::MakeCom<TALAudioBuffer>(SamplesPerSecond, Bits, Channels, Size)) {
  PopulateCahces();
}

TALCAudioBuffer::TALCAudioBuffer(TALAudioBuffer *Buffer) : buffer_(Buffer) { PopulateCahces(); }

TALCAudioBuffer::TALCAudioBuffer(const TALCAudioBuffer &Other)
    : TMLCMediaBuffer(Other), buffer_(com::MakeCom<TALAudioBuffer>(Other.buffer_.Get())) {
  PopulateCahces();
}

TALCAudioBuffer &TALCAudioBuffer::operator=(const TALCAudioBuffer &Other) {
  Assign(Other);
  return *this;
}

TALCAudioBuffer::~TALCAudioBuffer() = default;

void TALCAudioBuffer::PopulateCahces() const {
  TMLCMediaBuffer::PopulateCahces();
  format_ = FormatOf(buffer_.Get());
}

uint8_t *TALCAudioBuffer::ByteWrite() {
  Unique(false);
  return DataReference();
}

uint8_t *TALCAudioBuffer::ByteModify() {
  Unique(true);
  return DataReference();
}

TALCAudioDataAccess TALCAudioBuffer::Data() const { return TALCAudioDataAccess(*this); }

int TALCAudioBuffer::GetItem(int Channel, int Frame) const {
  return ReadSample(DataReference(), CachedSize(), format_, Channel, Frame);
}

void TALCAudioBuffer::SetItem(int Channel, int Frame, int Value) {
  WriteSample(Modify(), CachedSize(), format_, Channel, Frame, Value);
}

void TALCAudioBuffer::Resize(int Size) {
  buffer_->Resize(static_cast<uint32_t>(std::max(Size, 0)), false);
  PopulateCahces();
}

void TALCAudioBuffer::Copy(const TALCAudioBuffer &Other) {
  const uint32_t n = std::min(Other.GetByteSize(), GetByteSize());
  Unique(Other.GetByteSize() < GetByteSize());
  if (n > 0)
    std::memmove(DataReference(), Other.Read(), n);
}

bool TALCAudioBuffer::IsEqual(const TALCAudioBuffer &Other) const {
  return GetByteSize() == Other.GetByteSize() &&
         (GetByteSize() == 0 || std::memcmp(Read(), Other.Read(), GetByteSize()) == 0);
}

void TALCAudioBuffer::Assign(int Value) {
  Unique(false);
  buffer_->SetValue(Value);
}

void TALCAudioBuffer::Zero() {
  if (format_.SampleBitWidth == 8)
    return Assign(0);
  const uint32_t bytes = GetByteSize();
  uint8_t *data = Write();
  if (bytes > 0)
    std::memset(data, 0, bytes);
}

void TALCAudioBuffer::Assign(const TALCAudioBuffer &Other) {
  if (&Other == this)
    return;
  buffer_->Assign(Other.buffer_.Get());
  PopulateCahces();
}

void TALCAudioBuffer::Assign(const uint8_t *Data, int Size) {
  Resize(Size);
  const uint32_t n = std::min<uint32_t>(static_cast<uint32_t>(std::max(Size, 0)), GetByteSize());
  if (n > 0 && Data != nullptr)
    std::memcpy(Write(), Data, n);
}

void TALCAudioBuffer::Assign(const TALCAudioBufferSample &Sample) { WithSample(opSet, Sample); }

void TALCAudioBuffer::Add(int Value) { WithConstant(arAdd, Value); }
void TALCAudioBuffer::Sub(int Value) { WithConstant(arSubtract, Value); }
void TALCAudioBuffer::Multiply(int Value) { WithConstant(arMultiply, Value); }
void TALCAudioBuffer::Div(int Value) { WithConstant(arDivide, Value); }
void TALCAudioBuffer::Add(const TALCAudioBufferSample &Sample) { WithSample(arAdd, Sample); }
void TALCAudioBuffer::Sub(const TALCAudioBufferSample &Sample) { WithSample(arSubtract, Sample); }
void TALCAudioBuffer::Multiply(const TALCAudioBufferSample &Sample) {
  WithSample(arMultiply, Sample);
}
void TALCAudioBuffer::Div(const TALCAudioBufferSample &Sample) { WithSample(arDivide, Sample); }
void TALCAudioBuffer::Add(const TALCAudioBuffer &Other) { WithBuffer(arAdd, Other); }
void TALCAudioBuffer::Sub(const TALCAudioBuffer &Other) { WithBuffer(arSubtract, Other); }
void TALCAudioBuffer::Multiply(const TALCAudioBuffer &Other) { WithBuffer(arMultiply, Other); }
void TALCAudioBuffer::Div(const TALCAudioBuffer &Other) { WithBuffer(arDivide, Other); }

void TALCAudioBuffer::WithConstant(int Op, int Value) {
  const int w = WidthIndex(format_.SampleBitWidth);
  if (w < 0)
    return;
  uint8_t *data = Modify();
  // Every sample of every channel as one column.
  ColumnOps[Op][w](Value, data, format_.SampleBitWidth / 8,
                   Column(CachedSize() * format_.Channels));
}

void TALCAudioBuffer::WithSample(int Op, const TALCAudioBufferSample &Sample) {
  const int w = WidthIndex(format_.SampleBitWidth);
  const TALCAudioBuffer *source = Sample.GetBuffer();
  if (w < 0 || source == nullptr)
    return;
  const auto pairs =
      ALPairChannels(source->GetChannelMask(), uint32_t(std::max(source->GetChannels(), 0)),
                     format_.ChannelMask, uint32_t(format_.Channels));
  // The values first: the sample may be a frame of this very wrapper.
  std::vector<int> values;
  for (const TALChannelPair &p : pairs)
    values.push_back(source->GetItem(int(p.Source), Sample.GetFrame()));
  uint8_t *data = Modify();
  for (size_t i = 0; i < pairs.size(); ++i)
    ColumnOps[Op][w](values[i], data + pairs[i].Dest * (format_.SampleBitWidth / 8),
                     format_.DataStep, Column(CachedSize()));
}

void TALCAudioBuffer::WithBuffer(TALArithmetic Op, const TALCAudioBuffer &Other) {
  const TALRegionOp op =
      ALRegionOp(Op, uint32_t(format_.SampleBitWidth), uint32_t(format_.SampleBitWidth));
  if (WidthIndex(format_.SampleBitWidth) < 0 || op == nullptr)
    return;
  if (Other.GetSampleBitWidth() != format_.SampleBitWidth)
    throw EInvalidOperation("Audio buffers of different sample widths cannot be combined");
  const int frames = std::min(Other.CachedSize(), CachedSize());
  const int bytes = format_.SampleBitWidth / 8;
  const auto pairs = ALPairChannels(Other.GetChannelMask(), uint32_t(Other.GetChannels()),
                                    format_.ChannelMask, uint32_t(format_.Channels));
  uint8_t *data = Modify();
  const uint8_t *src = Other.Read();
  for (const TALChannelPair &p : pairs)
    op(src + p.Source * bytes, Other.GetDataStep(), data + p.Dest * bytes, format_.DataStep,
       Column(frames));
}

// ---------------------------------------------------------------------------
// Data access

TALCAudioDataAccess::TALCAudioDataAccess(const TALCAudioBuffer &Wrapper)
    : TMLCMediaDataAccess(Wrapper) {
  Register();
}

TALCAudioDataAccess::TALCAudioDataAccess(const TALCAudioDataAccess &Other)
    : TMLCMediaDataAccess(Other) {
  PopulateCache();
}

void TALCAudioDataAccess::PopulateCache() const {
  TMLCMediaDataAccess::PopulateCache();
  format_ = FormatOf(GetBuffer());
}

TALAudioBuffer *TALCAudioDataAccess::GetBuffer() const {
  return Wrapper() ? Wrapper()->GetPasBuffer() : nullptr;
}

int TALCAudioDataAccess::GetItem(int Channel, int Frame) const {
  return ReadSample(ByteRead(), GetSize(), format_, Channel, Frame);
}

void TALCAudioDataAccess::SetItem(int Channel, int Frame, int Value) {
  WriteSample(ByteModify(), GetSize(), format_, Channel, Frame, Value);
}

TALCAudioBufferSample TALCAudioDataAccess::operator[](int Frame) const {
  return TALCAudioBufferSample(Wrapper(), Frame);
}
