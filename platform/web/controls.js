// The page's controls: the keys typed on the picture, the key pad, the
// buttons, the list of ready-made experiments, the CSV downloads, where the
// focus goes, and the picture's name for screen readers. What the program
// shows comes from its snapshot (program.js), never from its text or picture.
import { lifecycle, onMove } from './lifecycle.js';
import { consoleEvents, consoleState, setHint } from './console-panel.js';
import { waitForQuestions, windowPixel } from './canvas-view.js';
import { csvFiles, downloadFile, programEvents, run, start, windowArrow, windowKey, windowPointer } from './program.js';
import { chooseExcitation, exampleExcitation } from './excitation.js';

const ui = {
  canvas: document.getElementById('window'),
  answer: document.getElementById('answer'),
  play: document.getElementById('play'),
  keys: [...document.querySelectorAll('#keypad button')],
  example: document.getElementById('example'),
  runExample: document.getElementById('run-example'),
  restart: document.getElementById('restart'),
  excitation: document.getElementById('excitation'),
  csvMotion: document.getElementById('csv-motion'),
  csvResponse: document.getElementById('csv-response'),
  csvSweep: document.getElementById('csv-sweep'),
  latest: document.getElementById('latest'),
};

// The newest line beside the key pad: what is loading, the program's latest
// line, or how far a sweep has come.
const loadingLine = 'プログラム (forced-vibration.js, forced-vibration.wasm) を読み込んでいます… / ' +
                    'Loading the program (forced-vibration.js, forced-vibration.wasm)…';
ui.latest.textContent = loadingLine;
consoleEvents.addEventListener('line', (e) => { ui.latest.textContent = e.detail; });

// A sweep's progress as the snapshot gives it, or null when none is under way.
function sweepProgress(shown) {
  const s = shown && shown.sweep;
  if (!s) return null;
  return s.done < s.total
    ? `掃引中：${s.total} 点中 ${s.done} 点 / Sweeping: ${s.done} of ${s.total} points`
    : `共振を探索中：${s.searched} 点追加 / Searching for the resonance: ${s.searched} points added`;
}
let progressShown = null;

// The bytes GLUT hands the keyboard callback for the named keys.
const namedKeys = { Enter: 13, Escape: 27, Backspace: 8, Delete: 127 };

// The byte a key (a KeyboardEvent's key, or a key pad button's data-key)
// gives the window, or null. Tab is not among them: it moves the focus.
function windowByte(key) {
  if (key in namedKeys) return namedKeys[key];
  if (key.length !== 1 || key.charCodeAt(0) > 255) return null;
  return key.charCodeAt(0);
}

// The arrow keys move the readout's crosshair: dx, dy with dy = 1 up.
const arrows = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, 1], ArrowDown: [0, -1] };

ui.canvas.addEventListener('keydown', (e) => {
  if (e.ctrlKey || e.altKey || e.metaKey) return;
  if (e.key in arrows) {
    e.preventDefault();
    windowArrow(...arrows[e.key]);
    return;
  }
  const b = windowByte(e.key);
  if (b === null) return;
  e.preventDefault();
  windowKey(b);
});

// The mouse, a finger or a pen on the picture places the readout's
// crosshair and drags it; the canvas keeps the pointer until it is lifted,
// and its touch-action keeps the page from scrolling meanwhile.
function pointerAt(e, drag) {
  const at = windowPixel(e.clientX, e.clientY);
  windowPointer(at.x, at.y, drag);
}
ui.canvas.addEventListener('pointerdown', (e) => {
  if (!e.isPrimary || e.button !== 0) return;
  ui.canvas.setPointerCapture(e.pointerId);
  pointerAt(e, false);
});
ui.canvas.addEventListener('pointermove', (e) => {
  if (e.isPrimary && ui.canvas.hasPointerCapture(e.pointerId)) pointerAt(e, true);
});

// A button of the key pad is its key typed on the picture.
for (const button of ui.keys) {
  button.addEventListener('click', () => windowKey(windowByte(button.dataset.key)));
}

// The CSV buttons act once their file has a data row.
function updateCsvButtons() {
  const rows = run.snapshot ? run.snapshot.csvRows : {};
  const enable = (button, on) => { if (button.disabled === on) button.disabled = !on; };
  enable(ui.csvMotion, !!rows.motion);
  enable(ui.csvResponse, !!rows.response);
  enable(ui.csvSweep, !!rows.sweep);
}

// The window's keys act only while the window is open.
function updateButtons() {
  const inWindow = lifecycle.state === 'window';
  for (const button of ui.keys) button.disabled = !inWindow;
  ui.runExample.disabled = !ui.example.value;
  updateCsvButtons();
}

// A number of the snapshot as the page shows it; JSON has no infinities.
const fixed = (value, digits) => (value === null ? 'NaN' : value.toFixed(digits));

