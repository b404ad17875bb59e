// Exported books played in a real browser, headless: Chromium over its DevTools protocol or
// Firefox over WebDriver BiDi, both driven by puppeteer-core, against sites served on 127.0.0.1
// by `bookstub serve`. Checked from outside, with pixel probes of screenshots:
//  - the demo book: the first spread shows (the cover alone on the right), the right-arrow key
//    turns to a two-page spread, the movie's fullscreen_error (the "Full screen" button) puts
//    the page in full screen, a click on the link area of page 2 opens exactly one new tab with
//    its address, and calls of the page without a click open nothing and never leave the page;
//    a book file named in another letter case or with "\" loads, a path outside the book fails
//    without being sent, and the page asks nothing of any other origin;
//  - the old-style book: its first page shows and a key turns to a two-page spread;
//  - the book made from a PDF: a click beside its web link opens nothing and one on it exactly
//    one tab with its address, its link to page 3 turns to that spread, and the search (Ctrl+F,
//    a word, Enter, a click on the hit) reads the book's texts through the page, shows page 2
//    and marks the word there.
// Nothing leaves the machine: the browsers' proxy for other hosts is a closed port.
//   node play-exported-books.js chromium|firefox WORK DEMO_URL OLD_URL PDF_URL
'use strict';

const fs = require('node:fs');
const path = require('node:path');
const puppeteer = require('puppeteer-core');
const { decodePng } = require('./png.js');

const [browserName, work, demoUrl, oldUrl, pdfUrl] = process.argv.slice(2);
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

// Which halves of the book's area (the screenshot's first `areaWidth` pixels: a panel may take
// the rest) show a page: "left right", "right", "left" or "".
function halves(image, areaWidth = image.width) {
  const area = image.height - kTitleBand - kToolbar;
  const top = kTitleBand + area / 5;
  const bottom = top + (area * 3) / 5;
  const shown = [];
  if (paperShare(image, areaWidth * 0.1, top, areaWidth * 0.4, bottom) > 0.5) shown.push('left');
  if (paperShare(image, areaWidth * 0.6, top, areaWidth * 0.9, bottom) > 0.5) shown.push('right');
  return shown.join(' ');
}

async function waitForHalves(page, expected, what, timeoutMs) {
  await waitFor(`${what} (halves showing "${expected}")`,
    async () => halves(await screenshot(page)) === expected, timeoutMs);
}

// Where the page on the `side` of the spine lies on the screenshot (the spine in the middle of
// the book's area, the first `areaWidth` pixels): its light paper across the middle row, and
// down a column inside its outer edge.
function pageBox(image, side, areaWidth = image.width) {
  const middle = Math.round(image.height / 2);
  const spine = Math.round(areaWidth / 2);
  let outer = side === 'left' ? 0 : areaWidth - 1;
  const inward = side === 'left' ? 1 : -1;
  while (outer !== spine && !isPaper(image.pixel(outer, middle))) outer += inward;
  const column = outer + 3 * inward;
  let top = kTitleBand;
  while (top < middle && !isPaper(image.pixel(column, top))) top += 1;
  let bottom = image.height - kToolbar - 1;
  while (bottom > middle && !isPaper(image.pixel(column, bottom))) bottom -= 1;
  const [left, right] = side === 'left' ? [outer, spine] : [spine, outer + 1];
  return { left, top, right, bottom };
}

