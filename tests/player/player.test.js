#!/usr/bin/env node
// Browser test of the web player: galleries published by quillmere-publish, served
// over a loopback HTTP server, played in headless Chromium driven by playwright-core.
//
//   node player.test.js PATH/TO/quillmere-publish BUILD_FOLDER
//
// Work files and the screenshots go to BUILD_FOLDER/player-test/. One browser serves
// every case; the cases run in order on purpose (each leaves the page where the next
// one starts). Prints one line per case and a closing "N passed, N failed" line.
// Firefox is checked by bench/player.js (screenshots), as playwright-core cannot
// drive Debian's Firefox ESR.
'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const H = require('./harness.js');

const chromium = H.loadChromium('player test');

const WAIT = 15000;            // generous ceiling of every wait-for condition
const DELAY_S = 1;             // SwitchImageDelay of the autoplay gallery

const [publisher, buildFolder] = process.argv.slice(2);
if (!publisher || !buildFolder) {
  console.error('usage: node player.test.js QUILLMERE_PUBLISH BUILD_FOLDER');
  process.exit(2);
}
const work = path.join(path.resolve(buildFolder), 'player-test');
const screenshot = path.join(work, 'player.png');
const midSlideShot = path.join(work, 'player-midslide.png');

// Whatever happens, the run ends on its own.
const watchdog = setTimeout(() => {
  console.error('player test: gave up after 160 s');
  process.exit(1);
}, 160000);

/* ------------------------------------------------------------------ */
/* Helpers                                                             */
/* ------------------------------------------------------------------ */

const cases = [];
function test(name, fn) {
  cases.push({ name, fn });
}

// Reads the player's own state.
function state(page, id) {
  return page.evaluate((i) => document.getElementById(i).quillmere.state(), id);
}

function drive(page, id, call, arg) {
  return page.evaluate(([i, c, a]) => document.getElementById(i).quillmere[c](a), [id, call, arg]);
}

// The part of each panel on screen: panels cover one another, so a panel shows from
// its own left edge to the next one's, the last one to the gallery's right edge.
function panelRects(page, id) {
  return page.evaluate((i) => {
    const box = document.getElementById(i).getBoundingClientRect();
    const rects = [...document.querySelectorAll(`#${i} .qm-panel`)].map((n) => n.getBoundingClientRect());
    return rects.map((r, k) => ({
      x: r.x, y: r.y, height: r.height,
      width: Math.min(k + 1 < rects.length ? rects[k + 1].x : box.right, box.right) - r.x,
    }));
  }, id);
}

async function waitSettledOn(page, id, index) {
  await page.waitForFunction(([i, k]) => {
    const s = document.getElementById(i).quillmere.state();
    return s.active === k && !s.sliding;
  }, [id, index], { timeout: WAIT });
}

async function openAndSettle(page, id, index) {
  await drive(page, id, 'open', index);
  await waitSettledOn(page, id, index);
}

async function load(page, url, id) {
  await page.goto(url);
  await page.waitForSelector(`#${id}.qm-player`, { timeout: WAIT });
}

async function mouseAway(page) {
  await page.mouse.move(2, 500);
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
  const after = await state(page, id);
  assert.equal(after.active, (before + 1) % after.count, 'autoplay opens the next panel');
  return Date.now() - started;
}

