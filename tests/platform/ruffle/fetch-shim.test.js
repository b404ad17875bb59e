// fetch() for the host scheme goes through XMLHttpRequest; other URLs keep the native fetch.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { installFetchShim, parseHeaders } = require(
  path.join(process.env.BOOKSTUB_SOURCE_DIR, 'platform/ruffle/web/fetch-shim.js'));

// A stand-in for the browser's XMLHttpRequest that answers each request from `reply`.
function fakeXhrClass(sent, reply) {
  return class FakeXhr {
    constructor() {
      this.headers = {};
    }
    open(method, url, async) {
      Object.assign(this, { method, url, async });
    }
    setRequestHeader(name, value) {
      this.headers[name] = value;
    }
    getAllResponseHeaders() {
      return this.responseHeaders || '';
    }
    send(body) {
      sent.push({ method: this.method, url: this.url, body, headers: this.headers, type: this.responseType });
      setImmediate(() => reply(this));
    }
  };
}

function pageEnv(reply) {
  const sent = [];
  const nativeCalls = [];
  const env = {
    Request,
    Response,
    ReadableStream,
    XMLHttpRequest: fakeXhrClass(sent, reply),
    fetch: async (input) => {
      nativeCalls.push(String(input));
      return new Response('native');
    },
  };
  installFetchShim(env, 'bookstub');
  return { env, sent, nativeCalls };
}

const succeed = (bytes, status = 0) => (xhr) => {
  xhr.status = status;
  xhr.response = new TextEncoder().encode(bytes).buffer;
  xhr.responseHeaders = 'Content-Type: application/wasm\r\nX-Other: a:b\r\n';
  xhr.onload();
};

test('scheme URLs are read with XMLHttpRequest into a full Response', async () => {
  for (const status of [0, 200, 404]) {
    const { env, sent, nativeCalls } = pageEnv(succeed('movie bytes', status));
    const response = await env.fetch('bookstub://player/book/book.swf');
    assert.equal(response.status, status === 0 ? 200 : status);
    assert.equal(response.ok, status !== 404);
    assert.equal(response.url, 'bookstub://player/book/book.swf');
    assert.equal(response.headers.get('content-type'), 'application/wasm');
    assert.equal(await response.text(), 'movie bytes');
    assert.deepEqual(sent.map((s) => [s.method, s.type, s.body]), [['GET', 'arraybuffer', null]]);
    assert.deepEqual(nativeCalls, []);
  }
});

test('the body is the received buffer itself; bodiless statuses have none', async () => {
  let received;
  const { env } = pageEnv((xhr) => (succeed('wasm')(xhr), (received = xhr.response)));
  const chunk = await (await env.fetch('bookstub://player/host/x.wasm')).body.getReader().read();
  assert.equal(chunk.value.buffer, received);
  for (const status of [204, 304]) {
    const bodiless = await pageEnv(succeed('', status)).env.fetch('bookstub://player/book/x');
    assert.equal(bodiless.body, null);
  }
});

test('a Request object keeps its method, headers and body', async () => {
  const { env, sent } = pageEnv(succeed(''));
  const request = new Request('bookstub://player/book/save', {
    method: 'POST',
    body: 'a=1',
    headers: { 'X-Test': 'yes' },
  });
  await env.fetch(request);
  assert.equal(sent[0].method, 'POST');
  assert.equal(sent[0].headers['x-test'], 'yes');
  assert.equal(new TextDecoder().decode(sent[0].body), 'a=1');
});

test('other schemes use the native fetch', async () => {
  const { env, sent, nativeCalls } = pageEnv(succeed(''));
  assert.equal(await (await env.fetch('https://example.org/x')).text(), 'native');
  assert.deepEqual(nativeCalls, ['https://example.org/x']);
  assert.deepEqual(sent, []);
});

test('a failed request rejects like fetch does', async () => {
  const { env } = pageEnv((xhr) => xhr.onerror());
  await assert.rejects(env.fetch('bookstub://player/book/missing.png'), TypeError);
});

test('response headers are split at the first colon', () => {
  assert.deepEqual(parseHeaders('A: 1\r\nB: x: y\r\n\r\nbroken\r\n'), [['A', '1'], ['B', 'x: y']]);
});
