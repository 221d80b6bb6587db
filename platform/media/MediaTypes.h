// The media framework's plain types: scalar aliases, result codes, event
// codes, identifiers (stream types, formats, categories, classes and
// interfaces) and the media-type, allocator, pin and filter records, with the
// media-type helpers every filter uses.
//
// Everything here is plain data or a pure function: safe from any thread.
// Records use the host's native sizes (AM_MEDIA_TYPE is 88 bytes on x86_64);
// the packed wave-format records come from platform/wave.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/com/ClassFactory.h"
#include "platform/com/Unknown.h"
#include "platform/wave/WaveFormat.h"

namespace media {

using com::HRESULT;
using com::IUnknown;
using com::TComPtr;
using com::TGUID;

using BOOL = int32_t;
using BYTE = uint8_t;
using LONG = int32_t;
using ULONG = uint32_t;
using DWORD = uint32_t;
using LONG_PTR = intptr_t;
using DWORD_PTR = uintptr_t;
using WCHAR = char16_t;
using LPWSTR = WCHAR *;
using LPCWSTR = const WCHAR *;
using LPOLESTR = WCHAR *;
using LPCOLESTR = const WCHAR *;
using CLSID = TGUID;
using IID = TGUID;
using REFERENCE_TIME = int64_t; // 100 ns units
using REFTIME = double;         // seconds

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

// 10^7 units of REFERENCE_TIME per second, 10^4 per millisecond.
inline constexpr REFERENCE_TIME UNITS = 10000000;
inline constexpr REFERENCE_TIME MILLISECONDS = 10000;
inline constexpr REFERENCE_TIME MAX_TIME = INT64_MAX;

// ---- Result codes -------------------------------------------------------
constexpr HRESULT MakeHResult(uint32_t v) { return static_cast<HRESULT>(v); }

inline constexpr HRESULT VFW_S_NO_MORE_ITEMS = MakeHResult(0x00040103u);
inline constexpr HRESULT VFW_S_DUPLICATE_NAME = MakeHResult(0x0004022Du);
inline constexpr HRESULT VFW_S_STATE_INTERMEDIATE = MakeHResult(0x00040237u);
inline constexpr HRESULT VFW_S_CANT_CUE = MakeHResult(0x00040268u);
inline constexpr HRESULT VFW_E_INVALIDMEDIATYPE = MakeHResult(0x80040200u);
inline constexpr HRESULT VFW_E_INVALIDSUBTYPE = MakeHResult(0x80040201u);
inline constexpr HRESULT VFW_E_NEED_OWNER = MakeHResult(0x80040202u);
inline constexpr HRESULT VFW_E_ENUM_OUT_OF_SYNC = MakeHResult(0x80040203u);
inline constexpr HRESULT VFW_E_ALREADY_CONNECTED = MakeHResult(0x80040204u);
inline constexpr HRESULT VFW_E_FILTER_ACTIVE = MakeHResult(0x80040205u);
inline constexpr HRESULT VFW_E_NO_TYPES = MakeHResult(0x80040206u);
inline constexpr HRESULT VFW_E_NO_ACCEPTABLE_TYPES = MakeHResult(0x80040207u);
inline constexpr HRESULT VFW_E_INVALID_DIRECTION = MakeHResult(0x80040208u);
inline constexpr HRESULT VFW_E_NOT_CONNECTED = MakeHResult(0x80040209u);
inline constexpr HRESULT VFW_E_NO_ALLOCATOR = MakeHResult(0x8004020Au);
inline constexpr HRESULT VFW_E_RUNTIME_ERROR = MakeHResult(0x8004020Bu);
inline constexpr HRESULT VFW_E_BUFFER_NOTSET = MakeHResult(0x8004020Cu);
inline constexpr HRESULT VFW_E_BUFFER_OVERFLOW = MakeHResult(0x8004020Du);
inline constexpr HRESULT VFW_E_BADALIGN = MakeHResult(0x8004020Eu);
inline constexpr HRESULT VFW_E_ALREADY_COMMITTED = MakeHResult(0x8004020Fu);
inline constexpr HRESULT VFW_E_BUFFERS_OUTSTANDING = MakeHResult(0x80040210u);
inline constexpr HRESULT VFW_E_NOT_COMMITTED = MakeHResult(0x80040211u);
inline constexpr HRESULT VFW_E_SIZENOTSET = MakeHResult(0x80040212u);
inline constexpr HRESULT VFW_E_NO_CLOCK = MakeHResult(0x80040213u);
inline constexpr HRESULT VFW_E_NO_SINK = MakeHResult(0x80040214u);
inline constexpr HRESULT VFW_E_NO_INTERFACE = MakeHResult(0x80040215u);
inline constexpr HRESULT VFW_E_NOT_FOUND = MakeHResult(0x80040216u);
inline constexpr HRESULT VFW_E_CANNOT_CONNECT = MakeHResult(0x80040217u);
inline constexpr HRESULT VFW_E_CANNOT_RENDER = MakeHResult(0x80040218u);
inline constexpr HRESULT VFW_E_CHANGING_FORMAT = MakeHResult(0x80040219u);
inline constexpr HRESULT VFW_E_NOT_PAUSED = MakeHResult(0x80040223u);
inline constexpr HRESULT VFW_E_NOT_STOPPED = MakeHResult(0x80040224u);
inline constexpr HRESULT VFW_E_NOT_RUNNING = MakeHResult(0x80040225u);
inline constexpr HRESULT VFW_E_WRONG_STATE = MakeHResult(0x80040227u);
inline constexpr HRESULT VFW_E_START_TIME_AFTER_END = MakeHResult(0x80040228u);
inline constexpr HRESULT VFW_E_TYPE_NOT_ACCEPTED = MakeHResult(0x8004022Au);
inline constexpr HRESULT VFW_E_SAMPLE_REJECTED = MakeHResult(0x8004022Bu);
inline constexpr HRESULT VFW_E_SAMPLE_REJECTED_EOS = MakeHResult(0x8004022Cu);
inline constexpr HRESULT VFW_E_DUPLICATE_NAME = MakeHResult(0x8004022Du);
inline constexpr HRESULT VFW_E_TIMEOUT = MakeHResult(0x8004022Eu);
inline constexpr HRESULT VFW_S_NO_STOP_TIME = MakeHResult(0x00040270u);
inline constexpr HRESULT VFW_E_SAMPLE_TIME_NOT_SET = MakeHResult(0x80040249u);
inline constexpr HRESULT VFW_E_MEDIA_TIME_NOT_SET = MakeHResult(0x80040251u);
inline constexpr HRESULT VFW_E_NO_AUDIO_HARDWARE = MakeHResult(0x80040256u);
inline constexpr HRESULT MK_E_SYNTAX = MakeHResult(0x800401E4u);
inline constexpr HRESULT MK_E_NOOBJECT = MakeHResult(0x800401E5u);
inline constexpr HRESULT STG_E_FILENOTFOUND = MakeHResult(0x80030002u);

using com::CLASS_E_NOAGGREGATION;
using com::REGDB_E_CLASSNOTREG;

// Device failures carry the system's error number, so a caller can tell a
// busy device (EBUSY) from a missing one (ENODEV, ENOENT) or a lost one (EIO):
// failure bit, facility 0x0FF, errno in the low 16 bits.
inline constexpr uint32_t FACILITY_ERRNO = 0x0FF;
constexpr HRESULT HRESULT_FROM_ERRNO(int err) {
  return static_cast<HRESULT>(0x80000000u | (FACILITY_ERRNO << 16) |
                              (static_cast<uint32_t>(err) & 0xFFFFu));
}
// The errno of such a code, 0 for any other code.
constexpr int ErrnoFromHResult(HRESULT hr) {
  uint32_t v = static_cast<uint32_t>(hr);
  return (v & 0xFFFF0000u) == (0x80000000u | (FACILITY_ERRNO << 16)) ? static_cast<int>(v & 0xFFFFu)
                                                                     : 0;
}
// Short text for a result code, for messages ("device busy", ...).
std::string ResultText(HRESULT hr);
// What a failure to start or run a device means to the person using it, as
// a sentence: the device busy, gone, or refusing the audio format; "" for a
// code that says none of these.
std::string ResultReason(HRESULT hr);

// ---- Event codes (IMediaEventEx::GetEvent) ----------------------------------
inline constexpr LONG EC_COMPLETE =
    1; // p1 result, p2 the filter's IBaseFilter* (a value, not counted)
inline constexpr LONG EC_USERABORT = 2;
inline constexpr LONG EC_ERRORABORT = 3; // p1 result
inline constexpr LONG EC_TIME = 4;
inline constexpr LONG EC_REPAINT = 5;
inline constexpr LONG EC_STREAM_ERROR_STOPPED = 6;
inline constexpr LONG EC_STREAM_ERROR_STILLPLAYING = 7;
inline constexpr LONG EC_ERROR_STILLPLAYING = 8;
inline constexpr LONG EC_CLOCK_CHANGED = 13;
inline constexpr LONG EC_PAUSED = 14;
inline constexpr LONG EC_STARVATION = 23;
inline constexpr LONG EC_DEVICE_LOST = 31; // p1 the device's filter as IUnknown* (counted), p2 0

// Message the graph posts to its notify window for each queued event.
inline constexpr uint32_t WM_USER = 0x0400;
inline constexpr uint32_t WM_GRAPHNOTIFY = WM_USER + 1; // 1025

// ---- Identifiers --------------------------------------------------------------
#define MEDIA_GUID(name, text) inline constexpr TGUID name = TGUID::FromLiteral(text)

MEDIA_GUID(MEDIATYPE_Audio, "{73647561-0000-0010-8000-00AA00389B71}");
MEDIA_GUID(MEDIATYPE_Stream, "{E436EB83-524F-11CE-9F53-0020AF0BA770}");
MEDIA_GUID(MEDIASUBTYPE_PCM, "{00000001-0000-0010-8000-00AA00389B71}");
MEDIA_GUID(MEDIASUBTYPE_IEEE_FLOAT, "{00000003-0000-0010-8000-00AA00389B71}");
MEDIA_GUID(FORMAT_WaveFormatEx, "{05589F81-C356-11CE-BF01-00AA0055595A}");
MEDIA_GUID(FORMAT_None, "{0F6417D6-C318-11D0-A43F-00A0C9223196}");

MEDIA_GUID(PIN_CATEGORY_CAPTURE, "{FB6C4281-0353-11D1-905F-0000C0CC16BA}");
MEDIA_GUID(PIN_CATEGORY_PREVIEW, "{FB6C4282-0353-11D1-905F-0000C0CC16BA}");

MEDIA_GUID(CLSID_AudioInputDeviceCategory, "{33D9A762-90C8-11D0-BD43-00A0C911CE86}");
MEDIA_GUID(CLSID_AudioRendererCategory, "{E0F158E1-CB04-11D0-BD4E-00A0C911CE86}");
MEDIA_GUID(CLSID_LegacyAmFilterCategory, "{083863F1-70DE-11D0-BD40-00A0C911CE86}");

MEDIA_GUID(CLSID_FilterGraph, "{E436EBB3-524F-11CE-9F53-0020AF0BA770}");
MEDIA_GUID(CLSID_CaptureGraphBuilder2, "{BF87B6E1-8C27-11D0-B3F0-00AA003761C5}");
MEDIA_GUID(CLSID_SampleGrabber, "{C1F400A0-3F08-11D3-9F0B-006008039E37}");
MEDIA_GUID(CLSID_SystemDeviceEnum, "{62BE5D10-60EB-11D0-BD3B-00A0C911CE86}");
MEDIA_GUID(CLSID_FilterMapper2, "{CDA42200-BD88-11D0-BD4E-00A0C911CE86}");
MEDIA_GUID(CLSID_MemoryAllocator, "{1E651CC0-B199-11D0-8212-00C04FC32C45}");
MEDIA_GUID(CLSID_SystemClock, "{E436EBB1-524F-11CE-9F53-0020AF0BA770}");
MEDIA_GUID(CLSID_CDeviceMoniker, "{4EFE2452-168A-11D1-BC76-00C04FB9453B}");
// The platform's own device filters and its default renderer.
MEDIA_GUID(CLSID_AudioCaptureFilter, "{6A0C5E10-3B7E-4D2B-9E41-5F0C8A1D2E01}");
MEDIA_GUID(CLSID_AudioRenderFilter, "{6A0C5E10-3B7E-4D2B-9E41-5F0C8A1D2E02}");
MEDIA_GUID(CLSID_NullRenderer, "{C1F400A4-3F08-11D3-9F0B-006008039E37}");

#undef MEDIA_GUID

// ---- Records -------------------------------------------------------------------
struct AM_MEDIA_TYPE {
  TGUID majortype;
  TGUID subtype;
  BOOL bFixedSizeSamples;
  BOOL bTemporalCompression;
  ULONG lSampleSize;
  TGUID formattype;
  IUnknown *pUnk;
  ULONG cbFormat;
  BYTE *pbFormat; // task memory (CoTaskMemAlloc)
};

struct ALLOCATOR_PROPERTIES {
  LONG cBuffers;
  LONG cbBuffer;
  LONG cbAlign;
  LONG cbPrefix;
};

enum PIN_DIRECTION : int32_t { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };
enum FILTER_STATE : int32_t { State_Stopped = 0, State_Paused = 1, State_Running = 2 };
using OAFilterState = LONG;

struct IBaseFilter;
struct IFilterGraph;

inline constexpr size_t MAX_PIN_NAME = 128;
inline constexpr size_t MAX_FILTER_NAME = 128;

struct PIN_INFO {
  IBaseFilter *pFilter; // counted: the caller releases it
  PIN_DIRECTION dir;
  WCHAR achName[MAX_PIN_NAME];
};

struct FILTER_INFO {
  WCHAR achName[MAX_FILTER_NAME];
  IFilterGraph *pGraph; // counted: the caller releases it (may be null)
};

struct Quality {
  int32_t Type;
  LONG Proportion;
  REFERENCE_TIME Late;
  REFERENCE_TIME TimeStamp;
};

// The 52-byte capability record of an audio stream configuration.
struct AUDIO_STREAM_CONFIG_CAPS {
  TGUID guid;
  ULONG MinimumChannels;
  ULONG MaximumChannels;
  ULONG ChannelsGranularity;
  ULONG MinimumBitsPerSample;
  ULONG MaximumBitsPerSample;
  ULONG BitsPerSampleGranularity;
  ULONG MinimumSampleFrequency;
  ULONG MaximumSampleFrequency;
  ULONG SampleFrequencyGranularity;
};
static_assert(sizeof(AUDIO_STREAM_CONFIG_CAPS) == 52);

// Counted array of identifiers in task memory (property pages).
struct CAUUID {
  ULONG cElems;
  TGUID *pElems;
};

struct REGPINMEDIUM {
  TGUID clsMedium;
  DWORD dw1;
  DWORD dw2;
};

inline constexpr DWORD MERIT_DO_NOT_USE = 0x200000;
inline constexpr DWORD ROTFLAGS_REGISTRATIONKEEPSALIVE = 1;
inline constexpr DWORD AM_GBF_NOWAIT = 4;

// ---- Media-type helpers --------------------------------------------------------
// Zeroes the record (no format, no pUnk).
void ZeroMediaType(AM_MEDIA_TYPE &mt);
// Frees the format block and releases pUnk; the record stays usable.
void FreeMediaType(AM_MEDIA_TYPE &mt);
// Deep copy: a fresh task-memory format block and a counted pUnk. E_OUTOFMEMORY
// (target without format) when the block cannot be had.
HRESULT CopyMediaType(AM_MEDIA_TYPE *target, const AM_MEDIA_TYPE *source);
// A copy in task memory; DeleteMediaType frees record and block.
AM_MEDIA_TYPE *CreateMediaType(const AM_MEDIA_TYPE *source);
void DeleteMediaType(AM_MEDIA_TYPE *mt);
// The record's wave format when it is FORMAT_WaveFormatEx with at least 18
// bytes; null otherwise.
const WAVEFORMATEX *WaveFormatOf(const AM_MEDIA_TYPE &mt);
// Audio media type for a wave format: MEDIATYPE_Audio, the PCM or float
// subtype from the tag (or the extensible sub-format), FORMAT_WaveFormatEx,
// the cbSize + 18 bytes of the format.
HRESULT AudioMediaTypeFromFormat(const WAVEFORMATEX *format, AM_MEDIA_TYPE *mt);

// ---- Wide strings -------------------------------------------------------------
std::u16string Utf8ToWide(const std::string &s);
std::string WideToUtf8(const std::u16string &s);
inline std::string WideToUtf8(LPCWSTR s) {
  return s ? WideToUtf8(std::u16string(s)) : std::string();
}
// Copies s into a fixed field of n units, cut to n - 1 and terminated.
void CopyWideName(WCHAR *target, size_t n, const std::u16string &s);
// A task-memory copy of s with its terminator (GetDisplayName, QueryId).
LPWSTR TaskMemWideCopy(const std::u16string &s);

} // namespace media
