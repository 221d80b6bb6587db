// Sample buffers: the data-buffer interface, the generic and memory buffers,
// the typed block, real, integer and complex buffers, and their data-access
// views.
//
// A buffer is a small reference-counted object passed around by interface
// (ISLDataBuffer). Its samples live in a store (SLInternalStore.h) that several
// buffer objects may share. Copying a buffer is cheap: the copy shares the
// store as one more owner. Copy-on-write happens in MakeUnique, reached by
//   ByteWrite / Write   - a private store WITHOUT the old contents, for callers
//                         that overwrite everything they touch;
//   ByteModify / Modify - a private store WITH the old contents;
// and both do nothing while the store has fewer than two owners. A buffer that
// gave up ownership (RemoveOwnerShip) is not counted: when the one remaining
// owner is another buffer, it writes into the shared store in place.
//
// Threads: a buffer object is used by one thread at a time and takes no lock of
// its own. Buffer objects on several threads may share one store: the store's
// lock makes the owner test and the count changes atomic, so two sharers that
// write at once each end up with a private copy. Views are used on the thread
// of their buffer.
//
// Creation: buffers and views are counted objects made with com::MakeCom (or a
// buffer's MakeCopy / Data). Sizes are limited to SLMaxStoreSize bytes; a
// larger request raises ERangeError, exhausted memory EOutOfMemory.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/data/SLInternalStore.h"
#include "framework/dispatch/IppTypes.h"
#include "platform/com/Unknown.h"

class TSLGenericBuffer;
class TSLSequenceStamp;
class TSLDataBufferAccess;
struct ISLDataAccess;
struct ISLBlockDataAccess;
struct ISLRealDataAccess;
struct ISLIntegerDataAccess;
struct ISLComplexDataAccess;

// The item of the complex buffers: real part, then imaginary part (the layout
// of the value pins' TOWRealComplex; this header stays free of the pin
// framework, so it names the vector operations' type).
using TSLComplexItem = Ipp64fc;

// ---------------------------------------------------------------------------
// Interfaces

// The interface of every sample buffer.
struct ISLDataBuffer : public virtual com::IUnknown {
  static constexpr com::TGUID IID =
      com::TGUID::FromLiteral("{CA519E69-AECD-43D8-89CF-3B55E15541ED}");

  // Takes Source's store (sharing it) with Source's size.
  virtual void Assign(ISLDataBuffer *Source) = 0;
  // The implementing object.
  virtual TSLGenericBuffer *GetInstance() = 0;
  // The first data byte: no copy / copy-on-write without data / with data.
  virtual const uint8_t *ByteRead() = 0;
  virtual uint8_t *ByteWrite() = 0;
  virtual uint8_t *ByteModify() = 0;
  virtual uint32_t GetByteSize() = 0;
  // Item count.
  virtual uint32_t GetSize() = 0;
  virtual TSLSequenceStamp *GetSequenceStamp() = 0;
  // Copies Count units from this buffer at FromIndex to Dest at ToIndex (bytes,
  // or items between real or integer buffers of one class). Dest first gets a
  // store of its own when its store is shared. ERangeError when a range
  // leaves either buffer.
  virtual void CopyTo(uint32_t FromIndex, ISLDataBuffer *Dest, uint32_t ToIndex,
                      uint32_t Count) = 0;
  // New size in items; nothing at the generic level.
  virtual void Resize(uint32_t Size, bool KeepData) = 0;
  virtual void Unique(bool KeepData) = 0;
  // A new buffer object of the same class sharing this store.
  virtual com::TComPtr<ISLDataBuffer> MakeCopy() = 0;
};

struct ISLGenericBuffer : public virtual ISLDataBuffer {
  static constexpr com::TGUID IID =
      com::TGUID::FromLiteral("{D4612012-7681-404F-ACCB-1086DA16207B}");
  // A new data-access view (typed for the typed buffers).
  com::TComPtr<ISLDataAccess> Data() { return DataAccess(); }
  virtual com::TComPtr<ISLDataAccess> DataAccess() = 0;
};

