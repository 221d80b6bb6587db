#include "framework/data/Mlinternalstore.h"

TMLSmartMediaBuffer::TMLSmartMediaBuffer(TMLSmartMediaBuffer &Other, bool CopyData)
    : TSLSmartBuffer(Other, CopyData), timeStampAvailable_(Other.GetTimeStampAvailable()) {
  Other.EnterRead();
  timeStampBegin_ = Other.timeStampBegin_;
  timeStampEnd_ = Other.timeStampEnd_;
  Other.LeaveRead();
}

TMLSmartMediaBuffer *TMLSmartMediaBuffer::Clone(bool CopyData) { return new TMLSmartMediaBuffer(*this, CopyData); }

int64_t TMLSmartMediaBuffer::GetTimeStampBegin() {
  EnterRead();
  const int64_t value = timeStampBegin_;
  LeaveRead();
  return value;
}

void TMLSmartMediaBuffer::SetTimeStampBegin(int64_t Value) {
  EnterWrite();
  timeStampBegin_ = Value;
  LeaveWrite();
}

int64_t TMLSmartMediaBuffer::GetTimeStampEnd() {
  EnterRead();
  const int64_t value = timeStampEnd_;
  LeaveRead();
  return value;
}

void TMLSmartMediaBuffer::SetTimeStampEnd(int64_t Value) {
  EnterWrite();
  timeStampEnd_ = Value;
  LeaveWrite();
}
