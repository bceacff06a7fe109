// The journal of the run on show, kept in the browser's storage so that a
// reload, a discarded tab or a tablet's app switch can bring the run back by
// handing the program again what it was handed: the program is
// deterministic. This module owns the journal's format and its storage; the
// program runner (program.js) writes the entries and replays them.
//
// A journal is the run's start (the program's arguments, the files the page
// wrote for it, the address's fragment it began with) and its entries, each
// a short array written when it happens:
//
//   ['l', text]     a line the program read, its line feed included
//   ['c', code]     a single key the program read (a Unicode code point)
//   ['k', byte]     a key of the window (the key pad's buttons too)
//   ['p', x, y]     the pointer pressed at window pixel (x, y)
//   ['q', x, y]     the pointer dragged there
//   ['a', dx, dy]   an arrow key
//   ['d', count]    display frames played, one after the other
//   ['t', value]    a timer that ended its chain (the sweep's last slice)
//   ['P']           the motion paused when the run was brought back
//
// In localStorage, per tab: KEY/head the start, KEY/0, KEY/1, ... the
// entries in chunks, only the last of them rewritten as entries come. The
// tab is named in sessionStorage, which a reload and a restored tab keep
// and another tab does not share.
import { programBuild } from './build-id.js';

// The journal's format; a journal of another format, or of another build of
// the program, is not replayed.
export const journalFormat = 1;
const prefix = 'fv-journal/';
const tabKey = 'fv-journal-tab';
// Entries a chunk holds before the next one begins: a small string to
// rewrite on every frame.
const chunkEntries = 256;
// How often the head's time of the last entry is brought up to date, ms.
const touchMs = 5000;
// How long a journal left behind, and not the newest, is kept, ms.
const keptMs = 24 * 3600 * 1000;
// How long a page waits for the other tabs to say which journals they show, ms.
const askMs = 250;

// The fields of each entry after its tag: 'n' a number, 's' a string.
const entryFields = { l: 's', c: 'n', k: 'n', p: 'nn', q: 'nn', a: 'nn', d: 'n', t: 'n', P: '' };

// This page's journal. Written here only.
const journal = {
  tab: null,      // this tab's name
  store: null,    // window.localStorage, once it has answered
  broken: false,  // storage failed: nothing more is written
  head: null,     // the start of the journal being written, null when none
  tail: [],       // the entries of its last chunk
  said: false,    // the page has said that the run cannot be kept
  waiting: null,  // writes held while the other tabs are asked (journalCheckShared)
};

// Hold a write while the other tabs are asked; true when held.
function held(write) {
  if (!journal.waiting) return false;
  journal.waiting.push(write);
  return true;
}

// 'broken' once, when the run can no longer be kept.
export const journalEvents = new EventTarget();

function fail() {
  journal.broken = true;
  journal.head = null;
  if (!journal.said) {
    journal.said = true;
    journalEvents.dispatchEvent(new Event('broken'));
  }
}

// Storage, or null when the browser refuses it (a private window, a policy).
function store() {
  if (journal.broken) return null;
  if (journal.store) return journal.store;
  try {
    journal.store = window.localStorage;
    journal.store.getItem(prefix);
    let tab = window.sessionStorage.getItem(tabKey);
    if (!tab) {
      tab = Date.now().toString(36) + Math.random().toString(36).slice(2, 8);
      window.sessionStorage.setItem(tabKey, tab);
    }
    journal.tab = tab;
    return journal.store;
  } catch (e) {
    journal.store = null;
    fail();
    return null;
  }
}

const keyOf = (tab, part) => prefix + tab + '/' + part;

function remove(s, tab) {
  let head = null;
  try {
    head = JSON.parse(s.getItem(keyOf(tab, 'head')) || 'null');
  } catch (e) {
    // a damaged head: its chunks are found by trying
  }
  const chunks = head && Number.isInteger(head.chunks) ? head.chunks : 0;
  for (let i = chunks; s.getItem(keyOf(tab, i)) !== null; i++) s.removeItem(keyOf(tab, i));
  for (let i = 0; i < chunks; i++) s.removeItem(keyOf(tab, i));
  s.removeItem(keyOf(tab, 'head'));
}

