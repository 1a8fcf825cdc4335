// Opens a catalog in the modern style as its visitors would, in headless Chromium on a desktop
// (1280 x 800) and on a phone (390 x 844, three device pixels per pixel, touch): no page scrolls
// sideways, the grid has several columns on the desktop and fewer than four on the phone, every
// thumbnail and picture loads and shows whole, every link and control of the phone is 44 x 44
// CSS pixels at least and its text 16 pixels, every reference of every page resolves. Then the
// keys, a swipe, the slide show (advances, pauses, stops at the last photo), full screen (entered,
// kept while moving on, left on the photo shown), the pages without scripts (plain links, and the
// slide show's refresh only once started), the requests of a first index page of 2000 photos,
// and Firefox's headless screenshot of an index and an image page.
//
// Usage: node modern_catalog.mjs PATH/TO/fotoloom-cli
// Environment: CHROMIUM (default /usr/bin/chromium), FIREFOX (default /usr/bin/firefox-esr);
// SCREENSHOTS, a folder that receives the index and image pages as the desktop and the phone
// show them. Exit 0 when every check held, 1 when one failed, 77 without Chromium.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

import {
  addBigPhoto, BIG_PHOTO, browserPath, check, finish, launch, makeCatalog, sampleAlbum,
  withoutHash,
} from './catalog.mjs';

const MODERN = { settings: ['CatalogStyle=1'], env: {} };
const DELAY = 1;  // seconds of the slide show
// How long a navigation, full screen or script may take to come. Generous: a machine busy with
// a sanitizer build answers a swipe in seconds, and only a failing check ever waits it out.
const kWaitMs = 20000;
const DESKTOP = { name: 'desktop', viewport: { width: 1280, height: 800 } };
const PHONE = {
  name: 'phone', viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, hasTouch: true,
  isMobile: true,
};
// Chromium loads a lazy image once it comes this near the window (CSS pixels, fast network).
const LAZY_DISTANCE = 1250;
const firefoxPath = process.env.FIREFOX ?? '/usr/bin/firefox-esr';

const url = (file) => pathToFileURL(file).href;
const fileOf = (href) => fileURLToPath(withoutHash(href));
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
// Polls test() until it holds or kWaitMs have passed; what it asks for is then checked as usual.
async function until(test) {
  for (const end = Date.now() + kWaitMs; !test() && Date.now() < end;) await sleep(100);
}

