// The browser build in headless Chromium, as a new player meets it: the
// menu, the sizes, a whole game with Save, a reload and Load World, the
// console, the save slot's download, upload and storage failures, a scaled
// canvas, the focus, a hidden tab, game time, and the picture.
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {after, before, describe, test} from 'node:test';

import {
  canvasPixels, chooseRecording, clickCanvas, consoleLines, downloadRecording, downloadSave, gameTitle, launchBrowser,
  linesAfter, pixelAt, replayNatively, saveSize, serve, startGame, waitForLine, waitForPixel, withoutHandles,
  fflate, zipSession,
} from './support.mjs';

const sky = [125, 125, 255], grass = [0, 255, 0], dug = [0, 0, 0], player = [0, 125, 125], face = [165, 165, 165];
const firstEvent = 'Starting to Draw.';

let server;
before(async () => { server = await serve(); });
after(() => server.close());

// The box (left, top, right, bottom) of the player's colour on the canvas.
function playerBox(image) {
  let box = null;
  for (let y = 0; y < image.height; y++)
    for (let x = 0; x < image.width; x++) {
      const [r, g, b] = pixelAt(image, x, y);
      if (r === player[0] && g === player[1] && b === player[2])
        box = box ? [Math.min(box[0], x), Math.min(box[1], y), Math.max(box[2], x + 1), Math.max(box[3], y + 1)]
                  : [x, y, x + 1, y + 1];
    }
  return box;
}

async function waitFor(condition, what, timeout = 60000) {
  const deadline = Date.now() + timeout;
  for (;;) {
    const result = await condition();
    if (result)
      return result;
    if (Date.now() > deadline)
      throw new Error('timed out waiting for ' + what);
    await new Promise(resolve => setTimeout(resolve, 50));
  }
}

// At 1440x900 the player lands on row 121 with its top at 450, the view
// centred on it, the grass under its feet.
async function waitStanding(page) {
  return waitFor(async () => {
    const image = await canvasPixels(page);
    const box = playerBox(image);
    return box && box[1] === 450 && String(pixelAt(image, box[0] + 5, 475)) === String(grass) && box;
  }, 'the player standing on the grass');
}

async function holdKeyUntil(page, key, condition, what) {
  await page.keyboard.down(key);
  try {
    await waitFor(condition, what);
  } finally {
    await page.keyboard.up(key);
  }
}

// How long the page has been kept from running since the watch began: the
// part of each gap between its animation frames beyond a quarter of a
// second, which the game's timer does not make up, by design. A busy
// machine starves the page as a busy loop in it does.
async function watchStalls(page) {
  await page.evaluate(() => {
    window.stalledMilliseconds = 0;
    let last = performance.now();
    const frame = now => {
      window.stalledMilliseconds += Math.max(0, now - last - 250);
      last = now;
      requestAnimationFrame(frame);
    };
    requestAnimationFrame(frame);
  });
  return () => page.evaluate(() => window.stalledMilliseconds / 1000);
}

const recordedScript = page =>
  page.evaluate(() => new TextDecoder().decode(Module.FS.readFile('/recording/script')));

// A browser of its own for one test, closed however the test ends.
async function inBrowser(work, viewport, deviceScaleFactor) {
  const browser = await launchBrowser(viewport, deviceScaleFactor);
  try {
    await work(browser);
  } finally {
    await browser.close();
  }
}

async function openPage(browser, query = '') {
  await browser.page.goto(server.url + query);
}

// A click on the canvas, then the line it prints one more time.
async function clickAndSee(page, [x, y], line) {
  const seen = (await consoleLines(page)).filter(printed => printed === line).length;
  await clickCanvas(page, x, y);
  await waitForLine(page, line, seen + 1);
}
const saveButton = [1440 - 80, 900 - 10], loadButton = [1440 - 10, 900 - 10];

