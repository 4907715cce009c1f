// A whole game in real headless Chromium: two browser players (a phone and a desktop
// window) and the host's computer player, from the join form to the winner. The phone
// plays by touch, the desktop by keyboard alone. Every text
// the players type carries markup, which must come out as literal text on the other page.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import http from 'node:http';
import { randomBytes } from 'node:crypto';
import { DESKTOP, PHONE, Player, WAIT_MS, acroFor, ax, launchBrowser, startHost } from '../harness.mjs';

const TICK_MS = process.env.QUIB_E2E_TICK_MS ?? '150';
let host;
let chrome;

before(async () => {
  host = await startHost(['--bots', '1', '--tick-ms', TICK_MS, '--seed', '7', '--rating', 'e']);
  chrome = await launchBrowser();
});

after(async () => {
  await chrome?.close();
  if (!host) return;
  const { code, signal } = await host.stop();
  assert.equal(code, 0, `host exit ${code ?? signal}\n${host.output()}`);
});

// Sends a WebSocket upgrade for /ws with the given Origin (and Host); the HTTP status, or
// 'closed'.
function upgrade(origin, hostName = `127.0.0.1:${host.webPort}`) {
  return new Promise((resolve) => {
    const req = http.request({
      host: '127.0.0.1',
      port: host.webPort,
      path: '/ws',
      headers: {
        Host: hostName,
        Connection: 'Upgrade',
        Upgrade: 'websocket',
        'Sec-WebSocket-Version': '13',
        'Sec-WebSocket-Key': randomBytes(16).toString('base64'),
        Origin: origin,
      },
    });
    req.on('upgrade', (res, socket) => {
      socket.destroy();
      resolve(res.statusCode);
    });
    req.on('response', (res) => {
      res.resume();
      resolve(res.statusCode);
    });
    req.on('error', () => resolve('closed'));
    req.end();
  });
}

test('a WebSocket upgrade from a foreign Origin or for a foreign Host is refused', async () => {
  const own = `http://127.0.0.1:${host.webPort}`;
  const rebound = `evil.example:${host.webPort}`;
  for (const [origin, accepted, hostName] of [
    [own, true],
    // Another site's name pointed at this machine, its page asking from its own origin.
    [`http://${rebound}`, false, rebound],
    ['http://evil.example', false],
    [`http://127.0.0.1.evil.example:${host.webPort}`, false],
    [`http://127.0.0.1:${host.webPort + 1}`, false],
    ['null', false],
  ]) {
    assert.equal((await upgrade(origin, hostName)) === 101, accepted, `Origin ${origin}`);
  }
});

// Elements a page would hold had it parsed any peer text as markup.
const injected = (page) =>
  page.evaluate(() =>
    [
      ...document.querySelectorAll('[onerror], [onload], script:not([src]), img[src="x"]'),
      ...[...document.querySelectorAll('b, i, u, s')].filter((e) =>
        ['Ann', 'Bob', 'Dogs', 'cats'].includes(e.textContent),
      ),
    ].map((e) => e.outerHTML),
  );

// What a phone user would suffer: sideways scrolling and buttons too small to hit.
const layoutFaults = (page) =>
  page.evaluate(() => {
    const faults = [];
    const wide = document.documentElement.scrollWidth;
    if (wide > innerWidth) faults.push(`scrolls sideways (${wide} > ${innerWidth})`);
    for (const b of document.querySelectorAll('button, [role="button"], input[type="submit"]')) {
      const r = b.getBoundingClientRect();
      if (r.height > 0 && r.height < 44)
        faults.push(`button "${b.textContent.trim() || b.getAttribute('aria-label')}" ${r.height}px high`);
    }
    return faults;
  });

const field = (frame, n) => frame.split('+')[n];
const lettersOf = (text) => text.replace(/[^A-Za-z]/g, '').toUpperCase();

