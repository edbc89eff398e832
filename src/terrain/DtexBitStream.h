#pragma once
// The detail texture coder's bit stream. Fields are packed into 32-bit words from the most
// significant bit downward; a field of n bits that does not fit in the r bits left puts its
// low r bits at the bottom of the current word and its high n - r bits at the top of the next.

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace brae {

class BitWriter {
 public:
  BitWriter(uint32_t* words, size_t count) : words_(words), count_(count) {}

  void Put(uint32_t value, int bits) {
    if (bits < left_) {
      current_ |= value << (left_ - bits);
      left_ -= bits;
    } else if (bits == left_) {
      current_ |= value;
      Flush();
    } else {
      const int low = left_;
      const int high = bits - low;
      current_ |= value & ((1u << low) - 1);
      Flush();
      current_ = (value >> low) << (32 - high);
      left_ = 32 - high;
    }
  }
  void PutOnes(int count) {
    for (; count >= 32; count -= 32) Put(0xFFFFFFFFu, 32);
    if (count) Put((1u << count) - 1, count);
  }
  // Completes the partial word with zero bits. False when the words did not suffice.
  bool Finish() {
    if (left_ < 32) Flush();
    return !overflow_;
  }

 private:
  void Flush() {
    if (index_ < count_) {
      words_[index_++] = current_;
    } else {
      overflow_ = true;
    }
    current_ = 0;
    left_ = 32;
  }

  uint32_t* words_;
  size_t count_;
  size_t index_ = 0;
  uint32_t current_ = 0;
  int left_ = 32;
  bool overflow_ = false;
};

class BitReader {
 public:
  BitReader(const uint32_t* words, size_t count) : words_(words), count_(count) {
    current_ = count ? words[0] : 0;
  }

  // False once a read needed bits beyond the last word.
  bool ok() const { return ok_; }

  uint32_t Get(int bits) {
    if (!Available()) return 0;
    if (bits < left_) {
      left_ -= bits;
      return (current_ >> left_) & ((1u << bits) - 1);
    }
    if (bits == left_) {
      const uint32_t value = bits == 32 ? current_ : current_ & ((1u << bits) - 1);
      Advance();
      return value;
    }
    const int low = left_;
    const int high = bits - low;
    const uint32_t low_bits = current_ & ((1u << low) - 1);
    Advance();
    if (!Available()) return 0;
    left_ = 32 - high;
    return ((current_ >> left_) << low) | low_bits;
  }

  // Counts one-bits up to the first zero-bit (consumed too); fails past limit ones.
  int CountOnes(int limit) {
    int ones = 0;
    while (Available()) {
      const uint32_t top = left_ == 32 ? current_ : current_ << (32 - left_);
      const uint32_t inverted = ~top;
      const int run = inverted == 0 ? left_ : std::min(__builtin_clz(inverted), left_);
      ones += run;
      if (ones > limit) {
        ok_ = false;
        return 0;
      }
      if (run < left_) {
        left_ -= run + 1;
        if (left_ == 0) Advance();
        return ones;
      }
      Advance();
    }
    return 0;
  }

 private:
  bool Available() {
    if (index_ >= count_) ok_ = false;
    return ok_;
  }
  void Advance() {
    ++index_;
    left_ = 32;
    current_ = index_ < count_ ? words_[index_] : 0;
  }

  const uint32_t* words_;
  size_t count_;
  size_t index_ = 0;
  uint32_t current_ = 0;
  int left_ = 32;
  bool ok_ = true;
};

// Rice code with parameter k (0-6): v >> k one-bits, a zero-bit, then the k low bits of v.
inline void WriteRice(BitWriter& writer, uint8_t value, int k) {
  writer.PutOnes(value >> k);
  writer.Put(0, 1);
  if (k) writer.Put(value & ((1u << k) - 1), k);
}

// Decodes one Rice-coded byte; a value above 255 makes the reader fail.
inline uint8_t ReadRice(BitReader& reader, int k) {
  const int q = reader.CountOnes(255 >> k);
  const uint32_t low = k ? reader.Get(k) : 0;
  return uint8_t((uint32_t(q) << k) | low);
}

}  // namespace brae
