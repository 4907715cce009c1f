// Quibbleton in the browser: the socket to the host's web server, the sounds,
// the player's settings and the wiring of every control.
//
// Accessible names the page keeps stable (tests and screen readers find the
// controls by them):
//   textbox "Name", button "Join"                      joining the room
//   button "Start Game", spinbutton "Play to"          hosting player only (also
//     "Time to write", "Max letters", "Letters in bonus", check boxes "Speed Bonus",
//     "No Couch Topics", "Team Game", "Auto Restart", "Play Bonus Round", radio
//     buttons "Total Score", "Winning Bonus Round"; button "New game" during a game)
//   buttons "Yellow", "White"                          team choice (aria-pressed)
//   one button per offered category, named by its text; textbox "Own category"
//     and button "Choose"                              the chooser only
//   status "Letters" (its text: the round's letters)
//   textbox "Your acro" (Enter sends) and button "Send"
//   one button per answer to vote for, named by the answer's text (the player's
//     own answer is shown as text, not as a button)
//   status "Winner" (its text: the winner text and "!")
//   textbox "Chat" (Enter sends) and button "Send"; the phrase buttons named by
//     their phrases; button "Chatter sounds" and the sound buttons ("Doh", ...);
//     under "Chat settings": "Text colour", "Action colour", textboxes
//     "Phrase Button 1:" to "Phrase Button 10:" and button "Done"
//   button "Mute sounds" / "Unmute sounds"; button "Leave" for a seated player
//   button "Remove players" (aria-pressed) for the hosting player, which shows a
//     button "Remove NAME" on each board row and spy
//   log "Chat messages"
import { Game } from './state.js';
import { View, ChatView, nextFrame } from './view.js';
import {
  DefaultPhrases, DefaultOptions, ChatterSounds, OptionLimits, clampOption, colourFromCss, colourToCss,
  White, Silver,
} from './protocol.js';

const $ = (id) => document.getElementById(id);
const Store = 'quibbleton.';

function load(key, fallback) {
  try {
    const value = localStorage.getItem(Store + key);
    return value === null ? fallback : JSON.parse(value);
  } catch {
    return fallback;
  }
}
function save(key, value) {
  try {
    localStorage.setItem(Store + key, JSON.stringify(value));
  } catch {
    // private mode or full: the setting lasts for this visit only
  }
}

// The seat this tab holds: the name it joined with while it is in the room.
// It lasts over a reload (and a tab the browser reopens), so the page joins
// again by itself; another tab of the browser starts at the join form.
const SeatKey = Store + 'seat';
function seatName() {
  try {
    const name = JSON.parse(sessionStorage.getItem(SeatKey));
    return typeof name === 'string' ? name : '';
  } catch {
    return '';
  }
}
function keepSeat(name) {
  try {
    if (name) sessionStorage.setItem(SeatKey, JSON.stringify(name));
    else sessionStorage.removeItem(SeatKey);
  } catch {
    // storage refused: a reload shows the join form
  }
}

// The id this browser joins with: the host gives a dropped browser its seat
// back by it.
function browserToken() {
  let token = load('token', '');
  if (typeof token !== 'string' || !/^[A-Za-z0-9_-]{16,64}$/.test(token)) {
    const bytes = crypto.getRandomValues(new Uint8Array(24));
    token = btoa(String.fromCharCode(...bytes)).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
    save('token', token);
  }
  return token;
}

