// The page's controls: the keys typed on the picture, the key pad, the
// buttons, the list of ready-made experiments, the CSV downloads, where the
// focus goes, and the picture's name for screen readers.
import { lifecycle, onMove } from './lifecycle.js';
import { consoleState, setHint } from './console-panel.js';
import { pictureText, viewEvents } from './canvas-view.js';
import { csvFiles, csvHasRow, lastCsvRow, programEvents, programFile, run, start, windowKey } from './program.js';

const ui = {
  canvas: document.getElementById('window'),
  answer: document.getElementById('answer'),
  play: document.getElementById('play'),
  keys: [...document.querySelectorAll('#keypad button')],
  example: document.getElementById('example'),
  runExample: document.getElementById('run-example'),
  restart: document.getElementById('restart'),
  csvMotion: document.getElementById('csv-motion'),
  csvResponse: document.getElementById('csv-response'),
  csvSweep: document.getElementById('csv-sweep'),
};

// The bytes GLUT hands the keyboard callback for the named keys.
const namedKeys = { Enter: 13, Escape: 27, Backspace: 8, Delete: 127 };

// The byte a key (a KeyboardEvent's key, or a key pad button's data-key)
// gives the window, or null. Tab is not among them: it moves the focus.
function windowByte(key) {
  if (key in namedKeys) return namedKeys[key];
  if (key.length !== 1 || key.charCodeAt(0) > 255) return null;
  return key.charCodeAt(0);
}

ui.canvas.addEventListener('keydown', (e) => {
  if (e.ctrlKey || e.altKey || e.metaKey) return;
  const b = windowByte(e.key);
  if (b === null) return;
  e.preventDefault();
  windowKey(b);
});

// A button of the key pad is its key typed on the picture.
for (const button of ui.keys) {
  button.addEventListener('click', () => windowKey(windowByte(button.dataset.key)));
}

// The window's keys act only while the window is open; the CSV buttons once
// their file has a data row.
function updateButtons() {
  const inWindow = lifecycle.state === 'window';
  for (const button of ui.keys) button.disabled = !inWindow;
  ui.runExample.disabled = !ui.example.value;
  ui.csvMotion.disabled = !csvHasRow(csvFiles.motion);
  ui.csvResponse.disabled = !csvHasRow(csvFiles.response);
  ui.csvSweep.disabled = !csvHasRow(csvFiles.sweep);
}

// Name the picture after what it shows: the dialog's results, the time and
// the displacement of the last frame (the motion file's last row), the chart
// and whether it plays.
function namePicture() {
  if (lifecycle.state !== 'window' && lifecycle.state !== 'ended') return;
  const parts = ['強制振動の図 / Picture of the forced vibration.'];
  const out = new TextDecoder().decode(new Uint8Array(consoleState.stdout));
  const results = out.lastIndexOf('静撓み');
  if (results >= 0) parts.push(out.slice(results).split('\n').slice(0, 2).join(' ').replace(/\s+/g, ' ').trim() + '.');
  const row = lastCsvRow(csvFiles.motion);
  if (row) parts.push(`t = ${Number(row[1]).toFixed(2)} s, y = ${Number(row[2]).toFixed(4)} m.`);
  parts.push(pictureText().includes('frequency characteristics')
    ? '周波数特性の図あり / The frequency chart is shown.'
    : '周波数特性の図なし / No frequency chart.');
  parts.push(run.playing ? '再生中 / Playing.' : '一時停止中 / Paused.');
  ui.canvas.setAttribute('aria-label', parts.join(' '));
}

function download(name) {
  const bytes = programFile(name);
  if (!bytes) return;
  const a = document.createElement('a');
  a.href = URL.createObjectURL(new Blob([bytes], { type: 'text/csv' }));
  a.download = name;
  a.click();
  setTimeout(() => URL.revokeObjectURL(a.href), 1000);
}

onMove((to) => {
  updateButtons();
  namePicture();
  if (to === 'window') {
    setHint('図の上で押したキーとキーパッドのボタンはウィンドウへ / Keys typed on the picture and the key pad\'s buttons go to the window: s, f, w, y Y t T x X, m g j, Esc.');
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
programEvents.addEventListener('key', () => {
  clearTimeout(nameTimer);
  nameTimer = setTimeout(namePicture, nameAfterKeysMs);
});

// A CSV file gets its first row with a frame (motion), a dialog's end
// (response) or the frame that shows a finished sweep; after that nothing
// needs checking. Until then a look is the size of a file that is not there.
viewEvents.addEventListener('frame', () => {
  if (ui.csvMotion.disabled || ui.csvResponse.disabled || ui.csvSweep.disabled) updateButtons();
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
  if (consoleState.reading && document.activeElement !== ui.example) ui.answer.focus();
}
document.addEventListener('click', (e) => { if (e.target !== ui.example) keepAnswerFocus(); });
ui.answer.addEventListener('focusout', (e) => {
  if (consoleState.reading && e.relatedTarget === null) setTimeout(keepAnswerFocus);
});
ui.example.addEventListener('change', () => { updateButtons(); keepAnswerFocus(); });
// A press on the picture would take the focus from the answer box.
ui.canvas.addEventListener('mousedown', (e) => { if (consoleState.reading) e.preventDefault(); });

ui.runExample.addEventListener('click', () => start(['/examples/' + ui.example.value]));
ui.restart.addEventListener('click', () => start([]));
ui.csvMotion.addEventListener('click', () => download(csvFiles.motion));
ui.csvResponse.addEventListener('click', () => download(csvFiles.response));
ui.csvSweep.addEventListener('click', () => download(csvFiles.sweep));
