#include "directshow/Dssamplegrabber.h"

HRESULT TVLDSSampleGrabberCB::QueryInterface(const TGUID &iid, void **out) {
  if (out == nullptr)
    return E_POINTER;
  *out = nullptr;
  if (iid != media::ISampleGrabberCB::IID && iid != com::IUnknown::IID)
    return E_NOINTERFACE;
  *out = static_cast<media::ISampleGrabberCB *>(this);
  return S_OK;
}

HRESULT TVLDSSampleGrabberCB::SampleCB(double sampleTime, media::IMediaSample *sample) {
  com::TComPtr<media::IMediaSample> held(sample);
  // An exception must not unwind into the platform's streaming thread.
  if (notify_) {
    try {
      notify_(sampleTime, sample);
    } catch (...) {
    }
  }
  return S_OK;
}

HRESULT TVLDSSampleGrabberCB::BufferCB(double, media::BYTE *, media::LONG) { return S_OK; }
