// The program itself: starting a run of its WebAssembly module, the calls it
// makes to the page (the fv* members of its module object, platform/web/*.cpp)
// and the page's calls to it (keys, frames, timers, its files).
import { lifecycle, moveTo } from './lifecycle.js';
import { beginRun, flushOutput, readKey, readLine, show, stderrStream, stdoutStream, stopReading } from './console-panel.js';
import { clearWindow, drawKeptFrame, holdFrames, openWindow, present } from './canvas-view.js';
import { journalAdd, journalBegin, journalClear, journalContinue, journalEvents } from './journal.js';
import { chooseExcitation, excitationArgs } from './excitation.js';

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
  replay: null,          // a run being brought back: {entries, next}; null otherwise
  heldTimers: [],        // timers set while it is: {value, ms, fire}
  firing: null,          // the timer being handled: {value, again} (set again)
};

// Hand the journal an entry, unless the run is being replayed from it.
function record(entry) {
  if (!run.replay) journalAdd(entry);
}

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
  // A run brought back goes on once main has left.
  if (run.replay) after(0, replayWindow);
}

// The program's snapshot, handed over whenever it changes.
function snapshotTaken(json) {
  run.snapshot = JSON.parse(json);
  if (run.snapshot.playing !== run.playing) setPlaying(run.snapshot.playing);
  programEvents.dispatchEvent(new Event('snapshot'));
}

function requestFrame() {
  // A replay hands the program the frames the journal holds, no others.
  if (run.frameRequested || run.replay) return;
  run.frameRequested = true;
  requestAnimationFrame(() => {
    run.frameRequested = false;
    if (run.module && lifecycle.state === 'window' && !run.busy && !run.replay) {
      record(['d', 1]);
      run.module._webDisplay();
    }
  });
}