// The view interface of every buffer.
struct ISLDataAccess : public virtual com::IUnknown {
  static constexpr com::TGUID IID =
      com::TGUID::FromLiteral("{47A26EE3-AFF1-40FF-A533-C9439044C803}");

  virtual const uint8_t *ByteRead() = 0;
  virtual uint8_t *ByteWrite() = 0;
  virtual uint8_t *ByteModify() = 0;
  virtual uint32_t GetByteSize() = 0;
  virtual uint32_t GetSize() = 0;
  virtual com::TComPtr<ISLDataBuffer> GetBufferInstance() = 0;
  virtual TSLSequenceStamp *GetSequenceStamp() = 0;
  virtual void CopyTo(uint32_t FromIndex, ISLDataAccess *Dest, uint32_t ToIndex,
                      uint32_t Count) = 0;
  virtual void Resize(uint32_t Size, bool KeepData) = 0;
  virtual void Unique(bool KeepData) = 0;
  virtual com::TComPtr<ISLDataBuffer> MakeCopy() = 0;
};

// The typed buffer interfaces: Data (a typed view) and typed pointers. The
// arithmetic takes the other operand as a buffer of the same kind and works
// over min(own, other's) items; self = self op other.
template <class TItem, class IView> struct ISLTypedBufferT : public virtual ISLDataBuffer {
  com::TComPtr<IView> Data() { return TypedDataAccess(); }
  virtual com::TComPtr<IView> TypedDataAccess() = 0;
  virtual const TItem *Read() = 0;
  virtual TItem *Write() = 0;
  virtual TItem *Modify() = 0;
};

// The operation sets that a typed buffer and its view share; Other is the
// interface of the other operand (a buffer, or a view, of the same kind).
template <class Other> struct ISLArithmeticT {
  virtual void Add(Other *Operand) = 0;
  virtual void Subtract(Other *Operand) = 0;
  virtual void Multiply(Other *Operand) = 0;
  virtual void Divide(Other *Operand) = 0;
  virtual void Zero() = 0;

protected:
  ~ISLArithmeticT() = default;
};

template <class TItem, class Other> struct ISLItemOperationsT : public ISLArithmeticT<Other> {
  virtual TItem GetItem(int32_t Index) = 0;
  virtual void SetItem(int32_t Index, TItem Value) = 0;

protected:
  ~ISLItemOperationsT() = default;
};

template <class Other> struct ISLBlockOperationsT : public ISLArithmeticT<Other> {
  virtual void SetValue(uint8_t Value) = 0;

protected:
  ~ISLBlockOperationsT() = default;
};

template <class Other> struct ISLRealOperationsT : public ISLItemOperationsT<double, Other> {
  virtual void VectorJaehne(double Magnitude) = 0;
  virtual void SetValue(double Value) = 0;
  virtual double GetMinValue() = 0;
  virtual double GetMaxValue() = 0;
  virtual double GetMin(int32_t From, int32_t To) = 0;
  virtual double GetMax(int32_t From, int32_t To) = 0;

protected:
  ~ISLRealOperationsT() = default;
};

template <class Other> struct ISLIntegerOperationsT : public ISLItemOperationsT<int32_t, Other> {
  virtual void SetValue(int32_t Value) = 0;

protected:
  ~ISLIntegerOperationsT() = default;
};

template <class Other>
struct ISLComplexOperationsT : public ISLItemOperationsT<TSLComplexItem, Other> {
  virtual void SetValue(double Re, double Im) = 0;

protected:
  ~ISLComplexOperationsT() = default;
};

struct ISLBlockBuffer : public ISLTypedBufferT<uint8_t, ISLBlockDataAccess>,
                        public ISLBlockOperationsT<ISLBlockBuffer> {
  static constexpr com::TGUID IID =
      com::TGUID::FromLiteral("{1D7F6725-9466-43E9-9B6C-164FAB691FEA}");
};

struct ISLRealBuffer : public ISLTypedBufferT<double, ISLRealDataAccess>,
                       public ISLRealOperationsT<ISLRealBuffer> {
  static constexpr com::TGUID IID =
      com::TGUID::FromLiteral("{032C61EC-364E-4739-A2FE-E7DA0BA64939}");
};

