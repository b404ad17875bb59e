#include "package/uBitsEngine.h"

#include "util/Error.h"

std::uint8_t TBitsEngine::ReadByte() {
  const auto value = stream_.get();
  if (value == std::istream::traits_type::eof()) throw Error(kStreamReadError);
  return static_cast<std::uint8_t>(value);
}

std::uint16_t TBitsEngine::ReadWord() {
  const std::uint16_t low = ReadByte();
  const std::uint16_t high = ReadByte();
  return static_cast<std::uint16_t>(low | (high << 8));
}

std::uint32_t TBitsEngine::GetBits(int count) {
  if (count < 0 || count > 32) throw Error("Invalid bit count " + std::to_string(count));
  std::uint32_t result = 0;
  for (int i = 0; i < count; ++i) {
    if (bitsLeft_ == 0) {
      currentByte_ = ReadByte();
      bitsLeft_ = 8;
    }
    --bitsLeft_;
    result = (result << 1) | ((currentByte_ >> bitsLeft_) & 1u);
  }
  return result;
}

std::int32_t TBitsEngine::GetSBits(int count) {
  std::uint32_t value = GetBits(count);
  const bool negative = count > 0 && ((value >> (count - 1)) & 1u) != 0;
  if (negative && count < 32) value |= ~0u << count;
  return static_cast<std::int32_t>(value);
}

Rect TBitsEngine::ReadRect() {
  const int size = static_cast<int>(GetBits(5));
  const std::int32_t xMin = GetSBits(size);
  const std::int32_t xMax = GetSBits(size);
  const std::int32_t yMin = GetSBits(size);
  const std::int32_t yMax = GetSBits(size);
  FlushBits();
  return Rect{xMin, yMin, xMax - xMin, yMax - yMin};
}
