#include "tests/support/Avm1Writer.h"

#include <sstream>

namespace testsupport {
namespace {

void AppendUInt16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void AppendUInt32(std::string& out, std::uint32_t value) {
  AppendUInt16(out, value & 0xFFFF);
  AppendUInt16(out, value >> 16);
}

std::vector<std::string> SplitDotted(const std::string& dotted) {
  std::vector<std::string> parts;
  std::stringstream stream(dotted);
  for (std::string part; std::getline(stream, part, '.');) parts.push_back(part);
  return parts;
}

std::string Tag(std::uint16_t code, std::string_view body) {
  std::string out;
  if (body.size() < 0x3F) {
    AppendUInt16(out,
                 static_cast<std::uint32_t>(code << 6) | static_cast<std::uint32_t>(body.size()));
  } else {
    AppendUInt16(out, static_cast<std::uint32_t>(code << 6) | 0x3F);
    AppendUInt32(out, static_cast<std::uint32_t>(body.size()));
  }
  out += body;
  return out;
}

std::string StageRect(int width, int height) {
  constexpr int kBits = 16;
  std::string rect;
  std::uint32_t acc = 0;
  int count = 0;
  const auto put = [&](std::uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      acc = (acc << 1) | ((value >> i) & 1u);
      if (++count == 8) {
        rect += static_cast<char>(acc);
        acc = 0;
        count = 0;
      }
    }
  };
  put(kBits, 5);
  put(0, kBits);
  put(static_cast<std::uint32_t>(width * 20), kBits);
  put(0, kBits);
  put(static_cast<std::uint32_t>(height * 20), kBits);
  if (count) put(0, 8 - count);
  return rect;
}

}  // namespace

Avm1Actions& Avm1Actions::Op(std::uint8_t code) {
  bytes_ += static_cast<char>(code);
  return *this;
}

Avm1Actions& Avm1Actions::OpWithData(std::uint8_t code, std::string_view data) {
  Op(code);
  AppendUInt16(bytes_, static_cast<std::uint32_t>(data.size()));
  bytes_ += data;
  return *this;
}

Avm1Actions& Avm1Actions::Push(const Avm1Value& value) {
  if (const auto* path = std::get_if<Avm1Path>(&value)) {
    const auto parts = SplitDotted(path->dotted);
    Push(parts.at(0));
    Op(0x1C);  // GetVariable
    for (std::size_t i = 1; i < parts.size(); ++i) {
      Push(parts[i]);
      Op(0x4E);  // GetMember
    }
    return *this;
  }
  std::string data;
  if (const auto* text = std::get_if<std::string>(&value)) {
    data += '\0';
    data += *text;
    data += '\0';
  } else if (const auto* number = std::get_if<std::int32_t>(&value)) {
    data += '\x07';
    AppendUInt32(data, static_cast<std::uint32_t>(*number));
  } else if (const auto* flag = std::get_if<bool>(&value)) {
    data += '\x05';
    data += static_cast<char>(*flag ? 1 : 0);
  } else {
    data += '\x02';  // null
  }
  return OpWithData(0x96, data);
}

Avm1Actions& Avm1Actions::GotoFrame(std::uint16_t zeroBasedFrame) {
  std::string data;
  AppendUInt16(data, zeroBasedFrame);
  return OpWithData(0x81, data);
}

Avm1Actions& Avm1Actions::UnlessTrue(const Avm1Actions& skipped) {
  std::string offset;
  AppendUInt16(offset, static_cast<std::uint32_t>(skipped.Size()));
  OpWithData(0x9D, offset);  // If: jump over `skipped` when true
  bytes_ += skipped.bytes_;
  return *this;
}

Avm1Actions& Avm1Actions::CallMethod(std::string_view object, std::string_view method,
                                     const std::vector<Avm1Value>& args) {
  for (auto it = args.rbegin(); it != args.rend(); ++it) Push(*it);
  Push(static_cast<std::int32_t>(args.size()));
  Push(Avm1Path{std::string(object)});
  Push(std::string(method));
  Op(0x52);  // CallMethod
  return Pop();
}

Avm1Actions& Avm1Actions::SetMember(std::string_view object, std::string_view member,
                                    const Avm1Value& value) {
  Push(Avm1Path{std::string(object)});
  Push(std::string(member));
  Push(value);
  return Op(0x4F);  // SetMember
}

Avm1Actions& Avm1Actions::GetUrl(std::string_view url, std::string_view target) {
  std::string data(url);
  data += '\0';
  data += target;
  data += '\0';
  return OpWithData(0x83, data);  // GetURL
}

Avm1Actions& Avm1Actions::GetUrlSendingVariables(std::string_view url, std::string_view target,
                                                 bool post) {
  Push(std::string(url)).Push(std::string(target));
  // GetURL2's flags as players read them (the file format's description has them the other way
  // round): the method in the two low bits (1 GET, 2 POST); the top two bits, clear, would
  // load variables or a movie instead.
  return OpWithData(0x9A, std::string(1, post ? '\x02' : '\x01'));
}

Avm1Actions& Avm1Actions::CallExternal(std::string_view name, const std::vector<Avm1Value>& args) {
  std::vector<Avm1Value> all{std::string(name)};
  all.insert(all.end(), args.begin(), args.end());
  return CallMethod("flash.external.ExternalInterface", "call", all);
}

void Avm1MovieWriter::AddEmptyFrames(int count) {
  for (int i = 0; i < count; ++i) frames_.emplace_back();
}

std::string Avm1MovieWriter::Bytes() const {
  std::string body = StageRect(spec_.width, spec_.height);
  AppendUInt16(body, static_cast<std::uint32_t>(spec_.framesPerSecond) << 8);
  AppendUInt16(body, static_cast<std::uint32_t>(frames_.size()));

  body += Tag(69, std::string(4, '\0'));  // FileAttributes: AVM1, no network flags
  std::string rgb;
  rgb += static_cast<char>((spec_.backgroundRgb >> 16) & 0xFF);
  rgb += static_cast<char>((spec_.backgroundRgb >> 8) & 0xFF);
  rgb += static_cast<char>(spec_.backgroundRgb & 0xFF);
  body += Tag(9, rgb);  // SetBackgroundColor
  for (const std::string& actions : frames_) {
    if (!actions.empty()) body += Tag(12, actions);  // DoAction
    body += Tag(1, {});                              // ShowFrame
  }
  body += Tag(0, {});  // End

  std::string file = "FWS";
  file += static_cast<char>(spec_.version);
  AppendUInt32(file, static_cast<std::uint32_t>(8 + body.size()));
  return file + body;
}

}  // namespace testsupport
