// Pictures leaving the program: bitmap files by our own writer, JPEG files
// on libjpeg, and the clipboard.
//
// Both file writers put the whole picture into a temporary file next to the
// target and rename it over the target only when it is complete, so a
// failure (an unwritable folder, a full disk, a library error) leaves any
// file of that name as it was. Main thread only (the clipboard needs the
// application object).
#pragma once

#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/classlib/Exceptions.h"

namespace gui {

// A file that cannot be written: "Cannot create file "<name>". <reason>".
class EFCreateError : public Exception {
public:
  EFCreateError(const std::string &FileName, const std::string &Reason);
};

// A picture that cannot be made or encoded: an empty one, one too large
// for memory, or an error of the JPEG library (its own message).
class EInvalidGraphic : public Exception {
public:
  using Exception::Exception;
};
class EJPEG : public EInvalidGraphic {
public:
  using EInvalidGraphic::EInvalidGraphic;
};

// The bytes of a Windows bitmap file of Image: "BM" file header, 40-byte
// info header, 24 bits per pixel BI_RGB, rows bottom-up padded to four
// bytes, 3780 pixels per metre (96 dpi). An empty image raises
// EInvalidGraphic.
std::vector<uint8_t> EncodeBitmapFile(const QImage &Image);
void SaveBitmapFile(const QImage &Image, const std::string &FileName);

// The JPEG picture object: takes a picture with Assign and compresses it
// when saved, as three RGB components, baseline, JFIF.
class TJPEGImage {
public:
  // 1..100; 90 unless changed.
  int32_t CompressionQuality = 90;
  void Assign(const QImage &Image) { image_ = Image; }
  // Raises EJPEG when the library refuses (an empty picture among others).
  std::vector<uint8_t> Encode() const;
  void SaveToFile(const std::string &FileName) const;

private:
  QImage image_;
};

// Writes Bytes to FileName through a temporary file in the same folder;
// raises EFCreateError when it cannot, leaving FileName untouched.
void ReplaceFileContents(const std::string &FileName, const std::vector<uint8_t> &Bytes);

// The clipboard holds Image as a picture from now on. An empty image raises
// EInvalidGraphic and leaves the clipboard alone.
void CopyImageToClipboard(const QImage &Image);

} // namespace gui
