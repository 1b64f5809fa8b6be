// What the player's browser test and its benchmark share: galleries published by
// quillmere-publish from generated project files, a loopback HTTP server over the
// work folder, and the Chromium launch options.
'use strict';

const assert = require('node:assert/strict');
const childProcess = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');

const CHROMIUM = process.env.QM_CHROMIUM || '/usr/bin/chromium';
const CHROMIUM_ARGS = ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
  '--disable-component-update', '--disable-sync', '--no-first-run'];

// playwright-core's Chromium driver; without it the named test stops at once and says what to do.
function loadChromium(test) {
  try {
    return require('playwright-core').chromium;
  } catch (e) {
    console.error(`${test}: playwright-core is missing; run "npm install" in tests/player (scripts/setup.sh does)`);
    process.exit(1);
  }
}

const SEP = '#$@';
const GALLERY_ORDER = ['ScriptName', 'ActiveItemWidth', 'InactiveItemWidth', 'ItemHeight', 'SlidingSpeed',
  'InactiveItemGray', 'InactiveItemAlpha', 'EnableVerticalTitles', 'AutoPlay', 'SwitchImageDelay',
  'HoriTitleFontSize', 'HoriTitleFontColor', 'VertTitleFontSize', 'VertTitleFontColor',
  'PreviewBgColor', 'FlashBgColor', 'ThumbProcessType', 'ThumbFillColor',
  'ImageLeadingPathEnabled', 'ImageLeadingPath', 'RootDirLocal', 'RootDirRemote', 'RootDirLocalChecked'];

// The sample pictures the build copies beside the programs, else the source tree's.
function samplePictures(publisher) {
  const beside = path.join(path.dirname(path.resolve(publisher)), 'samples');
  const source = path.join(__dirname, '..', '..', 'data', 'samples');
  for (const folder of [beside, source]) {
    if (fs.existsSync(folder) && fs.readdirSync(folder).some((f) => f.endsWith('.jpg'))) {
      return fs.readdirSync(folder).filter((f) => f.endsWith('.jpg')).sort().map((f) => path.join(folder, f));
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
  const join = (values) => values.map((v) => String(v) + SEP).join('');
  const lines = [
    '<Warning_Info>', 'Note: This file was created and maintained by Quillmere 1.0.',
    'Do not modify it or script project may not be opened again!', '</Warning_Info>',
    '<Product_Name>', 'Quillmere', '</Product_Name>', '<Product_Version>', '1.0', '</Product_Version>',
    '<Applet_Parameters>', join(GALLERY_ORDER.map((k) => gallery[k])), '</Applet_Parameters>', '<Item_Parameters>',
    ...items.map((it) => join(['', '', it.picture, it.link || '', it.target || '_self',
      it.htitle || '', it.vtitle || '', 0, '', it.focus || '', ''])),
    '</Item_Parameters>',
  ];
  return lines.map((l) => l + '\r\n').join('');
}

// Publishes a gallery into work/name/ and tells where its page is (relative to work);
// `flags` go to quillmere-publish ("--hidpi").
function publish(publisher, work, name, gallery, items, flags = []) {
  const folder = path.join(work, name);
  fs.mkdirSync(folder, { recursive: true });
  const project = path.join(folder, name + '.qmreel1');
  fs.writeFileSync(project, projectText(gallery, items), 'latin1');
  const home = path.join(work, 'home');
  fs.mkdirSync(path.join(home, 'data'), { recursive: true });
  const run = childProcess.spawnSync(publisher, [...flags, project, folder], {
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

// A copy of a published gallery under another folder name, with `edit(folder)` applied.
function variant(work, gallery, name, edit) {
  const folder = path.join(work, name);
  fs.cpSync(gallery.folder, folder, { recursive: true });
  if (edit) {
    edit(folder);
  }
  return Object.assign({}, gallery, { name, folder, page: name + '/' + path.basename(gallery.page) });
}

// Rewrites the one file of `folder` whose name ends in `suffix`.
function editFile(folder, suffix, edit) {
  const file = path.join(folder, fs.readdirSync(folder).find((f) => f.endsWith(suffix)));
  fs.writeFileSync(file, edit(fs.readFileSync(file, 'utf8')));
}

// What the page asks the loader for: element ids, size and colour.
function pageFacts(work, gallery) {
  const html = fs.readFileSync(path.join(work, gallery.page), 'latin1');
  const m = /swfobject\.embedSWF\("[^"]*", "([^"]*)", "(\d+)", "(\d+)"/.exec(html);
  assert.ok(m, 'the page calls swfobject.embedSWF');
  const id = /var attributes = \{ id: "([^"]*)" \}/.exec(html)[1];
  return { fallbackId: m[1], width: Number(m[2]), height: Number(m[3]), id };
}

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.xml': 'text/xml',
  '.jpg': 'image/jpeg', '.gif': 'image/gif', '.bmp': 'image/bmp', '.webp': 'image/webp',
  '.swf': 'application/x-shockwave-flash' };

// Serves `work` on a loopback port. /landing.html is a page to follow links to;
// `extra(url, res)` may answer other addresses first (returning true when it did).
function serve(work, extra) {
  const server = http.createServer((req, res) => {
    const url = new URL(req.url, 'http://127.0.0.1');
    if (extra && extra(url, res, req)) {
      return;
    }
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

// Runs `slide`, which starts a slide of gallery `id`, under a Chromium trace until the
// gallery has come to rest, and counts what the slide cost. Polled by timer: polling at
// every frame would itself make main-thread frames.
async function traceSlide(page, id, slide, polling = 100) {
  const cdp = await page.context().newCDPSession(page);
  const trace = [];
  cdp.on('Tracing.dataCollected', (d) => trace.push(...d.value));
  await cdp.send('Tracing.start', {
    transferMode: 'ReportEvents',
    traceConfig: { includedCategories: ['devtools.timeline', 'disabled-by-default-devtools.timeline.frame'] },
  });
  const started = Date.now();
  await slide();
  await page.waitForFunction((i) => !document.getElementById(i).quillmere.state().sliding, id,
    { timeout: 15000, polling });
  const took = Date.now() - started;
  const complete = new Promise((resolve) => cdp.once('Tracing.tracingComplete', resolve));
  await cdp.send('Tracing.end');
  await complete;
  await cdp.detach();
  const events = (name) => trace.filter((e) => e.name === name && e.ph !== 'E');
  const paint = events('Paint');
  return {
    slideMs: took,
    layouts: events('Layout').length,
    paints: paint.length,
    // Paints come in bursts (layers made at the start, strips clipped at the end).
    paintBursts: new Set(paint.map((e) => Math.round(e.ts / 8000))).size,
    framesDrawn: events('DrawFrame').length,
  };
}

module.exports = {
  CHROMIUM, CHROMIUM_ARGS, loadChromium, samplePictures, projectText, publish, variant, editFile, pageFacts, serve, traceSlide,
};
