// Pictures for drawing tests: an expected image composed pixel by pixel in
// the class library's colours (0x00BBGGRR), and a comparison that, on a
// difference, writes the actual and expected images and a diff (differing
// pixels red on grey) as PNG files and names the first differing pixels.
//
// Header-only; the test needs Qt's GUI module (QImage).
// Include "tests/support/Pictures.h".
#pragma once

#include <QImage>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

class TExpectedPicture {
public:
  TExpectedPicture(int Width, int Height, int32_t Background)
      : image_(Width, Height, QImage::Format_RGB32) {
    image_.fill(Rgb(Background));
  }

  static uint32_t Rgb(int32_t Color) {
    uint32_t C = static_cast<uint32_t>(Color);
    return 0xFF000000u | ((C & 0xFF) << 16) | (C & 0xFF00) | ((C >> 16) & 0xFF);
  }

  void Pixel(int X, int Y, int32_t Color) {
    if (X >= 0 && Y >= 0 && X < image_.width() && Y < image_.height())
      image_.setPixel(X, Y, Rgb(Color));
  }
  // Both ends included.
  void HLine(int X0, int X1, int Y, int32_t Color) {
    for (int X = std::min(X0, X1); X <= std::max(X0, X1); ++X)
      Pixel(X, Y, Color);
  }
  void VLine(int X, int Y0, int Y1, int32_t Color) {
    for (int Y = std::min(Y0, Y1); Y <= std::max(Y0, Y1); ++Y)
      Pixel(X, Y, Color);
  }
  // Right and Bottom excluded.
  void Fill(int Left, int Top, int Right, int Bottom, int32_t Color) {
    for (int Y = Top; Y < Bottom; ++Y)
      for (int X = Left; X < Right; ++X)
        Pixel(X, Y, Color);
  }
  void Frame(int Left, int Top, int Right, int Bottom, int32_t Color) {
    HLine(Left, Right - 1, Top, Color);
    HLine(Left, Right - 1, Bottom - 1, Color);
    VLine(Left, Top, Bottom - 1, Color);
    VLine(Right - 1, Top, Bottom - 1, Color);
  }
  const QImage &Image() const { return image_; }
  QImage &Image() { return image_; }

private:
  QImage image_;
};

// Where failing pictures go: $SONVELT_PICTURE_DIR, else a folder in the
// system's temporary directory.
inline std::filesystem::path PictureOutputDir() {
  const char *Env = std::getenv("SONVELT_PICTURE_DIR");
  std::filesystem::path Dir = Env && *Env
                                  ? std::filesystem::path(Env)
                                  : std::filesystem::temp_directory_path() / "sonvelt-pictures";
  std::error_code Ignored;
  std::filesystem::create_directories(Dir, Ignored);
  return Dir;
}

// Equal when the sizes match and every pixel's RGB matches; Mask (optional,
// same size) leaves out the pixels where it is not black (text, say).
inline ::testing::AssertionResult PicturesEqual(const QImage &Actual, const QImage &Expected,
                                                const std::string &Name,
                                                const QImage *Mask = nullptr) {
  if (Actual.size() != Expected.size())
    return ::testing::AssertionFailure()
           << Name << ": size " << Actual.width() << "x" << Actual.height() << ", expected "
           << Expected.width() << "x" << Expected.height();
  QImage Diff(Actual.size(), QImage::Format_RGB32);
  int Count = 0;
  std::ostringstream First;
  for (int Y = 0; Y < Actual.height(); ++Y)
    for (int X = 0; X < Actual.width(); ++X) {
      uint32_t A = Actual.pixel(X, Y) & 0xFFFFFFu;
      uint32_t E = Expected.pixel(X, Y) & 0xFFFFFFu;
      bool Masked = Mask && (Mask->pixel(X, Y) & 0xFFFFFFu) != 0;
      bool Differs = !Masked && A != E;
      Diff.setPixel(X, Y, Differs ? 0xFFFF0000u : 0xFF000000u | ((A & 0xFCFCFC) >> 2) | 0x404040u);
      if (Differs && ++Count <= 5)
        First << " (" << X << "," << Y << ") 0x" << std::hex << A << " expected 0x" << E
              << std::dec;
    }
  if (Count == 0)
    return ::testing::AssertionSuccess();
  std::filesystem::path Dir = PictureOutputDir();
  std::string Base = (Dir / Name).string();
  Actual.save(QString::fromStdString(Base + "-actual.png"));
  Expected.save(QString::fromStdString(Base + "-expected.png"));
  Diff.save(QString::fromStdString(Base + "-diff.png"));
  return ::testing::AssertionFailure() << Name << ": " << Count << " pixels differ:" << First.str()
                                       << "; pictures in " << Base << "-{actual,expected,diff}.png";
}
