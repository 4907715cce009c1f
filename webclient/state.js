// What the page knows of the room and the round, changed only by the host's
// messages and the player's own actions. No DOM here: every change returns its
// effects (chat lines, sounds, frames to send) for the page to carry out.
import {
  readMessage, send, toNumber, BoardSlots, LastSlot, Yellow, White, Blue, DepartureColour,
  ChatterSounds, PhrasePauseMs, GameVersionFallback, AwaySuffix,
} from './protocol.js';

export const Waiting = '<Waiting>';
export const WelcomeStatus = 'Welcome to Quibbleton!';
export const TeamStatus = 'Choose Your Team';
export const VotingStatus = 'Voting Stage';
const CategoryStageSeconds = 18;
const VotingSeconds = 33;

export const Texts = {
  connected: 'You are Connected.',
  isConnected: ' is Connected.',
  spying: 'You are spying.',
  isSpying: ' is spying.',
  disconnected: ' disconnected.',
  hasLeft: ' has left.',
  full: 'Game is full',
  wrongVersion: 'You have a different version of the game than the host.',
  hasWrongVersion: ' has a different version of the game than you.',
  onYellow: 'You are on the YELLOW team!',
  onWhite: 'You are on the WHITE team!',
  noMatch: 'Acro does not match the letters',
  filtered: 'Acro filtered for inappropriate langauge.',
  accepted: 'Answer Accepted',
  noVotes: 'No Votes Submitted',
  noAcros: 'No Acros Submitted',
  wait: 'Round in Progress.... Please Wait. ',
  chooseCategory: 'Choose a Category',
  ownCategory: 'Or Enter a Category of your Own',
  isChoosing: ' is choosing a category.',
};

// The notice for the room's rating (a, e, anything else).
export function ratingNotice(rating) {
  if (rating === 'a') return ['This is an ADULT room.', 'Language not suitable for players under the age of 18!'];
  if (rating === 'e') {
    return ['This is a Family Oriented Game.', 'Langauge used must be suitable for all players regardless of age!'];
  }
  return ['This game is not rated. Content might not be suitable for all ages'];
}

// The summary after "has started a game".
export function gameSummary(g) {
  let s = g.speed !== 'f' ? ' with speed bonus' : '';
  s += g.bonus !== 'f' ? ` with ${g.bonusLetters} Letter Bonus Round.` : '.';
  s += g.winningBonus === 't' ? ' Winner determined by winner of the bonus round.'
    : ' Winner determined by Final Total Score.';
  return s;
}

function emptyRow() {
  return { name: null, score: '0', bonus: '', entered: false, team: 1, bold: false, away: false };
}

export class Game {
  // random() gives [0, 1) and now() milliseconds; tests drive both.
  constructor({ random = Math.random, now = () => Date.now() } = {}) {
    this.random = random;
    this.now = now;
    this.audible = false; // sounds are played (not muted, and the page may play them)
    this.s = {
      socket: false, joined: false, loggedIn: false, ownSlot: 0, ownName: '',
      version: GameVersionFallback, rating: '', rights: false, notice: '',
      board: Array.from({ length: BoardSlots + 1 }, emptyRow),
      boardOrder: Array.from({ length: BoardSlots }, (_, i) => i + 1),
      spies: new Map(),
      status: WelcomeStatus, stage: 'none', wait: false, nothing: '',
      playTo: '30', creation: 60, bonusCaption: '10 Letter Bonus Round', showBonusCaption: false,
      teamTotals: null, team: 0, gameRunning: false,
      roundCaption: '', category: '', chooserSlot: 0, fixedList: false, takesPart: true,
      letterCount: 0, letters: '',
      answer: { text: '', colour: 'blue', visible: false, warning: false, filtered: false, accepted: false, pending: false },
      acros: new Map(), answerOrder: Array.from({ length: BoardSlots }, (_, i) => i + 1),
      votingOpen: false, myVote: 0, results: new Map(), wonRound: '',
      bonusPlayers: '', bonusHeadline: 'Get Ready!', winner: '',
      secondsLeft: 0, timerRunning: false,
    };
    this.lastPhrase = -Infinity;
    this.fx = null;
  }