// From the player standing on the grass: walk, jump, dig beside the feet,
// choose 1 to 4, place the grass back, Save, Load, Save again. Returns the
// last save, as "Download save" gives it.
async function playAWhile(page) {
  const standing = await waitStanding(page);
  await page.locator('#canvas').focus();
  await holdKeyUntil(page, 'ArrowRight', async () => playerBox(await canvasPixels(page))[0] >= standing[0] + 30,
                     'the player to walk right');
  // The view follows the jump: the grass leaves the feet.
  await holdKeyUntil(page, 'ArrowUp', async () => {
    const image = await canvasPixels(page);
    return String(pixelAt(image, playerBox(image)[0] + 5, 475)) !== String(grass);
  }, 'the player to jump');
  const left = (await waitStanding(page))[0];

  const cell = [left + 15, 475]; // the grass right of the feet
  await clickCanvas(page, ...cell);
  await waitForPixel(page, ...cell, dug, 'the cell dug out');
  for (const key of ['1', '3', '4', '2'])
    await page.keyboard.press(key);
  await clickCanvas(page, ...cell, 'right');
  await waitForPixel(page, ...cell, grass, 'the grass put back');

  await clickAndSee(page, saveButton, 'Saved the world!');
  await clickAndSee(page, loadButton, 'Loaded the world!');
  await clickAndSee(page, saveButton, 'Saved the world!');
  const saved = await downloadSave(page);
  assert.equal(saved.length, saveSize);
  return saved;
}

// The recording downloaded from the page plays natively with the same lines
// from the first event on, and ends on the world the page saved last.
async function expectNativeReplayAlike(page, lastSave) {
  const recording = await downloadRecording(page);
  try {
    assert.match(recording.name, /^clodmere-session-\d{8}-\d{6}\.zip$/);
    const native = replayNatively(recording.session);
    assert.deepEqual(native.lines.slice(1, -1), linesAfter(await consoleLines(page), firstEvent));
    assert.deepEqual(withoutHandles(native.world), withoutHandles(lastSave));
    return Object.fromEntries(fs.readdirSync(recording.session).map(name =>
      [name, fs.readFileSync(path.join(recording.session, name))]));
  } finally {
    fs.rmSync(recording.folder, {recursive: true, force: true});
  }
}

async function startRecording(browser) {
  await browser.page.click('#record');
  await browser.page.waitForURL(/\?record$/);
}

