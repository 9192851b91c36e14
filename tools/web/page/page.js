// The page around the game: its console, the save slot in the browser's
// storage (download and upload), the canvas's focus and full screen.
'use strict';

const saveFolder = '/clodmere';
const saveName = 'ClodmereSave.wld';
const savePath = saveFolder + '/' + saveName;
// No save is anywhere near this large; a larger file is not read at all.
const largestUpload = 16 * 1024 * 1024;

const canvas = document.getElementById('canvas');
const consolePanel = document.getElementById('console');
const statusLine = document.getElementById('status');

function showStatus(text) {
  statusLine.textContent = text;
}

// The game's standard output, line by line, in order.
function printLine(line) {
  const atBottom = consolePanel.scrollTop + consolePanel.clientHeight >= consolePanel.scrollHeight - 2;
  consolePanel.append(line + '\n');
  if (atBottom)
    consolePanel.scrollTop = consolePanel.scrollHeight;
}

// The save slot: the game's folder is in memory, and the page keeps its
// save in the browser's storage (slot.js). The game asks, through its
// platform layer, for a save to be kept before it says "Saved the world!",
// and for the newest save before any Load.
const slot = makeSaveSlot({
  place: bytes => Module.FS.writeFile(savePath, bytes, {canOwn: true}),
  showStatus,
  showProtection: isProtected => {
    document.getElementById('protection').textContent = isProtected
      ? 'The browser keeps your saved world: it will not clear it to make room.'
      : 'The browser may clear your saved world (to make room, or after a week away): keep a copy with ' +
        '"Download save".';
  },
});

const isSlot = path => (path.startsWith('/') ? path : Module.FS.cwd() + '/' + path) === savePath;

async function keepFile(path) {
  if (!isSlot(path))
    return true;
  slot.askToProtect();
  try {
    await slot.keep(Module.FS.readFile(savePath));
    return true;
  } catch (error) {
    showStatus('The browser did not keep the save (' + slot.reason(error) + '): the slot holds the save before it.');
    return false;
  }
}

// When the storage cannot be read, the copy in memory is read.
async function catchUpFile(path) {
  if (!isSlot(path))
    return;
  try {
    await slot.catchUp();
  } catch (error) {
    showStatus('The browser\'s storage cannot be read (' + slot.reason(error) + '): Load reads this tab\'s copy.');
  }
}

// The game's folder, with the newest save in it, before the game starts.
function mountSaveFolder() {
  const FS = Module.FS;
  Module.ENV.SDL_EMSCRIPTEN_KEYBOARD_ELEMENT = '#canvas';
  FS.mkdir(saveFolder);
  FS.chdir(saveFolder);
  Module.keepFile = keepFile;
  Module.catchUpFile = catchUpFile;
  Module.addRunDependency('save slot');
  slot.start(savePath)
    .catch(error => showStatus('The browser\'s storage cannot be read (' + slot.reason(error) +
                               '): saves will not be kept.'))
    .finally(() => Module.removeRunDependency('save slot'));
}

async function downloadSave() {
  await catchUpFile(savePath);
  let bytes;
  try {
    bytes = Module.FS.readFile(savePath);
  } catch (error) {
    showStatus('There is no save yet.');
    return;
  }
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], {type: 'application/octet-stream'}));
  link.download = saveName;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

async function uploadSave(file) {
  if (file.size > largestUpload) {
    showStatus(file.name + ' is far too large to be a save; the slot is unchanged.');
    return;
  }
  slot.askToProtect();
  try {
    await slot.keep(new Uint8Array(await file.arrayBuffer()));
    showStatus(file.name + ' is in the save slot: Load reads it.');
  } catch (error) {
    showStatus('The browser did not keep ' + file.name + ' (' + slot.reason(error) + '): the slot is unchanged.');
  }
}

