// Exported books played in a real browser, headless: Chromium over its DevTools protocol or
// Firefox over WebDriver BiDi, both driven by puppeteer-core, against sites served on 127.0.0.1
// by `bookstub serve`. Checked from outside, with pixel probes of screenshots:
//  - the demo book: the first spread shows (the cover alone on the right), the right-arrow key
//    turns to a two-page spread, the movie's fullscreen_error (the "Full screen" button) puts
//    the page in full screen, a click on the link area of page 2 opens exactly one new tab with
//    its address, and calls of the page without a click open nothing and never leave the page;
//    a book file named in another letter case or with "\" loads, a path outside the book fails
//    without being sent, and the page asks nothing of any other origin;
//  - each other book given: its first page shows and a key turns to a two-page spread; given as
//    URL|FILE|TEXT, the book's FILE (relative to the page) loads through the page and holds TEXT.
// Nothing leaves the machine: the browsers' proxy for other hosts is a closed port.
//   node play-exported-books.js chromium|firefox WORK DEMO_URL [OTHER_URL[|FILE|TEXT]...]
'use strict';

const fs = require('node:fs');
const path = require('node:path');
const puppeteer = require('puppeteer-core');
const { decodePng } = require('./png.js');

const [browserName, work, demoUrl, ...otherUrls] = process.argv.slice(2);
const kWidth = 1000;
const kHeight = 700;
// The viewer's layout: a title band on top, the toolbar at the bottom, the pages between.
const kTitleBand = 34;
const kToolbar = 44;
const kFullScreenButtonFromRight = 70;
// The demo book's page size and the link area of its page 2 (examples/demo-book/book.xml).
const kDemoPage = { width: 500, height: 700 };
const kDemoLink = { x: 40 + 420 / 2, y: 500 + 120 / 2, url: 'https://example.org/' };
// A loaded machine needs long for the emulator's first frame; later steps are quicker.
const kStartTimeoutMs = 180_000;
const kStepTimeoutMs = 60_000;

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

class Failure extends Error {}

async function waitFor(what, condition, timeoutMs = kStepTimeoutMs) {
  const end = Date.now() + timeoutMs;
  let last;
  while (Date.now() < end) {
    last = await condition();
    if (last) return last;
    await sleep(500);
  }
  throw new Failure(`timed out: ${what}`);
}

function launchOptions() {
  const closedPort = 9;  // discard: nothing listens there
  if (browserName === 'firefox') {
    return {
      browser: 'firefox',
      executablePath: process.env.BOOKSTUB_FIREFOX || '/usr/bin/firefox-esr',
      headless: true,
      extraPrefsFirefox: {
        'network.proxy.type': 1,
        'network.proxy.http': '127.0.0.1',
        'network.proxy.http_port': closedPort,
        'network.proxy.ssl': '127.0.0.1',
        'network.proxy.ssl_port': closedPort,
        'webgl.disabled': true,
      },
    };
  }
  return {
    executablePath: process.env.BOOKSTUB_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: [
      `--proxy-server=http://127.0.0.1:${closedPort}`,
      // Without a GPU, WebGL is drawn in software at a frame or two per second on a busy
      // machine; the emulator then draws with its canvas renderer, as in Firefox here.
      '--disable-webgl',
      ...(process.getuid && process.getuid() === 0 ? ['--no-sandbox'] : []),
    ],
  };
}

async function screenshot(page) {
  return decodePng(Buffer.from(await page.screenshot({ type: 'png' })));
}

const luminance = ([r, g, b]) => 0.299 * r + 0.587 * g + 0.114 * b;
const isPaper = (pixel) => luminance(pixel) > 150;

// The share of light pixels, as on a page, in a rectangle of the screenshot.
function paperShare(image, x0, y0, x1, y1) {
  let light = 0;
  let all = 0;
  for (let y = Math.round(y0); y < y1; y += 4) {
    for (let x = Math.round(x0); x < x1; x += 4) {
      all += 1;
      if (isPaper(image.pixel(x, y))) light += 1;
    }
  }
  return all ? light / all : 0;
}