// ---- Sounds: nothing loads or plays before the player's first touch. One
// audio context, started inside a touch or key press as phones require, plays
// every clip; a new clip cuts off the one still playing.
class Sounds {
  constructor() {
    this.unlocked = false;
    this.muted = load('muted', false) === true;
    this.context = null;
    this.clips = new Map(); // name -> promise of decoded audio
    this.current = null;
  }
  get audible() {
    return this.unlocked && !this.muted;
  }
  // Called from a touch, click or key press; true once sound may play.
  unlock() {
    const Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return false;
    try {
      if (!this.context) this.context = new Context();
      if (this.context.state !== 'running') this.context.resume().catch(() => {});
    } catch {
      return false;
    }
    this.unlocked = true;
    return this.context.state === 'running';
  }
  clip(name) {
    let clip = this.clips.get(name);
    if (!clip) {
      clip = fetch(`/sounds/${name.toUpperCase()}.wav`)
        .then((r) => (r.ok ? r.arrayBuffer() : Promise.reject(new Error(r.status))))
        .then((bytes) => this.context.decodeAudioData(bytes));
      clip.catch(() => {});
      this.clips.set(name, clip);
    }
    return clip;
  }
  play(name) {
    if (!this.audible || !this.context || !/^[a-z0-9]{1,32}$/i.test(name)) return;
    this.clip(name).then((buffer) => {
      if (!this.audible) return;
      try {
        if (this.current) this.current.stop();
      } catch {
        // already ended
      }
      const source = this.context.createBufferSource();
      source.buffer = buffer;
      source.connect(this.context.destination);
      source.start();
      this.current = source;
    }, () => {});
  }
}

const game = new Game();
const sounds = new Sounds();
const chatView = new ChatView($('chatLog'));
let socket = null;
let pendingJoin = false;
let rejoin = false;
let seated = false;
let retryMs = 1000;
let categories = { combo: ['General'], fixed: ['General'] };
let textColour = load('textColour', White);
let actionColour = load('actionColour', White);
const phrases = DefaultPhrases.slice();

const view = new View(game, {
  categories: () => categories,
  chooseCategory: (text) => apply(game.chooseCategory(text)),
  vote: (slot) => apply(game.vote(slot)),
  kick: (slot) => apply(game.kick(slot)),
});

let renderScheduled = false;
function scheduleRender() {
  if (renderScheduled) return;
  renderScheduled = true;
  nextFrame(() => {
    renderScheduled = false;
    const before = view.lastStage;
    view.render();
    if (view.lastStage !== before) {
      bringStageIntoView();
      rescueFocus();
    }
  });
}

function announce(text) {
  const region = $('announce');
  region.textContent = '';
  // A fresh text node, so the same words are read again.
  setTimeout(() => {
    region.textContent = text;
  }, 50);
}

// Carries out what a message or an action asked for.
function apply(fx) {
  if (!fx) return;
  for (const { text, colour } of fx.chat) chatView.add(text, colour);
  for (const name of fx.sounds) sounds.play(name);
  for (const frame of fx.send) if (socket && socket.readyState === WebSocket.OPEN) socket.send(frame);
  if (fx.announce) announce(fx.announce);
  if (fx.focus === 'acro') focusSoon('acro');
  scheduleRender();
}

// A stage that asks something of the player scrolls into sight (a phone shows
// one part of the page at a time), unless the player is typing a chat line.
function bringStageIntoView() {
  const stage = view.lastStage;
  if (!['team', 'category', 'creating', 'voting', 'over'].includes(stage)) return;
  const chat = $('chat');
  if (document.activeElement === chat && chat.value) return;
  const box = $('stage').getBoundingClientRect();
  if (box.top < 0 || box.top > innerHeight * 0.5) $('stage').scrollIntoView({ block: 'start' });
}

// Focus left on a control the stage just hid goes to the new stage's first
// control, so a keyboard player goes on from there.
// Focus left on a control the stage just hid goes to the new stage's heading
// (or the game area), never to its first button: a focus ring on an answer or
// a team would look like a choice already made. Tab goes on from there.
function rescueFocus() {
  const active = document.activeElement;
  if (active && active !== document.body && active.offsetParent !== null) return;
  const heading = [...$('stage').querySelectorAll('.panel h2')].find((e) => e.offsetParent !== null);
  if (heading) heading.tabIndex = -1;
  (heading || $('stage')).focus({ preventScroll: true });
}

function focusSoon(id) {
  requestAnimationFrame(() => {
    view.render();
    const chat = $('chat');
    // Someone halfway through a chat line keeps typing it.
    if (document.activeElement === chat && chat.value) return;
    const target = $(id);
    if (target && !target.closest('[hidden]')) target.focus();
  });
}

// ---- The socket