// Every address a page uses, absolute: links, pictures (srcset too), stylesheet, scripts, sound,
// the background, the addresses the script takes from data attributes, and the refresh a
// browser without scripts follows.
async function references(page) {
  return page.evaluate(() => {
    const refs = [];
    const add = (value) => refs.push(new URL(value, document.baseURI).href);
    for (const e of document.querySelectorAll('a[href], link[href]')) add(e.getAttribute('href'));
    for (const e of document.querySelectorAll('img[src], script[src], audio[src]'))
      add(e.getAttribute('src'));
    for (const img of document.querySelectorAll('img[srcset]'))
      for (const candidate of img.getAttribute('srcset').split(','))
        add(candidate.trim().split(' ')[0]);
    for (const e of document.querySelectorAll('*')) {
      for (const name of ['first', 'last', 'play', 'items', 'nextPicture'])
        if (e.dataset[name]) add(e.dataset[name]);
    }
    const image = /url\("([^"]*)"\)/.exec(document.querySelector('style')?.textContent ?? '');
    if (image) add(image[1]);
    for (const n of document.querySelectorAll('noscript')) {
      const m = /url=([^"]*)"/.exec(n.textContent || n.innerHTML);
      if (m) add(m[1]);
    }
    return refs;
  });
}

// A reference is broken when its file is missing, or its "#name" names no element there.
async function checkReferences(page, where) {
  for (const ref of await references(page)) {
    const u = new URL(ref);
    const ok = u.protocol === 'file:' && fs.existsSync(fileOf(ref));
    if (!check(ok, `${where}: broken reference ${ref}`) || !u.hash) continue;
    const name = decodeURIComponent(u.hash.slice(1));
    const html = fs.readFileSync(fileOf(ref), 'utf8');
    check(html.includes(`id="${name}"`), `${where}: no element #${name} in ${ref}`);
  }
}

async function open(page, file, hash = '') {
  await page.goto(url(file) + hash, { waitUntil: 'load' });
}

// What the visitor sees of the page, in CSS pixels: the widths, the grid's columns, every
// image (loaded, wholly inside the window once scrolled to), the smallest link or control and
// the smallest text.
async function measure(page) {
  return page.evaluate(async () => {
    const html = document.documentElement;
    const grid = document.querySelector('.grid');
    const columns = grid ? getComputedStyle(grid).gridTemplateColumns.split(' ').length : 0;
    const images = [];
    for (const img of document.querySelectorAll('img')) {
      img.scrollIntoView({ block: 'center' });
      if (!img.complete) await new Promise((resolve) => { img.onload = img.onerror = resolve; });
      const r = img.getBoundingClientRect();
      images.push({
        src: img.currentSrc,
        loaded: img.complete && img.naturalWidth > 0,
        whole: r.width > 0 && r.left >= 0 && r.top >= 0 && r.right <= innerWidth &&
          r.bottom <= innerHeight,
      });
    }
    const targets = [];
    for (const e of document.querySelectorAll('a[href], button:not([hidden]), .pages span')) {
      // The thumbnail's link covers its whole card; the picture's link is its picture.
      const box = e.matches('.grid figure > a') ? e.parentElement : e.querySelector('img') ?? e;
      const r = box.getBoundingClientRect();
      targets.push({ what: e.outerHTML.slice(0, 60), width: r.width, height: r.height });
    }
    let smallestText = Infinity;
    const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
    while (walker.nextNode()) {
      const node = walker.currentNode;
      if (!node.textContent.trim() || !node.parentElement.checkVisibility()) continue;
      smallestText = Math.min(smallestText, parseFloat(getComputedStyle(node.parentElement).fontSize));
    }
    window.scrollTo(0, 0);
    // One Tab stop per photo: the links of a card, outside the descriptions' own.
    const stops = grid ? [...grid.querySelectorAll('figure')].map((f) =>
      [...f.querySelectorAll('a[href], button')].filter((e) => !e.closest('.description')).length)
      : [];
    return {
      scrollWidth: html.scrollWidth, width: innerWidth, columns, images, targets, smallestText,
      stops,
    };
  });
}

// Every page of the catalog at one screen: layout, pictures, sizes and references.
async function checkPages(context, album, screen) {
  const page = await context.newPage();
  const data = path.join(album, 'fldata');
  const pages = [
    ...fs.readdirSync(album).filter((n) => n.endsWith('.html')).map((n) => path.join(album, n)),
    // Show pages hand over to their photo's page at once; they are checked without scripts.
    ...fs.readdirSync(data).filter((n) => n.endsWith('.html') && !n.endsWith('-show.html'))
      .map((n) => path.join(data, n)),
  ];
  const phone = screen === PHONE;
  for (const file of pages) {
    const where = `${screen.name} ${path.relative(album, file)}`;
    await open(page, file);
    const m = await measure(page);
    check(m.scrollWidth <= m.width, `${where}: ${m.scrollWidth} pixels wide in ${m.width}`);
    if (m.columns > 0) {
      check(phone ? m.columns < 4 : m.columns > 1, `${where}: ${m.columns} columns`);
    }
    check(m.stops.every((n) => n === 1), `${where}: Tab stops per photo ${m.stops}`);
    check(m.images.length > 0, `${where}: no picture`);
    for (const img of m.images) {
      check(img.loaded, `${where}: not loaded ${img.src}`);
      check(img.whole, `${where}: not wholly visible ${img.src}`);
    }
    if (phone) {
      for (const t of m.targets) {
        check(t.width >= 44 && t.height >= 44,
          `${where}: ${t.width} x ${t.height} target ${t.what}`);
      }
      check(m.smallestText >= 16, `${where}: text of ${m.smallestText} pixels`);
    }
    await checkReferences(page, where);
  }
  await page.close();
  return pages.length;
}

const pageName = (page) => (page.url().startsWith('file:') ? path.basename(fileOf(page.url())) : page.url());
const hashOf = (page) => new URL(page.url()).hash;

async function pressAndWait(page, key, expected) {
  await Promise.all([page.waitForURL((u) => path.basename(fileOf(u.href)) === expected,
    { timeout: kWaitMs }).catch(() => {}), page.keyboard.press(key)]);
  await page.waitForLoadState('load');
  return pageName(page);
}

async function checkKeys(context, album) {
  const page = await context.newPage();
  const data = path.join(album, 'fldata');
  const order = JSON.parse(fs.readFileSync(path.join(data, 'index-items.js'), 'utf8')
    .replace(/^fotoloomItems\(/, '').replace(/\);\s*$/, '')).map((item) => item[0]);
  const name = (k) => decodeURIComponent(order[k]);
  // The next photo's picture is loaded ahead; the focus shows.
  const requested = [];
  page.on('request', (r) => requested.push(r.url()));
  await open(page, path.join(data, name(2)));
  const nextPicture = await page.evaluate(() => new URL(document.body.dataset.nextPicture,
    document.baseURI).href);
  await until(() => requested.includes(nextPicture));
  check(requested.includes(nextPicture), `${name(2)} did not load ${nextPicture} ahead`);
  await page.keyboard.press('Tab');
  const outline = await page.evaluate(() => getComputedStyle(document.activeElement).outlineStyle);
  check(outline !== 'none', `the focused ${await page.evaluate(() => document.activeElement.id)} ` +
    `shows no outline`);
  const cases = [
    ['ArrowRight', name(3)], ['ArrowLeft', name(2)], ['End', name(order.length - 1)],
    ['Home', name(0)], ['ArrowRight', name(1)],
  ];
  for (const [key, expected] of cases) {
    const reached = await pressAndWait(page, key, expected);
    check(reached === expected, `${key} led to ${reached}, not ${expected}`);
  }
  for (const key of ['Escape', 'ArrowUp']) {
    await open(page, path.join(data, name(1)));
    const reached = await pressAndWait(page, key, 'index001.html');
    const focused = await page.evaluate(() => document.activeElement.id);
    check(reached === 'index001.html' && hashOf(page) === '#photo2' && focused === 'photo2',
      `${key} led to ${page.url()}, focus on ${focused}`);
  }
  await open(page, path.join(album, 'index001.html'));
  check(await pressAndWait(page, 'ArrowRight', 'index002.html') === 'index002.html',
    `→ on the first index page led to ${page.url()}`);
  check(await pressAndWait(page, 'ArrowLeft', 'index001.html') === 'index001.html',
    `← on the second index page led to ${page.url()}`);
  await page.close();
  return order;
}

async function swipe(context, page, fromX, toX) {
  const cdp = await context.newCDPSession(page);
  const y = 400;
  const point = (x) => ({ touchPoints: [{ x, y }] });
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', ...point(fromX) });
  for (let k = 1; k <= 5; k += 1) {
    await cdp.send('Input.dispatchTouchEvent',
      { type: 'touchMove', ...point(fromX + ((toX - fromX) * k) / 5) });
  }
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  await cdp.detach();
}

async function checkSwipe(context, album, order) {
  const page = await context.newPage();
  const data = path.join(album, 'fldata');
  await open(page, path.join(data, decodeURIComponent(order[2])));
  for (const [from, to, expected] of [[330, 60, order[3]], [60, 330, order[2]]]) {
    const want = decodeURIComponent(expected);
    // Touches reach the page's handlers only once a frame with them has been drawn; a busy
    // machine (a sanitizer build) draws it well after the load event.
    await page.evaluate(() => new Promise((done) =>
      requestAnimationFrame(() => requestAnimationFrame(done))));
    await Promise.all([page.waitForURL((u) => path.basename(fileOf(u.href)) === want,
      { timeout: kWaitMs }).catch(() => {}), swipe(context, page, from, to)]);
    await page.waitForLoadState('load');
    check(pageName(page) === want, `a swipe from ${from} to ${to} led to ${pageName(page)}`);
  }
  await page.close();
}

// The slide show with scripts: started from the index page, paused and resumed with the space
// bar, and still on the last photo well after its time.
async function checkSlideShow(context, album, order) {
  const page = await context.newPage();
  const data = path.join(album, 'fldata');
  const name = (k) => decodeURIComponent(order[k]);
  const waitFor = (expected) => page.waitForURL((u) => path.basename(fileOf(u.href)) === expected,
    { timeout: kWaitMs }).then(() => true, () => false);
  await open(page, path.join(album, 'index001.html'));
  await page.click('#show');
  check(await waitFor(name(0)) && hashOf(page) === '#play',
    `"Slide show" led to ${page.url()}`);
  check(await waitFor(name(1)), `the slide show did not move on to ${name(1)}`);
  await page.waitForLoadState('load');
  await page.keyboard.press(' ');
  check(await page.textContent('#show') === 'Play', 'the space bar did not pause the slide show');
  await sleep(DELAY * 2500);
  check(pageName(page) === name(1), `the paused slide show moved on to ${pageName(page)}`);
  await page.keyboard.press(' ');
  check(await waitFor(name(2)), 'the slide show did not go on after the second space');

  const last = order.length - 1;
  await open(page, path.join(data, name(last - 1)), '#play');
  check(await waitFor(name(last)), 'the slide show did not reach the last photo');
  await sleep(DELAY * 2500);
  check(pageName(page) === name(last), `the slide show went on after the last photo, to ${page.url()}`);
  await page.close();
}

async function checkFullScreen(context, album, order) {
  const page = await context.newPage();
  const data = path.join(album, 'fldata');
  await open(page, path.join(data, decodeURIComponent(order[2])));
  await page.click('#full');
  await page.waitForFunction(() => document.fullscreenElement !== null, null, { timeout: kWaitMs })
    .catch(() => {});
  check(await page.evaluate(() => document.fullscreenElement !== null), 'full screen not entered');
  await page.waitForFunction(() => document.querySelector('#next').href !== '' &&
    window.fotoloomItems !== undefined, null, { timeout: kWaitMs }).catch(() => {});
  const before = page.url();
  await page.keyboard.press('ArrowRight');
  await page.waitForFunction((want) => document.querySelector('#picture').currentSrc.includes(want),
    order[3].replace(/\.html$/, ''), { timeout: kWaitMs }).catch(() => {});
  const state = await page.evaluate(() => ({
    full: document.fullscreenElement !== null, src: document.querySelector('#picture').currentSrc,
  }));
  check(state.full && page.url() === before && state.src.includes(order[3].replace(/\.html$/, '')),
    `in full screen → left ${before} or full screen, or shows ${state.src}`);
  await Promise.all([page.waitForURL((u) => u.href.endsWith(order[3]), { timeout: kWaitMs })
    .catch(() => {}), page.evaluate(() => document.exitFullscreen())]);
  check(page.url().endsWith(order[3]), `leaving full screen led to ${page.url()}`);
  await page.close();
}

// Without scripts: plain links, and the slide show's refresh only on the show pages, which
// stop at the last photo.
async function checkWithoutScripts(scratch, album, order) {
  const context = await launch(path.join(scratch, 'profile-noscript'),
    { ...DESKTOP, javaScriptEnabled: false });
  const page = await context.newPage();
  const data = path.join(album, 'fldata');
  const name = (k) => decodeURIComponent(order[k]);
  try {
    await open(page, path.join(album, 'index001.html'));
    await Promise.all([page.waitForURL(/\.html$/), page.click('.grid figure a >> nth=0')]);
    check(pageName(page) === name(0), `the first thumbnail led to ${page.url()}`);
    const first = page.url();
    await Promise.all([page.waitForURL((u) => u.href !== first), page.click('#next')]);
    check(pageName(page) === name(1), `Next led to ${page.url()}`);
    await sleep(DELAY * 2500);
    check(pageName(page) === name(1), `a photo's own page moved on to ${page.url()}`);
    await Promise.all([page.waitForURL(/index001/), page.click('#index')]);
    check(hashOf(page) === '#photo2', `Index led to ${page.url()}`);

    await Promise.all([page.waitForURL(/-show\.html$/), page.click('#show')]);
    check(pageName(page) === name(0).replace(/\.html$/, '-show.html'),
      `"Slide show" led to ${page.url()}`);
    await page.waitForURL((u) => path.basename(fileOf(u.href)) ===
      name(1).replace(/\.html$/, '-show.html'), { timeout: kWaitMs }).catch(() => {});
    check(pageName(page) === name(1).replace(/\.html$/, '-show.html'),
      `the show page did not refresh to the next one: ${page.url()}`);
    for (const n of fs.readdirSync(data).filter((f) => f.endsWith('-show.html')))
      await open(page, path.join(data, n)).then(() => checkReferences(page, `no scripts ${n}`));
    const last = name(order.length - 1).replace(/\.html$/, '-show.html');
    await open(page, path.join(data, last));
    await sleep(DELAY * 2500);
    check(pageName(page) === last, `the last show page moved on to ${page.url()}`);
    await Promise.all([page.waitForURL((u) => !u.href.endsWith('-show.html')), page.click('#show')]);
    check(pageName(page) === name(order.length - 1), `Pause led to ${page.url()}`);
  } finally {
    await context.close();
  }
}

// A first index page of 2000 thumbnails loads those of the first screen and what Chromium
// loads ahead of scrolling, not the page.
async function checkRequests(scratch) {
  const { album, stderr } = makeCatalog(path.join(scratch, 'many'),
    [...MODERN.settings, 'CreateMultipleFiles=0', 'ThumbsPerRow=6', 'SlideShow=0'],
    (folder) => {
      for (const n of fs.readdirSync(folder)) fs.rmSync(path.join(folder, n));
      const photo = path.join(sampleAlbum, 'sunset.jpg');
      for (let k = 1; k <= 2000; k += 1) {
        fs.copyFileSync(photo, path.join(folder, `p${String(k).padStart(4, '0')}.jpg`));
      }
    }, MODERN.env);
  // The default colours: blue links on black, a note that leaves the run done (exit 0).
  check(stderr.includes('Warning: Low contrast: the link colour #0000FF on the background colour ' +
    '#000000 is 2.4:1'), `no contrast note in: ${stderr}`);
  const figures = [];
  for (const screen of [DESKTOP, PHONE]) {
    const context = await launch(path.join(scratch, `profile-many-${screen.name}`), screen);
    try {
      const page = await context.newPage();
      const requested = new Set();
      page.on('request', (r) => { if (/\/fldata\/p\d+\.jpg$/.test(r.url())) requested.add(r.url()); });
      await open(page, path.join(album, 'index.html'));
      const onFirstScreen = await page.evaluate(() => [...document.querySelectorAll('.grid img')]
        .filter((i) => i.getBoundingClientRect().top < innerHeight).length);
      await until(() => requested.size >= onFirstScreen);
      await sleep(1500);
      const seen = await page.evaluate((distance) => {
        const tops = [...document.querySelectorAll('.grid img')].map((i) => i.getBoundingClientRect().top);
        return {
          total: tops.length,
          firstScreen: tops.filter((t) => t < innerHeight).length,
          ahead: tops.filter((t) => t < innerHeight + distance).length,
        };
      }, LAZY_DISTANCE);
      const first = requested.size;
      check(seen.total === 2000, `${screen.name}: ${seen.total} thumbnails on the page`);
      check(first >= seen.firstScreen && first <= seen.ahead,
        `${screen.name}: ${first} thumbnails requested at load; ${seen.firstScreen} on the first ` +
        `screen, ${seen.ahead} within ${LAZY_DISTANCE} pixels of it`);
      await page.evaluate(() => window.scrollTo(0, document.body.scrollHeight));
      await until(() => requested.size > first);
      check(requested.size > first, `${screen.name}: scrolling down loaded no more thumbnails`);
      figures.push(`${screen.name}: ${first} of 2000 at load (${seen.firstScreen} on the first ` +
        `screen, ${seen.ahead} within ${LAZY_DISTANCE} px)`);
    } finally {
      await context.close();
    }
  }
  console.log(`requests of the first index page: ${figures.join('; ')}`);
}

// A screenshot is blank when it holds (nearly) one colour.
async function distinctColours(context, png) {
  const page = await context.newPage();
  const dataUrl = `data:image/png;base64,${fs.readFileSync(png).toString('base64')}`;
  const colours = await page.evaluate(async (src) => {
    const img = new Image();
    img.src = src;
    await img.decode();
    const canvas = document.createElement('canvas');
    canvas.width = img.width;
    canvas.height = img.height;
    const g = canvas.getContext('2d');
    g.drawImage(img, 0, 0);
    const pixels = g.getImageData(0, 0, img.width, img.height).data;
    const seen = new Set();
    for (let k = 0; k < pixels.length && seen.size < 1000; k += 4 * 7)
      seen.add((pixels[k] << 16) | (pixels[k + 1] << 8) | pixels[k + 2]);
    return seen.size;
  }, dataUrl);
  await page.close();
  return colours;
}

async function checkFirefox(scratch, album, order, context) {
  if (!fs.existsSync(firefoxPath)) {
    console.log(`modern_catalog: Firefox check skipped, no browser at ${firefoxPath}`);
    return;
  }
  const home = path.join(scratch, 'firefox-home');
  for (const file of [path.join(album, 'index001.html'),
    path.join(album, 'fldata', decodeURIComponent(order[0]))]) {
    const profile = fs.mkdtempSync(path.join(scratch, 'firefox-profile-'));
    const png = path.join(scratch, `firefox-${path.basename(file)}.png`);
    fs.mkdirSync(home, { recursive: true });
    const run = spawnSync(firefoxPath, ['--headless', '--no-remote', '--profile', profile,
      '--screenshot', png, '--window-size=1280,800', url(file)],
    { encoding: 'utf8', timeout: 90000, env: { ...process.env, HOME: home, MOZ_HEADLESS: '1' } });
    if (!fs.existsSync(png)) {
      console.log(`modern_catalog: Firefox check skipped, headless Firefox made no screenshot ` +
        `(${run.error ?? `exit ${run.status}`}): ${(run.stderr ?? '').trim().split('\n').pop()}`);
      return;
    }
    const colours = await distinctColours(context, png);
    check(colours > 20, `Firefox's screenshot of ${path.basename(file)} holds ${colours} colours`);
    console.log(`Firefox: the screenshot of ${path.basename(file)} holds ${colours} colours`);
  }
}

async function main() {
  if (!fs.existsSync(browserPath)) {
    console.log(`modern_catalog: skipped, no browser at ${browserPath}`);
    return 77;
  }
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'fotoloom-modern-'));
  try {
    // Yellow and orange links on the black page (the default blue is hard to read on it), and
    // a larger font: the notes stay empty.
    const { album, stderr } = makeCatalog(scratch,
      [...MODERN.settings, `SlideShowDelay=${DELAY}`, 'HiDPIThumbnails=1', 'LinkColor=65535',
        'VLinkColor=33023', 'FontSize=3'],
      addBigPhoto, MODERN.env);
    check(!stderr.includes('Warning'), `readable colours, yet: ${stderr}`);
    const shots = process.env.SCREENSHOTS;
    let order = [];
    for (const screen of [DESKTOP, PHONE]) {
      const context = await launch(path.join(scratch, `profile-${screen.name}`), screen);
      try {
        const pages = await checkPages(context, album, screen);
        check(pages === 2 + 13, `${screen.name}: ${pages} pages walked`);
        if (screen === DESKTOP) {
          order = await checkKeys(context, album);
          const big = await context.newPage();
          await open(big, path.join(album, 'fldata', 'big photo.html'));
          const src = await big.$eval('#picture', (img) => img.currentSrc);
          check(src.endsWith('big%20photo-preview.jpg'), `the big photo's page shows ${src}`);
          await big.close();
          await checkSlideShow(context, album, order);
          await checkFullScreen(context, album, order);
          await checkFirefox(scratch, album, order, context);
        } else {
          await checkSwipe(context, album, order);
        }
        if (shots) {
          const page = await context.newPage();
          await open(page, path.join(album, 'index001.html'));
          await page.screenshot({ path: path.join(shots, `modern-index-${screen.name}.png`) });
          await open(page, path.join(album, 'fldata', BIG_PHOTO.replace(/\.jpg$/, '.html')));
          await page.screenshot({ path: path.join(shots, `modern-image-${screen.name}.png`) });
          await page.close();
        }
      } finally {
        await context.close();
      }
    }
    await checkWithoutScripts(scratch, album, order);
    await checkRequests(scratch);
    return 0;
  } finally {
    fs.rmSync(scratch, { recursive: true, force: true });
  }
}

finish(main);
