#include "framework/data/SLSimpleDataBuffer.h"

#include <algorithm>

#include "framework/dispatch/Slbasicdispatcher.h"

std::atomic<int32_t> _SLCountPasBuffers{0};

namespace sl = Slbasicdispatcher;

// ---------------------------------------------------------------------------
// TSLSequenceStamp

bool TSLSequenceStamp::GetAvailable() const { return owner_->GetBufferNumberAvailable(); }
void TSLSequenceStamp::SetAvailable(bool Value) { owner_->SetBufferNumberAvailable(Value); }
int64_t TSLSequenceStamp::GetBufferNumber() const { return owner_->GetBufferNumber(); }
void TSLSequenceStamp::SetBufferNumber(int64_t Value) { owner_->SetBufferNumber(Value); }

// ---------------------------------------------------------------------------
// TSLGenericBuffer

TSLGenericBuffer::TSLGenericBuffer(TSLSmartBuffer *Store, uint32_t ByteSize)
    : byteSize_(ByteSize), stamp_(this), store_(Store) {
  store_->AddReff(true);
  sys::InterlockedIncrement(_SLCountPasBuffers);
}

TSLGenericBuffer::TSLGenericBuffer(TSLGenericBuffer *Source)
    : dataPointer_(Source->dataPointer_), byteSize_(Source->byteSize_), stamp_(this),
      store_(Source->store_) {
  store_->AddReff(true);
  sys::InterlockedIncrement(_SLCountPasBuffers);
}

TSLGenericBuffer::TSLGenericBuffer(ISLDataBuffer *Source)
    : TSLGenericBuffer(Source->GetInstance()) {}

TSLGenericBuffer::~TSLGenericBuffer() {
  while (!views_.empty())
    views_.back()->BufferRemoved();
  if (store_ != nullptr) {
    store_->RemoveReff(ownsData_);
    store_ = nullptr;
  }
  sys::InterlockedDecrement(_SLCountPasBuffers);
}

com::HRESULT TSLGenericBuffer::QueryInterface(const com::TGUID &iid, void **out) {
  return com::QueryInterfaceFor<ISLDataBuffer, ISLGenericBuffer>(this, iid, out);
}

void TSLGenericBuffer::Assign(ISLDataBuffer *Source) {
  TSLGenericBuffer *source = Source->GetInstance();
  if (source != this && source->store_ != store_) {
    if (store_ != nullptr)
      store_->RemoveReff(ownsData_);
    store_ = source->store_;
    store_->AddReff(ownsData_);
    SetDataContainer(store_);
    PopulateCahces();
  }
  byteSize_ = source->byteSize_;
  dataPointer_ = source->dataPointer_;
}

const uint8_t *TSLGenericBuffer::ByteRead() { return dataPointer_; }

uint8_t *TSLGenericBuffer::ByteWrite() {
  Unique(false);
  return dataPointer_;
}

uint8_t *TSLGenericBuffer::ByteModify() {
  Unique(true);
  return dataPointer_;
}

void TSLGenericBuffer::CopyBytes(uint64_t FromByte, ISLDataBuffer *Dest, uint64_t ToByte,
                                 uint64_t ByteCount) {
  // The callers' positions may come from anywhere: a range outside either
  // buffer would read or write foreign memory.
  if (FromByte + ByteCount > GetByteSize() || ToByte + ByteCount > Dest->GetByteSize())
    throw ERangeError(Format(
        "Copy range out of bounds = %llu, %llu, %llu", static_cast<unsigned long long>(FromByte),
        static_cast<unsigned long long>(ToByte), static_cast<unsigned long long>(ByteCount)));
  // The destination first, since it may be this buffer and become unique.
  uint8_t *dst = Dest->ByteModify();
  (void)sl::ippsCopy_8u(ByteRead() + FromByte, dst + ToByte, static_cast<int>(ByteCount));
}

void TSLGenericBuffer::CopyTo(uint32_t FromIndex, ISLDataBuffer *Dest, uint32_t ToIndex,
                              uint32_t Count) {
  CopyBytes(FromIndex, Dest, ToIndex, Count);
}

com::TComPtr<ISLDataBuffer> TSLGenericBuffer::MakeCopy() {
  return com::MakeCom<TSLGenericBuffer>(this);
}

com::TComPtr<ISLDataAccess> TSLGenericBuffer::DataAccess() {
  return NewView<TSLDataBufferAccess, ISLDataAccess>();
}

