// Shared pieces of the browser tests and the screenshot script: a real quibbleton-host on
// free ports, Debian's headless Chromium in a fresh profile, and one browser page per player
// whose WebSocket frames are watched through the DevTools protocol. The page is driven only
// through accessible names, as a screen reader sees it.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

export const hostBin =
  process.env.QUIB_HOST_BIN ?? path.resolve(import.meta.dirname, '../../build/quibbleton-host');
export const chromiumBin = process.env.QUIB_CHROMIUM ?? '/usr/bin/chromium';

// Safety net for every wait: far beyond anything an honest run needs.
export const WAIT_MS = 30000;

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Starts the host; resolves once it prints its first browser link. The page is opened on
// loopback at that link's port: the links name the machine's other addresses first.
export function startHost(args) {
  const proc = spawn(hostBin, ['--port', '0', '--web-port', '0', ...args], {
    stdio: ['ignore', 'pipe', 'pipe'],
  });
  let output = '';
  const exited = new Promise((resolve) =>
    proc.on('exit', (code, signal) => resolve({ code, signal })),
  );
  return new Promise((resolve, reject) => {
    const fail = (why) => {
      proc.kill('SIGKILL');
      reject(new Error(`${why}\n--- host output ---\n${output}`));
    };
    const timer = setTimeout(() => fail('the host printed no link'), WAIT_MS);
    const take = (chunk) => {
      output += chunk;
      const link = output.match(/http:\/\/[^\s/]+:(\d+)\//);
      if (!link) return;
      clearTimeout(timer);
      resolve({
        url: `http://127.0.0.1:${link[1]}/`,
        webPort: Number(link[1]),
        output: () => output,
        // SIGTERM, then the exit status: a sanitizer report makes it non-zero.
        async stop() {
          if (proc.exitCode === null && proc.signalCode === null) proc.kill('SIGTERM');
          return exited;
        },
      });
    };
    proc.stdout.setEncoding('utf8').on('data', take);
    proc.stderr.setEncoding('utf8').on('data', take);
    proc.on('error', (e) => fail(`cannot start ${hostBin}: ${e.message}`));
    exited.then(({ code, signal }) => fail(`the host ended early (${code ?? signal})`));
  });
}

// Debian's Chromium, headless, in a profile of its own that goes away on close. The flags
// keep it from reaching anything but the host on loopback.
export async function launchBrowser() {
  const userDataDir = fs.mkdtempSync(path.join(os.tmpdir(), 'quib-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromiumBin,
    headless: true,
    userDataDir,
    args: [
      '--headless',
      '--no-sandbox',
      '--disable-gpu',
      '--disable-quic',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      '--mute-audio',
    ],
  });
  return {
    browser,
    async close() {
      await browser.close().catch(() => {});
      fs.rmSync(userDataDir, { recursive: true, force: true });
    },
  };
}

export const PHONE = { width: 360, height: 640, isMobile: true, hasTouch: true, deviceScaleFactor: 2 };
export const DESKTOP = { width: 1280, height: 800, deviceScaleFactor: 1 };

// The accessibility-tree query puppeteer offers: exact accessible name, optional role.
export const ax = (name, role) => (role ? `aria/${name}[role="${role}"]` : `aria/${name}`);

// One player's page in a browser context of its own (own storage, so its own join token).
export class Player {
  static async open(browser, url, viewport) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    const player = new Player(page, viewport.hasTouch === true);
    await page.setViewport(viewport);
    await player.#watch();
    await page.goto(url);
    return player;
  }

  constructor(page, touch) {
    this.page = page;
    this.touch = touch;
    this.received = []; // frames the host sent the page, in order
    this.sent = []; // frames the page sent
    this.problems = []; // console errors, page errors, dialogs, CSP violations
    this.slot = 0;
    this.#waiters = new Set();
  }

  #waiters;

  async #watch() {
    const { page } = this;
    page.on('console', (m) => m.type() === 'error' && this.problems.push(`console: ${m.text()}`));
    page.on('pageerror', (e) => this.problems.push(`page error: ${e.message}`));
    page.on('dialog', (d) => {
      this.problems.push(`dialog: ${d.message()}`);
      d.dismiss().catch(() => {});
    });
    await page.evaluateOnNewDocument(() => {
      document.addEventListener('securitypolicyviolation', (e) =>
        console.error(`CSP violation: ${e.violatedDirective} ${e.blockedURI}`),
      );
    });
    const cdp = await page.createCDPSession();
    await cdp.send('Network.enable');
    cdp.on('Network.webSocketFrameReceived', ({ response }) => {
      if (response.opcode !== 1) return;
      this.received.push(response.payloadData);
      const slot = response.payloadData.match(/^CMD_sendlogininfo\+(\d+)/);
      if (slot) this.slot = Number(slot[1]);
      for (const w of this.#waiters) w();
    });
    cdp.on('Network.webSocketFrameSent', ({ response }) => {
      this.sent.push(response.payloadData);
      for (const w of this.#waiters) w();
    });
  }

  // The first frame at or after index `from` of `list` that matches; waits for it.
  frame(list, match, from = 0) {
    const find = () => {
      for (let i = from; i < list.length; ++i) if (match(list[i])) return { text: list[i], at: i };
      return null;
    };
    return new Promise((resolve, reject) => {
      const done = () => {
        const hit = find();
        if (!hit) return;
        this.#waiters.delete(done);
        clearTimeout(timer);
        resolve(hit);
      };
      const timer = setTimeout(() => {
        this.#waiters.delete(done);
        reject(new Error(`no frame matched ${match} (last: ${list.slice(-5).join(' | ')})`));
      }, WAIT_MS);
      this.#waiters.add(done);
      done();
    });
  }

  async find(selector) {
    return this.page.waitForSelector(selector, { visible: true, timeout: WAIT_MS });
  }

  // A tap on the phone; elsewhere the keyboard alone: the control must be in the tab order
  // and answer Enter (Space for a check box).
  async press(selector) {
    const el = await this.find(selector);
    if (this.touch) {
      await el.tap();
      return el;
    }
    const { tabbable, box } = await el.evaluate((e) => ({
      tabbable: e.tabIndex >= 0 && !e.disabled,
      box: e.type === 'checkbox' || e.type === 'radio',
    }));
    if (!tabbable) throw new Error(`${selector} cannot be reached with the keyboard`);
    await el.focus();
    await this.page.keyboard.press(box ? 'Space' : 'Enter');
    return el;
  }

  // Replaces the text of a box and, when asked, sends it with Enter.
  async type(selector, text, { enter = false } = {}) {
    const el = await this.find(selector);
    if (this.touch) await el.tap();
    else await el.focus();
    await el.evaluate((e) => e.select());
    await el.type(text);
    if (enter) await this.page.keyboard.press('Enter');
    return el;
  }

  // Waits until an element found by `selector` has a text content that passes `test`.
  async text(selector, test) {
    const end = Date.now() + WAIT_MS;
    let seen = [];
    while (Date.now() < end) {
      seen = await Promise.all(
        (await this.page.$$(selector)).map((h) => h.evaluate((e) => e.textContent).catch(() => '')),
      );
      const hit = seen.find(test);
      if (hit !== undefined) return hit;
      await sleep(50);
    }
    throw new Error(`${selector}: no text passed ${test} (saw ${JSON.stringify(seen)})`);
  }

  // Waits until the page shows `text` somewhere as visible text.
  async shows(text) {
    await this.page.waitForFunction((t) => document.body.innerText.includes(t), { timeout: WAIT_MS }, text);
  }

  async join(name) {
    this.name = name;
    await this.type(ax('Name', 'textbox'), name);
    await this.press(ax('Join', 'button'));
    await this.frame(this.received, (f) => f.startsWith('CMD_newplayerinfo+') && this.slot !== 0 &&
      f.startsWith(`CMD_newplayerinfo+${this.slot}+`));
  }
}

// An answer that fits the letters: each word begins with its letter and carries `tail`.
export const acroFor = (letters, tails) =>
  [...letters].map((l, i) => l + tails[i % tails.length]).join(' ');