struct ISLIntegerBuffer : public ISLTypedBufferT<int32_t, ISLIntegerDataAccess>,
                          public ISLIntegerOperationsT<ISLIntegerBuffer> {
  static constexpr com::TGUID IID =
      com::TGUID::FromLiteral("{51D45274-AF18-4746-BBF1-94C82F07139B}");
  virtual int32_t GetMinValue() = 0;
  virtual int32_t GetMaxValue() = 0;
};

struct ISLComplexBuffer : public ISLTypedBufferT<TSLComplexItem, ISLComplexDataAccess>,
                          public ISLComplexOperationsT<ISLComplexBuffer> {
  static constexpr com::TGUID IID =
      com::TGUID::FromLiteral("{FA61019A-FF10-4472-9F8C-89DC48D5C792}");
};

// Typed views: the typed operations of their buffer, with the other operand
// given as a view of the same kind.
template <class TItem> struct ISLTypedDataAccessT : public virtual ISLDataAccess {
  virtual const TItem *Read() = 0;
  virtual TItem *Write() = 0;
  virtual TItem *Modify() = 0;
};

// The block and real views share one identifier: a query by it answers the
// view's own kind. Callers take views only from Data of a buffer they know.
struct ISLBlockDataAccess : public ISLTypedDataAccessT<uint8_t>,
                            public ISLBlockOperationsT<ISLBlockDataAccess> {
  static constexpr com::TGUID IID =
      com::TGUID::FromLiteral("{E658B17B-9F67-4737-AFF0-9651B7572F8F}");
};

struct ISLRealDataAccess : public ISLTypedDataAccessT<double>,
                           public ISLRealOperationsT<ISLRealDataAccess> {
  static constexpr com::TGUID IID =
      com::TGUID::FromLiteral("{E658B17B-9F67-4737-AFF0-9651B7572F8F}");
};

struct ISLIntegerDataAccess : public ISLTypedDataAccessT<int32_t>,
                              public ISLIntegerOperationsT<ISLIntegerDataAccess> {
  static constexpr com::TGUID IID =
      com::TGUID::FromLiteral("{7A4B6462-C905-411C-8F63-F3AFD2EBFCCC}");
};

struct ISLComplexDataAccess : public ISLTypedDataAccessT<TSLComplexItem>,
                              public ISLComplexOperationsT<ISLComplexDataAccess> {
  static constexpr com::TGUID IID =
      com::TGUID::FromLiteral("{7A56E9D8-ADE9-412B-8DEE-C03F4BA39146}");
};

using ISLDataBufferPtr = com::TComPtr<ISLDataBuffer>;

// Live generic buffers (diagnostics only).
extern std::atomic<int32_t> _SLCountPasBuffers;

// ---------------------------------------------------------------------------
// Sequence stamp: the buffer number kept in the store, so every buffer that
// shares a store shares its stamp. Owned by its buffer.
class TSLSequenceStamp {
public:
  explicit TSLSequenceStamp(TSLGenericBuffer *Owner) : owner_(Owner) {}
  TSLSequenceStamp(const TSLSequenceStamp &) = delete;
  TSLSequenceStamp &operator=(const TSLSequenceStamp &) = delete;

  bool GetAvailable() const;
  void SetAvailable(bool Value);
  int64_t GetBufferNumber() const;
  void SetBufferNumber(int64_t Value);

private:
  TSLGenericBuffer *owner_;
};

// ---------------------------------------------------------------------------
// The generic buffer: implements the data-buffer interface over any store.
// It holds one reference (AddReff) on its store; owns-data tells whether that
// reference also claims ownership.
//
// Descendants that cache pointers from the store refresh them in
// PopulateCahces and call it at the end of their own constructor (a C++
// constructor cannot reach the derived class through the virtual slot).
class TSLGenericBuffer : public com::TInterfacedObject, public ISLGenericBuffer {
public:
  // Takes Store (one more owner) with ByteSize bytes; the data pointer stays
  // unset at this level.
  TSLGenericBuffer(TSLSmartBuffer *Store, uint32_t ByteSize);
  // Share Source's store, byte size and data pointer.
  explicit TSLGenericBuffer(TSLGenericBuffer *Source);
  // kept: public constructor; nothing calls it
  explicit TSLGenericBuffer(ISLDataBuffer *Source);

