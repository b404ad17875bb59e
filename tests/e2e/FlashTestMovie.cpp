#include "tests/e2e/FlashTestMovie.h"

#include "tests/support/Avm1Writer.h"

namespace e2e {

using testsupport::Avm1Actions;
using testsupport::Avm1Path;

std::string FlashTestMovie(int delayFrames, bool repeatFullscreen) {
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
      .CallExternal("fullscreen_error");
  if (!repeatFullscreen) {
    calls.Stop();
    movie.AddFrame(calls);
    return movie.Bytes();
  }
  movie.AddFrame(calls);
  const auto repeatFrame = static_cast<std::uint16_t>(waitFrame + 2);
  Avm1Actions repeat;
  repeat.CallExternal("fullscreen_error");
  movie.AddFrame(repeat);
  Avm1Actions loop;
  loop.GotoFrame(repeatFrame).Play();
  movie.AddFrame(loop);
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

std::string ContainmentTestMovie(const ContainmentTargets& targets) {
  testsupport::Avm1MovieWriter movie({.width = kTestStageWidth,
                                      .height = kTestStageHeight,
                                      .framesPerSecond = 10,
                                      .version = 8,
                                      .backgroundRgb = 0x2060A0});
  // Were any of these run, the page's title would be "script ran".
  const std::string script = "javascript:void(document.title='script ran')";
  // One script link per frame and none with the other navigations: a later navigation cancels
  // a script link still waiting to run.
  for (const char* target : {"", "_self"}) {
    Avm1Actions scriptLink;
    scriptLink.GetUrl(script, target);
    movie.AddFrame(scriptLink);
  }
  Avm1Actions tries;
  const auto load = [&tries](const char* clip, std::int32_t depth, const char* method,
                             const std::string& url) {
    tries.CallMethod("_root", "createEmptyMovieClip", {std::string(clip), depth})
        .CallMethod(clip, method, {url});
  };
  load("text", 1, "loadVariables", targets.secretTextUrl);
  load("remote", 2, "loadVariables", targets.listenerUrl + "variables");
  load("listing", 3, "loadVariables", targets.folderUrl);
  load("picture", 4, "loadMovie", targets.secretImageUrl);
  load("remotePicture", 5, "loadMovie", targets.listenerUrl + "picture.png");
  load("log", 6, "loadVariables", kPrivateLogPath);
  load("logCase", 7, "loadVariables", "LOG/Log1.TXT");
  load("own", 8, "loadVariables", kOwnVariablesPath);
  tries.GetUrl(targets.secretTextUrl, "")
      .GetUrl(targets.folderUrl, "_blank")
      .GetUrl(targets.listenerUrl + "navigation", "");
  for (int i = 0; i < 10; ++i) {
    tries.GetUrl(targets.listenerUrl + "burst", "")
        .GetUrl(targets.listenerUrl + "popup", "_blank")
        .GetUrl("mailto:someone@127.0.0.1", "")
        .GetUrlSendingVariables(targets.listenerUrl + "form", "", i % 2 == 0)
        .GetUrlSendingVariables("mailto:someone@127.0.0.1?attach=/etc/passwd", "", false);
  }
  // The host page again, told by its address to play another movie of the book.
  tries.GetUrl("bookstub://player/host/index.html?movie=" +
                   std::string("bookstub%3A%2F%2Fplayer%2Fbook%2F") + kOtherMoviePath,
               "");
  movie.AddFrame(tries);
  movie.AddEmptyFrames(20);

  Avm1Actions report;
  report.CallExternal(
      "probed", {Avm1Path{"text.secret"}, Avm1Path{"remote.secret"}, Avm1Path{"listing.secret"},
                 Avm1Path{"picture._width"}, Avm1Path{"remotePicture._width"},
                 Avm1Path{"log.secret"}, Avm1Path{"logCase.secret"}, Avm1Path{"own.secret"}});
  movie.AddFrame(report);

  const auto linkFrame = static_cast<std::uint16_t>(24);
  Avm1Actions link;
  link.GetUrl(targets.listenerUrl + "link", "").CallExternal("tick");
  movie.AddFrame(link);
  Avm1Actions loopBack;
  loopBack.GotoFrame(linkFrame).Play();
  movie.AddFrame(loopBack);
  return movie.Bytes();
}

std::string ExpectedProbedRequest() {
  return "<invoke name=\"probed\" returntype=\"xml\"><arguments><undefined/><undefined/>"
         "<undefined/><number>0</number><number>0</number><undefined/><undefined/>"
         "<string>own</string></arguments></invoke>";
}

std::string HijackTestMovie() {
  testsupport::Avm1MovieWriter movie({.width = kTestStageWidth,
                                      .height = kTestStageHeight,
                                      .framesPerSecond = 10,
                                      .version = 8,
                                      .backgroundRgb = 0xA02020});
  Avm1Actions hijacked;
  hijacked.CallExternal("hijacked").Stop();
  movie.AddFrame(hijacked);
  return movie.Bytes();
}

}  // namespace e2e