function writeHead(s) {
  journal.head.at = Date.now();
  s.setItem(keyOf(journal.tab, 'head'), JSON.stringify(journal.head));
}

// Begin this tab's journal of a fresh run: start is {args, files, address}.
export function journalBegin(start) {
  if (held(() => journalBegin(start))) return;
  const s = store();
  if (!s) return;
  try {
    remove(s, journal.tab);
    journal.head = { format: journalFormat, build: programBuild, ...start, chunks: 1 };
    journal.tail = [];
    writeHead(s);
    s.setItem(keyOf(journal.tab, 0), '[]');
  } catch (e) {
    fail();
  }
}

// Go on writing a journal read back (journalRead) after its entries.
export function journalContinue(kept) {
  if (held(() => journalContinue(kept))) return;
  const s = store();
  if (!s) return;
  journal.head = kept.head;
  const last = kept.head.chunks - 1;
  journal.tail = kept.entries.slice(last * chunkEntries);
}

// Write one entry; frames that follow frames add to the entry before.
export function journalAdd(entry) {
  if (held(() => journalAdd(entry))) return;
  const s = journal.head && store();
  if (!s) return;
  const tail = journal.tail;
  const last = tail[tail.length - 1];
  if (entry[0] === 'd' && last && last[0] === 'd') {
    last[1] += entry[1];
  } else {
    if (tail.length >= chunkEntries) {
      journal.head.chunks++;
      journal.tail = [];
      try {
        writeHead(s);
      } catch (e) {
        fail();
        return;
      }
    }
    journal.tail.push(entry);
  }
  try {
    s.setItem(keyOf(journal.tab, journal.head.chunks - 1), JSON.stringify(journal.tail));
    // The newest run left behind is the one offered.
    if (Date.now() - journal.head.at > touchMs) writeHead(s);
  } catch (e) {
    fail();
  }
}

// Forget this tab's journal: the run ended, a reload starts afresh.
export function journalClear() {
  if (held(journalClear)) return;
  const s = journal.head && store();
  journal.head = null;
  if (!s) return;
  try {
    remove(s, journal.tab);
  } catch (e) {
    fail();
  }
}

function valid(entry) {
  if (!Array.isArray(entry) || !(entry[0] in entryFields)) return false;
  const fields = entryFields[entry[0]];
  if (entry.length !== fields.length + 1) return false;
  return [...fields].every((f, i) => (f === 'n' ? Number.isInteger(entry[i + 1]) : typeof entry[i + 1] === 'string'));
}

// The journal of tab as stored: {head, entries}, {corrupt: true},
// {otherVersion: true} or null when there is none.
function read(s, tab) {
  const headText = s.getItem(keyOf(tab, 'head'));
  if (headText === null) return null;
  try {
    const head = JSON.parse(headText);
    if (head.format !== journalFormat || head.build !== programBuild) return { otherVersion: true };
    if (!Number.isInteger(head.chunks) || head.chunks < 1 || !Array.isArray(head.args) ||
        !Array.isArray(head.files) || typeof head.address !== 'string') return { corrupt: true };
    let entries = [];
    for (let i = 0; i < head.chunks; i++) {
      const chunk = JSON.parse(s.getItem(keyOf(tab, i)));
      if (!Array.isArray(chunk) || !chunk.every(valid) ||
          (i < head.chunks - 1 && chunk.length !== chunkEntries)) return { corrupt: true };
      entries = entries.concat(chunk);
    }
    return { head, entries };
  } catch (e) {
    return { corrupt: true };
  }
}

// This tab's journal (see read); one that cannot be replayed is dropped.
export function journalRead() {
  const s = store();
  if (!s) return null;
  try {
    const kept = read(s, journal.tab);
    if (kept && !kept.head) remove(s, journal.tab);
    return kept;
  } catch (e) {
    fail();
    return null;
  }
}

