// The external-call hook of the host page: request XML and the Function proxy.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { valueXml, requestXml, externalCallName, installExternalCallHook } = require(
  path.join(process.env.BOOKSTUB_SOURCE_DIR, 'platform/ruffle/web/flash-call.js'));

const body = (name) => `return (${name})(...arguments);`;

test('each argument kind has its external-API element', () => {
  const cases = [
    [undefined, '<undefined/>'],
    [null, '<null/>'],
    [true, '<true/>'],
    [false, '<false/>'],
    [0, '<number>0</number>'],
    [-1.5, '<number>-1.5</number>'],
    ['', '<string></string>'],
    ['a<b&c"d\'e>', '<string>a&lt;b&amp;c&quot;d&apos;e&gt;</string>'],
    [['x', 2], '<array><property id="0"><string>x</string></property><property id="1"><number>2</number></property></array>'],
    [{ 'k&': null }, '<object><property id="k&amp;"><null/></property></object>'],
    [() => 1, '<undefined/>'],
  ];
  for (const [value, expected] of cases) {
    assert.equal(valueXml(value), expected, `value ${String(value)}`);
  }
});

test('the request names the function, escaped, with the arguments in order', () => {
  assert.equal(requestXml('fullscreen_error', []),
    '<invoke name="fullscreen_error" returntype="xml"><arguments></arguments></invoke>');
  assert.equal(requestXml('a"b<c', ['p', 3]),
    '<invoke name="a&quot;b&lt;c" returntype="xml"><arguments><string>p</string><number>3</number></arguments></invoke>');
});

test('only the emulator\'s external-call body is recognised', () => {
  const cases = [
    [[body('fullscreen_error')], 'fullscreen_error'],
    [[body('function(){alert(1)}')], 'function(){alert(1)}'],
    [[body('a)(b')], 'a)(b'],
    [['return (x)(...arguments)'], null],
    [['return (x)(...arguments); '], null],
    [['a', body('x')], null],
    [['return 1;'], null],
    [[], null],
  ];
  for (const [args, expected] of cases) {
    assert.equal(externalCallName(args), expected, JSON.stringify(args));
  }
});

test('the hook delivers calls to any name without running them, and leaves Function working', (t) => {
  const delivered = [];
  const target = { Function };
  const restore = installExternalCallHook(target, (request) => delivered.push(request));
  t.after(restore);

  const call = new target.Function(body('window.close'));
  assert.equal(call('x', 1), undefined);
  assert.equal(target.Function(body('fullscreen_error'))(), undefined);
  assert.deepEqual(delivered, [
    '<invoke name="window.close" returntype="xml"><arguments><string>x</string><number>1</number></arguments></invoke>',
    '<invoke name="fullscreen_error" returntype="xml"><arguments></arguments></invoke>',
  ]);

  assert.equal(new target.Function('a', 'b', 'return a + b;')(2, 3), 5);
  assert.equal(target.Function('return 7;')(), 7);
  assert.ok(call instanceof target.Function);
  restore();
  assert.equal(target.Function, Function);
});
