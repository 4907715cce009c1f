// The web client's weight and load time on loopback, in Debian's headless Chromium.
//   QUIB_HOST_BIN=build/quibbleton-host node bench/web/page.mjs [loads]
// Weight: the body bytes of every file the page loads on opening (until the network has
// been idle for 200 ms; sounds come only after the first touch), against the 150 KB aim.
// Load: median of N cold loads (a fresh browser context each, so an empty cache) until the
// "Name" box is shown, and until the host's first WebSocket frame arrives; side by side
// with a baseline page of one box and a 1 KB module served by node on loopback, loaded the
// same way in the same run.
import http from 'node:http';
import { DESKTOP, ax, launchBrowser, startHost } from '../../tests/webclient/harness.mjs';

const loads = Number(process.argv[2] ?? 20);
const AIM = 150 * 1024;

// The baseline: what any page costs here (browser, loopback, the waits of this script).
const baselinePage = `<!doctype html><meta charset="utf-8"><title>b</title>
<script type="module" src="b.js"></script><label for="n">Name</label><input id="n">`;
const baselineScript = `// ${'x'.repeat(1000)}\nconst s = new WebSocket('ws://' + location.host + '/ws');`;
const baseline = http.createServer((req, res) => {
  const js = req.url === '/b.js';
  res.writeHead(js || req.url === '/' ? 200 : 404, {
    'Content-Type': js ? 'text/javascript' : 'text/html',
  });
  res.end(js ? baselineScript : req.url === '/' ? baselinePage : '');
});
baseline.on('upgrade', (req, socket) => socket.destroy());
await new Promise((r) => baseline.listen(0, '127.0.0.1', r));
const baselineUrl = `http://127.0.0.1:${baseline.address().port}/`;

const host = await startHost(['--tick-ms', '1000']);
const chrome = await launchBrowser();

// Marks, in the page's own clock (ms from the start of navigation), the first animation
// frame in which the "Name" box is shown and usable.
function markJoinForm() {
  const look = () => {
    const label = [...document.querySelectorAll('label')].find((l) => l.textContent.trim() === 'Name');
    const box = label?.control;
    if (box && box.getClientRects().length > 0 && !box.disabled) window.joinFormShownAt = performance.now();
    else requestAnimationFrame(look);
  };
  requestAnimationFrame(look);
}

// One cold load: ms to the join form, ms to the host's first frame (from then on the page
// can join; the baseline gets none), and the files with their body bytes.
async function load(url) {
  const context = await chrome.browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport(DESKTOP);
  await page.evaluateOnNewDocument(markJoinForm);
  const cdp = await page.createCDPSession();
  await cdp.send('Network.enable');
  let docStart = 0;
  cdp.on('Network.requestWillBeSent', (e) => {
    if (e.type === 'Document' && !docStart) docStart = e.timestamp;
  });
  const hello = new Promise((r) => cdp.once('Network.webSocketFrameReceived', (e) => r(e.timestamp)));
  const files = [];
  page.on('response', (r) => {
    files.push(r.buffer().then((b) => ({ url: r.url(), bytes: b.length }), () => ({ url: r.url(), bytes: 0 })));
  });
  await page.goto(url, { waitUntil: 'domcontentloaded' });
  await page.waitForSelector(ax('Name', 'textbox'), { visible: true });
  const shown = await page.waitForFunction(() => window.joinFormShownAt).then((h) => h.jsonValue());
  const ready = url === baselineUrl ? NaN : ((await hello) - docStart) * 1000;
  await page.waitForNetworkIdle({ idleTime: 200 });
  const done = await Promise.all(files);
  await context.close();
  return { shown, ready, files: done };
}

const median = (xs) => {
  const s = [...xs].sort((a, b) => a - b);
  return s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2;
};

try {
  const runs = { page: [], baseline: [] };
  let files = [];
  for (let i = 0; i < loads; ++i) {
    runs.baseline.push(await load(baselineUrl));
    const r = await load(host.url);
    runs.page.push(r);
    files = r.files;
  }
  const total = files.reduce((n, f) => n + f.bytes, 0);
  console.log(`## Web client\n`);
  console.log(`| File | Bytes |\n|---|---|`);
  for (const f of files) console.log(`| \`${new URL(f.url).pathname}\` | ${f.bytes} |`);
  console.log(`| **all ${files.length} files** | **${total}** (${(total / 1024).toFixed(1)} KiB, aim ${AIM / 1024} KiB: ${total <= AIM ? 'met' : 'missed'}) |\n`);
  console.log(`| Load to the join form (${loads} cold loads) | median ms | slowest ms |\n|---|---|---|`);
  const row = (name, xs) =>
    console.log(`| ${name} | ${median(xs).toFixed(1)} | ${Math.max(...xs).toFixed(1)} |`);
  row('baseline page: "Name" box shown', runs.baseline.map((r) => r.shown));
  row('Quibbleton page: "Name" box shown', runs.page.map((r) => r.shown));
  row("Quibbleton page: the host's `WEB_hello` received", runs.page.map((r) => r.ready));
} finally {
  await chrome.close();
  await host.stop();
  baseline.close();
}