// Full screen is the game's frameless window the size of the screen: once
// the game makes its canvas that large, the browser is asked for it.
function askForFullScreenWhenScreenSized() {
  const isScreenSized = () => canvas.width > screen.width && canvas.height > screen.height;
  new MutationObserver(() => {
    if (isScreenSized() && !document.fullscreenElement) {
      const screenBox = document.getElementById('screen');
      if (screenBox.requestFullscreen)
        screenBox.requestFullscreen().catch(() => {});
    }
  }).observe(canvas, {attributes: true, attributeFilter: ['width', 'height']});
}

// The canvas at a whole number of the screen's pixels per game pixel, as
// the desktop game shows its window: the screen's density lowered to a
// whole number that fits the view (1 at 150 %, 2 at 200 %); where even one
// does not fit, as large as fits. Either way never blurred.
function fitCanvas() {
  const room = document.fullscreenElement ? document.fullscreenElement.getBoundingClientRect()
                                          : {width: window.innerWidth, height: window.innerHeight};
  const density = window.devicePixelRatio || 1;
  const fits = scale => canvas.width * scale <= room.width && canvas.height * scale <= room.height;
  let whole = Math.max(1, Math.floor(density));
  while (whole > 1 && !fits(whole / density))
    whole--;
  const scale = fits(whole / density) ? whole / density
                                      : Math.min(room.width / canvas.width, room.height / canvas.height);
  const width = canvas.width * scale + 'px', height = canvas.height * scale + 'px';
  // Set only when it changes: a style set is itself a change the observer hears.
  if (canvas.style.width !== width || canvas.style.height !== height) {
    canvas.style.width = width;
    canvas.style.height = height;
  }
}

function keepCanvasFitted() {
  // The library sets the canvas's size, and at times its style, as it likes.
  new MutationObserver(fitCanvas).observe(canvas, {attributes: true, attributeFilter: ['width', 'height', 'style']});
  window.addEventListener('resize', fitCanvas);
  document.addEventListener('fullscreenchange', fitCanvas);
  fitCanvas();
}

// The game hears only of the window's focus: losing the canvas's counts
// the same, so that keys held in the game are let go.
function passCanvasFocusOn() {
  canvas.addEventListener('blur', () => window.dispatchEvent(new FocusEvent('blur')));
  canvas.addEventListener('focus', () => window.dispatchEvent(new FocusEvent('focus')));
  canvas.addEventListener('mousedown', () => canvas.focus());
}

// The game's keys never scroll the page, and a right click places a block
// without opening a menu.
const gameKeys = new Set(['ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown', ' ', 'Spacebar']);
canvas.addEventListener('keydown', event => {
  if (gameKeys.has(event.key))
    event.preventDefault();
});
canvas.addEventListener('contextmenu', event => event.preventDefault());

document.getElementById('download').addEventListener('click', downloadSave);
const uploadInput = document.getElementById('upload');
document.getElementById('upload-button').addEventListener('click', () => uploadInput.click());
uploadInput.addEventListener('change', () => {
  if (uploadInput.files.length > 0)
    uploadSave(uploadInput.files[0]);
  uploadInput.value = '';
});
passCanvasFocusOn();
keepCanvasFitted();
askForFullScreenWhenScreenSized();
canvas.focus();

// Sessions, in the native game's folder format (src/program/session_folder.h):
// ?play=NAME and ?timedemo=NAME play one of the recorded sessions that come
// with the page, as --play and --timedemo do; ?play-recording and
// ?time-recording the recording the player chose last; ?record records
// into the game's file system, as --record does.
const sessionsFolder = '/sessions';
const recordingFolder = '/recording';
const sessionFiles = ['args', 'script', 'start.wld', 'ClodmereSave.wld'];
const parameters = new URLSearchParams(location.search);
const sessionMode = ['play', 'timedemo'].find(mode => parameters.has(mode));
const sessionName = sessionMode ? parameters.get(sessionMode) : null;
const recordingMode = {'play-recording': 'play', 'time-recording': 'timedemo'};
const chosenMode = Object.keys(recordingMode).find(mode => parameters.has(mode));
const recording = parameters.has('record') && !sessionMode && !chosenMode;

