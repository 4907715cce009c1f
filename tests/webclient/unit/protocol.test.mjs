// The page's reading and writing of the game's messages.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  FieldReader, toNumber, splitEntry, readMessage, send, cutText, colourFromText, colourToCss, colourToText,
  splitChatText, chatLineParts, withoutMe, isDark, DefaultOptions, ParseError, Silver,
} from '../../../webclient/protocol.js';

test('numbers convert by the plain decimal rule', () => {
  const cases = [['7', 7], ['007', 7], ['-2', -2], ['2147483647', 2147483647], ['-2147483648', -2147483648],
    ['2147483648', null], ['+3', null], [' 3', null], ['3 ', null], ['', null], ['-', null], ['1e3', null], ['0x1', null]];
  for (const [text, want] of cases) assert.equal(toNumber(text), want, text);
});

test('the field reader takes fields up to "+" and lists end at "@"', () => {
  const r = new FieldReader('1+5+');
  assert.deepEqual([r.field(), r.field(), r.field(), r.rest()], ['1', '5', '', '']);
  const last = new FieldReader('abc');
  assert.equal(last.field(), ''); // no "+" left: empty, nothing removed
  assert.equal(last.rest(), 'abc');
  const list = FieldReader.forList('3+BRD');
  assert.equal(list.number(), 3);
  assert.equal(list.field(), 'BRD');
  assert.ok(list.listEnded());
  assert.throws(() => new FieldReader('x+').number(), (e) => e instanceof ParseError && e.message === "'x' is not a valid integer value");
});

test('entries without "+" or with an empty command word are not dispatched', () => {
  assert.equal(splitEntry('CMD_noanswer'), null);
  assert.equal(splitEntry('+x'), null);
  assert.deepEqual(splitEntry('CMD_noanswer+'), { word: 'CMD_noanswer', rest: '' });
  assert.equal(readMessage('CMD_nosuch+1'), null);
});

test('every message the host sends reads as the desktop reads it', () => {
  const cases = [
    ['CMD_newplayerinfo+3+Ann+Bob', { slot: 3, name: 'Ann+Bob' }],
    ['CMD_chat+Ann chats: hi|clRed', { line: 'Ann chats: hi', colour: 0x0000ff }],
    ['CMD_action+Ann  says: Thanks!', { line: 'Ann  says: Thanks!', colour: Silver }],
    ['CMD_startgame+Ann+30+60+t+10+t+f+', { starter: 'Ann', playTo: '30', creation: 60, bonus: 't', bonusLetters: '10', winningBonus: 't', speed: 'f' }],
    ['CMD_startgame+Ann+30+x+t+10+t+f+', { creation: null }],
    ['CMD_stats+4+30+60+t+1+1+2+2+x+1', { slot: 4, teamGame: true, teams: [{ slot: 1, team: 1 }, { slot: 2, team: 2 }] }],
    ['CMD_stats+4+30+60+f', { slot: 4, playTo: '30', creation: 60, teamGame: false, teams: [] }],
    ['CMD_histeam+1+1+2+2', { teams: [{ slot: 1, team: 1 }, { slot: 2, team: 2 }] }],
    ['CMD_histeam+', { teams: [] }],
    ['CMD_nextplayer+3+t+', { chooser: 3, fixedList: true }],
    ['CMD_inbonus+2,5', { slots: [2, 5] }],
    ['CMD_inbonus+0', { slots: null }],
    ['CMD_catchoosen+Sea+Life', { category: 'Sea+Life' }],
    ['CMD_theletters+3+BRD', { count: 3, letters: 'BRD' }],
    ['CMD_theletters+3+B+R+D', { count: 3, letters: 'BRD' }],
    ['CMD_entered+x', { slot: null }],
    ['CMD_anacro+2+Plus~Minus Quiz+5+<b>x</b>', { acros: [{ slot: 2, text: 'Plus+Minus Quiz' }, { slot: 5, text: '<b>x</b>' }] }],
    ['CMD_updatetime+-2', { seconds: -2 }],
    ['CMD_youracro+2+Plus~Minus Quiz', { slot: 2, text: 'Plus+Minus Quiz' }],
    ['CMD_action+Bob is back.|clYellow', { line: 'Bob is back.', colour: 0x00ffff }],
    ['CMD_thevotes+y+n+y+2+Ann+3', { records: [{ won: true, counted: 'n', speed: true, slot: 2, name: 'Ann', votes: '3' }] }],
    ['CMD_postscores+t+5+7+1+12+3+2+0+0', { teamGame: true, yellow: '5', white: '7', scores: [{ slot: 1, total: '12', points: '3' }, { slot: 2, total: '0', points: '0' }] }],
    ['CMD_playasound+3+wave4+', { slotText: '3', name: 'wave4' }],
    ['CMD_winner+The Yellow Team', { text: 'The Yellow Team' }],
    ['WEB_hello+1.0.21+e+', { version: '1.0.21', rating: 'e' }],
    ['WEB_rights+t+', { rights: true }],
    ['WEB_acrocheck+t+t+Big **** Dog + more', { accepted: true, filtered: true, cleaned: 'Big **** Dog + more' }],
  ];
  for (const [frame, want] of cases) {
    const got = readMessage(frame);
    for (const [key, value] of Object.entries(want)) assert.deepEqual(got[key], value, `${frame}: ${key}`);
  }
  for (const bad of ['CMD_sendlogininfo+x', 'CMD_updatetime+1 ', 'CMD_inbonus+2,x', 'CMD_anacro+x+a', 'CMD_histeam+1+x', 'CMD_youracro+x+a']) {
    assert.throws(() => readMessage(bad), ParseError, bad);
  }
});

