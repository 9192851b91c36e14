// The browser build's benchmark, in one headless Chromium run: the two
// recorded timedemo sessions as fast as frames can be drawn, each beside a
// bare WebGL page of the same size that uploads a one-pixel-per-cell image,
// draws it over the canvas and presents, every frame (bare-webgl.html). In
// both, each timed frame ends with one pixel read back, so that a figure is
// a drawn frame. The two take turns, each game run between two bare ones,
// for three rounds at each size, so that what the machine does meanwhile
// falls on both; each ratio is given as the median of the rounds with
// their spread. Also the download's size gzipped and the time from a load
// to the first drawn menu, on a first visit and from the offline cache, in
// three browsers of their own.
//
//   node bench/web/bench.mjs      (the environment as for tests/web/support.mjs)
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';

import {launchBrowser, serve, webFolder} from '../../tests/web/support.mjs';

const sessions = [['dig-a-shaft', 1440, 900], ['dig-a-shaft-full-screen', 1921, 1081]];
const bareFrames = 600;
const rounds = 3;
// Rounds further apart than this were disturbed by something else.
const steadySpread = 0.1;
const benchTimeout = 600000;
const here = path.dirname(new URL(import.meta.url).pathname);

async function timeDemo(page, url, session) {
  await page.goto(`${url}?timedemo=${session}`);
  await page.waitForFunction(() => document.getElementById('console').textContent.includes('timedemo:'), null,
                             {timeout: benchTimeout, polling: 500});
  const lines = await page.evaluate(() => document.getElementById('console').textContent.split('\n'));
  const report = lines.find(line => line.startsWith('timedemo:'));
  return {report, median: Number(report.match(/median ([\d.]+) ms/)[1])};
}

async function bareFrame(page, url, width, height, frames = bareFrames) {
  await page.goto(`${url}bare-webgl.html?width=${width}&height=${height}&frames=${frames}`);
  await page.waitForFunction(() => document.title.startsWith('bare:'), null, {timeout: benchTimeout, polling: 500});
  const title = await page.title();
  return {report: title, median: Number(title.match(/median ([\d.]+) ms/)[1])};
}

function downloadSize() {
  let plain = 0, gzipped = 0;
  for (const name of fs.readdirSync(webFolder)) {
    const file = path.join(webFolder, name);
    if (!fs.statSync(file).isFile())
      continue;
    const bytes = fs.readFileSync(file);
    plain += bytes.length;
    gzipped += zlib.gzipSync(bytes, {level: 9}).length;
  }
  return {plain, gzipped};
}

// How idle the processors are over a few seconds, from none to all: what
// else the machine is doing, before the benchmark does anything.
const quietIdle = 0.8;
async function idleShare(seconds = 3) {
  const idleAndTotal = () => os.cpus().reduce(([idle, total], cpu) =>
    [idle + cpu.times.idle, total + Object.values(cpu.times).reduce((sum, time) => sum + time, 0)], [0, 0]);
  const [idleBefore, totalBefore] = idleAndTotal();
  await new Promise(resolve => setTimeout(resolve, seconds * 1000));
  const [idleAfter, totalAfter] = idleAndTotal();
  return (idleAfter - idleBefore) / Math.max(1, totalAfter - totalBefore);
}

// From the start of a load to the first drawn menu, seen from inside the
// page: every animation frame reads back the canvas pixel inside the
// menu's first button, and the first frame that shows its grey is the
// time. (A screenshot takes a good part of what it would measure, and its
// work falls on the start it times.) Installed for every later load of the
// page without a query.
const menuButtonGrey = [165, 165, 165];
async function watchForMenus(page) {
  await page.addInitScript(grey => {
    if (location.search !== '')
      return;
    const probe = document.createElement('canvas');
    probe.width = probe.height = 1;
    const pixel = probe.getContext('2d', {willReadFrequently: true});
    const look = () => {
      const canvas = document.getElementById('canvas');
      if (canvas) {
        pixel.drawImage(canvas, 60, 60, 1, 1, 0, 0, 1, 1);
        if (String(pixel.getImageData(0, 0, 1, 1).data.slice(0, 3)) === String(grey)) {
          window.firstMenuAt = performance.now();
          return;
        }
      }
      requestAnimationFrame(look);
    };
    requestAnimationFrame(look);
  }, menuButtonGrey);
}

