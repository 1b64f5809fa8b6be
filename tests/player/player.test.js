#!/usr/bin/env node
// Browser test of the web player: galleries published by quillmere-publish, served
// over a loopback HTTP server, played in headless Chromium driven by playwright-core.
//
//   node player.test.js PATH/TO/quillmere-publish BUILD_FOLDER
//
// Work files and the screenshot go to BUILD_FOLDER/player-test/. One browser serves
// every case; the cases run in order on purpose (each leaves the page where the next
// one starts). Prints one line per case and a closing "N passed, N failed" line.
'use strict';

const assert = require('node:assert/strict');
const childProcess = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');

let chromium;
try {
  ({ chromium } = require('playwright-core'));
} catch (e) {
  console.error('player test: playwright-core is missing; run "npm install" in tests/player ' +
    '(scripts/setup.sh does)');
  process.exit(1);
}

const CHROMIUM = process.env.QM_CHROMIUM || '/usr/bin/chromium';
const WAIT = 15000;            // generous ceiling of every wait-for condition
const DELAY_S = 1;             // SwitchImageDelay of the autoplay gallery

const [publisher, buildFolder] = process.argv.slice(2);
if (!publisher || !buildFolder) {
  console.error('usage: node player.test.js QUILLMERE_PUBLISH BUILD_FOLDER');
  process.exit(2);
}
const work = path.join(path.resolve(buildFolder), 'player-test');
const screenshot = path.join(work, 'player.png');

// Whatever happens, the run ends on its own.
const watchdog = setTimeout(() => {
  console.error('player test: gave up after 110 s');
  process.exit(1);
}, 110000);

/* ------------------------------------------------------------------ */
/* Galleries                                                           */
/* ------------------------------------------------------------------ */

const SEP = '#$@';

function pictureFolder() {
  // The build copies the sample pictures beside the programs.
  const beside = path.join(path.dirname(path.resolve(publisher)), 'samples');
  const source = path.join(__dirname, '..', '..', 'data', 'samples');
  for (const folder of [beside, source]) {
    if (fs.existsSync(folder) && fs.readdirSync(folder).some((f) => f.endsWith('.jpg'))) {
      return folder;
    }
  }
  throw new Error('no sample pictures found in ' + beside + ' or ' + source);
}

// A project file as the editor saves it; `g` overrides gallery values by name.
function projectText(g, items) {
  const gallery = Object.assign({
    ScriptName: 'slideshow1', ActiveItemWidth: 667, InactiveItemWidth: 75, ItemHeight: 375,
    SlidingSpeed: 6, InactiveItemGray: 1, InactiveItemAlpha: 100, EnableVerticalTitles: 1,
    AutoPlay: 1, SwitchImageDelay: 1, HoriTitleFontSize: 24, HoriTitleFontColor: 'FFFFFF',
    VertTitleFontSize: 20, VertTitleFontColor: 'FFFFFF', PreviewBgColor: '202020',
    FlashBgColor: '000000', ThumbProcessType: 1, ThumbFillColor: '000000',
    ImageLeadingPathEnabled: 0, ImageLeadingPath: '', RootDirLocal: '', RootDirRemote: '',
    RootDirLocalChecked: 1,
  }, g);
  const order = ['ScriptName', 'ActiveItemWidth', 'InactiveItemWidth', 'ItemHeight', 'SlidingSpeed',
    'InactiveItemGray', 'InactiveItemAlpha', 'EnableVerticalTitles', 'AutoPlay', 'SwitchImageDelay',
    'HoriTitleFontSize', 'HoriTitleFontColor', 'VertTitleFontSize', 'VertTitleFontColor',
    'PreviewBgColor', 'FlashBgColor', 'ThumbProcessType', 'ThumbFillColor',
    'ImageLeadingPathEnabled', 'ImageLeadingPath', 'RootDirLocal', 'RootDirRemote', 'RootDirLocalChecked'];
  const join = (values) => values.map((v) => String(v) + SEP).join('');
  const lines = [
    '<Warning_Info>', 'Note: This file was created and maintained by Quillmere 1.0.',
    'Do not modify it or script project may not be opened again!', '</Warning_Info>',
    '<Product_Name>', 'Quillmere', '</Product_Name>', '<Product_Version>', '1.0', '</Product_Version>',
    '<Applet_Parameters>', join(order.map((k) => gallery[k])), '</Applet_Parameters>', '<Item_Parameters>',
    ...items.map((it) => join(['', '', it.picture, it.link || '', it.target || '_self',
      it.htitle || '', it.vtitle || '', 0, '', '', ''])),
    '</Item_Parameters>',
  ];
  return lines.map((l) => l + '\r\n').join('');
}

