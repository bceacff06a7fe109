// The page handed out: in one file opened from a disk, started by a link
// that carries an experiment, and kept for offline use by its service
// worker. Headless Chromium against the desktop program of the Release build
// (build/, FV_DESKTOP_BUILD), as page.test.js.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const puppeteer = require('puppeteer-core');

const root = path.resolve(__dirname, '..', '..');
const webBuild = process.env.FV_WEB_BUILD || path.join(root, 'build-web');
const pageDir = path.join(webBuild, 'page');
const singleFile = path.join(webBuild, 'forced-vibration.html');
const desktopBuild = process.env.FV_DESKTOP_BUILD || path.join(root, 'build');

const workedAnswers = '1 0.2 4\n1 1\n1\n';
// The one file stays small enough to mail or upload anywhere (well under a
// course site's or a mail's limit of some megabytes).
const singleFileBudget = 500 * 1024;

const types = { '.html': 'text/html; charset=utf-8', '.css': 'text/css', '.js': 'text/javascript',
                '.wasm': 'application/wasm', '.png': 'image/png', '.webmanifest': 'application/manifest+json' };
let browser;
let scratch;
let site;  // the page folder served for every test but the offline one

// Serve the page folder on a loopback port of its own; stop() ends it with
// its open connections.
async function serve() {
  const sockets = new Set();
  const server = http.createServer((req, res) => {
    const name = decodeURIComponent(req.url.split(/[?#]/)[0]).replace(/^\/+/, '') || 'index.html';
    const file = path.join(pageDir, path.normalize(name));
    if (!file.startsWith(pageDir)) { res.writeHead(403); res.end(); return; }
    fs.readFile(file, (err, body) => {
      if (err) { res.writeHead(404); res.end(); return; }
      res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
      res.end(body);
    });
  });
  server.on('connection', (s) => { sockets.add(s); s.on('close', () => sockets.delete(s)); });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const stop = () => new Promise((resolve) => {
    server.close(resolve);
    for (const s of sockets) s.destroy();
  });
  return { url: `http://127.0.0.1:${server.address().port}/`, stop };
}

before(async () => {
  scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'fv-handout-'));
  site = await serve();
  browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--use-gl=swiftshader', '--enable-unsafe-swiftshader',
           '--disable-gpu-sandbox', '--disable-background-networking', '--disable-component-update',
           '--disable-sync', '--no-first-run', '--allow-file-access-from-files',
           `--user-data-dir=${path.join(scratch, 'profile')}`],
  });
});

after(async () => {
  if (browser) await browser.close();
  if (site) await site.stop();
  fs.rmSync(scratch, { recursive: true, force: true });
});

// The desktop program's standard output, given an answer file holding
// `file` (if any) on its command line and `typed` at its console.
function desktop(file, typed = '') {
  const out = path.join(scratch, 'desktop.txt');
  const args = ['--program', path.join(desktopBuild, 'forced-vibration'), '--console', out];
  if (file !== null) {
    const answers = path.join(scratch, 'answers.txt');
    fs.writeFileSync(answers, file);
    args.push('--arg', answers);
  }
  if (typed) args.push('--answer-text', typed.replace(/\n/g, '\\n'));
  execFileSync(path.join(desktopBuild, 'tools', 'fv_drive'), args, { stdio: 'inherit' });
  return fs.readFileSync(out);
}

// A page at url, in a browser context of its own (fresh storage), once it
// is in state `until`: 'line' (waiting for an answer) or 'window'.
async function open(url, until, context = browser) {
  const page = await context.newPage();
  page.errors = [];
  page.on('pageerror', (e) => page.errors.push(String(e)));
  await page.goto(url);
  await page.bringToFront();  // a page behind another may get no animation frames
  await waitFor(page, until);
  return page;
}

async function waitFor(page, until) {
  if (until === 'line') await page.waitForFunction(() => window.fvPage && fvPage.waiting === 'line');
  else await page.waitForFunction(() => window.fvPage && fvPage.state === 'window' && fvPage.firstFrameAt !== null);
}

// Type the answer lines, then the single key, into the console panel; then
// wait for the window, unless `until` is null.
async function answer(page, lines, key, until = 'window') {
  for (const line of lines) {
    await page.type('#answer', line);
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => fvPage.waiting !== null);
  }
  await page.waitForFunction(() => fvPage.waiting === 'key');
  await page.keyboard.press(key);
  if (until) await waitFor(page, until);
}

const stdout = async (page) => Buffer.from(await page.evaluate(() => fvPage.stdout));