  begin() {
    this.fx = { chat: [], sounds: [], send: [], focus: null, announce: null };
  }
  chat(text, colour) {
    this.fx.chat.push({ text, colour });
  }
  sound(name) {
    this.fx.sounds.push(name);
  }
  out(frame) {
    // Every message of the game needs the login; the page's own WEB_ ones don't.
    if (frame && (frame.startsWith('WEB_') || this.s.loggedIn)) this.fx.send.push(frame);
  }

  // The name on a board row, as the board shows it.
  caption(slot) {
    const row = this.s.board[slot];
    return row ? (row.name === null ? Waiting : row.name) : '';
  }

  // One frame from the server. A number that does not convert abandons the
  // frame only; its error goes to onError.
  handle(frame, onError = () => {}) {
    this.begin();
    let msg = null;
    try {
      msg = readMessage(frame);
      if (msg) this[msg.word](msg);
    } catch (error) {
      if (error && error.name === 'ParseError') onError(error);
      else throw error;
    }
    return this.fx;
  }

  // ---- the web server's own messages

  WEB_hello(m) {
    this.s.socket = true;
    this.s.version = m.version;
    this.s.rating = m.rating;
    this.s.notice = ratingNotice(m.rating).join(' ');
  }
  WEB_left(m) {
    const s = this.s;
    s.joined = false;
    s.loggedIn = false;
    s.ownSlot = 0;
    s.rights = false;
    s.leftReason = m.reason;
    this.stopTimer();
    this.chat(m.reason === 'lost' ? 'The connection to the room was lost.' : 'You have left the room.', DepartureColour);
    this.fx.announce = 'You have left the room.';
  }
  WEB_rights(m) {
    this.s.rights = m.rights;
  }
  WEB_acrocheck(m) {
    const a = this.s.answer;
    a.pending = false;
    a.filtered = m.filtered;
    // The cleaned answer replaces what was sent, unless the player has typed on.
    if (a.text === a.sent) {
      a.text = m.cleaned;
      a.edited = true;
    }
    if (m.accepted) {
      a.colour = 'black';
      a.accepted = true;
      a.warning = false;
      this.sound('submit');
      this.fx.announce = Texts.accepted;
    } else {
      a.colour = 'red';
      a.warning = true;
      this.sound('wrong');
      this.fx.announce = Texts.noMatch;
    }
  }

  // ---- login, arrivals and departures

  // A returning player is moved into its kept slot with a second one: every
  // one names the current slot and is answered.
  CMD_sendlogininfo(m) {
    if (m.slot < 1 || m.slot > LastSlot || !this.s.joined) return;
    this.s.ownSlot = m.slot;
    this.s.loggedIn = true;
    this.out(send.logininfo(m.slot, this.s.version, this.s.ownName));
  }
  CMD_full() {
    this.chat(Texts.full, Yellow);
    this.s.full = true;
    this.fx.announce = Texts.full;
  }
  CMD_newplayerinfo(m) {
    const s = this.s;
    if (m.slot < 1 || m.slot > LastSlot) return;
    // A player whose connection dropped arrives again under its away name, and
    // once more under its own when it is back: the host's notices tell of both,
    // and the row keeps its score.
    const away = m.name.endsWith(AwaySuffix);
    const before = m.slot > BoardSlots ? s.spies.get(m.slot) : s.board[m.slot].name;
    const same = m.slot !== s.ownSlot && !!m.name && (away || before === m.name || before === m.name + AwaySuffix);
    if (same) {
      // no arrival
    } else if (m.slot === s.ownSlot) {
      this.chat(Texts.connected, Yellow);
      for (const line of ratingNotice(s.rating)) this.chat(line, Yellow);
      this.fx.announce = Texts.connected;
    } else if (m.name) {
      this.chat(m.name + Texts.isConnected, Yellow);
      this.sound('entered');
    }
    if (m.slot > BoardSlots) {
      s.spies.set(m.slot, m.name);
      if (!same) this.chat(m.slot === s.ownSlot ? Texts.spying : m.name + Texts.isSpying, Yellow);
    } else {
      const row = s.board[m.slot];
      row.name = m.name;
      row.away = away;
      if (!same) row.score = '0';
    }
  }
  CMD_existingplayers(m) {
    this.CMD_newplayerinfo(m);
  }
  CMD_playerdisconnected(m) {
    const s = this.s;
    if (m.slot === s.ownSlot) s.loggedIn = false;
    if (m.slot >= 1 && m.slot <= BoardSlots) {
      const row = s.board[m.slot];
      if (row.name !== null) this.chat(row.name + Texts.disconnected, DepartureColour);
      row.name = null;
      row.away = false;
    }
    if (m.slot > BoardSlots && s.spies.has(m.slot) && s.spies.get(m.slot) === m.name) {
      this.chat(m.name + Texts.hasLeft, DepartureColour);
      s.spies.delete(m.slot);
    }
  }
  CMD_havewrongversion(m) {
    this.chat(m.name + Texts.hasWrongVersion, Blue);
  }
  CMD_wrongversion() {
    this.chat(Texts.wrongVersion, Blue);
  }

