// The callback object handed to the sample grabber: every captured sample
// goes to the capture component's sample method, on the graph's streaming
// thread.
//
// Its reference counts are fixed (AddRef answers 2, Release 1, neither
// changes anything): the owner frees it, and only after the sample grabber has
// let go of it (the graph is torn down first).
#pragma once

#include "directshow/DSErrors.h"
#include "platform/classlib/ClassInfo.h"
#include "platform/media/Interfaces.h"

class TVLDSSampleGrabberCB : public TObject, public media::ISampleGrabberCB {
public:
  explicit TVLDSSampleGrabberCB(TVLDSBufferNotifyEvent notify) : notify_(std::move(notify)) {}
  ~TVLDSSampleGrabberCB() override = default;

  // ISampleGrabberCB and IUnknown only.
  HRESULT QueryInterface(const TGUID &iid, void **out) override;
  uint32_t AddRef() override { return 2; }
  uint32_t Release() override { return 1; }

  // Calls the notify method with the sample held; S_OK in every case.
  HRESULT SampleCB(double sampleTime, media::IMediaSample *sample) override;
  // Not used: the grabber is given SampleCB only.
  HRESULT BufferCB(double sampleTime, media::BYTE *buffer, media::LONG length) override;

private:
  const TVLDSBufferNotifyEvent notify_;
};
