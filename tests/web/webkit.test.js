// The page in WebKitGTK, the engine of every browser on an iPad, through
// WebKitWebDriver (W3C WebDriver), against the Release build's desktop
// program (build/, FV_DESKTOP_BUILD). The browser gets an Xvfb of its own on
// a display it picks free, and the page a loopback server of its own. What
// an iPad user does, once each; page.test.js holds the rest.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync, spawn } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { Builder, By, Key } = require('selenium-webdriver');
const { DriverService } = require('selenium-webdriver/remote');

const root = path.resolve(__dirname, '..', '..');
const webBuild = process.env.FV_WEB_BUILD || path.join(root, 'build-web');
const pageDir = path.join(webBuild, 'page');
const desktopBuild = process.env.FV_DESKTOP_BUILD || path.join(root, 'build');
const driverPath = '/usr/bin/WebKitWebDriver';
// The worked example of the README: m λ K, F ωf, then the key for the
// steady-state start.
const worked = ['1 0.2 4', '1 1', '1'];
// How long one wait for the page's own signal may take before the test
// fails, ms: a bound on a hang, never a pause.
const signalTimeout = 60000;
const types = { '.html': 'text/html; charset=utf-8', '.css': 'text/css', '.js': 'text/javascript',
                '.wasm': 'application/wasm', '.png': 'image/png', '.webmanifest': 'application/manifest+json' };

let xvfb, service, server, driver, baseUrl, scratch;

