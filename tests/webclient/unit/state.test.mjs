// The page's game state driven by the host's messages, as a desktop player sees them.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { Game } from '../../../webclient/state.js';

// A game whose player Zed is logged in at `slot`; random() walks a fixed list.
function joined(slot = 2, { rights = false, random = [0.5] } = {}) {
  let i = 0;
  let clock = 10000;
  const g = new Game({ random: () => random[i++ % random.length], now: () => clock });
  g.advance = (ms) => (clock += ms);
  g.handle('WEB_hello+1.0.21+e+');
  assert.deepEqual(g.join('Zed', 'token_token_token_1').send, ['WEB_join+token_token_token_1']);
  assert.deepEqual(g.handle(`CMD_sendlogininfo+${slot}`).send, [`CMD_logininfo+${slot}+1.0.21+Zed`]);
  if (rights) g.handle('WEB_rights+t+');
  return g;
}
const lines = (fx) => fx.chat.map((c) => c.text);

test('arrivals, the rating notice, spies and departures give the desktop lines', () => {
  const g = joined(2);
  const own = g.handle('CMD_newplayerinfo+2+Zed');
  assert.deepEqual(lines(own), ['You are Connected.', 'This is a Family Oriented Game.',
    'Langauge used must be suitable for all players regardless of age!']);
  const ann = g.handle('CMD_existingplayers+1+Ann');
  assert.deepEqual([lines(ann), ann.sounds], [['Ann is Connected.'], ['entered']]);
  assert.deepEqual(lines(g.handle('CMD_newplayerinfo+13+Eve')), ['Eve is Connected.', 'Eve is spying.']);
  assert.equal(g.s.spies.get(13), 'Eve');
  assert.deepEqual(lines(g.handle('CMD_playerdisconnected+1+Ann')), ['Ann disconnected.']);
  assert.equal(g.caption(1), '<Waiting>');
  assert.deepEqual(lines(g.handle('CMD_playerdisconnected+1+Ann')), []); // a free slot stays quiet
  assert.deepEqual(lines(g.handle('CMD_playerdisconnected+13+Mallory')), []);
  assert.deepEqual(lines(g.handle('CMD_playerdisconnected+13+Eve')), ['Eve has left.']);
  let errors = 0;
  g.handle('CMD_newplayerinfo+x+Bad', () => errors++);
  assert.equal(errors, 1);
  assert.deepEqual(lines(g.handle('CMD_havewrongversion+Bob')), ['Bob has a different version of the game than you.']);
});

test('nothing but the page\'s own join goes out before the login', () => {
  const g = new Game();
  assert.equal(g.chatLine('hi', 0, 0), null);
  assert.deepEqual(g.chooseTeam(1).send, []);
  g.handle('WEB_hello+1.0.21++');
  assert.deepEqual(g.handle('CMD_sendlogininfo+3').send, []); // not joined
});

test('a game start announces its options and resets the board', () => {
  const g = joined(2);
  g.handle('CMD_newplayerinfo+1+Ann');
  const cases = [
    ['CMD_startgame+Ann+30+60+f+10+t+f+', 'Ann has started a game. Winner determined by winner of the bonus round.'],
    ['CMD_startgame+Ann+30+60+f+10+f+t+', 'Ann has started a game with speed bonus. Winner determined by Final Total Score.'],
    ['CMD_startgame+Zed+30+60+t+10+t+t+', 'You have started a game with speed bonus with 10 Letter Bonus Round. Winner determined by winner of the bonus round.'],
    ['CMD_teamgame+Ann+25+45+t+8+f+f+', 'Ann has started a TEAM game with 8 Letter Bonus Round. Winner determined by Final Total Score.'],
  ];
  for (const [frame, line] of cases) assert.deepEqual(lines(g.handle(frame)), [line], frame);
  assert.deepEqual([g.s.stage, g.s.playTo, g.s.creation, g.s.teamTotals], ['team', '25', 45, { yellow: '0', white: '0' }]);
  assert.deepEqual(g.chooseTeam(2).send, ['CMD_chooseteam+2+2+']);
  assert.deepEqual(g.chooseTeam(2).send, []); // the chosen team again sends nothing
  assert.deepEqual(lines(g.handle('CMD_histeam+1+1')), []);
  assert.equal(g.s.stage, 'team');
  assert.deepEqual(lines(g.handle('CMD_histeam+1+1+2+2')), ['You are on the WHITE team!']);
  assert.deepEqual([g.s.stage, g.s.board[1].team, g.s.board[2].team], ['none', 1, 2]);
  g.handle('CMD_stats+3+30+60+f'); // another slot's: ignored
  assert.equal(g.s.wait, false);
  g.handle('CMD_stats+2+30+60+f');
  assert.equal(g.s.wait, true);
});

