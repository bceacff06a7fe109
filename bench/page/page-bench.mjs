// The web page on a school Chromebook's budget: headless Chromium with its
// CPU slowed 6 times (the DevTools Protocol's Emulation.setCPUThrottlingRate),
// a Celeron-class processor's speed against this machine's. Prints one
// table: play's frame rate, the p95 of s and of a chart key (the frame's
// work until the canvas has drawn it), the sweep's wall time and the longest
// task while it runs (playing, and paused after f and 15 x x/X, watched from
// the key until the sweep's last frame), and the time a reload takes to bring
// back a run of 30 minutes of play (45,000 frames) from the page's journal, at
// this rate and without throttling.
//
//   node bench/page/page-bench.mjs [--rate 6] [--sweeps 3]
//
// Needs the web build (bash scripts/build-web.sh; build-web/page, or
// FV_PAGE_DIR) and the page tests' npm packages (bash scripts/setup.sh test).
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
const puppeteer = createRequire(path.join(root, 'tests', 'web', 'package.json'))('puppeteer-core');
const pageDir = process.env.FV_PAGE_DIR || path.join(root, 'build-web', 'page');
const option = (name, value) => {
  const i = process.argv.indexOf('--' + name);
  return i > 0 ? Number(process.argv[i + 1]) : value;
};
// How many times slower than this machine's the page's processor runs.
const rate = option('rate', 6);
const sweeps = option('sweeps', 3);
// Frames of play counted, keys timed: enough for a p95.
const playFrames = 75;
const stepKeys = 100;
const chartKeys = 60;
// The goals the page is to meet on such a machine.
const goals = { fps: [24, 26], chartP95: 16.7, sweepLongest: 50, sweepWall: 2000, replay: { 1: 1000, [rate]: 3000 } };
// Frames of play in the journal replayed: 30 minutes at 25 frames a second.
const replayFrames = 45000;

const types = { '.html': 'text/html; charset=utf-8', '.css': 'text/css', '.js': 'text/javascript',
                '.wasm': 'application/wasm' };