function publish(name, gallery, items) {
  const folder = path.join(work, name);
  fs.mkdirSync(folder, { recursive: true });
  const project = path.join(folder, name + '.qmreel1');
  fs.writeFileSync(project, projectText(gallery, items), 'latin1');
  const home = path.join(work, 'home');
  fs.mkdirSync(home, { recursive: true });
  const run = childProcess.spawnSync(publisher, [project, folder], {
    encoding: 'utf8',
    timeout: 60000,
    env: Object.assign({}, process.env, {
      HOME: home, XDG_DATA_HOME: path.join(home, 'data'), QT_QPA_PLATFORM: 'offscreen',
    }),
  });
  if (run.status !== 0) {
    throw new Error(`quillmere-publish failed (${run.status}): ${run.stderr || run.error}`);
  }
  const page = path.join(folder, name + '.html');
  assert.ok(fs.existsSync(page), 'the publisher wrote ' + page);
  return { name, folder, page: name + '/' + name + '.html', items };
}

// What the page asks the loader for: element ids, size and colour.
function pageFacts(gallery) {
  const html = fs.readFileSync(path.join(work, gallery.page), 'latin1');
  const m = /swfobject\.embedSWF\("[^"]*", "([^"]*)", "(\d+)", "(\d+)"/.exec(html);
  assert.ok(m, 'the page calls swfobject.embedSWF');
  const id = /var attributes = \{ id: "([^"]*)" \}/.exec(html)[1];
  return { fallbackId: m[1], width: Number(m[2]), height: Number(m[3]), id };
}

/* ------------------------------------------------------------------ */
/* Loopback server                                                     */
/* ------------------------------------------------------------------ */

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.xml': 'text/xml',
  '.jpg': 'image/jpeg', '.gif': 'image/gif', '.bmp': 'image/bmp', '.swf': 'application/x-shockwave-flash' };

