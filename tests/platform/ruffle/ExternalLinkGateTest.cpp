#include "platform/ruffle/ExternalLinkGate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::ExternalLinkGate;
using namespace std::chrono_literals;

// Times are made up: the gate is given the time, never reads a clock.
const ExternalLinkGate::Clock::time_point kStart{};

// A link opens only as the first web or mail link after a click or key press, while it is fresh.
struct GateCase {
  const char* name;
  std::vector<std::chrono::milliseconds> gestures;  // when the user clicked, from kStart
  std::vector<std::pair<std::chrono::milliseconds, std::string>> links;  // when and what scheme
  std::vector<bool> opened;
};

class ExternalLinkGateTest : public testing::TestWithParam<GateCase> {};

TEST_P(ExternalLinkGateTest, OpensOnlyWhatTheUserAskedFor) {
  const GateCase& c = GetParam();
  ExternalLinkGate gate;
  std::vector<bool> opened;
  std::size_t nextGesture = 0;
  for (const auto& [at, scheme] : c.links) {
    while (nextGesture < c.gestures.size() && c.gestures[nextGesture] <= at)
      gate.OnUserGesture(kStart + c.gestures[nextGesture++]);
    opened.push_back(gate.TakeLink(scheme, kStart + at));
  }
  EXPECT_EQ(opened, c.opened);
}

INSTANTIATE_TEST_SUITE_P(
    Links, ExternalLinkGateTest,
    testing::Values(
        GateCase{"NoClickNoLink",
                 {},
                 {{0ms, "http"}, {10ms, "https"}, {20ms, "mailto"}},
                 {false, false, false}},
        GateCase{"OneLinkPerClick",
                 {100ms},
                 {{150ms, "http"}, {160ms, "http"}, {170ms, "https"}},
                 {true, false, false}},
        GateCase{"EachClickOpensOne",
                 {100ms, 300ms},
                 {{200ms, "https"}, {250ms, "https"}, {400ms, "mailto"}},
                 {true, false, true}},
        GateCase{
            "ClicksDoNotAddUp", {100ms, 110ms}, {{200ms, "http"}, {210ms, "http"}}, {true, false}},
        GateCase{"StaleClickOpensNothing", {0ms}, {{5001ms, "http"}}, {false}},
        GateCase{"LaterClickStartsTheWindowAgain", {0ms, 4000ms}, {{6000ms, "https"}}, {true}},
        GateCase{"FreshAtTheEdge", {0ms}, {{5000ms, "http"}}, {true}},
        GateCase{"SchemeInAnyCase", {0ms}, {{1ms, "HTTPS"}}, {true}},
        GateCase{"LocalAndScriptLinksNeverOpenNorUseTheClick",
                 {0ms},
                 {{1ms, "file"},
                  {2ms, "javascript"},
                  {3ms, "bookstub"},
                  {4ms, "ftp"},
                  {5ms, ""},
                  {6ms, "http"}},
                 {false, false, false, false, false, true}}),
    [](const testing::TestParamInfo<GateCase>& info) { return std::string(info.param.name); });

// What reaches the user's programs: a mail link without anything that could make the mail
// program attach a file or add header lines; the fields a mail link is for, intact.
TEST(ExternalLinkGateLinkToOpen, MailLinksKeepRecipientsSubjectAndBodyOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"mailto:someone@example.org", "mailto:someone@example.org"},
      {"mailto:a@example.org,b@example.org?subject=Hello%20there&body=Line%201%0D%0ALine%202",
       "mailto:a@example.org,b@example.org?subject=Hello%20there&body=Line%201%0D%0ALine%202"},
      {"MAILTO:someone@example.org?CC=c@example.org&Bcc=d@example.org&to=e@example.org",
       "mailto:someone@example.org?cc=c@example.org&bcc=d@example.org&to=e@example.org"},
      {"mailto:someone@example.org?attach=/home/user/.ssh/id_rsa", "mailto:someone@example.org"},
      {"mailto:someone@example.org?subject=Hi&attachment=%2Fetc%2Fpasswd&body=x",
       "mailto:someone@example.org?subject=Hi&body=x"},
      {"mailto:someone@example.org?%61ttach=/etc/passwd&ATTACH=/etc/shadow&x-attach=f",
       "mailto:someone@example.org"},
      // A field hidden in the recipients, or a header line in the subject, goes.
      {"mailto:someone@example.org%3Fattach=/etc/passwd", "mailto:"},
      {"mailto:a@example.org?subject=Hi%0D%0AAttach:%20/etc/passwd", "mailto:a@example.org"},
      {"mailto:a@example.org?cc=b@example.org%26attach=/etc/passwd", "mailto:a@example.org"},
      {"mailto:a@example.org?subject=a+b%2B#fragment", "mailto:a@example.org?subject=a%2Bb%2B"},
      {"mailto:?subject=%E2%9C%93", "mailto:?subject=%E2%9C%93"},
  };
  for (const auto& [url, expected] : cases) {
    EXPECT_EQ(ExternalLinkGate::LinkToOpen(url), expected) << url;
  }
}

TEST(ExternalLinkGateLinkToOpen, WebLinksLoseOnlyTheEmptyQueryOfAForm) {
  const std::pair<const char*, const char*> cases[] = {
      {"https://example.org/leaf?", "https://example.org/leaf"},
      {"https://example.org/leaf", "https://example.org/leaf"},
      {"http://example.org/search?q=a%20b&attach=x", "http://example.org/search?q=a%20b&attach=x"},
      {"https://example.org/?#top", "https://example.org/?#top"},
  };
  for (const auto& [url, expected] : cases) {
    EXPECT_EQ(ExternalLinkGate::LinkToOpen(url), expected) << url;
  }
}

}  // namespace
