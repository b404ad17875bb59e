// The emulator's options for the book's viewer movie, matching how the Flash control was set up
// in the player: window mode "Window", quality "High", scale "ShowAll", no menu of its own.
'use strict';

(function (global) {
  const kColour = /^#[0-9A-Fa-f]{6}$/;

  // The options for `movie` (resolved against the page), which must come from the page's own
  // scheme and host; null for any other. Relative loads of the movie resolve against the movie's
  // folder. `backgroundColor` ("#RRGGBB", else ignored) is the movie's own background colour: the
  // emulator draws white until the movie's colour tag has run, and shows this one from the start.
  function optionsForMovie(movie, pageUrl, backgroundColor = null) {
    if (!movie) return null;
    const page = new URL(pageUrl);
    const url = new URL(movie, page);
    if (url.protocol !== page.protocol || url.host !== page.host) return null;
    return {
      url: url.href,
      base: new URL('.', url).href,
      allowScriptAccess: true,
      autoplay: 'on',
      splashScreen: false,
      unmuteOverlay: 'hidden',
      // The window's own menu ("Fullscreen", "Exit") must win over the emulator's.
      contextMenu: 'off',
      // ShowAll in the Flash control leaves the margins in the stage colour and shows content
      // beyond the stage; the emulator does the same when it draws no letterbox bars.
      letterbox: 'off',
      scale: 'showAll',
      quality: 'high',
      wmode: 'window',
      backgroundColor: stageColour(backgroundColor),
      showSwfDownload: false,
      warnOnUnsupportedContent: false,
      logLevel: 'warn',
    };
  }

  // A movie started while the player still writes the book out: its colour is not known yet, so
  // its stage is drawn without one, on the page's background, which then takes the colour.
  function optionsForEarlyMovie(movie, pageUrl) {
    const options = optionsForMovie(movie, pageUrl);
    return options && { ...options, wmode: 'transparent' };
  }

  // `colour` when it is "#RRGGBB", else null.
  function stageColour(colour) {
    return kColour.test(colour ?? '') ? colour : null;
  }

  // The smallest movie (SWF 10: an empty stage, one empty frame): playing it makes the emulator
  // fetch and compile its WebAssembly, which every later movie of the page reuses.
  const kEmptyMovie = [
    0x46, 0x57, 0x53, 0x0a, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x40, 0x00,
    0x00, 0x00,
  ];

  function warmUpOptions() {
    return {
      data: kEmptyMovie,
      allowScriptAccess: false,
      allowNetworking: 'none',
      autoplay: 'on',
      splashScreen: false,
      unmuteOverlay: 'hidden',
      contextMenu: 'off',
      letterbox: 'off',
      // Drawn on nothing: the page shows its own background (the book movie's colour, or
      // black) until the book's movie draws.
      wmode: 'transparent',
      warnOnUnsupportedContent: false,
      logLevel: 'error',
    };
  }

  const api = { optionsForMovie, optionsForEarlyMovie, stageColour, warmUpOptions };
  if (typeof module === 'object' && module.exports) {
    module.exports = api;
  } else {
    global.BookstubPlayerOptions = api;
  }
})(globalThis);
