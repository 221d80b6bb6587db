#include "platform/avifile/AviFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace avifile {

namespace {

constexpr uint32_t kRiff = MakeFourCC('R', 'I', 'F', 'F');
constexpr uint32_t kWave = MakeFourCC('W', 'A', 'V', 'E');
constexpr uint32_t kFmt = MakeFourCC('f', 'm', 't', ' ');
constexpr uint32_t kData = MakeFourCC('d', 'a', 't', 'a');
// A format record longer than this is not a wave format.
constexpr uint32_t kMaxFormatSize = 1024;

std::atomic<uint64_t> riffSizeLimit{0xFFFFFFFFull};
std::atomic<int> initCount{0};

uint32_t Le32(const uint8_t *p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
void Put32(uint8_t *p, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    p[i] = uint8_t(v >> (8 * i));
}

// Reads exactly n bytes at offset; false on a short read or error.
bool ReadAt(int fd, void *buf, size_t n, uint64_t offset) {
  auto *p = static_cast<uint8_t *>(buf);
  while (n > 0) {
    const ssize_t r = ::pread(fd, p, n, off_t(offset));
    if (r < 0 && errno == EINTR)
      continue;
    if (r <= 0)
      return false;
    p += r;
    n -= size_t(r);
    offset += uint64_t(r);
  }
  return true;
}

// Writes exactly n bytes at offset; false (errno set) when the whole could not be written.
bool WriteAt(int fd, const void *buf, size_t n, uint64_t offset) {
  auto *p = static_cast<const uint8_t *>(buf);
  while (n > 0) {
    const ssize_t r = ::pwrite(fd, p, n, off_t(offset));
    if (r < 0 && errno == EINTR)
      continue;
    if (r < 0)
      return false;
    if (r == 0) {
      errno = ENOSPC;
      return false;
    }
    p += r;
    n -= size_t(r);
    offset += uint64_t(r);
  }
  return true;
}

bool IsPcm8(const std::vector<uint8_t> &format) {
  if (format.size() < 16)
    return false;
  const uint16_t tag = Le16(&format[0]);
  const uint16_t bits = Le16(&format[14]);
  if (bits != 8)
    return false;
  if (tag == 1)
    return true;
  // Extensible with the PCM sub-format (its first field is 1).
  return tag == 0xFFFE && format.size() >= 40 && Le32(&format[24]) == 1;
}

// Checks a format record; an empty string when it can describe a stream.
const char *FormatProblem(const std::vector<uint8_t> &f) {
  if (f.size() < 18)
    return "The wave format record is too short";
  if (f.size() > kMaxFormatSize)
    return "The wave format record is too long";
  if (Le16(&f[2]) == 0)
    return "The wave format has no channels";
  if (Le32(&f[4]) == 0)
    return "The wave format has a sample rate of 0";
  if (Le32(&f[8]) == 0)
    return "The wave format has a byte rate of 0";
  if (Le16(&f[12]) == 0)
    return "The wave format has a block align of 0";
  if (size_t(Le16(&f[16])) + 18 > f.size())
    return "The wave format record is shorter than its cbSize says";
  if (Le16(&f[0]) == 0xFFFE && f.size() < 40)
    return "The extensible wave format record is too short";
  return "";
}

} // namespace

struct TAviFile {
  std::atomic<uint32_t> refs{1};
  std::mutex m; // a leaf: guards everything below
  int fd = -1;
  bool writable = false;
  bool hasStream = false; // the audio stream exists (found or created)
  std::vector<uint8_t> format;
  uint64_t dataOffset = 0; // of the data bytes; 0 while no header is written
  uint64_t dataBytes = 0;  // whole blocks only
  bool trailing = false;   // bytes beyond the data chunk not yet dropped
  std::string lastError;
  TAviStream *stream = nullptr; // one object per file

  ~TAviFile() {
    if (fd >= 0)
      ::close(fd);
  }

