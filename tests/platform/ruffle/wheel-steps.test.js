// The host page's wheel steps: every notch of a mouse wheel reaches the movie as a step.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { kLinesPerNotch, createWheelSteps, wheelNotches, installWheelSteps } = require(
  path.join(process.env.BOOKSTUB_SOURCE_DIR, 'platform/ruffle/web/wheel-steps.js'));

// Feeds [deltaY, ms] events to one state and returns the notches each gave.
function feed(events) {
  const state = createWheelSteps();
  return events.map(([delta, at]) => wheelNotches(state, delta, at));
}

test('a single notch, apart from others, is one step either way', () => {
  assert.deepEqual(feed([[53.3, 0], [53.3, 1000], [-53.3, 2000], [-40, 3000]]), [1, 1, -1, -1]);
});

test('a quick turn of the wheel gives a step per notch, and coalesced notches their count', () => {
  assert.deepEqual(feed([[53.3, 0], [53.3, 30], [53.3, 60], [160, 90]]), [1, 1, 1, 3]);
});

test('small deltas of a touchpad add up instead of each being a step', () => {
  const steps = feed(Array.from({ length: 25 }, (_, i) => [4, i * 16]));
  assert.equal(steps[0], 1, 'the first event of a gesture answers at once');
  assert.equal(steps.reduce((a, b) => a + b, 0), 2, '100 pixels after the first step');
});

test('a change of direction starts afresh', () => {
  assert.deepEqual(feed([[30, 0], [-10, 20], [10, 40]]), [1, -1, 1]);
  assert.equal(feed([[0, 0]])[0], 0, 'no movement, no step');
});

// A minimal event target standing in for the page's window and the emulator's element.
function fakePage() {
  const dispatched = [];
  const listeners = [];
  const inner = { dispatchEvent: (event) => dispatched.push(event) };
  const target = { addEventListener: (type, listener, options) => listeners.push({ type, listener, options }) };
  class FakeEvent {
    constructor(type, init) {
      Object.assign(this, init, { type });
    }
  }
  installWheelSteps(target, FakeEvent, FakeEvent);
  const send = (init) => {
    let stopped = false;
    let prevented = false;
    const event = {
      isTrusted: true, deltaMode: 0, deltaY: 0, timeStamp: 0, clientX: 5, clientY: 6, ...init,
      composedPath: () => [inner],
      stopImmediatePropagation: () => { stopped = true; },
      preventDefault: () => { prevented = true; },
    };
    listeners.forEach(({ listener }) => listener(event));
    return { stopped, prevented };
  };
  return { listeners, dispatched, send };
}

test('pixel wheel events are replaced by line events on the emulator\'s element', () => {
  const page = fakePage();
  assert.equal(page.listeners.length, 1);
  assert.equal(page.listeners[0].options.capture, true, 'seen before the emulator sees it');
  const result = page.send({ deltaY: 53, timeStamp: 10 });
  assert.deepEqual(result, { stopped: true, prevented: true });
  assert.deepEqual(page.dispatched.map((event) => event.type), ['pointermove', 'pointermove', 'wheel']);
  const given = page.dispatched[2];
  assert.equal(given.deltaMode, 1);
  assert.equal(given.deltaY, kLinesPerNotch);
  assert.equal(given.clientX, 5);
  assert.equal(given.composed, true);
  // The emulator looks again at what is under a still pointer: the moves end where it is.
  assert.deepEqual(page.dispatched.slice(0, 2).map((event) => event.clientX), [6, 5]);
});

test('line events, events made by script and still wheels pass untouched', () => {
  const page = fakePage();
  for (const init of [{ deltaMode: 1, deltaY: 3 }, { isTrusted: false, deltaY: 53 }, { deltaY: 0 }]) {
    assert.deepEqual(page.send(init), { stopped: false, prevented: false }, JSON.stringify(init));
  }
  assert.equal(page.dispatched.length, 0);
});
