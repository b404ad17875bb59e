#include "tests/support/FullBook.h"

#include "tests/support/ZipWriter.h"

namespace testsupport {

const char* const kFullBookNavBtnIni =
    "[info]\r\nfirstpage=first.png\r\nlastpage=  \r\nprevious=prev one.png\r\nemail=mail.png\r\n";

namespace {

std::string LangsZip() {
  return ZipWriter()
      .AddFolder("en/")
      .AddFile("en/lang.xml", "<lang>en</lang>")
      .AddFile("de/lang.xml", "<lang>de</lang>", ZipWriter::Method::Stored)
      .Bytes();
}

}  // namespace

// A book with every step of the split present: two pages, the first placed over a movie, the
// second stretched under a sound.
BookSpec FullBook() {
  BookSpec s;
  s.exetitle = "Full Book";
  s.background = FileSpec{"C:\\authoring\\bg.JPG", "BACKGROUND"};
  s.navbtn = GroupSpec{kFullBookNavBtnIni, {{0, "FIRST"}, {1, "LAST"}, {2, "PREV"}, {25, "ODD"}}};
  s.navbtnDownload = true;
  s.navbar = GroupSpec{"[info]\r\nname=bar\r\n", {{0, "TOP"}, {1, "BOTTOM"}}};
  s.navbarTopfile = "top.png";
  s.navbarBottomfile = "bottom.png";
  s.preloader = FileSpec{"loader.swf", "PRELOADER"};
  s.logo = FileSpec{"c:\\art\\Logo.PNG", "LOGO"};
  s.toc = FileSpec{"data\\toc.xml", "TOC"};
  s.searchindex = FileSpec{"C:\\authoring\\search.xml", "SEARCH"};
  s.download = FileSpec{"files\\book.pdf", "BOOKPDF"};
  s.langs = FileSpec{"langs.zip", LangsZip()};
  s.flag = FileSpec{"flag.zip", ZipWriter().AddFile("en.png", "FLAG").Bytes()};
  s.bgsound = FileSpec{"music.mp3", "MUSIC"};
  for (const char* extra : {"bookinfo", "mag", "toolbar", "input", "vs", "thumbswf"})
    s.extras[extra] = FileSpec{"", std::string("EXTRA-") + extra};

  PageSpec first;
  first.elements = {
      ElementSpec{"img", {"res\\pages\\page_0000.swf", testsupport::SwfBytes(500, 700)}},
      ElementSpec{"snd", {"res/pages/s.mp3", "SOUND"}}, ElementSpec{"area", FileSpec()},
      ElementSpec{"vid", {"res/pages/v.flv", "VIDEO"}, FileSpec{"res/pages/v.jpg", "PREVIEW"}}};
  first.elements[0].width = 500;
  first.elements[0].height = 700;
  first.search = FileSpec{"res\\pages\\page_0000.txt", "TEXT0"};
  first.download = FileSpec{"page.pdf", "PAGEPDF"};
  first.mobile = FileSpec{"res\\mobile\\page_0000.png", testsupport::PictureBytes(1000, 500)};
  first.mobilefile1 = "res/mobile/m.jpg";
  first.photoviewthumb = "res/pages/pv.png";
  first.print = "res\\print\\p0.swf";
  PageSpec second;
  second.elements = {ElementSpec{"snd", {"res/pages/page_0001.mp3", "SOUND1"}}};
  second.mobile = FileSpec{"res/mobile/page_0001.png", testsupport::PictureBytes(300, 600)};
  second.mobilefile1 = "m.png";
  second.photoviewthumb = "pv.jpg";
  s.pages = {first, second};
  return s;
}

}  // namespace testsupport