  uint32_t BlockAlign() const { return format.size() >= 14 ? Le16(&format[12]) : 0; }
  int64_t Length() const {
    const uint32_t ba = BlockAlign();
    return ba ? int64_t(dataBytes / ba) : 0;
  }
  uint64_t PaddedEnd(uint64_t bytes) const { return dataOffset + bytes + (bytes & 1); }

  HRESULT Fail(HRESULT hr, const std::string &text) {
    lastError = text;
    return hr;
  }
  HRESULT FailErrno(HRESULT hr, const char *what) {
    lastError = std::string(what) + ": " + std::strerror(errno);
    return hr;
  }

  HRESULT Parse();
  HRESULT WriteHeader();
  bool WriteSizes(uint64_t bytes);
  HRESULT Write(int64_t start, int32_t samples, const void *buffer, int32_t bufferSize,
                int32_t *written, int32_t *bytesWritten);
  void CutBack(uint64_t bytes);
};

struct TAviStream {
  std::atomic<uint32_t> refs{0};
  TAviFile *file;
  AVISTREAMINFOA created{}; // the header given at creation (name, flags)
};

namespace {
void ReleaseFileRef(TAviFile *file) {
  if (file->refs.fetch_sub(1) == 1) {
    delete file->stream;
    delete file;
  }
}
} // namespace

// Walks the chunks of a RIFF/WAVE file; an empty file has no stream.
HRESULT TAviFile::Parse() {
  struct stat st {};
  if (::fstat(fd, &st) != 0)
    return FailErrno(AVIERR_FILEREAD, "Can't read the file");
  const uint64_t size = uint64_t(st.st_size);
  if (size == 0)
    return AVIERR_OK;
  uint8_t head[12];
  if (size < 12 || !ReadAt(fd, head, 12, 0))
    return Fail(AVIERR_BADFORMAT, "The file is too short for a WAV file");
  if (Le32(head) != kRiff || Le32(head + 8) != kWave)
    return Fail(AVIERR_BADFORMAT, "The file is not a RIFF WAVE file");
  bool haveFmt = false, haveData = false;
  uint64_t pos = 12;
  while (pos + 8 <= size) {
    uint8_t ch[8];
    if (!ReadAt(fd, ch, 8, pos))
      break;
    const uint32_t id = Le32(ch);
    const uint64_t len = Le32(ch + 4);
    const uint64_t body = pos + 8;
    if (id == kFmt && !haveFmt) {
      if (len < 16)
        return Fail(AVIERR_BADFORMAT, "The wave format record is too short");
      if (len > kMaxFormatSize)
        return Fail(AVIERR_BADFORMAT, "The wave format record is too long");
      if (body + len > size)
        return Fail(AVIERR_BADFORMAT, "The wave format record passes the end of the file");
      format.assign(len < 18 ? 18 : len, 0);
      if (!ReadAt(fd, format.data(), len, body))
        return FailErrno(AVIERR_FILEREAD, "Can't read the file");
      if (len >= 18 && size_t(Le16(&format[16])) + 18 > len)
        return Fail(AVIERR_BADFORMAT, "The wave format record is shorter than its cbSize says");
      haveFmt = true;
    } else if (id == kData && !haveData) {
      dataOffset = body;
      // A take whose header was not finished: what the file holds counts.
      dataBytes = std::min<uint64_t>(len, size - body);
      haveData = true;
      if (body + len > size)
        break;
    }
    if (body + len + (len & 1) > size) {
      // A chunk that passes the end ends the walk.
      break;
    }
    pos = body + len + (len & 1);
  }
  if (!haveFmt)
    return Fail(AVIERR_BADFORMAT, "The WAV file has no format chunk");
  if (const char *problem = FormatProblem(format); *problem)
    return Fail(AVIERR_BADFORMAT, problem);
  if (!haveData)
    return Fail(AVIERR_BADFORMAT, "The WAV file has no data chunk");
  const uint32_t ba = BlockAlign();
  dataBytes -= dataBytes % ba;
  trailing = PaddedEnd(dataBytes) != size;
  hasStream = true;
  return AVIERR_OK;
}

// Writes RIFF, fmt and an empty data chunk over the whole file.
HRESULT TAviFile::WriteHeader() {
  std::vector<uint8_t> h;
  auto put32 = [&h](uint32_t v) {
    uint8_t b[4];
    Put32(b, v);
    h.insert(h.end(), b, b + 4);
  };
  const uint32_t fl = uint32_t(format.size());
  put32(kRiff);
  put32(0);
  put32(kWave);
  put32(kFmt);
  put32(fl);
  h.insert(h.end(), format.begin(), format.end());
  if (fl & 1)
    h.push_back(0);
  put32(kData);
  put32(0);
  Put32(&h[4], uint32_t(h.size() - 8));
  if (::ftruncate(fd, 0) != 0 || !WriteAt(fd, h.data(), h.size(), 0))
    return FailErrno(AVIERR_FILEWRITE, "Can't write the WAV header");
  dataOffset = h.size();
  dataBytes = 0;
  trailing = false;
  return AVIERR_OK;
}

// Rewrites the data and RIFF sizes for a data chunk of bytes (the pad byte, if
// any, must be on disk already).
bool TAviFile::WriteSizes(uint64_t bytes) {
  uint8_t b[4];
  Put32(b, uint32_t(bytes));
  if (!WriteAt(fd, b, 4, dataOffset - 4))
    return false;
  Put32(b, uint32_t(PaddedEnd(bytes) - 8));
  return WriteAt(fd, b, 4, 4);
}

// After a failed write: the file ends again where the old data (and pad) did.
void TAviFile::CutBack(uint64_t bytes) {
  const int saved = errno;
  if (::ftruncate(fd, off_t(PaddedEnd(bytes))) == 0 && (bytes & 1)) {
    const uint8_t zero = 0;
    WriteAt(fd, &zero, 1, dataOffset + bytes);
  }
  errno = saved;
}

HRESULT TAviFile::Write(int64_t start, int32_t samples, const void *buffer, int32_t bufferSize,
                        int32_t *written, int32_t *bytesWritten) {
  if (written)
    *written = 0;
  if (bytesWritten)
    *bytesWritten = 0;
  if (!writable)
    return Fail(AVIERR_UNSUPPORTED, "The file is open for reading only");
  if (dataOffset == 0)
    return Fail(AVIERR_BADFORMAT, "The stream has no format");
  const uint32_t ba = BlockAlign();
  if (samples < 0 || bufferSize < 0 || (samples > 0 && !buffer) ||
      uint64_t(samples) * ba > uint64_t(bufferSize))
    return Fail(AVIERR_BADPARAM, "Bad arguments to a stream write");
  const int64_t length = Length();
  if (start < 0)
    start = length;
  const uint64_t bytes = uint64_t(samples) * ba;
  const uint64_t from = uint64_t(start) * ba;
  if (start > int64_t(UINT32_MAX) * 16)
    return Fail(AVIERR_BADPARAM, "The write position is beyond any WAV file");
  const uint64_t newBytes = std::max<uint64_t>(dataBytes, from + bytes);
  if (PaddedEnd(newBytes) - 8 > riffSizeLimit.load())
    return Fail(AVIERR_FILEWRITE, "The WAV file would pass its 4 GiB size limit");
  if (samples == 0)
    return AVIERR_OK;
  const uint64_t oldBytes = dataBytes;
  if (newBytes > oldBytes && trailing) {
    // Chunks or stray bytes behind the data would be overwritten piecemeal:
    // the data chunk becomes the file's last.
    if (::ftruncate(fd, off_t(PaddedEnd(oldBytes))) != 0)
      return FailErrno(AVIERR_FILEWRITE, "Can't write the WAV file");
    trailing = false;
  }
  if (from > oldBytes) {
    // The gap between the old end and the write is silence.
    if (IsPcm8(format)) {
      std::vector<uint8_t> silence(std::min<uint64_t>(from - oldBytes, 1 << 16), 0x80);
      for (uint64_t at = oldBytes; at < from;) {
        const size_t n = size_t(std::min<uint64_t>(silence.size(), from - at));
        if (!WriteAt(fd, silence.data(), n, dataOffset + at)) {
          CutBack(oldBytes);
          return FailErrno(AVIERR_FILEWRITE, "Can't write the WAV file");
        }
        at += n;
      }
    } else {
      // The pad byte of the old end is zero already; the rest reads as zero.
      if (::ftruncate(fd, off_t(dataOffset + from)) != 0) {
        CutBack(oldBytes);
        return FailErrno(AVIERR_FILEWRITE, "Can't write the WAV file");
      }
    }
  }
  if (!WriteAt(fd, buffer, bytes, dataOffset + from)) {
    CutBack(oldBytes);
    return FailErrno(AVIERR_FILEWRITE, "Can't write the WAV file");
  }
  if (newBytes != oldBytes) {
    if (newBytes & 1) {
      const uint8_t zero = 0;
      if (!WriteAt(fd, &zero, 1, dataOffset + newBytes)) {
        CutBack(oldBytes);
        return FailErrno(AVIERR_FILEWRITE, "Can't write the WAV file");
      }
    }
    // An old pad byte lies inside the new data: the file ends at the new end.
    if (!WriteSizes(newBytes)) {
      const int saved = errno;
      CutBack(oldBytes);
      WriteSizes(oldBytes);
      errno = saved;
      return FailErrno(AVIERR_FILEWRITE, "Can't write the WAV header");
    }
    dataBytes = newBytes;
  }
  if (written)
    *written = samples;
  if (bytesWritten)
    *bytesWritten = int32_t(bytes);
  return AVIERR_OK;
}

void AVIFileInit() { initCount.fetch_add(1); }
void AVIFileExit() { initCount.fetch_sub(1); }

namespace {
thread_local std::string openError;
} // namespace

std::string AVIFileOpenError() { return openError; }

HRESULT AVIFileOpen(PAVIFILE *File, const char *FileName, uint32_t Mode, const void *) {
  openError.clear();
  if (!File)
    return AVIERR_BADPARAM;
  *File = nullptr;
  if (!FileName || !*FileName) {
    openError = "No file name was given";
    return AVIERR_BADPARAM;
  }
  const bool write = (Mode & (OF_WRITE | OF_READWRITE)) != 0;
  const bool create = (Mode & OF_CREATE) != 0;
  int flags = (write || create) ? O_RDWR : O_RDONLY;
  if (create)
    flags |= O_CREAT;
  const int fd = ::open(FileName, flags | O_CLOEXEC, 0644);
  if (fd < 0) {
    openError = std::string("Can't open the file: ") + std::strerror(errno);
    return AVIERR_FILEOPEN;
  }
  auto *file = new TAviFile;
  file->fd = fd;
  file->writable = write || create;
  if (Mode & OF_SHARE_EXCLUSIVE) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      openError = "The file is in use";
      delete file;
      return AVIERR_FILEOPEN;
    }
  }
  if (create && ::ftruncate(fd, 0) != 0) {
    openError = std::string("Can't empty the file: ") + std::strerror(errno);
    delete file;
    return AVIERR_FILEOPEN;
  }
  if (const HRESULT hr = file->Parse(); hr != AVIERR_OK) {
    openError = file->lastError;
    delete file;
    return hr;
  }
  if (!file->writable && !file->hasStream) {
    openError = "The file is empty";
    delete file;
    return AVIERR_BADFORMAT;
  }
  file->stream = new TAviStream;
  file->stream->file = file;
  *File = file;
  return AVIERR_OK;
}

