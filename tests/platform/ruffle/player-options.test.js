// The movie and the folder its relative loads resolve against, taken from the page URL.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { movieOptions } = require(
  path.join(process.env.BOOKSTUB_SOURCE_DIR, 'platform/ruffle/web/player-options.js'));

const page = (movie) =>
  `bookstub://player/host/index.html?movie=${encodeURIComponent(movie)}`;

test('relative loads resolve in the movie\'s folder', () => {
  const cases = [
    ['bookstub://player/book/book.swf', 'bookstub://player/book/book.swf', 'bookstub://player/book/'],
    ['bookstub://player/book/sub/a%20b.swf', 'bookstub://player/book/sub/a%20b.swf', 'bookstub://player/book/sub/'],
  ];
  for (const [movie, url, base] of cases) {
    const options = movieOptions(page(movie));
    assert.equal(options.url, url);
    assert.equal(options.base, base);
    assert.equal(new URL('res/pages/page_0000.png', options.base).href,
      `${base}res/pages/page_0000.png`);
  }
});

test('a page without a movie plays nothing', () => {
  assert.equal(movieOptions('bookstub://player/host/index.html'), null);
  assert.equal(movieOptions('bookstub://player/host/index.html?movie='), null);
});

// The player hands a waiting page its movie by URL: only a file of the page's own scheme and
// host plays, with the same options as a movie named in the page URL.
test('a movie handed to a waiting page must come from the book', () => {
  const { optionsForMovie } = require(
    path.join(process.env.BOOKSTUB_SOURCE_DIR, 'platform/ruffle/web/player-options.js'));
  const host = 'bookstub://player/host/index.html';
  const movie = 'bookstub://player/book/book.swf';
  assert.deepEqual(optionsForMovie(movie, host), movieOptions(page(movie)));
  for (const other of ['https://example.org/book.swf', 'bookstub://other/book/book.swf',
    'file:///tmp/book.swf', 'data:application/x-shockwave-flash,FWS', '']) {
    assert.equal(optionsForMovie(other, host), null, other);
  }
});
