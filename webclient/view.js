// Draws the game's state into the page. Every text from other players reaches
// the page through textContent or a plain attribute, never as markup.
import { colourToCss, chatLineParts, isDark, BoardSlots } from './protocol.js';
import { Waiting, Texts } from './state.js';

const $ = (id) => document.getElementById(id);

// Once per animation frame; a page out of sight gets no frames, so it catches
// up on a timer instead (its chat stays bounded either way).
export function nextFrame(callback) {
  if (document.visibilityState === 'hidden') setTimeout(callback, 250);
  else requestAnimationFrame(callback);
}

export const MaxChatLines = 500;

function el(tag, className, text) {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (text !== undefined) node.textContent = text;
  return node;
}

function show(node, shown) {
  if (node.hidden === shown) node.hidden = !shown;
}

function setText(node, text) {
  if (node.textContent !== text) node.textContent = text;
}

// Children of `parent` in the order of `nodes`, moving only what is out of place.
function placeInOrder(parent, nodes) {
  let at = parent.firstChild;
  for (const node of nodes) {
    if (node === at) {
      at = at.nextSibling;
    } else {
      parent.insertBefore(node, at);
    }
  }
  while (at) {
    const next = at.nextSibling;
    parent.removeChild(at);
    at = next;
  }
}

// ---- Chat: lines are queued and added once per animation frame, the oldest
// dropped past MaxChatLines; a reader scrolled up keeps the view.
export class ChatView {
  constructor(log) {
    this.log = log;
    this.queue = [];
    this.scheduled = false;
  }
  add(text, colour) {
    this.queue.push({ text, colour });
    if (this.queue.length > MaxChatLines) this.queue.splice(0, this.queue.length - MaxChatLines);
    if (!this.scheduled) {
      this.scheduled = true;
      nextFrame(() => this.flush());
    }
  }
  flush() {
    this.scheduled = false;
    const log = this.log;
    const atEnd = log.scrollHeight - log.scrollTop - log.clientHeight < 24;
    const fragment = document.createDocumentFragment();
    for (const { text, colour } of this.queue) {
      const line = el('div', 'line');
      line.style.color = colourToCss(colour);
      if (isDark(colour)) line.className = 'line dim';
      const { bold, plain } = chatLineParts(text);
      if (bold) line.appendChild(el('b', '', bold));
      line.appendChild(document.createTextNode(plain));
      fragment.appendChild(line);
    }
    this.queue = [];
    log.appendChild(fragment);
    let extra = log.childElementCount - MaxChatLines;
    while (extra-- > 0) log.firstElementChild.remove();
    if (atEnd) log.scrollTop = log.scrollHeight;
  }
}

// ---- The game area, the board and the controls that follow the state.
export class View {
  constructor(game, actions) {
    this.game = game;
    this.actions = actions;
    this.boardRows = new Map();
    this.answerRows = new Map();
    this.categoryKind = null;
    this.optionsOpen = false;
    this.kickMode = false; // the hosting player's remove buttons are shown
    this.lastStage = null;
  }

  render() {
    const s = this.game.s;
    this.renderTop(s);
    this.renderPanels(s);
    this.renderBoard(s);
    this.renderSpies(s);
  }

  renderTop(s) {
    setText($('status'), s.status);
    const timed = s.stage === 'category' || s.stage === 'creating' || s.stage === 'voting';
    const showTimer = s.joined && timed && (s.timerRunning || s.secondsLeft > 0);
    show($('timerBox'), showTimer);
    this.renderTime(s);
    show($('roundbar'), s.joined);
    setText($('roundCaption'), s.roundCaption);
    const totals = s.teamTotals;
    show($('teamYellowTotal'), !!totals);
    show($('teamWhiteTotal'), !!totals);
    if (totals) {
      setText($('teamYellowTotal'), 'Yellow: ' + totals.yellow);
      setText($('teamWhiteTotal'), 'White: ' + totals.white);
    }
    show($('newGame'), s.rights && s.loggedIn && s.gameRunning && !this.optionsOpen);
    show($('leave'), s.joined && s.loggedIn && !s.leaving);
  }

  renderTime(s) {
    const left = Math.max(0, s.secondsLeft);
    const seconds = left % 60;
    setText($('timer'), `${Math.floor(left / 60)}:${seconds < 10 ? '0' : ''}${seconds}`);
    $('timerBar').style.width = `${Math.min(100, (left / Math.max(1, s.timerFrom || 0)) * 100)}%`;
  }

