// The game's messages as the page reads and writes them: the field reader every
// receiver uses, the message table (messages.js, written from the program's own
// table) that names every message with its fields, what the page makes of each
// message the host (or the web server) sends, and the builders of the messages
// the page sends. Pure functions only: no DOM, no socket, so every rule here can
// be checked without a browser.

import { Groups, Table } from './messages.js';
//
// A frame carries one message without its terminator: the command word, then
// each field introduced by "+".

export const GameVersionFallback = '1.0.21';
// The host keeps at most this many bytes of UTF-8 of a chat, action, answer or
// category text; the page never sends a longer one.
export const MaxTextBytes = 4096;
export const MaxNameBytes = 256;
export const BoardSlots = 12;
export const LastSlot = 15;
// A player whose connection dropped arrives again under its name and this,
// while the host keeps its place.
export const AwaySuffix = ' (away)';

// A number field that does not convert abandons the message it came in.
export class ParseError extends Error {
  constructor(field) {
    super(`'${field}' is not a valid integer value`);
    this.name = 'ParseError';
  }
}

// Plain decimal: an optional "-", at least one digit, within the 32-bit range;
// leading zeros are fine ("007" is 7). No blanks, no "+" sign. Null otherwise.
export function toNumber(text) {
  if (typeof text !== 'string' || !/^-?[0-9]+$/.test(text)) return null;
  const value = Number(text);
  if (value > 2147483647 || value < -2147483648) return null;
  return value === 0 ? 0 : value; // no -0
}

export function wholeNumber(text) {
  const value = toNumber(text);
  if (value === null) throw new ParseError(text);
  return value;
}

// The next field is the text up to the next "+", removed with that "+"; with no
// "+" left it reads as empty and nothing is removed. rest() runs to the end.
export class FieldReader {
  constructor(remainder) {
    this.buffer = remainder;
  }
  // A message that carries a list is read with "+@" appended; the list has
  // ended when exactly "@" is left.
  static forList(remainder) {
    return new FieldReader(remainder + '+@');
  }
  field() {
    const at = this.buffer.indexOf('+');
    if (at < 0) return '';
    const field = this.buffer.slice(0, at);
    this.buffer = this.buffer.slice(at + 1);
    return field;
  }
  number() {
    return wholeNumber(this.field());
  }
  rest() {
    return this.buffer;
  }
  listEnded() {
    return this.buffer === '@';
  }
  // Another group of a list follows.
  more() {
    return !this.listEnded() && this.buffer.includes('+');
  }
}

// A frame into its command word and remainder; null when it is not dispatched
// (no "+", or an empty command word).
export function splitEntry(frame) {
  if (typeof frame !== 'string') return null;
  const at = frame.indexOf('+');
  if (at <= 0) return null;
  return { word: frame.slice(0, at), rest: frame.slice(at + 1) };
}

// "+" typed in an answer travels as "~".
export const acroToWire = (text) => text.replace(/\+/g, '~');
export const acroFromWire = (text) => text.replace(/~/g, '+');

const encoder = new TextEncoder();
const decoder = new TextDecoder();

export function utf8Length(text) {
  return encoder.encode(text).length;
}

// Text cut to at most maxBytes of UTF-8 without splitting a character.
export function cutText(text, maxBytes) {
  if (maxBytes <= 0) return '';
  const bytes = encoder.encode(text);
  if (bytes.length <= maxBytes) return text;
  let end = maxBytes;
  while (end > 0 && (bytes[end] & 0xc0) === 0x80) end--;
  return decoder.decode(bytes.subarray(0, end));
}

// ---- Chat colours -------------------------------------------------------
// A colour is 0x00BBGGRR. On the wire it is a standard colour name or "$" and
// eight hexadecimal digits.

