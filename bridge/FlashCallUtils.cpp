#include "bridge/FlashCallUtils.h"

namespace {

constexpr std::string_view kDeclaration = R"(<?xml version="1.0" encoding="UTF-8"?> )";
constexpr std::string_view kScriptMarker = "function(";

}  // namespace

TFlashParamParser::TFlashParamParser(std::string_view request)
    : FXML(std::make_unique<platform::XmlDocument>()) {
  try {
    std::string text(kDeclaration);
    text += request;
    FXML->LoadFromText(text);
    FInvokeNode = FXML->Child("invoke");
    if (FInvokeNode) FArgumentsNode = FInvokeNode.Child("arguments");
  } catch (...) {
    // A malformed request only shows as an empty function name.
    FInvokeNode = {};
    FArgumentsNode = {};
  }
}

std::string TFlashParamParser::GetFunctionName() const {
  if (!FInvokeNode) return {};
  return FInvokeNode.Attribute("name").value_or(std::string());
}

FlashCallAction DecideFlashCall(std::string_view request) {
  if (request.find(kScriptMarker) != std::string_view::npos) return FlashCallAction::Ignore;
  const TFlashParamParser parser(request);
  return parser.GetFunctionName() == kFullscreenCommand ? FlashCallAction::ToggleFullscreen
                                                        : FlashCallAction::Ignore;
}
