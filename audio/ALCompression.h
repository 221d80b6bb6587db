// Compression settings of the wave logger: an enable switch and an ordered
// list of candidate target formats, each a raw format record chosen with the
// compression manager's format-choice dialog and stored in the form stream as
// the binary property "FormatData". At file start the logger tries the
// candidates in order (Alacmcompressor.h does the converting).
//
// Also the start operation that carries a compressed format (no component of
// the system creates one).
//
// Threads: the settings belong to the main thread, like their owner's other
// published properties; the logger reads them when a file starts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/Alacm.h"
#include "framework/data/SLStreamTypes.h"
#include "framework/pins/OWExtCollection.h"
#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/Persistent.h"

// One format record: the stored bytes (a WAVEFORMATEX and its cbSize extra
// bytes), their size, and whether a format was chosen at all.
class TALCompressionFormat : public TPersistent {
  CLASSLIB_CLASS(TALCompressionFormat)

public:
  // An empty format over a block of the largest record size.
  TALCompressionFormat();

  // A copy of Size bytes at Block; not empty afterwards.
  void SetFormat(const WAVEFORMATEX *Block, int32_t Size);
  void SetCompressionData(const void *Block, int32_t Size);
  // Copies min(Size, the stored size) bytes to Destination.
  void GetFromat(void *Destination, int32_t Size) const;

  bool GetEmpty() const { return empty_; }
  int32_t GetSize() const { return size_; }
  // The stored record. Never shorter than a WAVEFORMATEX and the cbSize bytes
  // it claims: a shorter stored block reads as zeros past its end.
  const WAVEFORMATEX *GetFormat() const {
    return reinterpret_cast<const WAVEFORMATEX *>(block_.data());
  }

  // "[ Empty ]"; "[ Unknown ]" for a tag the compression manager does not
  // know; otherwise the tag's name, " [ ", the channels ("Mono", "Stereo" or
  // "<n> Channels"), ", ", the rate and " Hz  ] ".
  std::string GetName() const;

  // From another TALCompressionFormat: its size, bytes and empty flag.
  void Assign(TPersistent *Source) override;
  // "FormatData", written only when not empty: a string holding a 32-bit
  // little-endian size and that many bytes. A size of 0 or less reads as
  // empty; a size beyond the bytes given raises EReadError.
  void DefineProperties(TFiler *Filer) override;

private:
  void AlocateDefaultFormat();
  void Store(const void *Block, int32_t Size);

  int32_t size_ = 0;
  std::vector<uint8_t> block_;
  bool empty_ = true;
};

class TALAudioCompressionItem : public TOWExtCollectionItem {
  CLASSLIB_CLASS(TALAudioCompressionItem)

public:
  explicit TALAudioCompressionItem(TCollection *Collection);

  TALCompressionFormat *GetFormat() const { return format_.get(); }
  void SetFormat(TALCompressionFormat *Value) { format_->Assign(Value); }

  std::string GetName() const { return format_->GetName(); }
  std::string GetDisplayName() const override { return GetName(); }
  // From another item: its format; otherwise the base rule.
  void Assign(TPersistent *Source) override;

  // The format-choice dialog, preset with the stored format (or 8 kHz mono
  // A-law); true and the chosen format stored when the user chose one. There
  // is no dialog on this platform: the choice is always cancelled.
  bool ShowDialog();

private:
  TOwnedPtr<TALCompressionFormat> format_;
};

class TALAudioCompressionItems : public TOWExtCollection {
  CLASSLIB_CLASS(TALAudioCompressionItems)

public:
  explicit TALAudioCompressionItems(TPersistent *Owner);
  TALAudioCompressionItem *Add() {
    return static_cast<TALAudioCompressionItem *>(TCollection::Add());
  }
  TALAudioCompressionItem *GetItem(int Index) const {
    return static_cast<TALAudioCompressionItem *>(TCollection::Items(Index));
  }
  void SetItem(int Index, TALAudioCompressionItem *Value) { GetItem(Index)->Assign(Value); }
};

class TALAudioCompression : public TPersistent {
  CLASSLIB_CLASS(TALAudioCompression)

public:
  // The collection, owned here, with one (empty) item.
  explicit TALAudioCompression(TPersistent *Owner);

  TPersistent *GetOwner() override { return owner_; }
  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool Value) { enabled_ = Value; }
  TALAudioCompressionItems *GetCompressions() const { return compressions_.get(); }
  void SetCompressions(TALAudioCompressionItems *Value) { compressions_->Assign(Value); }

private:
  TPersistent *owner_;
  bool enabled_ = false;
  TOwnedPtr<TALAudioCompressionItems> compressions_;
};

// A start with sample rate that carries a compressed format and codec data.
class TALStartAudioCompressionOperation : public TOWStartSampleRateOperation {
public:
  // Copies the format (cbSize + 18 bytes) and the DataSize bytes at Data when
  // they are given.
  TALStartAudioCompressionOperation(int32_t BufferSize, float SampleRate,
                                    const WAVEFORMATEX *Format, const void *Data, int32_t DataSize);
  // Null when no format was given.
  const WAVEFORMATEX *GetFormat() const {
    return format_.empty() ? nullptr : reinterpret_cast<const WAVEFORMATEX *>(format_.data());
  }
  const uint8_t *GetData() const { return data_.empty() ? nullptr : data_.data(); }
  int32_t GetDataSize() const { return int32_t(data_.size()); }

private:
  std::vector<uint8_t> format_;
  std::vector<uint8_t> data_;
};