test('a round: category, letters, the server\'s answer check, voting and results', () => {
  const g = joined(2, { random: [0.1, 0.9, 0.3, 0.7, 0.5] });
  for (const [slot, name] of [[1, 'Ann'], [2, 'Zed'], [3, 'Bob']]) g.handle(`CMD_newplayerinfo+${slot}+${name}`);
  assert.deepEqual(g.handle('CMD_nextplayer+2+f+').sounds, ['catagory']);
  assert.equal(g.s.status, 'Zed is choosing a category.');
  g.handle('CMD_cats+3+');
  assert.deepEqual([g.s.stage, g.s.roundCaption, g.s.secondsLeft], ['category', '3 Letter Round', 18]);
  assert.deepEqual(g.chooseCategory('Sea Life').send, ['CMD_catchoosen+2+Sea Life']);
  g.handle('CMD_catchoosen+Food');
  const letters = g.handle('CMD_theletters+3+BRD');
  assert.deepEqual([g.s.letters, g.s.answer.visible, letters.focus, g.s.secondsLeft], ['BRD', true, 'acro', 60]);
  assert.deepEqual(g.submitAcro('   ').send, []);
  assert.deepEqual(g.submitAcro('big+red dog').send, ['CMD_acro+2+big~red dog']);
  const refused = g.handle('WEB_acrocheck+f+f+big+red dog');
  assert.deepEqual([refused.sounds, g.s.answer.warning, g.s.answer.colour, g.s.answer.text], [['wrong'], true, 'red', 'big+red dog']);
  g.answerEdited('big red dog');
  assert.equal(g.s.answer.warning, false);
  g.submitAcro('big red dog');
  g.answerEdited('big red dogs'); // typed on while the check was under way: kept
  g.handle('WEB_acrocheck+t+f+big red dog');
  assert.equal(g.s.answer.text, 'big red dogs');
  g.submitAcro('big red  dog');
  const ok = g.handle('WEB_acrocheck+t+t+big red ****');
  assert.equal(g.s.answer.text, 'big red ****');
  assert.deepEqual([ok.sounds, g.s.answer.accepted, g.s.answer.filtered], [['submit'], true, true]);
  g.handle('CMD_entered+1');
  g.handle('CMD_entered+99');
  assert.equal(g.s.board[1].entered, true);

  g.handle('CMD_anacro+1+Big Red Dog+2+big red ****');
  const shown = g.s.answerOrder.filter((slot) => g.s.acros.has(slot));
  assert.deepEqual([...shown].sort(), [1, 2]);
  assert.deepEqual(g.s.answerOrder.slice(0, 2).sort(), [1, 2]); // answers first, in their shuffled order
  assert.deepEqual(g.vote(2).send, []); // not one's own
  assert.deepEqual(g.vote(3).send, []); // no answer there
  assert.deepEqual(g.vote(1).send, ['CMD_choosenacro+2+1+']);
  assert.deepEqual(g.handle('CMD_dovote+2').sounds, ['vote']);
  const votes = g.handle('CMD_thevotes+y+n+y+1+Ann+1+n+y+n+2+Zed+0');
  assert.deepEqual([g.s.wonRound, votes.sounds, g.s.votingOpen], ['Ann won, but did not vote.', ['winner'], false]);
  assert.deepEqual(g.vote(1).send, []); // voting has closed
});

test('scores re-sort the board, highest first, equal totals keeping their order', () => {
  const g = joined(2);
  const fx = g.handle('CMD_postscores+f+0+0+1+12+3+2+30+0+3+30+5+4+7+x');
  assert.deepEqual(g.s.boardOrder.slice(0, 4), [2, 3, 1, 4]);
  assert.deepEqual([g.s.board[2].bold, g.s.board[3].bold, g.s.board[1].bonus, g.s.board[2].bonus], [true, false, '+3', '']);
  assert.deepEqual(fx.sounds, ['posting']);
});