function connect() {
  const scheme = location.protocol === 'https:' ? 'wss' : 'ws';
  const ws = new WebSocket(`${scheme}://${location.host}/ws`);
  socket = ws;
  setJoinNote('Connecting…');
  ws.addEventListener('message', (event) => {
    if (typeof event.data !== 'string') return;
    const word = event.data.slice(0, event.data.indexOf('+'));
    apply(game.handle(event.data, (error) => console.warn(error.message)));
    if (game.s.loggedIn !== seated) {
      seated = game.s.loggedIn;
      if (seated) keepSeat(game.s.ownName);
    }
    // The room closed this seat (left, removed, the room ended): a reload
    // starts at the join form. A lost one is joined again.
    if (word === 'WEB_left' && game.s.leftReason !== 'lost') keepSeat('');
    if (word === 'WEB_hello') {
      retryMs = 1000;
      setJoinNote('');
      if (pendingJoin || rejoin) join();
      rejoin = false;
    }
    if (word === 'WEB_left') setJoinNote(game.s.full ? 'Game is full' : game.s.leftReason === 'lost'
      ? 'The connection to the room was lost. Join again?' : 'You have left the room. Join again?');
  });
  ws.addEventListener('close', () => {
    if (socket !== ws) return;
    socket = null;
    game.s.socket = false;
    // A dropped socket (a phone asleep, a flaky network) joins again by itself,
    // with the same token, once the host answers again.
    if (game.s.joined) {
      rejoin = true;
      apply(game.handle('WEB_left+lost+'));
    }
    setJoinNote('No connection to the host. Trying again…');
    setTimeout(connect, retryMs);
    retryMs = Math.min(retryMs * 2, 10000);
  });
}

// Leaving on purpose is the Leave button only. A reload fires pagehide as a
// closed tab does, so the page says nothing when it goes: the host keeps a
// dropped seat for a while, and the reloaded page (or the tab opened again)
// takes it back by itself. A tab closed for good is let go when that time is up.
$('leave').addEventListener('click', () => {
  keepSeat('');
  apply(game.leave());
});

function setJoinNote(text) {
  $('joinNote').textContent = text;
}

function join() {
  const name = $('name').value.trim();
  if (!name) {
    setJoinNote('Please type your name.');
    $('name').focus();
    return;
  }
  save('name', name);
  if (!socket || socket.readyState !== WebSocket.OPEN || !game.s.socket) {
    pendingJoin = true;
    setJoinNote('Connecting…');
    return;
  }
  pendingJoin = false;
  setJoinNote('');
  apply(game.join(name, browserToken()));
  // The join form is gone: the keyboard goes on from the game area (on a wide
  // screen straight into the chat; a phone keeps its keyboard down).
  requestAnimationFrame(() => {
    if (matchMedia('(min-width: 1000px)').matches) $('chat').focus();
    else $('stage').focus({ preventScroll: true });
  });
}

// ---- Controls

function onSubmit(id, handler) {
  $(id).addEventListener('submit', (event) => {
    event.preventDefault();
    handler();
  });
}

onSubmit('joinForm', join);

onSubmit('chatForm', () => {
  const box = $('chat');
  const fx = game.chatLine(box.value, textColour, actionColour);
  if (fx === null) return; // not in the room: the text stays
  apply(fx);
  box.value = '';
});

onSubmit('acroForm', () => apply(game.submitAcro($('acro').value)));
$('acro').addEventListener('input', () => {
  const box = $('acro');
  // "~" is how "+" travels; the box never holds one.
  if (box.value.includes('~')) {
    const at = box.selectionStart;
    box.value = box.value.replace(/~/g, '+');
    box.setSelectionRange(at, at);
  }
  game.answerEdited(box.value);
  scheduleRender();
});

onSubmit('ownCategoryForm', () => {
  apply(game.chooseCategory($('ownCategory').value));
});

$('teamYellow').addEventListener('click', () => apply(game.chooseTeam(1)));
$('teamWhite').addEventListener('click', () => apply(game.chooseTeam(2)));