  // ---- chat and chatter sounds

  CMD_chat(m) {
    this.chat(m.line, m.colour);
  }
  CMD_action(m) {
    this.chat(m.line, m.colour);
  }
  CMD_playasound(m) {
    const n = /^wave([0-9]+)$/i.exec(m.name);
    const number = n ? Number(n[1]) : 0;
    if (number < 1 || number > 12) return;
    if (this.audible) {
      this.sound(`wave${number}`);
      return;
    }
    const slot = toNumber(m.slotText);
    if (slot === null || slot < 1 || slot > BoardSlots || String(slot) !== m.slotText) return;
    this.chat(`${this.caption(slot)}: <Chatter Sound> ${ChatterSounds[number]}`, Blue);
  }

  // ---- game start and teams

  clearacros() {
    const s = this.s;
    s.acros = new Map();
    s.results = new Map();
    s.myVote = 0;
    for (let n = 1; n <= BoardSlots; n++) {
      s.board[n].bonus = '';
      s.board[n].entered = false;
    }
  }
  clearall() {
    this.stopTimer();
    this.s.secondsLeft = 0;
    for (let n = 1; n <= BoardSlots; n++) Object.assign(this.s.board[n], { score: '0', team: 1 });
    this.clearacros();
  }
  setCreation(creation) {
    if (creation !== null) this.s.creation = creation;
  }
  announce(m, teamGame) {
    const s = this.s;
    s.bonusPlayers = '';
    s.showBonusCaption = false;
    this.clearall();
    s.playTo = m.playTo;
    this.setCreation(m.creation);
    s.bonusCaption = `${m.bonusLetters} Letter Bonus Round`;
    s.gameRunning = true;
    s.wait = false;
    s.winner = '';
    const started = teamGame ? 'started a TEAM game' : 'started a game';
    const who = m.starter === s.ownName ? `You have ${started}` : `${m.starter} has ${started}`;
    this.chat(who + gameSummary(m), Yellow);
    this.sound('letsplay');
  }
  CMD_startgame(m) {
    this.announce(m, false);
    this.s.teamTotals = null;
    this.fx.announce = 'A game has started.';
  }
  CMD_teamgame(m) {
    this.announce(m, true);
    this.s.teamTotals = { yellow: '0', white: '0' };
    this.s.team = 0;
    this.setStage('team');
    this.s.status = TeamStatus;
    this.fx.announce = 'A team game has started. Choose your team.';
  }
  CMD_stats(m) {
    const s = this.s;
    if (m.slot !== s.ownSlot) return;
    this.clearall();
    s.playTo = m.playTo;
    this.setCreation(m.creation);
    s.teamTotals = null;
    s.gameRunning = true;
    if (!m.teamGame) {
      s.wait = true;
      return;
    }
    s.teamTotals = { yellow: '0', white: '0' };
    s.team = 0;
    for (const { slot, team } of m.teams) {
      if ((team !== 1 && team !== 2) || !s.board[slot]) continue;
      s.board[slot].team = team;
      if (slot === s.ownSlot) s.team = team;
    }
    // A returning player that has its team already is not asked again.
    if (s.team) {
      this.setStage('none');
      return;
    }
    this.setStage('team');
    s.status = TeamStatus;
  }
  CMD_histeam(m) {
    const s = this.s;
    for (const { slot, team } of m.teams) {
      if (team !== 1 && team !== 2) continue;
      if (s.board[slot]) s.board[slot].team = team;
      if (slot === s.ownSlot) {
        this.chat(team === 1 ? Texts.onYellow : Texts.onWhite, team === 1 ? Yellow : White);
        s.team = team;
        if (s.stage === 'team') s.stage = 'none';
        this.fx.announce = team === 1 ? Texts.onYellow : Texts.onWhite;
      }
    }
  }
  setStage(stage) {
    this.s.stage = stage;
    this.s.nothing = '';
    this.s.wait = false;
  }