bool TSLGenericBuffer::MakeUnique(bool KeepData) {
  TSLSmartBuffer *old = store_;
  if (old->SingleOwner())
    return false;
  // The store's lock is not held while cloning: two sharers writing at once
  // each end up with a copy of their own.
  TSLSmartBuffer *fresh = old->Clone(KeepData);
  store_ = fresh;
  fresh->AddReff(ownsData_);
  SetDataContainer(fresh);
  old->RemoveReff(ownsData_);
  PopulateCahces();
  return true;
}

void TSLGenericBuffer::RemoveOwnerShip() {
  if (ownsData_) {
    store_->RemoveOwnerShip();
    ownsData_ = false;
  }
}

void TSLGenericBuffer::ReleaseDataAccess(TSLDataBufferAccess *View) {
  auto it = std::find(views_.begin(), views_.end(), View);
  if (it != views_.end())
    views_.erase(it);
}

// ---------------------------------------------------------------------------
// TSLMemoryBuffer

TSLSmartMemoryBuffer *TSLMemoryBuffer::NewStore(const void *Data, uint64_t Size,
                                                uint32_t ItemSize) {
  const uint64_t bytes = Size * ItemSize;
  SLCheckStoreSize(bytes);
  return new TSLSmartMemoryBuffer(Data, static_cast<uint32_t>(bytes));
}

TSLMemoryBuffer *TSLMemoryBuffer::MemorySource(ISLDataBuffer *Source) {
  return SLBufferObject<TSLMemoryBuffer>(Source);
}

TSLMemoryBuffer::TSLMemoryBuffer(uint32_t Size)
    : TSLMemoryBuffer(NewStore(nullptr, Size, 1), Size) {}

TSLMemoryBuffer::TSLMemoryBuffer(TSLSmartMemoryBuffer *Store, uint32_t ByteSize)
    : TSLGenericBuffer(Store, ByteSize) {
  dataPointer_ = Store->GetRawData();
}

TSLMemoryBuffer::TSLMemoryBuffer(TSLMemoryBuffer *Source) : TSLGenericBuffer(Source) {}

void TSLMemoryBuffer::Assign(ISLDataBuffer *Source) {
  // The cached data pointer is read from a memory store: another kind of
  // store would leave it pointing into foreign memory.
  TSLGenericBuffer::Assign(MemorySource(Source));
}

void TSLMemoryBuffer::PopulateCahces() { dataPointer_ = GetCharBuffer()->GetRawData(); }

com::TComPtr<ISLDataBuffer> TSLMemoryBuffer::MakeCopy() {
  return com::MakeCom<TSLMemoryBuffer>(this);
}

TSLSmartMemoryBuffer *TSLMemoryBuffer::MakeCopySize(uint32_t Size) const {
  return NewStore(nullptr, Size, ItemSize());
}

void TSLMemoryBuffer::Resize(uint32_t Size, bool KeepData) {
  const uint32_t current = GetSize();
  if (Size == current)
    return;
  const uint64_t bytes = uint64_t(Size) * ItemSize();
  SLCheckStoreSize(bytes);
  // Shrinking, to nothing included, only narrows this buffer's view of the
  // store; growing stays in the block while nobody else owns it.
  if (Size < current || (GetCharBuffer()->SingleOwner() &&
                         GetCharBuffer()->GetAllocatedSize() / ItemSize() >= Size)) {
    byteSize_ = static_cast<uint32_t>(bytes);
    PopulateCahces();
    return;
  }
  TSLSmartMemoryBuffer *old = GetCharBuffer();
  TSLSmartMemoryBuffer *fresh = MakeCopySize(Size);
  SetDataContainer(fresh);
  if (KeepData)
    fresh->CopyFrom(*old);
  old->RemoveReff(OwnsData());
  fresh->AddReff(OwnsData());
  byteSize_ = static_cast<uint32_t>(bytes);
  PopulateCahces();
}

// ---------------------------------------------------------------------------
// Typed buffers

