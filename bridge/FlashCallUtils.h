#pragma once
// The viewer movie's external calls: the request parser and the one command the player accepts.

#include <memory>
#include <string>
#include <string_view>

#include "platform/Xml.h"

// Reads the function name of an external-call request:
// <invoke name="..." returntype="xml"><arguments>...</arguments></invoke>.
// Construction never fails; a request that is not well-formed has no invoke node.
class TFlashParamParser {
 public:
  explicit TFlashParamParser(std::string_view request);
  TFlashParamParser(const TFlashParamParser&) = delete;
  TFlashParamParser& operator=(const TFlashParamParser&) = delete;

  // The invoke element's name attribute; empty when there is none.
  std::string GetFunctionName() const;
  bool HasArguments() const { return static_cast<bool>(argumentsNode_); }

 private:
  std::unique_ptr<platform::XmlDocument> xml_;
  platform::XmlNode invokeNode_;
  platform::XmlNode argumentsNode_;
};

inline constexpr std::string_view kFullscreenCommand = "fullscreen_error";

// What the player does with one external call of the movie.
enum class FlashCallAction { Ignore, ToggleFullscreen };

// Requests that carry script text ("function(") are ignored whatever their name; otherwise only
// the exact, case-sensitive name "fullscreen_error" toggles full screen.
FlashCallAction DecideFlashCall(std::string_view request);
