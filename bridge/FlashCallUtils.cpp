#include "bridge/FlashCallUtils.h"

namespace {

constexpr std::string_view kDeclaration = R"(<?xml version="1.0" encoding="UTF-8"?> )";
constexpr std::string_view kScriptMarker = "function(";

}  // namespace

TFlashParamParser::TFlashParamParser(std::string_view request)
    : xml_(std::make_unique<platform::XmlDocument>()) {
  try {
    std::string text(kDeclaration);
    text += request;
    xml_->LoadFromText(text);
    invokeNode_ = xml_->Child("invoke");
    if (invokeNode_) argumentsNode_ = invokeNode_.Child("arguments");
  } catch (...) {
    // A malformed request only shows as an empty function name.
    invokeNode_ = {};
    argumentsNode_ = {};
  }
}

std::string TFlashParamParser::GetFunctionName() const {
  if (!invokeNode_) return {};
  return invokeNode_.Attribute("name").value_or(std::string());
}

std::optional<std::string> TFlashParamParser::GetStringArgument() const {
  if (!argumentsNode_) return std::nullopt;
  std::optional<std::string> argument;
  for (const platform::XmlNode& child : argumentsNode_.Children()) {
    if (!child.IsElement()) continue;
    if (argument || child.Name() != "string") return std::nullopt;
    argument = child.Text();
  }
  return argument;
}

FlashCallAction DecideFlashCall(std::string_view request) {
  if (request.find(kScriptMarker) != std::string_view::npos) return FlashCallAction::Ignore;
  const TFlashParamParser parser(request);
  const std::string name = parser.GetFunctionName();
  if (name == kFullscreenCommand) return FlashCallAction::ToggleFullscreen;
  if (name == kDownloadCommand && parser.GetStringArgument()) return FlashCallAction::SaveDownload;
  return FlashCallAction::Ignore;
}

std::optional<std::string> DownloadRequestPath(std::string_view request) {
  if (DecideFlashCall(request) != FlashCallAction::SaveDownload) return std::nullopt;
  return TFlashParamParser(request).GetStringArgument();
}
