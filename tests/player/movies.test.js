#!/usr/bin/env node
// The two movie files shipped with the player are well-formed and match their generator.
//
//   node --test movies.test.js            (checks data/player/ of the source tree)
//   QM_PLAYER_FOLDER=DIR node --test movies.test.js
'use strict';

const assert = require('node:assert/strict');
const childProcess = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const test = require('node:test');

const source = path.join(__dirname, '..', '..');
const folder = process.env.QM_PLAYER_FOLDER || path.join(source, 'data', 'player');

// Reads an uncompressed movie: header, frame rectangle, frame rate and count, tags.
function parseMovie(bytes) {
  assert.ok(bytes.length >= 8, 'shorter than a header');
  assert.equal(bytes.toString('latin1', 0, 3), 'FWS', 'signature');
  const version = bytes[3];
  const length = bytes.readUInt32LE(4);
  assert.equal(length, bytes.length, 'header length matches the file');

  let bit = 8 * 8;
  const bits = (n, signed) => {
    let v = 0;
    for (let k = 0; k < n; k++, bit++) {
      assert.ok(bit < 8 * bytes.length, 'frame rectangle runs past the end');
      v = v * 2 + ((bytes[bit >> 3] >> (7 - (bit & 7))) & 1);
    }
    return signed && n > 0 && v >= 2 ** (n - 1) ? v - 2 ** n : v;
  };
  const nbits = bits(5, false);
  const [xMin, xMax, yMin, yMax] = [0, 0, 0, 0].map(() => bits(nbits, true));
  let pos = Math.ceil(bit / 8);

  assert.ok(pos + 4 <= bytes.length, 'frame rate and count present');
  const frameRate = bytes.readUInt16LE(pos) / 256;
  const frameCount = bytes.readUInt16LE(pos + 2);
  pos += 4;

  const tags = [];
  while (pos < bytes.length) {
    assert.ok(pos + 2 <= bytes.length, 'tag header cut short');
    const head = bytes.readUInt16LE(pos);
    pos += 2;
    const code = head >> 6;
    let size = head & 0x3f;
    if (size === 0x3f) {
      assert.ok(pos + 4 <= bytes.length, 'long tag header cut short');
      size = bytes.readUInt32LE(pos);
      pos += 4;
    }
    assert.ok(pos + size <= bytes.length, `tag ${code} runs past the end`);
    tags.push({ code, size });
    pos += size;
    if (code === 0) {
      break;
    }
  }
  assert.ok(tags.length && tags[tags.length - 1].code === 0, 'the tags close with the End tag');
  assert.equal(pos, bytes.length, 'nothing after the End tag');
  return { version, length, xMin, xMax, yMin, yMax, frameRate, frameCount, tags };
}

for (const [name, width, height] of [['foldreel.swf', 892, 375], ['expressinstall.swf', 215, 138]]) {
  test(`${name} is a well-formed movie`, () => {
    const movie = parseMovie(fs.readFileSync(path.join(folder, name)));
    assert.ok(movie.version >= 9, 'version 9 or later, as the page asks');
    assert.deepEqual([movie.xMin, movie.yMin], [0, 0]);
    assert.deepEqual([movie.xMax / 20, movie.yMax / 20], [width, height], 'frame size in pixels');
    assert.ok(movie.frameRate > 0);
    assert.equal(movie.frameCount, 1);
    const shown = movie.tags.filter((t) => t.code === 1).length;
    assert.equal(shown, movie.frameCount, 'one ShowFrame per frame');
    assert.deepEqual(movie.tags[movie.tags.length - 1], { code: 0, size: 0 }, 'ends with the End tag');
  });
}

test('the parser refuses damaged movies', () => {
  const good = fs.readFileSync(path.join(folder, 'foldreel.swf'));
  const cut = good.subarray(0, good.length - 1);
  assert.throws(() => parseMovie(cut), /length/);
  const compressed = Buffer.from(good);
  compressed.write('CWS', 0, 'latin1');
  assert.throws(() => parseMovie(compressed), /signature/);
  const noEnd = Buffer.from(good.subarray(0, good.length - 2));
  noEnd.writeUInt32LE(noEnd.length, 4);
  assert.throws(() => parseMovie(noEnd), /End tag/);
});

test('the committed movies are what scripts/make-movies.py writes', (t) => {
  const script = path.join(source, 'scripts', 'make-movies.py');
  const python = childProcess.spawnSync('python3', ['--version']);
  if (python.error || python.status !== 0) {
    t.skip('python3 is not installed');
    return;
  }
  const out = fs.mkdtempSync(path.join(os.tmpdir(), 'qm-movies-'));
  try {
    const run = childProcess.spawnSync('python3', [script, out], { encoding: 'utf8' });
    assert.equal(run.status, 0, run.stderr);
    for (const name of ['foldreel.swf', 'expressinstall.swf']) {
      assert.deepEqual(fs.readFileSync(path.join(out, name)), fs.readFileSync(path.join(folder, name)), name);
    }
  } finally {
    fs.rmSync(out, { recursive: true, force: true });
  }
});