// Game options, remembered for the next visit.
const optionFields = {
  playTo: 'optPlayTo', creationSeconds: 'optCreation', maxLetters: 'optMax', bonusLetters: 'optBonusLetters',
};
const optionChecks = {
  speedBonus: 'optSpeed', noCouchTopics: 'optCouch', teamGame: 'optTeam', autoRestart: 'optAuto', playBonus: 'optBonus',
};
function readOptions() {
  const o = {};
  for (const [key, id] of Object.entries(optionFields)) o[key] = clampOption(key, $(id).value);
  for (const [key, id] of Object.entries(optionChecks)) o[key] = $(id).checked;
  o.winningBonus = $('optByBonus').checked;
  return o;
}
function writeOptions(o) {
  for (const [key, id] of Object.entries(optionFields)) $(id).value = String(clampOption(key, o[key]));
  for (const [key, id] of Object.entries(optionChecks)) $(id).checked = !!o[key];
  $(o.winningBonus ? 'optByBonus' : 'optByScore').checked = true;
  followBonus();
}
function followBonus() {
  $('bonusSet').disabled = !$('optBonus').checked;
}
$('optBonus').addEventListener('change', followBonus);
for (const [key, id] of Object.entries(optionFields)) {
  $(id).addEventListener('change', () => {
    $(id).value = String(clampOption(key, $(id).value));
  });
  // The arrows step by the window's steps and stop at its range.
  $(id).addEventListener('keydown', (event) => {
    if (event.key !== 'ArrowUp' && event.key !== 'ArrowDown') return;
    event.preventDefault();
    const { step, min, max } = OptionLimits[key];
    const now = clampOption(key, $(id).value);
    $(id).value = String(Math.min(max, Math.max(min, now + (event.key === 'ArrowUp' ? step : -step))));
  });
}
// "team" is not kept: each game is asked again, as the options window does.
writeOptions({ ...DefaultOptions, ...load('options', {}), teamGame: false });
onSubmit('optionsForm', () => {
  const options = readOptions();
  const { teamGame, ...kept } = options;
  save('options', kept);
  view.optionsOpen = false;
  apply(game.startGame(options));
});
$('newGame').addEventListener('click', () => {
  view.optionsOpen = true;
  view.render();
  $('optPlayTo').focus();
});
$('kickMode').addEventListener('click', () => {
  view.kickMode = !view.kickMode;
  view.render();
});
$('optionsClose').addEventListener('click', () => {
  view.optionsOpen = false;
  view.render();
  $('newGame').focus();
});

// Phrase buttons and the chatter sounds.
function buildPhrases() {
  const box = $('phrases');
  const saved = load('phrases', null);
  if (Array.isArray(saved)) saved.slice(0, 10).forEach((p, i) => {
    if (typeof p === 'string' && p) phrases[i] = p.slice(0, 50);
  });
  const buttons = [];
  for (let i = 0; i < 9; i++) {
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'phrase';
    button.textContent = phrases[i];
    button.addEventListener('click', () => apply(game.phrase(phrases[i], actionColour)));
    box.appendChild(button);
    buttons.push(button);
  }
  const soundsButton = document.createElement('button');
  soundsButton.type = 'button';
  soundsButton.className = 'phrase sounds';
  soundsButton.textContent = 'Chatter sounds';
  soundsButton.title = phrases[9];
  soundsButton.setAttribute('aria-expanded', 'false');
  soundsButton.setAttribute('aria-controls', 'soundMenu');
  box.appendChild(soundsButton);

  const menu = $('soundMenu');
  const close = () => {
    menu.hidden = true;
    soundsButton.setAttribute('aria-expanded', 'false');
  };
  soundsButton.addEventListener('click', () => {
    menu.hidden = !menu.hidden;
    soundsButton.setAttribute('aria-expanded', String(!menu.hidden));
    if (!menu.hidden) menu.querySelector('button').focus();
  });
  for (let n = 1; n <= 12; n++) {
    const item = document.createElement('button');
    item.type = 'button';
    item.className = 'chip';
    item.textContent = ChatterSounds[n];
    item.addEventListener('click', () => {
      apply(game.playSound(n));
      close();
      soundsButton.focus();
    });
    menu.appendChild(item);
  }
  const cancel = document.createElement('button');
  cancel.type = 'button';
  cancel.className = 'chip cancel';
  cancel.textContent = 'Cancel';
  cancel.addEventListener('click', () => {
    close();
    soundsButton.focus();
  });
  menu.appendChild(cancel);
  // The phrase list: each box edits its button's phrase; an emptied box gives
  // the button its built-in phrase back.
  const fields = [];
  for (let i = 0; i < 10; i++) {
    const field = document.createElement('div');
    field.className = 'field';
    const label = document.createElement('label');
    label.htmlFor = `phrase${i + 1}`;
    label.textContent = `Phrase Button ${i + 1}:`;
    const input = document.createElement('input');
    input.type = 'text';
    input.id = `phrase${i + 1}`;
    input.maxLength = 50;
    input.value = phrases[i];
    field.append(label, input);
    $('phraseFields').appendChild(field);
    fields.push(input);
  }
  onSubmit('phraseForm', () => {
    fields.forEach((input, i) => {
      phrases[i] = input.value.slice(0, 50) || DefaultPhrases[i];
      input.value = phrases[i];
      if (buttons[i]) buttons[i].textContent = phrases[i];
    });
    soundsButton.title = phrases[9];
    save('phrases', phrases);
    $('phraseForm').closest('details').open = false;
  });
  menu.addEventListener('keydown', (event) => {
    if (event.key === 'Escape') {
      close();
      soundsButton.focus();
    }
  });
}
buildPhrases();

