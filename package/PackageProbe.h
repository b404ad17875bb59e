#pragma once
// Whether a file carries a book package, told from its last bytes alone, so that a bare player
// (nothing appended) and a file that is no book are turned away before a working folder exists.

#include <filesystem>
#include <string>

struct TPackageProbe {
  enum class TKind {
    Carries,     // the two documents at its end are in place
    None,        // readable, but no book package is appended to it
    Unreadable,  // missing, not a regular file, or cannot be opened
  };
  TKind kind = TKind::None;
  std::string reason;  // for Unreadable: why, naming the file
};

// Carries when the file's last four bytes give a non-empty project document that fits in the
// file, the book document's length before it fits too, and the project document begins like
// XML (a '<' after an optional byte-order mark and white space). Reads at most a few hundred
// bytes, whatever the lengths claim; never raises.
TPackageProbe ProbePackage(const std::filesystem::path& file);

// What the player and the authoring tool say of a readable file that carries no book (here, so
// that the player's start decisions use it without linking the package reader).
inline std::string CarriesNoBookMessage(const std::filesystem::path& file) {
  return "\"" + file.string() + "\" carries no book: no book package is appended to it.";
}
