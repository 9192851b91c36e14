// The page around the game: its console, the save slot in the browser's
// storage (download and upload), the canvas's focus and full screen.
'use strict';

const saveFolder = '/clodmere';
const saveName = 'ClodmereSave.wld';
const savePath = saveFolder + '/' + saveName;
// No save is anywhere near this large; a larger file is not read at all.
const largestUpload = 16 * 1024 * 1024;
// A storage that has not answered by then never will.
const storageWaitMilliseconds = 5000;

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

// Calls back once with the storage's answer: null when it has the folder,
// else what went wrong. A storage that never answers counts as a refusal.
function syncSaveFolder(populate, done) {
  let answered = false;
  const answer = error => {
    if (!answered) {
      answered = true;
      done(error);
    }
  };
  setTimeout(() => answer('no answer'), storageWaitMilliseconds);
  try {
    Module.FS.syncfs(populate, error => answer(error ? String(error) : null));
  } catch (error) {
    answer(String(error));
  }
}

// The save folder comes from the browser's storage before the game starts,
// so that Load World finds the slot as it was left.
function mountSaveFolder() {
  const FS = Module.FS;
  Module.ENV.SDL_EMSCRIPTEN_KEYBOARD_ELEMENT = '#canvas';
  FS.mkdir(saveFolder);
  FS.mount(FS.filesystems.IDBFS, {}, saveFolder);
  FS.chdir(saveFolder);
  Module.addRunDependency('save slot');
  syncSaveFolder(true, error => {
    if (error)
      showStatus('The browser\'s storage cannot be read (' + error + '): saves will not be kept.');
    Module.removeRunDependency('save slot');
  });
}

function downloadSave() {
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
  const bytes = new Uint8Array(await file.arrayBuffer());
  Module.FS.writeFile(savePath, bytes);
  syncSaveFolder(false, error => {
    showStatus(error ? 'The upload is in the slot, but the browser did not store it (' + error + ').'
                     : file.name + ' is in the save slot: Load reads it.');
  });
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
askForFullScreenWhenScreenSized();
canvas.focus();

// ?play=NAME and ?timedemo=NAME play one of the recorded sessions that come
// with the page, as --play and --timedemo do.
const sessionsFolder = '/sessions';
const sessionModes = ['play', 'timedemo'];
const parameters = new URLSearchParams(location.search);
const sessionMode = sessionModes.find(mode => parameters.has(mode));
const sessionName = sessionMode ? parameters.get(sessionMode) : null;

// The session's files into the game's file system before it starts. A name
// that is not among them stops the game from starting, with a line saying so.
function loadBundledSession() {
  const FS = Module.FS;
  Module.addRunDependency('session');
  fetch('sessions/index.json')
    .then(response => response.json())
    .then(async index => {
      if (!Object.prototype.hasOwnProperty.call(index, sessionName))
        throw new Error('there is no recorded session named ' + JSON.stringify(sessionName));
      const folder = sessionsFolder + '/' + sessionName;
      FS.mkdirTree(folder);
      for (const name of index[sessionName]) {
        const response = await fetch('sessions/' + encodeURIComponent(sessionName) + '/' + name);
        if (!response.ok)
          throw new Error('cannot fetch ' + name + ' of ' + sessionName);
        FS.writeFile(folder + '/' + name, new Uint8Array(await response.arrayBuffer()));
      }
      Module.removeRunDependency('session');
    })
    .catch(error => printLine('Cannot play the session: ' + error.message));
}

var Module = {
  canvas: canvas,
  print: printLine,
  printErr: printLine, // a terminal shows standard error too
  preRun: [mountSaveFolder],
};
// ?record records the session into the game's file system, as --record
// does.
const recordingFolder = '/recording';
if (sessionMode) {
  Module.arguments = ['--' + sessionMode, sessionsFolder + '/' + sessionName];
  Module.preRun.push(loadBundledSession);
} else if (parameters.has('record')) {
  Module.arguments = ['--record', recordingFolder];
}