describe('a new player', () => {
  test('records a whole game that plays natively the same, reloads and loads the same world', async () => {
    await inBrowser(async browser => {
      const page = browser.page;
      await openPage(browser);
      await waitForLine(page, 'Initializing Player');
      // The menu's faces, drawn on black.
      await waitForPixel(page, 60, 60, face, 'the menu drawn');
      assert.deepEqual(pixelAt(await canvasPixels(page), 5, 5), [0, 0, 0]);
      assert.equal(await page.title(), gameTitle);
      assert.deepEqual(await page.evaluate(() => [canvas.width, canvas.height]), [640, 240]);

      await startRecording(browser);
      await startGame(page, ['1440x900', 'New World']);
      assert.deepEqual(await page.evaluate(() => [canvas.width, canvas.height]), [1440, 900]);
      const saved = await playAWhile(page);
      const files = await expectNativeReplayAlike(page, saved);
      assert.deepEqual(Object.keys(files).sort(), ['args', 'script']);

      // A reload keeps the slot; Load World brings the world back.
      await openPage(browser);
      await startGame(page, ['Load World']);
      assert.deepEqual(linesAfter(await consoleLines(page), 'Loading a saved world', firstEvent),
                       ['Loaded the world!']);
      await clickAndSee(page, saveButton, 'Saved the world!');
      assert.deepEqual(withoutHandles(await downloadSave(page)), withoutHandles(saved));
    });
  });

  test('records a game begun with Load World that plays natively the same', async () => {
    // A world where the player has just landed on the grass, as the native game saves it.
    const start = fs.mkdtempSync(path.join(os.tmpdir(), 'clodmere-landed-'));
    fs.writeFileSync(path.join(start, 'args'), '--seed 42\n');
    fs.writeFileSync(path.join(start, 'script'), 'tick 465\n');
    const landed = replayNatively(start).world;
    fs.rmSync(start, {recursive: true, force: true});
    await inBrowser(async browser => {
      const page = browser.page;
      await openPage(browser);
      await waitForLine(page, 'Initializing Player');
      await page.setInputFiles('#upload', {name: 'ClodmereSave.wld', mimeType: 'application/octet-stream',
                                           buffer: landed});
      await page.waitForFunction(() => document.getElementById('status').textContent.includes('in the save slot'));
      await startRecording(browser);
      await startGame(page, ['Load World']);
      const saved = await playAWhile(page);
      const files = await expectNativeReplayAlike(page, saved);
      assert.equal(files.args.toString(), '--screen 1440x900 --world start.wld\n');
      assert.deepEqual(files['start.wld'], landed);
      assert.deepEqual(files['ClodmereSave.wld'], landed);
    });
  });

  test('each size makes a canvas of that size; full screen is the screen and one more', async () => {
    await inBrowser(async browser => {
      const page = browser.page;
      for (const [choice, size] of [['1200x700', [1200, 700]], ['1680x1050', [1680, 1050]],
                                    ['Fullscreen', [1921, 1081]]]) {
        await openPage(browser);
        await startGame(page, [choice, 'New World']);
        assert.deepEqual(await page.evaluate(() => [canvas.width, canvas.height]), size, choice);
      }
      assert.ok(await page.evaluate(() => document.fullscreenElement !== null), 'full screen was not asked for');
      // Leaving full screen keeps the game going at its size.
      await page.evaluate(() => document.exitFullscreen());
      await page.waitForFunction(() => document.fullscreenElement === null);
      await clickCanvas(page, 105, 105); // the middle of a cell: the canvas is a little scaled
      await waitForLine(page, 'Clicked block coords: 100.000000x100.000000');
      assert.deepEqual(await page.evaluate(() => [canvas.width, canvas.height]), [1921, 1081]);
    });
  });
});

describe('the save slot', () => {
  test('a right click opens no menu; a damaged upload is refused by Load with its usual lines', async () => {
    await inBrowser(async browser => {
      const page = browser.page;
      await openPage(browser);
      await startGame(page);
      const prevented = page.evaluate(() => new Promise(resolve => {
        window.addEventListener('contextmenu', event => resolve(event.defaultPrevented), {once: true});
      }));
      await clickCanvas(page, 100, 100, 'right');
      assert.equal(await prevented, true);
      await page.setInputFiles('#upload', {name: 'ClodmereSave.wld', mimeType: 'application/octet-stream',
                                           buffer: Buffer.alloc(1000, 7)});
      await page.waitForFunction(() => document.getElementById('status').textContent.includes('in the save slot'));
      await clickAndSee(page, loadButton, 'Error Loading');
      assert.deepEqual((await consoleLines(page)).slice(-2), ['Save file is damaged', 'Error Loading']);
    });
  });

  test('a storage that refuses or does not answer fails the save and keeps the last one', async () => {
    await inBrowser(async browser => {
      const page = browser.page;
      await openPage(browser);
      await startGame(page);
      await clickAndSee(page, saveButton, 'Saved the world!');
      const first = await downloadSave(page);
      await clickCanvas(page, 150, 150); // a click changes nothing in the world but is a line

      // The quota is full: every write is refused.
      await page.evaluate(() => {
        IDBObjectStore.prototype.put = () => { throw new DOMException('full', 'QuotaExceededError'); };
    });
    await clickAndSee(page, saveButton, 'Failed to save the world!');
    assert.deepEqual(await downloadSave(page), first);

    // Storage blocked: nothing ever answers.
    await page.evaluate(() => {
      IDBDatabase.prototype.transaction = () => ({objectStore: () => ({index: () => ({openKeyCursor: () => ({})})})});
    });
    await clickAndSee(page, saveButton, 'Failed to save the world!');
    assert.deepEqual(await downloadSave(page), first);
    await clickAndSee(page, loadButton, 'Loaded the world!');
    });
  });
});