test('the page in one file, opened from a disk, runs the worked example as the desktop does', async (t) => {
  const size = fs.statSync(singleFile).size;
  assert.ok(size < singleFileBudget, `${size} bytes`);
  const page = await open(pathToFileURL(singleFile).href, 'line');
  const promptAt = await page.evaluate(() => fvPage.promptAt);
  await answer(page, ['1 0.2 4', '1 1'], '1');
  assert.deepEqual(await stdout(page), desktop(null, workedAnswers));
  // No second file to fetch: no manifest, no worker.
  assert.equal(await page.$('link[rel="manifest"]'), null);
  assert.deepEqual(page.errors, []);
  t.diagnostic(`forced-vibration.html ${size} bytes; first question ${promptAt.toFixed(0)} ms after the page began to load`);
  await page.close();
});

test('#answers= and #example= start as the desktop program given that answer file', async () => {
  // A bad answer asked again, then the rest; all the first dialog's answers.
  const text = '1 abc 4\n1 0.2 4\n1 1\n1\n';
  let page = await open(site.url + '#answers=' + encodeURIComponent(text), 'window');
  assert.deepEqual(await stdout(page), desktop(text));
  await page.close();
  // The answers run out after the first question: the student types on.
  page = await open(site.url + '#answers=1%200.2%204%0A', 'line');
  await answer(page, ['1 1'], '1');
  assert.deepEqual(await stdout(page), desktop('1 0.2 4\n', '1 1\n1\n'));
  await page.close();
  // A ready-made experiment, from the folder and from the one file.
  const resonance = desktop(fs.readFileSync(path.join(root, 'examples', 'resonance'), 'utf8'));
  for (const base of [site.url, pathToFileURL(singleFile).href]) {
    page = await open(base + '#example=resonance', 'window');
    assert.deepEqual(await stdout(page), resonance, base);
    assert.deepEqual(page.errors, []);
    await page.close();
  }
  // A link pasted over the open page's address changes only the fragment:
  // the page starts the new run itself.
  page = await open(site.url, 'line');
  await page.evaluate(() => { location.hash = '#example=resonance'; });
  await waitFor(page, 'window');
  assert.ok((await stdout(page)).toString().endsWith(resonance.toString()));
  await page.close();
});

