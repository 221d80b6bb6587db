#include "framework/data/Slcgenericbuffer.h"

#include <algorithm>

// ---------------------------------------------------------------------------
// TSLCGenericBuffer

TSLCGenericBuffer::~TSLCGenericBuffer() {
  // An access may outlive its wrapper; it must not reach back into it.
  TSLAccessList accesses;
  accesses.swap(accesses_);
  for (const TSLCDataAccess *access : accesses)
    access->Detach();
}

void TSLCGenericBuffer::PopulateCahces() const {
  for (const TSLCDataAccess *access : accesses_)
    access->PopulateCache();
  TSLGenericBuffer *buffer = GetPasBuffer();
  byteSize_ = buffer->GetByteSize();
  itemCount_ = static_cast<int>(buffer->GetSize());
  data_ = const_cast<uint8_t *>(buffer->ByteRead());
}

void TSLCGenericBuffer::Unique(bool KeepData) const {
  if (GetPasBuffer()->MakeUnique(KeepData))
    PopulateCahces();
}

void TSLCGenericBuffer::ReleaseDataAccess(const TSLCDataAccess *Access) const {
  accesses_.erase(std::remove(accesses_.begin(), accesses_.end(), Access), accesses_.end());
}

// ---------------------------------------------------------------------------
// TSLCDataAccess

TSLCDataAccess::TSLCDataAccess(const TSLCDataAccess &Other) : wrapper_(Other.wrapper_) {
  Register();
}

TSLCDataAccess::~TSLCDataAccess() {
  if (wrapper_ != nullptr)
    wrapper_->ReleaseDataAccess(this);
}

void TSLCDataAccess::Register() {
  if (wrapper_ != nullptr)
    wrapper_->AddDataAccess(this);
  PopulateCache();
}

void TSLCDataAccess::Detach() const {
  wrapper_ = nullptr;
  PopulateCache();
}

void TSLCDataAccess::PopulateCache() const {
  if (wrapper_ == nullptr) {
    data_ = nullptr;
    byteSize_ = 0;
    itemCount_ = 0;
    return;
  }
  TSLGenericBuffer *buffer = wrapper_->GetPasBuffer();
  byteSize_ = buffer->GetByteSize();
  itemCount_ = static_cast<int>(buffer->GetSize());
  data_ = const_cast<uint8_t *>(buffer->ByteRead());
}

void TSLCDataAccess::SetUnique(bool KeepData) {
  if (wrapper_ != nullptr && wrapper_->GetPasBuffer()->MakeUnique(KeepData))
    wrapper_->PopulateCahces(); // refreshes this access too
}

void TSLCDataAccess::SetWrite() { SetUnique(false); }
void TSLCDataAccess::SetModify() { SetUnique(true); }

uint8_t *TSLCDataAccess::ByteWrite() {
  SetWrite();
  return data_;
}

uint8_t *TSLCDataAccess::ByteModify() {
  SetModify();
  return data_;
}