// Plays one page through the game by what the host tells it (its WebSocket frames), acting
// only through accessible names. Resolves with the winner text.
// The two pages take turns to lead a round (`leads` picks the odd or the even rounds): the
// leader answers first and votes for the computer player, the other page votes for the
// leader. By the rules the leader then wins the round, whatever the computer player does
// (most votes, ties to the earliest answer), and so chooses the next category.
// `reloadIn`: the round in which the page is reloaded once it has answered.
async function play(p, partner, { team, tails, leads, pick, categories, phoneFaults, reloadIn }) {
  const did = { team: 0, chose: [], answered: 0, voted: 0, reloaded: '' };
  const partnerSlot = partner.slot; // the partner's page may be away for a moment
  let round = 0;
  const leading = () => round % 2 === leads;
  const check = async (stage) => {
    if (phoneFaults) for (const f of await layoutFaults(p.page)) phoneFaults.add(`${stage}: ${f}`);
  };
  let chooser = 0;
  let bonus = null; // slots that answer in the bonus round
  let mine = null; // this round's own answer
  for (let at = 0; ; ++at) {
    const { text: f } = await p.frame(p.received, () => true, at);
    const word = f.split('+')[0];
    const rest = f.slice(word.length + 1);
    assert.notEqual(word, 'WEB_left', `page of slot ${p.slot} lost its seat: ${f}`);
    if (word === 'CMD_teamgame') {
      await p.press(ax(team === 1 ? 'Yellow' : 'White', 'button'));
      await p.frame(p.sent, (s) => s === `CMD_chooseteam+${p.slot}+${team}+`);
      await check('team choice');
    } else if (word === 'CMD_histeam' && rest.split('+').length > 2) {
      const pairs = rest.split('+');
      for (let i = 0; i + 1 < pairs.length; i += 2)
        if (Number(pairs[i]) === p.slot) did.team = Number(pairs[i + 1]);
    } else if (word === 'CMD_nextplayer') {
      chooser = Number(field(rest, 0));
    } else if (word === 'CMD_cats' && chooser === p.slot) {
      // The offered list: buttons named by the categories the host serves.
      await p.find(ax('Own category', 'textbox'));
      const tree = await p.page.accessibility.snapshot();
      const offered = [];
      const walk = (n) => {
        if (n.role === 'button' && categories.includes(n.name)) offered.push(n.name);
        (n.children ?? []).forEach(walk);
      };
      walk(tree);
      assert.ok(offered.length > 0, 'the chooser is offered category buttons');
      await check('category choice');
      // An own category (with markup), or the first one offered.
      const category = pick ?? offered[0];
      if (pick) {
        await p.type(ax('Own category', 'textbox'), pick);
        await p.press(ax('Choose', 'button'));
      } else {
        await p.press(ax(category, 'button'));
      }
      await p.frame(p.sent, (s) => s === `CMD_catchoosen+${p.slot}+${category}`);
      did.chose.push(category);
    } else if (word === 'CMD_inbonus') {
      bonus = rest.split(',').map(Number);
    } else if (word === 'CMD_catchoosen') {
      await p.shows(rest);
    } else if (word === 'CMD_theletters') {
      mine = null;
      ++round;
      if (bonus && !bonus.includes(p.slot)) continue;
      const letters = field(rest, 1);
      await p.text(ax('Letters'), (t) => lettersOf(t) === letters);
      if (!bonus && !leading()) await p.frame(p.received, (r) => r === `CMD_entered+${partnerSlot}`, at);
      mine = acroFor(letters, tails);
      const box = await p.type(ax('Your acro', 'textbox'), mine);
      // Above the fold on a phone: the keyboard would cover anything lower.
      if (phoneFaults && !(await box.isIntersectingViewport())) phoneFaults.add('answer box out of view');
      await check('answer entry');
      await p.page.keyboard.press('Enter');
      // A family room: the host's filter masks the word, and the page shows what it kept.
      const cleaned = mine.replaceAll('twat', '****');
      const { text: reply } = await p.frame(p.received, (r) => r.startsWith('WEB_acrocheck+'), at);
      assert.equal(reply, `WEB_acrocheck+t+${cleaned === mine ? 'f' : 't'}+${cleaned}`);
      if (cleaned !== mine) {
        await p.shows('Acro filtered for inappropriate langauge.');
        assert.equal(await box.evaluate((e) => e.value), cleaned);
      }
      mine = cleaned;
      await p.frame(p.received, (r) => r === `CMD_entered+${p.slot}`, at);
      ++did.answered;
      if (round === reloadIn) {
        ({ at, to: did.reloaded } = await reloadSeated(p, mine));
      }
    } else if (word === 'CMD_anacro') {
      const listed = new Map();
      const items = rest.split('+');
      for (let i = 0; i + 1 < items.length; i += 2) listed.set(Number(items[i]), items[i + 1].replaceAll('~', '+'));
      if (mine !== null) {
        assert.equal(listed.get(p.slot), mine, 'own answer listed');
        const own = await p.page.$(ax(mine, 'button'));
        assert.ok(!own || (await own.evaluate((e) => e.disabled)), 'own answer cannot be voted for');
      }
      // Every other answer is a button.
      let target = !leading() && listed.has(partnerSlot) ? partnerSlot : 0;
      for (const [slot, acro] of listed) {
        if (slot === p.slot) continue;
        await p.find(ax(acro, 'button'));
        if (target === 0 && slot !== partnerSlot) target = slot;
      }
      if (target === 0 && listed.has(partnerSlot)) target = partnerSlot;
      if (target === 0) continue;
      await check('voting');
      await p.press(ax(listed.get(target), 'button'));
      await p.frame(p.sent, (s) => s === `CMD_choosenacro+${p.slot}+${target}+`);
      ++did.voted;
    } else if (word === 'CMD_winner') {
      await p.text(ax('Winner'), (t) => t.includes(rest));
      await check('winner');
      return { winner: rest, did };
    }
  }
}

