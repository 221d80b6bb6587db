#include "audio/ALCompression.h"

#include <algorithm>
#include <cstring>

#include "platform/classlib/Exceptions.h"
#include "platform/classlib/FormStream.h"

namespace {

uint32_t LargestFormatSize() {
  uint32_t size = 0;
  if (acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &size) != MMSYSERR_NOERROR ||
      size < sizeof(WAVEFORMATEX))
    size = sizeof(WAVEFORMATEX);
  return size;
}

std::string ChannelText(uint32_t channels) {
  if (channels == 1)
    return "Mono";
  if (channels == 2)
    return "Stereo";
  return std::to_string(channels) + " Channels";
}

} // namespace

// ---------------------------------------------------------------------------
// TALCompressionFormat

const TClassInfo &TALCompressionFormat::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TALCompressionFormat>("TALCompressionFormat", &TPersistent::StaticClassInfo());
  return info;
}

TALCompressionFormat::TALCompressionFormat() { AlocateDefaultFormat(); }

void TALCompressionFormat::AlocateDefaultFormat() {
  size_ = int32_t(LargestFormatSize());
  block_.assign(size_t(size_), 0);
  empty_ = true;
}

void TALCompressionFormat::Store(const void *Block, int32_t Size) {
  size_ = std::max(Size, 0);
  block_.assign(std::max<size_t>(size_t(size_), sizeof(WAVEFORMATEX)), 0);
  if (Block && size_ > 0)
    std::memcpy(block_.data(), Block, size_t(size_));
  // Readers of the record take 18 + cbSize bytes: a stored block shorter than
  // its cbSize claims reads as zeros past its end, never past the block.
  block_.resize(std::max(block_.size(), acm::FormatRecordSize(*GetFormat())), 0);
  empty_ = false;
}

void TALCompressionFormat::SetFormat(const WAVEFORMATEX *Block, int32_t Size) {
  Store(Block, Size);
}

void TALCompressionFormat::SetCompressionData(const void *Block, int32_t Size) {
  Store(Block, Size);
}

void TALCompressionFormat::GetFromat(void *Destination, int32_t Size) const {
  const int32_t n = std::min(Size, size_);
  if (Destination && n > 0)
    std::memcpy(Destination, block_.data(), size_t(n));
}

std::string TALCompressionFormat::GetName() const {
  if (empty_)
    return "[ Empty ]";
  const WAVEFORMATEX *f = GetFormat();
  ACMFORMATTAGDETAILS details{};
  details.cbStruct = sizeof details;
  details.dwFormatTag = f->wFormatTag;
  if (acmFormatTagDetails(nullptr, &details, ACM_FORMATTAGDETAILSF_FORMATTAG) != MMSYSERR_NOERROR)
    return "[ Unknown ]";
  const std::string tag(details.szFormatTag,
                        strnlen(details.szFormatTag, sizeof details.szFormatTag));
  return tag + " [ " + ChannelText(f->nChannels) + ", " + std::to_string(f->nSamplesPerSec) +
         " Hz  ] ";
}

void TALCompressionFormat::Assign(TPersistent *Source) {
  if (auto *other = dynamic_cast<TALCompressionFormat *>(Source)) {
    size_ = other->size_;
    block_ = other->block_;
    empty_ = other->empty_;
    return;
  }
  TPersistent::Assign(Source);
}

void TALCompressionFormat::DefineProperties(TFiler *Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineProperty(
      "FormatData",
      [this](TReader *reader) {
        const std::string data = reader->ReadString();
        if (data.size() < 4)
          throw EReadError("FormatData: the size is missing");
        int32_t size;
        std::memcpy(&size, data.data(), 4);
        if (size <= 0) {
          AlocateDefaultFormat();
          return;
        }
        if (uint64_t(size) > data.size() - 4)
          throw EReadError("FormatData: fewer bytes than its size");
        Store(data.data() + 4, size);
      },
      [this](TWriter *writer) {
        std::string data(4 + size_t(size_), '\0');
        std::memcpy(data.data(), &size_, 4);
        std::memcpy(data.data() + 4, block_.data(), size_t(size_));
        writer->WriteString(data);
      },
      !empty_);
}

