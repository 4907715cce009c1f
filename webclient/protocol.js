// The game's messages as the page reads and writes them: the field reader every
// receiver uses, one reader per command word the host (or the web server) sends,
// and one builder per message the page sends. Pure functions only: no DOM, no
// socket, so every rule here can be checked without a browser.
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

export const send = {
  webJoin: (token) => `WEB_join+${token}`,
  logininfo: (slot, version, name) => `CMD_logininfo+${slot}+${version}+${cutText(name, MaxNameBytes)}`,
  kickhim: (slot, target) => `CMD_kickhim+${slot}+${target}+`,
  // A line typed into the chat box: a chat, a "/me" action, or nothing for any
  // other "/" command.
  chatLine(slot, text, textColour, actionColour) {
    if (!text) return null;
    if (!text.startsWith('/')) {
      const colour = colourToText(textColour);
      return `CMD_chat+${slot}+${fitLine(text, colour)}|${colour}`;
    }
    if (text.startsWith('/me')) {
      const colour = colourToText(actionColour);
      return `CMD_action+${slot}+${fitLine(withoutMe(text), colour)}|${colour}`;
    }
    return null;
  },
  phrase(slot, phrase, actionColour) {
    const colour = colourToText(actionColour);
    if (phrase.startsWith('/me')) return `CMD_action+${slot}+${fitLine(withoutMe(phrase), colour)}|${colour}`;
    return `CMD_action+${slot}+ says: ${fitLine(phrase, colour, 7)}|${colour}`;
  },
  playasound: (slot, n) => `CMD_playasound+${slot}+wave${n}+`,
  startgame(starter, o) {
    const bonus = !!o.playBonus;
    return ['CMD_startgame', cutText(starter, MaxNameBytes), clampOption('playTo', o.playTo),
      clampOption('creationSeconds', o.creationSeconds), tf(bonus), clampOption('bonusLetters', o.bonusLetters),
      o.teamGame ? 'team' : 'none', tf(o.winningBonus || !bonus), tf(o.speedBonus),
      clampOption('maxLetters', o.maxLetters), tf(o.autoRestart), tf(o.noCouchTopics)].join('+') + '+';
  },
  catchoosen: (slot, category) => `CMD_catchoosen+${slot}+${cutText(category, MaxTextBytes)}`,
  acro: (slot, typed) => `CMD_acro+${slot}+${acroToWire(cutText(typed, MaxTextBytes))}`,
  choosenacro: (slot, voted) => `CMD_choosenacro+${slot}+${voted}+`,
  chooseteam: (slot, team) => `CMD_chooseteam+${slot}+${team}+`,
  // The player leaves on purpose (the page's Leave button): the host lets the
  // seat go at once instead of keeping it for a return.
  leaving: (slot) => `CMD_leaving+${slot}+`,
};

// ---- Messages the page receives ----------------------------------------
// One entry per command word: the fields as docs/PROTOCOL.md gives them, and
// the reader that turns the remainder into an object. A reader throws
// ParseError for a number field that does not convert.

function slotAndName(r) {
  const reader = new FieldReader(r);
  const slot = reader.number();
  return { slot, name: reader.rest() };
}

function announcement(r) {
  const reader = new FieldReader(r);
  const starter = reader.field();
  const playTo = reader.field();
  const creation = toNumber(reader.field()); // null: the previous time stays
  const bonus = reader.field();
  const bonusLetters = reader.field();
  const winningBonus = reader.field();
  const speed = reader.field();
  return { starter, playTo, creation, bonus, bonusLetters, winningBonus, speed };
}

function pairs(reader, skipBad) {
  const list = [];
  while (reader.more()) {
    if (skipBad) {
      const slot = toNumber(reader.field());
      const team = toNumber(reader.field());
      if (slot !== null && team !== null) list.push({ slot, team });
    } else {
      list.push({ slot: reader.number(), team: reader.number() });
    }
  }
  return list;
}

