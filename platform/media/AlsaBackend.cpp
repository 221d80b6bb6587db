#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <mutex>
#include <vector>

#include <alsa/asoundlib.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "platform/media/Backend.h"
#include "platform/media/Internal.h"

namespace media::detail {

namespace {

// alsa-lib prints its complaints on stderr; the program reports failures itself.
void SilentErrorHandler(const char *, int, const char *, int, const char *, ...) {}

void SilenceAlsa() {
  static std::once_flag once;
  std::call_once(once, [] { snd_lib_error_set_handler(SilentErrorHandler); });
}

snd_pcm_format_t AlsaFormat(const WAVEFORMATEXTENSIBLE &f) {
  if (SubFormatOf(f) == KSDATAFORMAT_SUBTYPE_IEEE_FLOAT)
    return f.Format.wBitsPerSample == 32 ? SND_PCM_FORMAT_FLOAT_LE : SND_PCM_FORMAT_UNKNOWN;
  if (SubFormatOf(f) != KSDATAFORMAT_SUBTYPE_PCM)
    return SND_PCM_FORMAT_UNKNOWN;
  switch (f.Format.wBitsPerSample) {
  case 8:
    return SND_PCM_FORMAT_U8;
  case 16:
    return SND_PCM_FORMAT_S16_LE;
  case 24:
    return SND_PCM_FORMAT_S24_3LE;
  case 32:
    return SND_PCM_FORMAT_S32_LE;
  default:
    return SND_PCM_FORMAT_UNKNOWN;
  }
}

class TAlsaStream final : public IAudioStream {
public:
  TAlsaStream(snd_pcm_t *pcm, bool capture, size_t block)
      : pcm_(pcm), capture_(capture), block_(block) {
    abortFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  }
  ~TAlsaStream() override {
    snd_pcm_close(pcm_);
    if (abortFd_ >= 0)
      close(abortFd_);
  }

  long Read(uint8_t *buffer, size_t frames) override { return Transfer(buffer, frames); }
  long Write(const uint8_t *buffer, size_t frames) override {
    return Transfer(const_cast<uint8_t *>(buffer), frames);
  }

  // Waits until the device has played what it was given; an abort (or a
  // device that stops moving) drops the rest.
  void Drain() override {
    if (capture_ || aborted_ || failed_)
      return;
    int err = snd_pcm_drain(pcm_);
    if (err != -EAGAIN)
      return;
    // Non-blocking: the stream drains on its own while its state says so.
    snd_pcm_uframes_t buffer = 0, period = 0;
    snd_pcm_get_params(pcm_, &buffer, &period);
    unsigned rate = 0;
    snd_pcm_hw_params_t *hw;
    snd_pcm_hw_params_alloca(&hw);
    if (snd_pcm_hw_params_current(pcm_, hw) == 0)
      snd_pcm_hw_params_get_rate(hw, &rate, nullptr);
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(2) +
                       std::chrono::milliseconds(rate ? buffer * 1000 / rate : 1000);
    while (snd_pcm_state(pcm_) == SND_PCM_STATE_DRAINING) {
      if (aborted_ || std::chrono::steady_clock::now() > limit) {
        snd_pcm_drop(pcm_);
        return;
      }
      if (!Wait(20))
        continue;
      snd_pcm_avail_update(pcm_); // lets plugins see the device's progress
    }
  }

  void Abort() override {
    aborted_ = true;
    uint64_t one = 1;
    if (abortFd_ >= 0)
      (void)!write(abortFd_, &one, sizeof one);
  }
  bool Aborted() const override { return aborted_; }
  uint64_t Position() const override { return position_; }

private:
  // Frames moved before an abort or a failure count: a failure after some
  // frames is told by the next call, so none of them is lost.
  long Transfer(uint8_t *buffer, size_t frames) {
    if (failed_)
      return failed_;
    size_t done = 0;
    while (done < frames) {
      if (aborted_) {
        if (capture_)
          done += TakeAvailable(buffer, done, frames);
        break;
      }
      snd_pcm_sframes_t n = capture_ ? snd_pcm_readi(pcm_, buffer + done * block_, frames - done)
                                     : snd_pcm_writei(pcm_, buffer + done * block_, frames - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
        position_ += static_cast<uint64_t>(n);
        continue;
      }
      if (n == 0 || n == -EAGAIN) {
        Wait();
        continue;
      }
      if (n == -EPIPE) { // overrun or underrun: start again and go on
        if (snd_pcm_prepare(pcm_) < 0)
          return Fail(done, -EIO);
        if (capture_)
          snd_pcm_start(pcm_);
        continue;
      }
      if (n == -ESTRPIPE) { // suspended: resume, or prepare when it cannot
        int err;
        while ((err = snd_pcm_resume(pcm_)) == -EAGAIN)
          if (!Wait(10))
            return static_cast<long>(done);
        if (err < 0 && snd_pcm_prepare(pcm_) < 0)
          return Fail(done, -EIO);
        continue;
      }
      if (n == -ENODEV || n == -EIO || n == -EBADFD || n == -ENOTTY)
        return Fail(done, -ENODEV);
      return Fail(done, static_cast<long>(n));
    }
    return static_cast<long>(done);
  }