  // ---- category choice

  CMD_nextplayer(m) {
    const s = this.s;
    s.chooserSlot = m.chooser;
    s.fixedList = m.fixedList;
    s.chosenCategory = '';
    s.takesPart = true;
    const name = this.caption(m.chooser);
    if (this.isChooser()) this.sound('catagory');
    s.status = name + Texts.isChoosing;
  }
  isChooser() {
    return this.s.ownSlot !== 0 && this.s.chooserSlot === this.s.ownSlot;
  }
  CMD_cats(m) {
    this.s.roundCaption = `${m.count} Letter Round`;
    this.setStage('category');
    this.clearacros();
    this.startTimer(CategoryStageSeconds);
    this.fx.announce = this.isChooser() ? `${this.s.roundCaption}. ${Texts.chooseCategory}` : `${this.s.roundCaption}. ${this.s.status}`;
  }
  CMD_catchoosen(m) {
    this.s.wonRound = '';
    this.s.category = m.category;
    this.s.roundCaption = 'Category: ' + m.category;
  }

  // ---- answers

  CMD_theletters(m) {
    const s = this.s;
    s.status = 'Creating Acros';
    s.answer = {
      text: '', colour: 'blue', visible: s.ownSlot >= 1 && s.ownSlot <= BoardSlots && s.takesPart,
      warning: false, filtered: false, accepted: false, pending: false, edited: true,
    };
    s.letterCount = m.count;
    s.letters = m.letters;
    this.setStage('creating');
    this.startTimer(s.creation);
    if (s.answer.visible) this.fx.focus = 'acro';
    this.sound('acro' + Math.floor(this.random() * 4));
    this.fx.announce = `${s.answer.visible ? 'Write your acro. ' : ''}Letters: ${[...s.letters].join(' ')}`;
  }
  // Back in the answer stage: the answer the host kept is this player's.
  CMD_youracro(m) {
    const s = this.s;
    if (m.slot !== s.ownSlot || s.stage !== 'creating' || !s.answer.visible) return;
    Object.assign(s.answer, {
      text: m.text, sent: m.text, edited: true, colour: 'black', accepted: true, warning: false, pending: false,
    });
  }
  CMD_entered(m) {
    if (m.slot !== null && m.slot >= 1 && m.slot <= BoardSlots) this.s.board[m.slot].entered = true;
  }

  // ---- voting

  CMD_anacro(m) {
    const s = this.s;
    s.votingOpen = true;
    s.myVote = 0;
    for (const { slot, text } of m.acros) if (slot >= 1 && slot <= BoardSlots) s.acros.set(slot, text);
    const order = s.answerOrder;
    const pick = () => Math.floor(this.random() * BoardSlots);
    for (let i = 0; i < 12; i++) {
      const a = pick();
      const b = pick();
      [order[a], order[b]] = [order[b], order[a]];
    }
    // Lines without an answer go to the end; answers keep their shuffled order.
    for (let pass = 0; pass < 11; pass++) {
      for (let p = 0; p < 11; p++) if (!s.acros.has(order[p])) [order[p], order[p + 1]] = [order[p + 1], order[p]];
    }
    this.setStage('voting');
    // Spies get no CMD_dovote: the list itself opens voting for everybody.
    s.status = VotingStatus;
    this.startTimer(VotingSeconds);
    this.fx.announce = 'Vote for the best answer.';
  }
  CMD_dovote() {
    if (this.s.ownSlot <= BoardSlots) this.sound('vote');
  }
  CMD_updatetime(m) {
    this.s.secondsLeft = m.seconds;
  }

