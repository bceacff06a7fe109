// The simulator's web page in headless Chromium, against the desktop program.
//
// The page (build-web/page, FV_PAGE_DIR) is served from a private loopback
// port; the desktop program and its driver come from the Release build
// (build/, FV_DESKTOP_BUILD), whose pictures are taken in a private Xvfb.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

const root = path.resolve(__dirname, '..', '..');
const pageDir = process.env.FV_PAGE_DIR || path.join(root, 'build-web', 'page');
const desktopBuild = process.env.FV_DESKTOP_BUILD || path.join(root, 'build');

// The worked example of the README: m λ K, F ωf, then the key for the
// steady-state start.
const workedExample = ['1 0.2 4', '1 1'];
const workedKey = '1';
// How far a shape may lie from where the desktop draws it, pixels: the
// bound the page promises. Anti-aliased edges move a colour's mean by less.
const shapeTolerance = 1.5;
// The page's .js and .wasm together, bytes at most.
const sizeBudget = 600 * 1024;

const types = { '.html': 'text/html; charset=utf-8', '.css': 'text/css', '.js': 'text/javascript',
                '.wasm': 'application/wasm' };
let server;
let baseUrl;
let browser;
let scratch;

before(async () => {
  scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'fv-web-'));
  server = http.createServer((req, res) => {
    const file = path.join(pageDir, path.normalize(decodeURIComponent(req.url.split('?')[0])).replace(/^[/\\]+/, '') || 'index.html');
    fs.readFile(file.endsWith(path.sep) ? file + 'index.html' : file, (err, body) => {
      if (err) { res.writeHead(404); res.end(); return; }
      res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
      res.end(body);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  baseUrl = `http://127.0.0.1:${server.address().port}/`;
  browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--use-gl=swiftshader', '--enable-unsafe-swiftshader',
           '--disable-gpu-sandbox', '--disable-background-networking', '--disable-component-update',
           '--disable-sync', '--no-first-run', `--user-data-dir=${path.join(scratch, 'profile')}`],
  });
});

after(async () => {
  if (browser) await browser.close();
  if (server) server.close();
  fs.rmSync(scratch, { recursive: true, force: true });
});

// Run the desktop program with the answers and keys; its picture and stdout.
function desktop(answers, keys) {
  const png = path.join(scratch, 'desktop.png');
  const out = path.join(scratch, 'desktop.txt');
  execFileSync(path.join(desktopBuild, 'tools', 'fv_drive'),
               ['--program', path.join(desktopBuild, 'forced-vibration'), '--answer-text', answers,
                '--keys', keys, '--screenshot', png, '--console', out], { stdio: 'inherit' });
  return { png: fs.readFileSync(png), stdout: fs.readFileSync(out) };
}

// A fresh page, waiting for its first console answer.
async function openPage() {
  const page = await browser.newPage();
  page.on('pageerror', (e) => { page.errors = (page.errors || []).concat(String(e)); });
  await page.setViewport({ width: 1400, height: 900 });
  await page.goto(baseUrl);
  await page.addScriptTag({ content: `window.pictureFeatures = ${pictureFeatures}; window.pixelsOf = ${pixelsOf};` });
  await page.waitForFunction(() => fvPage.waiting === 'line');
  return page;
}

// Type the lines into the console panel, then the single key.
async function answerDialog(page, lines, key) {
  await page.bringToFront();  // a page behind another may get no animation frames
  for (const line of lines) {
    await page.type('#answer', line);
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => fvPage.waiting !== null);
  }
  await page.waitForFunction(() => fvPage.waiting === 'key');
  await page.keyboard.press(key);
  await page.waitForFunction(() => fvPage.state === 'window' && fvPage.firstFrameAt !== null);
}

// Type keys on the canvas, one by one.
async function windowKeys(page, keys) {
  await page.focus('#window');
  for (const k of keys) await page.keyboard.press(k);
}

// The RGBA pixels of an image (a PNG's bytes) or of the page's canvas.
async function pixelsOf(png) {
  let source = document.getElementById('window');
  if (png) {
    source = new Image();
    source.src = 'data:image/png;base64,' + png;
    await source.decode();
  }
  const c = document.createElement('canvas');
  c.width = 800;
  c.height = 800;
  const g = c.getContext('2d');
  g.drawImage(source, 0, 0, 800, 800);
  return g.getImageData(0, 0, 800, 800).data;
}

