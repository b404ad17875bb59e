// Starts the viewer movie in the emulator once the page has loaded. The hooks that the emulator
// relies on (fetch for the host scheme, external calls) are installed before its script runs.
'use strict';

(function () {
  const kScheme = 'bookstub';
  // The prompt text that the host's web page object answers; the request XML is the default.
  const kFlashCallPrompt = 'bookstub:flashcall';

  BookstubFetchShim.installFetchShim(window, kScheme);
  BookstubFlashCall.installExternalCallHook(window, (request) => {
    window.prompt(kFlashCallPrompt, request);
  });

  // The emulator cancels every context-menu request, even with its own menu off; stopping the
  // event before it reaches the player lets the request through to the window's menu.
  window.addEventListener('contextmenu', (event) => event.stopImmediatePropagation(), true);

  function focusPlayer(player) {
    player.focus();
    // The emulator takes keys only while its element has focus; give it back whenever the view
    // regains focus.
    window.addEventListener('focus', () => player.focus());
  }

  async function start() {
    const options = BookstubPlayerOptions.movieOptions(window.location.href);
    if (!options || !window.RufflePlayer) return;
    const player = window.RufflePlayer.newest().createPlayer();
    player.id = 'player';
    document.body.appendChild(player);
    await player.ruffle().load(options);
    setTimeout(() => focusPlayer(player), 100);
  }

  window.addEventListener('DOMContentLoaded', () => {
    start().catch((error) => console.error(`The movie could not start: ${error}`));
  });
})();