function serve() {
  const server = http.createServer((req, res) => {
    const url = new URL(req.url, 'http://127.0.0.1');
    if (url.pathname === '/landing.html') {
      res.writeHead(200, { 'content-type': 'text/html' });
      res.end('<!doctype html><title>Landed</title><p>landed ' + url.searchParams.get('from'));
      return;
    }
    const file = path.join(work, path.normalize(decodeURIComponent(url.pathname)).replace(/^(\.\.[/\\])+/, ''));
    if (!file.startsWith(work + path.sep)) {
      res.writeHead(403);
      res.end();
      return;
    }
    fs.readFile(file, (err, data) => {
      if (err) {
        res.writeHead(404, { 'content-type': 'text/plain' });
        res.end('not found');
        return;
      }
      res.writeHead(200, { 'content-type': TYPES[path.extname(file).toLowerCase()] || 'application/octet-stream' });
      res.end(data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

/* ------------------------------------------------------------------ */
/* Cases                                                               */
/* ------------------------------------------------------------------ */

const cases = [];
function test(name, fn) {
  cases.push({ name, fn });
}

// Reads the player's own state.
function state(page, id) {
  return page.evaluate((i) => document.getElementById(i).quillmere.state(), id);
}

async function panelRects(page, id) {
  return page.$$eval(`#${id} .qm-panel`, (nodes) => nodes.map((n) => {
    const r = n.getBoundingClientRect();
    return { x: r.x, y: r.y, width: r.width, height: r.height };
  }));
}

async function waitSettledOn(page, id, index) {
  await page.waitForFunction(([i, k]) => {
    const s = document.getElementById(i).quillmere.state();
    return s.active === k && !s.sliding;
  }, [id, index], { timeout: WAIT });
}

async function mouseAway(page) {
  await page.mouse.move(2, 460);
}

async function blur(page) {
  await page.evaluate(() => document.activeElement && document.activeElement.blur());
}

// No advance for twice the autoplay delay.
async function expectHeld(page, id) {
  const before = (await state(page, id)).active;
  await page.waitForTimeout(DELAY_S * 2000 + 300);
  const after = await state(page, id);
  assert.equal(after.active, before, 'autoplay held');
  assert.equal(after.rotating, false);
}

async function expectAdvance(page, id) {
  const before = (await state(page, id)).active;
  const started = Date.now();
  await page.waitForFunction(([i, b]) => document.getElementById(i).quillmere.state().active !== b,
    [id, before], { timeout: WAIT });
  const after = (await state(page, id)).active;
  assert.equal(after, (before + 1) % (await state(page, id)).count, 'autoplay opens the next panel');
  return Date.now() - started;
}

async function main() {
  fs.rmSync(work, { recursive: true, force: true });
  fs.mkdirSync(work, { recursive: true });
  const server = await serve();
  const origin = `http://127.0.0.1:${server.address().port}`;

  const pictures = pictureFolder();
  const jpgs = fs.readdirSync(pictures).filter((f) => f.endsWith('.jpg')).sort().map((f) => path.join(pictures, f));
  const pick = (i) => jpgs[i % jpgs.length];

  const mainGallery = publish('autoplay', { ScriptName: 'fold reel', SwitchImageDelay: DELAY_S }, [
    { picture: pick(0), htitle: 'First & foremost', vtitle: 'First', link: origin + '/landing.html?from=1', target: '_blank' },
    { picture: pick(1), htitle: 'Second', vtitle: 'Second' },
    { picture: pick(2), htitle: 'Third', vtitle: 'Third', link: origin + '/landing.html?from=3', target: '_self' },
    { picture: pick(3), htitle: 'Fourth', vtitle: 'Fourth' },
    { picture: pick(4), htitle: 'Fifth "quoted"', vtitle: 'Fifth' },
  ]);
  const plainGallery = publish('plain', {
    ScriptName: 'plain', InactiveItemGray: 0, EnableVerticalTitles: 0, AutoPlay: 0, SlidingSpeed: 1,
    ActiveItemWidth: 500, InactiveItemWidth: 60, ItemHeight: 300,
  }, [
    { picture: pick(1), htitle: 'One', vtitle: 'One' },
    { picture: pick(2), htitle: 'Two', vtitle: 'Two' },
    { picture: pick(3), htitle: 'Three', vtitle: 'Three' },
  ]);
  // The same gallery without its configuration file.
  const broken = publish('broken', { ScriptName: 'broken' }, [{ picture: pick(0) }, { picture: pick(1) }]);
  for (const f of fs.readdirSync(broken.folder)) {
    if (f.endsWith('config.xml')) {
      fs.rmSync(path.join(broken.folder, f));
    }
  }
  // Copies of the plain gallery with edited files: a cut-off items file, and closed
  // panels at 40 % opacity (the publisher always writes 100).
  const variant = (name, file, edit) => {
    const folder = path.join(work, name);
    fs.cpSync(plainGallery.folder, folder, { recursive: true });
    const target = fs.readdirSync(folder).find((f) => f.endsWith(file));
    const text = fs.readFileSync(path.join(folder, target), 'utf8');
    fs.writeFileSync(path.join(folder, target), edit(text));
    return { name, folder, page: name + '/plain.html' };
  };
  const cutItems = variant('cut-items', 'items.xml', (t) => t.slice(0, Math.floor(t.length / 2)));
  const faded = variant('faded', 'config.xml',
    (t) => t.replace(/<InactiveItemAlpha>\d+</, '<InactiveItemAlpha>40<'));

  const M = pageFacts(mainGallery);
  const P = pageFacts(plainGallery);
  const B = pageFacts(broken);

  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'qm-player-profile-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    hasTouch: true,
    viewport: { width: 1100, height: 520 },
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--no-first-run'],
  });
  const page = context.pages()[0] || await context.newPage();
  const scriptErrors = [];
  page.on('pageerror', (e) => scriptErrors.push(e.message));

  test('the player replaces the fallback picture', async () => {
    await page.goto(`${origin}/${mainGallery.page}`);
    await page.waitForSelector(`#${M.id}.qm-player`, { timeout: WAIT });
    assert.equal(await page.$(`#${M.fallbackId}`), null, 'fallback gone');
    assert.equal(await page.getAttribute(`#${M.id}`, 'role'), 'region');
    await page.screenshot({ path: screenshot });
    // What a page written for the classic loader may also call does no harm.
    const answers = await page.evaluate(() => [
      swfobject.hasFlashPlayerVersion('9.0.0'),
      swfobject.getFlashPlayerVersion().major,
      typeof swfobject.switchOffAutoHideShow(),
      typeof swfobject.someCallNobodyKnows(1, 2),
    ]);
    assert.deepEqual(answers, [false, 0, 'undefined', 'undefined']);
  });

  test('one panel per item, in file order, with accessible names', async () => {
    const xmlName = fs.readdirSync(mainGallery.folder).find((f) => f.endsWith('items.xml'));
    const xml = fs.readFileSync(path.join(mainGallery.folder, xmlName), 'utf8');
    const count = (xml.match(/<item\b/g) || []).length;
    assert.equal(count, 5);
    const labels = await page.$$eval(`#${M.id} .qm-panel`, (n) => n.map((p) => p.getAttribute('aria-label')));
    assert.deepEqual(labels, ['First & foremost', 'Second', 'Third', 'Fourth', 'Fifth "quoted"']);
    const sources = await page.$$eval(`#${M.id} .qm-image`, (n) => n.map((i) => i.getAttribute('src')));
    const expected = [...xml.matchAll(/largeimage="([^"]*)"/g)].map((m) => m[1]);
    assert.deepEqual(sources, expected);
    // The pictures really load.
    await page.waitForFunction((i) => [...document.querySelectorAll(`#${i} .qm-image`)]
      .every((img) => img.complete && img.naturalWidth > 0), M.id, { timeout: WAIT });
  });

  test('the open panel is ActiveItemWidth wide and the panels fill the page width', async () => {
    await mouseAway(page);
    await page.evaluate((i) => document.getElementById(i).quillmere.pause(), M.id);
    await waitSettledOn(page, M.id, (await state(page, M.id)).active);
    const rects = await panelRects(page, M.id);
    const open = (await state(page, M.id)).active;
    rects.forEach((r, i) => assert.ok(Math.abs(r.width - (i === open ? 667 : 75)) < 0.51, `panel ${i}: ${r.width}`));
    const total = rects.reduce((s, r) => s + r.width, 0);
    assert.ok(Math.abs(total - M.width) < 1, `total ${total} vs ${M.width}`);
    assert.equal(M.width, 667 + 4 * 75);
    const box = await page.$eval(`#${M.id}`, (e) => [e.offsetWidth, e.offsetHeight]);
    assert.deepEqual(box, [M.width, M.height]);
  });

  test('hovering the third panel opens it', async () => {
    await page.evaluate((i) => document.getElementById(i).quillmere.open(0), M.id);
    await waitSettledOn(page, M.id, 0);
    const third = (await panelRects(page, M.id))[2];
    await page.mouse.move(third.x + third.width / 2, third.y + third.height / 2);
    await waitSettledOn(page, M.id, 2);
    const rects = await panelRects(page, M.id);
    assert.ok(Math.abs(rects[2].width - 667) < 0.51);
  });

  test('Right, Left, Home and End move the open panel', async () => {
    await mouseAway(page);
    await page.focus(`#${M.id}`);
    await page.keyboard.press('ArrowRight');
    await waitSettledOn(page, M.id, 3);
    await page.keyboard.press('ArrowLeft');
    await page.keyboard.press('ArrowLeft');
    await waitSettledOn(page, M.id, 1);
    await page.keyboard.press('End');
    await waitSettledOn(page, M.id, 4);
    await page.keyboard.press('ArrowRight');   // stays on the last panel
    await page.keyboard.press('Home');
    await waitSettledOn(page, M.id, 0);
  });

  test('autoplay advances after the delay and wraps around', async () => {
    await blur(page);
    await mouseAway(page);
    await page.evaluate((i) => document.getElementById(i).quillmere.open(3), M.id);
    await waitSettledOn(page, M.id, 3);
    await page.evaluate((i) => document.getElementById(i).quillmere.play(), M.id);
    const waited = await expectAdvance(page, M.id);
    assert.ok(waited >= DELAY_S * 1000 - 150, `advanced after ${waited} ms`);
    await waitSettledOn(page, M.id, 4);
    await expectAdvance(page, M.id);          // 4 -> 0
    assert.equal((await state(page, M.id)).active, 0);
    // Rotating by itself is not announced.
    assert.equal(await page.$eval(`#${M.id} .qm-sr`, (e) => e.getAttribute('aria-live')), 'off');
  });

  test('autoplay pauses while the pointer is over the player', async () => {
    const box = await page.$eval(`#${M.id}`, (e) => { const r = e.getBoundingClientRect(); return [r.x, r.y]; });
    await waitSettledOn(page, M.id, (await state(page, M.id)).active);
    // Over the open panel, so hovering opens nothing else.
    const open = (await panelRects(page, M.id))[(await state(page, M.id)).active];
    await page.mouse.move(open.x + open.width / 2, box[1] + 40);
    await expectHeld(page, M.id);
    await mouseAway(page);
    await expectAdvance(page, M.id);
  });

  test('autoplay pauses while the player has the focus', async () => {
    await page.focus(`#${M.id}`);
    await expectHeld(page, M.id);
    await blur(page);
    await expectAdvance(page, M.id);
  });

  test('the play/pause control stops and restarts autoplay', async () => {
    const control = `#${M.id} .qm-control`;
    assert.ok(await page.isVisible(control), 'control visible');
    assert.equal(await page.getAttribute(control, 'aria-label'), 'Stop the slideshow');
    await page.click(control);
    assert.equal((await state(page, M.id)).playing, false);
    assert.equal(await page.getAttribute(control, 'aria-label'), 'Start the slideshow');
    await mouseAway(page);
    await blur(page);
    await waitSettledOn(page, M.id, (await state(page, M.id)).active);
    await expectHeld(page, M.id);
    await page.click(control);
    assert.equal((await state(page, M.id)).playing, true);
    await expectAdvance(page, M.id);
    await mouseAway(page);
    await page.evaluate((i) => document.getElementById(i).quillmere.pause(), M.id);
  });

  test('closed panels are grey and show their vertical titles', async () => {
    await page.evaluate((i) => document.getElementById(i).quillmere.open(1), M.id);
    await waitSettledOn(page, M.id, 1);
    await page.waitForFunction((i) => [...document.querySelectorAll(`#${i} .qm-vtitle`)]
      .every((t) => getComputedStyle(t).opacity === (t.closest('.qm-open') ? '0' : '1')), M.id, { timeout: WAIT });
    const looks = await page.$$eval(`#${M.id} .qm-panel`, (nodes) => nodes.map((n) => {
      const title = n.querySelector('.qm-vtitle');
      return {
        filter: getComputedStyle(n.querySelector('.qm-image')).filter,
        vtitle: title ? title.textContent : null,
        mode: title ? getComputedStyle(title).writingMode : null,
        size: title ? getComputedStyle(title).fontSize : null,
      };
    }));
    looks.forEach((l, i) => {
      assert.equal(l.filter, i === 1 ? 'none' : 'grayscale(1)', `filter of panel ${i}`);
      assert.equal(l.mode, 'vertical-rl');
      assert.equal(l.size, '20px');
    });
    assert.deepEqual(looks.map((l) => l.vtitle), ['First', 'Second', 'Third', 'Fourth', 'Fifth']);
    const htitle = await page.$eval(`#${M.id} .qm-open .qm-htitle`, (t) => [t.textContent, getComputedStyle(t).fontSize]);
    assert.deepEqual(htitle, ['Second', '24px']);
  });

  test('a click on the open panel follows its link in its target', async () => {
    // Pointer onto the first panel: hovering opens it, the click then follows its link.
    await page.evaluate((i) => document.getElementById(i).quillmere.open(4), M.id);
    await waitSettledOn(page, M.id, 4);
    let rects = await panelRects(page, M.id);
    await page.mouse.move(rects[0].x + 20, rects[0].y + 100);
    await waitSettledOn(page, M.id, 0);
    const [popup] = await Promise.all([
      context.waitForEvent('page', { timeout: WAIT }),
      page.mouse.click(rects[0].x + 20, rects[0].y + 100),
    ]);
    await popup.waitForLoadState();
    assert.equal(popup.url(), `${origin}/landing.html?from=1`);
    await popup.close();
    assert.equal(page.url(), `${origin}/${mainGallery.page}`, 'a _blank link leaves the page alone');
    // A panel without a link does nothing on click.
    rects = await panelRects(page, M.id);
    await page.mouse.move(rects[1].x + 20, rects[1].y + 100);
    await waitSettledOn(page, M.id, 1);
    await page.mouse.click(rects[1].x + 20, rects[1].y + 100);
    assert.equal(page.url(), `${origin}/${mainGallery.page}`);
    // Enter follows the open panel's link; "_self" replaces the page.
    await mouseAway(page);
    await page.focus(`#${M.id}`);
    await page.keyboard.press('ArrowRight');
    await waitSettledOn(page, M.id, 2);
    await Promise.all([
      page.waitForURL(`${origin}/landing.html?from=3`, { timeout: WAIT }),
      page.keyboard.press('Enter'),
    ]);
  });

  test('touch: a tap opens a closed panel without following links, a swipe moves on', async () => {
    await page.goto(`${origin}/${mainGallery.page}`);
    await page.waitForSelector(`#${M.id}.qm-player`, { timeout: WAIT });
    await page.evaluate((i) => document.getElementById(i).quillmere.pause(), M.id);
    await waitSettledOn(page, M.id, 0);
    let rects = await panelRects(page, M.id);
    const pagesBefore = context.pages().length;
    await page.touchscreen.tap(rects[2].x + 30, rects[2].y + 150);
    await waitSettledOn(page, M.id, 2);
    assert.equal(page.url(), `${origin}/${mainGallery.page}`, 'the tap followed no link');
    assert.equal(context.pages().length, pagesBefore);
    // A swipe to the left opens the next panel.
    rects = await panelRects(page, M.id);
    const cdp = await context.newCDPSession(page);
    const y = rects[2].y + 150;
    const x0 = rects[2].x + 400;
    const touch = (type, x) => cdp.send('Input.dispatchTouchEvent', {
      type, touchPoints: type === 'touchEnd' ? [] : [{ x, y }],
    });
    await touch('touchStart', x0);
    for (let k = 1; k <= 6; k++) {
      await touch('touchMove', x0 - k * 30);
    }
    await touch('touchEnd');
    await waitSettledOn(page, M.id, 3);
    await cdp.detach();
    assert.equal(page.url(), `${origin}/${mainGallery.page}`);
  });

  test('a narrow container scales the player down, keeping its proportions', async () => {
    await page.setViewportSize({ width: 500, height: 520 });
    await page.waitForFunction((i) => document.getElementById(i).getBoundingClientRect().width < 500, M.id,
      { timeout: WAIT });
    const outer = await page.$eval(`#${M.id}`, (e) => { const r = e.getBoundingClientRect(); return [r.width, r.height]; });
    assert.ok(Math.abs(outer[0] / outer[1] - M.width / M.height) < 0.01, `proportions ${outer}`);
    const rects = await panelRects(page, M.id);
    const total = rects.reduce((s, r) => s + r.width, 0);
    assert.ok(Math.abs(total - outer[0]) < 1.5, `panels ${total} fill ${outer[0]}`);
    await page.setViewportSize({ width: 1100, height: 520 });
  });

  test('switches off: no grey, no vertical titles, no autoplay control', async () => {
    await page.goto(`${origin}/${plainGallery.page}`);
    await page.waitForSelector(`#${P.id}.qm-player`, { timeout: WAIT });
    const filters = await page.$$eval(`#${P.id} .qm-image`, (n) => n.map((i) => getComputedStyle(i).filter));
    assert.deepEqual(filters, ['none', 'none', 'none']);
    assert.equal(await page.$$eval(`#${P.id} .qm-vtitle`, (n) => n.length), 0);
    assert.equal(await page.$(`#${P.id} .qm-control`), null);
    assert.equal((await state(page, P.id)).playing, false);
    const rects = await panelRects(page, P.id);
    assert.deepEqual(rects.map((r) => Math.round(r.width)), [500, 60, 60]);
    assert.equal(P.width, 620);
    // SlidingSpeed 1: a panel opens at once.
    const s = await page.evaluate((i) => {
      const p = document.getElementById(i).quillmere;
      p.open(2);
      return p.state();
    }, P.id);
    assert.equal(s.sliding, false);
    assert.deepEqual(s.widths, [60, 60, 500]);
  });

  test('InactiveItemAlpha sets the closed panels\' opacity', async () => {
    await page.goto(`${origin}/${faded.page}`);
    await page.waitForSelector(`#${P.id}.qm-player`, { timeout: WAIT });
    await page.waitForFunction((i) => getComputedStyle(document.querySelector(`#${i} .qm-closed .qm-image`))
      .opacity === '0.4', P.id, { timeout: WAIT });
    const opacity = await page.$$eval(`#${P.id} .qm-image`, (n) => n.map((i) => getComputedStyle(i).opacity));
    assert.equal(opacity[0], '1');
  });

  test('reduced motion: panels jump and autoplay stays off', async () => {
    await page.emulateMedia({ reducedMotion: 'reduce' });
    await page.goto(`${origin}/${mainGallery.page}`);
    await page.waitForSelector(`#${M.id}.qm-player`, { timeout: WAIT });
    const s = await page.evaluate((i) => {
      const p = document.getElementById(i).quillmere;
      p.open(3);
      return p.state();
    }, M.id);
    assert.equal(s.sliding, false);
    assert.equal(Math.round(s.widths[3]), 667);
    assert.equal(s.playing, false);
    assert.equal(await page.getAttribute(`#${M.id} .qm-control`, 'aria-label'), 'Start the slideshow');
    await page.emulateMedia({ reducedMotion: 'no-preference' });
  });

  test('a missing XML file keeps the fallback picture, with the reason in the console', async () => {
    const messages = [];
    const listen = (m) => messages.push(m.text());
    page.on('console', listen);
    const reported = page.waitForEvent('console', {
      predicate: (m) => /Quillmere player/.test(m.text()), timeout: WAIT,
    });
    await page.goto(`${origin}/${broken.page}`);
    await reported;
    page.off('console', listen);
    assert.ok(messages.some((t) => t.includes('config.xml') && t.includes('404')), messages.join('\n'));
    assert.ok(await page.isVisible(`#${B.fallbackId} img`), 'fallback picture shown');
    assert.equal(await page.$('.qm-player'), null);
  });

  test('a cut-off items file keeps the fallback picture', async () => {
    const reported = page.waitForEvent('console', {
      predicate: (m) => /Quillmere player/.test(m.text()), timeout: WAIT,
    });
    await page.goto(`${origin}/${cutItems.page}`);
    assert.match((await reported).text(), /items\.xml is not valid XML/);
    assert.ok(await page.isVisible(`#${P.fallbackId} img`), 'fallback picture shown');
    assert.equal(await page.$('.qm-player'), null);
  });

  test('a page opened from a local folder keeps its fallback picture when the browser refuses the files', async () => {
    const reported = page.waitForEvent('console', {
      predicate: (m) => /Quillmere player/.test(m.text()), timeout: WAIT,
    });
    await page.goto('file://' + path.join(work, mainGallery.page));
    const message = (await reported).text();
    assert.match(message, /refused to read .*config\.xml from a local folder/);
    assert.ok(await page.isVisible(`#${M.fallbackId} img`), 'fallback picture shown');
    assert.equal(await page.$('.qm-player'), null);
  });

  let passed = 0;
  let failed = 0;
  try {
    for (const c of cases) {
      const before = scriptErrors.length;
      try {
        await c.fn();
        assert.deepEqual(scriptErrors.slice(before), [], 'no script errors');
        passed++;
        console.log(`ok ${passed + failed} - ${c.name}`);
      } catch (e) {
        failed++;
        console.log(`not ok ${passed + failed} - ${c.name}\n  ${String(e && e.stack || e).replace(/\n/g, '\n  ')}`);
      }
    }
  } finally {
    await context.close();
    server.close();
    fs.rmSync(profile, { recursive: true, force: true });
    clearTimeout(watchdog);
  }
  console.log(`screenshot: ${screenshot}`);
  console.log(`${passed} passed, ${failed} failed`);
  process.exitCode = failed ? 1 : 0;
}

main().catch((e) => {
  console.error(e && e.stack || e);
  clearTimeout(watchdog);
  process.exit(1);
});
