#pragma once
// The layout of a book's web site, as `bookstub export` writes it and the site's page
// (platform/ruffle/web/site/site.js) reads it. Names are relative to the site's folder.
//
//   index.html        the page: plays the book's viewer movie in the emulator
//   *.js              the page's scripts
//   book-files.json   the list of the book's files, through which the page resolves the
//                     movie's requests: {"version":1,"files":["book.swf","res/pages/...",...]}
//   files/            the book's files as the split writes them (the movie is files/book.swf)
//   ruffle/           the emulator's files and licences
//
// Beside a file that compresses well there may be NAME.gz and NAME.br, the same bytes
// compressed, for servers that send those to browsers that accept them.

inline constexpr const char* kSitePage = "index.html";
inline constexpr const char* kSiteFileList = "book-files.json";
inline constexpr const char* kSiteBookFolder = "files";
inline constexpr const char* kSiteEmulatorFolder = "ruffle";
inline constexpr const char* kGzipSuffix = ".gz";
inline constexpr const char* kBrotliSuffix = ".br";