test('bonus round, winner, chatter sounds and the phrase pause', () => {
  const g = joined(5, { rights: true });
  g.handle('CMD_newplayerinfo+2+Bob');
  g.handle('CMD_newplayerinfo+5+Ann');
  g.handle('CMD_inbonus+2,5');
  assert.deepEqual([g.s.bonusPlayers, g.s.takesPart, g.s.roundCaption], ['Good Luck!: Bob, Ann', true, 'Bonus Round!']);
  g.handle('CMD_inbonus+2');
  assert.equal(g.s.takesPart, false);
  g.handle('CMD_theletters+10+BRDBRDBRDB');
  assert.equal(g.s.answer.visible, false);
  assert.deepEqual(lines(g.handle('CMD_winner+Ann and Bob')), ['Ann and Bob has Won the Game!']);
  assert.deepEqual([g.s.winner, g.s.stage, g.s.gameRunning], ['Ann and Bob!', 'over', false]);
  assert.deepEqual(g.kick(2).send, ['CMD_kickhim+5+2+']);

  assert.deepEqual(lines(g.handle('CMD_playasound+2+wave3+')), ['Bob: <Chatter Sound> Hello']);
  assert.deepEqual(lines(g.handle('CMD_playasound+13+wave3+')), []); // a spy has no board caption
  g.audible = true;
  assert.deepEqual(g.handle('CMD_playasound+2+WAVE3+').sounds, ['wave3']);
  assert.deepEqual(g.handle('CMD_playasound+2+../x+').sounds, []);

  assert.equal(g.phrase('Thanks!', 0xffffff).send.length, 1);
  assert.equal(g.phrase('Thanks!', 0xffffff).send.length, 0);
  g.advance(2000);
  assert.equal(g.phrase('Thanks!', 0xffffff).send.length, 1);
  const left = g.handle('WEB_left+closed+');
  assert.deepEqual([g.s.joined, g.s.loggedIn, g.s.rights, lines(left)], [false, false, false, ['You have left the room.']]);
  g.join('Zed', 'token_token_token_1'); // joining again starts from an empty room
  assert.deepEqual([g.s.stage, g.s.winner, g.caption(2), g.s.gameRunning], ['none', '', '<Waiting>', false]);
});

test('a return: the kept slot, away rows keeping their scores, the kept answer; status lines; leaving', () => {
  const g = joined(4);
  for (const f of ['CMD_newplayerinfo+1+Ann', 'CMD_newplayerinfo+13+Eve', 'CMD_postscores+f+0+0+1+7+0']) g.handle(f);
  // Away and back, a spy away, a player first seen away: no arrival lines, the row's score stays.
  for (const [frame, away] of [['CMD_newplayerinfo+1+Ann (away)', true], ['CMD_newplayerinfo+1+Ann', false],
    ['CMD_newplayerinfo+13+Eve (away)'], ['CMD_existingplayers+3+Cy (away)']]) {
    assert.deepEqual(lines(g.handle(frame)), [], frame);
    if (away !== undefined) assert.deepEqual([g.s.board[1].score, g.s.board[1].away], ['7', away], frame);
  }
  assert.deepEqual(g.handle('CMD_sendlogininfo+2').send, ['CMD_logininfo+2+1.0.21+Zed']); // into the kept slot
  g.handle('CMD_stats+2+30+60+t+1+1+2+2');
  assert.deepEqual([g.s.team, g.s.stage], [2, 'none']); // its team kept: not asked again
  g.handle('CMD_theletters+3+BRD');
  g.handle('CMD_youracro+2+Big~Red Dog');
  g.handle('CMD_youracro+1+Not Mine');
  assert.deepEqual([g.s.answer.text, g.s.answer.accepted], ['Big+Red Dog', true]);
  assert.deepEqual([g.leave().send, g.leave().send], [['CMD_leaving+2+'], []]);
  const spy = joined(13);
  spy.handle('CMD_teamgame+Ann+25+45+t+8+f+f+');
  assert.equal(spy.s.status, 'Choose Your Team');
  spy.handle('CMD_anacro+1+Big Red Dog'); // spies get no CMD_dovote
  assert.deepEqual([spy.s.status, spy.s.timerRunning], ['Voting Stage', true]);
});