  com::HRESULT QueryInterface(const com::TGUID &iid, void **out) override;

  // ISLDataBuffer
  void Assign(ISLDataBuffer *Source) override;
  TSLGenericBuffer *GetInstance() override { return this; }
  const uint8_t *ByteRead() override;
  uint8_t *ByteWrite() override;
  uint8_t *ByteModify() override;
  uint32_t GetByteSize() override { return byteSize_; }
  uint32_t GetSize() override { return byteSize_; }
  TSLSequenceStamp *GetSequenceStamp() override { return &stamp_; }
  void CopyTo(uint32_t FromIndex, ISLDataBuffer *Dest, uint32_t ToIndex, uint32_t Count) override;
  void Resize(uint32_t, bool) override {}
  void Unique(bool KeepData) override { MakeUnique(KeepData); }
  com::TComPtr<ISLDataBuffer> MakeCopy() override;
  com::TComPtr<ISLDataAccess> DataAccess() override;

  // Copy-on-write: gives this buffer a private store (a clone, with the data
  // when KeepData) when its store has two or more owners. True when a new
  // store was taken.
  virtual bool MakeUnique(bool KeepData);
  // Refreshes pointers cached from the store; nothing at this level.
  virtual void PopulateCahces() {}
  // Stores the reference; counts are the caller's business.
  virtual void SetDataContainer(TSLSmartBuffer *Store) { store_ = Store; }
  // Gives up this buffer's claim to write the store in place.
  virtual void RemoveOwnerShip();

  TSLSmartBuffer *GetDataContainer() const { return store_; }
  bool OwnsData() const { return ownsData_; }
  // Removes a view from the live views (called by the view).
  void ReleaseDataAccess(TSLDataBufferAccess *View);
  int DataAccessCount() const { return static_cast<int>(views_.size()); }

  bool GetBufferNumberAvailable() const { return store_->GetBufferNumberAvailable(); }
  void SetBufferNumberAvailable(bool Value) { store_->SetBufferNumberAvailable(Value); }
  int64_t GetBufferNumber() const { return store_->GetBufferNumber(); }
  void SetBufferNumber(int64_t Value) { store_->SetBufferNumber(Value); }

protected:
  ~TSLGenericBuffer() override;

  // Registers a new view of class TView on this buffer and returns it.
  template <class TView, class IView> com::TComPtr<IView> NewView();
  // The byte copy behind CopyTo, with both ranges checked.
  void CopyBytes(uint64_t FromByte, ISLDataBuffer *Dest, uint64_t ToByte, uint64_t ByteCount);

  uint8_t *dataPointer_ = nullptr;
  uint32_t byteSize_ = 0;

private:
  std::vector<TSLDataBufferAccess *> views_;
  TSLSequenceStamp stamp_;
  TSLSmartBuffer *store_ = nullptr;
  bool ownsData_ = true;
};

// The object of class T (or a descendant) behind Buffer; EInvalidCast when
// Buffer is of another class.
template <class T> T *SLBufferObject(ISLDataBuffer *Buffer) {
  auto *object = dynamic_cast<T *>(Buffer->GetInstance());
  if (object == nullptr)
    throw EInvalidCast();
  return object;
}

// The memory buffer: a generic buffer over a TSLSmartMemoryBuffer store, with
// sizes in items (byte size / ItemSize) and the resize rules.
class TSLMemoryBuffer : public TSLGenericBuffer {
public:
  // A new store for Size bytes, contents not initialised.
  explicit TSLMemoryBuffer(uint32_t Size);
  TSLMemoryBuffer(TSLSmartMemoryBuffer *Store, uint32_t ByteSize);
  explicit TSLMemoryBuffer(TSLMemoryBuffer *Source);

  TSLSmartMemoryBuffer *GetCharBuffer() const {
    return static_cast<TSLSmartMemoryBuffer *>(GetDataContainer());
  }
  // kept: public member of the buffer
  void SetCharBuffer(TSLSmartMemoryBuffer *Store) { SetDataContainer(Store); }

