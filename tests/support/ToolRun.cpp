#include "tests/support/ToolRun.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace testsupport {

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ToolOutcome RunTool(const std::filesystem::path& tool, const std::string& arguments,
                    const std::filesystem::path& folder, const std::string& prefix) {
  const std::string command = prefix + "'" + tool.string() + "' " + arguments + " >'" +
                              (folder / "out").string() + "' 2>'" + (folder / "err").string() +
                              "' </dev/null";
  const int status = std::system(command.c_str());
  ToolOutcome outcome;
  outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.out = ReadFile(folder / "out");
  outcome.err = ReadFile(folder / "err");
  return outcome;
}

}  // namespace testsupport