uint32_t AVIFileRelease(PAVIFILE File) {
  if (!File)
    return 0;
  const uint32_t left = File->refs.load() - 1;
  ReleaseFileRef(File);
  return left;
}

namespace {
PAVISTREAM HandOut(TAviFile *file) {
  file->refs.fetch_add(1);
  file->stream->refs.fetch_add(1);
  return file->stream;
}
} // namespace

HRESULT AVIFileGetStream(PAVIFILE File, PAVISTREAM *Stream, uint32_t FccType, int32_t Param) {
  if (!Stream)
    return AVIERR_BADPARAM;
  *Stream = nullptr;
  if (!File)
    return AVIERR_BADPARAM;
  std::lock_guard<std::mutex> lock(File->m);
  if (FccType != streamtypeAUDIO && FccType != 0)
    return AVIERR_NODATA;
  if (Param != 0 || !File->hasStream)
    return AVIERR_NODATA;
  *Stream = HandOut(File);
  return AVIERR_OK;
}

HRESULT AVIFileCreateStream(PAVIFILE File, PAVISTREAM *Stream, const AVISTREAMINFOA *Info) {
  if (!Stream)
    return AVIERR_BADPARAM;
  *Stream = nullptr;
  if (!File || !Info)
    return AVIERR_BADPARAM;
  std::lock_guard<std::mutex> lock(File->m);
  if (!File->writable)
    return File->Fail(AVIERR_UNSUPPORTED, "The file is open for reading only");
  if (Info->fccType != streamtypeAUDIO)
    return File->Fail(AVIERR_UNSUPPORTED, "A WAV file holds audio streams only");
  if (File->hasStream)
    return File->Fail(AVIERR_UNSUPPORTED, "A WAV file holds one audio stream");
  File->hasStream = true;
  File->stream->created = *Info;
  *Stream = HandOut(File);
  return AVIERR_OK;
}