// Which halves of the page area show a page: "left right", "right", "left" or "".
function halves(image) {
  const { width, height } = image;
  const area = height - kTitleBand - kToolbar;
  const top = kTitleBand + area / 5;
  const bottom = top + (area * 3) / 5;
  const shown = [];
  if (paperShare(image, width * 0.1, top, width * 0.4, bottom) > 0.5) shown.push('left');
  if (paperShare(image, width * 0.6, top, width * 0.9, bottom) > 0.5) shown.push('right');
  return shown.join(' ');
}

async function waitForHalves(page, expected, what, timeoutMs) {
  await waitFor(`${what} (halves showing "${expected}")`,
    async () => halves(await screenshot(page)) === expected, timeoutMs);
}

// Where the left page of the spread lies on the screenshot: its light paper around the middle.
function leftPageBox(image) {
  const middle = Math.round(image.height / 2);
  let left = 0;
  while (left < image.width / 2 && !isPaper(image.pixel(left, middle))) left += 1;
  const column = left + 3;
  let top = kTitleBand;
  while (top < middle && !isPaper(image.pixel(column, top))) top += 1;
  let bottom = image.height - kToolbar - 1;
  while (bottom > middle && !isPaper(image.pixel(column, bottom))) bottom -= 1;
  return { left, top, right: Math.round(image.width / 2), bottom };
}

async function cursorOfMovie(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById('player')?.shadowRoot?.querySelector('canvas');
    return canvas ? canvas.style.cursor : '';
  });
}

// Clicks at (x, y) once the movie shows a hand there: the emulator knows what is under the
// pointer only after it has seen the pointer move onto it.
async function clickWhenPointing(page, x, y) {
  await waitFor('the hand cursor over the link', async () => {
    await page.mouse.move(x + (Date.now() % 2), y);
    return (await cursorOfMovie(page)) === 'pointer';
  });
  await page.mouse.click(x, y);
}

async function fetchFromPage(page, url) {
  return page.evaluate(async (target) => {
    try {
      const response = await fetch(target);
      return { ok: response.ok, text: (await response.text()).slice(0, 200) };
    } catch (error) {
      return { failed: String(error) };
    }
  }, url);
}

// The page resolves the book's names itself, and sends nothing the book does not hold.
async function checkNames(page) {
  for (const name of ['files/RES/OTHER/TOC.XML', 'files/res\\other\\Toc.xml', 'files/res/other/toc.xml']) {
    const result = await fetchFromPage(page, name);
    if (!result.ok || !result.text.includes('<toc')) {
      throw new Failure(`${name} did not load: ${JSON.stringify(result)}`);
    }
  }
  for (const name of ['files/../index.html', 'files/%2e%2e/book-files.json', 'files/missing.png',
    'index.html', 'https://example.org/', 'http://127.0.0.2/files/book.swf']) {
    const result = await fetchFromPage(page, name);
    if (!result.failed) throw new Failure(`${name} was served: ${JSON.stringify(result)}`);
  }
}

async function isFullScreen(page) {
  return page.evaluate(() => document.fullscreenElement !== null);
}

