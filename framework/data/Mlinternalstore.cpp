#include "framework/data/Mlinternalstore.h"

TMLSmartMediaBuffer::TMLSmartMediaBuffer(TMLSmartMediaBuffer &Other, bool CopyData)
    : TSLSmartBuffer(Other, CopyData), timeStampAvailable_(Other.GetTimeStampAvailable()) {
  Other.EnterRead();
  timeStampBegin_ = Other.timeStampBegin_;
  timeStampEnd_ = Other.timeStampEnd_;
  Other.LeaveRead();
}

TMLSmartMediaBuffer *TMLSmartMediaBuffer::Clone(bool CopyData) {
  return new TMLSmartMediaBuffer(*this, CopyData);
}

int64_t TMLSmartMediaBuffer::ReadLocked(const int64_t &Field) {
  EnterRead();
  const int64_t value = Field;
  LeaveRead();
  return value;
}

void TMLSmartMediaBuffer::WriteLocked(int64_t &Field, int64_t Value) {
  EnterWrite();
  Field = Value;
  LeaveWrite();
}