// Reloads a seated page during answer entry: it comes back to its seat by itself (no
// typing), with its board row and score, and its answer while answers are open. Returns
// the index from which the game goes on and the stage it came back to.
async function reloadSeated(p, answer) {
  const [slot, from, sent] = [p.slot, p.received.length, p.sent.length];
  const rows = `[...document.querySelectorAll('li')].map((e) => e.getAttribute('aria-label') ?? '')`;
  const row = (await p.page.evaluate(rows)).find((r) => r.startsWith(`${p.name}, `));
  const kept = row.slice(0, row.indexOf(' points') + 7); // "name, N points"
  await p.page.reload();
  // The stage it left, or voting had answer entry closed meanwhile.
  const { text, at } = await p.frame(p.received, (f) => /^CMD_(youracro|anacro|noanswer)\+/.test(f), from);
  assert.equal(p.slot, slot, 'the same slot');
  const since = p.sent.slice(sent);
  assert.ok(since.includes(p.sent.find((s) => s.startsWith('WEB_join+'))), 'joined again with its token');
  assert.ok(!since.some((s) => s.startsWith('CMD_leaving+')), 'a reload is no leave');
  await p.page.waitForFunction(`${rows}.some((r) => r.startsWith(${JSON.stringify(kept)}))`, { timeout: WAIT_MS });
  assert.equal(await p.page.$(ax('Join', 'button')), null, 'no join form');
  if (!text.startsWith('CMD_youracro+')) return { at: at - 1, to: 'voting' };
  assert.equal(await (await p.find(ax('Your acro', 'textbox'))).evaluate((e) => e.value), answer);
  await p.shows('Answer Accepted');
  return { at, to: 'answer entry' };
}