// Where the shapes of one picture lie, in pixels. Runs in the page.
function pictureFeatures(px) {
  const w = 800;
  const is = (i, c, tol) => Math.abs(px[i] - c[0]) <= tol && Math.abs(px[i + 1] - c[1]) <= tol &&
                            Math.abs(px[i + 2] - c[2]) <= tol;
  // Mean row of colour c in each column of the box, null where it is absent.
  function rows(c, x0, x1, y0, y1, tol = 40) {
    const out = [];
    for (let x = x0; x < x1; x++) {
      let sum = 0, n = 0;
      for (let y = y0; y < y1; y++) if (is((y * w + x) * 4, c, tol)) { sum += y; n++; }
      out.push(n ? sum / n : null);
    }
    return out;
  }
  // Centre of the filled part of colour c in the box: pixels with at least
  // `dense` of their 9 x 9 neighbours in it, so thin lines drop out.
  function blob(c, x0, x1, y0, y1, dense) {
    let sx = 0, sy = 0, n = 0, top = Infinity, bottom = -Infinity;
    for (let y = y0; y < y1; y++) for (let x = x0; x < x1; x++) {
      if (!is((y * w + x) * 4, c, 40)) continue;
      let k = 0;
      for (let v = y - 4; v <= y + 4; v++) for (let u = x - 4; u <= x + 4; u++) {
        if (u >= 0 && u < w && v >= 0 && v < w && is((v * w + u) * 4, c, 40)) k++;
      }
      if (k < dense) continue;
      sx += x; sy += y; n++;
      top = Math.min(top, y); bottom = Math.max(bottom, y);
    }
    return n ? { x: sx / n, y: sy / n, top, bottom } : null;
  }
  const red = [255, 0, 0], green = [0, 255, 0], blue = [0, 0, 255];
  return {
    mass: blob(red, 400, 800, 0, 800, 60),
    arrow: blob(green, 400, 800, 0, 800, 20),
    yTrace: rows(red, 0, 400, 0, 800),
    forceTrace: rows(green, 0, 400, 0, 800),
    // Chart curves of zeta 0.7071, 1, 5 (colours 5, 6, 8), amplitude and phase.
    curves: [[51, 0, 255], [255, 102, 0], [102, 0, 255]].map((c) => ({
      amplitude: rows(c, 400, 800, 0, 400, 25), phase: rows(c, 400, 800, 401, 800, 25),
    })),
    bluePoints: [blob(blue, 400, 800, 0, 380, 40), blob(blue, 400, 800, 380, 800, 40)],
  };
}

// The features of the page's canvas and of the desktop picture.
async function compareWithDesktop(page, png) {
  return page.evaluate(async (b64) => ({
    web: pictureFeatures(await pixelsOf(null)),
    desk: pictureFeatures(await pixelsOf(b64)),
  }), png.toString('base64'));
}

// Largest distance between two column profiles, over the columns where both
// pictures have the colour two columns either side too (a line's ends are
// where anti-aliasing decides most), and how many columns have it in one
// picture but not the other.
function profileGap(a, b) {
  let worst = 0, unmatched = 0, shared = 0;
  const both = (x) => a[x] !== null && a[x] !== undefined && b[x] !== null && b[x] !== undefined;
  for (let x = 0; x < a.length; x++) {
    if ((a[x] === null) !== (b[x] === null)) unmatched++;
    else if (a[x] !== null) shared++;
    if ([-2, -1, 0, 1, 2].every((d) => both(x + d))) worst = Math.max(worst, Math.abs(a[x] - b[x]));
  }
  return { worst, unmatched, shared };
}

// Columns where a colour may show in one picture only: where another line
// crosses it, anti-aliasing decides which colour a pixel keeps.
function maxUnmatched(gap) {
  return Math.max(3, Math.ceil(0.15 * gap.shared));
}

// Compare the named coordinates of a shape in both pictures.
function assertNear(web, desk, what, keys = ['x', 'y']) {
  assert.ok(web && desk, `${what}: found in both pictures`);
  for (const k of keys) {
    assert.ok(Math.abs(web[k] - desk[k]) <= shapeTolerance,
              `${what} ${k}: page ${web[k].toFixed(2)}, desktop ${desk[k].toFixed(2)}`);
  }
}

