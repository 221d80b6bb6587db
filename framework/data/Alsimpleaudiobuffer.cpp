#include "framework/data/Alsimpleaudiobuffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/data/Ippextrafunctions.h"
#include "framework/dispatch/Albasicdispatcher.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "platform/classlib/Exceptions.h"

namespace X = Ippextrafunctions;
namespace AL = Albasicdispatcher;

namespace {

constexpr uint8_t SpeakerValues[ALSpeakerCount] = {0, 1,  2,  3,  4,  5,  6,  7,  8,
                                                   9, 10, 11, 12, 13, 14, 15, 16, 17};

tagSIZE Column(uint32_t n) { return tagSIZE{1, static_cast<int>(n)}; }

WAVEFORMATEXTENSIBLE MakeHeader(uint32_t SamplesPerSecond, uint32_t Bits, uint32_t Channels,
                                TALSpeakers Mask) {
  WAVEFORMATEXTENSIBLE f{};
  ALFillWaveFormat(f, SamplesPerSecond, Bits, Channels, Mask);
  return f;
}

uint32_t NonNegative(int v) {
  if (v < 0)
    throw ERangeError();
  return static_cast<uint32_t>(v);
}

// Header plus Frames frames of the header's block align, within a store.
uint32_t AudioByteSize(const WAVEFORMATEXTENSIBLE &Header, uint64_t Frames) {
  const uint64_t bytes = Frames * Header.Format.nBlockAlign + ALWaveFormatHeaderSize;
  if (bytes > SLMaxStoreSize)
    throw ERangeError();
  return static_cast<uint32_t>(bytes);
}

TALSmartAudioBuffer *NewAudioStore(const WAVEFORMATEXTENSIBLE &Header, uint32_t ByteSize) {
  auto *store = TALAudioBuffer::MakeCopySize(ByteSize);
  std::memcpy(store->GetRawData(), &Header, sizeof Header);
  return store;
}

TALAudioBuffer *AudioInstance(ISLDataBuffer *Other) {
  auto *audio = Other ? dynamic_cast<TALAudioBuffer *>(Other->GetInstance()) : nullptr;
  if (audio == nullptr)
    throw EInvalidCast();
  return audio;
}

template <class T, auto F> void OnBytes(const uint8_t *s, int ss, uint8_t *d, int ds, tagSIZE roi) {
  F(reinterpret_cast<const T *>(s), ss, reinterpret_cast<T *>(d), ds, roi, 0);
}

// The element routines by operation and sample format: offset 8-bit, 16-bit
// (the catalogue's, saturating), 24-bit, 32-bit.
constexpr TALRegionOp RegionOps[4][4] = {
    {OnBytes<uint8_t, X::ippiAdd_8s_C1IRSfs>, OnBytes<short, AL::ippiAdd_16s_C1IRSfs>,
     OnBytes<uint8_t, X::ippiAdd_24s_C1IRSfs>, OnBytes<int, X::ippiAdd_32s_C1IRSfs>},
    {OnBytes<uint8_t, X::ippiSub_8s_C1IRSfs>, OnBytes<short, AL::ippiSub_16s_C1IRSfs>,
     OnBytes<uint8_t, X::ippiSub_24s_C1IRSfs>, OnBytes<int, X::ippiSub_32s_C1IRSfs>},
    {OnBytes<uint8_t, X::ippiMul_8s_C1IRSfs>, OnBytes<short, AL::ippiMul_16s_C1IRSfs>,
     OnBytes<uint8_t, X::ippiMul_24s_C1IRSfs>, OnBytes<int, X::ippiMul_32s_C1IRSfs>},
    {OnBytes<uint8_t, X::ippiDiv_8s_C1IRSfs>, OnBytes<short, AL::ippiDiv_16s_C1IRSfs>,
     OnBytes<uint8_t, X::ippiDiv_24s_C1IRSfs>, OnBytes<int, X::ippiDiv_32s_C1IRSfs>},
};

// Copies a column of equal-width samples; false for a width it cannot copy.
bool CopyColumn(const uint8_t *src, int srcStep, uint8_t *dst, int dstStep, uint32_t bits,
                uint32_t count) {
  const tagSIZE roi = Column(count);
  switch (bits) {
  case 8:
    AL::ippiCopy_8u_C1R(src, srcStep, dst, dstStep, roi);
    return true;
  case 16:
    AL::ippiCopy_16s_C1R(reinterpret_cast<const short *>(src), srcStep,
                         reinterpret_cast<short *>(dst), dstStep, roi);
    return true;
  case 24:
    X::ippiCopy_24s_C1R(src, srcStep, dst, dstStep, roi);
    return true;
  case 32:
    AL::ippiCopy_32s_C1R(reinterpret_cast<const int *>(src), srcStep, reinterpret_cast<int *>(dst),
                         dstStep, roi);
    return true;
  default:
    return false;
  }
}

} // namespace

