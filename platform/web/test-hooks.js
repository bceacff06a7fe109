// What the tests and the measurements read, as window.fvPage: the program's
// standard output as bytes, the page's state and its moves, the frames drawn
// and the time of each key's frame, milliseconds. Nothing here steers the page
// but flushFrames.
import { lifecycle, onMove } from './lifecycle.js';
import { consoleEvents, consoleState } from './console-panel.js';
import { view, viewEvents } from './canvas-view.js';
import { programEvents, run } from './program.js';

const fvPage = window.fvPage = {
  get stdout() { return consoleState.stdout; },
  get state() { return lifecycle.state; },
  get waiting() { return consoleState.reading ? consoleState.reading.kind : null; },  // 'line', 'key' or null
  get framesDrawn() { return view.framesDrawn; },
  // Timers and redraws the page has yet to run: at 0 no frame can come
  // before the next key.
  get pending() { return run.timersPending + (run.frameRequested ? 1 : 0); },
  // Time frames until the canvas has drawn them, not only issued.
  get flushFrames() { return view.flushFrames; },
  set flushFrames(on) { view.flushFrames = on; },
  get program() { return run.module; },  // the running program's module object
  get snapshot() { return run.snapshot; },  // what the program shows (app/snapshot.h)
  moves: [],             // every state entered, in order
  frames: [],            // {key, ms}: the page's work for each window key that draws
  promptAt: null,        // the first question on show, ms after the page began to load
  lastAnswerAt: null,    // the last answer of the first dialog given
  firstFrameAt: null,    // the run's first frame drawn
  dialogEndedAt: null,   // the run's first dialog over
  restoredAt: null,      // a run brought back from the journal, once it is
};

onMove((to) => {
  fvPage.moves.push(to);
  if (to === 'loading') {
    fvPage.promptAt = fvPage.lastAnswerAt = fvPage.firstFrameAt = fvPage.dialogEndedAt = null;
  } else if (to === 'window' && fvPage.dialogEndedAt === null) {
    fvPage.dialogEndedAt = performance.now();
  }
});
consoleEvents.addEventListener('waiting', () => {
  if (fvPage.promptAt === null) fvPage.promptAt = performance.now();
});
consoleEvents.addEventListener('answered', () => {
  if (fvPage.firstFrameAt === null) fvPage.lastAnswerAt = performance.now();
});
viewEvents.addEventListener('frame', () => {
  if (fvPage.firstFrameAt === null) fvPage.firstFrameAt = performance.now();
});
programEvents.addEventListener('key', (e) => fvPage.frames.push(e.detail));
programEvents.addEventListener('restored', () => { fvPage.restoredAt = performance.now(); });
