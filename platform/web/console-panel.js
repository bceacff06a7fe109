// The console panel: what the program writes, and the answer box that hands
// it a line or a single key when it asks for one.

const panel = document.getElementById('console');
const answerBox = document.getElementById('answer');
const hint = document.getElementById('hint');

// The panel's state for the current run. Written here only.
export const consoleState = {
  stdout: [],     // every byte the program wrote to standard output
  reading: null,  // the read the program waits for: {kind: 'line' or 'key', resolve}
};

// 'waiting' (detail: the kind of read) when the program asks, 'answered' when
// it has its answer; 'line' (detail: its text) when the program has written
// a line that is not blank.
export const consoleEvents = new EventTarget();

// Append text to the panel in a style (a class), keeping it scrolled to the end.
export function show(text, cls = '') {
  const last = panel.lastChild;
  if (last && last.nodeName === 'SPAN' && last.className === cls) {
    last.textContent += text;
  } else {
    const span = document.createElement('span');
    span.className = cls;
    span.textContent = text;
    panel.appendChild(span);
  }
  panel.scrollTop = panel.scrollHeight;
  if (cls === '') {
    const lines = text.split('\n').filter((l) => l.trim() !== '');
    if (lines.length) consoleEvents.dispatchEvent(new CustomEvent('line', { detail: lines[lines.length - 1] }));
  }
}

// The bytes of one of the program's output streams, decoded as UTF-8 across
// writes and shown once per task.
function outputStream(cls, keep) {
  let bytes = [];
  const decoder = new TextDecoder('utf-8');
  const flush = () => {
    if (bytes.length) {
      show(decoder.decode(new Uint8Array(bytes), { stream: true }), cls);
      bytes = [];
    }
  };
  const write = (b) => {
    if (b === null || b === undefined) return;
    b &= 255;
    if (keep) consoleState.stdout.push(b);
    if (!bytes.length) queueMicrotask(flush);
    bytes.push(b);
  };
  return { write, flush };
}
export const stdoutStream = outputStream('', true);
export const stderrStream = outputStream('err', false);

export function flushOutput() {
  stdoutStream.flush();
  stderrStream.flush();
}

export function setHint(text) {
  hint.textContent = text;
}

// Begin a fresh run's panel: a blank line after the last run's text.
export function beginRun() {
  if (panel.childNodes.length) show('\n');
  consoleState.stdout.length = 0;
  stopReading();
}

// Forget the read awaited, if any: the program that asked is gone.
export function stopReading() {
  consoleState.reading = null;
  answerBox.disabled = true;
}

function waitFor(kind, hintText) {
  stdoutStream.flush();
  return new Promise((resolve) => {
    consoleState.reading = { kind, resolve };
    answerBox.disabled = false;
    // Text an input method committed after the last answer is no answer.
    answerBox.value = '';
    answerBox.focus();
    setHint(hintText);
    consoleEvents.dispatchEvent(new CustomEvent('waiting', { detail: kind }));
  });
}

// Wait for the next line typed; its UTF-8 bytes, the line feed included.
export function readLine() {
  return waitFor('line', '答えを入力して Enter を押してください。 / Type the answer and press Enter.');
}

// Wait for one key; its character (a Unicode code point).
export function readKey() {
  return waitFor('key', 'キーを 1 つ押してください（Enter は不要）。 / Press one key (no Enter needed).');
}

// Hand the program what it waits for.
function answer(value) {
  const r = consoleState.reading;
  consoleState.reading = null;
  answerBox.disabled = true;
  setHint('');
  consoleEvents.dispatchEvent(new CustomEvent('answered', { detail: r.kind }));
  r.resolve(value);
}

// The character a key press gives at a terminal (a Unicode code point), or
// null for keys that give none.
function terminalKey(e) {
  if (e.ctrlKey || e.altKey || e.metaKey) return null;
  const named = { Enter: 10, Escape: 27, Backspace: 127, Tab: 9 };
  if (e.key in named) return named[e.key];
  if ([...e.key].length !== 1) return null;
  return e.key.codePointAt(0);
}

answerBox.addEventListener('keydown', (e) => {
  const reading = consoleState.reading;
  // A key that an input method takes (keyCode 229), the Enter that confirms
  // its conversion among them, belongs to the text being composed: only an
  // Enter with no composition open hands the line over.
  if (!reading || e.isComposing || e.keyCode === 229) return;
  if (reading.kind === 'key') {
    const key = terminalKey(e);
    if (key === null) return;
    e.preventDefault();
    answer(key);
  } else if (e.key === 'Enter') {
    e.preventDefault();
    const text = answerBox.value + '\n';
    answerBox.value = '';
    show(text, 'typed');
    answer(new TextEncoder().encode(text));
  }
});

// On-screen keyboards often give no key name, only the text typed: take its
// first character as the key.
answerBox.addEventListener('input', () => {
  const reading = consoleState.reading;
  if (!reading || reading.kind !== 'key' || !answerBox.value) return;
  const key = answerBox.value.codePointAt(0);
  answerBox.value = '';
  answer(key);
});