  // ---- results, scores, bonus round, game end

  CMD_thevotes(m) {
    const s = this.s;
    s.votingOpen = false;
    for (const r of m.records) {
      if (r.slot < 1 || r.slot > BoardSlots) continue;
      s.results.set(r.slot, r);
      if (r.won) {
        s.wonRound = r.name + (r.counted === 'y' ? ' Won The Round!' : ' won, but did not vote.');
        this.sound('winner');
      }
    }
    s.status = 'Tallying Scores..';
    this.fx.announce = s.wonRound || 'Results of the round.';
  }
  nothingSubmitted(text) {
    const s = this.s;
    s.votingOpen = false;
    this.setStage('voting');
    s.nothing = text;
    s.status = text;
    this.sound('none');
    this.fx.announce = text;
  }
  CMD_novotes() {
    this.nothingSubmitted(Texts.noVotes);
  }
  CMD_noanswer() {
    this.nothingSubmitted(Texts.noAcros);
  }
  CMD_postscores(m) {
    const s = this.s;
    s.votingOpen = false;
    s.showBonusCaption = false;
    s.status = 'Posting Scores, One Moment Please..';
    if (m.teamGame) s.teamTotals = { yellow: m.yellow, white: m.white };
    let best = 0;
    for (const r of m.scores) {
      if (r.slot < 1 || r.slot > BoardSlots) continue;
      const row = s.board[r.slot];
      row.score = r.total;
      row.bonus = r.points === '0' ? '' : '+' + r.points;
      const value = toNumber(r.total);
      if (value !== null && value > best) {
        for (let n = 1; n <= BoardSlots; n++) s.board[n].bold = false;
        row.bold = true;
        best = value;
      }
    }
    this.sound('posting');
    // Highest shown total first; equal totals keep their order, and a total
    // that is not a number is never swapped.
    const order = s.boardOrder;
    const total = (slot) => toNumber(s.board[slot].score);
    for (let pass = 0; pass < BoardSlots; pass++) {
      for (let p = 1; p < BoardSlots; p++) {
        const upper = total(order[p - 1]);
        const lower = total(order[p]);
        if (upper !== null && lower !== null && lower > upper) [order[p - 1], order[p]] = [order[p], order[p - 1]];
      }
    }
  }
  CMD_inbonus(m) {
    const s = this.s;
    this.clearacros();
    s.takesPart = false;
    s.roundCaption = 'Bonus Round!';
    s.showBonusCaption = true;
    if (m.slots) {
      const names = [];
      for (const slot of m.slots) {
        if (slot < 1 || slot > BoardSlots) continue; // 0: a team without a bonus player
        names.push(this.caption(slot));
        if (slot === s.ownSlot) s.takesPart = true;
      }
      s.bonusPlayers = 'Good Luck!: ' + names.join(', ');
      s.bonusHeadline = s.bonusPlayers;
    } else {
      // "0" does not say who plays: every player on the board may answer, and
      // the host takes the answers of those it chose.
      if (s.ownSlot >= 1 && s.ownSlot <= BoardSlots) s.takesPart = true;
      s.bonusPlayers = 'Good Luck all those in the Bonus Round!';
      s.bonusHeadline = 'Get Ready!';
    }
    this.setStage('bonus');
    this.fx.announce = 'Time for the Bonus Round! ' + s.bonusHeadline;
  }
  CMD_winner(m) {
    const s = this.s;
    this.chat(m.text + ' has Won the Game!', Yellow);
    s.winner = m.text + '!';
    s.status = m.text + ' has won the game!';
    this.setStage('over');
    s.gameRunning = false;
    if (s.rights) s.roundCaption = '';
    this.fx.announce = s.status;
  }

  // ---- the countdown

  startTimer(seconds) {
    this.s.secondsLeft = seconds;
    this.s.timerFrom = seconds;
    this.s.timerRunning = true;
  }
  stopTimer() {
    this.s.timerRunning = false;
  }
  // One second of the countdown; the sounds it asks for.
  tick() {
    const s = this.s;
    if (!s.timerRunning) return [];
    s.secondsLeft = Math.max(0, s.secondsLeft - 1);
    const left = s.secondsLeft;
    return left === 20 || left === 15 || (left >= 1 && left <= 10) ? ['time'] : [];
  }