  // Takes Source's store as the generic buffer does; EInvalidCast (and the
  // own store kept) when Source is not a memory buffer.
  void Assign(ISLDataBuffer *Source) override;
  void PopulateCahces() override;
  uint32_t GetSize() override { return byteSize_ / ItemSize(); }
  uint32_t GetCharSize() const { return byteSize_; }
  com::TComPtr<ISLDataBuffer> MakeCopy() override;
  // Size in items. Shrinking (to 0 included) keeps the store; growing keeps it
  // while this buffer is its single owner and the block holds the new size;
  // otherwise a new store (the old contents copied when KeepData).
  void Resize(uint32_t Size, bool KeepData) override;

  // A new store for Size items.
  TSLSmartMemoryBuffer *MakeCopySize(uint32_t Size) const;
  virtual uint32_t ItemSize() const { return 1; }

  // A new store for Size items of ItemSize bytes with Data's first bytes, when
  // given; ERangeError beyond SLMaxStoreSize.
  static TSLSmartMemoryBuffer *NewStore(const void *Data, uint64_t Size, uint32_t ItemSize);
  // The memory store of a buffer given as the source of a sharing
  // constructor; EInvalidCast when it has another kind of store.
  static TSLMemoryBuffer *MemorySource(ISLDataBuffer *Source);

protected:
  ~TSLMemoryBuffer() override = default;
};

// ---------------------------------------------------------------------------
// Typed buffers. TSelf is the final class; TView its view class.
template <class TSelf, class TItem, class IBuffer, class IView, class TView>
class TSLTypedBufferT : public TSLMemoryBuffer, public IBuffer {
public:
  using Item = TItem;

  // An empty buffer over a 4-byte block.
  TSLTypedBufferT() : TSLMemoryBuffer(NewStore(nullptr, 0, sizeof(TItem)), 0) { PopulateCahces(); }
  // Size items, contents not initialised.
  explicit TSLTypedBufferT(uint32_t Size) : TSLTypedBufferT(nullptr, Size) {}
  // Size items, copied from Data when it is not null.
  TSLTypedBufferT(const TItem *Data, uint32_t Size)
      : TSLMemoryBuffer(NewStore(Data, Size, sizeof(TItem)),
                        static_cast<uint32_t>(Size * sizeof(TItem))) {
    PopulateCahces();
  }
  // Share Source's store with Source's byte size. Source must be a memory
  // buffer (EInvalidCast otherwise).
  explicit TSLTypedBufferT(ISLDataBuffer *Source) : TSLMemoryBuffer(MemorySource(Source)) {}

  com::HRESULT QueryInterface(const com::TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<ISLDataBuffer, ISLGenericBuffer, IBuffer>(this, iid, out);
  }
  uint32_t ItemSize() const override { return sizeof(TItem); }
  com::TComPtr<ISLDataBuffer> MakeCopy() override {
    return com::MakeCom<TSelf>(static_cast<ISLDataBuffer *>(this));
  }
  com::TComPtr<ISLDataAccess> DataAccess() override { return TypedDataAccess(); }
  com::TComPtr<IView> TypedDataAccess() override { return NewView<TView, IView>(); }
  com::TComPtr<IView> Data() { return TypedDataAccess(); }

  const TItem *Read() override { return reinterpret_cast<const TItem *>(ByteRead()); }
  TItem *Write() override { return reinterpret_cast<TItem *>(ByteWrite()); }
  TItem *Modify() override { return reinterpret_cast<TItem *>(ByteModify()); }

protected:
  ~TSLTypedBufferT() override = default;