export const StandardColours = [
  ['clBlack', 0x000000], ['clMaroon', 0x000080], ['clGreen', 0x008000], ['clOlive', 0x008080],
  ['clNavy', 0x800000], ['clPurple', 0x800080], ['clTeal', 0x808000], ['clGray', 0x808080],
  ['clSilver', 0xc0c0c0], ['clRed', 0x0000ff], ['clLime', 0x00ff00], ['clYellow', 0x00ffff],
  ['clBlue', 0xff0000], ['clFuchsia', 0xff00ff], ['clAqua', 0xffff00], ['clWhite', 0xffffff],
];
const SystemBit = 0x80000000;
const OtherColours = [
  ['clMoneyGreen', 0xc0dcc0], ['clSkyBlue', 0xf0caa6], ['clCream', 0xf0fbff],
  ['clMedGray', 0xa4a0a0], ['clNone', 0x1fffffff], ['clDefault', 0x20000000],
];
// The system colours a desktop may send, with the shade they stand for on the
// dark chat of the game.
const SystemColourNames = [
  'clScrollBar', 'clBackground', 'clActiveCaption', 'clInactiveCaption', 'clMenu', 'clWindow',
  'clWindowFrame', 'clMenuText', 'clWindowText', 'clCaptionText', 'clActiveBorder',
  'clInactiveBorder', 'clAppWorkSpace', 'clHighlight', 'clHighlightText', 'clBtnFace',
  'clBtnShadow', 'clGrayText', 'clBtnText', 'clInactiveCaptionText', 'clBtnHighlight',
  'cl3DDkShadow', 'cl3DLight', 'clInfoText', 'clInfoBk', null, 'clHotLight',
  'clGradientActiveCaption', 'clGradientInactiveCaption', 'clMenuHighlight', 'clMenuBar',
];
const colourByName = new Map();
for (const [name, value] of [...StandardColours, ...OtherColours]) colourByName.set(name.toLowerCase(), value);
SystemColourNames.forEach((name, i) => name && colourByName.set(name.toLowerCase(), (SystemBit | i) >>> 0));

export const Silver = 0xc0c0c0;
export const White = 0xffffff;
export const Yellow = 0x00ffff;
export const Blue = 0xff0000;
export const DepartureColour = 0x78989c;

// A colour text read as a colour value, or null when it does not read. Names
// with letter case ignored, "$" or "0x" and up to eight hex digits, or a
// decimal 32-bit number.
export function colourFromText(input) {
  const text = String(input).trim();
  if (!text) return null;
  const named = colourByName.get(text.toLowerCase());
  if (named !== undefined) return named;
  let m;
  if ((m = /^(?:\$|0[xX])([0-9a-fA-F]{1,8})$/.exec(text))) return parseInt(m[1], 16) >>> 0;
  if (/^[+-]?[0-9]+$/.test(text)) {
    const value = Number(text);
    if (value > 2147483647 || value < -2147483648) return null;
    return value >>> 0;
  }
  return null;
}

// A colour value as the page draws it ("#rrggbb").
export function colourToCss(value) {
  let v = value >>> 0;
  if ((v & 0xff000000) >>> 0 === SystemBit) v = Silver; // a system colour: the chat's own
  const hex = (n) => n.toString(16).padStart(2, '0');
  return `#${hex(v & 0xff)}${hex((v >>> 8) & 0xff)}${hex((v >>> 16) & 0xff)}`;
}

// Too dark to read on the chat's black: the page gives such a line a light
// backing instead of changing its colour.
export function isDark(value) {
  const css = colourToCss(value);
  const [r, g, b] = [1, 3, 5].map((i) => parseInt(css.slice(i, i + 2), 16) / 255);
  return 0.299 * r + 0.587 * g + 0.114 * b < 0.22;
}

// A colour value as it travels: its standard name, else "$" and eight digits.
export function colourToText(value) {
  const v = value >>> 0;
  for (const [name, c] of StandardColours) if (c === v) return name;
  return '$' + v.toString(16).toUpperCase().padStart(8, '0');
}

// "#rrggbb" (a colour picker's value) as a colour value.
export function colourFromCss(css) {
  const m = /^#([0-9a-f]{2})([0-9a-f]{2})([0-9a-f]{2})$/i.exec(css);
  if (!m) return null;
  return (parseInt(m[1], 16) | (parseInt(m[2], 16) << 8) | (parseInt(m[3], 16) << 16)) >>> 0;
}

