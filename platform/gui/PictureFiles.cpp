#include "platform/gui/PictureFiles.h"

#include <QClipboard>
#include <QGuiApplication>
#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <jpeglib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gui {

EFCreateError::EFCreateError(const std::string &FileName, const std::string &Reason)
    : Exception("Cannot create file \"" + FileName + "\". " + Reason) {}

namespace {

void Put16(std::vector<uint8_t> &Out, uint32_t V) {
  Out.push_back(uint8_t(V));
  Out.push_back(uint8_t(V >> 8));
}
void Put32(std::vector<uint8_t> &Out, uint32_t V) {
  Put16(Out, V & 0xFFFF);
  Put16(Out, V >> 16);
}

void RequirePicture(const QImage &Image) {
  if (Image.isNull() || Image.width() <= 0 || Image.height() <= 0)
    throw EInvalidGraphic("The picture is empty");
}

} // namespace

std::vector<uint8_t> EncodeBitmapFile(const QImage &Image) {
  RequirePicture(Image);
  const QImage Source = Image.convertToFormat(QImage::Format_RGB32);
  const uint64_t W = uint64_t(Source.width()), H = uint64_t(Source.height());
  const uint64_t Row = (W * 3 + 3) & ~uint64_t(3);
  const uint64_t PixelBytes = Row * H;
  if (54 + PixelBytes > 0xFFFFFFFFu)
    throw EInvalidGraphic("The picture is too large for a bitmap file");
  std::vector<uint8_t> Out;
  Out.reserve(size_t(54 + PixelBytes));
  Out.push_back('B');
  Out.push_back('M');
  Put32(Out, uint32_t(54 + PixelBytes));
  Put32(Out, 0);
  Put32(Out, 54);
  Put32(Out, 40);
  Put32(Out, uint32_t(W));
  Put32(Out, uint32_t(H)); // positive: the first row stored is the bottom one
  Put16(Out, 1);
  Put16(Out, 24);
  Put32(Out, 0); // BI_RGB
  Put32(Out, uint32_t(PixelBytes));
  Put32(Out, 3780);
  Put32(Out, 3780);
  Put32(Out, 0);
  Put32(Out, 0);
  for (int64_t Y = int64_t(H) - 1; Y >= 0; --Y) {
    const QRgb *Line = reinterpret_cast<const QRgb *>(Source.constScanLine(int(Y)));
    for (uint64_t X = 0; X < W; ++X) {
      Out.push_back(uint8_t(qBlue(Line[X])));
      Out.push_back(uint8_t(qGreen(Line[X])));
      Out.push_back(uint8_t(qRed(Line[X])));
    }
    for (uint64_t P = W * 3; P < Row; ++P)
      Out.push_back(0);
  }
  return Out;
}

void SaveBitmapFile(const QImage &Image, const std::string &FileName) {
  ReplaceFileContents(FileName, EncodeBitmapFile(Image));
}

namespace {

// The library reports errors by calling error_exit, which must not return:
// it jumps back to the compressing routine with the message kept, and the
// exception is raised there, outside the library's frames.
struct TJpegError {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr Info) {
  TJpegError *Error = reinterpret_cast<TJpegError *>(Info->err);
  Info->err->format_message(Info, Error->Message);
  std::longjmp(Error->Jump, 1);
}

// No C++ objects with destructors live in this frame, so the jump back is
// safe. Returns false with Error->Message set on a library error.
bool Compress(const QImage &Source, int Quality, TJpegError *Error, unsigned char **Buffer,
              unsigned long *Size, unsigned char *Row) {
  jpeg_compress_struct Info;
  std::memset(&Info, 0, sizeof Info);
  Info.err = jpeg_std_error(&Error->Manager);
  Error->Manager.error_exit = JpegErrorExit;
  if (setjmp(Error->Jump)) {
    jpeg_destroy_compress(&Info);
    return false;
  }
  jpeg_create_compress(&Info);
  jpeg_mem_dest(&Info, Buffer, Size);
  Info.image_width = JDIMENSION(Source.width());
  Info.image_height = JDIMENSION(Source.height());
  Info.input_components = 3;
  Info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&Info);
  jpeg_set_quality(&Info, Quality, TRUE);
  jpeg_start_compress(&Info, TRUE);
  while (Info.next_scanline < Info.image_height) {
    const QRgb *Line =
        reinterpret_cast<const QRgb *>(Source.constScanLine(int(Info.next_scanline)));
    for (int X = 0; X < Source.width(); ++X) {
      Row[3 * X] = uint8_t(qRed(Line[X]));
      Row[3 * X + 1] = uint8_t(qGreen(Line[X]));
      Row[3 * X + 2] = uint8_t(qBlue(Line[X]));
    }
    JSAMPROW Rows[1] = {Row};
    jpeg_write_scanlines(&Info, Rows, 1);
  }
  jpeg_finish_compress(&Info);
  jpeg_destroy_compress(&Info);
  return true;
}

} // namespace

std::vector<uint8_t> TJPEGImage::Encode() const {
  const QImage Source = image_.isNull() ? QImage() : image_.convertToFormat(QImage::Format_RGB32);
  TJpegError Error{};
  unsigned char *Buffer = nullptr;
  unsigned long Size = 0;
  std::vector<unsigned char> Row(size_t(std::max(Source.width(), 1)) * 3);
  const bool Done = Compress(Source, CompressionQuality, &Error, &Buffer, &Size, Row.data());
  std::vector<uint8_t> Out;
  if (Done && Buffer)
    Out.assign(Buffer, Buffer + Size);
  std::free(Buffer);
  if (!Done)
    throw EJPEG(std::string("JPEG error: ") + Error.Message);
  return Out;
}

void TJPEGImage::SaveToFile(const std::string &FileName) const {
  ReplaceFileContents(FileName, Encode());
}

void ReplaceFileContents(const std::string &FileName, const std::vector<uint8_t> &Bytes) {
  std::string Temp = FileName + ".XXXXXX";
  const int Fd = mkstemp(Temp.data());
  if (Fd < 0)
    throw EFCreateError(FileName, std::strerror(errno));
  size_t Done = 0;
  int Error = 0;
  while (Done < Bytes.size()) {
    const ssize_t N = ::write(Fd, Bytes.data() + Done, Bytes.size() - Done);
    if (N < 0) {
      if (errno == EINTR)
        continue;
      Error = errno;
      break;
    }
    Done += size_t(N);
  }
  // A new file gets the permissions any created file would, not mkstemp's
  // private ones.
  if (Error == 0) {
    const mode_t Mask = umask(0);
    umask(Mask);
    if (fchmod(Fd, 0666 & ~Mask) != 0)
      Error = errno;
  }
  if (Error == 0 && fsync(Fd) != 0)
    Error = errno;
  if (::close(Fd) != 0 && Error == 0)
    Error = errno;
  if (Error == 0 && std::rename(Temp.c_str(), FileName.c_str()) != 0)
    Error = errno;
  if (Error != 0) {
    ::unlink(Temp.c_str());
    throw EFCreateError(FileName, std::strerror(Error));
  }
}

void CopyImageToClipboard(const QImage &Image) {
  RequirePicture(Image);
  QGuiApplication::clipboard()->setImage(Image);
}

} // namespace gui