// A frame drawn by a timer's tick (the finished sweep's) is put on the
// canvas in the next animation frame, a task of its own: the tick's work
// and the canvas's together made one task of over 50 ms on a slow machine.
// Other frames go on the canvas at once. Written here only.
let framePending = null;
function presentFrame(c) {
  if (!run.firing || run.replay) {
    framePending = null;
    present(c);
    return;
  }
  const first = framePending === null;
  framePending = c.slice();
  if (!first) return;
  requestAnimationFrame(() => {
    const c = framePending;
    framePending = null;
    if (c) present(c);
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

function startTimer(ms, slot, value) {
  const program = run.module;
  run.timersPending++;
  if (run.firing && run.firing.value === value) run.firing.again = true;
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
    // A tick that sets no timer of its own value again ends its chain (the
    // sweep's last slice, a stale tick); the play clock's and the sweep's
    // other ticks change nothing that a replay needs.
    run.firing = { value, again: false };
    program._webTimer(slot);
    if (!run.firing.again) record(['t', value]);
    run.firing = null;
  };
  if (run.replay) run.heldTimers.push({ value, ms, fire });
  else after(ms, fire);
}

// A window key that runs the console dialog (m, g, j) holds the window from
// its first question until it ends.
function dialogAsks() {
  if (lifecycle.state === 'window') moveTo('dialog');
}

// Hand one key (the byte GLUT gives) to the window.
export function windowKey(byte) {
  if (!run.replay) return handKey(byte);
}

async function handKey(byte) {
  if (!run.module || lifecycle.state !== 'window' || run.busy) return;
  record(['k', byte]);
  run.busy = true;
  const start = performance.now();
  try {
    const done = run.module.ccall('webKey', null, ['number'], [byte], { async: true });
    // A dialog's first question has come by now, if the key runs one.
    const dialog = lifecycle.state === 'dialog';
    if (!dialog && !run.replay) {
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
  return run.module && lifecycle.state === 'window' && !run.busy && !run.replay;
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
    record(['p', x, y]);
    readoutCall((m) => m._webPointer(x, y, 0));
    return;
  }
  const first = pendingDrag === null;
  pendingDrag = { x, y };
  if (!first) return;
  requestAnimationFrame(() => {
    const at = pendingDrag;
    pendingDrag = null;
    if (at && windowFree()) {
      record(['q', at.x, at.y]);
      readoutCall((m) => m._webPointer(at.x, at.y, 1));
    }
  });
}

// An arrow key: dx, dy -1, 0 or 1, dy = 1 up.
export function windowArrow(dx, dy) {
  if (windowFree()) {
    record(['a', dx, dy]);
    readoutCall((m) => m._webArrowKey(dx, dy));
  }
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
  // Esc ends the run for good: a reload starts afresh.
  journalClear();
  run.replay = null;
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

// Storage that fails is said once; the page works on without a journal.
journalEvents.addEventListener('broken', () => {
  show('この実行はブラウザに保存できないので、再読み込みすると最初からになります。 / This run cannot be kept in ' +
       'the browser\'s storage: a reload will start afresh.\n', 'err');
});

// The line in the console when a run has been brought back.
const restoredNote = '[前の実行を復元しました（一時停止中）。 / The run was restored as it was, paused.]\n';
const mismatchNote = 'ページの記録がこのプログラムと合わないので、ここから先は復元できませんでした。 / ' +
                     'The page\'s record does not fit this program: the run could be restored only up to here.\n';

// The next entry of the journal being replayed, when it has the tag; null
// (the replay ends) otherwise.
function nextReplayed(tag) {
  const r = run.replay;
  if (!r) return null;
  if (r.next < r.entries.length && r.entries[r.next][0] === tag) return r.entries[r.next++];
  endReplay(r.next < r.entries.length);
  return null;
}

// Fire the held timer of value, and its chain's ticks after it, as the run
// did before it ended the chain.
function fireHeld(value) {
  for (let ticks = 0; ticks < 1e6; ticks++) {
    const k = run.heldTimers.findIndex((h) => h.value === value);
    if (k < 0) return;
    run.heldTimers.splice(k, 1)[0].fire();
  }
}

// The motion file gains a row a frame. The in-memory file system grows a
// file by an eighth past 1 MB, copying it each time: for the frames of a
// replay its storage grows once, by about what their rows take. (Its
// contents and usedBytes are that file system's own; when they are not as
// expected the file grows as before.)
const rowBytes = 170;
function reserveRows(FS, frames) {
  let node;
  try {
    node = FS.lookupPath('/' + csvFiles.motion).node;
  } catch (err) {
    return;
  }
  const old = node.contents;
  const wanted = node.usedBytes + frames * rowBytes;
  if (!(old instanceof Uint8Array) || old.length >= wanted) return;
  const grown = new Uint8Array(wanted);
  grown.set(old.subarray(0, node.usedBytes));
  node.contents = grown;
}

// Hand the program the journal's entries after its first dialog, until
// they run out.
async function replayWindow() {
  const m = run.module;
  for (let e; run.replay && run.module === m && lifecycle.state === 'window' && !run.busy;) {
    const r = run.replay;
    if (r.next >= r.entries.length) break;
    e = r.entries[r.next++];
    try {
      switch (e[0]) {
      case 'k': await handKey(e[1]); break;
      case 'p': m._webPointer(e[1], e[2], 0); break;
      case 'q': m._webPointer(e[1], e[2], 1); break;
      case 'a': m._webArrowKey(e[1], e[2]); break;
      case 'd': reserveRows(m.FS, e[1]); m._webAdvance(e[1]); break;
      case 't': fireHeld(e[1]); break;
      case 'P': m._webPause(); break;
      default: endReplay(true); return;
      }
    } catch (err) {
      stopped(err);
      return;
    }
  }
  const r = run.replay;
  if (run.module === m && r) endReplay(r.next < r.entries.length);
}

// The replay is over (mismatch: the journal went on where the program did
// not): the picture drawn once, the motion paused, the timers set meanwhile
// let run, and the journal goes on from here.
function endReplay(mismatch) {
  const r = run.replay;
  if (!r) return;
  run.replay = null;
  journalContinue(r.kept);
  flushOutput();
  show(mismatch ? mismatchNote : restoredNote, mismatch ? 'err' : 'note');
  if (lifecycle.state === 'window' && !run.busy) {
    holdFrames(false);
    if (run.playing) {
      record(['P']);
      run.module._webPause();
    }
    run.module._webDrawOnly();
  } else {
    drawKeptFrame();
  }
  const held = run.heldTimers;
  run.heldTimers = [];
  for (const h of held) after(h.ms, h.fire);
  programEvents.dispatchEvent(new Event('restored'));
}

// Start a run of the program; args are its command-line arguments.
// prepare(FS), if given, runs once the program's files are there and before
// its main: to write a file that args name. The run is a fresh one, kept in
// a journal of its own, or, with kept (journal.js), the run of that journal
// brought back.
export function start(args = [], prepare = null, kept = null) {
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
  run.heldTimers = [];
  run.replay = kept ? { kept, entries: kept.entries, next: 0 } : null;
  setPlaying(false);
  // The files the page writes for the run, as the journal keeps them.
  const files = kept ? kept.head.files : [];
  const write = (FS) => {
    if (kept) {
      for (const [name, text] of files) FS.writeFile(name, text);
      return;
    }
    if (!prepare) return;
    prepare(new Proxy(FS, { get: (fs, name) => (name !== 'writeFile' ? fs[name] : (file, data) => {
      files.push([file, typeof data === 'string' ? data : new TextDecoder().decode(data)]);
      return fs.writeFile(file, data);
    }) }));
  };
  holdFrames(!!kept);
  // The excitation is the control's for a fresh run, the journal's for one
  // brought back (the control shows it again); a specimen's answers are a
  // force's: it takes no other excitation.
  const programArgs = kept || args.includes('--specimen') ? args : excitationArgs().concat(args);
  const chosen = programArgs.indexOf('--excitation');
  chooseExcitation(chosen < 0 ? 'force' : programArgs[chosen + 1]);
  const module = {
    arguments: ['--play', '--csv', csvName].concat(programArgs),
    print: (t) => show(t + '\n'),
    printErr: (t) => console.warn(t),
    preRun: [() => {
      write(module.FS);
      if (!kept) journalBegin({ args: programArgs, files, address: location.hash });
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
      const kept = nextReplayed('l');
      if (kept) {
        flushOutput();
        show(kept[1], 'typed');
        module.fvLineBytes = new TextEncoder().encode(kept[1]);
      } else {
        module.fvLineBytes = await readLine();
        record(['l', new TextDecoder().decode(module.fvLineBytes)]);
      }
      return module.fvLineBytes.length;
    },
    fvReadKey: async () => {
      dialogAsks();
      const kept = nextReplayed('c');
      if (kept) return kept[1];
      const key = await readKey();
      record(['c', key]);
      return key;
    },
    fvOpenWindow: windowOpened,
    fvPresent: presentFrame,
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

// Save one of the program's files (a CSV file) through the browser's download.
export function downloadFile(name) {
  const bytes = programFile(name);
  if (!bytes) return;
  const a = document.createElement('a');
  a.href = URL.createObjectURL(new Blob([bytes], { type: 'text/csv' }));
  a.download = name;
  a.click();
  setTimeout(() => URL.revokeObjectURL(a.href), 1000);
}
