// The AVI file services as the wave logger and the wave player call them,
// over a RIFF/WAVE reader and writer of our own. A file holds at most one
// audio stream ('auds'); its format chunk is kept and written byte for byte
// (the 40-byte extensible record included) and one stream sample is one block
// of nBlockAlign bytes (a frame for PCM, a codec block otherwise).
//
// Reading accepts RIFF/WAVE only: unknown chunks are skipped, odd chunk sizes
// honour the pad byte, a data chunk that claims more than the file holds is
// clamped to what is there, and broken files (no fmt or data chunk, a format
// record too short, too long or with 0 channels, rate, block align or byte
// rate) are refused. Nothing is ever read past the end of the file.
//
// Writing happens at a 64-bit sample position, over existing samples or past
// the end (a gap is filled with silence: 0x80 for 8-bit PCM, else zero).
// After every write the header is exact: the data size is frames x block
// align (followed by a pad byte when odd) and the RIFF size is the file size
// minus 8, so a crash or a killed process never loses a take. The samples are
// written before the sizes that cover them. A write that fails (disk full,
// file-size limit, I/O error) reports the failure, and the file is cut back
// so the header still matches what is on disk; before the RIFF size would pass
// 4 GiB the writer refuses further samples.
//
// Exclusive opens (OF_SHARE_EXCLUSIVE) take an exclusive advisory lock on the
// file: a second exclusive open of the same file, in this process or another,
// fails with AVIERR_FILEOPEN and changes nothing.
//
// Threads: every call may come from any thread; each file serialises its
// streams' calls with its own mutex, a leaf lock.
#pragma once

#include <cstdint>
#include <string>

#include "platform/com/Unknown.h"