uint32_t AVIStreamRelease(PAVISTREAM Stream) {
  if (!Stream)
    return 0;
  const uint32_t left = Stream->refs.fetch_sub(1) - 1;
  ReleaseFileRef(Stream->file);
  return left;
}

HRESULT AVIStreamInfo(PAVISTREAM Stream, AVISTREAMINFOA *Info, int32_t Size) {
  if (!Stream || !Info || Size < 0)
    return AVIERR_BADPARAM;
  TAviFile *f = Stream->file;
  std::lock_guard<std::mutex> lock(f->m);
  AVISTREAMINFOA info = Stream->created;
  info.fccType = streamtypeAUDIO;
  if (f->format.size() >= 18) {
    info.dwScale = f->BlockAlign();
    info.dwRate = Le32(&f->format[8]);
    info.dwSampleSize = f->BlockAlign();
  }
  info.dwStart = 0;
  info.dwLength = uint32_t(std::min<int64_t>(f->Length(), UINT32_MAX));
  std::memcpy(Info, &info, std::min<size_t>(size_t(Size), sizeof info));
  return AVIERR_OK;
}

HRESULT AVIStreamReadFormat(PAVISTREAM Stream, int64_t, void *Format, int32_t *FormatSize) {
  if (!Stream || !FormatSize)
    return AVIERR_BADPARAM;
  TAviFile *f = Stream->file;
  std::lock_guard<std::mutex> lock(f->m);
  if (f->format.empty())
    return AVIERR_NODATA;
  const int32_t size = int32_t(f->format.size());
  if (Format) {
    if (*FormatSize < 0)
      return AVIERR_BADPARAM;
    std::memcpy(Format, f->format.data(), size_t(std::min(*FormatSize, size)));
  }
  *FormatSize = size;
  return AVIERR_OK;
}