  renderPanels(s) {
    const joinShown = !s.joined;
    show($('joinForm'), joinShown);
    setText($('ratingNotice'), s.notice);

    const inRoom = s.joined;
    const stage = inRoom ? s.stage : 'none';
    const optionsShown = inRoom && s.loggedIn && s.rights && (!s.gameRunning || this.optionsOpen);
    show($('optionsForm'), optionsShown);
    show($('optionsClose'), s.gameRunning && this.optionsOpen);

    const lobby = $('lobby');
    let lobbyText = '';
    if (inRoom && !s.loggedIn) lobbyText = s.full ? Texts.full : 'Joining…';
    else if (inRoom && stage === 'none' && !s.wait && !optionsShown) {
      const spy = s.ownSlot > BoardSlots ? `${Texts.spying} ` : '';
      if (!s.gameRunning) lobbyText = spy + 'Waiting for the hosting player to start a game.';
      else if (spy) lobbyText = spy + 'The next round begins soon.';
      else if (s.team) lobbyText = s.team === 1 ? Texts.onYellow : Texts.onWhite;
      else lobbyText = 'Get ready for the next round…';
    }
    setText(lobby, lobbyText);
    show(lobby, !!lobbyText);
    show($('waitNote'), inRoom && s.wait);

    show($('panelTeam'), stage === 'team');
    show($('panelCategory'), stage === 'category');
    show($('panelCreating'), stage === 'creating');
    show($('panelVoting'), stage === 'voting');
    show($('panelBonus'), stage === 'bonus');
    show($('panelOver'), stage === 'over');

    for (const node of document.querySelectorAll('.captions .playto')) setText(node, 'Play to Score: ' + s.playTo);
    for (const node of document.querySelectorAll('.captions .creation')) setText(node, 'Time to Create Acro: ' + s.creation);
    for (const node of document.querySelectorAll('.bonus-players')) setText(node, s.bonusPlayers);

    if (stage === 'team') this.renderTeam(s);
    if (stage === 'category') this.renderCategory(s);
    if (stage === 'creating') this.renderCreating(s);
    if (stage === 'voting') this.renderVoting(s);
    if (stage === 'bonus') setText($('bonusHeadline'), s.bonusHeadline);
    if (stage === 'over') setText($('winner'), s.winner);
    this.lastStage = stage;
  }

  renderTeam(s) {
    const yellow = $('teamYellow');
    const white = $('teamWhite');
    yellow.setAttribute('aria-pressed', String(s.team === 1));
    white.setAttribute('aria-pressed', String(s.team === 2));
    $('teamYellowPic').setAttribute('src', s.team === 1 ? '/pictures/team1.png' : '/pictures/team0.png');
    $('teamWhitePic').setAttribute('src', s.team === 2 ? '/pictures/team3.png' : '/pictures/team2.png');
  }

  renderCategory(s) {
    const chooser = this.game.isChooser();
    if (this.lastStage !== 'category') $('ownCategory').value = 'General';
    setText($('chooseCaption'), chooser ? Texts.chooseCategory : this.game.caption(s.chooserSlot) + Texts.isChoosing);
    show($('chooserTools'), chooser);
    if (!chooser) return;
    show($('ownCategoryForm'), !s.fixedList);
    const kind = s.fixedList ? 'fixed' : 'combo';
    const list = this.actions.categories()[kind];
    if (this.categoryKind !== kind || this.categoryCount !== list.length) {
      this.categoryKind = kind;
      this.categoryCount = list.length;
      const box = $('categoryList');
      const buttons = list.map((text) => {
        const button = el('button', 'chip', text);
        button.type = 'button';
        button.addEventListener('click', () => this.actions.chooseCategory(text));
        return button;
      });
      placeInOrder(box, buttons);
    }
    for (const button of $('categoryList').children) {
      button.setAttribute('aria-pressed', String(button.textContent === s.chosenCategory));
    }
  }

  renderCreating(s) {
    setText($('letters'), s.letters);
    const a = s.answer;
    show($('acroForm'), a.visible);
    show($('watchNote'), !a.visible && s.loggedIn);
    const input = $('acro');
    if (a.edited && input.value !== a.text) input.value = a.text;
    a.edited = false;
    input.classList.toggle('bad', a.colour === 'red');
    input.classList.toggle('sent', a.colour === 'black');
    input.setAttribute('aria-invalid', String(a.warning));
    show($('acroWarning'), a.warning);
    show($('acroFiltered'), a.filtered);
    show($('acroAccepted'), a.accepted);
    show($('bonusCaption'), s.showBonusCaption);
    setText($('bonusCaption'), s.bonusCaption);
  }

  renderVoting(s) {
    const nothing = $('nothing');
    show(nothing, !!s.nothing);
    setText(nothing, s.nothing);
    const canVote = s.votingOpen && s.ownSlot >= 1 && s.ownSlot <= BoardSlots;
    show($('voteHint'), canVote);
    const rows = [];
    for (const slot of s.answerOrder) {
      const text = s.acros.get(slot);
      if (text === undefined) continue;
      rows.push(this.answerRow(s, slot, text, canVote));
    }
    for (const [slot, row] of this.answerRows) if (!s.acros.has(slot) || row.text !== s.acros.get(slot)) this.answerRows.delete(slot);
    placeInOrder($('answers'), rows.map((r) => r.node));
    setText($('wonRound'), s.wonRound);
  }

