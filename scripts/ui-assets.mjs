// Writes ui/assets/icons/*.svg, ui/assets/flags/*.svg and the licences beside them.
//   node scripts/ui-assets.mjs NODE_MODULES REPO_ROOT
import fs from 'node:fs';
import path from 'node:path';

const [modules, root] = process.argv.slice(2);
const out = (...p) => path.join(root, 'ui', 'assets', ...p);
const tabler = (style, name) =>
  fs.readFileSync(path.join(modules, '@tabler/icons/icons', style, `${name}.svg`), 'utf8');

const black = '#1c1c1e';
const accent = '#0f634c';
const green = '#1f9d55';
const grey = '#9a9a9a';
const amber = '#f08c00';
const white = '#ffffff';

// Our image name → tabler icon, its style and colour. Tabler draws with currentColor, which
// an SVG image has no way to inherit, so each name gets its colour written in.
const icons = {
  'Close': ['outline', 'x', black],
  'PinBlack': ['outline', 'map-pin', black],
  'arrow-down': ['outline', 'arrow-down', black],
  'arrow-down-black': ['outline', 'chevron-down', black],
  'arrow-down-green': ['outline', 'arrow-down', green],
  'arrow-up': ['outline', 'arrow-up', black],
  'arrow-right': ['outline', 'chevron-right', black],
  'eye': ['outline', 'eye', grey],
  'eye.fill': ['filled', 'eye', grey],
  'search': ['outline', 'search', grey],
  'security-safe': ['outline', 'shield-check', accent],
  'checkBox': ['outline', 'square', grey],
  'checkBoxTick': ['filled', 'square-check', accent],
  'select': ['filled', 'circle-check', accent],
  'deSelect': ['outline', 'circle', grey],
  'tick-circle': ['filled', 'circle-check', accent],
  'toggle-on-circle': ['outline', 'toggle-right', accent],
  'menu': ['outline', 'menu-2', black],
  'support': ['outline', 'headset', black],
  'setting': ['outline', 'settings', black],
  'devices': ['outline', 'devices', black],
  'about': ['outline', 'info-circle', black],
  'logout': ['outline', 'logout', black],
  'award': ['outline', 'award', accent],
  'sms': ['outline', 'mail', black],
  // The support row that uses this image is titled "Telegram" and opens the chat link, so
  // the picture is the paper plane, whatever the image is called.
  'whatsapp': ['outline', 'brand-telegram', black],
  'Power': ['outline', 'power', black],
};

function coloured(svg, colour) {
  return svg.replaceAll('currentColor', colour).replace(/<!--[\s\S]*?-->\s*/g, '');
}

// The inner drawing of a tabler icon (its paths), to compose the power button's frames.
function inner(style, name) {
  return tabler(style, name).replace(/^[\s\S]*?<svg[^>]*>/, '').replace(/<\/svg>\s*$/, '');
}

function powerButton(ring, glyph, arc) {
  const power = inner('outline', 'power').replaceAll('currentColor', glyph);
  const arcPath = arc === undefined ? '' :
    `<circle cx="100" cy="100" r="92" fill="none" stroke="${amber}" stroke-width="8" ` +
    `stroke-linecap="round" stroke-dasharray="120 460" transform="rotate(${arc} 100 100)"/>`;
  return `<svg xmlns="http://www.w3.org/2000/svg" width="200" height="200" viewBox="0 0 200 200">` +
    `<circle cx="100" cy="100" r="84" fill="${ring}"/>` +
    `<circle cx="100" cy="100" r="70" fill="${white}" opacity="0.18"/>${arcPath}` +
    // The glyph's colour goes on the group: tabler sets its stroke on the <svg> element,
    // which inner() drops, so the paths would otherwise draw nothing.
    `<g transform="translate(52 52) scale(4)" fill="none" stroke="${glyph}" stroke-width="2" ` +
    `stroke-linecap="round" stroke-linejoin="round">${power}</g></svg>\n`;
}

