#!/usr/bin/env node
// Browser test of the editor's preview: the sample project opened in the main window
// (offscreen), the preview command run, and the address it hands to the browser loaded
// in headless Chromium, where the gallery must play.
//
//   node preview.test.js PATH/TO/qm_preview_address BUILD_FOLDER
//
// Work files and the screenshot go to BUILD_FOLDER/preview-test/.
'use strict';

const assert = require('node:assert/strict');
const childProcess = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const H = require('./harness.js');

const chromium = H.loadChromium('preview test');

const WAIT = 15000;

const [previewer, buildFolder] = process.argv.slice(2);
if (!previewer || !buildFolder) {
  console.error('usage: node preview.test.js QM_PREVIEW_ADDRESS BUILD_FOLDER');
  process.exit(2);
}
const work = path.join(path.resolve(buildFolder), 'preview-test');
const screenshot = path.join(work, 'preview.png');

const watchdog = setTimeout(() => {
  console.error('preview test: gave up after 90 s');
  process.exit(1);
}, 90000);

// The sample project, naming the sample pictures the build puts beside the programs.
function sampleProject() {
  const samples = path.join(path.dirname(path.resolve(previewer)), 'samples');
  const template = fs.readFileSync(path.join(samples, 'sample.qmreel1.in'), 'latin1');
  const project = path.join(work, 'sample.qmreel1');
  fs.writeFileSync(project, template.split('@SAMPLES@').join(samples), 'latin1');
  return project;
}

// Starts the preview and resolves with the address it handed to the browser.
function startPreview(project) {
  const home = path.join(work, 'home');
  fs.mkdirSync(home, { recursive: true });
  const child = childProcess.spawn(previewer, [project, '80'], {
    stdio: ['ignore', 'pipe', 'pipe'],
    env: Object.assign({}, process.env, {
      HOME: home, XDG_DATA_HOME: path.join(home, 'data'), QT_QPA_PLATFORM: 'offscreen',
    }),
  });
  let out = '';
  let err = '';
  const address = new Promise((resolve, reject) => {
    child.stdout.on('data', (d) => {
      out += d;
      const line = out.indexOf('\n');
      if (line >= 0) {
        resolve(out.slice(0, line).trim());
      }
    });
    child.stderr.on('data', (d) => { err += d; });
    child.on('exit', (code) => reject(new Error(`qm_preview_address ended (${code}): ${err}`)));
    child.on('error', reject);
  });
  return { child, address };
}

async function main() {
  fs.rmSync(work, { recursive: true, force: true });
  fs.mkdirSync(work, { recursive: true });
  const { child, address: pending } = startPreview(sampleProject());
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'qm-preview-profile-'));
  let context;
  let failed = false;
  try {
    const address = await pending;
    console.log(`address: ${address}`);
    assert.match(address, /^http:\/\/127\.0\.0\.1:\d+\/[0-9a-f]{32}\/preview\/~preview\.html$/);

    context = await chromium.launchPersistentContext(profile, {
      executablePath: H.CHROMIUM,
      headless: true,
      viewport: { width: 1100, height: 520 },
      args: H.CHROMIUM_ARGS,
    });
    const page = context.pages()[0] || await context.newPage();
    const scriptErrors = [];
    page.on('pageerror', (e) => scriptErrors.push(e.message));

    await page.goto(address);
    const player = await page.waitForSelector('.qm-player', { timeout: WAIT });
    const id = await player.getAttribute('id');
    // The five sample pictures, loaded from the preview folder.
    await page.waitForFunction((i) => {
      const images = [...document.querySelectorAll(`#${i} .qm-image`)];
      return images.length === 5 && images.every((img) => img.complete && img.naturalWidth > 0);
    }, id, { timeout: WAIT });
    const state = () => page.evaluate((i) => document.getElementById(i).quillmere.state(), id);
    const first = await state();
    assert.equal(first.count, 5);
    assert.equal(first.playing, true, 'the sample autoplays');
    // It plays: autoplay opens the next panel after the sample's delay of 2 s.
    await page.mouse.move(2, 500);
    await page.waitForFunction(([i, a]) => document.getElementById(i).quillmere.state().active !== a,
      [id, first.active], { timeout: WAIT });
    await page.screenshot({ path: screenshot });
    assert.deepEqual(scriptErrors, [], 'no script errors');
    console.log('ok 1 - the previewed address loads and the gallery plays');
  } catch (e) {
    failed = true;
    console.log(`not ok 1 - the previewed address loads and the gallery plays\n  ${String(e && e.stack || e).replace(/\n/g, '\n  ')}`);
  } finally {
    child.kill();
    if (context) {
      await context.close();
    }
    fs.rmSync(profile, { recursive: true, force: true });
    clearTimeout(watchdog);
  }
  console.log(`screenshot: ${screenshot}`);
  console.log(failed ? '0 passed, 1 failed' : '1 passed, 0 failed');
  process.exitCode = failed ? 1 : 0;
}

main().catch((e) => {
  console.error(e && e.stack || e);
  clearTimeout(watchdog);
  process.exit(1);
});
