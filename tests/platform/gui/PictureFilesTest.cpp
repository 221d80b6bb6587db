// The picture writers, checked by reading the files back: the bitmap's bytes
// against the file format, cjpeg reading our bitmap, libjpeg and djpeg
// reading our JPEG; failures leave the file they would replace alone.
#include <QClipboard>
#include <QGuiApplication>
#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>
#include <jpeglib.h>

#include "platform/gui/Application.h"
#include "platform/gui/PictureFiles.h"
#include "tests/support/RunCommand.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadFile(const fs::path &Path) {
  std::ifstream In(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

uint32_t U32(const std::vector<uint8_t> &B, size_t At) {
  return B[At] | B[At + 1] << 8 | B[At + 2] << 16 | uint32_t(B[At + 3]) << 24;
}
uint16_t U16(const std::vector<uint8_t> &B, size_t At) { return uint16_t(B[At] | B[At + 1] << 8); }

// Every pixel differs from its neighbours, so a row or a channel out of
// place shows.
QImage Pattern(int W, int H) {
  QImage Image(W, H, QImage::Format_RGB32);
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X)
      Image.setPixel(X, Y, qRgb(40 * X + 7, 60 * Y + 3, 200 - 30 * X - 20 * Y));
  return Image;
}

// A smooth picture, as a scope's frame and curves are not: JPEG keeps it
// close.
QImage Gradient(int W, int H) {
  QImage Image(W, H, QImage::Format_RGB32);
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X)
      Image.setPixel(X, Y, qRgb(X * 255 / W, Y * 255 / H, 128));
  return Image;
}

class TempDir {
public:
  TempDir() {
    char Name[] = "/tmp/sonvelt-pictures-XXXXXX";
    Path = mkdtemp(Name);
  }
  ~TempDir() { fs::remove_all(Path); }
  std::vector<std::string> Names() const {
    std::vector<std::string> Out;
    for (const auto &E : fs::directory_iterator(Path))
      Out.push_back(E.path().filename().string());
    return Out;
  }
  fs::path Path;
};

TEST(BitmapFile, HeaderAndBottomUpPaddedRows) {
  // Widths 1, 3 and 5 need padding (3, 9, 15 bytes a row), 4 needs none.
  for (int W : {1, 3, 4, 5}) {
    SCOPED_TRACE(W);
    const int H = 2;
    const QImage Image = Pattern(W, H);
    const std::vector<uint8_t> B = gui::EncodeBitmapFile(Image);
    const uint32_t Row = (uint32_t(W) * 3 + 3) / 4 * 4;
    ASSERT_EQ(B.size(), 54 + Row * H);
    EXPECT_EQ(B[0], 'B');
    EXPECT_EQ(B[1], 'M');
    EXPECT_EQ(U32(B, 2), B.size());
    EXPECT_EQ(U32(B, 6), 0u);
    EXPECT_EQ(U32(B, 10), 54u);
    EXPECT_EQ(U32(B, 14), 40u);
    EXPECT_EQ(int32_t(U32(B, 18)), W);
    EXPECT_EQ(int32_t(U32(B, 22)), H); // positive: bottom-up
    EXPECT_EQ(U16(B, 26), 1);
    EXPECT_EQ(U16(B, 28), 24);
    EXPECT_EQ(U32(B, 30), 0u); // BI_RGB
    EXPECT_EQ(U32(B, 34), Row * H);
    EXPECT_EQ(U32(B, 38), 3780u);
    EXPECT_EQ(U32(B, 42), 3780u);
    EXPECT_EQ(U32(B, 46), 0u);
    EXPECT_EQ(U32(B, 50), 0u);
    for (int Y = 0; Y < H; ++Y) {
      const size_t Line = 54 + size_t(H - 1 - Y) * Row;
      for (int X = 0; X < W; ++X) {
        const QRgb P = Image.pixel(X, Y);
        EXPECT_EQ(B[Line + 3 * X], qBlue(P));
        EXPECT_EQ(B[Line + 3 * X + 1], qGreen(P));
        EXPECT_EQ(B[Line + 3 * X + 2], qRed(P));
      }
      for (uint32_t P = uint32_t(W) * 3; P < Row; ++P)
        EXPECT_EQ(B[Line + P], 0) << "padding";
    }
  }
}

TEST(BitmapFile, CjpegReadsIt) {
  TempDir Dir;
  const fs::path File = Dir.Path / "picture.bmp";
  gui::SaveBitmapFile(Pattern(7, 5), File.string());
  int Status = 0;
  const std::string Out = RunCommand("cjpeg '" + File.string() + "' | djpeg -pnm", Status);
  EXPECT_EQ(Status, 0);
  EXPECT_EQ(Out.rfind("P6\n7 5\n255\n", 0), 0u) << Out.substr(0, 20);
}

struct TDecoded {
  int Width = 0, Height = 0, Components = 0;
  bool Progressive = true, Jfif = false;
  int FirstLuminanceQuantiser = 0;
  std::vector<uint8_t> Rgb;
};

struct TDecodeError {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
};

void DecodeErrorExit(j_common_ptr Info) {
  std::longjmp(reinterpret_cast<TDecodeError *>(Info->err)->Jump, 1);
}

