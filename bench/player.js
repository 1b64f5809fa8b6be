#!/usr/bin/env node
// Speed, size and looks of the web player, by hand (never by ctest):
//
//   node bench/player.js [BUILD_FOLDER] [--compare REV] [--runs N]
//
// BUILD_FOLDER (default: build) must hold bin/quillmere-publish; the galleries are
// published into BUILD_FOLDER/player-bench/ and always played with the source tree's
// data/player/swfobject.js. Prints, and writes to player-bench/report.json:
//   - the player's size, raw and gzipped (at most 11,000 bytes gzipped);
//   - from navigation to the first open picture on screen, over loopback (median of N
//     fresh loads of a 5-item and a 40-item gallery; the goal is under 150 ms);
//   - a Chromium performance trace of one slide in the 40-item gallery: layouts,
//     paints and frames drawn (the goal: no layout per frame);
//   - renderer memory once the 40-item gallery has loaded all its pictures;
//   - mid-slide screenshots in Chromium and, when firefox-esr is installed, Firefox
//     ESR (apt-get install firefox-esr), together with the horizontal titles Firefox
//     showed at every frame of a real slide. playwright-core can only drive a
//     Firefox of its own, so Firefox loads the page itself (firefox-esr --headless
//     --screenshot) with a small driver script added by the server; and a Firefox
//     screenshot of the page opened from its folder (file://), which must show the gallery.
// --compare REV measures the player of git revision REV the same way, side by side.
'use strict';

const assert = require('node:assert/strict');
const childProcess = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');

const source = path.join(__dirname, '..');
const testsDir = path.join(source, 'tests', 'player');
const H = require(path.join(testsDir, 'harness.js'));
const { chromium } = require(require.resolve('playwright-core', { paths: [testsDir] }));

const args = process.argv.slice(2);
const option = (name, fallback) => {
  const k = args.indexOf(name);
  return k >= 0 ? args.splice(k, 2)[1] : fallback;
};
const compare = option('--compare', null);
const runs = Number(option('--runs', 9));
const build = path.resolve(args[0] || path.join(source, 'build'));
const publisher = path.join(build, 'bin', 'quillmere-publish');
const work = path.join(build, 'player-bench');
const SIZE_LIMIT = 11000;

const median = (xs) => xs.slice().sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const round = (x) => Math.round(x * 10) / 10;

// The players measured: this tree's, and the one of --compare.
function players() {
  const list = [{ name: 'current', text: fs.readFileSync(path.join(source, 'data', 'player', 'swfobject.js')) }];
  if (compare) {
    list.push({ name: compare, text: childProcess.execFileSync('git', ['-C', source, 'show', `${compare}:data/player/swfobject.js`]) });
  }
  return list;
}

/* ------------------------------------------------------------------ */
/* Loopback server with the player under test and the Firefox driver   */
/* ------------------------------------------------------------------ */

// Added to a page for Firefox: a real slide sampled at every frame, then a second
// slide frozen half way; the results go back to the server, and a held picture keeps
// the page's load event (and so Firefox's screenshot) back until then.
const FIREFOX_DRIVER = `<script>
document.addEventListener('quillmere:open', function first(e) {
  document.removeEventListener('quillmere:open', first);
  var el = e.target, p = el.quillmere, seen = [];
  function looks() {
    return [].filter.call(el.querySelectorAll('.qm-htitle'), function (t) {
      return parseFloat(getComputedStyle(t).opacity) > 0.05 && getComputedStyle(t).display !== 'none';
    }).length;
  }
  p.pause();
  setTimeout(function () {
    p.open(1);
    (function sample() {
      seen.push(looks());
      if (p.state().sliding || seen.length < 3) { requestAnimationFrame(sample); return; }
      setTimeout(function () {
        seen.push(looks());
        p.open(3);
        document.getAnimations().forEach(function (a) {
          a.pause(); a.currentTime = (a.effect.getTiming().duration || 0) / 2;
        });
        var frozen = looks();
        fetch('/report', { method: 'POST', body: JSON.stringify({ ua: navigator.userAgent, seen: seen, frozen: frozen }) })
          .then(function () { return fetch('/release'); });
      }, 600);
    })();
  }, 700);
});
</script><img src="/hold" alt="" style="position:absolute;left:0;top:0;width:1px;height:1px;opacity:0">`;