function line(colour, width) {
  return `<svg xmlns="http://www.w3.org/2000/svg" width="${width}" height="1" ` +
    `viewBox="0 0 ${width} 1"><rect width="${width}" height="1" fill="${colour}"/></svg>\n`;
}

fs.mkdirSync(out('icons'), { recursive: true });
for (const [name, [style, icon, colour]] of Object.entries(icons)) {
  fs.writeFileSync(out('icons', `${name}.svg`), coloured(tabler(style, icon), colour));
}
const frames = {
  'powerButtonOff': powerButton(grey, white),
  'powerConnect': powerButton(accent, white),
  'connected-power': powerButton(accent, white),
  'powerConnecting': powerButton(amber, white),
  'connecting-cricle': powerButton(grey, white, 0),
};
for (let i = 1; i <= 5; ++i) frames[`Connecting${i}`] = powerButton(grey, white, (i - 1) * 72);
for (const [name, svg] of Object.entries(frames)) fs.writeFileSync(out('icons', `${name}.svg`), svg);
fs.writeFileSync(out('icons', 'GrayLine.svg'), line('#d9d9d9', 390));
fs.writeFileSync(out('icons', 'lineSide.svg'), line('#e6e6e6', 290));

// Flags: every asset name of the flag table, drawn from the ISO code its numeric code names.
const table = fs.readFileSync(path.join(root, 'src/servers/flag_table.cpp'), 'utf8');
const pairs = [...table.matchAll(/\{"(\d+)", "(flag_[a-z_]+)"\}/g)].map((m) => [m[1], m[2]]);
if (pairs.length !== 218) throw new Error(`expected 218 flag entries, found ${pairs.length}`);

const countries = (await import(path.join(modules, 'i18n-iso-countries/index.js'))).default;
countries.registerLocale(JSON.parse(fs.readFileSync(
  path.join(modules, 'i18n-iso-countries/langs/en.json'), 'utf8')));

// Asset names whose code in the table belongs to another country (the name decides what the
// image shows: "flag_kenya" is Kenya's flag, though its code 398 is Kazakhstan's), and the
// backend's own codes.
const byName = {
  flag_kenya: 'ke', flag_kuwait: 'kw', flag_kiribati: 'ki',
  flag_south_korea: 'kr', flag_north_korea: 'kp',
  flag_martinique: 'mq', flag_south_sudan: 'ss',
};

fs.mkdirSync(out('flags'), { recursive: true });
const written = new Map();
const review = [];
for (const [code, asset] of pairs) {
  if (written.has(asset)) continue;
  let alpha2 = byName[asset];
  if (!alpha2) alpha2 = countries.numericToAlpha2(code.padStart(3, '0'))?.toLowerCase();
  if (!alpha2) throw new Error(`no ISO country for code ${code} (${asset})`);
  const file = path.join(modules, 'flag-icons/flags/4x3', `${alpha2}.svg`);
  if (!fs.existsSync(file)) throw new Error(`flag-icons has no ${alpha2} (${asset})`);
  fs.copyFileSync(file, out('flags', `${asset}.svg`));
  written.set(asset, alpha2);
  // A line per asset whose name and ISO name differ in words, for a human to check.
  const words = asset.slice(5).split('_');
  const iso = (countries.getName(alpha2, 'en') || '').toLowerCase();
  if (!words.some((w) => w.length > 3 && iso.includes(w))) review.push(`${asset} ← ${alpha2} (${iso})`);
}
fs.mkdirSync(out('LICENSES'), { recursive: true });
fs.copyFileSync(path.join(modules, '@tabler/icons/LICENSE'), out('LICENSES', 'tabler-icons.LICENSE'));
fs.copyFileSync(path.join(modules, 'flag-icons/LICENSE'), out('LICENSES', 'flag-icons.LICENSE'));
console.log(`${Object.keys(icons).length + Object.keys(frames).length + 2} icons, ${written.size} flags`);
if (review.length) console.log(`check by eye:\n  ${review.join('\n  ')}`);