// Once landed, the cell at canvas (55, 475) is column 5 of row 121; before,
// the same click finds open air.
async function clickTheCellBesideTheLandedPlayer(page) {
  await waitFor(async () => {
    await clickCanvas(page, 55, 475);
    await new Promise(resolve => setTimeout(resolve, 250));
    return (await consoleLines(page)).includes('Clicked block coords: 50.000000x1210.000000');
  }, 'a click on the cell beside the landed player');
}

describe('the page', () => {
  test('shows the canvas whole: scaled down in a small view, at whole screen pixels on a dense screen; clicks land on the cell under the pointer',
       async () => {
    await inBrowser(async browser => {
      const page = browser.page;
      await openPage(browser);
      await startGame(page);
      const box = await page.locator('#canvas').boundingBox();
      assert.ok(box.width <= 1280 && box.height <= 720 && box.height > 700, JSON.stringify(box));
      assert.ok(Math.abs(box.width / box.height - 1440 / 900) < 0.01);
      await clickTheCellBesideTheLandedPlayer(page);
    }, {width: 1280, height: 720});
    // On a dense screen, whole screen pixels per game pixel where they fit:
    // one at 150 %, two at 200 %; and the click still finds its cell.
    for (const [density, perGamePixel] of [[1.5, 1], [2, 2]]) {
      await inBrowser(async browser => {
        const page = browser.page;
        await openPage(browser);
        await startGame(page);
        await waitFor(async () => {
          const box = await page.locator('#canvas').boundingBox();
          return box.width * density === 1440 * perGamePixel && box.height * density === 900 * perGamePixel;
        }, `the canvas at ${perGamePixel} screen pixels per game pixel at ${density * 100} %`);
        await clickTheCellBesideTheLandedPlayer(page);
      }, {width: 1920, height: 1080}, density);
    }
  });

  // Headless Chromium never hides a page, so hiding is told to the game as a
  // hidden document; and a page kept busy runs nothing of the game, as a
  // throttled background tab runs next to nothing.
  test('losing the focus lets go of held keys; a hidden or stalled page hands the game no burst of ticks',
       async () => {
    await inBrowser(async browser => {
      const page = browser.page;
      await openPage(browser, '?record');
      await startGame(page);
      const started = Date.now();
      const stalledSeconds = await watchStalls(page);
      await waitStanding(page);
      await page.locator('#canvas').focus();
      await page.keyboard.down('ArrowRight');
      await waitFor(async () => playerBox(await canvasPixels(page))[0] >= 40, 'the player to walk right');
      await page.locator('#download').focus(); // the canvas loses the focus, the key stays down
      await page.keyboard.up('ArrowRight');    // and is released where the game does not hear it
      await waitFor(async () => (await recordedScript(page)).includes('up 83\n'), 'the key let go in the recording');

      const pause = milliseconds => new Promise(resolve => setTimeout(resolve, milliseconds)); // spans measured
      const hiddenFor = 2000, stalledFor = 2000;
      await pause(1500);
      await page.evaluate(() => Object.defineProperty(document, 'hidden', {configurable: true, get: () => true}));
      await pause(hiddenFor);
      await page.evaluate(() => delete document.hidden);
      await pause(1000);
      await page.evaluate(milliseconds => {
        for (const end = Date.now() + milliseconds; Date.now() < end;)
          ;
      }, stalledFor);
      await pause(1500);
      const visibleSeconds = (Date.now() - started - hiddenFor - stalledFor) / 1000;
      const ticks = (await recordedScript(page)).split('\n').filter(line => line.startsWith('tick'))
        .reduce((sum, line) => sum + Number(line.split(' ')[1] || 1), 0);
      const catchUpAtMost = 15; // a quarter of a second
      assert.ok(ticks <= 60 * visibleSeconds + catchUpAtMost + 6, `${ticks} ticks in ${visibleSeconds} s visible`);
      // The recorder writes a run of ticks at least once a second; a page
      // the machine kept waiting, beyond the stall made here, lost ticks.
      const starved = Math.max(0, await stalledSeconds() - (stalledFor - 250) / 1000);
      assert.ok(ticks >= 60 * (visibleSeconds - starved - 1.1),
                `${ticks} ticks in ${visibleSeconds} s visible, ${starved} s of them starved`);
    });
  });

  test('a native recording given to "Play a recording" plays at 60 ticks a second and ends on the native frame',
       async () => {
    const session = path.resolve('tests/sessions/dig-and-place');
    const native = replayNatively(session, {frame: true, font: true});
    const expected = fs.readFileSync(path.join(session, 'expected-stdout'), 'utf8').split('\n').slice(1, -2);
    const ticks = Number(fs.readFileSync(path.join(session, 'script'), 'utf8').match(/^tick (\d+)/m)[1]);
    await inBrowser(async browser => {
      const page = browser.page;
      await openPage(browser);
      await chooseRecording(page, '#play-recording',
                            {name: 'dig-and-place.zip', mimeType: 'application/zip', buffer: zipSession(session)});
      await page.waitForURL(/\?play-recording$/);
      await waitForLine(page, firstEvent);
      const started = Date.now();
      const stalledSeconds = await watchStalls(page);
      await waitForLine(page, expected[0], 1, 30000);
      const seconds = (Date.now() - started) / 1000, starved = await stalledSeconds();
      // Never faster than the ticks, and slower only by what a busy machine
      // kept from the page.
      assert.ok(seconds > 0.95 * ticks / 60 && seconds - starved < 1.05 * ticks / 60,
                `${ticks} ticks took ${seconds} s, ${starved} s of them starved`);
      await waitForLine(page, expected.at(-1), expected.filter(line => line === expected.at(-1)).length);
      assert.deepEqual(linesAfter(await consoleLines(page), firstEvent), expected);

      // The last frame stays; outside the HUD's texts it is the native one.
      const texts = [[0, 900 - 42, 360, 900], [1440 - 100, 900 - 22, 1440, 900]];
      const inTexts = (x, y) => texts.some(([l, t, r, b]) => x >= l && x < r && y >= t && y < b);
      await waitFor(async () => {
        const shown = await canvasPixels(page);
        for (let y = 0; y < shown.height; y++)
          for (let x = 0; x < shown.width; x++)
            if (!inTexts(x, y) && String(pixelAt(shown, x, y)) !== String(pixelAt(native.frame, x, y)))
              return false;
        return true;
      }, 'the native last frame');
      const shown = await canvasPixels(page);
      let differentInTexts = 0;
      for (let y = 0; y < shown.height; y++)
        for (let x = 0; x < shown.width; x++)
          if (inTexts(x, y) && String(pixelAt(shown, x, y)) !== String(pixelAt(native.frame, x, y)))
            differentInTexts++;
      console.log(`the HUD's texts: ${differentInTexts} pixels differ from the native frame's`);
    });
  });
});