bool Decode(const std::vector<uint8_t> &Bytes, TDecoded &Out) {
  jpeg_decompress_struct Info{};
  TDecodeError Error{};
  Info.err = jpeg_std_error(&Error.Manager);
  Error.Manager.error_exit = DecodeErrorExit;
  if (setjmp(Error.Jump)) {
    jpeg_destroy_decompress(&Info);
    return false;
  }
  jpeg_create_decompress(&Info);
  jpeg_mem_src(&Info, Bytes.data(), static_cast<unsigned long>(Bytes.size()));
  jpeg_read_header(&Info, TRUE);
  Out.Width = int(Info.image_width);
  Out.Height = int(Info.image_height);
  Out.Components = Info.num_components;
  Out.Progressive = Info.progressive_mode;
  Out.Jfif = Info.saw_JFIF_marker;
  Out.FirstLuminanceQuantiser = Info.quant_tbl_ptrs[0] ? Info.quant_tbl_ptrs[0]->quantval[0] : 0;
  Info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&Info);
  Out.Rgb.resize(size_t(Out.Width) * Out.Height * 3);
  while (Info.output_scanline < Info.output_height) {
    JSAMPROW Row = Out.Rgb.data() + size_t(Info.output_scanline) * Out.Width * 3;
    jpeg_read_scanlines(&Info, &Row, 1);
  }
  jpeg_finish_decompress(&Info);
  jpeg_destroy_decompress(&Info);
  return true;
}

TEST(JpegFile, BaselineJfifRgbAtQualityNinety) {
  const QImage Image = Gradient(64, 48);
  gui::TJPEGImage Jpeg;
  Jpeg.Assign(Image);
  TDecoded D;
  ASSERT_TRUE(Decode(Jpeg.Encode(), D));
  EXPECT_EQ(D.Width, 64);
  EXPECT_EQ(D.Height, 48);
  EXPECT_EQ(D.Components, 3);
  EXPECT_FALSE(D.Progressive);
  EXPECT_TRUE(D.Jfif);
  // The standard luminance table's first entry, 16, scaled to quality 90.
  EXPECT_EQ(D.FirstLuminanceQuantiser, 3);
  int Worst = 0;
  for (int Y = 0; Y < 48; ++Y)
    for (int X = 0; X < 64; ++X) {
      const QRgb P = Image.pixel(X, Y);
      const uint8_t *Q = &D.Rgb[(size_t(Y) * 64 + X) * 3];
      Worst = std::max(
          {Worst, std::abs(Q[0] - qRed(P)), std::abs(Q[1] - qGreen(P)), std::abs(Q[2] - qBlue(P))});
    }
  EXPECT_LE(Worst, 8);
}

TEST(JpegFile, DjpegReadsTheSavedFile) {
  TempDir Dir;
  const fs::path File = Dir.Path / "picture.jpg";
  gui::TJPEGImage Jpeg;
  Jpeg.Assign(Gradient(33, 17));
  Jpeg.SaveToFile(File.string());
  int Status = 0;
  const std::string Out = RunCommand("djpeg -pnm '" + File.string() + "'", Status);
  EXPECT_EQ(Status, 0);
  EXPECT_EQ(Out.rfind("P6\n33 17\n255\n", 0), 0u) << Out.substr(0, 20);
  EXPECT_EQ(Dir.Names(), std::vector<std::string>{"picture.jpg"});
}

// Each failure raises and leaves the file it would have replaced as it was,
// with no temporary file left beside it.
TEST(PictureFiles, FailuresLeaveTheOldFile) {
  TempDir Dir;
  const fs::path File = Dir.Path / "old.bmp";
  { std::ofstream(File) << "old contents"; }
  gui::TJPEGImage Empty;
  EXPECT_THROW(Empty.SaveToFile(File.string()), gui::EJPEG);
  EXPECT_THROW(gui::SaveBitmapFile(QImage(), File.string()), gui::EInvalidGraphic);
  EXPECT_EQ(ReadFile(File),
            (std::vector<uint8_t>{'o', 'l', 'd', ' ', 'c', 'o', 'n', 't', 'e', 'n', 't', 's'}));
  EXPECT_EQ(Dir.Names(), std::vector<std::string>{"old.bmp"});
}

TEST(PictureFiles, UnwritablePathsRaiseAClearError) {
  TempDir Dir;
  const std::string Missing = (Dir.Path / "no-such-folder" / "x.bmp").string();
  try {
    gui::SaveBitmapFile(Pattern(2, 2), Missing);
    ADD_FAILURE() << "no error";
  } catch (const gui::EFCreateError &E) {
    EXPECT_EQ(E.Message(), "Cannot create file \"" + Missing + "\". No such file or directory");
  }
  // A file in a folder where nothing can be created, even by the
  // administrator: the existing file stays as it was.
  const std::vector<uint8_t> Before = ReadFile("/proc/version");
  ASSERT_FALSE(Before.empty());
  EXPECT_THROW(gui::SaveBitmapFile(Pattern(2, 2), "/proc/version"), gui::EFCreateError);
  EXPECT_EQ(ReadFile("/proc/version"), Before);
}

TEST(Clipboard, HoldsTheImageAndRefusesAnEmptyOne) {
  gui::Application();
  const QImage Image = Pattern(6, 4);
  gui::CopyImageToClipboard(Image);
  EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), Image);
  EXPECT_THROW(gui::CopyImageToClipboard(QImage()), gui::EInvalidGraphic);
  EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), Image);
}

} // namespace