// Name the picture after what it shows: the dialog's results, the time and
// the displacement of the last frame, the readout, the chart, the energy
// view and whether it plays.
function namePicture() {
  if (lifecycle.state !== 'window' && lifecycle.state !== 'ended') return;
  const shown = run.snapshot;
  const parts = ['強制振動の図 / Picture of the forced vibration.'];
  if (shown && shown.excitation && shown.excitation !== 'force') {
    parts.push(`加振 / Excitation: ${shown.excitation}.`);
  }
  if (shown) parts.push(shown.results.replace(/\s+/g, ' ').trim() + '.');
  if (shown && shown.frame) parts.push(`t = ${fixed(shown.frame.t, 2)} s, y = ${fixed(shown.frame.y, 4)} m.`);
  if (shown && shown.readout) parts.push(`読み取り / Readout: ${shown.readout}.`);
  if (sweepProgress(shown)) parts.push(sweepProgress(shown) + '.');
  parts.push(shown && shown.chart
    ? '周波数特性の図あり / The frequency chart is shown.'
    : '周波数特性の図なし / No frequency chart.');
  if (shown && shown.energy) {
    parts.push('エネルギー表示あり / The energy view is shown: bars of KE, PE and the input and damper power.');
  }
  parts.push(run.playing ? '再生中 / Playing.' : '一時停止中 / Paused.');
  ui.canvas.setAttribute('aria-label', parts.join(' '));
}

onMove((to, from) => {
  updateButtons();
  namePicture();
  if (to === 'loading') ui.latest.textContent = loadingLine;
  if (to === 'dialog' && from === 'loading') waitForQuestions(true);
  if (to === 'window') {
    setHint('図の上で押したキーとキーパッドのボタンはウィンドウへ / Keys typed on the picture and the key pad\'s buttons go to the window: s, f, w, r, e, a, y Y t T x X, m g j, Esc. 図のクリック・タップと矢印キーで読み取り / Click, tap or the arrow keys read the picture.');
    ui.canvas.focus();
  } else if (to === 'ended') {
    setHint('プログラムは終了しました。 / The program has ended.');
    ui.restart.focus();
  } else if (to === 'failed') {
    setHint('シミュレータを始められませんでした。 / The simulator could not start.');
  }
});

programEvents.addEventListener('play', () => {
  ui.play.lastElementChild.textContent = run.playing ? '一時停止 / Pause' : '再生 / Play';
  namePicture();
});
// After keys, once they stop coming: a new name costs the next frame a
// restyle of the page, too dear for every key of a held-down 's'.
const nameAfterKeysMs = 300;
let nameTimer = null;
function nameAfterKeys() {
  clearTimeout(nameTimer);
  nameTimer = setTimeout(namePicture, nameAfterKeysMs);
}
programEvents.addEventListener('key', nameAfterKeys);
programEvents.addEventListener('readout', nameAfterKeys);

programEvents.addEventListener('snapshot', () => {
  updateCsvButtons();
  // Each new point of a sweep: a slow processor takes seconds over it.
  const progress = sweepProgress(run.snapshot);
  if (progress === progressShown) return;
  progressShown = progress;
  if (progress) ui.latest.textContent = progress;
  namePicture();
});

programEvents.addEventListener('examples', (e) => {
  if (ui.example.options.length > 1) return;
  for (const name of e.detail) ui.example.add(new Option(name, name));
  updateButtons();
});

// While the program waits for an answer, the answer box keeps the focus: a
// click anywhere but the experiment list gives it back, and so does a click
// that would leave the focus nowhere (a disabled button, the page's
// background). Tab still moves it, as everywhere.
function keepAnswerFocus() {
  const choosing = [ui.example, ui.excitation].includes(document.activeElement);
  if (consoleState.reading && !choosing) ui.answer.focus();
}
document.addEventListener('click', (e) => {
  if (e.target !== ui.example && e.target !== ui.excitation) keepAnswerFocus();
});
ui.answer.addEventListener('focusout', (e) => {
  if (consoleState.reading && e.relatedTarget === null) setTimeout(keepAnswerFocus);
});
ui.example.addEventListener('change', () => { updateButtons(); keepAnswerFocus(); });
// A press on the picture would take the focus from the answer box.
ui.canvas.addEventListener('mousedown', (e) => { if (consoleState.reading) e.preventDefault(); });

ui.runExample.addEventListener('click', () => {
  chooseExcitation(exampleExcitation(ui.example.value));
  start(['/examples/' + ui.example.value]);
});
ui.restart.addEventListener('click', () => start([]));
// Another excitation is another dialog: the run starts again with it.
ui.excitation.addEventListener('change', () => start([]));
ui.csvMotion.addEventListener('click', () => downloadFile(csvFiles.motion));
ui.csvResponse.addEventListener('click', () => downloadFile(csvFiles.response));
ui.csvSweep.addEventListener('click', () => downloadFile(csvFiles.sweep));
