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

FlashCallAction DecideFlashCall(std::string_view request) {
  if (request.find(kScriptMarker) != std::string_view::npos) return FlashCallAction::Ignore;
  const TFlashParamParser parser(request);
  return parser.GetFunctionName() == kFullscreenCommand ? FlashCallAction::ToggleFullscreen
                                                        : FlashCallAction::Ignore;
}
