// What the movie may do in a browser tab only because the reader just asked for it: open a web
// or mail link in a new tab, switch full screen on or off. As in the player, each click or key
// press of the reader allows one such action, for a short while after it, so that a movie cannot
// open tabs on its own or in a burst.
'use strict';

(function (global) {
  // As long as browsers count a click as the reason for a script's pop-up window; the emulator
  // answers a click a frame or more later.
  const kGestureLifetimeMs = 5000;

  const kExternalSchemes = ['http:', 'https:', 'mailto:'];

  // `now` gives the time in milliseconds (performance.now in the page).
  function createGestureGate(now) {
    let gestureAt = null;
    return {
      // A click or key press of the reader; it replaces an unused earlier one.
      onGesture() {
        gestureAt = now();
      },
      // True once per gesture, within its lifetime.
      take() {
        if (gestureAt === null) return false;
        const age = now() - gestureAt;
        if (age < 0 || age > kGestureLifetimeMs) return false;
        gestureAt = null;
        return true;
      },
    };
  }

  // The absolute URL of a link the page may open in a new tab, or null: web and mail addresses
  // only, in any letter case.
  function externalLink(url, base) {
    let parsed;
    try {
      parsed = new URL(String(url).trim(), base);
    } catch {
      return null;
    }
    return kExternalSchemes.includes(parsed.protocol.toLowerCase()) ? parsed.href : null;
  }

  // The address a form of the movie asks for: a GET form's action with its fields as the query
  // (the action's own query when it has none); null for any other method.
  function formLink(action, method, fields) {
    if (String(method || 'get').toLowerCase() !== 'get') return null;
    let url;
    try {
      url = new URL(action);
    } catch {
      return null;
    }
    if (fields.length > 0) url.search = new URLSearchParams(fields).toString();
    return url.href;
  }

  // The called name in the emulator's external-API request XML, or null.
  function flashCallName(requestXml) {
    const match = /^<invoke name="([^"]*)"/.exec(requestXml);
    return match ? match[1] : null;
  }

  const api = { kGestureLifetimeMs, createGestureGate, externalLink, formLink, flashCallName };
  if (typeof module === 'object' && module.exports) {
    module.exports = api;
  } else {
    global.BookstubPageGate = api;
  }
})(globalThis);
