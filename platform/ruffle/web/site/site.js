// The book's web site: plays the viewer movie files/book.swf in the emulator. Every request of
// the movie is resolved through the list of the book's files; the movie's "fullscreen_error"
// call switches the browser's full screen; its web and mail links open in a new tab, one per
// click or key press of the reader; it can do nothing else to the page.
'use strict';

(function () {
  const kMovie = 'files/book.swf';
  const kBookFolder = 'files/';
  const kEmulatorFolder = 'ruffle/';
  const kFileList = 'book-files.json';

  const gate = BookstubPageGate.createGestureGate(() => performance.now());
  const nativeOpen = window.open.bind(window);

  function watchGestures() {
    const onGesture = (event) => {
      if (event.isTrusted && !event.repeat) gate.onGesture();
    };
    window.addEventListener('pointerdown', onGesture, true);
    window.addEventListener('keydown', onGesture, true);
  }

  function openLink(url) {
    const link = BookstubPageGate.externalLink(url, window.location.href);
    if (link === null || !gate.take()) {
      console.warn(`Dropped a link of the book: ${url}`);
      return;
    }
    // Outside the emulator's call: a new tab taking the focus at once would re-enter it.
    setTimeout(() => nativeOpen(link, '_blank', 'noopener,noreferrer'), 0);
  }

  // The movie leaves the page for a link by navigating it (a browser without the Navigation API
  // lets it), or opens a window with a target of its own; the page stays and the link opens in
  // a new tab instead.
  function keepPage() {
    window.open = (url) => {
      openLink(url);
      return null;
    };
    if (!window.navigation) return;
    window.navigation.addEventListener('navigate', (event) => {
      if (!event.cancelable || event.navigationType === 'reload') return;
      if (event.navigationType === 'traverse') return;
      event.preventDefault();
      openLink(event.destination.url);
    });
  }

  // The emulator opens a link by submitting a form to it; the form is never sent from the page.
  function keepForms() {
    const submit = function submit() {
      const fields = [...new FormData(this)].map(([name, value]) => [name, String(value)]);
      const link = BookstubPageGate.formLink(this.action, this.method, fields);
      if (link === null) {
        console.warn(`Dropped a form of the book: ${this.action}`);
        return;
      }
      openLink(link);
    };
    HTMLFormElement.prototype.submit = submit;
    HTMLFormElement.prototype.requestSubmit = submit;
  }

  function toggleFullScreen() {
    if (!gate.take()) return;
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    } else {
      document.documentElement.requestFullscreen().catch(() => {});
    }
  }

  function onFlashCall(requestXml) {
    if (BookstubPageGate.flashCallName(requestXml) === 'fullscreen_error') toggleFullScreen();
  }

  async function loadFileList() {
    const response = await fetch(new URL(kFileList, window.location.href));
    if (!response.ok) throw new Error(`${kFileList}: ${response.status}`);
    const list = await response.json();
    return Array.isArray(list.files) ? list.files.filter((name) => typeof name === 'string') : [];
  }

  async function start() {
    const names = await loadFileList();
    BookstubBookFiles.installBookFetch(window, {
      bookUrl: new URL(kBookFolder, window.location.href).href,
      emulatorUrl: new URL(kEmulatorFolder, window.location.href).href,
      resolve: BookstubBookFiles.createBookFileResolver(names),
    });
    BookstubFlashCall.installExternalCallHook(window, onFlashCall);
    const options = BookstubPlayerOptions.optionsForMovie(kMovie, window.location.href);
    const player = window.RufflePlayer.newest().createPlayer();
    player.id = 'player';
    document.body.appendChild(player);
    await player.ruffle().load(options);
    player.focus();
    // The emulator takes keys only while its element has focus.
    window.addEventListener('focus', () => player.focus());
    document.addEventListener('fullscreenchange', () => player.focus());
  }

  watchGestures();
  keepPage();
  keepForms();
  window.RufflePlayer = window.RufflePlayer || {};
  // The emulator's files are beside its script (ruffle/); it replaces no other element.
  window.RufflePlayer.config = { polyfills: false };
  window.addEventListener('DOMContentLoaded', () => {
    start().catch((error) => console.error(`The book could not start: ${error}`));
  });
})();
