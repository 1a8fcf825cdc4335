// Makes the sample album's catalog with fotoloom-cli in a scratch folder and walks it in
// headless Chromium the way a visitor would: every thumbnail of every index page shows, the
// first thumbnail leads to its image page, "Next" walks every image page to the last, each
// image page's index link returns to the page that shows it, the last page's slide show
// refreshes to the first, and nothing on any page points at a missing file. A second catalog,
// with previews and twice-as-large thumbnails on and one camera-sized photo, is opened at
// 1280 x 800: the photo's preview shows whole without scrolling and a click on it opens the
// photo; a screen of two device pixels per pixel loads the large thumbnails, one of one does not.
// A third catalog, with the newer formats listed, adds a HEIC, a TIFF, an AVIF and a WebP photo
// (the build's sample files): every picture of every index page and of their image pages loads
// and shows.
//
// Usage: node catalog_in_browser.mjs PATH/TO/fotoloom-cli
// Environment: CHROMIUM (default /usr/bin/chromium); SCREENSHOT, a PNG file to which the
// preview's image page is saved as the browser shows it. Exit 0 when every check held, 1 when
// one failed, 77 when no browser is installed (the test is skipped).
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

import {
  addBigPhoto, BIG_PHOTO, browserPath, check, cli, finish, launch, makeCatalog, sampleAlbum,
  withoutHash,
} from './catalog.mjs';

// The navigation texts as the settings give them, and as a visitor reads them.
const NEXT_TEXT = 'Next -&gt';
const NEXT_SHOWN = 'Next ->';
const PICTURES = fs.readdirSync(sampleAlbum).filter((n) => /\.(bmp|jpe?g|png)$/i.test(n)).length;

// Every reference of the page that the browser would follow or load, as absolute URLs.
async function references(page) {
  return page.evaluate(() => {
    const refs = [];
    for (const a of document.querySelectorAll('a[href]')) refs.push(a.href);
    for (const img of document.querySelectorAll('img[src]')) refs.push(img.src);
    const body = document.body.getAttribute('background');
    if (body) refs.push(new URL(body, document.baseURI).href);
    for (const meta of document.querySelectorAll('meta[http-equiv]')) {
      if (meta.httpEquiv.toLowerCase() !== 'refresh') continue;
      const m = /url="?([^"]*)"?/i.exec(meta.content);
      if (m) refs.push(new URL(m[1], document.baseURI).href);
    }
    return refs;
  });
}

// A reference is broken when its file is missing, or when its "#name" names no anchor there.
async function checkReferences(page) {
  for (const ref of await references(page)) {
    const url = new URL(ref);
    const ok = url.protocol === 'file:' && fs.existsSync(fileURLToPath(withoutHash(ref)));
    if (!check(ok, `${page.url()}: broken reference ${ref}`) || !url.hash) continue;
    const name = decodeURIComponent(url.hash.slice(1));
    const html = fs.readFileSync(fileURLToPath(withoutHash(ref)), 'utf8');
    check(html.includes(`<a name="${name}">`), `${page.url()}: no anchor ${url.hash} in ${ref}`);
  }
}

async function checkImagesShown(page) {
  const images = await page.$$eval('img', (imgs) =>
    imgs.map((img) => ({ src: img.src, shown: img.complete && img.naturalWidth > 0 })),
  );
  check(images.length > 0, `${page.url()}: no image at all`);
  for (const img of images) check(img.shown, `${page.url()}: image not shown: ${img.src}`);
  return images.length;
}

async function linkByText(page, text) {
  const link = page.locator('a', { hasText: text });
  return (await link.count()) > 0 ? link.first() : null;
}

async function follow(page, link) {
  const before = page.url();
  await Promise.all([page.waitForURL((u) => u.href !== before), link.click()]);
  await page.waitForLoadState('load');
}

// The catalog with the display options, at 1280 x 800 with scale device pixels per pixel.
async function checkDisplayOptions(scratch, scale) {
  const { album, firstPage } = makeCatalog(path.join(scratch, `display-${scale}`),
    [`Next=${NEXT_TEXT}`, 'PreviewImages=1', 'PreviewWidth=1600', 'PreviewHeight=1200',
      'HiDPIThumbnails=1'],
    addBigPhoto);
  const context = await launch(path.join(scratch, `profile-${scale}`), {
    viewport: { width: 1280, height: 800 },
    deviceScaleFactor: scale,
  });
  try {
    const page = await context.newPage();
    const loaded = [];
    page.on('requestfinished', (r) => loaded.push(decodeURIComponent(r.url())));
    await page.goto(pathToFileURL(firstPage).href, { waitUntil: 'load' });
    await checkImagesShown(page);
    const large = loaded.filter((u) => u.includes('@2x')).length;
    const thumbs = await page.$$eval('table img', (imgs) => imgs.length);
    check(scale === 2 ? large === thumbs && thumbs > 0 : large === 0,
      `at ${scale} device pixels per pixel ${large} large thumbnails of ${thumbs} loaded`);
    if (scale !== 1) return;

    await page.goto(pathToFileURL(path.join(album, 'fldata', 'big photo.html')).href,
      { waitUntil: 'load' });
    const shown = await page.$eval('img', (img) => {
      const r = img.getBoundingClientRect();
      return {
        src: img.currentSrc,
        natural: img.naturalWidth,
        whole: r.top >= 0 && r.left >= 0 && r.bottom <= window.innerHeight &&
          r.right <= window.innerWidth && r.width > 0,
      };
    });
    check(shown.src.endsWith('-preview.jpg') && shown.natural === 1600,
      `the image page shows ${shown.src}, ${shown.natural} pixels wide`);
    check(shown.whole, 'the preview does not show whole at 1280 x 800');
    if (process.env.SCREENSHOT) await page.screenshot({ path: process.env.SCREENSHOT });
    await checkReferences(page);
    await follow(page, page.locator('img').first());
    check(decodeURIComponent(page.url()).endsWith(`/album/${BIG_PHOTO}`),
      `a click on the preview led to ${page.url()}`);
  } finally {
    await context.close();
  }
}

