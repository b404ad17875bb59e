// What the movie may do in a browser tab: one link or full-screen switch per click or key press.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { kGestureLifetimeMs, createGestureGate, externalLink, formLink, flashCallName } =
  require(path.join(process.env.BOOKSTUB_SOURCE_DIR, 'platform/ruffle/web/site/page-gate.js'));

test('each gesture allows one action, only while it is fresh', () => {
  let now = 1000;
  const gate = createGestureGate(() => now);
  assert.equal(gate.take(), false, 'no action without a gesture');
  gate.onGesture();
  assert.equal(gate.take(), true, 'the click opens its link');
  assert.equal(gate.take(), false, 'a burst after one click opens no more');
  gate.onGesture();
  gate.onGesture();
  assert.equal(gate.take(), true);
  assert.equal(gate.take(), false, 'gestures do not add up');
  gate.onGesture();
  now += kGestureLifetimeMs;
  assert.equal(gate.take(), true, 'still fresh at its lifetime');
  gate.onGesture();
  now += kGestureLifetimeMs + 1;
  assert.equal(gate.take(), false, 'a stale gesture allows nothing');
  gate.onGesture();
  now -= 10;
  assert.equal(gate.take(), false, 'a clock going back allows nothing');
});

test('only web and mail links leave the book', () => {
  const base = 'http://127.0.0.1:8000/index.html';
  const cases = [
    ['https://example.org/leaf', 'https://example.org/leaf'],
    ['  HTTP://Example.org/a?b=c#d ', 'http://example.org/a?b=c#d'],
    ['mailto:reader@example.org', 'mailto:reader@example.org'],
    ['files/res/other/toc.xml', 'http://127.0.0.1:8000/files/res/other/toc.xml'],
    ['javascript:alert(1)', null],
    ['JavaScript:alert(1)', null],
    ['data:text/html,<b>x</b>', null],
    ['file:///etc/passwd', null],
    ['blob:http://127.0.0.1:8000/x', null],
    ['ftp://example.org/', null],
    ['http://[bad', null],
  ];
  for (const [url, expected] of cases) assert.equal(externalLink(url, base), expected, url);
});

// The emulator submits a GET form to the link; its fields (if any) become the query.
test('a form of the movie gives the address it asks for', () => {
  assert.equal(formLink('https://example.org/leaf?x=1', 'get', []), 'https://example.org/leaf?x=1');
  assert.equal(formLink('https://example.org/leaf', 'GET', [['q', 'a b'], ['n', '1']]),
    'https://example.org/leaf?q=a+b&n=1');
  assert.equal(formLink('https://example.org/leaf', '', []), 'https://example.org/leaf');
  assert.equal(formLink('https://example.org/leaf', 'post', [['q', '1']]), null);
  assert.equal(formLink('not a url', 'get', []), null);
});

test('the movie\'s call is known by its name only', () => {
  assert.equal(flashCallName('<invoke name="fullscreen_error" returntype="xml"><arguments></arguments></invoke>'),
    'fullscreen_error');
  assert.equal(flashCallName('<invoke name="page" returntype="xml"><arguments><number>3</number></arguments></invoke>'), 'page');
  assert.equal(flashCallName('fullscreen_error'), null);
  assert.equal(flashCallName(''), null);
});