// The screenshot's point at the share (fx, fy) of a page's width and height.
function pointOn(box, fx, fy) {
  return {
    x: Math.round(box.left + fx * (box.right - box.left)),
    y: Math.round(box.top + fy * (box.bottom - box.top)),
  };
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

// A click at `point` (once the movie shows a hand there) opens exactly one tab since
// `tabsBefore`, with `url`, and the book's page stays where it is.
async function clickOpensOneTab(page, tabs, tabsBefore, point, url) {
  const pageUrl = page.url();
  const address = url.replace(/^https:\/\//, '');
  await clickWhenPointing(page, point.x, point.y);
  const linkTab = await waitFor(`a tab with ${url}`, () =>
    tabs.opened().slice(tabsBefore).find((tab) => tab.urls().some((u) => u.includes(address))));
  await sleep(3000);  // time for a second tab, which must not come
  const newTabs = tabs.opened().slice(tabsBefore);
  if (newTabs.length !== 1) {
    throw new Failure(`the click opened ${newTabs.length} tabs: ${newTabs.map((t) => t.urls()).join(' | ')}`);
  }
  if (page.url() !== pageUrl) throw new Failure(`the book's page went to ${page.url()}`);
  await (await linkTab.target.page())?.close();
  await page.bringToFront();
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

  const box = pageBox(await screenshot(page), 'left');
  const link = pointOn(box, kDemoLink.x / kDemoPage.width, kDemoLink.y / kDemoPage.height);
  await clickOpensOneTab(page, tabs, tabsBefore, link, kDemoLink.url);

  const elsewhere = requests.filter((url) => !/^(data|blob):/.test(url) && new URL(url).origin !== origin);
  if (elsewhere.length) throw new Failure(`requests to other origins: ${elsewhere.join(' ')}`);
  if (!requests.some((url) => url.endsWith('.wasm'))) throw new Failure('no request of the emulator seen');
  await page.close();
}

async function playOld(browser) {
  const page = await browser.newPage();
  await page.setViewport({ width: kWidth, height: kHeight });
  await page.goto(oldUrl);
  await waitForHalves(page, 'right', `the first page of ${oldUrl}`, kStartTimeoutMs);
  await page.keyboard.press('ArrowRight');
  await waitForHalves(page, 'left right', `a spread of ${oldUrl} after the right arrow`);
  await page.close();
}

// The standard test PDF (tests/support/pdf/TestPdf.h), as shares of its A4 page (595 x 842
// points): the centres of page 1's two links, and the box of "Preface" on page 2.
const kPdfWebLink = { x: 147 / 595, y: 200 / 842, url: 'https://example.org/' };
const kPdfBesideWebLink = { x: 0.7, y: 200 / 842 };
const kPdfLinkToPage3 = { x: 147 / 595, y: 240 / 842 };
const kPdfPrefaceBox = { x: 72 / 595, y: 90 / 842, width: 38 / 595, height: 14 / 842 };
// The search panel at the right of the book's area (viewer/SearchPanel.hx): its box, and the
// first hit's row.
const kSearchWidth = 300;
const kSearchBox = { x: kWidth - 200, y: kTitleBand + 52 };
const kFirstHit = { x: kWidth - 150, y: kTitleBand + 84 + 25 };

async function pressWithControl(page, key) {
  await page.keyboard.down('Control');
  await page.keyboard.press(key);
  await page.keyboard.up('Control');
}

// The search panel's dark bar over the book's background.
function searchIsOpen(image) {
  const [r, , b] = image.pixel(kWidth - 150, kTitleBand + 300);
  return r < 40 && b < 64;
}

// The share of a rectangle where the highlight's yellow lies: red far above blue, which neither
// paper nor ink has.
function yellowShare(image, box) {
  let red = 0;
  let all = 0;
  for (let y = Math.floor(box.top); y < box.bottom; y += 1) {
    for (let x = Math.floor(box.left); x < box.right; x += 1) {
      const [r, , b] = image.pixel(x, y);
      red += (r - b) / 255;
      all += 1;
    }
  }
  return all ? red / all : 0;
}

async function playPdf(browser, tabs) {
  const page = await browser.newPage();
  await page.setViewport({ width: kWidth, height: kHeight });
  await page.goto(pdfUrl);
  await waitForHalves(page, 'right', 'the PDF\'s first page alone on the right', kStartTimeoutMs);
  const cover = pageBox(await screenshot(page), 'right');

  // Beside the web link first: input arrives in order, so when the click on the link has opened
  // its tab, the one before it had its chance to open something too.
  const tabsBefore = tabs.opened().length;
  const beside = pointOn(cover, kPdfBesideWebLink.x, kPdfBesideWebLink.y);
  await page.mouse.click(beside.x, beside.y);
  await clickOpensOneTab(page, tabs, tabsBefore,
    pointOn(cover, kPdfWebLink.x, kPdfWebLink.y), kPdfWebLink.url);

  const toPage3 = pointOn(cover, kPdfLinkToPage3.x, kPdfLinkToPage3.y);
  await clickWhenPointing(page, toPage3.x, toPage3.y);
  await waitForHalves(page, 'left right', 'the spread of pages 2 and 3 after the link to page 3');

  // The search, from the cover: its hit must turn the page. Home again until the cover shows: a
  // key pressed while the page still turns may be dropped.
  await waitFor('the cover again after Home', async () => {
    await page.keyboard.press('Home');
    return halves(await screenshot(page)) === 'right';
  });
  await pressWithControl(page, 'KeyF');
  await waitFor('the search panel after Ctrl+F', async () => searchIsOpen(await screenshot(page)));
  await page.mouse.click(kSearchBox.x, kSearchBox.y);
  await page.keyboard.type('Preface');
  await page.keyboard.press('Enter');
  const bookArea = kWidth - kSearchWidth;
  await waitFor('the spread of page 2 after a click on the hit for "Preface"', async () => {
    await page.mouse.click(kFirstHit.x, kFirstHit.y);
    return halves(await screenshot(page), bookArea) === 'left right';
  });
  await waitFor('"Preface" marked on page 2', async () => {
    const image = await screenshot(page);
    const box = pageBox(image, 'left', bookArea);
    const from = pointOn(box, kPdfPrefaceBox.x, kPdfPrefaceBox.y);
    const to = pointOn(box, kPdfPrefaceBox.x + kPdfPrefaceBox.width, kPdfPrefaceBox.y + kPdfPrefaceBox.height);
    return yellowShare(image, { left: from.x, top: from.y, right: to.x, bottom: to.y }) > 0.15;
  });
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
    step = `the old-style book ${oldUrl}`;
    await playOld(browser);
    step = `the book made from a PDF ${pdfUrl}`;
    await playPdf(browser, tabs);
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
