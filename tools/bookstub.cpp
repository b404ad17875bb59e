// bookstub: splits a book package into a working folder the way the player does, and inspects
// packages. Options are parsed with CLI11; the work is done by the core libraries.

#include <CLI/CLI.hpp>

#include <iostream>

#include "tools/Commands.h"

namespace {

struct Arguments {
  SplitOptions split;
  std::filesystem::path package;
  bool json = false;
};

void AddSplit(CLI::App& app, Arguments& args) {
  auto* split = app.add_subcommand(
      "split", "Split PACKAGE into the working folder ROOT (ROOT/files/ is the book root)");
  split->add_flag("--messages", args.split.messages,
                  "Print one stdout line per window message: WM_BOOK_TITLE <title>, "
                  "WM_BOOK_PROGRESS <wParam> <lParam>, WM_BOOK_LOADED");
  split->add_option("PACKAGE", args.split.package, "Player executable with its book package")
      ->required();
  split->add_option("ROOT", args.split.root, "Working folder root; created when missing, kept")
      ->required();
}

void AddInfo(CLI::App& app, Arguments& args) {
  auto* info = app.add_subcommand(
      "info", "Show the title, the page count and every blob the two documents address");
  info->add_flag("--json", args.json, "Print the report as one JSON object");
  info->add_option("PACKAGE", args.package, "Player executable with its book package")->required();
}

void AddBook(CLI::App& app, Arguments& args) {
  auto* book = app.add_subcommand("book", "Print the book document in its canonical form");
  book->add_option("PACKAGE", args.package, "Player executable with its book package")->required();
}

int Dispatch(const CLI::App& app, const Arguments& args) {
  if (app.got_subcommand("split")) return RunSplitCommand(args.split);
  if (!CheckPackageReadable(args.package)) return kExitFailed;
  if (app.got_subcommand("info")) return RunInfoCommand(args.package, args.json);
  return RunBookCommand(args.package);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"bookstub: split and inspect book packages", "bookstub"};
  app.require_subcommand(1);
  Arguments args;
  AddSplit(app, args);
  AddInfo(app, args);
  AddBook(app, args);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? kExitOk : kExitUsage;
  }
  try {
    return Dispatch(app, args);
  } catch (const std::exception& e) {
    std::cerr << "bookstub: " << e.what() << '\n';
    return kExitFailed;
  }
}
