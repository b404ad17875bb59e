// Fuzz harness of the movie's external-call requests: the request parser and the decision the
// player takes on a request. A request that toggles full screen or asks for a download must be
// the exact command and carry no script text, whatever else it contains; a download names its
// file by one string argument. Seeds are requests as the emulator sends
// them, and the malformed and hostile variants the parser must shrug off.

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/FlashCallUtils.h"
#include "fuzz/FuzzHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view request(reinterpret_cast<const char*>(data), size);
  const TFlashParamParser parser(request);
  const std::string name = parser.GetFunctionName();
  (void)parser.HasArguments();
  if (DecideFlashCall(request) == FlashCallAction::ToggleFullscreen &&
      (name != kFullscreenCommand || request.find("function(") != std::string_view::npos)) {
    std::fprintf(stderr, "request toggles full screen under the name \"%s\"\n", name.c_str());
    std::abort();
  }
  const std::optional<std::string> download = DownloadRequestPath(request);
  if (download &&
      (name != kDownloadCommand || request.find("function(") != std::string_view::npos ||
       parser.GetStringArgument() != download)) {
    std::fprintf(stderr, "request downloads under the name \"%s\"\n", name.c_str());
    std::abort();
  }
  return 0;
}

namespace {

std::string Invoke(const std::string& name, const std::string& arguments = "<arguments/>") {
  return "<invoke name=\"" + name + "\" returntype=\"xml\">" + arguments + "</invoke>";
}

}  // namespace

std::vector<std::string> FuzzSeeds() {
  return {
      Invoke("fullscreen_error"),
      Invoke("fullscreen_error",
             "<arguments><string>x</string><number>1</number><true/>"
             "<null/><undefined/><object><property id=\"a\"><false/>"
             "</property></object><array/></arguments>"),
      Invoke("fullscreen_error", "<arguments><string>function(){}</string></arguments>"),
      Invoke("FullScreen_Error"),
      Invoke("download_file", "<arguments><string>res/downloads/a.pdf</string></arguments>"),
      Invoke("download_file", "<arguments><string>a</string><string>b</string></arguments>"),
      Invoke("download_file", "<arguments><string>../../etc/passwd</string></arguments>"),
      Invoke("gr\xC3\xBC\xC3\x9F"),
      Invoke("&quot;fullscreen&#95;error&#x22;"),
      "<?xml version=\"1.0\"?><invoke name=\"fullscreen_error\"/>",
      "<!DOCTYPE invoke [<!ENTITY e \"fullscreen_error\">]><invoke name=\"&e;\"/>",
      "<invoke name=\"fullscreen_error\"><arguments>",
      "<outer><invoke name=\"fullscreen_error\"/></outer>",
      "<invoke name=\"a\"/><invoke name=\"fullscreen_error\"/>",
      "<invoke name='fullscreen_error' name='x'/>",
      std::string("<invoke name=\"fullscreen_error\0\"/>", 34),
      "\xEF\xBB\xBF<invoke name=\"fullscreen_error\"/>",
      "",
  };
}