// The recording the player chose waits in the browser's storage across the
// reload that starts it.
const chosenDatabase = 'clodmere-chosen-recording';
function withChosenStore(access, work) {
  return new Promise((resolve, reject) => {
    const opening = indexedDB.open(chosenDatabase, 1);
    opening.onupgradeneeded = () => opening.result.createObjectStore('files');
    opening.onerror = () => reject(new Error('the browser\'s storage cannot be opened'));
    opening.onsuccess = () => {
      const transaction = opening.result.transaction('files', access);
      const request = work(transaction.objectStore('files'));
      transaction.oncomplete = () => resolve(request.result);
      transaction.onerror = () => reject(new Error('the browser\'s storage refused it'));
    };
  });
}

// A session's files into the game's file system before it starts. When they
// cannot be had the game does not start, with a line saying why.
function loadSessionFiles(name, fetchFiles) {
  const FS = Module.FS;
  Module.addRunDependency('session');
  fetchFiles()
    .then(files => {
      const folder = sessionsFolder + '/' + name;
      FS.mkdirTree(folder);
      for (const [file, bytes] of Object.entries(files))
        FS.writeFile(folder + '/' + file, bytes);
      Module.removeRunDependency('session');
    })
    .catch(error => printLine('Cannot play the session: ' + error.message));
}

async function fetchBundledSession() {
  const index = await (await fetch('sessions/index.json')).json();
  if (!Object.prototype.hasOwnProperty.call(index, sessionName))
    throw new Error('there is no recorded session named ' + JSON.stringify(sessionName));
  const files = {};
  for (const name of index[sessionName]) {
    const response = await fetch('sessions/' + encodeURIComponent(sessionName) + '/' + name);
    if (!response.ok)
      throw new Error('cannot fetch ' + name + ' of ' + sessionName);
    files[name] = new Uint8Array(await response.arrayBuffer());
  }
  return files;
}

async function fetchChosenRecording() {
  const files = await withChosenStore('readonly', store => store.get('recording'));
  if (!files)
    throw new Error('no recording was chosen');
  return files;
}

// A session zip or a session's own files, as the player gives them: the
// session files of the folder in the zip that holds a script, or of the
// files given. One line says what is wrong with anything else.
async function readRecording(fileList) {
  const given = Array.from(fileList);
  let entries = {};
  if (given.length === 1 && !sessionFiles.includes(given[0].name)) {
    try {
      entries = fflate.unzipSync(new Uint8Array(await given[0].arrayBuffer()));
    } catch (error) {
      throw new Error(given[0].name + ' is not a zip file');
    }
  } else {
    for (const file of given)
      entries[file.name] = new Uint8Array(await file.arrayBuffer());
  }
  const folderOf = path => path.slice(0, path.lastIndexOf('/') + 1);
  const nameOf = path => path.slice(path.lastIndexOf('/') + 1);
  const holders = Object.keys(entries).filter(path => nameOf(path) === 'script').map(folderOf);
  const folder = holders.length === 1 ? holders[0]
                                      : Object.keys(entries).filter(path => nameOf(path) === 'args').map(folderOf)[0];
  const files = {};
  for (const [path, bytes] of Object.entries(entries))
    if (folderOf(path) === folder && sessionFiles.includes(nameOf(path)))
      files[nameOf(path)] = bytes;
  if (holders.length > 1)
    throw new Error('it holds more than one session');
  for (const needed of ['args', 'script'])
    if (!files[needed])
      throw new Error('it has no ' + needed);
  return files;
}

async function chooseRecording(mode, fileList) {
  let files;
  try {
    files = await readRecording(fileList);
  } catch (error) {
    printLine('Cannot play the recording: ' + error.message);
    return;
  }
  await withChosenStore('readwrite', store => store.put(files, 'recording'));
  location.search = '?' + mode;
}

