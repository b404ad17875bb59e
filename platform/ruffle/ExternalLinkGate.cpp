#include "platform/ruffle/ExternalLinkGate.h"

#include <array>
#include <string>

#include "util/AsciiCase.h"

namespace platform {
namespace {

constexpr std::string_view kMailto = "mailto:";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecoded(std::string_view text) {
  std::string decoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = HexValue(text[i + 1]);
      const int low = HexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    decoded += text[i];
  }
  return decoded;
}

// Everything but letters, digits and the few marks an address or a text needs bare is escaped,
// so that no separator of the address survives inside a field.
std::string PercentEncoded(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool bare = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '.' || c == '_' || c == '~' || c == '@' || c == ',';
    if (bare) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0x0F];
    }
  }
  return encoded;
}

// Control characters: line breaks would start new header lines in the mail program; a text
// (the body) may keep its line breaks and tabs.
bool HasControl(std::string_view text, bool textAllowsLineBreaks) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (textAllowsLineBreaks && (c == '\r' || c == '\n' || c == '\t')) continue;
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

// Decoded recipients that cannot hide a field or a header line of their own.
bool AreSafeRecipients(std::string_view decoded) {
  return decoded.find_first_of("?&#") == std::string_view::npos && !HasControl(decoded, false);
}

std::string MailLinkToOpen(std::string_view url) {
  std::string_view rest = url.substr(kMailto.size());
  rest = rest.substr(0, rest.find('#'));
  const std::size_t queryStart = rest.find('?');
  std::string result(kMailto);
  const std::string recipients = PercentDecoded(rest.substr(0, queryStart));
  if (AreSafeRecipients(recipients)) result += PercentEncoded(recipients);
  bool anyField = false;
  std::string_view query =
      queryStart == std::string_view::npos ? std::string_view() : rest.substr(queryStart + 1);
  while (!query.empty()) {
    const std::size_t end = query.find('&');
    const std::string_view item = query.substr(0, end);
    query = end == std::string_view::npos ? std::string_view() : query.substr(end + 1);
    const std::size_t equals = item.find('=');
    const std::string key = PercentDecoded(item.substr(0, equals));
    const std::string value =
        equals == std::string_view::npos ? std::string() : PercentDecoded(item.substr(equals + 1));
    static constexpr std::array<std::string_view, 5> kKept{"to", "cc", "bcc", "subject", "body"};
    bool kept = false;
    for (std::string_view name : kKept) kept = kept || SameTextAscii(key, name);
    const bool isBody = SameTextAscii(key, "body");
    if (!kept || HasControl(value, isBody)) continue;
    if (!isBody && !SameTextAscii(key, "subject") && !AreSafeRecipients(value)) continue;
    result += anyField ? '&' : '?';
    result += PercentEncoded(AsciiLowerCase(key)) + '=' + PercentEncoded(value);
    anyField = true;
  }
  return result;
}

}  // namespace

bool ExternalLinkGate::IsExternalScheme(std::string_view scheme) {
  static constexpr std::array<std::string_view, 3> kSchemes{"http", "https", "mailto"};
  for (std::string_view known : kSchemes) {
    if (SameTextAscii(scheme, known)) return true;
  }
  return false;
}

std::string ExternalLinkGate::LinkToOpen(std::string_view url) {
  if (url.size() >= kMailto.size() && SameTextAscii(url.substr(0, kMailto.size()), kMailto))
    return MailLinkToOpen(url);
  if (url.ends_with('?')) url.remove_suffix(1);
  return std::string(url);
}

bool ExternalLinkGate::TakeLink(std::string_view scheme, Clock::time_point now) {
  return IsExternalScheme(scheme) && gestures_.Take(now);
}

}  // namespace platform