HRESULT AVIStreamSetFormat(PAVISTREAM Stream, int64_t, const void *Format, int32_t FormatSize) {
  if (!Stream || !Format || FormatSize < 16)
    return AVIERR_BADPARAM;
  TAviFile *f = Stream->file;
  std::lock_guard<std::mutex> lock(f->m);
  if (!f->writable)
    return f->Fail(AVIERR_UNSUPPORTED, "The file is open for reading only");
  std::vector<uint8_t> record(static_cast<const uint8_t *>(Format),
                              static_cast<const uint8_t *>(Format) + FormatSize);
  if (record.size() < 18)
    record.resize(18, 0);
  if (const char *problem = FormatProblem(record); *problem)
    return f->Fail(AVIERR_BADFORMAT, problem);
  if (f->dataOffset != 0 && f->dataBytes > 0) {
    if (record != f->format)
      return f->Fail(AVIERR_UNSUPPORTED, "The file's audio stream has another format");
    return AVIERR_OK;
  }
  f->format = std::move(record);
  return f->WriteHeader();
}

HRESULT AVIStreamRead(PAVISTREAM Stream, int64_t Start, int32_t Samples, void *Buffer,
                      int32_t BufferSize, int32_t *BytesRead, int32_t *SamplesRead) {
  if (BytesRead)
    *BytesRead = 0;
  if (SamplesRead)
    *SamplesRead = 0;
  if (!Stream || BufferSize < 0 || Start < 0)
    return AVIERR_BADPARAM;
  TAviFile *f = Stream->file;
  std::lock_guard<std::mutex> lock(f->m);
  const uint32_t ba = f->BlockAlign();
  if (ba == 0 || f->dataOffset == 0)
    return AVIERR_NODATA;
  const int64_t length = f->Length();
  if (Start >= length)
    return AVIERR_OK;
  int64_t n = length - Start;
  if (Samples >= 0)
    n = std::min<int64_t>(n, Samples);
  if (!Buffer) {
    if (Samples < 0)
      n = std::min<int64_t>(n, 1);
    if (BytesRead)
      *BytesRead = int32_t(std::min<int64_t>(n * ba, INT32_MAX));
    if (SamplesRead)
      *SamplesRead = int32_t(n);
    return AVIERR_OK;
  }
  n = std::min<int64_t>(n, BufferSize / ba);
  if (n == 0)
    return Samples == 0 ? AVIERR_OK : AVIERR_BUFFERTOOSMALL;
  if (!ReadAt(f->fd, Buffer, size_t(n) * ba, f->dataOffset + uint64_t(Start) * ba))
    return f->FailErrno(AVIERR_FILEREAD, "Can't read the WAV file");
  if (BytesRead)
    *BytesRead = int32_t(n * ba);
  if (SamplesRead)
    *SamplesRead = int32_t(n);
  return AVIERR_OK;
}

