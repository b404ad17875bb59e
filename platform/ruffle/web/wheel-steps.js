// Gives the emulator one wheel step for every notch of a mouse wheel. The browser reports a
// notch as a distance in pixels (53 to 60 under X11), and the emulator hands a movie that
// distance in hundreds of pixels, rounded towards zero: a single notch reached the movie as
// 0 and was lost. Wheel events in pixels are stopped before the emulator sees them and given
// again in lines, three per notch as the Flash Player did: the first event of a turn of the
// wheel is at least one step, and smaller, faster deltas (touchpads) add up to a step per notch.
// Each step is preceded by a pointer move there and back, see below.
'use strict';

(function (global) {
  const kPixelsPerNotch = 50;
  const kLinesPerNotch = 3;
  // A pause this long (ms), or a change of direction, starts a new turn of the wheel.
  const kQuietMs = 250;
  const kDomDeltaPixel = 0;
  const kDomDeltaLine = 1;

  function createWheelSteps() {
    return { rest: 0, lastAt: -Infinity, lastSign: 0 };
  }

  // The signed number of notches one wheel event in pixels stands for (0: none yet).
  function wheelNotches(state, deltaY, at) {
    const sign = Math.sign(deltaY);
    if (sign === 0) return 0;
    const fresh = at - state.lastAt > kQuietMs || sign !== state.lastSign;
    state.lastAt = at;
    state.lastSign = sign;
    if (fresh) state.rest = 0;
    state.rest += Math.abs(deltaY);
    let notches = Math.floor(state.rest / kPixelsPerNotch);
    if (fresh && notches === 0) {
      notches = 1;
      state.rest = 0;
    } else {
      state.rest -= notches * kPixelsPerNotch;
    }
    return sign * notches;
  }

  function installWheelSteps(target, WheelEventType, PointerEventType) {
    const state = createWheelSteps();
    target.addEventListener(
      'wheel',
      (event) => {
        if (!event.isTrusted || event.deltaMode !== kDomDeltaPixel || event.deltaY === 0) return;
        event.stopImmediatePropagation();
        event.preventDefault();
        const notches = wheelNotches(state, event.deltaY, event.timeStamp);
        if (notches === 0) return;
        // The emulator listens inside its element's shadow tree: give the event to the element
        // the pointer is over there.
        const inner = (event.composedPath && event.composedPath()[0]) || event.target;
        // The emulator gives a wheel step to what it last saw under the pointer; when that has
        // left the display since (a picture zoomed, a list scrolled under a still pointer), the
        // step was lost. It looks again only when the pointer moves: a move one pixel aside and
        // back does it.
        if (PointerEventType) {
          for (const nudge of [1, 0]) {
            inner.dispatchEvent(
              new PointerEventType('pointermove', {
                pointerId: 1, pointerType: 'mouse', isPrimary: true, clientX: event.clientX + nudge,
                clientY: event.clientY, screenX: event.screenX + nudge, screenY: event.screenY,
                buttons: event.buttons, bubbles: true, cancelable: true, composed: true,
              }),
            );
          }
        }
        inner.dispatchEvent(
          new WheelEventType('wheel', {
            deltaY: notches * kLinesPerNotch,
            deltaMode: kDomDeltaLine,
            clientX: event.clientX,
            clientY: event.clientY,
            screenX: event.screenX,
            screenY: event.screenY,
            ctrlKey: event.ctrlKey,
            shiftKey: event.shiftKey,
            altKey: event.altKey,
            metaKey: event.metaKey,
            bubbles: true,
            cancelable: true,
            composed: true,
          }),
        );
      },
      { capture: true, passive: false },
    );
  }

  const api = { kLinesPerNotch, createWheelSteps, wheelNotches, installWheelSteps };
  if (typeof module === 'object' && module.exports) {
    module.exports = api;
  } else {
    global.BookstubWheelSteps = api;
  }
})(globalThis);