test('colour texts read as the desktop reads them', () => {
  const cases = [['clRed', '#ff0000'], ['clwhite', '#ffffff'], ['$004080FF', '#ff8040'], ['$FF0000', '#0000ff'],
    ['0x00FF00', '#00ff00'], ['255', '#ff0000'], ['clBtnFace', '#c0c0c0'], [' clBlue ', '#0000ff']];
  for (const [text, css] of cases) assert.equal(colourToCss(colourFromText(text)), css, text);
  for (const bad of ['', 'red', '$', '$123456789', '#ff0000', '1.5', '99999999999']) assert.equal(colourFromText(bad), null, bad);
  assert.deepEqual(['clNavy', 'clBlack', 'clYellow', 'clSilver', 'clRed'].map((c) => isDark(colourFromText(c))),
    [true, true, false, false, false]);
  assert.equal(colourToText(0x0000ff), 'clRed');
  assert.equal(colourToText(0xff8040), '$00FF8040');
});

test('a chat text splits at its first "|" and is bold up to its first ":"', () => {
  assert.deepEqual(splitChatText('a|b|clRed'), { line: 'a', colour: Silver }); // "b|clRed" does not read
  assert.deepEqual(splitChatText('Ann chats: x|nonsense'), { line: 'Ann chats: x', colour: Silver });
  assert.deepEqual(chatLineParts('Ann chats: a: b'), { bold: 'Ann chats:', plain: ' a: b' });
  assert.deepEqual(chatLineParts('Ann is Connected.'), { bold: '', plain: 'Ann is Connected.' });
});

test('chat, action and phrase lines go out in their wire forms', () => {
  const white = 0xffffff;
  assert.equal(send.chatLine(3, 'hello', white, white), 'CMD_chat+3+hello|clWhite');
  assert.equal(send.chatLine(3, '/me waves', white, 0x0000ff), 'CMD_action+3+waves|clRed');
  assert.equal(send.chatLine(3, '/mewaves', white, white), 'CMD_action+3+aves|clWhite');
  assert.equal(send.chatLine(3, '/me😀waves', white, white), 'CMD_action+3+waves|clWhite');
  assert.equal(send.chatLine(3, '/away', white, white), null);
  assert.equal(send.phrase(3, 'Thanks!', 0x0000ff), 'CMD_action+3+ says: Thanks!|clRed');
  assert.equal(send.phrase(3, '/me dances', white), 'CMD_action+3+dances|clWhite');
  assert.equal(withoutMe('/me'), '');
  // A long line is cut so its relayed field stays within 4096 bytes.
  const long = send.phrase(1, 'é'.repeat(3000), white);
  const field = long.slice('CMD_action+1+'.length);
  assert.ok(new TextEncoder().encode(field).length <= 4096);
  assert.ok(field.endsWith('é|clWhite'));
});

test('the other messages the page sends', () => {
  assert.equal(send.startgame('Ann', DefaultOptions), 'CMD_startgame+Ann+30+60+t+10+none+t+f+7+f+f+');
  assert.equal(send.startgame('Ann', { ...DefaultOptions, playBonus: false, winningBonus: false, teamGame: true, playTo: 500 }),
    'CMD_startgame+Ann+100+60+f+10+team+t+f+7+f+f+');
  assert.equal(send.startgame('Ann', { ...DefaultOptions, winningBonus: false, speedBonus: true, playTo: 'x' }),
    'CMD_startgame+Ann+30+60+t+10+none+f+t+7+f+f+');
  assert.equal(send.acro(4, 'Plus+Minus Quiz'), 'CMD_acro+4+Plus~Minus Quiz');
  assert.equal(send.choosenacro(4, 7), 'CMD_choosenacro+4+7+');
  assert.equal(send.kickhim(1, 5), 'CMD_kickhim+1+5+');
  assert.equal(send.chooseteam(6, 2), 'CMD_chooseteam+6+2+');
  assert.equal(send.playasound(3, 12), 'CMD_playasound+3+wave12+');
  assert.equal(send.logininfo(5, '1.0.21', 'Bob'), 'CMD_logininfo+5+1.0.21+Bob');
  assert.equal(send.leaving(5), 'CMD_leaving+5+');
  assert.equal(cutText('aé', 2), 'a');
  assert.equal(cutText('abc', 0), '');
});
