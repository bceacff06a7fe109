// The program itself: starting a run of its WebAssembly module, the calls it
// makes to the page (the fv* members of its module object, platform/web/*.cpp)
// and the page's calls to it (keys, frames, timers, its files).
import { lifecycle, moveTo } from './lifecycle.js';
import { beginRun, flushOutput, readKey, readLine, show, stderrStream, stdoutStream, stopReading } from './console-panel.js';
import { clearWindow, openWindow, present } from './canvas-view.js';
import { excitationArgs } from './excitation.js';

// Every run is the program with continuous motion and its numbers written to
// files, as `forced-vibration --play --csv forced-vibration [answer-file]`.
const csvName = 'forced-vibration';
export const csvFiles = {
  motion: csvName + '-motion.csv',
  response: csvName + '-response.csv',
  sweep: csvName + '-sweep.csv',  // from the first sweep (w) on
  measured: csvName + '-measured.csv',  // the figures of r, of sweeps and of a hand-in
};

// The current run. Written here only.
export const run = {
  module: null,          // the running program's module object
  busy: false,           // a key of the window is being handled
  frameRequested: false, // a redraw waits for the next animation frame
  playing: false,        // the motion runs (--play), as the program says
  deferredTimers: [],    // timers that ran out while a key was being handled
  timersPending: 0,      // timers set and not yet run out
  snapshot: null,        // what the program shows (app/snapshot.h), once it says
};

// 'key' (detail {key, ms}) after each window key that draws a frame;
// 'readout' after a press, a drag or an arrow key has drawn one; 'play'
// when the motion starts or stops; 'snapshot' when the program's snapshot
// changes; 'examples' when the experiments are known.
export const programEvents = new EventTarget();

function setPlaying(on) {
  run.playing = on;
  programEvents.dispatchEvent(new Event('play'));
}

function windowOpened(width, height, text) {
  openWindow(width, text);
  moveTo('window');
}

// The program's snapshot, handed over whenever it changes.
function snapshotTaken(json) {
  run.snapshot = JSON.parse(json);
  if (run.snapshot.playing !== run.playing) setPlaying(run.snapshot.playing);
  programEvents.dispatchEvent(new Event('snapshot'));
}

function requestFrame() {
  if (run.frameRequested) return;
  run.frameRequested = true;
  requestAnimationFrame(() => {
    run.frameRequested = false;
    if (run.module && lifecycle.state === 'window' && !run.busy) run.module._webDisplay();
  });
}

// A timer of 0 ms through a message port: setTimeout waits at least 4 ms
// once such timers nest, which cost the sweep's back-to-back slices a third
// of their time.
const soon = new MessageChannel();
const dueSoon = [];
soon.port1.onmessage = () => dueSoon.shift()();
function after(ms, fn) {
  if (ms > 0) {
    setTimeout(fn, ms);
  } else {
    dueSoon.push(fn);
    soon.port2.postMessage(0);
  }
}

function startTimer(ms, slot) {
  const program = run.module;
  run.timersPending++;
  const fire = () => {
    if (program !== run.module) return;
    run.timersPending--;
    if (lifecycle.state === 'ended') return;
    // The window waits while the console dialog runs.
    if (run.busy) {
      run.timersPending++;
      run.deferredTimers.push(fire);
      return;
    }
    program._webTimer(slot);
  };
  after(ms, fire);
}

// A window key that runs the console dialog (m, g, j) holds the window from
// its first question until it ends.
function dialogAsks() {
  if (lifecycle.state === 'window') moveTo('dialog');
}

// Hand one key (the byte GLUT gives) to the window.
export async function windowKey(byte) {
  if (!run.module || lifecycle.state !== 'window' || run.busy) return;
  run.busy = true;
  const start = performance.now();
  try {
    const done = run.module.ccall('webKey', null, ['number'], [byte], { async: true });
    // A dialog's first question has come by now, if the key runs one.
    const dialog = lifecycle.state === 'dialog';
    if (!dialog) {
      programEvents.dispatchEvent(new CustomEvent('key', {
        detail: { key: String.fromCharCode(byte), ms: performance.now() - start } }));
    }
    await done;
    if (dialog && lifecycle.state === 'dialog') moveTo('window');
  } catch (e) {
    stopped(e);
  } finally {
    run.busy = false;
    const timers = run.deferredTimers;
    run.deferredTimers = [];
    for (const fire of timers) fire();
  }
}

// A drag waiting for the next animation frame: the program draws at most one
// picture a frame however fast the pointer's events come. Written here only.
let pendingDrag = null;

// True when the window takes the pointer and the arrow keys now.
function windowFree() {
  return run.module && lifecycle.state === 'window' && !run.busy;
}

// Hand one call of the crosshair to the program and say so.
function readoutCall(call) {
  try {
    call(run.module);
  } catch (e) {
    stopped(e);
    return;
  }
  programEvents.dispatchEvent(new Event('readout'));
}