// The page's folder on a loopback port, without its service worker.
const server = http.createServer((req, res) => {
  const name = decodeURIComponent(req.url.split(/[?#]/)[0]).replace(/^\/+/, '') || 'index.html';
  const file = path.join(pageDir, path.normalize(name));
  fs.readFile(file, (err, body) => {
    if (err || name === 'sw.js' || !file.startsWith(pageDir)) { res.writeHead(404); res.end(); return; }
    res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    res.end(body);
  });
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'fv-page-bench-'));
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium', headless: true, protocolTimeout: 0,
  args: ['--headless', '--no-sandbox', '--use-gl=swiftshader', '--enable-unsafe-swiftshader',
         '--disable-gpu-sandbox', '--disable-background-networking', '--disable-component-update',
         '--disable-sync', '--no-first-run', `--user-data-dir=${scratch}`],
});

const progress = (what) => process.stderr.write(`page-bench: ${what}\n`);
const quantile = (values, q) => {
  const s = [...values].sort((a, b) => a - b);
  return s[Math.min(s.length - 1, Math.floor(q * s.length))];
};

try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1400, height: 900 });
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  await page.bringToFront();
  const cdp = await page.createCDPSession();
  await cdp.send('Emulation.setCPUThrottlingRate', { rate });
  // The key pad's buttons, clicked in the page: the same path as a key on
  // the picture, and no wait on the browser's input pipeline, which a
  // throttled renderer can hold up.
  const press = (key) => page.evaluate((k) => document.querySelector(`[data-key="${k}"]`).click(), key);
  // Every long task (50 ms and more) from here on, for the sweep's window.
  await page.evaluate(() => {
    window.longTasks = [];
    new PerformanceObserver((list) => longTasks.push(...list.getEntries().map((e) => [e.startTime, e.duration])))
      .observe({ type: 'longtask' });
  });
  // The worked example's answers: both lines, then the steady start's key.
  const answerWorkedExample = async () => {
    for (const line of ['1 0.2 4', '1 1']) {
      await page.waitForFunction(() => fvPage.waiting === 'line', { timeout: 0 });
      await page.type('#answer', line);
      await page.keyboard.press('Enter');
    }
    await page.waitForFunction(() => fvPage.waiting === 'key', { timeout: 0 });
    await page.keyboard.press('1');
  };
  await answerWorkedExample();

  progress('play');
  // Play, from its first frame: frames per second over playFrames frames.
  const fps = await page.evaluate((count) => new Promise((resolve) => {
    let n0 = null, t0;
    const look = () => {
      if (n0 === null && fvPage.framesDrawn > 0) { n0 = fvPage.framesDrawn; t0 = performance.now(); }
      if (n0 !== null && fvPage.framesDrawn >= n0 + count) {
        resolve((fvPage.framesDrawn - n0) / ((performance.now() - t0) / 1000));
      } else requestAnimationFrame(look);
    };
    look();
  }), playFrames);

  progress('s and f');
  // Paused, the keys one by one, each frame timed until drawn.
  await press(' ');
  await page.waitForFunction(() => document.getElementById('play').textContent.endsWith('Play') && fvPage.pending === 0,
                             { timeout: 0 });
  await page.evaluate(() => { fvPage.flushFrames = true; fvPage.frames = []; });
  for (let i = 0; i < stepKeys; i++) await press('s');
  for (let i = 0; i < chartKeys; i++) await press('f');
  const frames = await page.evaluate(() => { fvPage.flushFrames = false; return fvPage.frames; });
  const ms = (key) => frames.filter((f) => f.key === key).map((f) => f.ms);

  await press(' ');
  // The sweeps: from the key to the frame with every square, and the
  // longest task between.
  const sweepRuns = [];
  for (let i = 0; i < sweeps; i++) {
    progress(`sweep ${i + 1}`);
    // While it plays, as a student sweeps; the last one paused, after f and
    // 15 x x/X. The sweep ends with its last frame, the one with every square
    // (the snapshot says no sweep is under way any more).
    const paused = i + 1 === sweeps;
    if (paused) {
      await press(' ');
      await page.waitForFunction(() => !fvPage.snapshot.playing && fvPage.pending === 0, { timeout: 0 });
      await press('f');
      for (let k = 0; k < 15; k++) await press(k % 2 ? 'X' : 'x');
    }
    await page.evaluate(() => { window.sweepFrom = performance.now(); window.sweepTo = null; });
    await press('w');
    await page.waitForFunction(() => {
      if (sweepTo === null && fvPage.snapshot.sweep === null) sweepTo = performance.now();
      return sweepTo !== null;
    }, { timeout: 0 });
    // The observer hears of a long task after it; two frames later it has.
    await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
    sweepRuns.push(await page.evaluate(() => ({
      wall: sweepTo - sweepFrom,
      longest: Math.max(0, ...longTasks.filter(([t]) => t >= sweepFrom).map(([, d]) => d)),
      count: longTasks.filter(([t]) => t >= sweepFrom).length,
    })));
    // A new dialog (m, the same answers) so that the next w sweeps afresh.
    if (i + 1 < sweeps) {
      await press('m');
      await answerWorkedExample();
      await page.waitForFunction(() => fvPage.state === 'window', { timeout: 0 });
    }
  }

  // A reload of a run with 30 minutes of play: the worked example in a tab
  // of its own, paused, its journal given the frames of play, then the page
  // loaded again at this rate and at none. The time from the start of the
  // load to the run on show.
  progress('replay');
  await page.close();
  const replayPage = await browser.newPage();
  await replayPage.setViewport({ width: 1400, height: 900 });
  await replayPage.goto(`http://127.0.0.1:${server.address().port}/`);
  await replayPage.bringToFront();
  for (const line of ['1 0.2 4', '1 1']) {
    await replayPage.waitForFunction(() => fvPage.waiting === 'line', { timeout: 0 });
    await replayPage.type('#answer', line);
    await replayPage.keyboard.press('Enter');
  }
  await replayPage.waitForFunction(() => fvPage.waiting === 'key', { timeout: 0 });
  await replayPage.keyboard.press('1');
  await replayPage.waitForFunction(() => fvPage.snapshot && fvPage.snapshot.playing, { timeout: 0 });
  await replayPage.click('#play');
  await replayPage.waitForFunction(() => !fvPage.snapshot.playing && fvPage.pending === 0, { timeout: 0 });
  const replayCdp = await replayPage.createCDPSession();
  await replayPage.evaluate((frames) => {
    const tab = sessionStorage.getItem('fv-journal-tab');
    const head = JSON.parse(localStorage.getItem(`fv-journal/${tab}/head`));
    const last = `fv-journal/${tab}/${head.chunks - 1}`;
    localStorage.setItem(last, JSON.stringify(JSON.parse(localStorage.getItem(last)).concat([['d', frames]])));
  }, replayFrames);
  const replays = {};
  for (const r of [rate, 1]) {
    await replayCdp.send('Emulation.setCPUThrottlingRate', { rate: r });
    await replayPage.reload();
    await replayPage.waitForFunction(() => window.fvPage && fvPage.restoredAt !== null, { timeout: 0 });
    replays[r] = await replayPage.evaluate(() => [fvPage.restoredAt, fvPage.snapshot.frame.t]);
  }

  const f2 = (v) => v.toFixed(1);
  const sweepWall = sweepRuns.map((r) => r.wall);
  const longest = Math.max(...sweepRuns.map((r) => r.longest));
  const rows = [
    ['play, frames per second', `25 ± 1`, f2(fps), fps >= goals.fps[0] && fps <= goals.fps[1]],
    ['s, drawn, ms', '—', `${f2(quantile(ms('s'), 0.5))} median, ${f2(quantile(ms('s'), 0.95))} p95`, null],
    ['f (chart), drawn, ms', `p95 ≤ ${goals.chartP95}`, `${f2(quantile(ms('f'), 0.5))} median, ${f2(quantile(ms('f'), 0.95))} p95`,
     quantile(ms('f'), 0.95) <= goals.chartP95],
    ['sweep, wall time, ms', `≤ ${goals.sweepWall}`, sweepWall.map(f2).join(', '), Math.max(...sweepWall) <= goals.sweepWall],
    ['longest task during a sweep, ms', `< ${goals.sweepLongest}`,
     longest ? `${sweepRuns.map((r) => f2(r.longest)).join(', ')} (the last paused; ${sweepRuns.map((r) => r.count).join(', ')} long tasks)`
             : 'none of 50 or more',
     longest < goals.sweepLongest],
    ...[rate, 1].map((r) => [`reload of 45,000 frames of play at ${r}x, ms`, `≤ ${goals.replay[r]}`,
      `${f2(replays[r][0])} from the start of the load to the run on show, at t = ${f2(replays[r][1])} s`,
      replays[r][0] <= goals.replay[r]]),
  ];
  console.log(`\nThe page under Chromium's CPU throttling at ${rate}x; ${os.cpus().length} cores, ` +
              `${os.cpus()[0].model}; load ${os.loadavg().map((l) => l.toFixed(2)).join(' ')}\n`);
  console.log('| figure | goal | the page | verdict |\n|---|---|---|---|');
  for (const [name, goal, got, met] of rows) {
    console.log(`| ${name} | ${goal} | ${got} | ${met === null ? '–' : met ? 'met' : 'missed'} |`);
  }
} finally {
  await browser.close();
  server.close();
  fs.rmSync(scratch, { recursive: true, force: true });
}
