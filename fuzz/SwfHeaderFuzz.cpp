// Fuzz harness of the SWF header reader (TSWFStreamReader::LoadFromStream), once skipping and
// once keeping the body. Seeds are movies written by the test SWF writer, plain and compressed,
// with small, large and negative stage rectangles, and damaged variants of them.

#include <sstream>
#include <string>
#include <vector>

#include "fuzz/FuzzHarness.h"
#include "package/uSWFStreamReader.h"
#include "tests/support/SwfWriter.h"
#include "util/Error.h"

namespace {

void Read(const std::string& bytes, TSwfBody body) {
  TSWFStreamReader reader({}, body);
  std::istringstream stream(bytes);
  try {
    reader.LoadFromStream(stream);
  } catch (const Error&) {
    return;  // damaged or truncated compressed data
  }
  // Every reading of a loaded header must be safe.
  (void)reader.Width();
  (void)reader.Height();
  (void)reader.FileLength();
  (void)reader.Body().size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  Read(bytes, TSwfBody::Skip);
  Read(bytes, TSwfBody::Keep);
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  using testsupport::SwfWriter;
  const SwfWriter small = SwfWriter().StagePixels(900, 600).ShowFrame();
  const SwfWriter large = SwfWriter()
                              .Version(6)
                              .StageTwips(-1073741824, 1073741823, -20, 20)
                              .FrameRate(0xFFFF)
                              .FrameCount(0xFFFF)
                              .AddTag(12, std::string(80, 'x'))
                              .ShowFrame();
  const SwfWriter empty = SwfWriter().StageTwips(0, 0, 0, 0).FrameCount(0);

  std::vector<std::string> seeds = {small.Fws(), small.Cws(), large.Fws(),
                                    large.Cws(), empty.Fws(), empty.Cws()};
  const std::string cws = large.Cws();
  seeds.push_back(cws.substr(0, cws.size() / 2));  // truncated compressed stream
  std::string corrupt = cws;
  corrupt[10] = static_cast<char>(corrupt[10] ^ 0x5A);  // damaged zlib data
  seeds.push_back(corrupt);
  seeds.push_back("ZWS" + small.Fws().substr(3));  // another signature
  seeds.push_back("FWS");
  seeds.push_back("");
  return seeds;
}
