// The teacher's page: a class made and pasted hand-ins graded on the page
// give the very bytes of the desktop program's --make-class and --grade.
// Headless Chromium against the Release build (build/, FV_DESKTOP_BUILD).
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
const axeSource = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');

// Hand-ins of the class web-class of 5 (the same on every machine): student
// 1 right, student 2 10 % high with m left out, student 1 again, and
// student 2's with one digit mistyped.
const handIns = ['5V52-KRVV-RXW8/3.623/0.261/0.261/9.747/0.758/0/EHD5',
  '3AK9-JVU4-FSQK/7.247/0.097/0.097/199.1//1/TEQW',
  '5V52-KRVV-RXW8/3.623/0.261/0.261/9.747/0.758/0/EHD5',
  '3AK9-JVU4-FSQK/7.247/0.097/0.097/199.2//1/TEQW'].join('\n');

const types = { '.html': 'text/html; charset=utf-8', '.css': 'text/css', '.js': 'text/javascript',
                '.wasm': 'application/wasm', '.webmanifest': 'application/manifest+json' };
let browser;
let server;
let scratch;

before(async () => {
  scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'fv-teacher-'));
  server = http.createServer((req, res) => {
    const name = decodeURIComponent(req.url.split(/[?#]/)[0]).replace(/^\/+/, '') || 'index.html';
    const file = path.join(pageDir, path.normalize(name));
    fs.readFile(file, (err, body) => {
      if (err || !file.startsWith(pageDir)) { res.writeHead(404); res.end(); return; }
      res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
      res.end(body);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-background-networking', '--disable-component-update',
           '--disable-sync', '--no-first-run', `--user-data-dir=${path.join(scratch, 'profile')}`],
  });
});

after(async () => {
  if (browser) await browser.close();
  if (server) { server.closeAllConnections(); server.close(); }
  fs.rmSync(scratch, { recursive: true, force: true });
});

// The desktop program's standard output in the scratch folder.
const desktop = (...args) => execFileSync(path.join(desktopBuild, 'forced-vibration'), args,
  { cwd: scratch, encoding: 'utf8' });

test('the teacher page makes and grades a class as the desktop program does', async () => {
  desktop('--make-class', 'web-class', '5');
  fs.writeFileSync(path.join(scratch, 'hand-ins.txt'), handIns);
  const printed = desktop('--grade', 'web-class-key.csv', 'hand-ins.txt');

  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  await page.goto(`http://127.0.0.1:${server.address().port}/teacher.html`);
  await page.waitForFunction(() => window.fvTeacher && fvTeacher.ready);
  await page.type('#class-name', 'web-class');
  await page.$eval('#count', (input) => { input.value = '5'; });
  await page.click('#make-class');
  await page.waitForFunction(() => fvTeacher.made === 1);
  const made = await page.evaluate(() => ({ key: fvTeacher.key, sheets: fvTeacher.sheets }));
  assert.equal(made.key, fs.readFileSync(path.join(scratch, 'web-class-key.csv'), 'utf8'));
  // A sheet for each student, each with the QR code of its link.
  assert.equal(made.sheets.match(/<section class="sheet">/g).length, 5);
  assert.equal(made.sheets.match(/<svg /g).length, 5);
  assert.match(made.sheets, /127\.0\.0\.1:\d+\/#specimen=5V52-KRVV-RXW8/);

  await page.$eval('#hand-ins', (area, text) => { area.value = text; }, handIns);
  await page.click('#grade-class');
  await page.waitForFunction(() => fvTeacher.graded === 1);
  const graded = await page.evaluate(() => ({ grades: fvTeacher.grades, report: fvTeacher.report }));
  assert.equal(graded.grades, fs.readFileSync(path.join(scratch, 'web-class-grades.csv'), 'utf8'));
  assert.equal(graded.report + ' → web-class-grades.csv\n', printed);
  const faults = await page.evaluate(async (src) => {
    (0, eval)(src);
    return (await axe.run(document)).violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`);
  }, axeSource);
  assert.deepEqual(faults, [], 'axe');
  assert.deepEqual(errors, []);
});
