// The class library's plain event: a handler that receives only its sender.
#pragma once

#include "platform/classlib/ClassInfo.h"

using TNotifyEvent = TEvent<void(TObject *Sender)>;