// The other open tabs say which journals they show, on a channel of their
// own; a tab that a browser discarded cannot answer, and its journal is
// offered as if its tab were closed (continuing it moves it here).
const channel = typeof BroadcastChannel === 'function' ? new BroadcastChannel('fv-journal') : null;
if (channel) {
  channel.onmessage = (e) => {
    if (e.data === 'ask' && journal.head) channel.postMessage({ shows: journal.tab });
  };
}

// The tabs whose journals the other open pages show.
function askOthers() {
  if (!channel) return Promise.resolve(null);
  const shown = new Set();
  const listen = (e) => { if (e.data && e.data.shows) shown.add(e.data.shows); };
  channel.addEventListener('message', listen);
  channel.postMessage('ask');
  return new Promise((resolve) => setTimeout(() => {
    channel.removeEventListener('message', listen);
    resolve(shown);
  }, askMs));
}

// Ask whether another open page shows this tab's journal (a duplicated tab
// shares its sessionStorage), while the page replays it: the journal's
// writes wait for the answer. Such a page takes a name of its own and a
// copy of the journal.
export function journalCheckShared() {
  journal.waiting = [];
  journalShared().then(() => {
    const writes = journal.waiting;
    journal.waiting = null;
    for (const write of writes) write();
  });
}

async function journalShared() {
  const s = store();
  const shown = s && await askOthers();
  if (!shown || !shown.has(journal.tab)) return false;
  try {
    const kept = read(s, journal.tab);
    journal.tab = null;
    window.sessionStorage.removeItem(tabKey);
    journal.store = null;
    store();
    if (kept && kept.head) copy(s, kept);
  } catch (e) {
    fail();
  }
  return true;
}

function copy(s, kept) {
  s.setItem(keyOf(journal.tab, 'head'), JSON.stringify(kept.head));
  for (let i = 0; i < kept.head.chunks; i++) {
    s.setItem(keyOf(journal.tab, i), JSON.stringify(kept.entries.slice(i * chunkEntries, (i + 1) * chunkEntries)));
  }
}

// The newest journal that no open page shows, as the name of its tab, or
// null. Older ones left behind a day and more, and those that cannot be
// replayed, are dropped, so that closed tabs do not fill the storage.
export async function journalLeftBehind() {
  const s = store();
  const shown = s && await askOthers();
  if (!shown) return null;
  const left = [];
  try {
    for (let i = 0; i < s.length; i++) {
      const key = s.key(i);
      const tab = key.startsWith(prefix) && key.endsWith('/head') ? key.slice(prefix.length, -5) : null;
      if (tab === null || tab === journal.tab || shown.has(tab)) continue;
      let head = null;
      try {
        head = JSON.parse(s.getItem(key));
      } catch (e) {
        // a damaged head is dropped with the rest
      }
      // One with no entries (a dialog never answered) is not worth offering.
      const usable = head && head.format === journalFormat && head.build === programBuild &&
                     (head.chunks > 1 || s.getItem(keyOf(tab, 0)) !== '[]');
      left.push({ tab, at: usable ? head.at : -Infinity });
    }
    left.sort((a, b) => b.at - a.at);
    // A tab the browser froze cannot answer either: only a day's silence
    // makes a journal old enough to drop.
    const old = (l, i) => l.at === -Infinity || (i > 0 && Date.now() - l.at > keptMs);
    for (const l of left.filter(old)) remove(s, l.tab);
  } catch (e) {
    return null;
  }
  return left.length && left[0].at > -Infinity ? left[0].tab : null;
}

// Move the journal of another tab to this one; it, as journalRead gives it.
export function journalAdopt(tab) {
  const s = store();
  if (!s) return null;
  try {
    const kept = read(s, tab);
    remove(s, tab);
    if (!kept || !kept.head) return kept;
    remove(s, journal.tab);
    copy(s, kept);
    return kept;
  } catch (e) {
    fail();
    return null;
  }
}
