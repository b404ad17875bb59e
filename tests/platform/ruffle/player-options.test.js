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

// The movie's own background colour, shown from the first frame; anything but a colour is left
// out (the emulator then uses the movie's, after a white first frame).
test('the movie plays on the background colour handed with it', () => {
  const movie = 'bookstub://player/book/book.swf';
  assert.equal(optionsForMovie(movie, host, '#2b3a4a').backgroundColor, '#2b3a4a');
  for (const other of [null, undefined, '', 'red', '#abc', '#2b3a4a; x', '#12345g', 0x2b3a4a]) {
    assert.equal(optionsForMovie(movie, host, other).backgroundColor, null, String(other));
  }
});