  long Fail(size_t done, long err) {
    failed_ = err;
    return done > 0 ? static_cast<long>(done) : err;
  }

  // After an abort: what the device has already captured, without waiting.
  size_t TakeAvailable(uint8_t *buffer, size_t done, size_t frames) {
    size_t taken = 0;
    while (done + taken < frames) {
      snd_pcm_sframes_t n =
          snd_pcm_readi(pcm_, buffer + (done + taken) * block_, frames - done - taken);
      if (n <= 0)
        break;
      taken += static_cast<size_t>(n);
      position_ += static_cast<uint64_t>(n);
    }
    return taken;
  }

  // Waits until the device is ready for the transfer (its descriptors, read
  // through the PCM: a plugin's descriptor may wake without data), an abort
  // or the timeout; false when aborted. Never returns at once for a device
  // that has nothing: a capture with no data sleeps here, it does not spin.
  // A descriptor that stays awake while the PCM says it is not ready (a
  // sound server's plugin while its stream starts) is looked at again only
  // after a short rest, short beside a period, on the abort descriptor alone.
  bool Wait(int timeoutMs = 1000) {
    constexpr int RestMs = 5;
    int count = snd_pcm_poll_descriptors_count(pcm_);
    if (count < 0)
      count = 0;
    std::vector<pollfd> fds(static_cast<size_t>(count) + 1);
    if (count > 0)
      count = snd_pcm_poll_descriptors(pcm_, fds.data(), static_cast<unsigned>(count));
    if (count < 0)
      count = 0;
    fds[static_cast<size_t>(count)] = {abortFd_, POLLIN, 0};
    const short wanted = capture_ ? POLLIN : POLLOUT;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      if (aborted_)
        return false;
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                      until - std::chrono::steady_clock::now())
                      .count();
      if (left <= 0)
        return true;
      for (auto &f : fds)
        f.revents = 0;
      int r = poll(fds.data(), static_cast<nfds_t>(count + 1), static_cast<int>(left));
      if (aborted_)
        return false;
      if (r < 0 && errno != EINTR)
        return true;
      if (r <= 0)
        continue;
      if (count == 0)
        return true;
      unsigned short revents = 0;
      if (snd_pcm_poll_descriptors_revents(pcm_, fds.data(), static_cast<unsigned>(count),
                                           &revents) < 0)
        return true;
      if (revents & (wanted | POLLERR | POLLHUP | POLLNVAL))
        return true;
      pollfd abort = {abortFd_, POLLIN, 0};
      poll(&abort, 1, static_cast<int>(std::min<long>(left, RestMs)));
    }
  }

  snd_pcm_t *pcm_;
  bool capture_;
  size_t block_;
  int abortFd_ = -1;
  std::atomic<bool> aborted_{false};
  std::atomic<uint64_t> position_{0};
  long failed_ = 0; // the error that ended the stream, told from then on
};

