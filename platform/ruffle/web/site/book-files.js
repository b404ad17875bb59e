// Resolves the movie's requests through the list of the book's files, as the player's URL scheme
// does from the folder itself: static web servers take names exactly as written, while books
// authored on case-insensitive file systems name their files in other letter cases and with "\"
// separators. A name is matched exactly first, then segment by segment in another ASCII letter
// case (the exact segment before others, others in name order). Names that leave the book, and
// requests to any other origin, resolve to nothing and are never sent.
'use strict';

(function (global) {
  // The segments of a request path (percent-decoded, "/" or "\" separated) inside the book, or
  // null when it could step out of the book or names no file.
  function requestSegments(path) {
    if (path.includes('\0')) return null;
    const segments = path.split(/[\\/]/).filter((segment) => segment !== '');
    if (segments.length === 0) return null;
    if (segments.some((segment) => segment === '.' || segment === '..')) return null;
    return segments;
  }

  const lowerAscii = (text) => text.replace(/[A-Z]/g, (c) => c.toLowerCase());

  // How well `name`'s segments follow the request's, segment by segment: an exact segment comes
  // before another letter case, then names come in code-unit order.
  function compareCandidates(requested, a, b) {
    for (let i = 0; i < requested.length; ++i) {
      const aExact = a[i] === requested[i];
      const bExact = b[i] === requested[i];
      if (aExact !== bExact) return aExact ? -1 : 1;
      if (a[i] !== b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
  }

  // `names`: the book's files, relative to the book folder, "/" separated.
  function createBookFileResolver(names) {
    const byKey = new Map();
    for (const name of names) {
      const segments = name.split('/');
      const key = lowerAscii(segments.join('/'));
      if (!byKey.has(key)) byKey.set(key, []);
      byKey.get(key).push(segments);
    }
    // The book's file that `path` names, "/" separated, or null.
    return function resolve(path) {
      const requested = requestSegments(path);
      if (!requested) return null;
      const candidates = byKey.get(lowerAscii(requested.join('/')));
      if (!candidates) return null;
      const best = candidates.reduce((a, b) => (compareCandidates(requested, a, b) <= 0 ? a : b));
      return best.join('/');
    };
  }

  function decodePath(path) {
    try {
      return decodeURIComponent(path);
    } catch {
      return null;
    }
  }

  // Replaces env.fetch: requests inside `bookUrl` go to the file `resolve` finds; requests
  // inside `emulatorUrl` (the emulator's own files) pass unchanged; every other request fails
  // without being sent.
  function installBookFetch(env, { bookUrl, emulatorUrl, resolve }) {
    const nativeFetch = env.fetch.bind(env);
    const book = new URL(bookUrl);
    const emulator = new URL(emulatorUrl);
    const refuse = (url) => Promise.reject(new TypeError(`Not part of the book: ${url}`));
    env.fetch = function fetch(input, init) {
      let request;
      try {
        request = new env.Request(input, init);
      } catch (error) {
        return Promise.reject(error);
      }
      const url = new URL(request.url);
      if (url.origin !== book.origin) return refuse(request.url);
      if (request.method !== 'GET' && request.method !== 'HEAD') return refuse(request.url);
      if (url.pathname.startsWith(emulator.pathname)) return nativeFetch(request);
      if (!url.pathname.startsWith(book.pathname)) return refuse(request.url);
      const path = decodePath(url.pathname.slice(book.pathname.length));
      const name = path === null ? null : resolve(path);
      if (name === null) return refuse(request.url);
      const target = new URL(name.split('/').map(encodeURIComponent).join('/'), book);
      return nativeFetch(new env.Request(target.href, request));
    };
  }

  const api = { requestSegments, createBookFileResolver, installBookFetch };
  if (typeof module === 'object' && module.exports) {
    module.exports = api;
  } else {
    global.BookstubBookFiles = api;
  }
})(globalThis);