  answerRow(s, slot, text, canVote) {
    let row = this.answerRows.get(slot);
    const own = slot === s.ownSlot;
    const votable = canVote && !own;
    if (!row || row.text !== text || row.votable !== votable) {
      const node = el('div', 'answer-row');
      let target;
      if (votable) {
        target = el('button', 'answer', text);
        target.type = 'button';
        target.addEventListener('click', () => this.actions.vote(slot));
      } else {
        target = el('span', 'answer', text);
      }
      if (own) {
        target.classList.add('own');
        target.appendChild(el('span', 'tag', 'Yours'));
      }
      const meta = el('span', 'meta');
      node.append(target, meta);
      // Keep keyboard focus on the answer when its row is rebuilt.
      const old = row && row.node;
      const hadFocus = old && old.contains(document.activeElement);
      row = { node, target, meta, text, votable };
      this.answerRows.set(slot, row);
      if (old && old.parentNode) old.replaceWith(node);
      if (hadFocus && votable) target.focus();
    }
    const length = [...text].length;
    row.target.classList.toggle('long', length > 60 && length <= 80);
    row.target.classList.toggle('longer', length > 80);
    if (votable) row.target.setAttribute('aria-pressed', String(s.myVote === slot));
    const r = s.results.get(slot);
    row.node.classList.toggle('won', !!(r && r.won));
    row.node.classList.toggle('no-vote', !!(r && r.counted === 'n'));
    if (r) {
      const parts = [];
      if (r.won) parts.push('★ ');
      if (r.speed) parts.push('⚡ ');
      const votes = r.votes === '1' ? '1 vote' : `${r.votes} votes`;
      setText(row.meta, `${parts.join('')}${r.name} · ${votes}`);
      row.meta.setAttribute('title', (r.won ? 'Round winner. ' : '') + (r.speed ? 'Speed bonus. ' : '') + (r.counted === 'n' ? 'Did not vote.' : ''));
    } else {
      setText(row.meta, '');
      row.meta.removeAttribute('title');
    }
    return row;
  }

  renderBoard(s) {
    const nodes = [];
    for (const slot of s.boardOrder) {
      const row = s.board[slot];
      if (row.name === null && row.score === '0') continue;
      nodes.push(this.boardRow(s, slot, row));
    }
    placeInOrder($('board'), nodes);
    const canKick = s.rights && s.loggedIn;
    show($('kickMode'), canKick);
    if (!canKick) this.kickMode = false;
    $('kickMode').setAttribute('aria-pressed', String(this.kickMode));
    show($('boardEmpty'), nodes.length === 0);
  }

  boardRow(s, slot, row) {
    let r = this.boardRows.get(slot);
    if (!r) {
      const node = el('li', 'player');
      const mark = el('span', 'mark');
      const name = el('span', 'name');
      const score = el('span', 'score');
      const bonus = el('span', 'points');
      node.append(mark, name, score, bonus);
      r = { node, mark, name, score, bonus, kick: null };
      this.boardRows.set(slot, r);
    }
    const caption = row.name === null ? Waiting : row.name;
    setText(r.name, caption);
    setText(r.score, row.score);
    setText(r.bonus, row.bonus);
    setText(r.mark, row.entered ? '✓' : '');
    r.mark.setAttribute('title', row.entered ? 'has answered' : '');
    r.node.classList.toggle('answered', row.entered);
    r.node.classList.toggle('away', row.name === null || row.away);
    r.node.classList.toggle('me', slot === s.ownSlot);
    r.node.classList.toggle('leader', row.bold);
    r.node.classList.toggle('white', row.team === 2);
    const spoken = `${caption}, ${row.score} points${row.bonus ? `, ${row.bonus} this round` : ''}${row.entered ? ', has answered' : ''}`;
    r.node.setAttribute('aria-label', spoken);
    const kickable = this.kickMode && s.rights && s.loggedIn && slot !== s.ownSlot && row.name !== null;
    if (kickable && !r.kick) {
      r.kick = el('button', 'kick', 'Remove');
      r.kick.type = 'button';
      r.kick.addEventListener('click', () => this.actions.kick(slot));
      r.node.appendChild(r.kick);
    } else if (!kickable && r.kick) {
      r.kick.remove();
      r.kick = null;
    }
    if (r.kick) r.kick.setAttribute('aria-label', 'Remove ' + caption);
    return r.node;
  }

  renderSpies(s) {
    const list = $('spies');
    show($('spyBox'), s.spies.size > 0);
    const kickable = this.kickMode && s.rights && s.loggedIn;
    const key = JSON.stringify([kickable, s.ownSlot, [...s.spies]]);
    if (key === this.spyKey) return;
    this.spyKey = key;
    const nodes = [];
    for (const [slot, name] of [...s.spies].sort((a, b) => a[0] - b[0])) {
      const item = el('li', 'spy', name);
      if (kickable && slot !== s.ownSlot) {
        const kick = el('button', 'kick', 'Remove');
        kick.type = 'button';
        kick.setAttribute('aria-label', 'Remove ' + name);
        kick.addEventListener('click', () => this.actions.kick(slot));
        item.appendChild(kick);
      }
      nodes.push(item);
    }
    list.replaceChildren(...nodes);
  }
}
