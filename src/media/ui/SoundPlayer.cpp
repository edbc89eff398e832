#include "media/ui/SoundPlayer.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#ifdef BRAE_HAS_LIBAO
#include <ao/ao.h>
#endif

namespace brae {

namespace {

#ifdef BRAE_HAS_LIBAO
// libao is initialised once, on first use, and never shut down while the program runs.
void InitialiseAudio() {
  static std::once_flag once;
  std::call_once(once, [] { ao_initialize(); });
}

void PlayOnDevice(std::vector<int16_t> samples, int channels, int rate, std::atomic<bool>* stop,
                  std::atomic<bool>* playing) {
  InitialiseAudio();
  const int driver = ao_default_driver_id();
  ao_sample_format format;
  std::memset(&format, 0, sizeof format);
  format.bits = 16;
  format.channels = channels;
  format.rate = rate;
  format.byte_format = AO_FMT_NATIVE;
  ao_device* device = driver < 0 ? nullptr : ao_open_live(driver, &format, nullptr);
  if (device) {
    // Small pieces, so that a stop (another Play, the window closing) takes effect quickly.
    const size_t piece = size_t(std::max(1, rate / 20)) * size_t(channels);
    for (size_t at = 0; at < samples.size() && !*stop; at += piece) {
      const size_t n = std::min(piece, samples.size() - at);
      if (!ao_play(device, reinterpret_cast<char*>(samples.data() + at), uint32_t(n * 2))) break;
    }
    ao_close(device);
  }
  *playing = false;
}
#endif

}  // namespace

SoundPlayer::~SoundPlayer() {
  Stop();
}

bool SoundPlayer::Available() {
#ifdef BRAE_HAS_LIBAO
  return true;
#else
  return false;
#endif
}

void SoundPlayer::Stop() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
  playing_ = false;
}

bool SoundPlayer::Play(const std::vector<int16_t>& samples, int channels, int rate) {
  Stop();
  if (samples.empty() || channels < 1 || channels > 2 || rate <= 0) return false;
#ifdef BRAE_HAS_LIBAO
  stop_ = false;
  playing_ = true;
  worker_ = std::thread(PlayOnDevice, samples, channels, rate, &stop_, &playing_);
  return true;
#else
  return false;
#endif
}

}  // namespace brae
