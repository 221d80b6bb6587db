// The audio compression manager: a registry of our own codecs behind the
// calls the wave logger, the wave player and the compression settings make.
//
// Codecs (format tags): PCM (1; 8-bit unsigned, 16/24/32-bit signed, any
// channel count and rate), IEEE float (3; 32 and 64 bit), A-law (6), mu-law
// (7), IMA ADPCM (0x11) both ways, MS ADPCM (2) both ways. WAVE_FORMAT_EXTENSIBLE
// records whose SubFormat is PCM or IEEE float are accepted wherever the plain
// tag is. A stream converts one source format into one destination format:
// decode to linear samples, map channels (same count; 1 -> N duplicates, N -> 1
// averages), change the rate (linear interpolation, state kept across calls),
// encode.
//
// Shapes follow the platform's API: MMRESULT codes (0 success), format records
// of platform/wave/WaveFormat.h followed by their codec bytes, stream headers
// prepared before and unprepared after each conversion. There are no drivers,
// filters, callbacks or asynchronous streams: every driver handle argument must
// be null; a filter, a callback or ACM_STREAMOPENF_ASYNC is refused with
// MMSYSERR_NOTSUPPORTED. A format record is read as 18 + cbSize bytes: the
// caller's block must hold them all. Sizes are computed in 64 bits and refused
// with MMSYSERR_INVALPARAM when they do not fit 32.
//
// Conversions (acmStreamConvert):
// - ACM_STREAMCONVERTF_START drops every state of the stream (codec history,
//   rate-conversion phase, held-back bytes) before converting.
// - Source data is converted by whole source blocks (one frame for PCM and the
//   laws, nBlockAlign bytes for the ADPCMs). A partial block at the end of the
//   source is held back inside the stream and counted in cbSrcLengthUsed; it is
//   completed by the next conversion's bytes. When the destination cannot take
//   every whole block, only the blocks that fit are converted and
//   cbSrcLengthUsed says how far: the caller passes the rest again.
// - ACM_STREAMCONVERTF_END flushes: a held-back partial block is converted
//   (an encoder pads the last block with silence, a decoder decodes the samples
//   the partial block holds, a partial PCM frame is dropped) and the rate
//   converter emits its last frames. A call with END and no source bytes only
//   flushes.
// - ACM_STREAMCONVERTF_BLOCKALIGN is accepted and changes nothing: conversions
//   are always by whole blocks, tails are never lost.
//
// Bad input never reads past cbSrcLength or writes past cbDstLength: an
// undecodable or inconsistent format (unknown tag, zero channels, rate or block
// align, a block align that does not match its codec, an ADPCM record without
// its codec bytes) is refused by acmStreamOpen with ACMERR_NOTPOSSIBLE.
//
// Threads: the registry is immutable; every call may run on any thread. One
// stream handle must not be used by two threads at once (the platform's rule).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/wave/WaveFormat.h"

using MMRESULT = uint32_t;

// Results.
inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_ERROR = 1;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_NODRIVER = 6;
inline constexpr MMRESULT MMSYSERR_NOMEM = 7;
inline constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
inline constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT ACMERR_BASE = 512;
inline constexpr MMRESULT ACMERR_NOTPOSSIBLE = ACMERR_BASE + 0; // no codec for this format or pair
inline constexpr MMRESULT ACMERR_BUSY = ACMERR_BASE + 1;
inline constexpr MMRESULT ACMERR_UNPREPARED =
    ACMERR_BASE + 2;                                         // header not prepared for this stream
inline constexpr MMRESULT ACMERR_CANCELED = ACMERR_BASE + 3; // the user cancelled a dialog

// Format tags of the codecs besides those in WaveFormat.h.
inline constexpr uint16_t WAVE_FORMAT_UNKNOWN = 0x0000;
inline constexpr uint16_t WAVE_FORMAT_ADPCM = 0x0002; // MS ADPCM
inline constexpr uint16_t WAVE_FORMAT_ALAW = 0x0006;
inline constexpr uint16_t WAVE_FORMAT_MULAW = 0x0007;
inline constexpr uint16_t WAVE_FORMAT_IMA_ADPCM = 0x0011;
inline constexpr uint16_t WAVE_FORMAT_DVI_ADPCM = WAVE_FORMAT_IMA_ADPCM;