function median(values) {
  const s = [...values].sort((a, b) => a - b);
  return s[Math.floor(s.length / 2)];
}

// The worked example's answers for fv_drive, then one more for each 'j'.
const workedAnswers = workedExample.join('\\n') + '\\n' + workedKey + '\\n';
// The window draws a frame of its own when it opens, and on the desktop one
// more when the window manager uncovers it, so a run counts its frames from
// a 'j': its dialog resets the motion, and nothing redraws until a key.
const thirtyFrames = 'j' + 's'.repeat(30);

let worked;      // the page after the worked example's dialog
let reference;   // the desktop run after 'j' and 30 x 's'

test('the worked example typed into the panel prints what the desktop program prints', async () => {
  const desk = desktop(workedAnswers, '');
  worked = await openPage();
  await answerDialog(worked, workedExample, workedKey);
  const { bytes, shown, typed } = await worked.evaluate(() => ({
    bytes: fvPage.stdout,
    shown: [...document.querySelectorAll('#console span:not(.typed)')].map((s) => s.textContent).join(''),
    typed: [...document.querySelectorAll('#console span.typed')].map((s) => s.textContent).join(''),
  }));
  assert.deepEqual(Buffer.from(bytes), desk.stdout);
  assert.equal(shown, desk.stdout.toString('utf8'));
  assert.equal(typed, workedExample.join('\n') + '\n');
});

test('the page plays by itself from its first run; the play button pauses and resumes', async () => {
  const frames = () => worked.evaluate(() => fvPage.framesDrawn);
  const settle = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
  const label = () => worked.$eval('#play', (b) => b.textContent);
  // 25 frames a second: well over 5 in 600 ms with no key pressed.
  const before = await frames();
  await settle(600);
  assert.ok(await frames() - before >= 5, `${await frames() - before} frames in 600 ms`);
  assert.ok((await label()).endsWith('Pause'));
  await worked.click('#play');
  await worked.waitForFunction(() => document.getElementById('play').textContent.endsWith('Play'));
  await settle(200);  // a frame asked for just before the pause may still come
  const paused = await frames();
  await settle(500);
  assert.equal(await frames(), paused, 'no frame while paused');
  await worked.click('#play');
  await settle(300);
  assert.ok(await frames() > paused, 'frames again after play');
  // Paused again for the pictures below, which count their frames by keys.
  await worked.click('#play');
  await worked.waitForFunction(() => document.getElementById('play').textContent.endsWith('Play'));
});

test('after j and 30 x s the mass, the arrow and both traces lie where the desktop draws them', async () => {
  reference = desktop(workedAnswers + workedKey + '\\n', thirtyFrames);
  await windowKeys(worked, 'j');
  // The dialog of 'j' takes the focus to the panel and gives it back after.
  await worked.waitForFunction(() => fvPage.waiting === 'key' && document.activeElement.id === 'answer');
  await worked.keyboard.press(workedKey);
  await worked.waitForFunction(() => fvPage.state === 'window' && document.activeElement.id === 'window');
  await windowKeys(worked, 's'.repeat(30));
  assert.deepEqual(Buffer.from(await worked.evaluate(() => fvPage.stdout)), reference.stdout);
  const { web, desk } = await compareWithDesktop(worked, reference.png);
  assertNear(web.mass, desk.mass, 'mass');
  assertNear(web.arrow, desk.arrow, 'arrow', ['x', 'top', 'bottom']);
  for (const trace of ['yTrace', 'forceTrace']) {
    const gap = profileGap(web[trace], desk[trace]);
    assert.ok(gap.shared >= 40, `${trace}: ${gap.shared} columns in both`);
    assert.ok(gap.worst <= shapeTolerance && gap.unmatched <= maxUnmatched(gap), `${trace}: ${JSON.stringify(gap)}`);
  }
});