// A relayed chat or action text: the line before the first "|", coloured by
// the text after it; silver without "|" or when the colour does not read.
export function splitChatText(text) {
  const bar = text.indexOf('|');
  if (bar < 0) return { line: text, colour: Silver };
  const colour = colourFromText(text.slice(bar + 1));
  return { line: text.slice(0, bar), colour: colour === null ? Silver : colour };
}

// A chat line is drawn bold up to and including its first ":".
export function chatLineParts(line) {
  const colon = line.indexOf(':');
  return colon < 0 ? { bold: '', plain: line } : { bold: line.slice(0, colon + 1), plain: line.slice(colon + 1) };
}

// ---- Phrases, sounds, options ------------------------------------------

export const DefaultPhrases = [
  'Nice Acros!', 'Good One!', 'Way To Go!', 'Excellent!', 'Brilliant!', 'Wow, WTG!', 'Thanks!',
  'Way To Go Teamie!', 'Good Game Everyone!', 'See ya!',
];
export const PhrasePauseMs = 2000;

// The chatter sounds by number (1 to 12), as the sound menu names them.
export const ChatterSounds = [
  null, 'Doh', 'Cough', 'Hello', 'Thank You', 'Where have you been?', 'Snoring', 'Sneezing',
  'Sorry', 'Welcome', 'Yeehaa', 'Yippee', 'Oh No',
];

// The game options window: each number's range and step, and the initial values.
export const OptionLimits = {
  playTo: { min: 3, max: 100, step: 5, initial: 30 },
  creationSeconds: { min: 45, max: 120, step: 5, initial: 60 },
  maxLetters: { min: 5, max: 8, step: 1, initial: 7 },
  bonusLetters: { min: 7, max: 10, step: 1, initial: 10 },
};
export const DefaultOptions = {
  playTo: 30, creationSeconds: 60, maxLetters: 7, speedBonus: false, noCouchTopics: false,
  teamGame: false, autoRestart: false, playBonus: true, bonusLetters: 10, winningBonus: true,
};

export function clampOption(key, value) {
  const limits = OptionLimits[key];
  const n = typeof value === 'number' ? value : toNumber(String(value).trim());
  if (n === null || !Number.isFinite(n)) return limits.initial;
  return Math.min(limits.max, Math.max(limits.min, Math.round(n)));
}

// ---- Messages the page sends -------------------------------------------

const tf = (flag) => (flag ? 't' : 'f');

// A line cut so the field the host relays (before, the text, "|", the colour)
// stays within the host's limit.
function fitLine(text, colourText, before = 0) {
  return cutText(text, MaxTextBytes - before - 1 - utf8Length(colourText));
}

// "/me" and the character after it (normally a blank; a character of several
// code units goes whole).
export function withoutMe(line) {
  const after = [...line.slice(3)];
  return after.slice(1).join('');
}

// ---- The message table -------------------------------------------------

const tableEntry = new Map(Table.map((m) => [`${m.direction}.${m.name}`, m]));

function readGroup(reader, fields, empty) {
  const out = {};
  for (const [name, kind, group] of fields) {
    if (kind === 'Number' || kind === 'Text') {
      out[name] = reader.field();
    } else if (kind === 'Rest' || kind === 'Whole') {
      out[name] = reader.rest();
    } else if (kind === 'Word') {
      const rest = reader.rest();
      const at = rest.indexOf('+');
      out[name] = at < 0 ? rest : rest.slice(0, at);
    } else if (kind === 'List') {
      // Every group takes at least one field while the list has not ended.
      const items = [];
      if (!empty) while (!reader.listEnded()) items.push(readGroup(reader, Groups[group], false));
      out[name] = items;
    }
  }
  return out;
}