describe('recordings', () => {
  test('a bad recording is refused with one line, a good one is timed, and the page still starts a game', async () => {
    const landing = path.resolve('tests/sessions/landing');
    const files = name => fs.readFileSync(path.join(landing, name));
    const zipOf = entries => Buffer.from(fflate.zipSync(entries));
    const bad = [
      [{name: 'notes.txt', buffer: Buffer.from('not a zip')}, 'Cannot play the recording: notes.txt is not a zip file'],
      [{name: 'a.zip', buffer: zipOf({'s/script': files('script')})}, 'Cannot play the recording: it has no args'],
      [{name: 'a.zip', buffer: zipOf({'s/args': files('args')})}, 'Cannot play the recording: it has no script'],
      [{name: 'a.zip', buffer: zipOf({'s/args': Buffer.from('--world start.wld\n'), 's/script': files('script'),
                                      's/start.wld': Buffer.alloc(100)})},
       'clodmere: the world /sessions/recording/start.wld is damaged (try --help)'],
      [{name: 'a.zip', buffer: zipOf({'s/args': files('args'), 's/script': Buffer.from('tick\njump 3\n')})},
       /^clodmere: \/sessions\/recording\/script line 2: .* \(try --help\)$/],
    ];
    await inBrowser(async browser => {
      const page = browser.page;
      for (const [file, line] of bad) {
        await openPage(browser);
        await waitForLine(page, 'Initializing Player');
        const before = (await consoleLines(page)).length;
        await chooseRecording(page, '#play-recording', {mimeType: 'application/octet-stream', ...file});
        // Refused by the page, or by the game after the page started it.
        await page.waitForFunction(count => {
          const lines = document.getElementById('console').textContent.split('\n').slice(0, -1);
          return location.search === '?play-recording' ? lines.length >= 1 : lines.length > count;
        }, before);
        const lines = await consoleLines(page);
        const refusal = (await page.evaluate(() => location.search)) === '?play-recording' ? lines : lines.slice(before);
        assert.equal(refusal.length, 1, JSON.stringify(refusal));
        if (line instanceof RegExp)
          assert.match(refusal[0], line);
        else
          assert.equal(refusal[0], line);
      }
      // A good one times as --timedemo does.
      const session = path.resolve('tests/sessions/load-without-file');
      const ticks = Number(fs.readFileSync(path.join(session, 'expected-stdout'), 'utf8').match(/^ticks (\d+)/m)[1]);
      await chooseRecording(page, '#time-recording', ['args', 'script'].map(name => path.join(session, name)));
      await page.waitForURL(/\?time-recording$/);
      await page.waitForFunction(() => document.getElementById('console').textContent.includes('timedemo:'));
      assert.match((await consoleLines(page)).at(-1),
                   new RegExp(`^timedemo: ${ticks} frames, [\\d.]+ s, [\\d.]+ fps, median [\\d.]+ ms, worst [\\d.]+ ms$`));

      await page.click('#back-to-playing');
      await page.waitForURL(url => !url.search);
      await startGame(page);
    });
  });
});