test('f draws the chart: its curves and blue points where the desktop draws them', async () => {
  const chart = desktop(workedAnswers + workedKey + '\\n', thirtyFrames + 'f');
  await windowKeys(worked, 'f');
  const { web, desk } = await compareWithDesktop(worked, chart.png);
  web.curves.forEach((curve, i) => {
    for (const part of ['amplitude', 'phase']) {
      const gap = profileGap(curve[part], desk.curves[i][part]);
      assert.ok(gap.shared >= 100, `curve ${i} ${part}: ${gap.shared} columns in both`);
      assert.ok(gap.worst <= shapeTolerance && gap.unmatched <= maxUnmatched(gap),
                `curve ${i} ${part}: ${JSON.stringify(gap)}`);
    }
  });
  assertNear(web.bluePoints[0], desk.bluePoints[0], 'amplitude point');
  assertNear(web.bluePoints[1], desk.bluePoints[1], 'phase point');
});

test('frames, first picture and size: the page measures its own work', async (t) => {
  // Frame medians: the work the page does for a key (the program's frame and
  // the canvas calls), then the same until the canvas has drawn it.
  const medians = {};
  for (const flush of [false, true]) {
    await worked.evaluate((f) => { fvPage.flushFrames = f; fvPage.frames = []; }, flush);
    await windowKeys(worked, 's'.repeat(100) + 'f'.repeat(40));
    const frames = await worked.evaluate(() => fvPage.frames);
    medians[flush] = ['s', 'f'].map((k) => median(frames.filter((f) => f.key === k).map((f) => f.ms)));
  }
  await worked.evaluate(() => { fvPage.flushFrames = false; });
  // From the page's load to its first picture, less the time spent answering.
  const [load, draw] = await worked.evaluate(() => [fvPage.promptAt, fvPage.firstFrameAt - fvPage.lastAnswerAt]);
  const first = load + draw;
  const size = ['forced-vibration.js', 'forced-vibration.wasm']
    .reduce((sum, f) => sum + fs.statSync(path.join(pageDir, f)).size, 0);
  const ms = (v) => v.toFixed(2) + ' ms';
  t.diagnostic(`time-plot frame median ${ms(medians[false][0])} (${ms(medians[true][0])} drawn)`);
  t.diagnostic(`chart frame median ${ms(medians[false][1])} (${ms(medians[true][1])} drawn)`);
  t.diagnostic(`first picture ${ms(first)} after the page began to load, dialog aside (${ms(load)} to the first question, ${ms(draw)} from the last answer)`);
  t.diagnostic(`.js + .wasm ${size} bytes`);
  assert.ok(size <= sizeBudget, `${size} bytes`);
  assert.deepEqual(worked.errors || [], []);
});

test('a bad answer is named and asked again, as on the desktop', async () => {
  const answers = ['1 abc 4', '1 0.2 4', '1 1'];
  const desk = desktop(answers.join('\\n') + '\\n' + workedKey + '\\n', '');
  const page = await openPage();
  await answerDialog(page, answers, workedKey);
  assert.deepEqual(Buffer.from(await page.evaluate(() => fvPage.stdout)), desk.stdout);
  await page.close();
});

test('Escape ends the program, keeps the text and offers to start again', async () => {
  const before = await worked.evaluate(() => document.getElementById('console').textContent);
  await windowKeys(worked, ['Escape']);
  await worked.waitForFunction(() => fvPage.state === 'ended');
  const text = await worked.evaluate(() => document.getElementById('console').textContent);
  assert.ok(text.startsWith(before) && /program has ended/.test(text.slice(before.length)));
  await worked.click('#restart');
  await worked.waitForFunction(() => fvPage.waiting === 'line');
  await answerDialog(worked, workedExample, workedKey);
  assert.deepEqual(Buffer.from(await worked.evaluate(() => fvPage.stdout)), desktop(workedAnswers, '').stdout);
  await worked.close();
});

test('a page whose WebAssembly cannot load says so in the panel', async () => {
  const page = await browser.newPage();
  await page.setRequestInterception(true);
  page.on('request', (r) => (r.url().endsWith('.wasm') ? r.abort() : r.continue()));
  await page.goto(baseUrl);
  await page.waitForFunction(() => fvPage.state === 'failed');
  const text = await page.$eval('#console', (c) => c.textContent);
  assert.match(text, /could not start the simulator: the browser did not load its WebAssembly/);
  await page.close();
});