// The catalog with HEIC, TIFF, AVIF and WebP photos: every image on every page loads and shows.
async function checkNewerFormats(scratch) {
  const samples = path.join(path.dirname(cli), '..', 'samples');
  const newer = ['rgb.heic', 'rgb.tif', 'rgb.avif', 'rgb.webp'];
  const { album, firstPage } = makeCatalog(path.join(scratch, 'newer'), ['ExtendedFormats=1'],
    (folder) => {
      for (const name of newer) {
        const ext = path.extname(name).slice(1);
        fs.copyFileSync(path.join(samples, name), path.join(folder, `new-${ext}.${ext}`));
      }
    });
  const context = await launch(path.join(scratch, 'profile-newer'));
  try {
    const page = await context.newPage();
    const pages = fs.readdirSync(album).filter((n) => /^index\d{3}\.html$/.test(n))
      .map((n) => path.join(album, n))
      .concat(newer.map((n) => path.join(album, 'fldata', `new-${path.extname(n).slice(1)}.html`)));
    let shown = 0;
    for (const file of pages) {
      await page.goto(pathToFileURL(file).href, { waitUntil: 'load' });
      shown += await checkImagesShown(page);
      await checkReferences(page);
    }
    check(shown === PICTURES + 2 * newer.length,
      `${shown} pictures shown on the newer formats' catalog, not ${PICTURES + 2 * newer.length}`);
  } finally {
    await context.close();
  }
}

async function main() {
  if (!fs.existsSync(browserPath)) {
    console.log(`catalog_in_browser: skipped, no browser at ${browserPath}`);
    return 77;
  }
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'fotoloom-e2e-'));
  const context = await launch(path.join(scratch, 'profile'));
  try {
    const { album, firstPage } = makeCatalog(scratch, [`Next=${NEXT_TEXT}`]);
    check(firstPage === path.join(album, 'index001.html'), `first page is ${firstPage}`);
    const page = await context.newPage();
    const failedLoads = [];
    page.on('requestfailed', (r) => failedLoads.push(r.url()));

    // The index pages, one after the other through their own "Next" links.
    const indexPages = [];
    let thumbnails = 0;
    await page.goto(pathToFileURL(firstPage).href, { waitUntil: 'load' });
    for (;;) {
      indexPages.push(withoutHash(page.url()));
      thumbnails += await checkImagesShown(page);
      await checkReferences(page);
      const next = await linkByText(page, NEXT_SHOWN);
      if (!next || indexPages.length > 10) break;
      await follow(page, next);
    }
    const onDisk = fs.readdirSync(album).filter((n) => /^index\d{3}\.html$/.test(n));
    check(indexPages.length === onDisk.length && onDisk.length === 2,
      `index pages walked ${indexPages.length}, on disk ${onDisk.length}`);
    check(thumbnails === PICTURES, `thumbnails shown ${thumbnails}, pictures ${PICTURES}`);

    // The first thumbnail leads to the first image page.
    await page.goto(indexPages[0], { waitUntil: 'load' });
    await follow(page, page.locator('table img').first());
    const firstImagePage = withoutHash(page.url());
    check(/\/fldata\/[^/]+\.html$/.test(firstImagePage), `first thumbnail led to ${firstImagePage}`);

    // "Next" through every image page; each index link returns to the page showing the item.
    const imagePages = [];
    for (;;) {
      const here = withoutHash(page.url());
      imagePages.push(here);
      await checkImagesShown(page);
      await checkReferences(page);
      const indexLink = page.locator('a[href*="#row"]');
      if (check((await indexLink.count()) === 1, `${here}: no index link`)) {
        await follow(page, indexLink);
        const shown = await page.$$eval('a[href]', (as) => as.map((a) => a.href));
        check(shown.some((href) => withoutHash(href) === here),
          `${page.url()} does not show ${here}`);
        await page.goto(here, { waitUntil: 'load' });
      }
      const next = await linkByText(page, NEXT_SHOWN);
      if (!next || imagePages.length > PICTURES) break;
      await follow(page, next);
    }
    check(imagePages.length === PICTURES, `image pages walked ${imagePages.length} of ${PICTURES}`);
    check(new Set(imagePages).size === imagePages.length, 'an image page came twice');

    // The last image page's slide show refreshes to the first one.
    const refresh = await page.$eval('meta[http-equiv="REFRESH" i]', (m) => m.content).catch(() => '');
    const target = /url="?([^"]*)"?/i.exec(refresh);
    check(target && new URL(target[1], page.url()).href === firstImagePage,
      `last page refreshes with "${refresh}", not to ${firstImagePage}`);

    for (const url of failedLoads) check(false, `the browser could not load ${url}`);
    await context.close();
    for (const scale of [1, 2]) await checkDisplayOptions(scratch, scale);
    await checkNewerFormats(scratch);
    return 0;
  } finally {
    await context.close();
    fs.rmSync(scratch, { recursive: true, force: true });
  }
}

finish(main);
