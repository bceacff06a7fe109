// Take a picture of the web page in headless Chromium for the README.
//
// Usage: node scripts/web-screenshot.js [OUTPUT.png]   (default docs/web-page.png)
//
// Needs the page built (scripts/build-web.sh) and the test driver installed
// (scripts/setup.sh test). The page is served from a private loopback
// port, answered with the worked example, paused, and shown after 'j' (the
// steady start again), 150 x 's' and 'f', as the desktop window in docs/screenshot-window.png, with the key
// pad and the console beside it.
'use strict';
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');

const root = path.resolve(__dirname, '..');
const puppeteer = require(path.join(root, 'tests', 'web', 'node_modules', 'puppeteer-core'));
const pageDir = path.join(root, 'build-web', 'page');
const output = path.resolve(process.argv[2] || path.join(root, 'docs', 'web-page.png'));
const types = { '.html': 'text/html; charset=utf-8', '.css': 'text/css', '.js': 'text/javascript',
                '.wasm': 'application/wasm' };

(async () => {
  const server = http.createServer((req, res) => {
    const name = path.basename(req.url.split('?')[0]) || 'index.html';
    fs.readFile(path.join(pageDir, name), (err, body) => {
      res.writeHead(err ? 404 : 200, { 'Content-Type': types[path.extname(name)] || 'application/octet-stream' });
      res.end(err ? '' : body);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'fv-shot-'));
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--use-gl=swiftshader', '--enable-unsafe-swiftshader',
           '--disable-gpu-sandbox', '--no-first-run', `--user-data-dir=${profile}`],
  });
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1440, height: 840 });
    await page.goto(`http://127.0.0.1:${server.address().port}/`);
    for (const line of ['1 0.2 4', '1 1']) {
      await page.waitForFunction(() => fvPage.waiting === 'line');
      await page.type('#answer', line);
      await page.keyboard.press('Enter');
    }
    await page.waitForFunction(() => fvPage.waiting === 'key');
    await page.keyboard.press('1');
    await page.waitForFunction(() => fvPage.state === 'window');
    // Hold the motion still and start it again with 'j', so that the keys
    // alone choose the picture.
    await page.click('#play');
    await page.waitForFunction(() => fvPage.pending === 0);
    await page.focus('#window');
    await page.keyboard.press('j');
    await page.waitForFunction(() => fvPage.waiting === 'key');
    await page.keyboard.press('1');
    await page.waitForFunction(() => fvPage.state === 'window' && document.activeElement.id === 'window');
    for (const k of 's'.repeat(150) + 'f') await page.keyboard.press(k);
    // The panel from its top: the worked example's answers.
    await page.$eval('#console', (c) => { c.scrollTop = 0; });
    await page.screenshot({ path: output });
    console.log(`saved ${output}`);
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
})().catch((e) => { console.error(e); process.exit(1); });