test('a phone and a desktop browser play a whole team game with a computer player', async (t) => {
  const categories = await (await fetch(new URL('/categories.json', host.url))).json();
  const listed = [...categories.combo, ...categories.fixed];
  const phoneFaults = new Set();
  const ann = await Player.open(chrome.browser, host.url, PHONE);
  await ann.shows('This is a Family Oriented Game.');
  for (const f of await layoutFaults(ann.page)) phoneFaults.add(`join form: ${f}`);
  await ann.join('<b>Ann</b>');
  assert.equal(ann.slot, 2, 'slot 1 is the computer player; sockets that did not join hold none');
  await ann.frame(ann.received, (f) => f === 'WEB_rights+t+');
  await ann.find(ax('Start Game', 'button'));
  for (const f of await layoutFaults(ann.page)) phoneFaults.add(`game options: ${f}`);

  const bob = await Player.open(chrome.browser, host.url, DESKTOP);
  await bob.join('<i>Bob</i> &amp; co');
  assert.equal(await bob.page.$(ax('Start Game', 'button')), null, 'only the hosting player may start');
  await ann.shows('<i>Bob</i> &amp; co');
  await bob.shows('<b>Ann</b>');

  // Chat both ways, Enter sends.
  await ann.type(ax('Chat', 'textbox'), '<img src=x onerror=alert(1)>', { enter: true });
  await bob.shows('<img src=x onerror=alert(1)>');
  await bob.type(ax('Chat', 'textbox'), '/me waves <script>alert(3)</script>', { enter: true });
  await ann.shows('waves <script>alert(3)</script>');

  // A short team game of three rounds: after two nobody can have 15, after three the phone has.
  await ann.type(ax('Play to'), '15');
  await ann.type(ax('Time to write'), '45');
  await ann.press(ax('Team Game', 'checkbox'));
  await ann.press(ax('Start Game', 'button'));
  const { text: start } = await ann.frame(ann.sent, (s) => s.startsWith('CMD_startgame+'));
  assert.deepEqual([field(start, 2), field(start, 3), field(start, 6)], ['15', '45', 'team']);

  const [a, b] = await Promise.all([
    play(ann, bob, { team: 1, tails: ['<svg/onload=alert(2)>', 'ee'], leads: 1, pick: '<u>Dogs</u> & <s>cats</s>', categories: listed, phoneFaults }),
    play(bob, ann, { team: 2, tails: ['<u>Dogs</u>', 'oo', 'twats'], leads: 0, categories: listed, reloadIn: 3 }),
  ]);

  t.diagnostic(`winner ${a.winner}; phone ${JSON.stringify(a.did)}; desktop ${JSON.stringify(b.did)}`);
  assert.equal(a.winner, b.winner);
  assert.match(a.winner, /^The (Yellow|White) Team$/);
  assert.deepEqual([a.did.team, b.did.team], [1, 2], 'teams as chosen');
  assert.ok(b.did.reloaded, 'the desktop page was reloaded mid-game');
  // Leaving on purpose: the seat goes at once, and a reload would not join again.
  await bob.press(ax('Leave', 'button'));
  await bob.frame(bob.received, (f) => f === 'WEB_left+closed+');
  await ann.shows(`${bob.name} disconnected.`);
  assert.equal(await bob.page.evaluate(() => sessionStorage.length), 0);
  for (const { did } of [a, b]) {
    assert.ok(did.answered >= 3 && did.voted >= 3, JSON.stringify(did));
  }
  // Round 1 is the computer player's to choose, round 2 the phone's, round 3 the desktop's.
  assert.deepEqual(a.did.chose, ['<u>Dogs</u> & <s>cats</s>']);
  assert.equal(b.did.chose.length, 1);
  for (const p of [ann, bob]) {
    assert.deepEqual(await injected(p.page), [], 'no element made from peer text');
    assert.deepEqual(p.problems, [], 'no console errors, dialogs or CSP violations');
  }
  assert.deepEqual([...phoneFaults], [], 'phone layout');
});