// A message's fields by name, read from its remainder as every receiver reads
// them: each field's text, a list as its groups. A message with a list is read
// with "+@" appended, and an empty remainder is an empty list.
export function readFields(message, remainder) {
  const list = message.fields.some(([, kind]) => kind === 'List');
  const reader = list ? FieldReader.forList(remainder) : new FieldReader(remainder);
  return readGroup(reader, message.fields, remainder === '');
}

// A message of the table from its fields by name; a list is an array of groups.
export function build(direction, name, values) {
  const message = tableEntry.get(`${direction}.${name}`);
  let text = message.word;
  const put = (fields, from) => {
    for (const [field, kind, group] of fields) {
      if (kind === 'List') for (const item of from[field]) put(Groups[group], item);
      else text += `+${from[field]}`;
    }
  };
  put(message.fields, values);
  return message.tail === 'Plus' ? `${text}+` : text;
}

const toHost = (name, values) => build('toHost', name, values);

export const send = {
  webJoin: (token) => build('toPort', 'Join', { token }),
  logininfo: (slot, version, name) => toHost('Login', { slot, version, name: cutText(name, MaxNameBytes) }),
  kickhim: (slot, target) => toHost('Kick', { slot, target }),
  // A line typed into the chat box: a chat, a "/me" action, or nothing for any
  // other "/" command.
  chatLine(slot, text, textColour, actionColour) {
    if (!text) return null;
    if (!text.startsWith('/')) {
      const colour = colourToText(textColour);
      return toHost('Chat', { slot, text: `${fitLine(text, colour)}|${colour}` });
    }
    if (text.startsWith('/me')) {
      const colour = colourToText(actionColour);
      return toHost('Action', { slot, text: `${fitLine(withoutMe(text), colour)}|${colour}` });
    }
    return null;
  },
  phrase(slot, phrase, actionColour) {
    const colour = colourToText(actionColour);
    if (phrase.startsWith('/me')) return toHost('Action', { slot, text: `${fitLine(withoutMe(phrase), colour)}|${colour}` });
    return toHost('Action', { slot, text: ` says: ${fitLine(phrase, colour, 7)}|${colour}` });
  },
  playasound: (slot, n) => toHost('Sound', { slot, sound: `wave${n}` }),
  startgame(starter, o) {
    const bonus = !!o.playBonus;
    return toHost('StartGame', {
      starter: cutText(starter, MaxNameBytes), playTo: clampOption('playTo', o.playTo),
      creationSeconds: clampOption('creationSeconds', o.creationSeconds), bonus: tf(bonus),
      bonusLetters: clampOption('bonusLetters', o.bonusLetters), teams: o.teamGame ? 'team' : 'none',
      winningBonus: tf(o.winningBonus || !bonus), speed: tf(o.speedBonus),
      maxLetters: clampOption('maxLetters', o.maxLetters), autoRestart: tf(o.autoRestart), noCouch: tf(o.noCouchTopics),
    });
  },
  catchoosen: (slot, category) => toHost('Category', { slot, category: cutText(category, MaxTextBytes) }),
  acro: (slot, typed) => toHost('Answer', { slot, acro: acroToWire(cutText(typed, MaxTextBytes)) }),
  choosenacro: (slot, voted) => toHost('Vote', { slot, voted }),
  chooseteam: (slot, team) => toHost('Team', { slot, team }),
  // The player leaves on purpose (the page's Leave button): the host lets the
  // seat go at once instead of keeping it for a return.
  leaving: (slot) => toHost('Leaving', { slot }),
};

// ---- Messages the page receives ----------------------------------------
// What the page makes of each message the host or the web server sends, from
// its fields as the table reads them. A number field that does not convert
// throws ParseError where the page needs the number.

const slotAndName = (f) => ({ slot: wholeNumber(f.slot), name: f.name });

const announcement = (f) => ({
  starter: f.starter, playTo: f.playTo, creation: toNumber(f.creationSeconds), // null: the previous time stays
  bonus: f.bonus, bonusLetters: f.bonusLetters, winningBonus: f.winningBonus, speed: f.speed,
});

