// What the browser tests share: the page served on the loopback address,
// headless Chromium driven by playwright-core, waits on what the page shows
// or prints, the canvas's pixels, and the native replay tool.
//
// The environment names what is tested:
//   CLODMERE_WEB     the page's folder (dist/clodmere-web)
//   CLODMERE_REPLAY  the native replay tool
//   CLODMERE_NPM     the folder where playwright-core is installed
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import {createRequire} from 'node:module';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';

export const webFolder = path.resolve(process.env.CLODMERE_WEB || 'dist/clodmere-web');
export const replayTool = path.resolve(process.env.CLODMERE_REPLAY || 'build/clodmere-replay');
const npm = createRequire(path.resolve(process.env.CLODMERE_NPM || 'build-web/npm') + '/');
const {chromium} = npm('playwright-core');
export const fflate = npm('fflate');

export const gameTitle = 'Clodmere 0.68 - Since because pickles';
export const saveSize = 9677080;
const timeoutMilliseconds = 60000;

// Chromium as the machine has it: never a downloaded browser, WebGL on the
// CPU, and none of the background traffic that a closed network refuses.
const chromiumArguments = [
  '--no-sandbox', '--use-gl=angle', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
  '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
  '--disable-quic',
];

const contentTypes = {
  '.html': 'text/html', '.js': 'text/javascript', '.mjs': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.json': 'application/json', '.webmanifest': 'application/manifest+json',
  '.png': 'image/png',
};

// A static server for `root` on 127.0.0.1, on a free port unless given.
export async function serve(root = webFolder, port = 0) {
  const server = http.createServer((request, response) => {
    let file = path.join(root, decodeURIComponent(new URL(request.url, 'http://localhost').pathname));
    if (!file.startsWith(root)) {
      response.writeHead(403);
      response.end();
      return;
    }
    if (file.endsWith(path.sep))
      file = path.join(file, 'index.html');
    fs.readFile(file, (error, bytes) => {
      if (error) {
        response.writeHead(404);
        response.end();
        return;
      }
      response.writeHead(200, {'Content-Type': contentTypes[path.extname(file)] || 'application/octet-stream'});
      response.end(bytes);
    });
  });
  await new Promise(resolve => server.listen(port, '127.0.0.1', resolve));
  return {
    url: `http://127.0.0.1:${server.address().port}/`, root,
    close: () => {
      server.close();
      server.closeAllConnections();
    },
  };
}

// A browser with a profile of its own, which lives as long as the browser:
// a reload keeps its storage, a new browser starts empty.
export async function launchBrowser(viewport = {width: 1920, height: 1080}, deviceScaleFactor = 1) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'clodmere-profile-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium', headless: true, args: chromiumArguments, viewport,
    acceptDownloads: true, screen: viewport, deviceScaleFactor,
  });
  const page = context.pages()[0] || await context.newPage();
  return {
    context, page,
    close: async () => {
      await context.close();
      fs.rmSync(profile, {recursive: true, force: true});
    },
  };
}

export const consoleLines = page => page.evaluate(() => document.getElementById('console').textContent.split('\n').slice(0, -1));

// Waits until the console panel holds `count` lines equal to `line`.
export async function waitForLine(page, line, count = 1, timeout = timeoutMilliseconds) {
  await page.waitForFunction(([line, count]) => {
    const lines = document.getElementById('console').textContent.split('\n');
    return lines.filter(seen => seen === line).length >= count;
  }, [line, count], {timeout, polling: 50});
}

// The console lines after the first `first`, up to `last` when given.
export function linesAfter(lines, first, last) {
  const after = lines.slice(lines.indexOf(first) + 1);
  return last === undefined ? after : after.slice(0, after.indexOf(last));
}

// A click at a canvas pixel, wherever the canvas is shown and however scaled.
export async function clickCanvas(page, x, y, button = 'left') {
  const box = await page.locator('#canvas').boundingBox();
  const width = await page.evaluate(() => document.getElementById('canvas').width);
  const scale = box.width / width;
  await page.mouse.click(box.x + (x + 0.5) * scale, box.y + (y + 0.5) * scale, {button});
}

export const menuButtons = {
  '1200x700': [90, 70], '1440x900': [240, 70], '1680x1050': [390, 70], 'Fullscreen': [540, 70],
  'New World': [255, 180], 'Load World': [375, 180],
};

// The start menu's input is taken once its event sources are registered.
export async function startGame(page, choices = ['New World']) {
  await waitForLine(page, 'Initializing Player');
  for (const choice of choices)
    await clickCanvas(page, ...menuButtons[choice]);
  await waitForLine(page, 'Starting to Draw.');
}

// The canvas as the page shows it, one RGB triple per canvas pixel (the
// canvas at its own size: the tests' views hold it whole).
export async function canvasPixels(page) {
  const box = await page.locator('#canvas').boundingBox();
  const png = await page.screenshot({clip: box});
  return decodePng(png);
}

export function pixelAt(image, x, y) {
  const at = (y * image.width + x) * 3;
  return [image.rgb[at], image.rgb[at + 1], image.rgb[at + 2]];
}

