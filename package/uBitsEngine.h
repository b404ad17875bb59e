#pragma once
// Bit-level reading of a SWF header: unsigned and signed bit fields, most significant bit
// first, refilled one byte at a time from the stream, and the bit-packed stage rectangle.

#include <cstdint>
#include <istream>

#include "util/Geometry.h"

class TBitsEngine {
 public:
  // Borrows `stream`; reading past its end raises Error(kStreamReadError).
  explicit TBitsEngine(std::istream& stream) : stream_(stream) {}

  // `count` (0 .. 32) bits as an unsigned number.
  std::uint32_t GetBits(int count);
  // `count` (0 .. 32) bits whose top bit is the sign.
  std::int32_t GetSBits(int count);
  // A RECT record: 5-bit field size n, Xmin, Xmax, Ymin, Ymax as signed n-bit fields, then
  // aligned to the next whole byte. The edges span less than 2^31, so the width and height fit.
  Rect ReadRect();
  // Whole bytes from the stream (little-endian for the 16-bit value); not bit-aligned reads,
  // so call FlushBits first when bits were read.
  std::uint8_t ReadByte();
  std::uint16_t ReadWord();
  // Drops the unread bits of the current byte.
  void FlushBits() { bitsLeft_ = 0; }

 private:
  std::istream& stream_;
  std::uint8_t currentByte_ = 0;
  int bitsLeft_ = 0;
};