// The pointer pressed (drag false) or moved while pressed (drag true) at
// window pixel (x, y).
export function windowPointer(x, y, drag) {
  if (!windowFree()) return;
  if (!drag) {
    pendingDrag = null;
    readoutCall((m) => m._webPointer(x, y, 0));
    return;
  }
  const first = pendingDrag === null;
  pendingDrag = { x, y };
  if (!first) return;
  requestAnimationFrame(() => {
    const at = pendingDrag;
    pendingDrag = null;
    if (at && windowFree()) readoutCall((m) => m._webPointer(at.x, at.y, 1));
  });
}

// An arrow key: dx, dy -1, 0 or 1, dy = 1 up.
export function windowArrow(dx, dy) {
  if (windowFree()) readoutCall((m) => m._webArrowKey(dx, dy));
}

// The program ended through exit() (Escape) or failed.
function stopped(e) {
  if (lifecycle.state === 'ended') return;
  flushOutput();
  if (e && e.name === 'ExitStatus') {
    ended(e.status);
  } else {
    show('\nプログラムが内部エラーで止まりました。 / The program stopped because of an internal error: ' + e + '\n', 'err');
    ended();
  }
}

function ended(status) {
  if (lifecycle.state === 'ended') return;
  stopReading();
  setPlaying(false);
  const how = status ? ' (exit status ' + status + ')' : '';
  show('\n[プログラムは終了しました。「最初から」でもう一度動かせます。 / The program has ended' + how +
       '. Press "Start again" to run it once more.]\n', 'note');
  moveTo('ended');
}

export function cannotLoad(why) {
  if (lifecycle.state === 'failed') return;
  show('このページではシミュレータを始められませんでした。ブラウザが WebAssembly のプログラム ' +
       '(forced-vibration.wasm) を読み込めませんでした。このページはウェブサーバ経由 (http:// か ' +
       'https://) で開くか、一つのファイルにしたページ (forced-vibration.html) を開いて、' +
       'WebAssembly の動くブラウザで再読み込みしてください。\n' +
       'This page could not start the simulator: the browser did not load its WebAssembly ' +
       'program (forced-vibration.wasm). Open this page through a web server (http:// or ' +
       'https://), or open the one-file page (forced-vibration.html), in a browser that runs ' +
       'WebAssembly, and reload it.\n' +
       (why ? '(' + why + ')\n' : ''), 'err');
  moveTo('failed');
}

// The experiments the program carries in its files (examples/).
function listExamples(module) {
  const names = module.FS.readdir('/examples').filter((n) => n !== '.' && n !== '..');
  programEvents.dispatchEvent(new CustomEvent('examples', { detail: names }));
}

// Start a fresh run of the program; args are its command-line arguments.
// prepare(FS), if given, runs once the program's files are there and before
// its main: to write a file that args name.
export function start(args = [], prepare = null) {
  if (typeof createForcedVibration !== 'function' || typeof WebAssembly !== 'object') {
    cannotLoad(typeof WebAssembly !== 'object' ? 'no WebAssembly in this browser'
                                               : 'forced-vibration.js did not load');
    return;
  }
  run.module = null;
  moveTo('loading');
  beginRun();
  clearWindow();
  run.busy = false;
  run.deferredTimers = [];
  run.timersPending = 0;
  run.snapshot = null;
  setPlaying(false);
  const module = {
    // A specimen's answers are a force's: it takes no other excitation.
    arguments: ['--play', '--csv', csvName]
      .concat(args.includes('--specimen') ? [] : excitationArgs(), args),
    print: (t) => show(t + '\n'),
    printErr: (t) => console.warn(t),
    preRun: [() => {
      if (prepare) prepare(module.FS);
      module.FS.init(() => null, stdoutStream.write, stderrStream.write);
      moveTo('dialog');
    }],
    onExit: (status) => { flushOutput(); if (run.module === module) ended(status); },
    onAbort: (what) => {
      if (run.module !== module) return;
      if (lifecycle.state === 'loading' || !module.calledRun) cannotLoad(what);
      else stopped(what);
    },
    fvReadLine: async () => {
      dialogAsks();
      module.fvLineBytes = await readLine();
      return module.fvLineBytes.length;
    },
    fvReadKey: () => { dialogAsks(); return readKey(); },
    fvOpenWindow: windowOpened,
    fvPresent: present,
    fvRequestFrame: requestFrame,
    fvStartTimer: startTimer,
    fvSnapshot: snapshotTaken,
  };
  run.module = module;
  createForcedVibration(module).then(listExamples, (e) => { if (run.module === module) cannotLoad(String(e)); });
}

// The program's file, or null when it has not written it.
export function programFile(name) {
  try {
    return run.module ? run.module.FS.readFile('/' + name) : null;
  } catch (e) {
    return null;
  }
}