TALRegionOp ALRegionOp(TALArithmetic Op, uint32_t ValidBits, uint32_t ContainerBits) {
  if (ValidBits <= 8)
    return RegionOps[Op][0];
  if (ValidBits <= 16)
    return RegionOps[Op][1];
  if (ContainerBits == 24)
    return RegionOps[Op][2];
  if (ContainerBits == 32)
    return RegionOps[Op][3];
  return nullptr;
}

int32_t ALReadSample(const uint8_t *p, uint32_t Bits) {
  switch (Bits) {
  case 8:
    return *p;
  case 16: {
    int16_t v;
    std::memcpy(&v, p, 2);
    return v;
  }
  case 24:
    return X::Convert24BitTo32Bit(p);
  case 32: {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
  default:
    return 0;
  }
}

int GetALSpeakerValuesSize() { return ALSpeakerCount; }
uint8_t GetALSpeakerValues(int i) { return SpeakerValues[i]; }

std::vector<TALChannelPair> ALPairChannels(TALSpeakers SourceMask, uint32_t SourceChannels,
                                           TALSpeakers DestMask, uint32_t DestChannels) {
  std::vector<TALChannelPair> pairs;
  uint32_t source = 0, dest = 0;
  for (int p = 0; p < GetALSpeakerValuesSize(); ++p) {
    const uint8_t bit = GetALSpeakerValues(p);
    if (bit > 31)
      continue;
    const bool inSource = (SourceMask.Mask >> bit) & 1u, inDest = (DestMask.Mask >> bit) & 1u;
    if (inSource && inDest && source < SourceChannels && dest < DestChannels)
      pairs.push_back({source, dest});
    source += inSource;
    dest += inDest;
  }
  return pairs;
}

// ---------------------------------------------------------------------------
// Construction

TALAudioBuffer::TALAudioBuffer(const WAVEFORMATEXTENSIBLE &Header, uint32_t ByteSize)
    : TMLMediaBuffer(NewAudioStore(Header, ByteSize), ByteSize) {
  PopulateCahces();
}

TALAudioBuffer::TALAudioBuffer()
    : TALAudioBuffer(MakeHeader(11025, 8, 1, TALSpeakers(1)), ALWaveFormatHeaderSize) {}

TALAudioBuffer::TALAudioBuffer(int SamplesPerSecond, int Bits, int Channels, int Size)
    : TALAudioBuffer(SamplesPerSecond, Bits, Channels, Size,
                     ALDefaultChannelMask(NonNegative(Channels))) {}

TALAudioBuffer::TALAudioBuffer(int SamplesPerSecond, int Bits, int Channels, int Size,
                               TALSpeakers ChannelMask)
    : TALAudioBuffer(
          MakeHeader(NonNegative(SamplesPerSecond), NonNegative(Bits), NonNegative(Channels),
                     ChannelMask),
          AudioByteSize(MakeHeader(0, NonNegative(Bits), NonNegative(Channels), ChannelMask),
                        NonNegative(Size))) {}

TALAudioBuffer::TALAudioBuffer(const WAVEFORMATEXTENSIBLE *Format, int Size)
    : TALAudioBuffer(static_cast<int>(Format->Format.nSamplesPerSec),
                     Format->Samples.wValidBitsPerSample, Format->Format.nChannels, Size,
                     TALSpeakers(Format->dwChannelMask)) {}

TALAudioBuffer::TALAudioBuffer(TALAudioBuffer *Other) : TMLMediaBuffer(Other) { PopulateCahces(); }
TALAudioBuffer::TALAudioBuffer(ISLDataBuffer *Other) : TALAudioBuffer(AudioInstance(Other)) {}
TALAudioBuffer::TALAudioBuffer(IALAudioBuffer *Other) : TALAudioBuffer(AudioInstance(Other)) {}

com::HRESULT TALAudioBuffer::QueryInterface(const com::TGUID &iid, void **out) {
  return com::QueryInterfaceFor<ISLDataBuffer, ISLGenericBuffer, IMLMediaBuffer, IALAudioBuffer>(
      this, iid, out);
}

void TALAudioBuffer::Assign(ISLDataBuffer *Source) {
  TSLGenericBuffer::Assign(AudioInstance(Source));
}

com::TComPtr<ISLDataBuffer> TALAudioBuffer::MakeCopy() {
  return com::MakeCom<TALAudioBuffer>(this);
}

com::TComPtr<IALAudioDataAccess> TALAudioBuffer::Data() {
  return NewView<TALAudioDataBufferAccess, IALAudioDataAccess>();
}
com::TComPtr<ISLDataAccess> TALAudioBuffer::DataAccess() {
  return com::TComPtr<ISLDataAccess>(Data().Get());
}

TALSmartAudioBuffer *TALAudioBuffer::MakeCopySize(uint32_t Size) {
  return new TALSmartAudioBuffer(Size);
}

void TALAudioBuffer::PopulateCahces() {
  header_ = reinterpret_cast<WAVEFORMATEXTENSIBLE *>(GetBuffer()->GetRawData());
  WAVEFORMATEXTENSIBLE h;
  std::memcpy(&h, header_, sizeof h);
  channels_ = h.Format.nChannels;
  containerBits_ = h.Format.wBitsPerSample;
  dataStep_ = h.Format.nBlockAlign;
  channelMask_ = TALSpeakers(h.dwChannelMask);
  validBits_ = h.Samples.wValidBitsPerSample;
  dataOffset_ = h.Format.cbSize + 18u;
  dataPointer_ = GetBuffer()->GetRawData() + dataOffset_;
}

// ---------------------------------------------------------------------------
// Format and size

uint32_t TALAudioBuffer::GetByteSize() { return byteSize_ - dataOffset_; }
uint32_t TALAudioBuffer::GetSize() { return dataStep_ == 0 ? 0 : GetByteSize() / dataStep_; }
uint32_t TALAudioBuffer::GetSamplesPerSecond() { return header_->Format.nSamplesPerSec; }
uint32_t TALAudioBuffer::GetDataOffset() { return header_->Format.cbSize + 18u; }
uint32_t TALAudioBuffer::GetCharSize() { return byteSize_ - GetDataOffset(); }
void TALAudioBuffer::GetWaveFormat(WAVEFORMATEXTENSIBLE &Format) {
  std::memcpy(&Format, header_, sizeof Format);
}

WAVEFORMATEXTENSIBLE *TALAudioBuffer::GetModifyFormat() {
  Unique(true);
  return header_;
}

void TALAudioBuffer::Resize(uint32_t Size, bool KeepData) {
  WAVEFORMATEXTENSIBLE header;
  GetWaveFormat(header);
  const uint32_t bytes = AudioByteSize(header, Size);
  TALSmartAudioBuffer *old = GetBuffer();
  if (GetSize() >= Size || (old->SingleOwner() && old->GetAllocatedSize() >= bytes)) {
    byteSize_ = bytes;
    PopulateCahces();
    return;
  }
  TALSmartAudioBuffer *fresh = MakeCopySize(bytes);
  std::memcpy(fresh->GetRawData(), &header, sizeof header);
  if (KeepData)
    fresh->CopyFrom(*old);
  // The stamp describes the data, which stays this buffer's.
  fresh->SetTimeStampAvailable(old->GetTimeStampAvailable());
  fresh->SetTimeStampBegin(old->GetTimeStampBegin());
  fresh->SetTimeStampEnd(old->GetTimeStampEnd());
  fresh->AddReff(OwnsData());
  SetDataContainer(fresh);
  old->RemoveReff(OwnsData());
  byteSize_ = bytes;
  PopulateCahces();
}

// ---------------------------------------------------------------------------
// Samples

int32_t TALAudioBuffer::GetItem(uint32_t Frame, uint32_t Channel) {
  if (Channel >= channels_)
    throw ERangeError(Format("Channel out of range = %u", Channel));
  if (Frame >= GetSize())
    throw ERangeError(Format("Index out of range = %u", Frame));
  return ALReadSample(dataPointer_ + uint64_t(Frame) * dataStep_ +
                          uint64_t(Channel) * ContainerBytes(),
                      containerBits_);
}

void TALAudioBuffer::SetItem(uint32_t Frame, uint32_t Channel, int32_t Value) {
  Unique(true);
  if (Channel >= channels_)
    throw ERangeError(Format("Channel out of rabge = %u", Channel));
  if (Frame >= GetSize())
    throw ERangeError(Format("Index out of rabge = %u", Frame));
  uint8_t *p = dataPointer_ + uint64_t(Frame) * dataStep_ + uint64_t(Channel) * ContainerBytes();
  // The low bytes of a little-endian value.
  const size_t bytes = validBits_ > 16  ? std::min<size_t>(ContainerBytes(), 4)
                       : validBits_ > 8 ? 2
                                        : 1;
  std::memcpy(p, &Value, bytes);
}

// ---------------------------------------------------------------------------
// Copying

void TALAudioBuffer::CopyTo(uint32_t FromIndex, ISLDataBuffer *Dest, uint32_t ToIndex,
                            uint32_t Count) {
  if (auto *audio = dynamic_cast<TALAudioBuffer *>(Dest->GetInstance()))
    CopyToAudio(FromIndex, audio, ToIndex, Count);
  else
    TSLGenericBuffer::CopyTo(FromIndex, Dest, ToIndex, Count);
}

void TALAudioBuffer::CopyToAudio(uint32_t FromIndex, TALAudioBuffer *Dest, uint32_t ToIndex,
                                 uint32_t Count) {
  if (uint64_t(FromIndex) + Count > GetSize() || uint64_t(ToIndex) + Count > Dest->GetSize())
    throw ERangeError();
  const auto pairs = ALPairChannels(channelMask_, channels_, Dest->channelMask_, Dest->channels_);
  if (pairs.empty() || Count == 0)
    return;
  // Dest first: when it is this buffer, making it unique moves the source too.
  uint8_t *dst = Dest->Modify() + uint64_t(ToIndex) * Dest->dataStep_;
  const uint8_t *src = Read() + uint64_t(FromIndex) * dataStep_;
  for (const TALChannelPair &pair : pairs) {
    const uint8_t *s = src + pair.Source * ContainerBytes();
    uint8_t *d = dst + pair.Dest * Dest->ContainerBytes();
    if (containerBits_ == Dest->containerBits_)
      CopyColumn(s, static_cast<int>(dataStep_), d, static_cast<int>(Dest->dataStep_),
                 containerBits_, Count);
    else
      ConvertBits(s, static_cast<int>(containerBits_), static_cast<int>(dataStep_), d,
                  static_cast<int>(Dest->containerBits_), static_cast<int>(Dest->dataStep_),
                  static_cast<int>(Count));
  }
}

// ---------------------------------------------------------------------------
// Arithmetic and fills

void TALAudioBuffer::Add(IALAudioBuffer *Other) { Arithmetic(arAdd, Other); }
void TALAudioBuffer::Subtract(IALAudioBuffer *Other) { Arithmetic(arSubtract, Other); }
void TALAudioBuffer::Multiply(IALAudioBuffer *Other) { Arithmetic(arMultiply, Other); }
void TALAudioBuffer::Divide(IALAudioBuffer *Other) { Arithmetic(arDivide, Other); }

void TALAudioBuffer::Arithmetic(TALArithmetic Op, IALAudioBuffer *Other) {
  const TALRegionOp op = ALRegionOp(Op, validBits_, containerBits_);
  if (op == nullptr)
    return;
  // Reading the operand at another width would walk past its frames.
  if (Other->GetSampleBitWidth() != containerBits_)
    throw EInvalidOperation("Audio buffers of different sample widths cannot be combined");
  const uint32_t frames = std::min(Other->GetSize(), GetSize());
  uint8_t *dst = Modify();
  const uint8_t *src = Other->Read();
  const int srcStep = static_cast<int>(Other->GetDataStep()), dstStep = static_cast<int>(dataStep_);
  if (Other->GetChannels() == 1) {
    for (uint32_t i = 0; i < channels_; ++i)
      op(src, srcStep, dst + i * ContainerBytes(), dstStep, Column(frames));
    return;
  }
  for (const TALChannelPair &pair :
       ALPairChannels(Other->GetChannelMask(), Other->GetChannels(), channelMask_, channels_))
    op(src + pair.Source * ContainerBytes(), srcStep, dst + pair.Dest * ContainerBytes(), dstStep,
       Column(frames));
}

void TALAudioBuffer::SetValue(int32_t Value) {
  const uint32_t bytes = GetByteSize();
  switch (containerBits_) {
  case 8:
    Slbasicdispatcher::ippsSet_8u(static_cast<uint8_t>(uint32_t(Value) + 127u), Write(),
                                  int(bytes));
    break;
  case 16:
    AL::ippsSet_16s(static_cast<short>(Value), reinterpret_cast<short *>(Write()), int(bytes / 2));
    break;
  case 24:
    X::ippsSet_24s(Value, Write(), int(bytes / 3));
    break;
  case 32:
    Slbasicdispatcher::ippsSet_32s(Value, reinterpret_cast<int *>(Write()), int(bytes / 4));
    break;
  default:
    break;
  }
}

void TALAudioBuffer::Zero() {
  const uint32_t bytes = GetByteSize();
  switch (containerBits_) {
  case 8:
    SetValue(0);
    break;
  case 16:
    Slbasicdispatcher::ippsZero_16s(reinterpret_cast<short *>(Write()), int(bytes / 2));
    break;
  case 24:
    X::ippsZero_24s(Write(), int(bytes / 3));
    break;
  case 32:
    Slbasicdispatcher::ippsZero_32s(reinterpret_cast<int *>(Write()), int(bytes / 4));
    break;
  default:
    break;
  }
}

void TALAudioBuffer::MultiplyByConstant(double Value) {
  const tagSIZE all = Column(GetSize() * channels_);
  const int step = static_cast<int>(ContainerBytes());
  switch (containerBits_) {
  case 8:
    X::MultiplyByReal8u(Value, Modify(), step, all);
    break;
  case 16:
    X::MultiplyByReal16s(Value, reinterpret_cast<short *>(Modify()), step, all);
    break;
  case 24:
    X::MultiplyByReal24s(Value, Modify(), step, all);
    break;
  case 32:
    X::MultiplyByReal32s(Value, reinterpret_cast<int *>(Modify()), step, all);
    break;
  default:
    break;
  }
}

// ---------------------------------------------------------------------------
// View

IALAudioBufferPtr TALAudioDataBufferAccess::Of(IALAudioDataAccess *Other) {
  auto audio = IALAudioBufferPtr::Query(Other->GetBufferInstance());
  if (!audio)
    throw EInvalidCast();
  return audio;
}

// ---------------------------------------------------------------------------
// Width conversion and rate change

void ConvertBits(const uint8_t *Src, int SrcBits, int SrcStep, uint8_t *Dst, int DstBits,
                 int DstStep, int Count) {
  const tagSIZE roi = Column(Count < 0 ? 0 : uint32_t(Count));
  auto *s16 = reinterpret_cast<const short *>(Src);
  auto *s32 = reinterpret_cast<const int *>(Src);
  auto *d16 = reinterpret_cast<short *>(Dst);
  auto *d32 = reinterpret_cast<int *>(Dst);
  switch (SrcBits * 100 + DstBits) {
  case 816:
    AL::ippiScale_8u16s_C1R(Src, SrcStep, d16, DstStep, roi);
    break;
  case 824:
    X::ippiScale_8u24s_C1R(Src, SrcStep, Dst, DstStep, roi);
    break;
  case 832:
    AL::ippiScale_8u32s_C1R(Src, SrcStep, d32, DstStep, roi);
    break;
  case 1608:
    AL::ippiScale_16s8u_C1R(s16, SrcStep, Dst, DstStep, roi, ippAlgHintFast);
    break;
  case 1624:
    X::ippiScale_16s24s_C1R(s16, SrcStep, Dst, DstStep, roi);
    break;
  case 1632:
    X::ippiScale_16s32s_C1R(s16, SrcStep, d32, DstStep, roi);
    break;
  case 2408:
    X::ippiScale_24s8u_C1R(Src, SrcStep, Dst, DstStep, roi, ippAlgHintFast);
    break;
  case 2416:
    X::ippiScale_24s16s_C1R(Src, SrcStep, d16, DstStep, roi, ippAlgHintFast);
    break;
  case 2432:
    X::ippiScale_24s32s_C1R(Src, SrcStep, d32, DstStep, roi);
    break;
  case 3208:
    AL::ippiScale_32s8u_C1R(s32, SrcStep, Dst, DstStep, roi, ippAlgHintFast);
    break;
  case 3216:
    X::ippiScale_32s16s_C1R(s32, SrcStep, d16, DstStep, roi, ippAlgHintFast);
    break;
  case 3224:
    X::ippiScale_32s24s_C1R(s32, SrcStep, Dst, DstStep, roi, ippAlgHintFast);
    break;
  default:
    break;
  }
}

void ConvertBuffers(IALAudioBuffer *Source, uint32_t SourceRate, IALAudioBufferPtr &Dest,
                    uint32_t DestRate) {
  if (!Dest)
    throw EInvalidCast();
  IALAudioBufferPtr result(Source);
  if (DestRate != SourceRate && SourceRate != 0) {
    const uint32_t frame = Source->GetSampleBitWidth() * Source->GetChannels() / 8;
    const double ratio = double(DestRate) / double(SourceRate);
    const uint32_t srcFrames = Source->GetSize();
    const auto tmpFrames = static_cast<uint32_t>(std::nearbyint(srcFrames * ratio));
    // The temporary buffer keeps Source's rate; Dest's own header decides.
    auto temp = com::MakeCom<TALAudioBuffer>(static_cast<int>(Source->GetSamplesPerSecond()),
                                             static_cast<int>(Source->GetBitsPerSample()),
                                             static_cast<int>(Source->GetChannels()),
                                             static_cast<int>(tmpFrames), Source->GetChannelMask());
    const uint32_t srcK = ratio >= 1 || DestRate == 0 ? 1 : SourceRate / DestRate;
    const uint32_t dstK = ratio >= 1 ? DestRate / SourceRate : 1;
    uint32_t count = std::min(srcFrames, tmpFrames);
    if (count > 0)
      count = std::min({count, (srcFrames - 1) / srcK + 1, (tmpFrames - 1) / dstK + 1});
    const uint32_t sample = Source->GetSampleBitWidth() / 8;
    const uint8_t *src = Source->Read();
    uint8_t *dst = temp->Write();
    for (uint32_t c = 0; c < Source->GetChannels(); ++c)
      CopyColumn(src + c * sample, int(srcK * frame), dst + c * sample, int(dstK * frame),
                 Source->GetSampleBitWidth(), count);
    // Frames up-sampling left unwritten hold the frame before them.
    for (uint32_t j = 1; j < tmpFrames; ++j)
      if (j % dstK != 0 || j / dstK >= count)
        std::memcpy(dst + uint64_t(j) * frame, dst + uint64_t(j - 1) * frame, frame);
    result = IALAudioBufferPtr(temp.Get());
  }
  if (Dest.Get() == result.Get())
    return;
  const uint32_t n = result->GetSize();
  Dest->Resize(n, false);
  result->CopyTo(0, Dest.Get(), 0, n);
}