// Handles. Driver handles are always null here (there is one built-in driver).
struct TAcmStream;
using HACMSTREAM = TAcmStream *;
struct TAcmDriver;
using HACMDRIVER = TAcmDriver *;
using HACMOBJ = void *;
using HWND = void *;

#pragma pack(push, 1)

// IMA ADPCM: WAVEFORMATEX (cbSize 2) and the frames each block holds.
// nBlockAlign = 4 * nChannels * (1 + k) for k >= 0 whole 4-byte groups;
// wSamplesPerBlock = 8 * (nBlockAlign - 4 * nChannels) / (4 * nChannels) + 1.
struct IMAADPCMWAVEFORMAT {
  WAVEFORMATEX wfx;
  uint16_t wSamplesPerBlock;
};

struct ADPCMCOEFSET {
  int16_t iCoef1;
  int16_t iCoef2;
};

// MS ADPCM: WAVEFORMATEX (cbSize 4 + 4 * wNumCoef), frames per block and the
// predictor coefficient pairs (the standard seven come first).
// nBlockAlign = nChannels * (7 + (wSamplesPerBlock - 2) / 2).
struct ADPCMWAVEFORMAT {
  WAVEFORMATEX wfx;
  uint16_t wSamplesPerBlock;
  uint16_t wNumCoef;
  ADPCMCOEFSET aCoef[7]; // as many as wNumCoef in a stored record; 7 here
};

#pragma pack(pop)

static_assert(sizeof(IMAADPCMWAVEFORMAT) == 20);
static_assert(sizeof(ADPCMWAVEFORMAT) == 50);

inline constexpr uint16_t MSADPCM_NUM_COEF = 7;
inline constexpr ADPCMCOEFSET MSADPCM_STANDARD_COEF[MSADPCM_NUM_COEF] = {
    {256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}};

// acmMetrics.
inline constexpr uint32_t ACM_METRIC_COUNT_DRIVERS = 1;
inline constexpr uint32_t ACM_METRIC_COUNT_CODECS = 2;
inline constexpr uint32_t ACM_METRIC_MAX_SIZE_FORMAT = 50; // uint32_t: largest format record
// uMetric: one of the above; pMetric: a uint32_t. hao must be null.
MMRESULT acmMetrics(HACMOBJ hao, uint32_t uMetric, void *pMetric);

// acmFormatSuggest: a destination format the source converts to. With no flag
// the destination is the source's natural PCM (16-bit for the codecs, the
// source itself for PCM). The flags fix fields of *pwfxDst, read from it on
// entry: its tag, channel count, rate or bits. cbwfxDst must hold the whole
// suggested record (18 bytes for PCM and float, 20 for IMA, 50 for MS ADPCM).
inline constexpr uint32_t ACM_FORMATSUGGESTF_WFORMATTAG = 0x00010000;
inline constexpr uint32_t ACM_FORMATSUGGESTF_NCHANNELS = 0x00020000;
inline constexpr uint32_t ACM_FORMATSUGGESTF_NSAMPLESPERSEC = 0x00040000;
inline constexpr uint32_t ACM_FORMATSUGGESTF_WBITSPERSAMPLE = 0x00080000;
inline constexpr uint32_t ACM_FORMATSUGGESTF_TYPEMASK = 0x00FF0000;
MMRESULT acmFormatSuggest(HACMDRIVER had, const WAVEFORMATEX *pwfxSrc, WAVEFORMATEX *pwfxDst,
                          uint32_t cbwfxDst, uint32_t fdwSuggest);

// acmFormatTagDetails: a format tag's name and largest record.
inline constexpr uint32_t ACM_FORMATTAGDETAILSF_INDEX = 0x00000000;     // by dwFormatTagIndex
inline constexpr uint32_t ACM_FORMATTAGDETAILSF_FORMATTAG = 0x00000001; // by dwFormatTag
inline constexpr uint32_t ACM_FORMATTAGDETAILSF_LARGESTSIZE =
    0x00000002; // largest record of dwFormatTag (or of all, for WAVE_FORMAT_UNKNOWN)