// An Xvfb of its own: -displayfd has it take the first free display and
// write that display's number.
function startXvfb() {
  return new Promise((resolve, reject) => {
    const child = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'],
                        { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
    let text = '';
    child.stdio[3].on('data', (d) => { text += d; if (text.endsWith('\n')) resolve([child, ':' + text.trim()]); });
    child.on('exit', (code) => reject(new Error(`Xvfb ended (${code})`)));
  });
}

before(async () => {
  scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'fv-webkit-'));
  let display;
  [xvfb, display] = await startXvfb();
  // The driver's service waits until the driver answers on its port.
  service = new DriverService.Builder(driverPath).setLoopback(true)
    .setEnvironment({ ...process.env, DISPLAY: display }).build();
  const driverUrl = await service.start();
  server = http.createServer((req, res) => {
    const name = decodeURIComponent(req.url.split(/[?#]/)[0]).replace(/^\/+/, '') || 'index.html';
    const file = path.join(pageDir, path.normalize(name));
    fs.readFile(file, (err, body) => {
      if (err || !file.startsWith(pageDir)) { res.writeHead(404); res.end(); return; }
      if (name === 'index.html') body = body.toString().replace('<head>', '<head><script>' + catchErrors + '</script>');
      res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
      res.end(body);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  baseUrl = `http://127.0.0.1:${server.address().port}/`;
  driver = await new Builder().usingServer(driverUrl)
    .withCapabilities({ browserName: 'MiniBrowser', 'webkitgtk:browserOptions': { args: ['--automation'] } }).build();
});

after(async () => {
  if (driver) await driver.quit();
  if (server) server.close();
  if (service) await service.kill();
  xvfb?.kill();
  fs.rmSync(scratch, { recursive: true, force: true });
});

// Wait until the page's own state makes `condition` (a function body) true.
const until = (condition) => driver.wait(() => driver.executeScript(`return !!window.fvPage && (${condition})`), signalTimeout);
const stdout = async () => Buffer.from(await driver.executeScript('return fvPage.stdout'));

// Open url and wait for `condition`.
async function open(url, condition) {
  await driver.get(url);
  await until(condition);
}

// The page's uncaught errors, kept from the first script of a served page
// on (the server puts this in), from the call on in the single file.
const catchErrors = "window.fvErrors = []; addEventListener('error', (e) => fvErrors.push(String(e.message))); " +
                    "addEventListener('unhandledrejection', (e) => fvErrors.push(String(e.reason)));";
const pageErrors = () => driver.executeScript('return window.fvErrors');

// Type the answers into the answer box: lines, then the single key last.
async function answer(answers) {
  const box = await driver.findElement(By.id('answer'));
  const lines = answers.slice(0, -1), key = answers.at(-1);
  for (const line of lines) {
    await until("fvPage.waiting === 'line'");
    await box.sendKeys(line, Key.ENTER);
  }
  await until("fvPage.waiting === 'key'");
  await box.sendKeys(key);
  await until("fvPage.state === 'window' && fvPage.firstFrameAt !== null");
}

// The desktop program's standard output, given fv_drive's arguments: the
// answers typed (--answer-text, lines) and keys, or an answer file (--arg).
function desktop(...args) {
  const out = path.join(scratch, 'desktop.txt');
  execFileSync(path.join(desktopBuild, 'tools', 'fv_drive'),
               ['--program', path.join(desktopBuild, 'forced-vibration'), '--console', out, ...args], { stdio: 'inherit' });
  return fs.readFileSync(out);
}
const typed = (lines) => ['--answer-text', lines.join('\\n') + '\\n'];

test('the worked example, the key pad, a download, as the desktop program, and a reload', async () => {
  await open(baseUrl, "fvPage.waiting === 'line'");
  await answer(worked);
  assert.deepEqual(await stdout(), desktop(...typed(worked)));
  // Paused, then the key pad: s, f, w, and g with new answers.
  await driver.findElement(By.id('play')).click();
  await until("document.getElementById('play').textContent.endsWith('Play') && fvPage.pending === 0");
  const press = (key) => driver.findElement(By.css(`[data-key="${key}"]`)).click();
  for (const key of 'sfw') await press(key);
  await until("!document.getElementById('csv-sweep').disabled");
  await press('g');
  await answer(['2 3', '0']);
  assert.deepEqual(await stdout(), desktop(...typed([...worked, '2 3', '0']), '--keys', 'sfwg'));
  // The motion CSV's button hands the browser the program's file.
  await driver.executeScript("HTMLAnchorElement.prototype.click = function () { window.fvDownload = this; };");
  await driver.findElement(By.id('csv-motion')).click();
  const download = await driver.executeAsyncScript(`const done = arguments[0];
    fetch(fvDownload.href).then((r) => r.arrayBuffer()).then((b) => done({ name: fvDownload.download,
      bytes: [...new Uint8Array(b)], file: [...fvPage.program.FS.readFile('/' + fvDownload.download)] }));`);
  assert.equal(download.name, 'forced-vibration-motion.csv');
  assert.deepEqual(download.bytes, download.file);
  assert.match(Buffer.from(download.bytes).toString(), /\n\d/);
  assert.deepEqual(await pageErrors(), []);
  // A reload brings the run back from the page's journal, sweep and all.
  const csv = () => driver.executeScript("return [...fvPage.program.FS.readFile('/forced-vibration-motion.csv')]");
  const was = { out: await stdout(), csv: await csv() };
  await driver.navigate().refresh();
  await until('fvPage.restoredAt !== null');
  assert.deepEqual(await stdout(), was.out);
  assert.deepEqual(await csv(), was.csv);
  assert.deepEqual(await pageErrors(), []);
});

test('the single file from the disk and a #example= link', async () => {
  await open(pathToFileURL(path.join(webBuild, 'forced-vibration.html')).href, "fvPage.waiting === 'line'");
  await driver.executeScript(catchErrors);
  await answer(worked);
  assert.deepEqual(await stdout(), desktop(...typed(worked)));
  assert.deepEqual(await pageErrors(), []);
  await open(baseUrl + '#example=resonance', "fvPage.state === 'window'");
  assert.deepEqual(await stdout(), desktop('--arg', path.join(root, 'examples', 'resonance')));
  assert.deepEqual(await pageErrors(), []);
});