test("examples/README.md's links carry each experiment's file", () => {
  const readme = fs.readFileSync(path.join(root, 'examples', 'README.md'), 'utf8');
  // An experiment of another excitation names it in both of its links.
  const rows = [...readme.matchAll(/^\| `([\w-]+)` \| `#example=\1(&excitation=[a-z]+)?` \| `#answers=([^`&]*)\2` \|$/gm)];
  const files = fs.readdirSync(path.join(root, 'examples')).filter((f) => !f.endsWith('.md'));
  assert.deepEqual(rows.map((r) => r[1]).sort(), files.sort());
  for (const [, name, , text] of rows) {
    assert.equal(decodeURIComponent(text), fs.readFileSync(path.join(root, 'examples', name), 'utf8'), name);
  }
});

test('Copy link gives the run on show, also after g with new answers', async () => {
  const context = await browser.createBrowserContext();
  await context.overridePermissions(site.url.slice(0, -1), ['clipboard-read', 'clipboard-write',
                                                           'clipboard-sanitized-write']);
  const page = await open(site.url, 'line', context);
  const copy = async () => {
    await page.click('[data-action="copy-link"]');
    await page.waitForFunction(() => /Link copied/.test(document.getElementById('hint').textContent));
    const link = await page.evaluate(() => navigator.clipboard.readText());
    await page.evaluate(() => { document.getElementById('hint').textContent = ''; });
    assert.ok(link.startsWith(site.url + '#answers='), link);
    return link;
  };
  assert.ok(await page.$eval('[data-action="copy-link"]', (b) => b.disabled), 'no link during the dialog');
  await answer(page, ['1 0.2 4', '1 1'], '1');
  assert.equal(decodeURIComponent((await copy()).split('#answers=')[1]), workedAnswers);
  // g: a new force, and a start of the student's own.
  await page.focus('#window');
  await page.keyboard.press('g');
  await page.waitForFunction(() => fvPage.waiting === 'line');
  await answer(page, ['0.5 1.5'], '2', null);
  await page.waitForFunction(() => fvPage.waiting === 'line');  // y0 v0 after the key '2'
  await page.type('#answer', '0.125 -0.25');
  await page.keyboard.press('Enter');
  await waitFor(page, 'window');
  const link = await copy();
  const answers = '1 0.2 4\n0.5 1.5\n2\n0.125 -0.25\n';
  assert.equal(decodeURIComponent(link.split('#answers=')[1]), answers);
  // The link starts the run the page shows: the same numbers after the
  // same dialog as the desktop prints them.
  const again = await open(link, 'window');
  const tail = (bytes) => bytes.toString('utf8').split('\n').filter((l) => /As=|Ad=|初期条件\(/.test(l));
  assert.deepEqual(tail(await stdout(again)), tail(await stdout(page)).slice(-3));
  assert.deepEqual(await stdout(again), desktop(answers));
  await again.close();
  await context.close();
});

test('a fragment not understood, an unknown experiment, 5 KB of answers: one line, then the usual dialog', async () => {
  const plain = await open(site.url, 'line');
  const usual = await stdout(plain);
  await plain.close();
  const refusals = [
    ['#<img src=x onerror="window.injected=1">', /after "#" is not understood/],
    ['#answers=%E0%A4%A', /after "#" is not understood/],
    ['#example=no-such-experiment', /not one of the ready-made ones/],
    ['#example=..%2Fexamples%2Fresonance', /not one of the ready-made ones/],
    ['#answers=' + '1%20'.repeat(1280), /longer than 4 KB/],
  ];
  for (const [fragment, line] of refusals) {
    const page = await open(site.url + fragment, 'line');
    const panel = await page.evaluate(() => ({
      errors: [...document.querySelectorAll('#console span.err')].map((s) => s.textContent),
      elements: document.querySelectorAll('#console *:not(span), img').length,
      injected: window.injected,
    }));
    assert.equal(panel.errors.length, 1, fragment);
    assert.match(panel.errors[0], line);
    assert.equal(panel.errors[0].trimEnd().split('\n').length, 1, 'one line');
    assert.deepEqual([panel.elements, panel.injected], [0, undefined]);
    assert.deepEqual(await stdout(page), usual, fragment);
    await page.close();
  }
  // At the limit, 4096 characters, the link still runs (what follows the
  // last answer is never read).
  const atLimit = encodeURIComponent(workedAnswers).padEnd(4096, '0');
  const page = await open(site.url + '#answers=' + atLimit, 'window');
  assert.deepEqual(await stdout(page), desktop(workedAnswers));
  await page.close();
});

// A specimen's code (student 1 of --make-class demo 3),
// and the same code with two characters swapped.
const specimenCode = 'LR6G-MAUT-V243';
const wrongCode = 'LR6G-MAUT-V234';

test('#specimen= runs the specimen; the key pad hands in and Copy gives the code; a wrong code is refused', async () => {
  const context = await browser.createBrowserContext();
  await context.overridePermissions(site.url.slice(0, -1), ['clipboard-read', 'clipboard-write',
                                                           'clipboard-sanitized-write']);
  const page = await open(site.url + '#specimen=' + specimenCode, 'line', context);
  await answer(page, ['0.5 1.2'], '0');
  const text = (await stdout(page)).toString();
  assert.match(text, new RegExp('specimen ' + specimenCode + ': its m, λ and K are hidden'));
  assert.doesNotMatch(text, /ω0=|ζ=|As=|Ad=/);
  await page.click('#keypad button[data-key="a"]');
  for (const line of ['2.06', '', '0.05', '5.8', '1.4']) {
    await page.waitForFunction(() => fvPage.waiting === 'line');
    await page.type('#answer', line);
    await page.keyboard.press('Enter');
  }
  await page.waitForFunction(() => fvPage.state === 'window' && !!fvPage.program &&
                             !!document.querySelector('#copy-hand-in:not([disabled])'));
  await page.click('#copy-hand-in');
  await page.waitForFunction(() => /Hand-in code copied/.test(document.getElementById('hint').textContent));
  const copied = await page.evaluate(() => navigator.clipboard.readText());
  const printed = (await stdout(page)).toString().match(/hand-in code: (\S+)\n/)[1];
  assert.equal(copied, printed);
  // Copy link names the specimen and its answers, nothing of its system.
  await page.click('[data-action="copy-link"]');
  await page.waitForFunction(() => /Link copied/.test(document.getElementById('hint').textContent));
  const link = await page.evaluate(() => navigator.clipboard.readText());
  assert.equal(link, site.url + '#specimen=' + specimenCode + '&answers=' + encodeURIComponent('0.5 1.2\n0\n'));
  assert.deepEqual(page.errors, []);
  await context.close();
  // A wrong code: its one line, and no run.
  const refused = await browser.newPage();
  await refused.goto(site.url + '#specimen=' + wrongCode);
  await refused.waitForFunction(() => window.fvPage && fvPage.state === 'ended');
  const errors = await refused.evaluate(() => [...document.querySelectorAll('#console span.err')].map((e) => e.textContent));
  assert.equal(errors.join('').trim().split('\n').length, 1, errors.join(''));
  await refused.close();
});

test('offline: after one visit the page opens and runs with the server stopped', async () => {
  const own = await serve();  // an origin of its own: its worker serves no other test
  const context = await browser.createBrowserContext();
  const page = await open(own.url, 'line', context);
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
  const version = fs.readFileSync(path.join(pageDir, 'sw.js'), 'utf8').match(/version = '(\w+)'/)[1];
  assert.deepEqual(await page.evaluate(() => caches.keys()), ['forced-vibration-' + version]);
  await own.stop();
  await assert.rejects(fetch(own.url), 'the server is gone');
  await page.reload();
  await waitFor(page, 'line');
  await answer(page, ['1 0.2 4', '1 1'], '1');
  assert.deepEqual(await stdout(page), desktop(null, workedAnswers));
  assert.deepEqual(page.errors, []);
  await context.close();
});
