#pragma once
// Text that any XML 1.0 document may hold, whatever a caller put into a value.

#include <string>
#include <string_view>

// `text` as well-formed UTF-8 of characters XML 1.0 allows: a byte that does not start or
// continue a valid UTF-8 sequence (overlong forms and surrogates included) becomes U+FFFD, and
// characters XML 1.0 forbids (control characters other than tab, line feed and carriage
// return; U+FFFE and U+FFFF) are left out.
std::string XmlSafeText(std::string_view text);