function timeStamp() {
  const now = new Date(), two = number => String(number).padStart(2, '0');
  return `${now.getFullYear()}${two(now.getMonth() + 1)}${two(now.getDate())}-` +
         `${two(now.getHours())}${two(now.getMinutes())}${two(now.getSeconds())}`;
}

// The recording as it stands, in one zip holding its folder.
function downloadRecording() {
  const FS = Module.FS;
  const folder = 'clodmere-session-' + timeStamp();
  const entries = {};
  for (const name of sessionFiles)
    if (FS.analyzePath(recordingFolder + '/' + name).exists)
      entries[folder + '/' + name] = FS.readFile(recordingFolder + '/' + name);
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([fflate.zipSync(entries)], {type: 'application/zip'}));
  link.download = folder + '.zip';
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

function setUpSessionControls() {
  const recordingInput = document.getElementById('recording');
  let chosenAs = null;
  document.getElementById('record').addEventListener('click', () => { location.search = '?record'; });
  for (const [button, mode] of [['play-recording', 'play-recording'], ['time-recording', 'time-recording']])
    document.getElementById(button).addEventListener('click', () => {
      chosenAs = mode;
      recordingInput.click();
    });
  recordingInput.addEventListener('change', () => {
    if (recordingInput.files.length > 0)
      chooseRecording(chosenAs, recordingInput.files);
    recordingInput.value = '';
  });
  const downloadButton = document.getElementById('download-recording');
  downloadButton.hidden = !recording;
  downloadButton.addEventListener('click', downloadRecording);
  const back = document.getElementById('back-to-playing');
  back.hidden = !(sessionMode || chosenMode);
  back.addEventListener('click', () => { location.search = ''; });
}
setUpSessionControls();

// After one visit the page plays with no network: a service worker keeps
// every file of the build (service-worker.js). It is registered at the
// first animation frame after the game started: the game holds the page
// until its first frame is drawn, so that frame is on screen by then, and
// the worker's copy of the files (which would take a quarter of the first
// start's time) never competes with it. Where service workers cannot run
// (a file:// page, plain http off this machine) the page works without.
function keepForOffline() {
  if (!('serviceWorker' in navigator) || !window.isSecureContext)
    return;
  requestAnimationFrame(() => navigator.serviceWorker.register('service-worker.js', {updateViaCache: 'none'})
    .then(offerNewerBuilds, error => printLine('The page cannot be kept for offline play: ' + error.message)));
}

// A newer build waits beside the running one until the player takes it;
// then every tab reloads onto it whole.
function offerNewerBuilds(registration) {
  const offer = document.getElementById('newer-build');
  let taking = false;
  const offerWorker = worker => {
    offer.hidden = false;
    document.getElementById('take-newer-build').onclick = () => {
      taking = true;
      if (worker.state === 'activated')
        location.reload();
      else
        worker.postMessage('take over');
    };
  };
  navigator.serviceWorker.addEventListener('controllerchange', () => {
    if (taking)
      location.reload();
  });
  if (registration.waiting && navigator.serviceWorker.controller)
    offerWorker(registration.waiting);
  registration.addEventListener('updatefound', () => {
    const worker = registration.installing;
    worker.addEventListener('statechange', () => {
      if (worker.state === 'installed' && navigator.serviceWorker.controller)
        offerWorker(worker);
    });
  });
}

var Module = {
  canvas: canvas,
  print: printLine,
  printErr: printLine, // a terminal shows standard error too
  preRun: [mountSaveFolder],
  onRuntimeInitialized: keepForOffline,
};
if (sessionMode) {
  Module.arguments = ['--' + sessionMode, sessionsFolder + '/' + sessionName];
  Module.preRun.push(() => loadSessionFiles(sessionName, fetchBundledSession));
} else if (chosenMode) {
  Module.arguments = ['--' + recordingMode[chosenMode], sessionsFolder + '/recording'];
  Module.preRun.push(() => loadSessionFiles('recording', fetchChosenRecording));
} else if (recording) {
  Module.arguments = ['--record', recordingFolder];
}