function startServer(state) {
  return H.serve(work, (url, res, req) => {
    if (url.pathname.endsWith('/swfobject.js')) {
      res.writeHead(200, { 'content-type': 'text/javascript', 'cache-control': 'no-store' });
      res.end(state.player);
      return true;
    }
    if (url.pathname === '/hold') {
      state.held = res;
      return true;
    }
    if (url.pathname === '/release') {
      res.end('');
      if (state.held) {
        state.held.writeHead(200, { 'content-type': 'image/gif' });
        state.held.end(Buffer.from('R0lGODlhAQABAAAAACwAAAAAAQABAAA=', 'base64'));
      }
      return true;
    }
    if (url.pathname === '/report') {
      let body = '';
      req.on('data', (d) => { body += d; });
      req.on('end', () => { state.firefox = JSON.parse(body); res.end(''); });
      return true;
    }
    if (url.searchParams.has('firefox')) {
      const html = fs.readFileSync(path.join(work, decodeURIComponent(url.pathname)), 'latin1');
      res.writeHead(200, { 'content-type': 'text/html' });
      res.end(html.replace('</body>', FIREFOX_DRIVER + '</body>'));
      return true;
    }
    return false;
  });
}

/* ------------------------------------------------------------------ */
/* Measurements                                                        */
/* ------------------------------------------------------------------ */

// Milliseconds from navigation to the first frame showing the open picture, and
// from the items file's arrival to that frame (the player's own share).
async function firstOpenPicture(browser, url) {
  const context = await browser.newContext({ viewport: { width: 1100, height: 520 } });
  await context.addInitScript(() => {
    (function watch() {
      const img = document.querySelector('.qm-player .qm-open .qm-image');
      if (img && img.complete && img.naturalWidth > 0) {
        requestAnimationFrame(() => { window.qmFirstOpen = performance.now(); });
      } else {
        requestAnimationFrame(watch);
      }
    })();
  });
  const page = await context.newPage();
  await page.goto(url);
  await page.waitForFunction(() => window.qmFirstOpen, null, { timeout: 15000 });
  const ms = await page.evaluate(() => [window.qmFirstOpen, window.qmFirstOpen -
    performance.getEntriesByType('resource').find((r) => /items\.xml$/.test(r.name)).responseEnd]);
  await context.close();
  return ms;
}

// One slide in a gallery, traced: layouts, paints and frames drawn.
function traceSlide(page, id, to) {
  const slide = () => page.evaluate(([i, k]) => document.getElementById(i).quillmere.open(k), [id, to]);
  return H.traceSlide(page, id, slide, 50);
}

// Memory of the largest renderer process below the browser using `profile`: resident
// and private (what the renderer holds of its own: decoded pictures, layers, DOM).
function rendererMemoryMiB(profile) {
  const rows = childProcess.execFileSync('ps', ['-eo', 'pid=,ppid=,rss=,args='], { encoding: 'utf8' })
    .split('\n').map((l) => /^\s*(\d+)\s+(\d+)\s+(\d+)\s+(.*)$/.exec(l)).filter(Boolean)
    .map((m) => ({ pid: +m[1], ppid: +m[2], rss: +m[3], args: m[4] }));
  const browser = rows.find((r) => r.args.includes(profile) && !r.args.includes('--type='));
  if (!browser) {
    return null;
  }
  const family = new Set([browser.pid]);
  for (let grew = true; grew;) {
    grew = false;
    for (const r of rows) {
      if (family.has(r.ppid) && !family.has(r.pid)) {
        family.add(r.pid);
        grew = true;
      }
    }
  }
  const renderers = rows.filter((r) => family.has(r.pid) && r.args.includes('--type=renderer'));
  const big = renderers.sort((a, b) => b.rss - a.rss)[0];
  if (!big) {
    return null;
  }
  let privateKiB = 0;
  try {
    const rollup = fs.readFileSync(`/proc/${big.pid}/smaps_rollup`, 'utf8');
    for (const m of rollup.matchAll(/^Private_(?:Clean|Dirty):\s+(\d+) kB/gm)) {
      privateKiB += Number(m[1]);
    }
  } catch (e) {
    privateKiB = NaN;
  }
  return { resident: round(big.rss / 1024), private: round(privateKiB / 1024) };
}