// The slot as the storage holds it and as this tab holds it in memory, by
// their SHA-256; the record the slot points at and the page's last kept.
const slotState = page => page.evaluate(async () => {
  const digest = async bytes => bytes && Array.from(new Uint8Array(await crypto.subtle.digest('SHA-256', bytes)),
                                                    byte => byte.toString(16).padStart(2, '0')).join('');
  const db = await new Promise((resolve, reject) => {
    const request = indexedDB.open('clodmere-slot');
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
  const get = key => new Promise(resolve => {
    const request = db.transaction('slot').objectStore('slot').get(key);
    request.onsuccess = () => resolve(request.result);
  });
  const record = await get('current');
  const stored = record && await get(record.key);
  db.close();
  return {key: record && record.key, length: stored && stored.length, stored: await digest(stored),
          held: await digest(Module.FS.readFile('/clodmere/ClodmereSave.wld')), lastKept: slot.lastKept};
});

// What the browser's permission for durable storage is for the page's site.
async function setDurableStorage(browser, setting) {
  const devTools = await browser.context.newCDPSession(browser.page);
  await devTools.send('Browser.setPermission', {permission: {name: 'persistent-storage'}, setting,
                                                origin: server.url.slice(0, -1)});
}

describe('the saved world', () => {
  test('is protected when the browser allows, only asked at the first Save; a save ends in a strict write read back whole, and one that reads back wrong keeps the last',
       async () => {
    await inBrowser(async browser => {
      const page = browser.page;
      await setDurableStorage(browser, 'granted');
      await page.addInitScript(() => {
        const persist = navigator.storage.persist.bind(navigator.storage);
        window.persistRequests = 0;
        navigator.storage.persist = () => {
          window.persistRequests++;
          return persist();
        };
        const transaction = IDBDatabase.prototype.transaction;
        window.writeDurabilities = [];
        IDBDatabase.prototype.transaction = function (names, mode, options) {
          if (mode === 'readwrite')
            window.writeDurabilities.push(options && options.durability);
          return transaction.call(this, names, mode, options);
        };
      });
      await openPage(browser);
      await startGame(page);
      assert.equal(await page.evaluate(() => window.persistRequests), 0);
      assert.equal(await page.locator('#protection').textContent(), '');
      await clickAndSee(page, saveButton, 'Saved the world!');
      await page.waitForFunction(() => document.getElementById('protection').textContent.includes('keeps'));
      assert.equal(await page.evaluate(() => window.persistRequests), 1);
      const writes = await page.evaluate(() => window.writeDurabilities);
      assert.ok(writes.length >= 2 && writes.every(durability => durability === 'strict'), String(writes));
      const first = await slotState(page);
      assert.equal(first.length, saveSize);
      assert.equal(first.stored, first.held);

      // The new bytes read back wrong: the save fails, the slot still
      // holds the first, and Load brings it back.
      await clickCanvas(page, 150, 150);
      await page.evaluate(() => {
        const get = IDBObjectStore.prototype.get;
        window.restoreGet = () => { IDBObjectStore.prototype.get = get; };
        IDBObjectStore.prototype.get = function (key) {
          const request = get.call(this, key);
          if (String(key).startsWith('world-'))
            Object.defineProperty(request, 'result', {get: () => new Uint8Array(16)});
          return request;
        };
      });
      await clickAndSee(page, saveButton, 'Failed to save the world!');
      await page.evaluate(() => window.restoreGet());
      await clickAndSee(page, loadButton, 'Loaded the world!');
      assert.deepEqual(await slotState(page), {...first, lastKept: first.lastKept});
      assert.equal(await page.evaluate(() => window.persistRequests), 1);

      // A world saved by an earlier version of the page, in the library's
      // folder store, is taken over when the slot is empty.
      await page.evaluate(async () => {
        const bytes = Module.FS.readFile('/clodmere/ClodmereSave.wld');
        const done = request => new Promise((resolve, reject) => {
          request.onsuccess = () => resolve(request.result);
          request.onerror = () => reject(request.error);
        });
        const opening = indexedDB.open('/clodmere', 21);
        opening.onupgradeneeded = () => opening.result.createObjectStore('FILE_DATA');
        const old = await done(opening);
        const putting = old.transaction('FILE_DATA', 'readwrite').objectStore('FILE_DATA')
          .put({timestamp: new Date(), mode: 0o100644, contents: bytes}, '/clodmere/ClodmereSave.wld');
        await done(putting);
        old.close();
        await done(indexedDB.deleteDatabase('clodmere-slot'));
      });
      await page.reload();
      await startGame(page, ['Load World']);
      assert.ok((await consoleLines(page)).includes('Loaded the world!'));
      assert.match(await page.evaluate(() => document.getElementById('status').textContent), /earlier version/);
      assert.equal((await slotState(page)).stored, first.stored);
    });
  });

  test('is shared by two tabs in turns: a Load gets the other tab\'s save, and racing saves leave the last one whole',
       async () => {
    await inBrowser(async browser => {
      await setDurableStorage(browser, 'denied');
      const tabs = [browser.page, await browser.context.newPage()];
      for (const tab of tabs) {
        await tab.goto(server.url);
        await startGame(tab);
      }
      // A saves, B loads A's world.
      await clickAndSee(tabs[0], saveButton, 'Saved the world!');
      await tabs[0].waitForFunction(() => document.getElementById('protection').textContent.includes('may clear'));
      await clickAndSee(tabs[1], loadButton, 'Loaded the world!');
      const saved = await slotState(tabs[0]);
      assert.equal((await slotState(tabs[1])).held, saved.stored);

      // B plays on in a world of its own: each tab's saves differ.
      await tabs[1].reload();
      await startGame(tabs[1]);
      const saveAtOnce = () => Promise.all(tabs.map(tab => clickAndSee(tab, saveButton, 'Saved the world!')));
      for (let round = 0; round < 20; round++) {
        await saveAtOnce();
        const states = await Promise.all(tabs.map(slotState));
        const [last, other] = states[0].lastKept.savedAt >= states[1].lastKept.savedAt ? states : states.reverse();
        assert.notEqual(last.held, other.held);
        assert.equal(last.key, last.lastKept.key, `round ${round}`);
        assert.equal(last.stored, last.held, `round ${round}`);
        assert.equal(last.length, saveSize);
      }
      // A Load while the other tab saves reads the slot before or after
      // that save: never anything else.
      const before = (await slotState(tabs[0])).stored;
      await Promise.all([clickAndSee(tabs[0], loadButton, 'Loaded the world!'),
                         clickAndSee(tabs[1], saveButton, 'Saved the world!')]);
      const [loaded, saver] = await Promise.all(tabs.map(slotState));
      assert.ok([before, saver.held].includes(loaded.held));
    });
  });
});

describe('the page offline', () => {
  test('installs as an app; after one visit it plays with no network; a new release is taken whole', async () => {
    const releases = fs.mkdtempSync(path.join(os.tmpdir(), 'clodmere-releases-'));
    const [first, second] = ['first', 'second'].map(name => path.join(releases, name));
    fs.cpSync(server.root, first, {recursive: true});
    fs.cpSync(server.root, second, {recursive: true});
    for (const file of ['page.js', 'clodmere.js'])
      fs.appendFileSync(path.join(second, file), `\nwindow.release${file.split('.')[0]} = 'second';\n`);
    execFileSync('/usr/bin/python3', ['tools/web/package.py', '--service-worker', second]);
    const site = await serve(first);
    try {
      await inBrowser(async browser => {
        const page = browser.page;
        // The worker's copy of the files must not compete with the first
        // start: it is asked for only once the menu has been drawn.
        await page.addInitScript(() => {
          const register = navigator.serviceWorker.register.bind(navigator.serviceWorker);
          navigator.serviceWorker.register = (...options) => {
            window.registeredAfter = document.getElementById('console').textContent.split('\n').at(-2);
            return register(...options);
          };
        });
        await page.goto(site.url);
        await startGame(page);
        await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
        assert.equal(await page.evaluate(() => window.registeredAfter), 'Initializing Player');
        const devTools = await browser.context.newCDPSession(page);
        assert.deepEqual((await devTools.send('Page.getInstallabilityErrors')).installabilityErrors, []);

        site.close();
        await browser.context.setOffline(true);
        await page.reload();
        await startGame(page);
        await clickAndSee(page, saveButton, 'Saved the world!');
        await page.reload();
        await startGame(page, ['Load World']);
        assert.ok((await consoleLines(page)).includes('Loaded the world!'));
        await browser.context.setOffline(false);

        // The second release at the same address: the first plays on until
        // the player takes the second, then every file is the second's.
        const next = await serve(second, new URL(site.url).port);
        try {
          await page.reload();
          await startGame(page, ['Load World']);
          assert.equal(await page.evaluate(() => window.releasepage), undefined);
          await page.click('#take-newer-build');
          await page.waitForFunction(() => window.releasepage === 'second' && window.releaseclodmere === 'second');
          await startGame(page, ['Load World']);
          const files = Object.keys(JSON.parse(fs.readFileSync(path.join(second, 'service-worker.js'), 'utf8')
            .match(/const files = (\{[^}]*\})/)[1]));
          const served = await page.evaluate(async names => Promise.all(names.map(async name =>
            Array.from(new Uint8Array(await crypto.subtle.digest('SHA-256', await (await fetch(name)).arrayBuffer())),
                       byte => byte.toString(16).padStart(2, '0')).join(''))), files);
          const onDisk = files.map(name =>
            crypto.createHash('sha256').update(fs.readFileSync(path.join(second, name))).digest('hex'));
          assert.deepEqual(served, onDisk);
          assert.equal((await page.evaluate(() => caches.keys())).length, 1);
        } finally {
          next.close();
        }
      });
    } finally {
      fs.rmSync(releases, {recursive: true, force: true});
    }
  });
});
