#pragma once
// Writes small uncompressed SWF movies with AVM1 bytecode (DoAction tags), for tests that need a
// movie the emulator really runs: external calls, relative loads, frame loops.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace testsupport {

// A value read at run time, by dotted path from the timeline: "page._width",
// "flash.external.ExternalInterface".
struct Avm1Path {
  std::string dotted;
};

using Avm1Value = std::variant<std::string, std::int32_t, bool, std::nullptr_t, Avm1Path>;

// The actions of one DoAction tag.
class Avm1Actions {
 public:
  Avm1Actions& Push(const Avm1Value& value);
  Avm1Actions& Pop() { return Op(0x17); }
  Avm1Actions& Stop() { return Op(0x07); }
  Avm1Actions& Play() { return Op(0x06); }
  Avm1Actions& Not() { return Op(0x12); }
  Avm1Actions& Greater() { return Op(0x67); }
  Avm1Actions& GotoFrame(std::uint16_t zeroBasedFrame);
  // Runs `skipped` only when the value on the stack is false.
  Avm1Actions& UnlessTrue(const Avm1Actions& skipped);

  // object.method(args...) with the result dropped; `object` is a dotted path.
  Avm1Actions& CallMethod(std::string_view object, std::string_view method,
                          const std::vector<Avm1Value>& args);
  // object.member = value.
  Avm1Actions& SetMember(std::string_view object, std::string_view member, const Avm1Value& value);
  // getURL(url, target): opens `url` in the window named `target` ("" for the movie's own).
  Avm1Actions& GetUrl(std::string_view url, std::string_view target);
  // getURL(url, target, "GET" or "POST"): the movie's variables go along, so the emulator
  // submits a form to `url`.
  Avm1Actions& GetUrlSendingVariables(std::string_view url, std::string_view target, bool post);
  // flash.external.ExternalInterface.call(name, args...).
  Avm1Actions& CallExternal(std::string_view name, const std::vector<Avm1Value>& args = {});

  // The bytecode with the closing ActionEnd.
  std::string Bytes() const { return bytes_ + '\0'; }
  std::size_t Size() const { return bytes_.size(); }

 private:
  Avm1Actions& Op(std::uint8_t code);
  Avm1Actions& OpWithData(std::uint8_t code, std::string_view data);
  std::string bytes_;
};

struct Avm1MovieSpec {
  int width = 900;
  int height = 600;
  int framesPerSecond = 12;
  std::uint8_t version = 8;
  std::uint32_t backgroundRgb = 0x404040;
};

// A movie of frames, each with its optional actions.
class Avm1MovieWriter {
 public:
  explicit Avm1MovieWriter(Avm1MovieSpec movie = {}) : spec_(movie) {}
  void AddFrame(const Avm1Actions& actions) { frames_.push_back(actions.Bytes()); }
  void AddEmptyFrames(int count);
  // The whole file: "FWS" header, stage rectangle, FileAttributes, background, frames, End.
  std::string Bytes() const;

 private:
  Avm1MovieSpec spec_;
  std::vector<std::string> frames_;  // DoAction bodies; empty for a frame without actions
};

}  // namespace testsupport