async function measure(player, state, origin, galleries) {
  state.player = player.text;
  const result = {
    bytes: player.text.length,
    gzipBytes: zlib.gzipSync(player.text, { level: 9 }).length,
  };
  const browser = await chromium.launch({ executablePath: H.CHROMIUM, args: H.CHROMIUM_ARGS });
  try {
    for (const [key, g] of Object.entries(galleries)) {
      const times = [];
      for (let k = 0; k < runs; k++) {
        times.push(await firstOpenPicture(browser, `${origin}/${g.page}`));
      }
      const total = times.map((t) => t[0]);
      result[`firstOpenPictureMs_${key}`] = {
        median: round(median(total)), max: round(Math.max(...total)),
        afterItemsFileMedian: round(median(times.map((t) => t[1]))),
      };
    }
  } finally {
    await browser.close();
  }

  // Trace, memory and the Chromium screenshot in a browser of its own profile.
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'qm-player-bench-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: H.CHROMIUM, args: H.CHROMIUM_ARGS, viewport: { width: 1100, height: 520 },
  });
  try {
    const page = context.pages()[0] || await context.newPage();
    const long = galleries.long;
    await page.goto(`${origin}/${long.page}`);
    await page.waitForSelector(`#${long.id}.qm-player`, { timeout: 15000 });
    await page.mouse.move(2, 500);
    await page.waitForFunction((i) => [...document.querySelectorAll(`#${i} .qm-image`)]
      .every((img) => img.complete && img.naturalWidth > 0), long.id, { timeout: 30000 });
    await page.waitForTimeout(1500);
    result.rendererMiB_40items = rendererMemoryMiB(profile);
    result.trace_40items = await traceSlide(page, long.id, 20);

    const small = galleries.small;
    await page.goto(`${origin}/${small.page}`);
    await page.waitForSelector(`#${small.id}.qm-player`, { timeout: 15000 });
    await page.evaluate((i) => document.getElementById(i).quillmere.pause(), small.id);
    await page.waitForTimeout(1200);
    await page.evaluate((i) => {
      document.getElementById(i).quillmere.open(3);
      for (const a of document.getAnimations()) {
        a.pause();
        a.currentTime = (a.effect.getTiming().duration || 0) / 2;
      }
    }, small.id);
    await page.waitForTimeout(100);
    result.chromiumScreenshot = path.join(work, `chromium-midslide-${player.name}.png`);
    await page.screenshot({ path: result.chromiumScreenshot });
  } finally {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }

  // Firefox ESR, when installed.
  const firefox = ['/usr/bin/firefox-esr', '/usr/bin/firefox'].find((f) => fs.existsSync(f));
  if (firefox && player.name === 'current') {
    // A screenshot of `url` once Firefox has loaded it, in a profile of its own.
    const firefoxShot = async (url, name) => {
      const ffProfile = fs.mkdtempSync(path.join(os.tmpdir(), 'qm-player-firefox-'));
      const shot = path.join(work, `firefox-${name}-${player.name}.png`);
      await new Promise((resolve) => {
        childProcess.execFile(firefox, ['--headless', '--no-remote', '--profile', ffProfile,
          '--window-size=1100,520', '--screenshot', shot, url],
        { timeout: 90000, env: Object.assign({}, process.env, { MOZ_HEADLESS: '1' }) }, () => resolve());
      });
      fs.rmSync(ffProfile, { recursive: true, force: true });
      return fs.existsSync(shot) ? shot : null;
    };
    state.firefox = null;
    state.held = null;
    result.firefox = {
      screenshot: await firefoxShot(`${origin}/${galleries.small.page}?firefox=1`, 'midslide'),
      measured: state.firefox,
      mostHorizontalTitlesAtOnce: state.firefox ? Math.max(...state.firefox.seen, state.firefox.frozen) : null,
      // The page opened from its folder, as a double click opens it: the gallery, not the fallback picture.
      fromFolderScreenshot: await firefoxShot('file://' + path.join(work, galleries.small.page), 'from-folder'),
    };
  }
  return result;
}

async function main() {
  if (!fs.existsSync(publisher)) {
    console.error(`bench/player.js: ${publisher} is missing; build the target quillmere-publish first`);
    process.exit(2);
  }
  fs.rmSync(work, { recursive: true, force: true });
  fs.mkdirSync(work, { recursive: true });
  const state = {};
  const server = await startServer(state);
  const origin = `http://127.0.0.1:${server.address().port}`;
  const jpgs = H.samplePictures(publisher);
  const item = (k) => ({ picture: jpgs[k % jpgs.length], htitle: `Picture number ${k + 1}`, vtitle: `No. ${k + 1}` });
  const galleries = {
    small: H.publish(publisher, work, 'small', { ScriptName: 'small' }, Array.from({ length: 5 }, (_, k) => item(k))),
    long: H.publish(publisher, work, 'long', { ScriptName: 'long', AutoPlay: 0 }, Array.from({ length: 40 }, (_, k) => item(k))),
  };
  for (const g of Object.values(galleries)) {
    g.id = H.pageFacts(work, g).id;
  }

  const report = {};
  try {
    for (const player of players()) {
      report[player.name] = await measure(player, state, origin, galleries);
    }
  } finally {
    server.close();
  }
  fs.writeFileSync(path.join(work, 'report.json'), JSON.stringify(report, null, 2) + '\n');
  console.log(JSON.stringify(report, null, 2));

  const current = report.current;
  assert.ok(current.gzipBytes <= SIZE_LIMIT, `the player is ${current.gzipBytes} bytes gzipped`);
  assert.ok(current.firstOpenPictureMs_small.median < 150, 'first open picture within 150 ms');
  assert.ok(current.trace_40items.layouts <= 3, 'no layout per frame');
  console.log('player bench: within its goals');
}

main().catch((e) => {
  console.error(e && e.stack || e);
  process.exit(1);
});
