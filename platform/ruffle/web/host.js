// Starts the viewer movie in the emulator once the page has loaded. The hooks that the emulator
// relies on (fetch for the host scheme, external calls) are installed before its script runs.
'use strict';

(function () {
  const kScheme = 'bookstub';
  // The prompt text that the host's web page object answers; the request XML is the default.
  const kFlashCallPrompt = 'bookstub:flashcall';
  // The prompt text that the host's web page object answers with the movie it holds (JSON).
  const kHeldMoviePrompt = 'bookstub:heldmovie';

  BookstubFetchShim.installFetchShim(window, kScheme);
  BookstubFlashCall.installExternalCallHook(window, (request) => {
    window.prompt(kFlashCallPrompt, request);
  });

  BookstubWheelSteps.installWheelSteps(window, WheelEvent, PointerEvent);

  // The emulator cancels every context-menu request, even with its own menu off; stopping the
  // event before it reaches the player lets the request through to the window's menu.
  window.addEventListener('contextmenu', (event) => event.stopImmediatePropagation(), true);

  function focusPlayer(player) {
    player.focus();
    // The emulator takes keys only while its element has focus; give it back whenever the view
    // regains focus.
    window.addEventListener('focus', () => player.focus());
  }

  function createPlayer() {
    const player = window.RufflePlayer.newest().createPlayer();
    player.id = 'player';
    document.body.appendChild(player);
    return player;
  }

  async function play(player, options) {
    await player.ruffle().load(options);
    setTimeout(() => focusPlayer(player), 100);
  }

  // The movie the player holds or expects, as [movie, background colour, early], or null: asked
  // once the page is up. The book's movie starts the emulator itself, and no empty movie is
  // played and thrown away first. An early movie is still being written out: the emulator
  // starts on it at once and its reads wait for the book.
  function heldMovie() {
    try {
      const held = JSON.parse(window.prompt(kHeldMoviePrompt, '') || 'null');
      return Array.isArray(held) ? held : null;
    } catch {
      return null;
    }
  }

  // The page readies the emulator and waits: the player hands it the movie once the book is
  // split, and the emulator's WebAssembly is compiled by then.
  function standBy() {
    // The stage colour of an early movie, once the book is written out: the page shows it
    // around and beneath the stage.
    window.bookstubShowStage = (backgroundColor) => {
      const colour = BookstubPlayerOptions.stageColour(backgroundColor);
      if (colour) document.body.style.background = colour;
    };
    const player = createPlayer();
    let started = false;
    let warm = Promise.resolve();
    window.bookstubPlayMovie = (movie, backgroundColor = null, early = false) => {
      const options = early
        ? BookstubPlayerOptions.optionsForEarlyMovie(movie, window.location.href)
        : BookstubPlayerOptions.optionsForMovie(movie, window.location.href, backgroundColor);
      if (started || !options) return false;
      started = true;
      window.bookstubShowStage(options.backgroundColor);
      warm
        .then(() => play(player, options))
        .catch((error) => console.error(`The movie could not start: ${error}`));
      return true;
    };
    const held = heldMovie();
    if (held && window.bookstubPlayMovie(...held)) return;
    warm = player
      .ruffle()
      .load(BookstubPlayerOptions.warmUpOptions())
      .catch(() => {});
  }

  // The page takes no movie from its address: only the player hands it one, once.
  function start() {
    if (window.RufflePlayer) standBy();
  }

  window.addEventListener('DOMContentLoaded', start);
})();