  // ---- the player's actions; each returns its effects

  join(name, token) {
    this.begin();
    const s = this.s;
    if (s.joined) return this.fx;
    s.ownName = name;
    s.joined = true;
    s.full = false;
    s.leaving = false;
    // A new seat in the room: nothing of an earlier visit stays on the screen.
    s.board = Array.from({ length: BoardSlots + 1 }, emptyRow);
    s.spies = new Map();
    s.rights = false;
    this.clearall();
    Object.assign(s, {
      stage: 'none', wait: false, nothing: '', gameRunning: false, teamTotals: null, team: 0, roundCaption: '',
      status: WelcomeStatus, winner: '', wonRound: '', bonusPlayers: '', showBonusCaption: false, votingOpen: false,
    });
    this.out(send.webJoin(token));
    return this.fx;
  }
  // Leaving on purpose: the host lets the seat go at once, then the server
  // says WEB_left.
  leave() {
    this.begin();
    const s = this.s;
    if (!s.loggedIn || s.leaving) return this.fx;
    s.leaving = true;
    this.out(send.leaving(s.ownSlot));
    return this.fx;
  }
  chatLine(text, textColour, actionColour) {
    this.begin();
    if (!this.s.loggedIn) return null; // the text stays in the box
    this.out(send.chatLine(this.s.ownSlot, text, textColour, actionColour));
    return this.fx;
  }
  phrase(phraseText, actionColour) {
    this.begin();
    if (!this.s.loggedIn || this.now() - this.lastPhrase < PhrasePauseMs) return this.fx;
    this.out(send.phrase(this.s.ownSlot, phraseText, actionColour));
    this.lastPhrase = this.now();
    return this.fx;
  }
  playSound(n) {
    this.begin();
    if (n >= 1 && n <= 12) this.out(send.playasound(this.s.ownSlot, n));
    return this.fx;
  }
  startGame(options) {
    this.begin();
    if (this.s.rights) this.out(send.startgame(this.s.ownName, options));
    return this.fx;
  }
  chooseCategory(text) {
    this.begin();
    if (!this.isChooser()) return this.fx;
    this.s.chosenCategory = text;
    this.out(send.catchoosen(this.s.ownSlot, text));
    return this.fx;
  }
  // The answer as typed; the server checks it and answers with WEB_acrocheck.
  submitAcro(text) {
    this.begin();
    const s = this.s;
    const a = s.answer;
    if (s.ownSlot < 1 || s.ownSlot > BoardSlots || !a.visible || s.stage !== 'creating') return this.fx;
    a.filtered = false;
    a.text = text;
    if (!text.replace(/^ +/, '')) return this.fx; // only blanks: nothing to check
    if (!s.loggedIn) return this.fx;
    a.pending = true;
    a.sent = text;
    this.out(send.acro(s.ownSlot, text));
    return this.fx;
  }
  // Typing into the answer box after a check.
  answerEdited(text) {
    const a = this.s.answer;
    a.text = text;
    a.warning = false;
    a.colour = 'blue';
    a.edited = false;
  }
  canVoteFor(slot) {
    const s = this.s;
    return s.votingOpen && s.ownSlot >= 1 && s.ownSlot <= BoardSlots && slot !== s.ownSlot && s.acros.has(slot);
  }
  vote(slot) {
    this.begin();
    if (!this.canVoteFor(slot)) return this.fx;
    this.s.myVote = slot;
    this.out(send.choosenacro(this.s.ownSlot, slot));
    return this.fx;
  }
  chooseTeam(team) {
    this.begin();
    if ((team !== 1 && team !== 2) || this.s.team === team) return this.fx;
    this.s.team = team;
    this.out(send.chooseteam(this.s.ownSlot, team));
    return this.fx;
  }
  kick(slot) {
    this.begin();
    if (this.s.rights && slot !== this.s.ownSlot) this.out(send.kickhim(this.s.ownSlot, slot));
    return this.fx;
  }
}