// ---------------------------------------------------------------------------
// TALAudioCompressionItem

const TClassInfo &TALAudioCompressionItem::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TALAudioCompressionItem>(
      "TALAudioCompressionItem", &TOWExtCollectionItem::StaticClassInfo(),
      [](TClassBuilder<TALAudioCompressionItem> &c) {
        c.Object("Format", &TALAudioCompressionItem::GetFormat,
                 &TALAudioCompressionItem::SetFormat);
      });
  return info;
}

TALAudioCompressionItem::TALAudioCompressionItem(TCollection *Collection)
    : TOWExtCollectionItem(Collection), format_(CreateObject<TALCompressionFormat>()) {}

void TALAudioCompressionItem::Assign(TPersistent *Source) {
  if (auto *other = dynamic_cast<TALAudioCompressionItem *>(Source)) {
    format_->Assign(other->format_.get());
    return;
  }
  TOWExtCollectionItem::Assign(Source);
}

bool TALAudioCompressionItem::ShowDialog() {
  std::vector<uint8_t> block(LargestFormatSize(), 0);
  WAVEFORMATEX preset{};
  preset.wFormatTag = WAVE_FORMAT_ALAW;
  preset.nChannels = 1;
  preset.nSamplesPerSec = 8000;
  preset.nAvgBytesPerSec = 8000;
  preset.nBlockAlign = 1;
  preset.wBitsPerSample = 8;
  std::memcpy(block.data(), &preset, sizeof preset);
  if (!format_->GetEmpty())
    format_->GetFromat(block.data(), int32_t(block.size()));
  ACMFORMATCHOOSE choose{};
  choose.cbStruct = sizeof choose;
  choose.fdwStyle = ACMFORMATCHOOSE_STYLEF_INITTOWFXSTRUCT;
  choose.pwfx = reinterpret_cast<WAVEFORMATEX *>(block.data());
  choose.cbwfx = uint32_t(block.size());
  if (acmFormatChoose(&choose) != MMSYSERR_NOERROR)
    return false;
  const size_t size = std::min(block.size(), acm::FormatRecordSize(*choose.pwfx));
  format_->SetFormat(choose.pwfx, int32_t(size));
  return true;
}

// ---------------------------------------------------------------------------
// TALAudioCompressionItems

const TClassInfo &TALAudioCompressionItems::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TALAudioCompressionItems>(
      "TALAudioCompressionItems", &TOWExtCollection::StaticClassInfo());
  return info;
}

TALAudioCompressionItems::TALAudioCompressionItems(TPersistent *Owner)
    : TOWExtCollection(Owner, &TALAudioCompressionItem::StaticClassInfo()) {}

// ---------------------------------------------------------------------------
// TALAudioCompression

const TClassInfo &TALAudioCompression::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TALAudioCompression>(
      "TALAudioCompression", &TPersistent::StaticClassInfo(),
      [](TClassBuilder<TALAudioCompression> &c) {
        c.Boolean("Enabled", &TALAudioCompression::GetEnabled, &TALAudioCompression::SetEnabled,
                  false);
        c.Object("Compressions", &TALAudioCompression::GetCompressions,
                 &TALAudioCompression::SetCompressions);
      });
  return info;
}

TALAudioCompression::TALAudioCompression(TPersistent *Owner)
    : owner_(Owner), compressions_(CreateObject<TALAudioCompressionItems>(Owner)) {
  compressions_->Add();
}

// ---------------------------------------------------------------------------
// TALStartAudioCompressionOperation

TALStartAudioCompressionOperation::TALStartAudioCompressionOperation(int32_t BufferSize,
                                                                     float SampleRate,
                                                                     const WAVEFORMATEX *Format,
                                                                     const void *Data,
                                                                     int32_t DataSize)
    : TOWStartSampleRateOperation(BufferSize, SampleRate) {
  if (Format) {
    const auto *bytes = reinterpret_cast<const uint8_t *>(Format);
    format_.assign(bytes, bytes + acm::FormatRecordSize(*Format));
  }
  if (Data && DataSize > 0) {
    const auto *bytes = static_cast<const uint8_t *>(Data);
    data_.assign(bytes, bytes + DataSize);
  }
}