async function playDemo(browser, tabs) {
  const page = await browser.newPage();
  await page.setViewport({ width: kWidth, height: kHeight });
  const requests = [];
  page.on('request', (request) => requests.push(request.url()));
  const origin = new URL(demoUrl).origin;

  await page.goto(demoUrl);
  await waitForHalves(page, 'right', 'the cover alone on the right', kStartTimeoutMs);
  await checkNames(page);

  // Without a click or key press of the reader the movie's links and full screen do nothing.
  const tabsBefore = tabs.opened().length;
  await page.evaluate(() => {
    window.open('https://example.com/a', '_blank');
    const form = document.createElement('form');
    form.action = 'https://example.com/form';
    document.body.appendChild(form);
    form.submit();
    window.location.assign('https://example.net/');
  });
  await sleep(3000);
  if (tabs.opened().length !== tabsBefore) throw new Failure('a tab opened without a click');
  if (page.url() !== demoUrl) throw new Failure(`the page went to ${page.url()}`);

  await page.keyboard.press('ArrowRight');
  await waitForHalves(page, 'left right', 'the spread of pages 2 and 3 after the right arrow');

  await page.mouse.click(kWidth - kFullScreenButtonFromRight, kHeight - kToolbar / 2);
  await waitFor('full screen after the "Full screen" button', () => isFullScreen(page));
  await page.evaluate(() => document.exitFullscreen());
  await waitFor('the page back from full screen', async () => !(await isFullScreen(page)));
  await page.setViewport({ width: kWidth, height: kHeight });
  await waitForHalves(page, 'left right', 'the spread again after full screen');

  const box = leftPageBox(await screenshot(page));
  const x = Math.round(box.left + (kDemoLink.x / kDemoPage.width) * (box.right - box.left));
  const y = Math.round(box.top + (kDemoLink.y / kDemoPage.height) * (box.bottom - box.top));
  await clickWhenPointing(page, x, y);
  const linkTab = await waitFor('a tab with the link', () =>
    tabs.opened().slice(tabsBefore).find((tab) => tab.urls().some((u) => u.includes('example.org'))));
  await sleep(3000);  // time for a second tab, which must not come
  const newTabs = tabs.opened().slice(tabsBefore);
  if (newTabs.length !== 1) {
    throw new Failure(`the click opened ${newTabs.length} tabs: ${newTabs.map((t) => t.urls()).join(' | ')}`);
  }
  if (!linkTab.urls().some((u) => u.includes(kDemoLink.url.replace(/^https:\/\//, '')))) {
    throw new Failure(`the tab is not the link's: ${linkTab.urls()}`);
  }
  if (page.url() !== demoUrl) throw new Failure(`the book's page went to ${page.url()}`);

  const elsewhere = requests.filter((url) => !/^(data|blob):/.test(url) && new URL(url).origin !== origin);
  if (elsewhere.length) throw new Failure(`requests to other origins: ${elsewhere.join(' ')}`);
  if (!requests.some((url) => url.endsWith('.wasm'))) throw new Failure('no request of the emulator seen');
  await page.close();
}

async function playOther(browser, given) {
  const [url, file, text] = given.split('|');
  const page = await browser.newPage();
  await page.setViewport({ width: kWidth, height: kHeight });
  await page.goto(url);
  await waitForHalves(page, 'right', `the first page of ${url}`, kStartTimeoutMs);
  if (file) {
    const result = await fetchFromPage(page, file);
    if (!result.ok || !result.text.includes(text)) {
      throw new Failure(`${file} of ${url} did not load with "${text}": ${JSON.stringify(result)}`);
    }
  }
  await page.keyboard.press('ArrowRight');
  await waitForHalves(page, 'left right', `a spread of ${url} after the right arrow`);
  await page.close();
}

// The page tabs the browser opens, with every address each has had.
function watchTabs(browser) {
  const opened = [];
  browser.on('targetcreated', (target) => {
    if (target.type() !== 'page') return;
    const seen = [target.url()];
    opened.push({ target, seen, urls: () => [...seen, target.url()] });
  });
  browser.on('targetchanged', (target) => {
    const tab = opened.find((t) => t.target === target);
    if (tab) tab.seen.push(target.url());
  });
  return { opened: () => opened };
}

async function main() {
  const browser = await puppeteer.launch(launchOptions());
  let step = 'starting';
  try {
    const tabs = watchTabs(browser);
    step = `the demo book ${demoUrl}`;
    await playDemo(browser, tabs);
    for (const given of otherUrls) {
      step = `the book ${given}`;
      await playOther(browser, given);
    }
    console.log(`${browserName}: every exported book played`);
  } catch (error) {
    for (const page of await browser.pages()) {
      const shot = path.join(work, `failure-${browserName}-${(await browser.pages()).indexOf(page)}.png`);
      await page.screenshot({ path: shot }).catch(() => {});
    }
    throw new Error(`${browserName}, ${step}: ${error.message}`);
  } finally {
    await browser.close();
  }
}

main().catch((error) => {
  console.error(`FAILED: ${error.message}`);
  process.exit(1);
});
