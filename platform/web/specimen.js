// A specimen on the page: the box where its code is typed, the Copy button
// of the hand-in code and the Download button of NAME-measured.csv. The
// program checks the code itself (forced-vibration --specimen CODE): a
// refused one ends the run with its one line on the console.
import { setHint } from './console-panel.js';
import { csvFiles, downloadFile, programEvents, run, start } from './program.js';

// The link's answers in the program's files, given as its answer file.
const answerPath = '/link-answers';
// The longest code the box and a link pass on: a code is at most 14
// characters; a little room for spaces typed around it.
const maxCode = 32;

const ui = {
  code: document.getElementById('specimen-code'),
  run: document.getElementById('run-specimen'),
  copy: document.getElementById('copy-hand-in'),
  csv: document.getElementById('csv-measured'),
};

// Start a run of the specimen; answers, if given, as its answer file.
export function startSpecimen(code, answers) {
  const args = ['--specimen', code.trim().slice(0, maxCode)];
  if (answers === undefined) {
    start(args);
  } else {
    start(args.concat([answerPath]), (FS) => FS.writeFile(answerPath, answers));
  }
}

// The address that starts the specimen with these answers.
export function specimenLink(address, code, answers) {
  return address.split('#')[0] + '#specimen=' + encodeURIComponent(code) +
    '&answers=' + encodeURIComponent(answers);
}

// The buttons follow the snapshot: the hand-in code once there is one,
// the measurements once a row is written.
programEvents.addEventListener('snapshot', () => {
  const shown = run.snapshot || {};
  const handIn = shown.specimen ? shown.specimen.handIn : '';
  if (ui.copy.disabled === !!handIn) ui.copy.disabled = !handIn;
  const measured = !!(shown.csvRows && shown.csvRows.measured);
  if (ui.csv.disabled === measured) ui.csv.disabled = !measured;
});

ui.code.addEventListener('input', () => { ui.run.disabled = ui.code.value.trim() === ''; });
ui.code.addEventListener('keydown', (e) => {
  if (e.key === 'Enter' && ui.code.value.trim() !== '') startSpecimen(ui.code.value);
});
ui.run.addEventListener('click', () => startSpecimen(ui.code.value));
ui.csv.addEventListener('click', () => downloadFile(csvFiles.measured));

// Copy the hand-in code as the snapshot says it, never from the console's text.
ui.copy.addEventListener('click', async () => {
  const code = run.snapshot && run.snapshot.specimen ? run.snapshot.specimen.handIn : '';
  if (!code) return;
  try {
    await navigator.clipboard.writeText(code);
    setHint('提出コードをコピーしました / Hand-in code copied: ' + code);
  } catch (e) {
    setHint('コピーできませんでした。このコードを選んでコピーしてください / Could not copy; select and copy this code: ' + code);
  }
});
