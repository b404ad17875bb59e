// Routes fetch() for the host's own URL scheme through XMLHttpRequest: the embedded browser
// refuses fetch() on custom schemes while XMLHttpRequest works. Other URLs keep the native fetch.
'use strict';

(function (global) {
  // Statuses whose responses carry no body: a Response with one cannot be made.
  const kNoBody = new Set([204, 205, 304]);

  function parseHeaders(rawHeaders) {
    const headers = [];
    for (const line of rawHeaders.split(/\r?\n/)) {
      const colon = line.indexOf(':');
      if (colon > 0) headers.push([line.slice(0, colon).trim(), line.slice(colon + 1).trim()]);
    }
    return headers;
  }

  // The received bytes as a response body without copying them: a Response made from the buffer
  // itself would copy it (14 MB for the emulator's WebAssembly, which the compiler then reads
  // once more). A stream handing over the buffer's bytes as one chunk is read in place.
  function bodyOf(env, buffer) {
    return new env.ReadableStream({
      start(controller) {
        if (buffer && buffer.byteLength) controller.enqueue(new Uint8Array(buffer));
        controller.close();
      },
    });
  }

  function send(env, request, body) {
    return new Promise((resolve, reject) => {
      const xhr = new env.XMLHttpRequest();
      xhr.open(request.method, request.url, true);
      xhr.responseType = 'arraybuffer';
      request.headers.forEach((value, name) => xhr.setRequestHeader(name, value));
      xhr.onload = () => {
        // Custom-scheme replies may carry no HTTP status; a delivered body means success.
        const status = xhr.status >= 200 && xhr.status <= 599 ? xhr.status : 200;
        const response = new env.Response(kNoBody.has(status) ? null : bodyOf(env, xhr.response), {
          status,
          statusText: xhr.statusText || '',
          headers: parseHeaders(xhr.getAllResponseHeaders()),
        });
        Object.defineProperty(response, 'url', { value: request.url });
        resolve(response);
      };
      xhr.onerror = () => reject(new TypeError(`Failed to fetch ${request.url}`));
      xhr.onabort = () => reject(new TypeError(`Fetch aborted: ${request.url}`));
      xhr.send(body);
    });
  }

  // Installs the shim on env (window in the page) for URLs whose protocol is `scheme` + ":".
  function installFetchShim(env, scheme) {
    const nativeFetch = env.fetch ? env.fetch.bind(env) : null;
    env.fetch = async function fetch(input, init) {
      const request = new env.Request(input, init);
      if (new URL(request.url).protocol !== `${scheme}:`) {
        if (!nativeFetch) throw new TypeError(`No fetch for ${request.url}`);
        return nativeFetch(input, init);
      }
      const hasBody = request.method !== 'GET' && request.method !== 'HEAD';
      return send(env, request, hasBody ? await request.arrayBuffer() : null);
    };
  }

  const api = { installFetchShim, parseHeaders };
  if (typeof module === 'object' && module.exports) {
    module.exports = api;
  } else {
    global.BookstubFetchShim = api;
  }
})(globalThis);