  // self = self op Other over the common item count; op(src, srcDst, n).
  template <class F> void Combine(IBuffer *Other, F op) {
    TItem *dst = Modify();
    const TItem *src = Other->Read();
    const uint32_t n = Other->GetSize() < GetSize() ? Other->GetSize() : GetSize();
    op(src, dst, static_cast<int>(n));
  }
  // The item accesses: a range error outside the buffer; a store goes into a
  // buffer made unique with its data first.
  TItem ItemAt(int32_t Index) {
    CheckIndex(Index);
    return Read()[Index];
  }
  void StoreAt(int32_t Index, TItem Value) {
    Unique(true);
    CheckIndex(Index);
    Modify()[Index] = Value;
  }
  void CheckIndex(int32_t Index) {
    if (Index < 0 || static_cast<uint32_t>(Index) >= GetSize())
      throw ERangeError(Format("Index out of rabge = %u", static_cast<unsigned>(Index)));
  }
  // The copy of the buffers that count in items: items when Dest is of this
  // class (or a descendant), bytes otherwise.
  void CopyItemsTo(uint32_t FromIndex, ISLDataBuffer *Dest, uint32_t ToIndex, uint32_t Count) {
    if (dynamic_cast<TSelf *>(Dest->GetInstance()) == nullptr)
      return TSLGenericBuffer::CopyTo(FromIndex, Dest, ToIndex, Count);
    CopyBytes(uint64_t(FromIndex) * sizeof(TItem), Dest, uint64_t(ToIndex) * sizeof(TItem),
              uint64_t(Count) * sizeof(TItem));
  }
};

class TSLBlockDataBufferAccess;
class TSLRealDataBufferAccess;
class TSLIntegerDataBufferAccess;
class TSLComplexDataBufferAccess;

class TSLBlockBuffer : public TSLTypedBufferT<TSLBlockBuffer, uint8_t, ISLBlockBuffer,
                                              ISLBlockDataAccess, TSLBlockDataBufferAccess> {
public:
  using TSLTypedBufferT::TSLTypedBufferT;
  // Saturating byte arithmetic.
  void Add(ISLBlockBuffer *Other) override;
  void Subtract(ISLBlockBuffer *Other) override;
  void Multiply(ISLBlockBuffer *Other) override;
  // Truncating division; a zero divisor gives 255 (0 for a zero dividend).
  void Divide(ISLBlockBuffer *Other) override;
  void SetValue(uint8_t Value) override;
  void Zero() override;

protected:
  ~TSLBlockBuffer() override = default;
};

class TSLRealBuffer : public TSLTypedBufferT<TSLRealBuffer, double, ISLRealBuffer,
                                             ISLRealDataAccess, TSLRealDataBufferAccess> {
public:
  using TSLTypedBufferT::TSLTypedBufferT;
  // Size doubles converted from integers or floats (contents not initialised
  // when Data is null).
  TSLRealBuffer(const int32_t *Data, uint32_t Size);
  TSLRealBuffer(const float *Data, uint32_t Size);

  // ERangeError "Index out of rabge = %u" outside 0 .. GetSize - 1; SetItem
  // makes the buffer unique (with its data) first.
  double GetItem(int32_t Index) override { return ItemAt(Index); }
  void SetItem(int32_t Index, double Value) override { StoreAt(Index, Value); }
  void VectorJaehne(double Magnitude) override;
  void Add(ISLRealBuffer *Other) override;
  void Subtract(ISLRealBuffer *Other) override;
  void Multiply(ISLRealBuffer *Other) override;
  // A zero divisor leaves 1e15 for a positive quotient and -1e14 otherwise.
  void Divide(ISLRealBuffer *Other) override;
  void SetValue(double Value) override;
  void Zero() override;
  // 0.0 for an empty buffer.
  double GetMinValue() override;
  double GetMaxValue() override;
  // Over items From .. To - 1 after clamping to the buffer; 0.0 when the
  // clamped range is empty.
  double GetMin(int32_t From, int32_t To) override;
  double GetMax(int32_t From, int32_t To) override;
  // Counts in items when Dest is a real buffer.
  void CopyTo(uint32_t FromIndex, ISLDataBuffer *Dest, uint32_t ToIndex, uint32_t Count) override {
    CopyItemsTo(FromIndex, Dest, ToIndex, Count);
  }

protected:
  ~TSLRealBuffer() override = default;
};

