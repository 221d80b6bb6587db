// The media layer's exception and the event types its classes fire.
//
// EDSException carries only its message; TDSGraph::Error formats it as
// "text - code as unsigned decimal - code in upper-case hex". The event
// types are the handlers' signatures; the Sender is always the owning
// component of the object that fires them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/classlib/ClassInfo.h"
#include "platform/classlib/Exceptions.h"
#include "platform/media/Interfaces.h"

class EDSException : public Exception {
public:
  using Exception::Exception;
};

// OnError: a handler that sets Handled keeps the failure from being raised.
using TDSErrorEvent =
    TEvent<void(TObject *Sender, const std::string &ErrorText, int32_t ErrorCode, bool &Handled)>;
using TDSWarningEvent =
    TEvent<void(TObject *Sender, const std::string &ErrorText, int32_t ErrorCode)>;
using TNotifyEvent = TEvent<void(TObject *Sender)>;

// The capture component's sample method: called on the graph's streaming
// thread for every captured sample (SampleTime in seconds, as the grabber
// reports it).
using TVLDSBufferNotifyEvent = std::function<void(double SampleTime, media::IMediaSample *ASample)>;
