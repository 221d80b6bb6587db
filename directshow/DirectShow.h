// The media layer in one include, for the audio components:
// - DSGraphProperty.h: TDSGraph, the owner of one filter graph (events on the
//   main thread, error reporting, additional filters).
// - DSCaptureDevice.h / ALDSOutputDevice.h: device selection by name
//   (TDSAudioCaptureDevice, TDSAudioOutputDevice) and property-page entries.
// - DSBaseClass.h: media-type routines, base filter classes, the own
//   push-source filter TDSAudioSourceFilter and the device list.
// - Dssamplegrabber.h / Dsbufferqueue.h: the grabber callback and the block
//   queue between the streaming thread and the capture notify thread.
// - Dssources.h: crossbar and mixer sources (TDSSwitches).
// - DSDeviceListFormUnit.h: the device chooser's logic and its view seam.
// - DSErrors.h: EDSException and the event types.
// Each header states its threads and locks.
#pragma once

#include "directshow/ALDSOutputDevice.h"
#include "directshow/DSBaseClass.h"
#include "directshow/DSCaptureDevice.h"
#include "directshow/DSDeviceListFormUnit.h"
#include "directshow/DSErrors.h"
#include "directshow/DSGraphProperty.h"
#include "directshow/Dsbufferqueue.h"
#include "directshow/Dssamplegrabber.h"
#include "directshow/Dssources.h"
