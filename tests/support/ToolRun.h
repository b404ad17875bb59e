#pragma once
// Our command-line programs run as a user's shell runs them, and what they wrote read back.

#include <filesystem>
#include <string>

namespace testsupport {

// The whole file; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& file);

struct ToolOutcome {
  int exitCode = -1;  // -1 when the program did not end by itself
  std::string out;
  std::string err;
};

// Runs `'tool' arguments` through the shell with no input, after `prefix` (settings such as
// "NAME=value ", or "cd DIR && "); its output and errors are kept in `folder`/out and /err.
ToolOutcome RunTool(const std::filesystem::path& tool, const std::string& arguments,
                    const std::filesystem::path& folder, const std::string& prefix = "");

}  // namespace testsupport