class TSLIntegerBuffer : public TSLTypedBufferT<TSLIntegerBuffer, int32_t, ISLIntegerBuffer,
                                                ISLIntegerDataAccess, TSLIntegerDataBufferAccess> {
public:
  using TSLTypedBufferT::TSLTypedBufferT;
  // ERangeError "Index out of rabge = %u" outside the buffer.
  int32_t GetItem(int32_t Index) override { return ItemAt(Index); }
  void SetItem(int32_t Index, int32_t Value) override { StoreAt(Index, Value); }
  void Add(ISLIntegerBuffer *Other) override;
  void Subtract(ISLIntegerBuffer *Other) override;
  void Multiply(ISLIntegerBuffer *Other) override;
  void Divide(ISLIntegerBuffer *Other) override;
  void SetValue(int32_t Value) override;
  void Zero() override;
  // 0 for an empty buffer.
  int32_t GetMinValue() override;
  int32_t GetMaxValue() override;
  // Counts in items when Dest is an integer buffer.
  void CopyTo(uint32_t FromIndex, ISLDataBuffer *Dest, uint32_t ToIndex, uint32_t Count) override {
    CopyItemsTo(FromIndex, Dest, ToIndex, Count);
  }

protected:
  ~TSLIntegerBuffer() override = default;
};

class TSLComplexBuffer : public TSLTypedBufferT<TSLComplexBuffer, TSLComplexItem, ISLComplexBuffer,
                                                ISLComplexDataAccess, TSLComplexDataBufferAccess> {
public:
  using TSLTypedBufferT::TSLTypedBufferT;
  // ERangeError "Index out of rabge = %u" outside the buffer.
  TSLComplexItem GetItem(int32_t Index) override { return ItemAt(Index); }
  void SetItem(int32_t Index, TSLComplexItem Value) override { StoreAt(Index, Value); }
  void Add(ISLComplexBuffer *Other) override;
  void Subtract(ISLComplexBuffer *Other) override;
  void Multiply(ISLComplexBuffer *Other) override;
  void Divide(ISLComplexBuffer *Other) override;
  void SetValue(double Re, double Im) override;
  void Zero() override;

protected:
  ~TSLComplexBuffer() override = default;
};

// ---------------------------------------------------------------------------
// Data-access views: a second, separately counted handle on a buffer. A view
// does not keep its buffer alive; the buffer detaches its live views when it
// is destroyed, and a detached view raises EInvalidOperation when used.
class TSLDataBufferAccess : public com::TInterfacedObject, public virtual ISLDataAccess {
public:
  using TBufferClass = TSLGenericBuffer;
  explicit TSLDataBufferAccess(TSLGenericBuffer *Buffer) : buffer_(Buffer) {}

  com::HRESULT QueryInterface(const com::TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<ISLDataAccess>(this, iid, out);
  }

  // Detaches the view from its buffer.
  void BufferRemoved();

  const uint8_t *ByteRead() override { return Buffer()->ByteRead(); }
  uint8_t *ByteWrite() override { return Buffer()->ByteWrite(); }
  uint8_t *ByteModify() override { return Buffer()->ByteModify(); }
  uint32_t GetByteSize() override { return Buffer()->GetByteSize(); }
  uint32_t GetSize() override { return Buffer()->GetSize(); }
  com::TComPtr<ISLDataBuffer> GetBufferInstance() override {
    return com::TComPtr<ISLDataBuffer>(Buffer());
  }
  TSLSequenceStamp *GetSequenceStamp() override { return Buffer()->GetSequenceStamp(); }
  void CopyTo(uint32_t FromIndex, ISLDataAccess *Dest, uint32_t ToIndex, uint32_t Count) override;
  // Nothing when Size is the current item count.
  void Resize(uint32_t Size, bool KeepData) override;
  void Unique(bool KeepData) override { Buffer()->Unique(KeepData); }
  com::TComPtr<ISLDataBuffer> MakeCopy() override { return Buffer()->MakeCopy(); }

protected:
  ~TSLDataBufferAccess() override;
  // The buffer; EInvalidOperation once detached.
  TSLGenericBuffer *Buffer() const;

private:
  TSLGenericBuffer *buffer_;
};

// The typed views forward to the typed operations of their buffer; the other
// operand is the other view's buffer (EInvalidCast when of another kind).
template <class TBuffer, class IView>
class TSLTypedDataBufferAccessT : public TSLDataBufferAccess, public IView {
public:
  using Item = typename TBuffer::Item;
  using TBufferClass = TBuffer;
  explicit TSLTypedDataBufferAccessT(TBuffer *Buffer) : TSLDataBufferAccess(Buffer) {}