inline constexpr uint32_t ACMFORMATTAGDETAILS_FORMATTAG_CHARS = 48;
inline constexpr uint32_t ACMDRIVERDETAILS_SUPPORTF_CODEC = 0x00000001;
inline constexpr uint32_t ACMDRIVERDETAILS_SUPPORTF_CONVERTER = 0x00000002;

struct ACMFORMATTAGDETAILS {
  uint32_t cbStruct; // sizeof(ACMFORMATTAGDETAILS)
  uint32_t dwFormatTagIndex;
  uint32_t dwFormatTag;
  uint32_t cbFormatSize; // largest record of this tag
  uint32_t fdwSupport;
  uint32_t cFormats;                                     // standard formats of this tag
  char szFormatTag[ACMFORMATTAGDETAILS_FORMATTAG_CHARS]; // "PCM", "IMA ADPCM", ...
};
static_assert(sizeof(ACMFORMATTAGDETAILS) == 72);

// An unknown tag answers ACMERR_NOTPOSSIBLE (callers show "[ Unknown ]");
// an index past the last tag too.
MMRESULT acmFormatTagDetails(HACMDRIVER had, ACMFORMATTAGDETAILS *paftd, uint32_t fdwDetails);

// acmFormatDetails: a text for one format record, such as
// "44.100 kHz, 16 Bit, Stereo".
inline constexpr uint32_t ACM_FORMATDETAILSF_INDEX = 0x00000000;  // not supported
inline constexpr uint32_t ACM_FORMATDETAILSF_FORMAT = 0x00000001; // describe *pwfx
inline constexpr uint32_t ACMFORMATDETAILS_FORMAT_CHARS = 128;

struct ACMFORMATDETAILS {
  uint32_t cbStruct; // sizeof(ACMFORMATDETAILS)
  uint32_t dwFormatIndex;
  uint32_t dwFormatTag; // must equal pwfx->wFormatTag
  uint32_t fdwSupport;
  WAVEFORMATEX *pwfx;
  uint32_t cbwfx; // bytes at pwfx
  char szFormat[ACMFORMATDETAILS_FORMAT_CHARS];
};

MMRESULT acmFormatDetails(HACMDRIVER had, ACMFORMATDETAILS *pafd, uint32_t fdwDetails);

// acmFormatChoose: the format-choice dialog. There is no dialog here: a
// well-formed request answers ACMERR_CANCELED and leaves the record alone.
inline constexpr uint32_t ACMFORMATCHOOSE_STYLEF_INITTOWFXSTRUCT = 0x00000040;

struct ACMFORMATCHOOSE {
  uint32_t cbStruct; // sizeof(ACMFORMATCHOOSE)
  uint32_t fdwStyle;
  HWND hwndOwner;
  WAVEFORMATEX *pwfx;
  uint32_t cbwfx;
  const char *pszTitle;
  char szFormatTag[ACMFORMATTAGDETAILS_FORMATTAG_CHARS];
  char szFormat[ACMFORMATDETAILS_FORMAT_CHARS];
  char *pszName;
  uint32_t cchName;
  uint32_t fdwEnum;
  WAVEFORMATEX *pwfxEnum;
  void *hInstance;
  const char *pszTemplateName;
  intptr_t lCustData;
  void *pfnHook;
};

MMRESULT acmFormatChoose(ACMFORMATCHOOSE *pafmtc);

// Streams.
inline constexpr uint32_t ACM_STREAMOPENF_QUERY =
    0x00000001; // only ask whether possible; phas may be null
inline constexpr uint32_t ACM_STREAMOPENF_ASYNC = 0x00000002; // refused (MMSYSERR_NOTSUPPORTED)
inline constexpr uint32_t ACM_STREAMOPENF_NONREALTIME = 0x00000004;

struct WAVEFILTER; // filters are not supported: pass null

// Opens a stream from *pwfxSrc to *pwfxDst (each record read with its cbSize
// extra bytes). On failure *phas is null.
MMRESULT acmStreamOpen(HACMSTREAM *phas, HACMDRIVER had, const WAVEFORMATEX *pwfxSrc,
                       const WAVEFORMATEX *pwfxDst, WAVEFILTER *pwfltr, uintptr_t dwCallback,
                       uintptr_t dwInstance, uint32_t fdwOpen);

