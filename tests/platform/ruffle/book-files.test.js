// The web site's resolution of the movie's requests through the list of the book's files, and
// the fetch that sends only what the book holds.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { requestSegments, createBookFileResolver, installBookFetch } = require(
  path.join(process.env.BOOKSTUB_SOURCE_DIR, 'platform/ruffle/web/site/book-files.js'));

const names = [
  'book.swf',
  'res/pages/page_0000.png',
  'Res/Other/Logo.PNG',
  'res/exact/Page.png',
  'res/exact/page.png',
  'res/Mixed/a.png',
  'RES/mixed/a.png',
  'res/other/toc.xml',
];

test('names resolve as the player resolves them: exact first, then in another letter case', () => {
  const resolve = createBookFileResolver(names);
  const cases = [
    ['book.swf', 'book.swf'],
    ['BOOK.SWF', 'book.swf'],
    ['res/pages/page_0000.png', 'res/pages/page_0000.png'],
    ['RES/Pages/PAGE_0000.png', 'res/pages/page_0000.png'],
    ['res\\pages\\page_0000.png', 'res/pages/page_0000.png'],
    ['//res///pages/page_0000.png', 'res/pages/page_0000.png'],
    ['res/other/logo.png', 'Res/Other/Logo.PNG'],
    ['res/exact/Page.png', 'res/exact/Page.png'],
    ['res/exact/page.png', 'res/exact/page.png'],
    ['res/exact/PAGE.png', 'res/exact/Page.png'],
    // Segment by segment: an exact "res" wins over an earlier name in other letters.
    ['res/mixed/a.png', 'res/Mixed/a.png'],
    ['RES/MIXED/a.png', 'RES/mixed/a.png'],
    ['Res/mixed/A.png', 'RES/mixed/a.png'],
  ];
  for (const [request, expected] of cases) assert.equal(resolve(request), expected, request);
});

test('names outside the book resolve to nothing', () => {
  const resolve = createBookFileResolver(names);
  for (const request of ['', '/', 'res', 'res/pages', '../book.swf', 'res/../book.swf',
    './book.swf', 'res/pages/../../book.swf', 'book.swf\0.png', 'missing.png',
    'res/pages/page_0000.png/x', 'ı.swf']) {
    assert.equal(resolve(request), null, JSON.stringify(request));
  }
  assert.equal(requestSegments('a/./b'), null);
  assert.deepEqual(requestSegments('\\a//b\\'), ['a', 'b']);
  // Letter case folds for ASCII only, as in the player.
  assert.equal(createBookFileResolver(['İ.png']).call(null, 'i.png'), null);
});

// A stand-in for the page's window: records what reaches the network.
function fakeWindow() {
  const sent = [];
  return {
    sent,
    Request,
    fetch: async (request) => {
      sent.push(request.url);
      return new Response('ok');
    },
  };
}

test('the page sends only requests for the book\'s files and the emulator\'s', async () => {
  const env = fakeWindow();
  installBookFetch(env, {
    bookUrl: 'http://127.0.0.1:8000/site/files/',
    emulatorUrl: 'http://127.0.0.1:8000/site/ruffle/',
    resolve: createBookFileResolver(['book.swf', 'res/pages/Page 1.png', 'res/other/toc.xml']),
  });
  const allowed = [
    ['http://127.0.0.1:8000/site/files/book.swf', 'http://127.0.0.1:8000/site/files/book.swf'],
    ['http://127.0.0.1:8000/site/files/RES%5CPages%5Cpage%201.PNG',
      'http://127.0.0.1:8000/site/files/res/pages/Page%201.png'],
    ['http://127.0.0.1:8000/site/files/res/other/TOC.xml?x=1',
      'http://127.0.0.1:8000/site/files/res/other/toc.xml'],
    ['http://127.0.0.1:8000/site/ruffle/core.wasm', 'http://127.0.0.1:8000/site/ruffle/core.wasm'],
  ];
  for (const [url, expected] of allowed) {
    const response = await env.fetch(url);
    assert.equal(await response.text(), 'ok');
    assert.equal(env.sent.at(-1), expected, url);
  }
  assert.equal(env.sent.length, allowed.length);
  const refused = [
    'https://example.org/files/book.swf',
    'http://127.0.0.1:8001/site/files/book.swf',
    'http://127.0.0.1:8000/site/index.html',
    'http://127.0.0.1:8000/site/book-files.json',
    'http://127.0.0.1:8000/site/files/missing.png',
    'http://127.0.0.1:8000/site/files/%2E%2E/index.html',
    'http://127.0.0.1:8000/site/files/%E0%A4%A',
    'http://127.0.0.1:8000/elsewhere/files/book.swf',
  ];
  for (const url of refused) await assert.rejects(env.fetch(url), TypeError, url);
  await assert.rejects(env.fetch(new Request('http://127.0.0.1:8000/site/files/book.swf',
    { method: 'POST', body: 'x' })), TypeError);
  await assert.rejects(env.fetch('not a url'), TypeError);
  assert.equal(env.sent.length, allowed.length, 'a refused request reached the network');
});
