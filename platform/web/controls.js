// The page's controls: the keys typed on the picture, the buttons, the list
// of ready-made experiments and the CSV downloads.
import { lifecycle, onMove } from './lifecycle.js';
import { setHint } from './console-panel.js';
import { csvFiles, programEvents, programFile, run, start, windowKey } from './program.js';

const ui = {
  canvas: document.getElementById('window'),
  answer: document.getElementById('answer'),
  play: document.getElementById('play'),
  example: document.getElementById('example'),
  runExample: document.getElementById('run-example'),
  restart: document.getElementById('restart'),
  csvMotion: document.getElementById('csv-motion'),
  csvResponse: document.getElementById('csv-response'),
};

// The byte GLUT hands the keyboard callback for a key press, or null.
function windowByte(e) {
  if (e.ctrlKey || e.altKey || e.metaKey) return null;
  const named = { Enter: 13, Escape: 27, Backspace: 8, Tab: 9, Delete: 127 };
  if (e.key in named) return named[e.key];
  if (e.key.length !== 1 || e.key.charCodeAt(0) > 255) return null;
  return e.key.charCodeAt(0);
}

ui.canvas.addEventListener('keydown', (e) => {
  const b = windowByte(e);
  if (b === null) return;
  e.preventDefault();
  windowKey(b);
});

function updateButtons() {
  ui.play.disabled = lifecycle.state !== 'window';
  ui.runExample.disabled = !ui.example.value;
  ui.csvMotion.disabled = !programFile(csvFiles.motion);
  ui.csvResponse.disabled = !programFile(csvFiles.response);
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

onMove((to, from) => {
  updateButtons();
  if (to === 'window') {
    setHint('図の上で押したキーはウィンドウへ / Keys typed on the picture go to the window: s, f, y Y t T x X, m g j, Esc.');
    ui.canvas.focus();
  } else if (to === 'ended') {
    setHint('プログラムは終了しました。 / The program has ended.');
    ui.restart.focus();
  } else if (to === 'failed') {
    setHint('シミュレータを始められませんでした。 / The simulator could not start.');
  }
});

programEvents.addEventListener('play', () => {
  ui.play.textContent = run.playing ? '一時停止 / Pause' : '再生 / Play';
});

programEvents.addEventListener('examples', (e) => {
  if (ui.example.options.length > 1) return;
  for (const name of e.detail) ui.example.add(new Option(name, name));
  updateButtons();
});

// Play and pause are the space bar of the window under --play.
ui.play.addEventListener('click', () => { windowKey(32); ui.canvas.focus(); });
ui.runExample.addEventListener('click', () => start(['/examples/' + ui.example.value]));
ui.restart.addEventListener('click', () => start([]));
ui.csvMotion.addEventListener('click', () => download(csvFiles.motion));
ui.csvResponse.addEventListener('click', () => download(csvFiles.response));
ui.example.addEventListener('change', updateButtons);
setInterval(() => { if (lifecycle.state === 'window') updateButtons(); }, 1000);
