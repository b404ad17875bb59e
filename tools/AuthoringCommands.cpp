// `bookstub pack`, `unpack` and `restub`: the authoring side, done by package/Authoring.

#include <iostream>

#include "authoring/Authoring.h"
#include "tools/Commands.h"

namespace fs = std::filesystem;

int RunPackCommand(const AuthoringOptions& options) {
  PackBook(options.player, options.source, options.output);
  std::cout << "Packed " << options.source.string() << " onto " << options.player.string() << " as "
            << options.output.string() << '\n';
  return kExitOk;
}

int RunUnpackCommand(const fs::path& package, const fs::path& folder) {
  const TUnpackReport report = UnpackBook(package, folder);
  for (const std::string& note : report.notes) std::cerr << "bookstub: note: " << note << '\n';
  std::cout << "Unpacked " << package.string() << " into " << folder.string() << '\n';
  return kExitOk;
}

int RunRestubCommand(const AuthoringOptions& options) {
  RestubBook(options.player, options.source, options.output);
  std::cout << "Moved the book of " << options.source.string() << " onto "
            << options.player.string() << " as " << options.output.string() << '\n';
  return kExitOk;
}