HRESULT AVIStreamWrite(PAVISTREAM Stream, int64_t Start, int32_t Samples, const void *Buffer,
                       int32_t BufferSize, uint32_t, int32_t *SamplesWritten,
                       int32_t *BytesWritten) {
  if (!Stream)
    return AVIERR_BADPARAM;
  TAviFile *f = Stream->file;
  std::lock_guard<std::mutex> lock(f->m);
  return f->Write(Start, Samples, Buffer, BufferSize, SamplesWritten, BytesWritten);
}

int64_t AVIStreamLength(PAVISTREAM Stream) {
  if (!Stream)
    return -1;
  std::lock_guard<std::mutex> lock(Stream->file->m);
  return Stream->file->Length();
}

int64_t AVIStreamStart(PAVISTREAM Stream) { return Stream ? 0 : -1; }

namespace {
// Samples per second as a ratio (rate / scale); 0/0 without a format.
std::pair<uint64_t, uint64_t> Rate(PAVISTREAM s) {
  std::lock_guard<std::mutex> lock(s->file->m);
  if (s->file->format.size() < 18)
    return {0, 0};
  return {Le32(&s->file->format[8]), s->file->BlockAlign()};
}
} // namespace

int64_t AVIStreamSampleToTime(PAVISTREAM Stream, int64_t Sample) {
  if (!Stream)
    return -1;
  const auto [rate, scale] = Rate(Stream);
  if (rate == 0)
    return 0;
  return int64_t((__int128)Sample * 1000 * int64_t(scale) / int64_t(rate));
}

int64_t AVIStreamTimeToSample(PAVISTREAM Stream, int64_t Time) {
  if (!Stream)
    return -1;
  const auto [rate, scale] = Rate(Stream);
  if (scale == 0)
    return 0;
  return int64_t((__int128)Time * int64_t(rate) / (int64_t(scale) * 1000));
}

std::string AVIStreamLastError(PAVISTREAM Stream) {
  if (!Stream)
    return "";
  std::lock_guard<std::mutex> lock(Stream->file->m);
  return Stream->file->lastError;
}

void AVISetRiffSizeLimit(uint64_t Limit) { riffSizeLimit.store(Limit); }

} // namespace avifile
