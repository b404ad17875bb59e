#include "tests/e2e/FlashTestMovie.h"

#include "tests/support/Avm1Writer.h"

namespace e2e {

using testsupport::Avm1Actions;
using testsupport::Avm1Path;

std::string FlashTestMovie(int delayFrames) {
  testsupport::Avm1MovieWriter movie({.width = kTestStageWidth,
                                      .height = kTestStageHeight,
                                      .framesPerSecond = 10,
                                      .version = 8,
                                      .backgroundRgb = 0x2060A0});
  Avm1Actions setup;
  setup.CallMethod("_root", "createEmptyMovieClip", {std::string("page"), std::int32_t{1}})
      .SetMember("page", "_x", std::int32_t{(kTestStageWidth - kTestPageWidth) / 2})
      .SetMember("page", "_y", std::int32_t{(kTestStageHeight - kTestPageHeight) / 2})
      .CallMethod("page", "loadMovie", {std::string(kTestPagePath)});
  movie.AddFrame(setup);
  movie.AddEmptyFrames(delayFrames);

  // Until the picture has a width, go back one frame and come here again.
  const auto waitFrame = static_cast<std::uint16_t>(delayFrames + 1);
  Avm1Actions loopBack;
  loopBack.GotoFrame(static_cast<std::uint16_t>(waitFrame - 1)).Play();
  Avm1Actions wait;
  wait.Push(Avm1Path{"page._width"}).Push(std::int32_t{0}).Greater().UnlessTrue(loopBack);
  movie.AddFrame(wait);

  Avm1Actions calls;
  calls
      .CallExternal("page_loaded",
                    {std::string(kTestPagePath), Avm1Path{"page._width"}, Avm1Path{"page._height"},
                     true, false, nullptr, std::string("<&\"'>")})
      .CallExternal("fullscreen_error")
      .Stop();
  movie.AddFrame(calls);
  return movie.Bytes();
}

std::string ExpectedPageLoadedRequest() {
  return "<invoke name=\"page_loaded\" returntype=\"xml\"><arguments><string>" +
         std::string(kTestPagePath) + "</string><number>" + std::to_string(kTestPageWidth) +
         "</number><number>" + std::to_string(kTestPageHeight) +
         "</number><true/><false/><null/><string>&lt;&amp;&quot;&apos;&gt;</string>"
         "</arguments></invoke>";
}

std::string ExpectedFullscreenRequest() {
  return "<invoke name=\"fullscreen_error\" returntype=\"xml\"><arguments></arguments></invoke>";
}

}  // namespace e2e