void TSLBlockBuffer::Add(ISLBlockBuffer *Other) {
  Combine(Other,
          [](const uint8_t *s, uint8_t *d, int n) { (void)sl::ippsAdd_8u_ISfs(s, d, n, 0); });
}
void TSLBlockBuffer::Subtract(ISLBlockBuffer *Other) {
  Combine(Other,
          [](const uint8_t *s, uint8_t *d, int n) { (void)sl::ippsSub_8u_ISfs(s, d, n, 0); });
}
void TSLBlockBuffer::Multiply(ISLBlockBuffer *Other) {
  Combine(Other,
          [](const uint8_t *s, uint8_t *d, int n) { (void)sl::ippsMul_8u_ISfs(s, d, n, 0); });
}
void TSLBlockBuffer::Divide(ISLBlockBuffer *Other) {
  Combine(Other, [](const uint8_t *s, uint8_t *d, int n) {
    for (int i = 0; i < n; ++i)
      d[i] = s[i] != 0 ? static_cast<uint8_t>(d[i] / s[i]) : (d[i] != 0 ? 255 : 0);
  });
}
void TSLBlockBuffer::SetValue(uint8_t Value) {
  (void)sl::ippsSet_8u(Value, Write(), static_cast<int>(GetSize()));
}
void TSLBlockBuffer::Zero() { (void)sl::ippsZero_8u(Write(), static_cast<int>(GetSize())); }

TSLRealBuffer::TSLRealBuffer(const int32_t *Data, uint32_t Size) : TSLTypedBufferT(Size) {
  if (Data != nullptr)
    (void)sl::ippsConvert_32s64f(Data, Write(), static_cast<int>(Size));
}

TSLRealBuffer::TSLRealBuffer(const float *Data, uint32_t Size) : TSLTypedBufferT(Size) {
  if (Data != nullptr)
    (void)sl::ippsConvert_32f64f(Data, Write(), static_cast<int>(Size));
}

void TSLRealBuffer::VectorJaehne(double Magnitude) {
  (void)sl::ippsVectorJaehne_64f(Write(), static_cast<int>(GetSize()), Magnitude);
}

void TSLRealBuffer::Add(ISLRealBuffer *Other) {
  Combine(Other, [](const double *s, double *d, int n) { (void)sl::ippsAdd_64f_I(s, d, n); });
}
void TSLRealBuffer::Subtract(ISLRealBuffer *Other) {
  Combine(Other, [](const double *s, double *d, int n) { (void)sl::ippsSub_64f_I(s, d, n); });
}
void TSLRealBuffer::Multiply(ISLRealBuffer *Other) {
  Combine(Other, [](const double *s, double *d, int n) { (void)sl::ippsMul_64f_I(s, d, n); });
}
void TSLRealBuffer::Divide(ISLRealBuffer *Other) {
  Combine(Other, [](const double *s, double *d, int n) {
    if (sl::ippsDiv_64f_I(s, d, n) != ippStsDivByZero)
      return;
    // Quotients by zero become large finite values the displays can draw.
    // Comparisons raise no floating-point exception here, so no item needs
    // the 0.0 of a failed fix-up.
    for (int i = 0; i < n; ++i)
      if (s[i] == 0.0)
        d[i] = d[i] > 0.0 ? 1e15 : -1e14;
  });
}
void TSLRealBuffer::SetValue(double Value) {
  (void)sl::ippsSet_64f(Value, Write(), static_cast<int>(GetSize()));
}
void TSLRealBuffer::Zero() { (void)sl::ippsZero_64f(Write(), static_cast<int>(GetSize())); }

namespace {
using TRealReduce = IppOpStatus (*)(const double *, int, double *);

double Reduce(TRealReduce op, const double *data, int64_t from, int64_t to) {
  if (from < 0 || to <= from) // an empty buffer or range has no extreme
    return 0.0;
  double result = 0.0;
  (void)op(data + from, static_cast<int>(to - from), &result);
  return result;
}

// Clamps From and To into the buffer of Size items as the range queries do.
void ClampRange(int64_t Size, int64_t &From, int64_t &To) {
  if (From < 0)
    From = 0;
  if (To < 0)
    To = 0;
  if (To > Size)
    To = Size;
  if (From >= Size)
    From = Size - 1;
}
} // namespace

double TSLRealBuffer::GetMinValue() { return Reduce(&sl::ippsMin_64f, Read(), 0, GetSize()); }
double TSLRealBuffer::GetMaxValue() { return Reduce(&sl::ippsMax_64f, Read(), 0, GetSize()); }

double TSLRealBuffer::GetMin(int32_t From, int32_t To) {
  int64_t from = From, to = To;
  ClampRange(GetSize(), from, to);
  return Reduce(&sl::ippsMin_64f, Read(), from, to);
}