export const Messages = {
  WEB_hello: { fields: '+version +rating +', read(r) {
    const reader = new FieldReader(r);
    return { version: reader.field() || GameVersionFallback, rating: reader.field() };
  } },
  WEB_left: { fields: '+reason +', read: (r) => ({ reason: new FieldReader(r).field() }) },
  WEB_rights: { fields: '+t/f +', read: (r) => ({ rights: new FieldReader(r).field() === 't' }) },
  WEB_acrocheck: { fields: '+accepted +filtered +cleaned...', read(r) {
    const reader = new FieldReader(r);
    const accepted = reader.field() === 't';
    const filtered = reader.field() === 't';
    return { accepted, filtered, cleaned: reader.rest() };
  } },
  CMD_sendlogininfo: { fields: '+slot', read: (r) => ({ slot: wholeNumber(r) }) },
  CMD_full: { fields: '+', read: () => ({}) },
  CMD_newplayerinfo: { fields: '+slot +name...', read: slotAndName },
  CMD_existingplayers: { fields: '+slot +name...', read: slotAndName },
  CMD_havewrongversion: { fields: '+name...', read: (r) => ({ name: r }) },
  CMD_wrongversion: { fields: '+', read: () => ({}) },
  CMD_stats: { fields: '+slot +play-to +creation +team t/f [+slot +team]*', list: true, read(r) {
    const reader = FieldReader.forList(r);
    const slot = reader.number();
    const playTo = reader.field();
    const creation = toNumber(reader.field());
    const teamGame = reader.field() === 't';
    return { slot, playTo, creation, teamGame, teams: teamGame ? pairs(reader, true) : [] };
  } },
  CMD_playerdisconnected: { fields: '+slot +name...', read: slotAndName },
  CMD_chat: { fields: '+text...', read: splitChatText },
  CMD_action: { fields: '+text...', read: splitChatText },
  CMD_playasound: { fields: '+slot +name +', read(r) {
    const reader = new FieldReader(r);
    const slotText = reader.field();
    return { slotText, name: reader.field() };
  } },
  CMD_startgame: { fields: '+starter +play-to +creation +bonus +bonus letters +winning bonus +speed +', read: announcement },
  CMD_teamgame: { fields: 'as CMD_startgame', read: announcement },
  CMD_histeam: { fields: '[+slot +team]*', list: true, read: (r) => ({ teams: r ? pairs(FieldReader.forList(r), false) : [] }) },
  CMD_nextplayer: { fields: '+chooser +no couch t/f +', read(r) {
    const reader = new FieldReader(r);
    const chooser = reader.number();
    return { chooser, fixedList: reader.field() === 't' };
  } },
  CMD_cats: { fields: '+letter count +', read: (r) => ({ count: new FieldReader(r).field() }) },
  CMD_inbonus: { fields: '+slots joined by "," or 0', read(r) {
    if (r === '0') return { slots: null };
    return { slots: r.split(',').map(wholeNumber) };
  } },
  CMD_catchoosen: { fields: '+category...', read: (r) => ({ category: r }) },
  CMD_theletters: { fields: '+letter count +letters', list: true, read(r) {
    const reader = FieldReader.forList(r);
    const count = reader.number();
    let letters = '';
    for (let i = 0; i < count && !reader.listEnded() && reader.rest() !== ''; i++) letters += reader.field();
    return { count, letters };
  } },
  CMD_entered: { fields: '+slot', read: (r) => ({ slot: toNumber(r) }) },
  CMD_noanswer: { fields: '+', read: () => ({}) },
  CMD_anacro: { fields: '[+slot +acro]*', list: true, read(r) {
    const reader = FieldReader.forList(r);
    const acros = [];
    while (r && reader.more()) {
      const slot = reader.number();
      acros.push({ slot, text: acroFromWire(reader.field()) });
    }
    return { acros };
  } },
  // A returning player's own answer of this round, in its wire form.
  CMD_youracro: { fields: '+slot +acro', read(r) {
    const reader = new FieldReader(r);
    const slot = reader.number();
    return { slot, text: acroFromWire(reader.rest()) };
  } },
  CMD_dovote: { fields: '+slot', read: () => ({}) },
  CMD_updatetime: { fields: '+seconds', read: (r) => ({ seconds: wholeNumber(r) }) },
  CMD_novotes: { fields: '+', read: () => ({}) },
  CMD_thevotes: { fields: '[+won y/n +counted y/n +speed y/n +slot +name +votes]*', list: true, read(r) {
    const reader = FieldReader.forList(r);
    const records = [];
    while (r && reader.more()) {
      const won = reader.field() === 'y';
      const counted = reader.field(); // "n": the author did not vote
      const speed = reader.field() === 'y';
      const slot = reader.number();
      const name = reader.field();
      const votes = reader.field();
      records.push({ won, counted, speed, slot, name, votes });
    }
    return { records };
  } },
  CMD_postscores: { fields: '+team t/f +yellow +white [+slot +score +points]*', list: true, read(r) {
    const reader = FieldReader.forList(r);
    const teamGame = reader.field() === 't';
    const yellow = reader.field();
    const white = reader.field();
    const scores = [];
    while (reader.more()) {
      const slot = reader.number();
      const total = reader.field();
      scores.push({ slot, total, points: reader.field() });
    }
    return { teamGame, yellow, white, scores };
  } },
  CMD_winner: { fields: '+winner text...', read: (r) => ({ text: r }) },
};

// A frame read into { word, ...fields }; null when it is not dispatched or its
// command word is not one the page handles. Throws ParseError.
export function readMessage(frame) {
  const entry = splitEntry(frame);
  if (!entry || !Object.hasOwn(Messages, entry.word)) return null;
  return { word: entry.word, ...Messages[entry.word].read(entry.rest) };
}
