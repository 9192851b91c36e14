// The browser build's benchmark, in one headless Chromium run: the two
// recorded timedemo sessions as fast as frames can be drawn, each beside a
// bare WebGL page of the same size that uploads a one-pixel-per-cell image,
// draws it over the canvas and presents, every frame (bare-webgl.html). In
// both, each timed frame ends with one pixel read back, so that a figure is
// a drawn frame. Also the download's size gzipped and the time from a first
// visit's load to its first drawn menu.
//
//   node bench/web/bench.mjs      (the environment as for tests/web/support.mjs)
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';

import {canvasPixels, launchBrowser, pixelAt, serve, waitForLine, webFolder} from '../../tests/web/support.mjs';

const sessions = [['dig-a-shaft', 1440, 900], ['dig-a-shaft-full-screen', 1921, 1081]];
const bareFrames = 600;
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

async function bareFrame(page, url, width, height) {
  await page.goto(`${url}bare-webgl.html?width=${width}&height=${height}&frames=${bareFrames}`);
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

// A new player's first visit: nothing cached yet.
async function firstMenu(page, url) {
  const started = Date.now();
  await page.goto(url, {waitUntil: 'commit'});
  await waitForLine(page, 'Initializing Player');
  while (String(pixelAt(await canvasPixels(page), 60, 60)) !== '165,165,165') {
    if (Date.now() - started > benchTimeout)
      throw new Error('the menu was never drawn');
  }
  return Date.now() - started;
}

// The page's folder with the bare page beside it, served as the game is.
const folder = fs.mkdtempSync(path.join(path.dirname(webFolder), '.bench-'));
fs.cpSync(webFolder, folder, {recursive: true});
fs.copyFileSync(path.join(here, 'bare-webgl.html'), path.join(folder, 'bare-webgl.html'));
const server = await serve(folder);
const browser = await launchBrowser();
try {
  const menuMilliseconds = await firstMenu(browser.page, server.url);
  for (const [session, width, height] of sessions) {
    const game = await timeDemo(browser.page, server.url, session);
    const bare = await bareFrame(browser.page, server.url, width, height);
    console.log(`${session} (${width}x${height}): ${game.report}`);
    console.log(`  bare WebGL: ${bare.report}; the game's frame is ${(game.median / bare.median).toFixed(2)} x_bare`);
  }
  const size = downloadSize();
  console.log(`download: ${(size.plain / 1e6).toFixed(2)} MB, ${(size.gzipped / 1e6).toFixed(2)} MB gzipped`);
  console.log(`page load to the first drawn menu: ${menuMilliseconds} ms`);
} finally {
  await browser.close();
  server.close();
  fs.rmSync(folder, {recursive: true, force: true});
}