const bare = (url) => url.replace(/#.*$/, '');

// The events every gallery of the page sent, as recorded by the init script below.
function events(page) {
  return page.evaluate(() => window.qmEvents);
}

// Title visibility in the page: horizontal titles seen (opacity above 5 %), and the
// opacity of the open panel's vertical title.
function titleLooks(id) {
  const root = document.getElementById(id);
  const seen = (n) => Number(getComputedStyle(n).opacity) > 0.05 && getComputedStyle(n).display !== 'none';
  const open = root.querySelector('.qm-open .qm-vtitle');
  return {
    htitles: [...root.querySelectorAll('.qm-htitle')].filter(seen).map((t) => t.textContent),
    openVtitle: open ? Number(getComputedStyle(open).opacity) : 0,
  };
}

async function main() {
  fs.rmSync(work, { recursive: true, force: true });
  fs.mkdirSync(work, { recursive: true });
  const server = await H.serve(work);
  const origin = `http://127.0.0.1:${server.address().port}`;

  /* ---------------------------------------------------------------- */
  /* Galleries                                                         */
  /* ---------------------------------------------------------------- */

  const jpgs = H.samplePictures(publisher);
  const pick = (i) => jpgs[i % jpgs.length];
  const publish = (...args) => H.publish(publisher, work, ...args);
  const JS_LINK = 'javascript:void(document.body.dataset.ran=1)';

  const mainGallery = publish('autoplay', { ScriptName: 'fold reel', SwitchImageDelay: DELAY_S }, [
    { picture: pick(0), htitle: 'First & foremost', vtitle: 'First', link: origin + '/landing.html?from=1', target: '_blank' },
    { picture: pick(1), htitle: 'Second', vtitle: 'Second' },
    { picture: pick(2), htitle: 'Third', vtitle: 'Third', link: origin + '/landing.html?from=3', target: '_self' },
    { picture: pick(3), htitle: 'Fourth', vtitle: 'Fourth', link: origin + '/landing.html?from=4', target: 'mywin' },
    { picture: pick(4), htitle: 'Fifth "quoted"', vtitle: 'Fifth', link: JS_LINK, target: '_blank' },
  ]);
  const plainGallery = publish('plain', {
    ScriptName: 'plain', InactiveItemGray: 0, EnableVerticalTitles: 0, AutoPlay: 0, SlidingSpeed: 1,
    ActiveItemWidth: 500, InactiveItemWidth: 60, ItemHeight: 300,
  }, [
    { picture: pick(1), htitle: 'One', vtitle: 'One' },
    { picture: pick(2), htitle: 'Two', vtitle: 'Two' },
    { picture: pick(3), htitle: 'Three', vtitle: 'Three' },
  ]);
  // The plain gallery's size, the second and third items with a focal point.
  const focusGallery = publish('focus', {
    ScriptName: 'focus', AutoPlay: 0, ActiveItemWidth: 500, InactiveItemWidth: 60, ItemHeight: 300,
  }, [{ picture: pick(1) }, { picture: pick(2), focus: '80,40' }, { picture: pick(3), focus: '2,90' }]);
  // Forty items, no autoplay: the long gallery of the scaling, loading and trace cases.
  const longGallery = publish('long', { ScriptName: 'long', AutoPlay: 0 },
    Array.from({ length: 40 }, (_, k) => ({ picture: pick(k), htitle: `Picture number ${k + 1}`, vtitle: `No. ${k + 1}` })));
  // The same gallery without its configuration file.
  const broken = publish('broken', { ScriptName: 'broken' }, [{ picture: pick(0) }, { picture: pick(1) }]);
  for (const f of fs.readdirSync(broken.folder)) {
    if (f.endsWith('config.xml')) {
      fs.rmSync(path.join(broken.folder, f));
    }
  }
  // Copies with edited files: a cut-off items file, closed panels at 40 % opacity
  // (the publisher always writes 100), and a gallery whose second picture is gone.
  const cutItems = H.variant(work, plainGallery, 'cut-items',
    (f) => H.editFile(f, 'items.xml', (t) => t.slice(0, Math.floor(t.length / 2))));
  const faded = H.variant(work, plainGallery, 'faded',
    (f) => H.editFile(f, 'config.xml', (t) => t.replace(/<InactiveItemAlpha>\d+</, '<InactiveItemAlpha>40<')));
  const gap = H.variant(work, mainGallery, 'gap', (f) => fs.rmSync(path.join(f, 'p1_t.jpg')));
  // Without its companion script, a page opened from its folder cannot read its files.
  const noCompanion = H.variant(work, mainGallery, 'no-companion', (f) => fs.rmSync(path.join(f, 'foldreeldata.js')));
  // Pictures at twice the size, and the same gallery with the publisher's WebP copies too.
  const sharpItems = [0, 1, 2].map((k) => ({ picture: pick(k) }));
  const sharp = publish('sharp', { ScriptName: 'sharp', AutoPlay: 0 }, sharpItems, ['--hidpi']);
  const sharpWebp = publish('sharp-webp', { ScriptName: 'sharp', AutoPlay: 0 }, sharpItems, ['--hidpi', '--webp']);
  // The main gallery (speed 6) last: the cases after it go on from its page.
  const speeds = [[3, 260], [12, 1270], [6, 610]].map(([speed, ms]) => ({
    speed, ms, gallery: speed === 6 ? mainGallery : H.variant(work, mainGallery, `speed${speed}`,
      (f) => H.editFile(f, 'config.xml', (t) => t.replace(/<SlidingSpeed>\d+</, `<SlidingSpeed>${speed}<`))),
  }));

  const M = H.pageFacts(work, mainGallery);
  const P = H.pageFacts(work, plainGallery);
  const L = H.pageFacts(work, longGallery);
  const B = H.pageFacts(work, broken);
  const mainUrl = `${origin}/${mainGallery.page}`;

  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'qm-player-profile-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: H.CHROMIUM,
    headless: true,
    hasTouch: true,
    viewport: { width: 1100, height: 520 },
    args: H.CHROMIUM_ARGS,
  });
  // Every gallery event, with how many pictures had been asked for at the time.
  await context.addInitScript(() => {
    window.qmEvents = [];
    for (const type of ['open', 'play', 'pause']) {
      document.addEventListener('quillmere:' + type, (e) => window.qmEvents.push({
        type, id: e.target.id, index: e.detail.index, byItself: e.detail.byItself,
        requested: e.target.querySelectorAll('.qm-image[src]').length,
      }));
    }
  });
  const page = context.pages()[0] || await context.newPage();
  const scriptErrors = [];
  page.on('pageerror', (e) => scriptErrors.push(e.message));

  /* ---------------------------------------------------------------- */
  /* Building the gallery                                              */
  /* ---------------------------------------------------------------- */

  test('the player replaces the fallback picture', async () => {
    await load(page, mainUrl, M.id);
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
    assert.equal((xml.match(/<item\b/g) || []).length, 5);
    const labels = await page.$$eval(`#${M.id} .qm-panel`, (n) => n.map((p) => p.getAttribute('aria-label')));
    assert.deepEqual(labels, ['First & foremost', 'Second', 'Third', 'Fourth', 'Fifth "quoted"']);
    // The pictures really load.
    await page.waitForFunction((i) => [...document.querySelectorAll(`#${i} .qm-image`)]
      .every((img) => img.complete && img.naturalWidth > 0), M.id, { timeout: WAIT });
    const sources = await page.$$eval(`#${M.id} .qm-image`, (n) => n.map((i) => i.getAttribute('src')));
    assert.deepEqual(sources, [...xml.matchAll(/largeimage="([^"]*)"/g)].map((m) => m[1]));
  });

  test('the open panel is ActiveItemWidth wide and the panels fill the page width', async () => {
    await mouseAway(page);
    await drive(page, M.id, 'pause');
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

  test('the pictures far from the open one load after it', async () => {
    await load(page, `${origin}/${longGallery.page}`, L.id);
    const first = (await events(page)).find((e) => e.type === 'open');
    assert.ok(first.requested <= 5, `${first.requested} of 40 pictures asked for at once`);
    await page.waitForFunction((i) => [...document.querySelectorAll(`#${i} .qm-image`)]
      .every((img) => img.complete && img.naturalWidth > 0), L.id, { timeout: WAIT });
  });

  /* ---------------------------------------------------------------- */
  /* Moving                                                            */
  /* ---------------------------------------------------------------- */

  test('hovering the third panel opens it', async () => {
    await load(page, mainUrl, M.id);
    await drive(page, M.id, 'pause');
    await openAndSettle(page, M.id, 0);
    const third = (await panelRects(page, M.id))[2];
    await page.mouse.move(third.x + third.width / 2, third.y + third.height / 2);
    await waitSettledOn(page, M.id, 2);
    assert.ok(Math.abs((await panelRects(page, M.id))[2].width - 667) < 0.51);
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
    await blur(page);
  });

  test('a slide moves transforms only, for about as long as before at each speed, starting gently', async () => {
    // What slides from an open panel to a strip took with the earlier per-frame easing.
    for (const { speed, ms, gallery } of speeds) {
      await load(page, `${origin}/${gallery.page}`, M.id);
      await drive(page, M.id, 'pause');
      const timing = await page.evaluate((i) => {
        document.getElementById(i).quillmere.open(1);
        const moves = document.getAnimations().filter((a) => a.effect.target.classList.contains('qm-panel'));
        // Where the moving panel is after the first frame.
        moves.forEach((a) => { a.pause(); a.currentTime = 1000 / 60; });
        const x = new DOMMatrix(getComputedStyle(moves[0].effect.target).transform).m41;
        moves.forEach((a) => a.play());
        return {
          count: moves.length, duration: moves[0].effect.getTiming().duration,
          props: Object.keys(moves[0].effect.getKeyframes()[0]), x,
        };
      }, M.id);
      assert.equal(timing.count, 1, 'opening the next panel moves one panel');
      assert.ok(Math.abs(timing.duration - ms) < ms * 0.12, `speed ${speed}: ${timing.duration} ms`);
      assert.ok(timing.props.includes('transform') && !timing.props.includes('width') && !timing.props.includes('left'));
      // The earlier easing's first frame jumped a sixth to a third of the way.
      assert.ok(667 - timing.x < 592 * 0.02, `speed ${speed}: first frame moved ${667 - timing.x} px`);
      await waitSettledOn(page, M.id, 1);
    }
  });

  test('touch: a tap opens a closed panel without following links, a swipe moves on', async () => {
    let rects = await panelRects(page, M.id);
    const pagesBefore = context.pages().length;
    await page.touchscreen.tap(rects[2].x + 30, rects[2].y + 150);
    await waitSettledOn(page, M.id, 2);
    assert.equal(bare(page.url()), mainUrl, 'the tap followed no link');
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
    assert.equal(bare(page.url()), mainUrl);
  });

  /* ---------------------------------------------------------------- */
  /* Titles                                                            */
  /* ---------------------------------------------------------------- */

  test('a slide shows at most one horizontal title, and no vertical title over the opening picture', async () => {
    await mouseAway(page);
    await openAndSettle(page, M.id, 0);
    // Sampled at every frame of a real slide.
    const samples = await page.evaluate(([i, looks]) => new Promise((resolve) => {
      const measure = new Function('id', `return (${looks})(id);`);
      const player = document.getElementById(i).quillmere;
      const seen = [];
      player.open(1);
      (function sample() {
        seen.push(measure(i));
        if (player.state().sliding || seen.length < 3) {
          requestAnimationFrame(sample);
        } else {
          setTimeout(() => resolve(seen.concat([measure(i)])), 500);
        }
      })();
    }), [M.id, titleLooks.toString()]);
    assert.ok(samples.length >= 5, `${samples.length} samples`);
    samples.forEach((s, k) => {
      assert.ok(s.htitles.length <= 1, `sample ${k}: ${s.htitles}`);
      assert.equal(s.openVtitle, 0, `sample ${k}: vertical title over the opening picture`);
    });
    assert.deepEqual(samples[samples.length - 1].htitles, ['Second'], 'the settled panel shows its title');
    // Frozen half way through a slide, for the screenshot.
    const frozen = await page.evaluate(([i, looks]) => {
      document.getElementById(i).quillmere.open(3);
      for (const a of document.getAnimations()) {
        a.pause();
        a.currentTime = (a.effect.getTiming().duration || 0) / 2;
      }
      return new Function('id', `return (${looks})(id);`)(i);
    }, [M.id, titleLooks.toString()]);
    await page.screenshot({ path: midSlideShot });
    assert.deepEqual(frozen.htitles, [], 'no horizontal title mid-slide');
    await page.evaluate(() => document.getAnimations().forEach((a) => a.play()));
    await waitSettledOn(page, M.id, 3);
  });

  test('closed panels are grey and show their vertical titles', async () => {
    await openAndSettle(page, M.id, 1);
    await page.waitForFunction((i) => [...document.querySelectorAll(`#${i} .qm-vtitle`)]
      .every((t) => getComputedStyle(t).opacity === (t.closest('.qm-open') ? '0' : '1')), M.id, { timeout: WAIT });
    const looks = await page.$$eval(`#${M.id} .qm-panel`, (nodes) => nodes.map((n) => {
      const title = n.querySelector('.qm-vtitle');
      return {
        filter: getComputedStyle(n.querySelector('.qm-image')).filter,
        vtitle: title.textContent,
        mode: getComputedStyle(title).writingMode,
        size: getComputedStyle(title).fontSize,
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

  /* ---------------------------------------------------------------- */
  /* Links                                                             */
  /* ---------------------------------------------------------------- */

  test('items with links are <a> elements with their address, target and rel', async () => {
    const links = await page.$$eval(`#${M.id} .qm-panel`, (nodes) => nodes.map((n) => {
      const a = n.querySelector('a');
      return a && [a.getAttribute('href'), a.getAttribute('target'), a.getAttribute('rel')];
    }));
    assert.deepEqual(links, [
      [`${origin}/landing.html?from=1`, '_blank', 'noopener'],
      null,
      [`${origin}/landing.html?from=3`, '_self', null],
      [`${origin}/landing.html?from=4`, 'mywin', 'noopener'],
      [JS_LINK, null, null],
    ]);
  });

  test('a click on the open panel follows its link in its target, without an opener', async () => {
    // Pointer onto the first panel: hovering opens it, the click then follows its link.
    await openAndSettle(page, M.id, 4);
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
    assert.equal(bare(page.url()), mainUrl, 'a _blank link leaves the page alone');
    // A named window cannot reach back into the gallery.
    rects = await panelRects(page, M.id);
    await page.mouse.move(rects[3].x + 20, rects[3].y + 100);
    await waitSettledOn(page, M.id, 3);
    const [named] = await Promise.all([
      context.waitForEvent('page', { timeout: WAIT }),
      page.mouse.click(rects[3].x + 20, rects[3].y + 100),
    ]);
    await named.waitForLoadState();
    assert.equal(named.url(), `${origin}/landing.html?from=4`);
    assert.equal(await named.evaluate(() => window.opener), null, 'no opener');
    await named.close();
    // A panel without a link does nothing on click.
    rects = await panelRects(page, M.id);
    await page.mouse.move(rects[1].x + 20, rects[1].y + 100);
    await waitSettledOn(page, M.id, 1);
    await page.mouse.click(rects[1].x + 20, rects[1].y + 100);
    assert.equal(bare(page.url()), mainUrl);
  });

  test('the author\'s javascript: link runs in the gallery page', async () => {
    let rects = await panelRects(page, M.id);
    await page.mouse.move(rects[4].x + 20, rects[4].y + 100);
    await waitSettledOn(page, M.id, 4);
    rects = await panelRects(page, M.id);
    await page.mouse.click(rects[4].x + 20, rects[4].y + 100);
    await page.waitForFunction(() => document.body.dataset.ran === '1', null, { timeout: WAIT });
    assert.equal(bare(page.url()), mainUrl);
  });

  test('a middle click opens the link in a new tab and leaves the gallery alone', async () => {
    await mouseAway(page);
    await openAndSettle(page, M.id, 2);
    const rects = await panelRects(page, M.id);
    const pagesBefore = context.pages().length;
    const [tab] = await Promise.all([
      context.waitForEvent('page', { timeout: WAIT }),
      page.mouse.click(rects[2].x + 40, rects[2].y + 100, { button: 'middle' }),
    ]);
    await tab.waitForLoadState();
    assert.equal(tab.url(), `${origin}/landing.html?from=3`);
    await tab.close();
    assert.equal(context.pages().length, pagesBefore);
    assert.equal(bare(page.url()), mainUrl, 'the "_self" link did not replace the gallery');
  });

  test('Enter follows the open panel\'s link; "_self" replaces the page', async () => {
    await mouseAway(page);
    await page.focus(`#${M.id}`);
    await page.keyboard.press('ArrowLeft');
    await page.keyboard.press('ArrowRight');
    await waitSettledOn(page, M.id, 2);
    await Promise.all([
      page.waitForURL(`${origin}/landing.html?from=3`, { timeout: WAIT }),
      page.keyboard.press('Enter'),
    ]);
  });

  /* ---------------------------------------------------------------- */
  /* Autoplay and events                                               */
  /* ---------------------------------------------------------------- */

  test('autoplay advances after the delay and wraps around; events tell opens, starts and stops', async () => {
    await load(page, mainUrl, M.id);
    await mouseAway(page);
    await drive(page, M.id, 'pause');
    await openAndSettle(page, M.id, 3);
    await drive(page, M.id, 'play');
    const waited = await expectAdvance(page, M.id);
    assert.ok(waited >= DELAY_S * 1000 - 150, `advanced after ${waited} ms`);
    await waitSettledOn(page, M.id, 4);
    await expectAdvance(page, M.id);          // 4 -> 0
    assert.equal((await state(page, M.id)).active, 0);
    // Rotating by itself is not announced.
    assert.equal(await page.$eval(`#${M.id} .qm-sr`, (e) => e.getAttribute('aria-live')), 'off');
    await drive(page, M.id, 'pause');
    const seen = (await events(page)).map((e) => [e.type, e.index, e.byItself]);
    assert.deepEqual(seen.slice(0, 2), [['open', 0, false], ['play', undefined, undefined]], 'at load');
    // From the first pause on; on a slow machine autoplay may move once more before
    // either pause.
    const told = seen.slice(seen.findIndex((e) => e[0] === 'pause'));
    assert.deepEqual(told.slice(0, 6), [
      ['pause', undefined, undefined], ['open', 3, false],
      ['play', undefined, undefined], ['open', 4, true], ['open', 0, true],
      told.length > 7 ? ['open', 1, true] : ['pause', undefined, undefined],
    ]);
    assert.deepEqual(told[told.length - 1], ['pause', undefined, undefined]);
    await drive(page, M.id, 'play');
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

  test('autoplay pauses while the player or its control has the keyboard focus', async () => {
    await page.focus(`#${M.id}`);
    await expectHeld(page, M.id);
    await blur(page);
    await expectAdvance(page, M.id);
    // Tab from the gallery: the open item's link (if any), then the control.
    await page.focus(`#${M.id}`);
    for (let k = 0; k < 3 && !(await page.evaluate(() => document.activeElement.matches('.qm-control'))); k++) {
      await page.keyboard.press('Tab');
    }
    assert.ok(await page.evaluate(() => document.activeElement.matches('.qm-control')), 'the control has the focus');
    await expectHeld(page, M.id);
    await blur(page);
    await expectAdvance(page, M.id);
  });

  test('autoplay pauses while the tab is hidden', async () => {
    const hide = (hidden) => page.evaluate((h) => {
      Object.defineProperty(document, 'hidden', { configurable: true, get: () => h });
      document.dispatchEvent(new Event('visibilitychange'));
    }, hidden);
    await hide(true);
    await expectHeld(page, M.id);
    await hide(false);
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
    await waitSettledOn(page, M.id, (await state(page, M.id)).active);
    await expectHeld(page, M.id);
    await page.click(control);
    assert.equal((await state(page, M.id)).playing, true);
    await expectAdvance(page, M.id);
  });

  test('reduced motion switched on after load stops autoplay, and switched off starts it again', async () => {
    await page.emulateMedia({ reducedMotion: 'reduce' });
    await page.waitForFunction((i) => !document.getElementById(i).quillmere.state().playing, M.id, { timeout: WAIT });
    assert.equal(await page.getAttribute(`#${M.id} .qm-control`, 'aria-label'), 'Start the slideshow');
    assert.equal((await events(page)).pop().type, 'pause');
    // Panels now jump.
    const s = await page.evaluate((i) => {
      const p = document.getElementById(i).quillmere;
      p.open(p.state().active + 2);
      return p.state();
    }, M.id);
    assert.equal(s.sliding, false);
    await page.emulateMedia({ reducedMotion: 'no-preference' });
    await page.waitForFunction((i) => document.getElementById(i).quillmere.state().playing, M.id, { timeout: WAIT });
    assert.equal((await events(page)).pop().type, 'play');
  });

  test('reduced motion at load: panels jump and autoplay stays off', async () => {
    await page.emulateMedia({ reducedMotion: 'reduce' });
    await load(page, mainUrl, M.id);
    const s = await page.evaluate((i) => {
      const p = document.getElementById(i).quillmere;
      p.open(3);
      return p.state();
    }, M.id);
    assert.equal(s.sliding, false);
    assert.equal(Math.round(s.widths[3]), 667);
    assert.equal(s.playing, false);
    assert.equal(await page.getAttribute(`#${M.id} .qm-control`, 'aria-label'), 'Start the slideshow');
    assert.deepEqual((await events(page)).map((e) => e.type), ['open', 'open'], 'no play at load');
    await page.emulateMedia({ reducedMotion: 'no-preference' });
  });

  /* ---------------------------------------------------------------- */
  /* Deep links                                                        */
  /* ---------------------------------------------------------------- */

  test('a #<id>-<n> address opens item n, and follows the open item without history entries', async () => {
    await page.goto('about:blank');
    await load(page, mainUrl + '#foldreel-4', M.id);
    let s = await state(page, M.id);
    assert.equal(s.active, 3);
    assert.equal(s.sliding, false, 'opened at load, not slid to');
    assert.equal((await events(page))[0].index, 3);
    await drive(page, M.id, 'pause');
    const length = await page.evaluate(() => history.length);
    await openAndSettle(page, M.id, 1);
    await drive(page, M.id, 'next');
    assert.equal(await page.evaluate(() => location.hash), '#foldreel-3');
    assert.equal(await page.evaluate(() => history.length), length, 'no new history entries');
    // A fragment typed or linked later opens its item too.
    await page.evaluate(() => { location.hash = '#foldreel-5'; });
    await waitSettledOn(page, M.id, 4);
  });

  test('a fragment that names no item opens the first one and a page\'s own fragment stays', async () => {
    for (const hash of ['#foldreel-9', '#foldreel-0', '#other-2']) {
      await page.goto('about:blank');
      await load(page, mainUrl + hash, M.id);
      assert.equal((await events(page))[0].index, 0, hash);
    }
    await drive(page, M.id, 'open', 2);
    assert.equal(await page.evaluate(() => location.hash), '#other-2');
  });

  /* ---------------------------------------------------------------- */
  /* Small screens and long galleries                                  */
  /* ---------------------------------------------------------------- */

  test('a narrow container scales the player down, keeping its proportions', async () => {
    await page.setViewportSize({ width: 500, height: 520 });
    // The gallery narrows at once, its contents when the resize observer has run.
    await page.waitForFunction((i) => {
      const root = document.getElementById(i).getBoundingClientRect().width;
      return root < 500 && document.querySelector(`#${i} .qm-stage`).getBoundingClientRect().width < root + 0.5;
    }, M.id, { timeout: WAIT });
    const outer = await page.$eval(`#${M.id}`, (e) => { const r = e.getBoundingClientRect(); return [r.width, r.height]; });
    assert.ok(Math.abs(outer[0] / outer[1] - M.width / M.height) < 0.01, `proportions ${outer}`);
    const rects = await panelRects(page, M.id);
    const total = rects.reduce((s, r) => s + r.width, 0);
    assert.ok(Math.abs(total - outer[0]) < 1.5, `panels ${total} fill ${outer[0]}`);
    await page.setViewportSize({ width: 1100, height: 520 });
  });

  // On-screen sizes of the open title and the control, in screen pixels.
  const onScreen = (i) => {
    const root = document.getElementById(i);
    const zoom = window.visualViewport ? window.visualViewport.scale : 1;
    const scale = root.getBoundingClientRect().width / root.querySelector('.qm-stage').offsetWidth;
    const title = root.querySelector('.qm-open .qm-htitle');
    const control = root.querySelector('.qm-control').getBoundingClientRect();
    return {
      scale, zoom,
      title: parseFloat(getComputedStyle(title).fontSize) * scale * zoom,
      control: Math.min(control.width, control.height) * zoom,
    };
  };

  test('titles and the control keep a readable size in a long gallery, on a desktop and a zoomed-out phone', async () => {
    // The long gallery with autoplay (and so its control) switched on.
    const long = H.variant(work, longGallery, 'long-autoplay',
      (f) => H.editFile(f, 'config.xml', (t) => t.replace(/<AutoPlay>0</, '<AutoPlay>1<')));
    await load(page, `${origin}/${long.page}`, L.id);
    await drive(page, L.id, 'pause');
    await page.waitForFunction((i) => document.querySelector(`#${i} .qm-settled`), L.id, { timeout: WAIT });
    const desk = await page.evaluate(onScreen, L.id);
    assert.ok(desk.scale < 0.35, `scaled to ${desk.scale}`);
    assert.ok(desk.title >= 11.9, `title ${desk.title} px on screen`);
    assert.ok(desk.control >= 23.9, `control ${desk.control} px on screen`);
    // A phone shows a page without a viewport setting zoomed out to 980 pixels.
    const phoneBrowser = await chromium.launch({ executablePath: H.CHROMIUM, args: H.CHROMIUM_ARGS });
    try {
      const phonePage = await phoneBrowser.newPage({
        viewport: { width: 390, height: 800 }, isMobile: true, hasTouch: true, deviceScaleFactor: 2,
      });
      await load(phonePage, `${origin}/${long.page}`, L.id);
      await drive(phonePage, L.id, 'pause');
      await phonePage.waitForSelector(`#${L.id} .qm-settled`, { timeout: WAIT });
      const phone = await phonePage.evaluate(onScreen, L.id);
      assert.ok(phone.zoom < 0.5, `zoomed out to ${phone.zoom}`);
      assert.ok(phone.title >= 11.9, `title ${phone.title} px on a phone`);
      assert.ok(phone.control >= 23.9, `control ${phone.control} px on a phone`);
      const box = await phonePage.$eval(`#${L.id}`, (e) => { const r = e.getBoundingClientRect(); return r.width / r.height; });
      assert.ok(Math.abs(box - L.width / L.height) < 0.02, 'proportions kept');
    } finally {
      await phoneBrowser.close();
    }
  });

  test('a slide in the 40-item gallery does no layout per frame (performance trace)', async () => {
    await load(page, `${origin}/${longGallery.page}`, L.id);
    await mouseAway(page);
    await page.waitForFunction((i) => document.querySelector(`#${i} .qm-settled`), L.id, { timeout: WAIT });
    const cost = await H.traceSlide(page, L.id, () => drive(page, L.id, 'open', 20));
    const { layouts, framesDrawn: frames } = cost;
    console.log(`  trace: ${layouts} layouts, ${frames} frames drawn, ${cost.paints} paints in ` +
      `${cost.paintBursts} bursts, in a ${cost.slideMs} ms slide`);
    assert.ok(frames >= 10, `the slide drew ${frames} frames`);
    assert.ok(layouts <= 3, `${layouts} layouts in one slide`);
  });

  /* ---------------------------------------------------------------- */
  /* Gaps and failures                                                 */
  /* ---------------------------------------------------------------- */

  test('a missing picture shows a placeholder in the gallery colour with its title', async () => {
    const reported = page.waitForEvent('console', {
      predicate: (m) => /p1_t\.jpg could not be loaded/.test(m.text()), timeout: WAIT,
    });
    await load(page, `${origin}/${gap.page}`, M.id);
    await reported;
    await drive(page, M.id, 'pause');
    await mouseAway(page);
    await openAndSettle(page, M.id, 1);
    await page.waitForFunction((i) => getComputedStyle(document.querySelector(`#${i} .qm-open .qm-htitle`)).opacity === '1',
      M.id, { timeout: WAIT });
    const looks = await page.$eval(`#${M.id} .qm-open`, (n) => ({
      missing: n.classList.contains('qm-missing'),
      image: getComputedStyle(n.querySelector('.qm-image')).display,
      background: getComputedStyle(n).backgroundColor,
      titles: [...n.querySelectorAll('.qm-htitle')].map((t) => t.textContent),
    }));
    assert.deepEqual(looks, { missing: true, image: 'none', background: 'rgb(0, 0, 0)', titles: ['Second'] });
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

  test('a page opened from its folder plays through its companion script; without it the fallback stays', async () => {
    await load(page, 'file://' + path.join(work, mainGallery.page), M.id);
    await page.waitForFunction((i) => [...document.querySelectorAll(`#${i} .qm-image`)]
      .every((img) => img.complete && img.naturalWidth > 0), M.id, { timeout: WAIT });
    assert.equal((await state(page, M.id)).count, 5);
    const reported = page.waitForEvent('console', {
      predicate: (m) => /Quillmere player/.test(m.text()), timeout: WAIT,
    });
    await page.goto('file://' + path.join(work, noCompanion.page));
    assert.match((await reported).text(), /refused to read .*config\.xml from a local folder/);
    assert.ok(await page.isVisible(`#${M.fallbackId} img`), 'fallback picture shown');
    assert.equal(await page.$('.qm-player'), null);
  });

  test('each screen loads one picture per item: 2x on a 2x screen, none on a 1x one, WebP where offered', async () => {
    const S = H.pageFacts(work, sharp);
    // The first panel shows the page's fallback picture, which is never WebP.
    const cases = [
      [sharp, 1, ['p0_t.jpg', 'p1_t.jpg', 'p2_t.jpg']],
      [sharp, 2, ['p0_t@2x.jpg', 'p1_t@2x.jpg', 'p2_t@2x.jpg']],
      [sharpWebp, 1, ['p0_t.jpg', 'p1_t.webp', 'p2_t.webp']],
      [sharpWebp, 2, ['p0_t@2x.jpg', 'p1_t@2x.webp', 'p2_t@2x.webp']],
    ];
    const browser = await chromium.launch({ executablePath: H.CHROMIUM, args: H.CHROMIUM_ARGS });
    try {
      for (const [gallery, scale, expected] of cases) {
        const fresh = await browser.newContext({ viewport: { width: 1100, height: 520 }, deviceScaleFactor: scale });
        const view = await fresh.newPage();
        const pictures = [];
        view.on('request', (r) => pictures.push(r.url().split('/').pop()));
        await load(view, `${origin}/${gallery.page}`, S.id);
        await view.waitForFunction((i) => [...document.querySelectorAll(`#${i} .qm-image`)]
          .every((img) => img.complete && img.naturalWidth > 0), S.id, { timeout: WAIT });
        assert.deepEqual(pictures.filter((n) => /^p\d/.test(n)).sort(), expected, `${gallery.name} at ${scale}x`);
        await fresh.close();
      }
    } finally {
      await browser.close();
    }
  });

  /* ---------------------------------------------------------------- */
  /* Switches                                                          */
  /* ---------------------------------------------------------------- */

  test('a closed strip shows the slice around its focus, or its middle, and opens to the whole picture', async () => {
    const F = H.pageFacts(work, focusGallery);
    const xml = fs.readFileSync(path.join(focusGallery.folder, 'focusitems.xml'), 'utf8');
    const focus = [...xml.matchAll(/<item [^>]*?\/>/g)].map((m) => (/ focus="(\d+),\d+"/.exec(m[0]) || [])[1]);
    assert.deepEqual(focus, [undefined, '80', '2'], 'only the items with a focal point carry one');
    await load(page, `${origin}/${focusGallery.page}`, F.id);
    // Where each panel's visible part starts in its picture.
    const slices = () => page.$$eval(`#${F.id} .qm-panel`, (nodes) => nodes.map((n) =>
      n.getBoundingClientRect().x - n.querySelector('.qm-image').getBoundingClientRect().x));
    const expected = (f) => Math.max(0, Math.min(500 - 60, (f === undefined ? 50 : Number(f)) / 100 * 500 - 30));
    await openAndSettle(page, F.id, 2);
    assert.deepEqual((await slices()).map(Math.round), [expected(focus[0]), expected(focus[1]), 0]);
    // Opening moves the picture from its slice to its whole width along with the panel.
    const half = await page.evaluate((i) => {
      document.getElementById(i).quillmere.open(1);
      for (const a of document.getAnimations()) {
        a.pause();
        a.currentTime = a.effect.getTiming().duration / 2;
      }
      const image = document.querySelectorAll(`#${i} .qm-image`)[1];
      return new DOMMatrix(getComputedStyle(image).transform).m41;
    }, F.id);
    assert.ok(half < 0 && half > -expected(focus[1]), `half way: ${half}`);
    await page.evaluate(() => document.getAnimations().forEach((a) => a.finish()));
    await waitSettledOn(page, F.id, 1);
    assert.deepEqual((await slices()).map(Math.round), [expected(focus[0]), 0, expected(focus[2])]);
  });

  test('switches off: no grey, no vertical titles, no autoplay control', async () => {
    await load(page, `${origin}/${plainGallery.page}`, P.id);
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
    await load(page, `${origin}/${faded.page}`, P.id);
    await page.waitForFunction((i) => getComputedStyle(document.querySelector(`#${i} .qm-closed .qm-image`))
      .opacity === '0.4', P.id, { timeout: WAIT });
    const opacity = await page.$$eval(`#${P.id} .qm-image`, (n) => n.map((i) => getComputedStyle(i).opacity));
    assert.equal(opacity[0], '1');
  });

  /* ---------------------------------------------------------------- */
  /* Accessibility                                                     */
  /* ---------------------------------------------------------------- */

  test('an automated accessibility audit (axe-core) finds no violation in the player', async () => {
    let axe;
    try {
      axe = require.resolve('axe-core/axe.min.js');
    } catch (e) {
      throw new Error('axe-core is missing; run "npm install" in tests/player');
    }
    for (const [url, id] of [[mainUrl, M.id], [`${origin}/${plainGallery.page}`, P.id]]) {
      await load(page, url, id);
      await drive(page, id, 'pause');
      await page.addScriptTag({ path: axe });
      const violations = await page.evaluate((i) => window.axe.run(`#${i}`).then((r) => r.violations
        .map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`)), id);
      assert.deepEqual(violations, [], id);
    }
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
  console.log(`screenshots: ${screenshot}, ${midSlideShot}`);
  console.log(`${passed} passed, ${failed} failed`);
  process.exitCode = failed ? 1 : 0;
}

main().catch((e) => {
  console.error(e && e.stack || e);
  clearTimeout(watchdog);
  process.exit(1);
});
