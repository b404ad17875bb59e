// The movie the player hands the host page, and the folder its relative loads resolve against.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const playerOptions = require(
  path.join(process.env.BOOKSTUB_SOURCE_DIR, 'platform/ruffle/web/player-options.js'));
const { optionsForMovie } = playerOptions;

const host = 'bookstub://player/host/index.html';

test('relative loads resolve in the movie\'s folder', () => {
  const cases = [
    ['bookstub://player/book/book.swf', 'bookstub://player/book/book.swf', 'bookstub://player/book/'],
    ['bookstub://player/book/sub/a%20b.swf', 'bookstub://player/book/sub/a%20b.swf', 'bookstub://player/book/sub/'],
  ];
  for (const [movie, url, base] of cases) {
    const options = optionsForMovie(movie, host);
    assert.equal(options.url, url);
    assert.equal(options.base, base);
    assert.equal(new URL('res/pages/page_0000.png', options.base).href,
      `${base}res/pages/page_0000.png`);
  }
});

// Only a file of the page's own scheme and host plays.
test('a movie handed to the page must come from the book', () => {
  for (const other of ['https://example.org/book.swf', 'bookstub://other/book/book.swf',
    'file:///tmp/book.swf', 'data:application/x-shockwave-flash,FWS', '', null]) {
    assert.equal(optionsForMovie(other, host), null, String(other));
  }
});
