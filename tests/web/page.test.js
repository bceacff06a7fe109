// The simulator's web page in headless Chromium and Firefox ESR, against the
// desktop program.
//
// The page (build-web/page, FV_PAGE_DIR) is served from a private loopback
// port; the desktop program and its driver come from the Release build
// (build/, FV_DESKTOP_BUILD), whose pictures are taken in a private Xvfb.
// Every test opens a page of its own and waits for the page's own signals
// (window.fvPage), never for a span of time.
'use strict';
const { test, describe, before, after } = require('node:test');
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
const axeSource = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');

// The worked example of the README: m λ K, F ωf, then the key for the
// steady-state start.
const workedExample = ['1 0.2 4', '1 1'];
const workedKey = '1';
// How far a shape may lie from where the desktop draws it, pixels: the
// bound the page promises. Anti-aliased edges move a colour's mean by less.
const shapeTolerance = 1.5;
// The page's .js and .wasm together, bytes at most.
const sizeBudget = 600 * 1024;
// The smallest touch target, CSS pixels, as phones' and tablets' guidelines ask.
const touchTarget = 44;

const types = { '.html': 'text/html; charset=utf-8', '.css': 'text/css', '.js': 'text/javascript',
                '.wasm': 'application/wasm' };
const browsers = {
  chromium: {
    executablePath: '/usr/bin/chromium',
    options: (scratch) => ({
      args: ['--headless', '--no-sandbox', '--use-gl=swiftshader', '--enable-unsafe-swiftshader',
             '--disable-gpu-sandbox', '--disable-background-networking', '--disable-component-update',
             '--disable-sync', '--no-first-run', `--user-data-dir=${path.join(scratch, 'chromium')}`],
    }),
  },
  firefox: { executablePath: '/usr/bin/firefox-esr', options: () => ({ browser: 'firefox' }) },
};
let server;
let baseUrl;
let scratch;

