// The hook relies on how the pinned emulator performs ExternalInterface.call: it builds
// `new Function("return (" + name + ")(...arguments);")`. This fails loudly when an upgrade of
// @ruffle-rs/ruffle changes that, before books silently stop reaching the player.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');
const { installExternalCallHook } = require(
  path.join(process.env.BOOKSTUB_SOURCE_DIR, 'platform/ruffle/web/flash-call.js'));

const emulatorDir = path.join(process.env.BOOKSTUB_SOURCE_DIR, 'node_modules/@ruffle-rs/ruffle');
const helperPattern =
  /function \w+\((\w+),(\w+)\)\{return new Function\(`return \(\$\{\1\}\)\(\.\.\.arguments\);`\)\(\.\.\.\2\)\}/;

const coreScripts = fs.existsSync(emulatorDir)
  ? fs.readdirSync(emulatorDir).filter((name) => /^core\.ruffle\..*\.js$/.test(name))
  : [];

test('the emulator is installed from package-lock.json', () => {
  assert.ok(coreScripts.length > 0, `no core scripts in ${emulatorDir}: run scripts/install-deps`);
});

for (const script of coreScripts) {
  test(`the external-call helper of ${script} is caught by the hook`, (t) => {
    const source = fs.readFileSync(path.join(emulatorDir, script), 'utf8');
    const match = helperPattern.exec(source);
    assert.ok(match, 'the emulator no longer calls external functions through new Function');

    const delivered = [];
    const restore = installExternalCallHook(globalThis, (request) => delivered.push(request));
    t.after(restore);
    const callExternal = vm.runInThisContext(`(${match[0]})`);
    assert.equal(callExternal('fullscreen_error', []), undefined);
    assert.equal(callExternal('page', ['p', 1]), undefined);
    restore();

    assert.deepEqual(delivered, [
      '<invoke name="fullscreen_error" returntype="xml"><arguments></arguments></invoke>',
      '<invoke name="page" returntype="xml"><arguments><string>p</string><number>1</number></arguments></invoke>',
    ]);
  });
}