  com::HRESULT QueryInterface(const com::TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<ISLDataAccess, IView>(this, iid, out);
  }
  const Item *Read() override { return Typed()->Read(); }
  Item *Write() override { return Typed()->Write(); }
  Item *Modify() override { return Typed()->Modify(); }
  void Add(IView *Other) override { Typed()->Add(Of(Other)); }
  void Subtract(IView *Other) override { Typed()->Subtract(Of(Other)); }
  void Multiply(IView *Other) override { Typed()->Multiply(Of(Other)); }
  void Divide(IView *Other) override { Typed()->Divide(Of(Other)); }
  void Zero() override { Typed()->Zero(); }

protected:
  ~TSLTypedDataBufferAccessT() override = default;
  TBuffer *Typed() const { return static_cast<TBuffer *>(Buffer()); }
  static TBuffer *Of(IView *Other);
};

class TSLBlockDataBufferAccess
    : public TSLTypedDataBufferAccessT<TSLBlockBuffer, ISLBlockDataAccess> {
public:
  using TSLTypedDataBufferAccessT::TSLTypedDataBufferAccessT;
  void SetValue(uint8_t Value) override { Typed()->SetValue(Value); }
};

class TSLRealDataBufferAccess : public TSLTypedDataBufferAccessT<TSLRealBuffer, ISLRealDataAccess> {
public:
  using TSLTypedDataBufferAccessT::TSLTypedDataBufferAccessT;
  double GetItem(int32_t Index) override { return Typed()->GetItem(Index); }
  void SetItem(int32_t Index, double Value) override { Typed()->SetItem(Index, Value); }
  void VectorJaehne(double Magnitude) override { Typed()->VectorJaehne(Magnitude); }
  void SetValue(double Value) override { Typed()->SetValue(Value); }
  // 0.0 for an empty buffer, as the buffer's own.
  double GetMinValue() override { return Typed()->GetMinValue(); }
  double GetMaxValue() override { return Typed()->GetMaxValue(); }
  double GetMin(int32_t From, int32_t To) override { return Typed()->GetMin(From, To); }
  double GetMax(int32_t From, int32_t To) override { return Typed()->GetMax(From, To); }
};

class TSLIntegerDataBufferAccess
    : public TSLTypedDataBufferAccessT<TSLIntegerBuffer, ISLIntegerDataAccess> {
public:
  using TSLTypedDataBufferAccessT::TSLTypedDataBufferAccessT;
  int32_t GetItem(int32_t Index) override { return Typed()->GetItem(Index); }
  void SetItem(int32_t Index, int32_t Value) override { Typed()->SetItem(Index, Value); }
  void SetValue(int32_t Value) override { Typed()->SetValue(Value); }
};

class TSLComplexDataBufferAccess
    : public TSLTypedDataBufferAccessT<TSLComplexBuffer, ISLComplexDataAccess> {
public:
  using TSLTypedDataBufferAccessT::TSLTypedDataBufferAccessT;
  TSLComplexItem GetItem(int32_t Index) override { return Typed()->GetItem(Index); }
  void SetItem(int32_t Index, TSLComplexItem Value) override { Typed()->SetItem(Index, Value); }
  void SetValue(double Re, double Im) override { Typed()->SetValue(Re, Im); }
};

// ---------------------------------------------------------------------------
// Template definitions that need the view classes.

template <class TView, class IView> com::TComPtr<IView> TSLGenericBuffer::NewView() {
  com::TComPtr<TView> view = com::MakeCom<TView>(static_cast<typename TView::TBufferClass *>(this));
  views_.push_back(view.Get());
  return com::TComPtr<IView>(view.Get());
}

template <class TBuffer, class IView>
TBuffer *TSLTypedDataBufferAccessT<TBuffer, IView>::Of(IView *Other) {
  com::TComPtr<ISLDataBuffer> buffer = Other->GetBufferInstance();
  return SLBufferObject<TBuffer>(buffer.Get());
}