class TAlsaBackend final : public IAudioBackend {
public:
  std::vector<TDeviceEntry> List(bool capture) override {
    SilenceAlsa();
    std::vector<TDeviceEntry> out;
    snd_pcm_stream_t stream = capture ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK;
    int card = -1;
    while (snd_card_next(&card) == 0 && card >= 0) {
      char hw[32];
      std::snprintf(hw, sizeof hw, "hw:%d", card);
      snd_ctl_t *ctl = nullptr;
      if (snd_ctl_open(&ctl, hw, 0) < 0)
        continue;
      snd_ctl_card_info_t *info;
      snd_ctl_card_info_alloca(&info);
      if (snd_ctl_card_info(ctl, info) < 0) {
        snd_ctl_close(ctl);
        continue;
      }
      std::string cardId = snd_ctl_card_info_get_id(info);
      std::string cardName = snd_ctl_card_info_get_name(info);
      std::vector<std::pair<int, std::string>> devices;
      snd_pcm_info_t *pcmInfo;
      snd_pcm_info_alloca(&pcmInfo);
      int dev = -1;
      while (snd_ctl_pcm_next_device(ctl, &dev) == 0 && dev >= 0) {
        snd_pcm_info_set_device(pcmInfo, static_cast<unsigned>(dev));
        snd_pcm_info_set_subdevice(pcmInfo, 0);
        snd_pcm_info_set_stream(pcmInfo, stream);
        if (snd_ctl_pcm_info(ctl, pcmInfo) < 0)
          continue;
        devices.emplace_back(dev, snd_pcm_info_get_name(pcmInfo));
      }
      snd_ctl_close(ctl);
      for (auto &[d, pcmName] : devices) {
        std::string friendly = devices.size() > 1 ? cardName + " - " + pcmName : cardName;
        out.push_back({"plughw:CARD=" + cardId + ",DEV=" + std::to_string(d), friendly});
      }
    }
    // Configured PCMs that describe themselves (hint { show on; description ... }).
    void **hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) == 0 && hints) {
      for (void **h = hints; *h; ++h) {
        char *name = snd_device_name_get_hint(*h, "NAME");
        char *desc = snd_device_name_get_hint(*h, "DESC");
        char *ioid = snd_device_name_get_hint(*h, "IOID");
        std::string n = name ? name : "", d = desc ? desc : "", io = ioid ? ioid : "";
        free(name);
        free(desc);
        free(ioid);
        if (n.empty() || n.find(':') != std::string::npos || n == "null" || n == "default" ||
            n == "sysdefault")
          continue;
        if (!io.empty() && io != (capture ? "Input" : "Output"))
          continue;
        d = d.substr(0, d.find('\n'));
        if (d.empty())
          continue;
        out.push_back({n, d});
      }
      snd_device_name_free_hint(hints);
    }
    return out;
  }

  bool Owns(const std::string &) override { return true; }

  int Open(const std::string &id, bool capture, const WAVEFORMATEXTENSIBLE &format,
           std::unique_ptr<IAudioStream> *stream) override {
    SilenceAlsa();
    snd_pcm_format_t fmt = AlsaFormat(format);
    if (fmt == SND_PCM_FORMAT_UNKNOWN || format.Format.nBlockAlign == 0)
      return -EINVAL;
    snd_pcm_t *pcm = nullptr;
    int err =
        snd_pcm_open(&pcm, id.c_str(), capture ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK,
                     SND_PCM_NONBLOCK);
    if (err < 0)
      return err;
    snd_pcm_hw_params_t *hw;
    snd_pcm_hw_params_alloca(&hw);
    unsigned rate = format.Format.nSamplesPerSec;
    // Capture periods of 100 ms, one a frame of the displays (the scope
    // shows the newest block, the meters a value per 100 ms of audio): the
    // device, or a sound server's plugin whose own thread wakes for each,
    // wakes us no more often than the window shows what came, and the
    // 400 ms buffer holds four periods while a block is handed on. Playback
    // keeps periods of about one block.
    unsigned periodUs = capture ? 100000 : 25000, bufferUs = capture ? 400000 : 200000;
    int dir = 0;
    if ((err = snd_pcm_hw_params_any(pcm, hw)) < 0 ||
        (err = snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED)) < 0 ||
        (err = snd_pcm_hw_params_set_format(pcm, hw, fmt)) < 0 ||
        (err = snd_pcm_hw_params_set_channels(pcm, hw, format.Format.nChannels)) < 0 ||
        (err = snd_pcm_hw_params_set_rate(pcm, hw, rate, 0)) < 0) {
      snd_pcm_close(pcm);
      return err == -EBUSY || err == -ENODEV || err == -ENOENT ? err : -EINVAL;
    }
    snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &bufferUs, &dir);
    snd_pcm_hw_params_set_period_time_near(pcm, hw, &periodUs, &dir);
    if ((err = snd_pcm_hw_params(pcm, hw)) < 0 || (err = snd_pcm_prepare(pcm)) < 0) {
      snd_pcm_close(pcm);
      return err;
    }
    if (capture)
      snd_pcm_start(pcm);
    *stream = std::make_unique<TAlsaStream>(pcm, capture, format.Format.nBlockAlign);
    return 0;
  }

  std::string DefaultId(bool) override { return "default"; }

  bool PreferredFormat(const std::string &, bool, WAVEFORMATEXTENSIBLE *format) override {
    *format = MakeFormat(WAVE_FORMAT_PCM, 2, 48000, 16);
    return true;
  }
};

} // namespace

IAudioBackend &AlsaBackend() {
  static TAlsaBackend backend;
  return backend;
}

} // namespace media::detail