// Closing a null or already closed handle answers MMSYSERR_INVALHANDLE.
// Held-back bytes that were not flushed with END are dropped.
MMRESULT acmStreamClose(HACMSTREAM has, uint32_t fdwClose);

// acmStreamSize:
// - SOURCE: cbInput source bytes -> the destination bytes that converting the
//   bytes held back in the stream plus cbInput (a final partial block counted
//   whole, as END would flush it) can produce at most. Enough for one call.
// - DESTINATION: cbInput destination bytes -> the source bytes, in whole
//   source blocks, whose conversion fits in them (not counting held-back bytes).
// A result of 0 (cbInput too small for one block, or 0) is answered as
// success with *pdwOutputBytes 0.
inline constexpr uint32_t ACM_STREAMSIZEF_SOURCE = 0x00000000;
inline constexpr uint32_t ACM_STREAMSIZEF_DESTINATION = 0x00000001;
MMRESULT acmStreamSize(HACMSTREAM has, uint32_t cbInput, uint32_t *pdwOutputBytes,
                       uint32_t fdwSize);

// Stream header. cbStruct must be sizeof(ACMSTREAMHEADER); pbSrc/cbSrcLength
// and pbDst/cbDstLength are set before acmStreamPrepareHeader. A conversion
// may use shorter lengths than were prepared, never longer ones.
inline constexpr uint32_t ACMSTREAMHEADER_STATUSF_DONE = 0x00010000;
inline constexpr uint32_t ACMSTREAMHEADER_STATUSF_PREPARED = 0x00020000;
inline constexpr uint32_t ACMSTREAMHEADER_STATUSF_INQUEUE = 0x00100000;

struct ACMSTREAMHEADER {
  uint32_t cbStruct;
  uint32_t fdwStatus;
  uintptr_t dwUser;
  uint8_t *pbSrc;
  uint32_t cbSrcLength;
  uint32_t cbSrcLengthUsed; // set by acmStreamConvert
  uintptr_t dwSrcUser;
  uint8_t *pbDst;
  uint32_t cbDstLength;
  uint32_t cbDstLengthUsed; // set by acmStreamConvert
  uintptr_t dwDstUser;
  uintptr_t dwReservedDriver[10]; // the stream's book-keeping; leave alone
};

MMRESULT acmStreamPrepareHeader(HACMSTREAM has, ACMSTREAMHEADER *pash, uint32_t fdwPrepare);
// Answers ACMERR_UNPREPARED for a header this stream did not prepare.
MMRESULT acmStreamUnprepareHeader(HACMSTREAM has, ACMSTREAMHEADER *pash, uint32_t fdwUnprepare);

inline constexpr uint32_t ACM_STREAMCONVERTF_BLOCKALIGN = 0x00000004;
inline constexpr uint32_t ACM_STREAMCONVERTF_START = 0x00000010;
inline constexpr uint32_t ACM_STREAMCONVERTF_END = 0x00000020;
MMRESULT acmStreamConvert(HACMSTREAM has, ACMSTREAMHEADER *pash, uint32_t fdwConvert);

namespace acm {

// The byte size of a format record as stored: 18 + cbSize (16 for a bare
// 16-byte PCMWAVEFORMAT is not accepted: records here are WAVEFORMATEX based).
inline constexpr size_t FormatRecordSize(const WAVEFORMATEX &wfx) { return 18u + wfx.cbSize; }

// The standard IMA ADPCM record for a rate and channel count (4 bits; block of
// 256 bytes per channel up to 11025 Hz, 512 to 22050 Hz, 1024 above).
IMAADPCMWAVEFORMAT MakeImaAdpcmFormat(uint32_t samplesPerSec, uint16_t channels);
// The standard MS ADPCM record (same block sizes, the seven standard pairs).
ADPCMWAVEFORMAT MakeMsAdpcmFormat(uint32_t samplesPerSec, uint16_t channels);

} // namespace acm
