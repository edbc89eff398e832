#pragma once
// Plays decoded samples through the default audio output (libao) on a worker thread, so that
// the window stays responsive. Without an audio device (or without libao at build time)
// playing does nothing and reports nothing: a machine without sound is not an error.

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace brae {

class SoundPlayer {
 public:
  SoundPlayer() = default;
  ~SoundPlayer();
  SoundPlayer(const SoundPlayer&) = delete;
  SoundPlayer& operator=(const SoundPlayer&) = delete;

  // Whether this build can play sounds at all.
  static bool Available();
  // Stops what is playing and starts these 16-bit interleaved samples. False when nothing
  // could be started (no samples, no rate, no library); a missing device is found by the
  // worker and simply ends the playing.
  bool Play(const std::vector<int16_t>& samples, int channels, int rate);
  void Stop();
  bool IsPlaying() const { return playing_; }

 private:
  std::thread worker_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> playing_{false};
};

}  // namespace brae
