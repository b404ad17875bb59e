#include "util/Version.h"

#include "util/BuildVersion.h"

std::string VersionText(std::string_view program) {
  return std::string(program) + " " + kBookstubVersion + "\nFlash emulator: Ruffle " +
         kRuffleVersion;
}