namespace avifile {

using com::HRESULT;

// An open file and a stream of it; both reference counted through
// AVIFileRelease / AVIStreamRelease. A stream keeps its file alive.
struct TAviFile;
struct TAviStream;
using PAVIFILE = TAviFile *;
using PAVISTREAM = TAviStream *;

constexpr uint32_t MakeFourCC(char a, char b, char c, char d) {
  return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
         uint32_t(uint8_t(d)) << 24;
}
inline constexpr uint32_t streamtypeAUDIO = MakeFourCC('a', 'u', 'd', 's'); // 0x73647561
inline constexpr uint32_t streamtypeTEXT = MakeFourCC('t', 'x', 't', 's');

// Open modes (combinable).
inline constexpr uint32_t OF_READ = 0x0000;
inline constexpr uint32_t OF_WRITE = 0x0001;
inline constexpr uint32_t OF_READWRITE = 0x0002;
inline constexpr uint32_t OF_SHARE_EXCLUSIVE = 0x0010;
inline constexpr uint32_t OF_CREATE = 0x1000; // create, or empty an existing file

inline constexpr uint32_t AVIIF_KEYFRAME = 0x10;
// As the sample count of AVIStreamRead: as many samples as fit the buffer.
inline constexpr int32_t AVISTREAMREAD_CONVENIENT = -1;

// Result codes (facility ITF, 0x4000 + n).
constexpr HRESULT MakeAviErr(uint32_t n) {
  return static_cast<HRESULT>(0x80040000u | (0x4000u + n));
}
inline constexpr HRESULT AVIERR_OK = 0;
inline constexpr HRESULT AVIERR_UNSUPPORTED = MakeAviErr(101);
inline constexpr HRESULT AVIERR_BADFORMAT = MakeAviErr(102);
inline constexpr HRESULT AVIERR_MEMORY = MakeAviErr(103);
inline constexpr HRESULT AVIERR_BADPARAM = MakeAviErr(106);
inline constexpr HRESULT AVIERR_FILEREAD = MakeAviErr(108);
inline constexpr HRESULT AVIERR_FILEWRITE = MakeAviErr(109);
inline constexpr HRESULT AVIERR_FILEOPEN = MakeAviErr(110);
inline constexpr HRESULT AVIERR_NODATA = MakeAviErr(111);
inline constexpr HRESULT AVIERR_BUFFERTOOSMALL = MakeAviErr(112);

#pragma pack(push, 1)
struct TAviRect {
  int32_t left, top, right, bottom;
};
// The stream header (140 bytes).
struct AVISTREAMINFOA {
  uint32_t fccType;
  uint32_t fccHandler;
  uint32_t dwFlags;
  uint32_t dwCaps;
  uint16_t wPriority;
  uint16_t wLanguage;
  uint32_t dwScale; // nBlockAlign
  uint32_t dwRate;  // nAvgBytesPerSec: dwRate / dwScale samples per second
  uint32_t dwStart;
  uint32_t dwLength; // samples (blocks)
  uint32_t dwInitialFrames;
  uint32_t dwSuggestedBufferSize;
  uint32_t dwQuality;
  uint32_t dwSampleSize;
  TAviRect rcFrame;
  uint32_t dwEditCount;
  uint32_t dwFormatChangeCount;
  char szName[64];
};
#pragma pack(pop)
static_assert(sizeof(AVISTREAMINFOA) == 140);

// Counted per process, as the services' own initialisation; nothing depends
// on them here.
void AVIFileInit();
void AVIFileExit();

// Opens FileName in Mode. A file opened for writing need not exist when
// OF_CREATE is given (it is then created empty; an existing file is emptied
// once the exclusive lock is held). A read-only open needs a readable WAV
// file. Handler is ignored (null for the default one). AVIERR_FILEOPEN when
// the file cannot be opened or another exclusive open holds it;
// AVIERR_BADFORMAT for a file that is not a readable WAV file.
HRESULT AVIFileOpen(PAVIFILE *File, const char *FileName, uint32_t Mode, const void *Handler);
// Returns the remaining references of the file.
uint32_t AVIFileRelease(PAVIFILE File);
// The first stream of FccType (Param: its index, only 0 exists).
// AVIERR_NODATA when there is none.
HRESULT AVIFileGetStream(PAVIFILE File, PAVISTREAM *Stream, uint32_t FccType, int32_t Param);
// Creates the audio stream of a file opened for writing that has none yet;
// the samples' layout comes with AVIStreamSetFormat.
HRESULT AVIFileCreateStream(PAVIFILE File, PAVISTREAM *Stream, const AVISTREAMINFOA *Info);

uint32_t AVIStreamRelease(PAVISTREAM Stream);
// Fills up to Size bytes of Info (at most 140).
HRESULT AVIStreamInfo(PAVISTREAM Stream, AVISTREAMINFOA *Info, int32_t Size);
// With Format null: *FormatSize = the format record's size. Otherwise copies
// min(*FormatSize, size) bytes and sets *FormatSize to the record's size.
HRESULT AVIStreamReadFormat(PAVISTREAM Stream, int64_t Position, void *Format, int32_t *FormatSize);
// Sets the format record (at least 16 bytes of a WAVEFORMATEX; 16 bytes get
// a zero cbSize). A stream with samples keeps its format: the call succeeds
// only for the identical record, else AVIERR_UNSUPPORTED.
HRESULT AVIStreamSetFormat(PAVISTREAM Stream, int64_t Position, const void *Format,
                           int32_t FormatSize);
// Reads whole samples from Start: min(Samples, BufferSize / block align,
// length - Start); AVISTREAMREAD_CONVENIENT reads as many as fit. Buffer null
// reports in *BytesRead the size the read would need. A Start at or past the
// end reads nothing and succeeds. BytesRead and SamplesRead may be null.
HRESULT AVIStreamRead(PAVISTREAM Stream, int64_t Start, int32_t Samples, void *Buffer,
                      int32_t BufferSize, int32_t *BytesRead, int32_t *SamplesRead);
// Writes Samples whole samples (Samples x block align bytes of Buffer, which
// must hold that many) at Start; a negative Start appends. On failure nothing
// of this write counts and the header matches the file on disk.
HRESULT AVIStreamWrite(PAVISTREAM Stream, int64_t Start, int32_t Samples, const void *Buffer,
                       int32_t BufferSize, uint32_t Flags, int32_t *SamplesWritten,
                       int32_t *BytesWritten);
// Samples in the stream; -1 for a null stream.
int64_t AVIStreamLength(PAVISTREAM Stream);
// The first sample (always 0 for WAV); -1 for a null stream.
int64_t AVIStreamStart(PAVISTREAM Stream);
// Milliseconds of a sample position and back, by the stream's rate and scale.
int64_t AVIStreamSampleToTime(PAVISTREAM Stream, int64_t Sample);
int64_t AVIStreamTimeToSample(PAVISTREAM Stream, int64_t Time);

// Not part of the services: the text of the last failure of a stream's file
// ("" when none), e.g. "No space left on device", for an error message.
std::string AVIStreamLastError(PAVISTREAM Stream);
// Not part of the services: why the calling thread's last AVIFileOpen failed
// ("" after one that succeeded), e.g. "The WAV file has no data chunk".
std::string AVIFileOpenError();
// Not part of the services: the largest RIFF size a writer will produce
// (default 0xFFFFFFFF). Tests lower it to reach the limit quickly.
void AVISetRiffSizeLimit(uint64_t Limit);

} // namespace avifile