function pairs(items, skipBad) {
  const list = [];
  for (const item of items) {
    if (skipBad) {
      const slot = toNumber(item.slot);
      const team = toNumber(item.team);
      if (slot !== null && team !== null) list.push({ slot, team });
    } else {
      list.push({ slot: wholeNumber(item.slot), team: wholeNumber(item.team) });
    }
  }
  return list;
}

const Readers = {
  toPage: {
    Hello: (f) => ({ version: f.version || GameVersionFallback, rating: f.rating }),
    Left: (f) => ({ reason: f.reason }),
    Rights: (f) => ({ rights: f.rights === 't' }),
    AcroCheck: (f) => ({ accepted: f.accepted === 't', filtered: f.filtered === 't', cleaned: f.cleaned }),
  },
  toClient: {
    SendLogin: (f) => ({ slot: wholeNumber(f.slot) }),
    Full: () => ({}),
    NewPlayer: slotAndName,
    ExistingPlayer: slotAndName,
    HasWrongVersion: (f) => ({ name: f.name }),
    WrongVersion: () => ({}),
    Stats(f) {
      const slot = wholeNumber(f.slot);
      const teamGame = f.teamGame === 't';
      return { slot, playTo: f.playTo, creation: toNumber(f.creationSeconds), teamGame, teams: teamGame ? pairs(f.teams, true) : [] };
    },
    PlayerGone: slotAndName,
    ChatLine: (f) => splitChatText(f.text),
    ActionLine: (f) => splitChatText(f.text),
    Sound: (f) => ({ slotText: f.slot, name: f.sound }),
    Game: announcement,
    TeamGame: announcement,
    Teams: (f) => ({ teams: pairs(f.teams, false) }),
    NextPlayer: (f) => ({ chooser: wholeNumber(f.chooser), fixedList: f.noCouch === 't' }),
    Cats: (f) => ({ count: f.letterCount }),
    InBonus: (f) => (f.players === '0' ? { slots: null } : { slots: f.players.split(',').map(wholeNumber) }),
    Category: (f) => ({ category: f.category }),
    Letters(f) {
      const count = wholeNumber(f.letterCount);
      return { count, letters: f.letters.split('+').slice(0, Math.max(count, 0)).join('') };
    },
    Entered: (f) => ({ slot: toNumber(f.slot) }),
    NoAnswer: () => ({}),
    Answers: (f) => ({ acros: f.acros.map((a) => ({ slot: wholeNumber(a.slot), text: acroFromWire(a.acro) })) }),
    // A returning player's own answer of this round, in its wire form.
    YourAnswer: (f) => ({ slot: wholeNumber(f.slot), text: acroFromWire(f.acro) }),
    DoVote: () => ({}),
    UpdateTime: (f) => ({ seconds: wholeNumber(f.seconds) }),
    NoVotes: () => ({}),
    Votes: (f) => ({
      records: f.votes.map((v) => ({
        won: v.won === 'y', counted: v.counted, // "n": the author did not vote
        speed: v.speed === 'y', slot: wholeNumber(v.slot), name: v.name, votes: v.votes,
      })),
    }),
    Scores: (f) => ({
      teamGame: f.teamGame === 't', yellow: f.yellow, white: f.white,
      scores: f.scores.map((s) => ({ slot: wholeNumber(s.slot), total: s.total, points: s.points })),
    }),
    Winner: (f) => ({ text: f.text }),
  },
};

// Every command word the page reads, with its table entry and reader.
export const Messages = {};
for (const message of Table) {
  const reader = Readers[message.direction]?.[message.name];
  if (reader) Messages[message.word] = { fields: message.fields, read: (r) => reader(readFields(message, r)) };
}

// A frame read into { word, ...fields }; null when it is not dispatched or its
// command word is not one the page handles. Throws ParseError.
export function readMessage(frame) {
  const entry = splitEntry(frame);
  if (!entry || !Object.hasOwn(Messages, entry.word)) return null;
  return { word: entry.word, ...Messages[entry.word].read(entry.rest) };
}