double TSLRealBuffer::GetMax(int32_t From, int32_t To) {
  int64_t from = From, to = To;
  ClampRange(GetSize(), from, to);
  return Reduce(&sl::ippsMax_64f, Read(), from, to);
}

void TSLIntegerBuffer::Add(ISLIntegerBuffer *Other) {
  Combine(Other,
          [](const int32_t *s, int32_t *d, int n) { (void)sl::ippsAdd_32s_ISfs(s, d, n, 0); });
}
void TSLIntegerBuffer::Subtract(ISLIntegerBuffer *Other) {
  Combine(Other,
          [](const int32_t *s, int32_t *d, int n) { (void)sl::ippsSub_32s_ISfs(s, d, n, 0); });
}
void TSLIntegerBuffer::Multiply(ISLIntegerBuffer *Other) {
  Combine(Other,
          [](const int32_t *s, int32_t *d, int n) { (void)sl::ippsMul_32s_ISfs(s, d, n, 0); });
}
void TSLIntegerBuffer::Divide(ISLIntegerBuffer *Other) {
  Combine(Other,
          [](const int32_t *s, int32_t *d, int n) { (void)sl::ippsDiv_32s_ISfs(s, d, n, 0); });
}
void TSLIntegerBuffer::SetValue(int32_t Value) {
  (void)sl::ippsSet_32s(Value, Write(), static_cast<int>(GetSize()));
}
void TSLIntegerBuffer::Zero() { (void)sl::ippsZero_32s(Write(), static_cast<int>(GetSize())); }

int32_t TSLIntegerBuffer::GetMinValue() {
  const uint32_t n = GetSize();
  return n == 0 ? 0 : *std::min_element(Read(), Read() + n);
}

int32_t TSLIntegerBuffer::GetMaxValue() {
  const uint32_t n = GetSize();
  return n == 0 ? 0 : *std::max_element(Read(), Read() + n);
}

void TSLComplexBuffer::Add(ISLComplexBuffer *Other) {
  Combine(Other, [](const Ipp64fc *s, Ipp64fc *d, int n) { (void)sl::ippsAdd_64fc_I(s, d, n); });
}
void TSLComplexBuffer::Subtract(ISLComplexBuffer *Other) {
  Combine(Other, [](const Ipp64fc *s, Ipp64fc *d, int n) { (void)sl::ippsSub_64fc_I(s, d, n); });
}
void TSLComplexBuffer::Multiply(ISLComplexBuffer *Other) {
  Combine(Other, [](const Ipp64fc *s, Ipp64fc *d, int n) { (void)sl::ippsMul_64fc_I(s, d, n); });
}
void TSLComplexBuffer::Divide(ISLComplexBuffer *Other) {
  Combine(Other, [](const Ipp64fc *s, Ipp64fc *d, int n) { (void)sl::ippsDiv_64fc_I(s, d, n); });
}
void TSLComplexBuffer::SetValue(double Re, double Im) {
  (void)sl::ippsSet_64fc(Ipp64fc{Re, Im}, Write(), static_cast<int>(GetSize()));
}
void TSLComplexBuffer::Zero() { (void)sl::ippsZero_64fc(Write(), static_cast<int>(GetSize())); }

// ---------------------------------------------------------------------------
// TSLDataBufferAccess

TSLDataBufferAccess::~TSLDataBufferAccess() { BufferRemoved(); }

void TSLDataBufferAccess::BufferRemoved() {
  if (buffer_ != nullptr) {
    TSLGenericBuffer *buffer = buffer_;
    buffer_ = nullptr;
    buffer->ReleaseDataAccess(this);
  }
}

TSLGenericBuffer *TSLDataBufferAccess::Buffer() const {
  if (buffer_ == nullptr)
    throw EInvalidOperation("The data access has no buffer");
  return buffer_;
}

void TSLDataBufferAccess::CopyTo(uint32_t FromIndex, ISLDataAccess *Dest, uint32_t ToIndex,
                                 uint32_t Count) {
  com::TComPtr<ISLDataBuffer> dest = Dest->GetBufferInstance();
  Buffer()->CopyTo(FromIndex, dest.Get(), ToIndex, Count);
}

void TSLDataBufferAccess::Resize(uint32_t Size, bool KeepData) {
  if (Size != GetSize())
    Buffer()->Resize(Size, KeepData);
}