// Chat colours.
function colourInput(id, value, set) {
  const input = $(id);
  input.value = colourToCss(typeof value === 'number' ? value : Silver);
  input.addEventListener('change', () => {
    const colour = colourFromCss(input.value);
    if (colour !== null) set(colour);
  });
}
colourInput('textColour', textColour, (c) => {
  textColour = c;
  save('textColour', c);
  $('chat').style.color = colourToCss(c);
});
colourInput('actionColour', actionColour, (c) => {
  actionColour = c;
  save('actionColour', c);
});
if (typeof textColour !== 'number') textColour = White;
if (typeof actionColour !== 'number') actionColour = White;
$('chat').style.color = colourToCss(textColour);

// Mute switch.
function showMute() {
  $('mute').textContent = sounds.muted ? 'Unmute sounds' : 'Mute sounds';
  $('mute').classList.toggle('off', sounds.muted);
  game.audible = sounds.audible;
}
$('mute').addEventListener('click', () => {
  sounds.muted = !sounds.muted;
  save('muted', sounds.muted);
  showMute();
});
// Browsers let a page play sound only after the player's first touch.
// These events count as the player's own touch for starting sound.
const touchEvents = ['pointerup', 'touchend', 'click', 'keydown'];
const unlock = () => {
  const running = sounds.unlock();
  showMute();
  if (running) for (const type of touchEvents) removeEventListener(type, unlock, true);
};
for (const type of touchEvents) addEventListener(type, unlock, true);
showMute();

// The countdown runs here; the host corrects it now and then.
setInterval(() => {
  if (!game.s.timerRunning) return;
  for (const name of game.tick()) sounds.play(name);
  view.renderTime(game.s);
  const left = game.s.secondsLeft;
  if (left === 10 || left === 5) announce(`${left} seconds left`);
}, 1000);

// The answer box stays in sight above an on-screen keyboard.
if (window.visualViewport) {
  const vv = window.visualViewport;
  const follow = () => {
    document.documentElement.style.setProperty('--vvh', `${vv.height}px`);
    const active = document.activeElement;
    if (active && (active.id === 'acro' || active.id === 'chat' || active.id === 'ownCategory')) {
      active.scrollIntoView({ block: 'nearest' });
    }
  };
  vv.addEventListener('resize', follow);
  follow();
}

// The categories the chooser is offered, from the host.
fetch('/categories.json')
  .then((r) => (r.ok ? r.json() : null))
  .then((data) => {
    const list = (v) => (Array.isArray(v) ? v.filter((c) => typeof c === 'string').slice(0, 200) : null);
    if (!data) return;
    categories = { combo: list(data.combo) || categories.combo, fixed: list(data.fixed) || categories.fixed };
    view.categoryKind = null;
    scheduleRender();
  })
  .catch(() => {});

$('name').value = typeof load('name', '') === 'string' ? load('name', '') : '';
// Seated before this page was loaded: join again as soon as the host answers.
if (seatName()) {
  $('name').value = seatName();
  rejoin = true;
}
view.render();
connect();
