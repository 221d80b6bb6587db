// The wave player: plays the first audio stream of a WAV file read through
// the AVI file services. PCM (tag 1 and extensible PCM) plays as it is, its
// format announced as the 40-byte extensible record; every other format
// (IEEE float, A-law, mu-law, IMA and MS ADPCM, extensible float) is decoded
// to 16-bit PCM through the audio compression manager, the codec's last
// samples flushed at the end of the stream. A format the compression manager
// cannot decode is refused (nothing plays; GetLastError says why) rather than
// played as noise.
//
// Threads: ReadData runs on the pumping thread inside the player's write lock
// (ALCommonPlayer.h); the file and codec state is touched only there and on
// the main thread while the player starts and stops under the same lock.
#pragma once

#include <string>
#include <vector>

#include "audio/ALCommonPlayer.h"
#include "platform/acm/Acm.h"
#include "platform/avifile/AviFile.h"

using TALWaveTextCaption = std::function<void(TObject *Sender, const std::string &Text)>;

class TALWavePlayer : public TALCommonPlayer {
  CLASSLIB_SIMPLE_CLASS(TALWavePlayer, TALCommonPlayer)
public:
  explicit TALWavePlayer(TComponent *AOwner);
  ~TALWavePlayer() override;

  // Called on the pumping thread with the text of the text samples that start
  // within each buffer (files with a text stream only).
  TALWaveTextCaption OnCaptionText;

  // Why the last file did not start; "" when it did.
  std::string GetLastError() const;
  // Why FileName can't be played, "" when it can: opened through the same
  // reader and codecs as a start, and let go again. Any thread.
  static std::string PlayProblem(const std::string &FileName);

protected:
  void IntClose() override;
  void IntStart(bool Force) override;
  void ResetPosition() override;
  int32_t ReadData(uint8_t *Destination, int32_t Frames) override;
  void GenerateNewTextFrame() override;

private:
  bool Decoding() const { return acm_ != nullptr; }
  // Converts the compressed bytes (or, with End, flushes the codec) into the
  // leftover block; the frames produced.
  int32_t Decode(const uint8_t *Source, uint32_t Bytes, bool End);

  avifile::PAVIFILE file_ = nullptr;
  avifile::PAVISTREAM stream_ = nullptr;
  avifile::PAVISTREAM textStream_ = nullptr;
  int64_t readPosition_ = 0; // stream samples (compressed blocks when decoding)
  HACMSTREAM acm_ = nullptr;
  WAVEFORMATEXTENSIBLE decodedFormat_{};
  int32_t leftoverOffset_ = 0; // frames of the leftover block handed out
  int32_t leftoverFrames_ = 0;
  std::vector<uint8_t> leftover_;
  std::vector<uint8_t> compressed_;
  int64_t lastTextSample_ = -1;
  std::vector<uint8_t> fileFormat_;
  bool firstConversion_ = true;
  bool flushed_ = false; // the codec's tail has been taken at the end of the stream
  int64_t streamLength_ = 0;
  std::string lastError_;
};