before(async () => {
  scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'fv-web-'));
  server = http.createServer((req, res) => {
    // Without its service worker: pages here load from this server, as the
    // request interception below needs (handout.test.js tests the worker).
    if (req.url.startsWith('/sw.js')) { res.writeHead(404); res.end(); return; }
    const file = path.join(pageDir, path.normalize(decodeURIComponent(req.url.split('?')[0])).replace(/^[/\\]+/, '') || 'index.html');
    fs.readFile(file.endsWith(path.sep) ? file + 'index.html' : file, (err, body) => {
      if (err) { res.writeHead(404); res.end(); return; }
      res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
      res.end(body);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  baseUrl = `http://127.0.0.1:${server.address().port}/`;
});

after(() => {
  if (server) server.close();
  fs.rmSync(scratch, { recursive: true, force: true });
});

// Run the desktop program with the answers and keys; its picture and stdout.
function desktop(answers, keys, args = []) {
  const png = path.join(scratch, 'desktop.png');
  const out = path.join(scratch, 'desktop.txt');
  execFileSync(path.join(desktopBuild, 'tools', 'fv_drive'),
               ['--program', path.join(desktopBuild, 'forced-vibration'), '--answer-text', answers,
                '--keys', keys, '--screenshot', png, '--console', out,
                ...args.flatMap((arg) => ['--arg', arg])], { stdio: 'inherit' });
  return { png: fs.readFileSync(png), stdout: fs.readFileSync(out) };
}

// A fresh page, waiting for its first console answer. Whatever it throws
// is kept, for closePage to report.
async function openPage(browser, { width = 1400, height = 900, device = null } = {}) {
  const page = await browser.newPage();
  page.errors = [];
  page.on('pageerror', (e) => page.errors.push(String(e)));
  if (device) await page.emulate(device);
  else await page.setViewport({ width, height });
  await page.goto(baseUrl);
  await page.addScriptTag({ content: `window.pictureFeatures = ${pictureFeatures}; window.pixelsOf = ${pixelsOf};` });
  await page.bringToFront();  // a page behind another may get no animation frames
  await page.waitForFunction(() => fvPage.waiting === 'line');
  return page;
}

// Reload the page; its run brought back from the journal, when restored.
async function reloadPage(page, restored = true) {
  await page.reload();
  await page.addScriptTag({ content: `window.pictureFeatures = ${pictureFeatures}; window.pixelsOf = ${pixelsOf};` });
  await page.waitForFunction(restored ? () => fvPage.restoredAt !== null : () => fvPage.waiting === 'line');
}

// Close the page; it must have thrown nothing.
async function closePage(page) {
  await page.close();
  assert.deepEqual(page.errors, [], 'errors thrown in the page');
}

// Type the lines into the console panel, then the single key.
async function answerDialog(page, lines, key) {
  for (const line of lines) {
    await page.waitForFunction(() => fvPage.waiting === 'line');
    await page.type('#answer', line);
    await page.keyboard.press('Enter');
  }
  await page.waitForFunction(() => fvPage.waiting === 'key');
  await page.keyboard.press(key);
  await page.waitForFunction(() => fvPage.state === 'window' && fvPage.firstFrameAt !== null);
}

// Pause the motion and wait until nothing is left to draw a frame: from
// then on only keys draw, as in the desktop program without --play.
async function pause(page) {
  await page.waitForFunction(() => document.getElementById('play').textContent.endsWith('Pause'));
  await page.click('#play');
  await page.waitForFunction(() => document.getElementById('play').textContent.endsWith('Play') &&
                                    fvPage.pending === 0);
}

// A page after the worked example's dialog, paused.
async function workedPage(browser, options) {
  const page = await openPage(browser, options);
  await answerDialog(page, workedExample, workedKey);
  await pause(page);
  return page;
}

// Type keys on the canvas, one by one.
async function windowKeys(page, keys) {
  await page.focus('#window');
  for (const k of keys) await page.keyboard.press(k);
}

// The RGBA pixels of an image (a PNG's bytes) or of the page's canvas, at
// 800 x 800. Runs in the page.
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

// The chart's curves and points lie in both pictures alike.
function assertChart({ web, desk }) {
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
}

// Compare the named coordinates of a shape in both pictures.
function assertNear(web, desk, what, keys = ['x', 'y']) {
  assert.ok(web && desk, `${what}: found in both pictures`);
  for (const k of keys) {
    assert.ok(Math.abs(web[k] - desk[k]) <= shapeTolerance,
              `${what} ${k}: page ${web[k].toFixed(2)}, desktop ${desk[k].toFixed(2)}`);
  }
}

// The mass, the arrow and both traces of the time plot lie where the desktop
// draws them.
function assertTimePlot({ web, desk }) {
  assertNear(web.mass, desk.mass, 'mass');
  assertNear(web.arrow, desk.arrow, 'arrow', ['x', 'top', 'bottom']);
  for (const trace of ['yTrace', 'forceTrace']) {
    const gap = profileGap(web[trace], desk[trace]);
    assert.ok(gap.shared >= 40, `${trace}: ${gap.shared} columns in both`);
    assert.ok(gap.worst <= shapeTolerance && gap.unmatched <= maxUnmatched(gap), `${trace}: ${JSON.stringify(gap)}`);
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

// From the worked example, paused: 'j' and 30 x 's' by the keyboard.
async function thirtyFramesOn(page) {
  await windowKeys(page, 'j');
  // The dialog of 'j' takes the focus to the panel and gives it back after.
  await page.waitForFunction(() => fvPage.waiting === 'key' && document.activeElement.id === 'answer');
  await page.keyboard.press(workedKey);
  await page.waitForFunction(() => fvPage.state === 'window' && document.activeElement.id === 'window');
  await windowKeys(page, 's'.repeat(30));
}

// Tests that run in every browser; chromiumOnly ones need the DevTools
// Protocol (input methods, touch emulation) or measure Chromium.
function pageTests(name, chromiumOnly) {
  let browser;
  before(async () => {
    browser = await puppeteer.launch({ executablePath: browsers[name].executablePath, headless: true,
                                       ...browsers[name].options(scratch) });
  });
  after(async () => { if (browser) await browser.close(); });

  test('the worked example typed into the panel prints what the desktop program prints', async () => {
    const desk = desktop(workedAnswers, '');
    const page = await openPage(browser);
    await answerDialog(page, workedExample, workedKey);
    const { bytes, shown, typed } = await page.evaluate(() => ({
      bytes: fvPage.stdout,
      shown: [...document.querySelectorAll('#console span:not(.typed)')].map((s) => s.textContent).join(''),
      typed: [...document.querySelectorAll('#console span.typed')].map((s) => s.textContent).join(''),
    }));
    assert.deepEqual(Buffer.from(bytes), desk.stdout);
    assert.equal(shown, desk.stdout.toString('utf8'));
    assert.equal(typed, workedExample.join('\n') + '\n');
    await closePage(page);
  });

  test('the page plays by itself from its first run; the play button pauses and resumes', async () => {
    const page = await openPage(browser);
    await answerDialog(page, workedExample, workedKey);
    const start = await page.evaluate(() => fvPage.framesDrawn);
    await page.waitForFunction((n) => fvPage.framesDrawn >= n + 5, {}, start);
    await pause(page);
    // Nothing is left to draw a frame, so none can come until a key.
    const paused = await page.evaluate(() => fvPage.framesDrawn);
    await page.click('#play');
    await page.waitForFunction((n) => fvPage.framesDrawn > n, {}, paused);
    assert.ok((await page.$eval('#play', (b) => b.textContent)).endsWith('Pause'));
    await closePage(page);
  });

  test('after j and 30 x s, then f, the time plot and the chart lie where the desktop draws them', async () => {
    const reference = desktop(workedAnswers + workedKey + '\\n', thirtyFrames);
    const chart = desktop(workedAnswers + workedKey + '\\n', thirtyFrames + 'f');
    const page = await workedPage(browser);
    await thirtyFramesOn(page);
    assert.deepEqual(Buffer.from(await page.evaluate(() => fvPage.stdout)), reference.stdout);
    assertTimePlot(await compareWithDesktop(page, reference.png));
    await windowKeys(page, 'f');
    assertChart(await compareWithDesktop(page, chart.png));
    await closePage(page);
  });

  test('a reload brings back the console\'s bytes, the picture and the motion CSV\'s bytes', async () => {
    const page = await workedPage(browser);
    await windowKeys(page, 's'.repeat(50) + 'fy');
    const box = await page.$eval('#window', (c) => { const r = c.getBoundingClientRect(); return [r.left, r.top, r.width]; });
    await page.mouse.click(box[0] + box[2] * 600 / 800, box[1] + box[2] * 200 / 800);
    const taken = () => page.evaluate(async () => ({
      stdout: [...fvPage.stdout], readout: fvPage.snapshot.readout, features: pictureFeatures(await pixelsOf(null)),
      csv: new TextDecoder().decode(fvPage.program.FS.readFile('/forced-vibration-motion.csv')),
    }));
    const was = await taken();
    assert.match(was.readout, /./);
    await reloadPage(page);
    const now = await taken();
    assert.deepEqual(now.stdout, was.stdout);
    assert.equal(now.csv, was.csv);
    assert.equal(now.readout, was.readout);
    assertTimePlot({ web: now.features, desk: was.features });
    assertChart({ web: now.features, desk: was.features });
    assert.match(await page.$eval('#console', (c) => c.textContent), /The run was restored as it was, paused\.\]\n$/);
    await closePage(page);
  });

  test('a played run reloaded comes back paused within a frame of where it was', async () => {
    const page = await openPage(browser);
    await answerDialog(page, workedExample, workedKey);
    await page.waitForFunction(() => fvPage.framesDrawn >= 20);
    await page.evaluate(() => addEventListener('pagehide', () => sessionStorage.setItem('t', fvPage.snapshot.frame.t)));
    await reloadPage(page);
    const { t, was, playing } = await page.evaluate(() => ({
      t: fvPage.snapshot.frame.t, was: Number(sessionStorage.getItem('t')), playing: fvPage.snapshot.playing }));
    assert.ok(Math.abs(t - was) <= 0.0401 && was > 0.5, `t ${t}, was ${was}`);
    assert.equal(playing, false);
    await closePage(page);
  });

  test('the run of a closed tab is offered to a page opened afresh, and continues there', async () => {
    const closed = await workedPage(browser);
    await windowKeys(closed, 'sss');
    const was = await closed.evaluate(() => [...fvPage.stdout]);
    await closePage(closed);
    const page = await openPage(browser);
    await page.waitForFunction(() => !document.getElementById('resume').hidden);
    await page.click('#resume');
    await page.waitForFunction(() => fvPage.restoredAt !== null);
    assert.deepEqual(await page.evaluate(() => [...fvPage.stdout]), was);
    await closePage(page);
  });

    test('storage that throws is said once, and the page works as without a journal', async () => {
    const page = await browser.newPage();
    page.errors = [];
    page.on('pageerror', (e) => page.errors.push(String(e)));
    await page.evaluateOnNewDocument(() => {
      Object.defineProperty(window, 'localStorage', { get() { throw new DOMException('denied', 'SecurityError'); } });
    });
    await page.setViewport({ width: 1400, height: 900 });
    await page.goto(baseUrl);
    await answerDialog(page, workedExample, workedKey);
    await pause(page);
    await windowKeys(page, 'ss');
    const text = await page.$eval('#console', (c) => c.textContent);
    assert.equal(text.split('cannot be kept').length, 2, text);
    assert.deepEqual(Buffer.from(await page.evaluate(() => fvPage.stdout)).subarray(0, 200),
                     desktop(workedAnswers, '').stdout.subarray(0, 200));
    await reloadPage(page, false);
    await closePage(page);
  });

  test('a corrupt journal is said once and the page starts afresh', async () => {
    const page = await workedPage(browser);
    await page.evaluate(() => {
      const key = Object.keys(localStorage).find((k) => k.endsWith('/0') && k.includes(sessionStorage.getItem('fv-journal-tab')));
      localStorage.setItem(key, '[["k",');
    });
    await reloadPage(page, false);
    const text = await page.$eval('#console', (c) => c.textContent);
    assert.equal(text.split('is damaged').length, 2, text);
    await answerDialog(page, workedExample, workedKey);
    await closePage(page);
  });

  test('at two screen pixels per CSS pixel the canvas has twice the pixels, and the picture holds', async () => {
    const reference = desktop(workedAnswers + workedKey + '\\n', thirtyFrames);
    const page = await workedPage(browser);
    await thirtyFramesOn(page);
    // A sharper screen and a smaller picture, after the window opened.
    await page.setViewport({ width: 1400, height: 700, deviceScaleFactor: 2 });
    await page.waitForFunction(() => {
      const c = document.getElementById('window');
      return c.width === 2 * c.getBoundingClientRect().width && c.height === c.width;
    });
    assertTimePlot(await compareWithDesktop(page, reference.png));
    await closePage(page);
  });

  test('a bad answer is named and asked again, as on the desktop', async () => {
    const answers = ['1 abc 4', '1 0.2 4', '1 1'];
    const desk = desktop(answers.join('\\n') + '\\n' + workedKey + '\\n', '');
    const page = await openPage(browser);
    await answerDialog(page, answers, workedKey);
    assert.deepEqual(Buffer.from(await page.evaluate(() => fvPage.stdout)), desk.stdout);
    await closePage(page);
  });

  test('Escape ends the program and keeps the text; Start again clears the picture and runs anew', async () => {
    const page = await workedPage(browser);
    const before = await page.$eval('#console', (c) => c.textContent);
    await windowKeys(page, ['Escape']);
    await page.waitForFunction(() => fvPage.state === 'ended');
    const text = await page.$eval('#console', (c) => c.textContent);
    assert.ok(text.startsWith(before) && /program has ended/.test(text.slice(before.length)));
    await page.click('#restart');
    await page.waitForFunction(() => fvPage.waiting === 'line');
    const cleared = await page.evaluate(async () => ({
      features: pictureFeatures(await pixelsOf(null)),
      title: document.getElementById('title').textContent,
      name: document.getElementById('window').getAttribute('aria-label'),
    }));
    assert.equal(cleared.features.mass, null, 'no mass from the last run');
    assert.ok(cleared.features.yTrace.every((y) => y === null), 'no trace from the last run');
    assert.equal(cleared.title, '1DOF強制振動');
    assert.match(cleared.name, /No picture yet/);
    await answerDialog(page, workedExample, workedKey);
    assert.deepEqual(Buffer.from(await page.evaluate(() => fvPage.stdout)), desktop(workedAnswers, '').stdout);
    await closePage(page);
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

  test('Tab and Shift+Tab leave the picture, and the focus follows the reading order', async () => {
    const page = await workedPage(browser);
    await page.focus('#window');
    await page.keyboard.press('Tab');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'play');
    await page.focus('#window');
    await page.keyboard.down('Shift');
    await page.keyboard.press('Tab');
    await page.keyboard.up('Shift');
    assert.notEqual(await page.evaluate(() => document.activeElement.id), 'window');
    assert.ok(!(await page.evaluate(() => fvPage.frames.some((f) => f.key === '\t'))), 'no Tab for the window');
    // Every control that takes the focus, in the order of the page's text.
    const order = await page.evaluate(() => [...document.querySelectorAll('canvas, button, select, input, [tabindex]')]
      .filter((e) => !e.disabled && !e.hidden && e.tabIndex >= 0).map((e) => e.id || e.dataset.key));
    const visited = [];
    await page.focus('#window');
    for (let i = 0; i < order.length; i++) {
      visited.push(await page.evaluate(() => document.activeElement.id || document.activeElement.dataset.key));
      await page.keyboard.press('Tab');
    }
    assert.deepEqual(visited, order);
    await closePage(page);
  });

  test('during a dialog the window\'s controls are off and clicks leave the answer box its focus', async () => {
    const page = await workedPage(browser);
    await windowKeys(page, 'm');
    await page.waitForFunction(() => fvPage.waiting === 'line');
    assert.ok(await page.$$eval('#keypad button', (bs) => bs.length === 17 && bs.every((b) => b.disabled)), 'key pad off');
    await page.type('#answer', '1 0.2');
    for (const where of ['#play', '#window', '#console', '#hint']) {
      await page.click(where);
      await page.waitForFunction(() => document.activeElement.id === 'answer');
    }
    await page.type('#answer', ' 4');
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => fvPage.waiting === 'line');
    assert.match(await page.$eval('#console', (c) => c.textContent), /1 0\.2 4\n[^]*F ωf=$/);
    await closePage(page);
  });

  test('axe finds no fault on the first question, in play and with the chart', async () => {
    const page = await openPage(browser);
    const check = async (when) => {
      const violations = await page.evaluate(async (src) => {
        if (!window.axe) (0, eval)(src);
        return (await axe.run(document)).violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`);
      }, axeSource);
      assert.deepEqual(violations, [], when);
    };
    await check('first question');
    await answerDialog(page, workedExample, workedKey);
    await check('in play');
    await windowKeys(page, 'f');
    await pause(page);
    const name = await page.$eval('#window', (c) => `${c.getAttribute('role')}: ${c.getAttribute('aria-label')}`);
    assert.match(name, /^img: .*Ad= 0\.3326.*t = \d+\.\d\d s, y = -?\d\.\d{4} m\. .*frequency chart is shown.*Paused/);
    await check('chart');
    await closePage(page);
  });

  test('the CSV buttons wait for a data row and never copy the files to find one', async () => {
    const page = await openPage(browser);
    assert.ok(await page.$$eval('[id^=csv]', (bs) => bs.every((b) => b.disabled)), 'no rows yet');
    await answerDialog(page, workedExample, workedKey);
    await page.waitForFunction(() => !document.getElementById('csv-motion').disabled &&
                                     !document.getElementById('csv-response').disabled);
    await page.evaluate(() => {
      const FS = fvPage.program.FS;
      const readFile = FS.readFile;
      window.copies = 0;
      FS.readFile = (...args) => { window.copies++; return readFile(...args); };
    });
    // 50 frames of play: two seconds and more.
    const start = await page.evaluate(() => fvPage.framesDrawn);
    await page.waitForFunction((n) => fvPage.framesDrawn >= n + 50, {}, start);
    assert.equal(await page.evaluate(() => window.copies), 0);
    // The sweep's file comes with the frame that shows a finished sweep.
    assert.ok(await page.$eval('#csv-sweep', (b) => b.disabled), 'no sweep yet');
    await page.click('[data-key="w"]');
    await page.waitForFunction(() => !document.getElementById('csv-sweep').disabled);
    const sweep = await page.evaluate(() => new TextDecoder().decode(fvPage.program.FS.readFile('/forced-vibration-sweep.csv')));
    const rows = sweep.trim().split('\n');
    assert.match(rows[0], /^run,frequency ratio,measured amplitude \(m\)/);
    // The 30 coarse points, then those the search for the resonance added.
    assert.ok(rows.length > 31, `${rows.length} rows`);
    assert.match(rows[30], /^\d+,3,/);
    await closePage(page);
  });

  test('at 320 and 300 CSS pixels wide nothing scrolls sideways, every control is a touch target and none zooms', async () => {
    const page = await openPage(browser, { width: 320, height: 640 });
    for (const width of [320, 300]) {
      await page.setViewport({ width, height: 640 });
      const sizes = await page.evaluate((target) => ({
        overflow: document.documentElement.scrollWidth - document.documentElement.clientWidth,
        small: [...document.querySelectorAll('button, select')].filter((b) => !b.hidden).map((b) => b.getBoundingClientRect())
          .filter((r) => r.width < target || r.height < target).length,
      }), touchTarget);
      assert.deepEqual(sizes, { overflow: 0, small: 0 }, `${width} px`);
    }
    // Two quick taps there are two steps, never a zoom; the answer box's
    // font is large enough that its focus zooms nothing either.
    assert.deepEqual(await page.evaluate(() => ({
      zoomable: [...document.querySelectorAll('#keypad, button')]
        .filter((e) => getComputedStyle(e).touchAction !== 'manipulation').length
        + (getComputedStyle(document.getElementById('window')).touchAction === 'pinch-zoom' ? 0 : 1),
      answerFont: getComputedStyle(document.getElementById('answer')).fontSize,
    })), { zoomable: 0, answerFont: '16px' });
    await closePage(page);
  });

  if (!chromiumOnly) return;

  test('an Enter that confirms an input method\'s conversion answers nothing', async () => {
    // The input method composes text, its Enter (keyCode 229) confirms it,
    // and the text goes into the box; then the student's own Enter.
    const compose = async (page, text) => {
      const cdp = await page.createCDPSession();
      await cdp.send('Input.imeSetComposition', { text, selectionStart: text.length, selectionEnd: text.length });
      await cdp.send('Input.dispatchKeyEvent', { type: 'rawKeyDown', key: 'Enter', code: 'Enter',
                                                 windowsVirtualKeyCode: 229, nativeVirtualKeyCode: 229 });
      await cdp.send('Input.insertText', { text });
      await cdp.send('Input.dispatchKeyEvent', { type: 'keyUp', key: 'Enter', code: 'Enter', windowsVirtualKeyCode: 13 });
      await cdp.detach();
    };
    for (const [composed, typed] of [['１　０．２　４', ''], ['１', ' 0.2 4']]) {
      const line = composed + typed;
      const desk = desktop(`${line}\\n${workedExample[1]}\\n${workedKey}\\n`, '');
      const page = await openPage(browser);
      await page.focus('#answer');
      await compose(page, composed);
      await page.type('#answer', typed);
      assert.equal(await page.$eval('#answer', (a) => a.value), line);
      assert.ok(!(await page.$eval('#console', (c) => c.textContent)).includes('F ωf='), 'still the first question');
      await page.keyboard.press('Enter');
      await page.waitForFunction(() => fvPage.waiting === 'line' &&
                                        document.getElementById('console').textContent.endsWith('F ωf='));
      await answerDialog(page, [workedExample[1]], workedKey);
      assert.deepEqual(Buffer.from(await page.evaluate(() => fvPage.stdout)), desk.stdout);
      await closePage(page);
    }
  });

  // Answer a line as an on-screen keyboard types it: the text, then its Enter.
  async function tapLine(page, line) {
    await page.waitForFunction(() => fvPage.waiting === 'line');
    await page.tap('#answer');
    await page.keyboard.sendCharacter(line);
    await page.keyboard.press('Enter');
  }

  test('with taps only on a phone: the worked example, 30 x s, f, Y, g, Esc and Start again', async () => {
    const gAnswers = ['2 3', '0'];
    const desk = desktop(workedAnswers + gAnswers.join('\\n') + '\\n', 's'.repeat(30) + 'fYg');
    // An iPhone 13 with its browser's bars: 390 x 664 CSS pixels for the page.
    const phone = puppeteer.KnownDevices['iPhone 13'];
    const page = await openPage(browser, { device: { ...phone, viewport: { ...phone.viewport, height: 664 } } });
    for (const line of workedExample) await tapLine(page, line);
    await page.waitForFunction(() => fvPage.waiting === 'key');
    await page.keyboard.sendCharacter(workedKey);
    await page.waitForFunction(() => fvPage.state === 'window');
    // The picture, Play/Pause, s and f on the screen at once, unscrolled.
    const layout = await page.evaluate(() => ['#window', '#play', '[data-key="s"]', '[data-key="f"]'].map((s) => {
      const r = document.querySelector(s).getBoundingClientRect();
      return r.top >= 0 && r.left >= 0 && r.bottom <= innerHeight && r.right <= innerWidth;
    }).concat(scrollX === 0 && scrollY === 0));
    assert.deepEqual(layout, [true, true, true, true, true]);
    const keys = await page.$$eval('#keypad button', (bs, target) => bs.map((b) => {
      const r = b.getBoundingClientRect();
      return [b.dataset.key, r.width >= target && r.height >= target, /[ぁ-んァ-ン一-龥]/.test(b.textContent) && /[A-Za-z]{2}/.test(b.textContent)];
    }), touchTarget);
    assert.deepEqual(keys.map((k) => k[0]), [' ', 's', 'f', 'w', 'r', 'e', 'a', 'y', 'Y', 't', 'T', 'x', 'X', 'm', 'g', 'j', 'Escape']);
    assert.ok(keys.every((k) => k[1] && k[2]), JSON.stringify(keys));
    await page.tap('#play');
    await page.waitForFunction(() => fvPage.pending === 0);
    for (const key of 's'.repeat(30) + 'fYg') await page.tap(`[data-key="${key}"]`);
    await tapLine(page, gAnswers[0]);
    await page.waitForFunction(() => fvPage.waiting === 'key');
    await page.keyboard.sendCharacter(gAnswers[1]);
    await page.waitForFunction(() => fvPage.state === 'window');
    await page.tap('[data-key="Escape"]');
    await page.waitForFunction(() => fvPage.state === 'ended');
    assert.deepEqual(Buffer.from(await page.evaluate(() => fvPage.stdout)), desk.stdout);
    await page.tap('#restart');
    await page.waitForFunction(() => fvPage.waiting === 'line');
    await closePage(page);
  });

  test('on a phone the line that r prints is on the screen after the tap', async () => {
    const phone = puppeteer.KnownDevices['iPhone 13'];
    const page = await workedPage(browser, { device: { ...phone, viewport: { ...phone.viewport, width: 390, height: 844 } } });
    await page.tap('button[data-key="r"]');
    const seen = await page.evaluate(() => {
      const latest = document.getElementById('latest');
      const r = latest.getBoundingClientRect();
      return { text: latest.textContent, onScreen: r.top >= 0 && r.bottom <= innerHeight && r.height > 0 };
    });
    assert.match(seen.text, /^測定：/);
    assert.ok(seen.onScreen, JSON.stringify(seen));
    await closePage(page);
  });

  test('on a tablet the key pad steps the picture', async () => {
    const page = await openPage(browser, { device: puppeteer.KnownDevices['iPad Mini'] });
    for (const line of workedExample) await tapLine(page, line);
    await page.waitForFunction(() => fvPage.waiting === 'key');
    await page.keyboard.sendCharacter(workedKey);
    await page.waitForFunction(() => fvPage.state === 'window');
    await page.tap('#play');
    await page.waitForFunction(() => fvPage.pending === 0);
    const frames = await page.evaluate(() => fvPage.framesDrawn);
    await page.tap('[data-key="s"]');
    assert.equal(await page.evaluate(() => fvPage.framesDrawn), frames + 1);
    await closePage(page);
  });

  test('the key pad\'s e draws the energy view and says what it measured; e again hides it', async () => {
    const page = await workedPage(browser);
    const frames = await page.evaluate(() => fvPage.framesDrawn);
    await page.click('[data-key="e"]');
    // Not yet a forcing period of 6.28 s: the present values instead.
    await page.waitForFunction(() => document.getElementById('console').textContent
      .includes('エネルギー / energy (1 周期に満たない、今 / less than one forcing period, now t= '));
    await page.waitForFunction((n) => fvPage.framesDrawn === n, {}, frames + 1);
    const named = (on) => page.waitForFunction((on) => document.getElementById('window')
      .getAttribute('aria-label').includes('The energy view is shown') === on, {}, on);
    await named(true);
    await page.click('[data-key="e"]');
    await page.waitForFunction((n) => fvPage.framesDrawn === n, {}, frames + 2);
    await named(false);
    await closePage(page);
  });

  test('a tap on the time plot reads it into the picture\'s name; an arrow moves it a frame on; r measures', async () => {
    const page = await workedPage(browser, { device: puppeteer.KnownDevices['iPad Mini'] });
    await thirtyFramesOn(page);
    const frames = await page.evaluate(() => fvPage.framesDrawn);
    // Window pixel (30, 400): sample 17 of 30, 0.04 s apart, so 13 frames before t = 1.20 s.
    const box = await page.$eval('#window', (c) => { const r = c.getBoundingClientRect(); return [r.left, r.top, r.width]; });
    await page.touchscreen.tap(box[0] + box[2] * 30.5 / 800, box[1] + box[2] * 400.5 / 800);
    // The motion stays at its frame of t = 1.20 s while the readout moves.
    const named = (t) => page.waitForFunction((t) => {
      const name = document.getElementById('window').getAttribute('aria-label');
      return name.includes('t = 1.20 s, y = ') && name.includes(`Readout: t=${t}[s]  y=`);
    }, {}, t);
    await named('  0.68');
    assert.equal(await page.evaluate(() => fvPage.framesDrawn), frames + 1);
    await page.keyboard.press('ArrowRight');
    await named('  0.72');
    // r measures the 1.2 s shown: not yet two forcing periods of 6.28 s.
    await page.tap('button[data-key="r"]');
    await page.waitForFunction(() => document.getElementById('console').textContent
      .endsWith('measured: fewer than two forcing periods so far, too little motion to measure\n'));
    await closePage(page);
  });

  test('base motion chosen beside the answer box runs as --excitation base; a link carries an excitation', async () => {
    const answers = ['1 0.4 4', '0.2 6'];
    const desk = desktop(answers.join('\n') + '\n1\n', '', ['--excitation', 'base']);
    const page = await openPage(browser);
    await page.select('#excitation', 'base');
    const asked = (words) => page.waitForFunction((words) => fvPage.waiting === 'line' &&
      document.getElementById('console').textContent.includes(words), {}, words);
    await asked('u = U*sin(ωf*t)');
    await answerDialog(page, answers, '1');
    assert.deepEqual(Buffer.from(await page.evaluate(() => fvPage.stdout)), desk.stdout);
    await page.waitForFunction(() => document.getElementById('window').getAttribute('aria-label')
      .includes('Excitation: base.'));
    // A link's excitation chooses the control's, and its run asks for the unbalance.
    await page.evaluate(() => { location.hash = '#answers=1%200.4%204%0A&excitation=unbalance'; });
    await asked('me*e*ω^2*sin(ω*t)');
    assert.equal(await page.$eval('#excitation', (e) => e.value), 'unbalance');
    await closePage(page);
  });

  test('frames, first picture and size: the page measures its own work', async (t) => {
    const page = await workedPage(browser);
    // Frame medians: the work the page does for a key (the program's frame and
    // the canvas calls), then the same until the canvas has drawn it.
    const medians = {};
    for (const flush of [false, true]) {
      await page.evaluate((f) => { fvPage.flushFrames = f; fvPage.frames = []; }, flush);
      await windowKeys(page, 's'.repeat(100) + 'f'.repeat(40));
      const frames = await page.evaluate(() => fvPage.frames);
      medians[flush] = ['s', 'f'].map((k) => median(frames.filter((f) => f.key === k).map((f) => f.ms)));
    }
    // From the page's load to its first picture, less the time spent answering.
    const [load, draw] = await page.evaluate(() => [fvPage.promptAt, fvPage.firstFrameAt - fvPage.lastAnswerAt]);
    const first = load + draw;
    const size = ['forced-vibration.js', 'forced-vibration.wasm']
      .reduce((sum, f) => sum + fs.statSync(path.join(pageDir, f)).size, 0);
    const ms = (v) => v.toFixed(2) + ' ms';
    t.diagnostic(`time-plot frame median ${ms(medians[false][0])} (${ms(medians[true][0])} drawn)`);
    t.diagnostic(`chart frame median ${ms(medians[false][1])} (${ms(medians[true][1])} drawn)`);
    t.diagnostic(`first picture ${ms(first)} after the page began to load, dialog aside (${ms(load)} to the first question, ${ms(draw)} from the last answer)`);
    t.diagnostic(`.js + .wasm ${size} bytes`);
    assert.ok(size <= sizeBudget, `${size} bytes`);
    await closePage(page);
  });
}

describe('Chromium', () => pageTests('chromium', true));
describe('Firefox ESR', { skip: !fs.existsSync(browsers.firefox.executablePath) && 'no /usr/bin/firefox-esr' },
         () => pageTests('firefox', false));
