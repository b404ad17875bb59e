// bookstub: splits a book package into a working folder the way the player does, inspects
// packages, and makes them: packs a source book onto a player, unpacks a package into a source
// book, moves a package onto another player, makes a book from page pictures; exports a book as a
// web site and serves such a site on this machine. Options are parsed with CLI11; the work is
// done by the core libraries.

#include <CLI/CLI.hpp>

#include <clocale>
#include <iostream>

#include "platform/Image.h"
#include "tools/Commands.h"
#include "util/Version.h"

namespace {

struct Arguments {
  SplitOptions split;
  AuthoringOptions authoring;
  MakeOptions make;
  ExportOptions exporting;
  bool noCompressedCopies = false;
  std::filesystem::path package;
  std::filesystem::path folder;
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

void AddPack(CLI::App& app, Arguments& args) {
  auto* pack = app.add_subcommand(
      "pack", "Append the source book DIR to a copy of the player STUB, written to OUT");
  pack->add_option("--player", args.authoring.player, "The player executable (the stub)")
      ->required();
  pack->add_option("--source", args.authoring.source,
                   "The source book: project.xml, book.xml and the files they name")
      ->required();
  pack->add_option("-o,--output", args.authoring.output, "The book executable to write")
      ->required();
}

void AddMake(CLI::App& app, Arguments& args) {
  auto* make = app.add_subcommand(
      "make", "Make a book executable OUT from page pictures (JPEG, PNG, GIF, BMP, TIFF) and PDFs");
  make->add_option("--title", args.make.title, "The book's title")->required();
  make->add_option("--player", args.make.player,
                   "The player executable (default: bookstub-player beside bookstub, the one "
                   "built with it, or the first on PATH)");
  make->add_option("-o,--output", args.make.output,
                   "The book executable to write (default: named after the title)");
  make->add_flag("-q,--quiet", args.make.quiet, "No progress bar and no closing line");
  make->add_option("PICTURE", args.make.pictures,
                   "Page pictures and PDFs in page order (each page of a PDF is a page); a folder "
                   "gives its pictures and PDFs in natural order (page2 before page10), naming "
                   "the files it leaves out")
      ->required();
}

void AddUnpack(CLI::App& app, Arguments& args) {
  auto* unpack =
      app.add_subcommand("unpack", "Write the source book of PACKAGE into DIR (missing or empty)");
  unpack->add_option("PACKAGE", args.package, "Player executable with its book package")
      ->required();
  unpack->add_option("DIR", args.folder, "Folder for the source book")->required();
}

void AddRestub(CLI::App& app, Arguments& args) {
  auto* restub = app.add_subcommand(
      "restub", "Move the package appended to IN (from any platform) onto the player STUB");
  restub->add_option("--player", args.authoring.player, "The player executable (the stub)")
      ->required();
  restub->add_option("IN", args.authoring.source, "Executable with its book package")->required();
  restub->add_option("-o,--output", args.authoring.output, "The book executable to write")
      ->required();
}

void AddExport(CLI::App& app, Arguments& args) {
  auto* exporting = app.add_subcommand(
      "export",
      "Write BOOK as a static web site into DIR (missing or empty): index.html, the emulator, "
      "the book's files as the player splits them. Browsers play it from a web server, not "
      "from file://: see serve, or any static server (python3 -m http.server -d DIR)");
  exporting->add_flag("--serve", args.exporting.serve,
                      "Serve the site afterwards, as serve does (DIR may then be left out: a "
                      "temporary folder, deleted when the serving stops)");
  exporting->add_flag("--no-compressed-copies", args.noCompressedCopies,
                      "Write no NAME.gz and NAME.br copies (by default written beside each file "
                      "they make at least 10% smaller, for servers that send them)");
  exporting->add_flag("-q,--quiet", args.exporting.quiet, "No progress bar and no closing lines");
  exporting
      ->add_option("BOOK", args.exporting.book,
                   "A book: made by make or pack, restubbed, an old book of another platform, "
                   "or a bare package")
      ->required();
  exporting->add_option("DIR", args.exporting.site, "The site's folder; needed without --serve");
}

void AddServe(CLI::App& app, Arguments& args) {
  auto* serve = app.add_subcommand(
      "serve",
      "Serve the web site DIR (made by export) on 127.0.0.1 at a free port until Ctrl-C; "
      "prints its address and opens nothing");
  serve->add_option("DIR", args.folder, "The site's folder")->required();
}

int Dispatch(const CLI::App& app, const Arguments& args) {
  if (app.got_subcommand("split")) return RunSplitCommand(args.split);
  if (app.got_subcommand("pack")) return RunPackCommand(args.authoring);
  if (app.got_subcommand("make")) return RunMakeCommand(args.make);
  if (app.got_subcommand("restub")) return RunRestubCommand(args.authoring);
  if (app.got_subcommand("unpack")) return RunUnpackCommand(args.package, args.folder);
  if (app.got_subcommand("serve")) return RunServeCommand(args.folder);
  if (app.got_subcommand("export")) {
    if (args.exporting.site.empty() && !args.exporting.serve) {
      std::cerr << "bookstub: export needs DIR, or --serve\n";
      return kExitUsage;
    }
    ExportOptions options = args.exporting;
    options.compressedCopies = !args.noCompressedCopies;
    return RunExportCommand(options);
  }
  if (!CheckPackageReadable(args.package)) return kExitFailed;
  if (app.got_subcommand("info")) return RunInfoCommand(args.package, args.json);
  return RunBookCommand(args.package);
}

int Run(int argc, char** argv) {
  CLI::App app{
      "bookstub: makes books for the Bookstub player (from pictures, PDFs or a source book), "
      "unpacks them, moves old books onto the player, splits and inspects book packages, and "
      "exports any book as a web site",
      "bookstub"};
  app.require_subcommand(1);
  app.set_version_flag("--version", VersionText("bookstub"), "Print the version and exit");
  Arguments args;
  AddSplit(app, args);
  AddInfo(app, args);
  AddBook(app, args);
  AddPack(app, args);
  AddMake(app, args);
  AddUnpack(app, args);
  AddRestub(app, args);
  AddExport(app, args);
  AddServe(app, args);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? kExitOk : kExitUsage;
  }
  return Dispatch(app, args);
}

}  // namespace

int main(int argc, char** argv) {
  // The user's locale, exactly as the player's toolkit adopts it when it starts: the documents'
  // child-element numbers are read in its format, so both must see the same one.
  std::setlocale(LC_ALL, "");  // NOLINT(concurrency-mt-unsafe): no thread yet
  platform::PrepareImageLibrary();
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "bookstub: " << e.what() << '\n';
    return kExitFailed;
  }
}
