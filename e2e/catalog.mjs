// What the browser tests share: the program under test, a catalog made from the sample album
// in a scratch folder, the browser, and the tally of checks.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { chromium } from 'playwright-core';

const here = path.dirname(fileURLToPath(import.meta.url));
export const cli = path.resolve(process.argv[2] ?? path.join(here, '..', 'build', 'bin', 'fotoloom-cli'));
export const browserPath = process.env.CHROMIUM ?? '/usr/bin/chromium';
export const sampleAlbum = path.join(here, '..', 'examples', 'sample-album');

export const failures = [];
let checks = 0;
export function check(ok, what) {
  checks += 1;
  if (!ok) failures.push(what);
  return ok;
}

export function withoutHash(url) {
  const u = new URL(url);
  u.hash = '';
  return u.href;
}

// The sample album's catalog in scratch/album, with further settings lines; prepare(album) may
// add files first, env adds to fotoloom-cli's environment.
export function makeCatalog(scratch, moreSettings = [], prepare = () => {}, env = {}) {
  const album = path.join(scratch, 'album');
  fs.cpSync(sampleAlbum, album, { recursive: true });
  prepare(album);
  const settings = path.join(scratch, 'Settings.ini');
  // Four thumbnails a row, two rows a page: the twelve pictures need two index pages. A line of
  // moreSettings replaces the line of the same key.
  const base = ['AlbumFileName=index.html', 'ThumbsPerRow=4', 'CreateMultipleFiles=1',
    'ThumbRowsPerFile=2', 'UseDefaultsOnPage6=1', 'SlideShow=1', 'SlideShowDelay=600'];
  const key = (line) => line.slice(0, line.indexOf('='));
  const keys = new Set(moreSettings.map(key));
  fs.writeFileSync(settings, ['[Settings]', ...base.filter((line) => !keys.has(key(line))),
    ...moreSettings, ''].join('\n'));
  const run = spawnSync(cli, ['--no', '--quiet', '--settings', settings, album], {
    encoding: 'utf8',
    env: { ...process.env, ...env },
  });
  if (run.error) throw run.error;
  if (run.status !== 0) {
    throw new Error(`fotoloom-cli ended with ${run.status}: ${run.stderr}`);
  }
  return { album, firstPage: run.stdout.trim(), stderr: run.stderr };
}

export function launch(profile, options = {}) {
  return chromium.launchPersistentContext(profile, {
    executablePath: browserPath,
    headless: true,
    ...options,
    args: [
      '--headless',
      '--no-sandbox',
      '--disable-gpu',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
    ],
  });
}

// A camera-sized photo (3000 x 2250), enlarged from a sample picture by fotoloom-thumb.
export const BIG_PHOTO = 'big photo.jpg';
export function addBigPhoto(album) {
  const thumb = path.join(path.dirname(cli), 'fotoloom-thumb');
  const run = spawnSync(thumb, [path.join(album, 'sunset.jpg'), path.join(album, BIG_PHOTO),
    '3000', '3000'], { encoding: 'utf8' });
  if (run.status !== 0) throw new Error(`fotoloom-thumb ended with ${run.status}: ${run.stderr}`);
}

// Runs main (which returns 0, or 77 for a skipped test), prints the tally and exits with it.
export function finish(main) {
  main()
    .then((code) => {
      if (code === 77) process.exit(77);
      for (const f of failures) console.log(`FAILED: ${f}`);
      console.log(`${checks - failures.length} passed, ${failures.length} failed`);
      process.exit(failures.length === 0 ? 0 : 1);
    })
    .catch((err) => {
      for (const f of failures) console.log(`FAILED: ${f}`);
      console.log(`${path.basename(process.argv[1])}: ${err.stack ?? err}`);
      process.exit(1);
    });
}
