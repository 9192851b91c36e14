// The browser build's benchmark, in one headless Chromium run: the two
// recorded timedemo sessions as fast as frames can be drawn, each beside a
// bare WebGL page of the same size that uploads a one-pixel-per-cell image,
// draws it over the canvas and presents, every frame (bare-webgl.html). In
// both, each timed frame ends with one pixel read back, so that a figure is
// a drawn frame. The two take turns, game then bare, for three rounds at
// each size, so that what the machine does meanwhile falls on both; each
// ratio is given as the median of the rounds with their spread. Also the
// download's size gzipped and the time from a load to the first drawn
// menu, on a first visit and from the offline cache.
//
//   node bench/web/bench.mjs      (the environment as for tests/web/support.mjs)
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';

import {canvasPixels, launchBrowser, pixelAt, serve, waitForLine, webFolder} from '../../tests/web/support.mjs';

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

// From the start of a load to the first drawn menu: to the moment the
// screenshot that first shows it was asked for, since it shows the canvas
// of that moment (making the picture takes a while longer).
async function untilMenu(page, load) {
  const started = Date.now();
  await load();
  await waitForLine(page, 'Initializing Player');
  for (;;) {
    const asked = Date.now() - started;
    if (String(pixelAt(await canvasPixels(page), 60, 60)) === '165,165,165')
      return asked;
    if (asked > benchTimeout)
      throw new Error('the menu was never drawn');
  }
}

// A new player's first visit, nothing of the site cached yet; then a
// reload once the page's files are kept for offline play. The browser has
// drawn with WebGL before, as a player's browser has: its first WebGL
// context starts the GPU's side of the browser, which is no cost of ours.
async function firstMenus(page, url) {
  await bareFrame(page, url, 640, 240, 10);
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
const browser = await launchBrowser();
try {
  const menu = await firstMenus(browser.page, server.url);
  for (const [session, width, height] of sessions) {
    const ratios = [];
    for (let round = 1; round <= rounds; round++) {
      const game = await timeDemo(browser.page, server.url, session);
      const bare = await bareFrame(browser.page, server.url, width, height);
      ratios.push(game.median / bare.median);
      console.log(`${session} (${width}x${height}), round ${round}: ${game.report}`);
      console.log(`  bare WebGL: ${bare.report}; the game's frame is ${ratios.at(-1).toFixed(2)} x_bare`);
    }
    ratios.sort((a, b) => a - b);
    const spread = ratios.at(-1) / ratios[0] - 1;
    console.log(`${session} (${width}x${height}): the game's frame is ${ratios[rounds >> 1].toFixed(2)} x_bare ` +
                `(median of ${rounds} rounds; ${ratios[0].toFixed(2)} to ${ratios.at(-1).toFixed(2)})` +
                (spread > steadySpread ? `: the rounds differ by ${(spread * 100).toFixed(0)} %, the machine was busy` : ''));
  }
  const size = downloadSize();
  console.log(`download: ${(size.plain / 1e6).toFixed(2)} MB, ${(size.gzipped / 1e6).toFixed(2)} MB gzipped`);
  console.log(`page load to the first drawn menu: ${menu.firstVisit} ms on a first visit, ${menu.cached} ms ` +
              'from the offline cache');
} finally {
  await browser.close();
  server.close();
  fs.rmSync(folder, {recursive: true, force: true});
}