// Waits until the canvas shows `colour` at (x, y).
export async function waitForPixel(page, x, y, colour, what, timeout = timeoutMilliseconds) {
  const deadline = Date.now() + timeout;
  for (;;) {
    const seen = pixelAt(await canvasPixels(page), x, y);
    if (seen.every((value, i) => value === colour[i]))
      return;
    if (Date.now() > deadline)
      throw new Error(`timed out waiting for ${what}: (${x}, ${y}) is ${seen}, not ${colour}`);
    await new Promise(resolve => setTimeout(resolve, 50));
  }
}

// An 8-bit RGB or RGBA PNG, as Chromium and the replay tool write them.
export function decodePng(bytes) {
  let offset = 8, width = 0, height = 0, channels = 0;
  const data = [];
  while (offset < bytes.length) {
    const length = bytes.readUInt32BE(offset);
    const type = bytes.toString('latin1', offset + 4, offset + 8);
    const body = bytes.subarray(offset + 8, offset + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[12] !== 0 || ![2, 6].includes(body[9]))
        throw new Error('a PNG of a kind these tests do not read');
      channels = body[9] === 6 ? 4 : 3;
    } else if (type === 'IDAT') {
      data.push(body);
    }
    offset += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let i = 0; i < stride; i++) {
      const left = i >= channels ? pixels[y * stride + i - channels] : 0;
      const up = y > 0 ? pixels[(y - 1) * stride + i] : 0;
      const upLeft = y > 0 && i >= channels ? pixels[(y - 1) * stride + i - channels] : 0;
      let predicted = 0;
      if (filter === 1) predicted = left;
      else if (filter === 2) predicted = up;
      else if (filter === 3) predicted = (left + up) >> 1;
      else if (filter === 4) {
        const p = left + up - upLeft, pa = Math.abs(p - left), pb = Math.abs(p - up), pc = Math.abs(p - upLeft);
        predicted = pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft;
      }
      pixels[y * stride + i] = (line[i] + predicted) & 255;
    }
  }
  const rgb = Buffer.alloc(width * height * 3);
  for (let i = 0, j = 0; i < pixels.length; i += channels, j += 3)
    pixels.copy(rgb, j, i, i + 3);
  return {width, height, rgb};
}

// The save file without its handle slots, which carry no meaning in a file.
export function withoutHandles(save) {
  const masked = Buffer.from(save);
  const stateSize = 280, cellSize = 28, handleSize = 4;
  masked.fill(0, 24, 24 + handleSize);
  for (let cell = stateSize; cell < masked.length; cell += cellSize)
    masked.fill(0, cell + 12, cell + 12 + handleSize);
  return masked;
}

// The native replay tool on a session folder; its output lines and, when
// asked, the world it ends with and its frame.
export function replayNatively(folder, {frame = false, font = false} = {}) {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'clodmere-native-'));
  try {
    const slot = path.join(folder, 'ClodmereSave.wld');
    if (fs.existsSync(slot))
      fs.copyFileSync(slot, path.join(work, 'ClodmereSave.wld'));
    // The frame has its HUD when the replay finds the game's font.
    if (font)
      fs.symlinkSync(path.resolve('data'), path.join(work, 'data'));
    const tool = font ? replayTool : copyWithoutFontBeside(replayTool, work);
    const extra = frame ? ['--frame', 'frame.png'] : [];
    const output = execFileSync(tool, ['--session', folder, '--out', 'out.wld', ...extra],
                                {cwd: work, encoding: 'utf8', timeout: timeoutMilliseconds});
    return {
      lines: output.split('\n').slice(0, -1),
      world: fs.readFileSync(path.join(work, 'out.wld')),
      frame: frame ? decodePng(fs.readFileSync(path.join(work, 'frame.png'))) : null,
    };
  } finally {
    fs.rmSync(work, {recursive: true, force: true});
  }
}

function copyWithoutFontBeside(tool, work) {
  const folder = path.join(work, 'program');
  fs.mkdirSync(folder);
  const copy = path.join(folder, path.basename(tool));
  fs.copyFileSync(tool, copy);
  fs.chmodSync(copy, 0o755);
  return copy;
}

async function download(page, button) {
  const [file] = await Promise.all([page.waitForEvent('download'), page.click(button)]);
  return {name: file.suggestedFilename(), bytes: fs.readFileSync(await file.path())};
}

export const downloadSave = async page => (await download(page, '#download')).bytes;

// The recording the page gives, unpacked into a folder here; its path and
// the zip's name.
export async function downloadRecording(page) {
  const {name, bytes} = await download(page, '#download-recording');
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'clodmere-recording-'));
  for (const [entry, content] of Object.entries(fflate.unzipSync(bytes))) {
    fs.mkdirSync(path.join(folder, path.dirname(entry)), {recursive: true});
    fs.writeFileSync(path.join(folder, entry), content);
  }
  const [session] = fs.readdirSync(folder);
  return {name, folder, session: path.join(folder, session)};
}

// A session folder here as the zip a player would give the page.
export function zipSession(folder, files = ['args', 'script', 'start.wld', 'ClodmereSave.wld']) {
  const entries = {};
  for (const file of files)
    if (fs.existsSync(path.join(folder, file)))
      entries[path.basename(folder) + '/' + file] = fs.readFileSync(path.join(folder, file));
  return Buffer.from(fflate.zipSync(entries));
}

// Gives the page a recording through "Play a recording" or "Time a recording".
export async function chooseRecording(page, button, files) {
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.click(button)]);
  await chooser.setFiles(files);
}
