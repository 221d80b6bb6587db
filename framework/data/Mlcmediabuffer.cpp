#include "framework/data/Mlcmediabuffer.h"

TMLMediaBuffer *TMLCTimeStamp::Media() const { return buffer_ ? buffer_->GetPasBuffer() : nullptr; }

bool TMLCTimeStamp::GetAvailable() const {
  TMLMediaBuffer *m = Media();
  return m != nullptr && m->GetTimeStampAvailable();
}

int64_t TMLCTimeStamp::GetBeginTime() const {
  TMLMediaBuffer *m = Media();
  return m ? m->GetTimeStampBegin() : 0;
}

int64_t TMLCTimeStamp::GetEndTime() const {
  TMLMediaBuffer *m = Media();
  return m ? m->GetTimeStampEnd() : 0;
}
