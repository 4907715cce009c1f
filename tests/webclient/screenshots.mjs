// Pictures of the web client for the docs: a round's voting stage on a phone (360x640) and
// in a desktop window, two browser players with three computer players.
//   QUIB_HOST_BIN=build/quibbleton-host node tests/webclient/screenshots.mjs [out folder]
import path from 'node:path';
import { DESKTOP, PHONE, Player, ax, launchBrowser, startHost } from './harness.mjs';

const out = path.resolve(process.argv[2] ?? path.join(import.meta.dirname, '../../docs/screenshots'));
// Two words a letter, so the two browser players write different answers.
const words = {
  A: 'Always Angry', B: 'Bring Big', C: 'Cake Cold', D: 'Dancing Dogs', E: 'Every Eager',
  F: 'Friends Fancy', G: 'Giggle Green', H: 'Happily Hungry', I: 'In Icy', J: 'Jolly Juicy',
  K: 'Kitchens Kind', L: 'Loudly Lazy', M: 'Many Moody', N: 'Nights Noisy', O: 'Over Odd',
  P: 'Pizza Purple', Q: 'Quietly Quick', R: 'Running Red', S: 'Silly Sleepy', T: 'Tigers Tiny',
  U: 'Under Ugly', V: 'Very Violet', W: 'Wild Wet', X: 'Xylophones Xtra', Y: 'Yelling Young',
  Z: 'Zebras Zany',
};

const host = await startHost(['--bots', '3', '--tick-ms', '200', '--seed', '11']);
const chrome = await launchBrowser();
try {
  const ann = await Player.open(chrome.browser, host.url, PHONE);
  await ann.join('Ann');
  await ann.find(ax('Start Game', 'button'));
  const ben = await Player.open(chrome.browser, host.url, DESKTOP);
  await ben.join('Ben');
  await ann.type(ax('Chat', 'textbox'), 'Hi all, ready?', { enter: true });
  await ben.type(ax('Chat', 'textbox'), '/me grabs a snack', { enter: true });
  await ann.press(ax('Start Game', 'button'));
  for (const [p, pick] of [[ann, 0], [ben, 1]]) {
    const { text } = await p.frame(p.received, (f) => f.startsWith('CMD_theletters+'));
    const letters = text.split('+')[2];
    const acro = [...letters].map((l) => words[l].split(' ')[pick]).join(' ');
    await p.type(ax('Your acro', 'textbox'), acro, { enter: true });
  }
  for (const p of [ann, ben]) {
    await p.frame(p.received, (f) => f.startsWith('CMD_dovote+'));
    // The answers drawn as buttons: wait for one of a computer player's.
    const { text } = await p.frame(p.received, (f) => f.startsWith('CMD_anacro'));
    const items = text.slice('CMD_anacro+'.length).split('+');
    const other = items.findIndex((v, i) => i % 2 === 0 && Number(v) !== p.slot);
    await p.find(ax(items[other + 1].replaceAll('~', '+'), 'button'));
  }
  await ann.page.screenshot({ path: path.join(out, 'web_phone.png') });
  await ben.page.screenshot({ path: path.join(out, 'web_desktop.png') });
  console.log(`wrote ${out}/web_phone.png and web_desktop.png`);
} finally {
  await chrome.close();
  await host.stop();
}