// performance.now() counts from the start of the navigation.
async function untilMenu(page, load) {
  await load();
  await page.waitForFunction(() => window.firstMenuAt !== undefined, null, {timeout: benchTimeout, polling: 50});
  return Math.round(await page.evaluate(() => window.firstMenuAt));
}

// A new player's first visit, nothing of the site cached yet; then a
// reload once the page's files are kept for offline play. The browser has
// drawn with WebGL before, as a player's browser has: its first WebGL
// context starts the GPU's side of the browser, which is no cost of ours.
async function firstMenus(page, url) {
  await bareFrame(page, url, 640, 240, 10);
  await watchForMenus(page);
  const firstVisit = await untilMenu(page, () => page.goto(url, {waitUntil: 'commit'}));
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, {timeout: benchTimeout});
  const cached = await untilMenu(page, () => page.reload({waitUntil: 'commit'}));
  return {firstVisit, cached};
}

// The page's folder with the bare page beside it, served as the game is.
const folder = fs.mkdtempSync(path.join(path.dirname(webFolder), '.bench-'));
fs.cpSync(webFolder, folder, {recursive: true});
fs.copyFileSync(path.join(here, 'bare-webgl.html'), path.join(folder, 'bare-webgl.html'));
const server = await serve(folder);
const idle = await idleShare();
if (idle < quietIdle)
  console.log(`the machine is busy before the run: its processors were ${(idle * 100).toFixed(0)} % idle`);
// The median of a few figures and their range, as "M (L to H)".
function medianAndRange(values, digits) {
  const sorted = values.slice().sort((a, b) => a - b);
  const show = value => value.toFixed(digits);
  return {median: sorted[sorted.length >> 1], low: sorted[0], high: sorted.at(-1),
          text: `${show(sorted[sorted.length >> 1])} (${show(sorted[0])} to ${show(sorted.at(-1))})`};
}

// Each first visit in a browser of its own, with nothing of the site kept.
const starts = [];
try {
  for (let round = 1; round <= rounds; round++) {
    const browser = await launchBrowser();
    try {
      starts.push(await firstMenus(browser.page, server.url));
    } finally {
      await browser.close();
    }
  }
  const browser = await launchBrowser();
  try {
    for (const [session, width, height] of sessions) {
      // Each game run between two bare ones, measured against their mean:
      // a machine that slows down or speeds up meanwhile falls on both.
      const ratios = [];
      let bareBefore = await bareFrame(browser.page, server.url, width, height);
      for (let round = 1; round <= rounds; round++) {
        const game = await timeDemo(browser.page, server.url, session);
        const bareAfter = await bareFrame(browser.page, server.url, width, height);
        ratios.push(game.median / ((bareBefore.median + bareAfter.median) / 2));
        console.log(`${session} (${width}x${height}), round ${round}: ${game.report}`);
        console.log(`  bare WebGL before and after: ${bareBefore.median} and ${bareAfter.median} ms; ` +
                    `the game's frame is ${ratios.at(-1).toFixed(2)} x_bare`);
        bareBefore = bareAfter;
      }
      const ratio = medianAndRange(ratios, 2);
      const spread = ratio.high / ratio.low - 1;
      console.log(`${session} (${width}x${height}): the game's frame is ${ratio.text.replace(' (', ' x_bare (median of ' +
                  rounds + ' rounds; ')}` +
                  (spread > steadySpread ? `: the rounds differ by ${(spread * 100).toFixed(0)} %, the machine was busy` : ''));
    }
  } finally {
    await browser.close();
  }
  const size = downloadSize();
  console.log(`download: ${(size.plain / 1e6).toFixed(2)} MB, ${(size.gzipped / 1e6).toFixed(2)} MB gzipped`);
  console.log(`page load to the first drawn menu (median of ${rounds} browsers): ` +
              `${medianAndRange(starts.map(start => start.firstVisit), 0).text} ms on a first visit, ` +
              `${medianAndRange(starts.map(start => start.cached), 0).text} ms from the offline cache`);
} finally {
  server.close();
  fs.rmSync(folder, {recursive: true, force: true});
}
