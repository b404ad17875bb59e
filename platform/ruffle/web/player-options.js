// The emulator's options for the book's viewer movie, matching how the Flash control was set up
// in the player: window mode "Window", quality "High", scale "ShowAll", no menu of its own.
'use strict';

(function (global) {
  // The page URL carries the movie's URL in its "movie" query parameter; relative loads of the
  // movie resolve against the movie's folder.
  function movieOptions(pageUrl) {
    const movie = new URL(pageUrl).searchParams.get('movie');
    if (!movie) return null;
    const url = new URL(movie, pageUrl);
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
      backgroundColor: null,
      showSwfDownload: false,
      warnOnUnsupportedContent: false,
      logLevel: 'warn',
    };
  }

  const api = { movieOptions };
  if (typeof module === 'object' && module.exports) {
    module.exports = api;
  } else {
    global.BookstubPlayerOptions = api;
  }
})(globalThis);
