// The browser's cost on a download: the time from ctl.call('download', ...) in a page (headless
// Chromium, the extension, the browser host) to its result, against the same call through
// `zorvax script -` (statements on a pipe, timed from the call's line to its reply) in the
// same run, the two taking turns going first.
//
//   node bench/browser_download_bench.mjs [ROUNDS]     (ZX_BIN_DIR: the built programs)
import { spawn } from 'node:child_process';
import { once } from 'node:events';
import { readdirSync, rmSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { createInterface } from 'node:readline';
import {
  binDir, launchChromium, openDemoPage, prepareHome, removeFolder, scratchFolder, startDocServer,
} from '../browser/lib/harness.mjs';

const rounds = Number(process.argv[2] || 5);
const sizes = [['100 KiB', 100 * 1024], ['64 MiB', 64 * 1024 * 1024]];

// Text lines of pseudo-random letters: gzip saves about a quarter, as on a real document, so
// the whole body crosses the wire.
function documentOf(size) {
  const bytes = Buffer.alloc(size);
  let state = 12345;
  for (let at = 0; at < size; ++at) {
    state = (state * 1103515245 + 12345) >>> 0;
    bytes[at] = at % 80 === 79 ? 0x0a : 0x61 + ((state >>> 16) % 26);
  }
  return bytes;
}

function emptyFolder(folder) {
  for (const name of readdirSync(folder)) rmSync(join(folder, name), { recursive: true, force: true });
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

// zorvax script - on a pipe: answers the milliseconds from writing the download line to its reply.
async function throughZorvax(home, downloads, settings) {
  const child = spawn(join(binDir, 'zorvax'), ['--home', home, '--ui=console', 'script', '-'],
    { env: { ...process.env, TMP: downloads, DISPLAY: '' }, stdio: ['pipe', 'pipe', 'ignore'] });
  const replies = createInterface({ input: child.stdout })[Symbol.asyncIterator]();
  const send = async (statement) => {
    child.stdin.write(JSON.stringify(statement) + '\n');
    const { value } = await replies.next();
    return JSON.parse(value);
  };
  for (const [name, value] of Object.entries(settings)) await send({ set: name, value });
  const start = performance.now();
  const reply = await send({ call: 'download', args: ['bench-user', 'session-1', '1', '1'] });
  const elapsed = performance.now() - start;
  child.stdin.end();
  await once(child, 'exit');
  if (reply.result !== 0) throw new Error(`zorvax download answered ${JSON.stringify(reply)}`);
  return elapsed;
}

async function throughPage(page, settings) {
  const { elapsed, result } = await page.evaluate(async (settings) => {
    const control = await ZorvAX.create();
    for (const [name, value] of Object.entries(settings)) await control.set(name, value);
    const start = performance.now();
    const result = await control.call('download', 'bench-user', 'session-1', '1', '1');
    const elapsed = performance.now() - start;
    control.close();
    return { elapsed, result };
  }, settings);
  if (result !== 0) throw new Error(`the page's download answered ${result}`);
  return elapsed;
}

const data = scratchFolder('zx-bench-docs-');
const pageDownloads = scratchFolder('zx-bench-page-');
const commandDownloads = scratchFolder('zx-bench-command-');
for (const [label, size] of sizes) writeFileSync(join(data, `bench ${label}.txt`), documentOf(size));
const server = await startDocServer({ data });
const { home, profile } = await prepareHome({ server, origins: [server.origin] });
const browser = await launchChromium({ profile, env: { TMP: pageDownloads } });
try {
  const page = await openDemoPage(browser, server.siteUrl);
  console.log(`rounds: ${rounds}; medians in seconds; ratio = page / zorvax`);
  console.log('| Document | page (browser) | zorvax | ratio |');
  console.log('|---|---|---|---|');
  for (const [label, size] of sizes) {
    const name = `bench ${label}.txt`;
    const settings = {
      Package: 'BENCH', url: server.values['download-url'] + name, Pubkey: server.values.pubkey, Filename: name, dialog: '0',
    };
    const pageTimes = [];
    const commandTimes = [];
    for (let round = 0; round < rounds; ++round) {
      const pageFirst = round % 2 === 0;
      for (const which of pageFirst ? ['page', 'command'] : ['command', 'page']) {
        if (which === 'page') pageTimes.push(await throughPage(page, settings));
        else commandTimes.push(await throughZorvax(home, commandDownloads, settings));
        emptyFolder(pageDownloads);
        emptyFolder(commandDownloads);
      }
    }
    const p = median(pageTimes) / 1000;
    const c = median(commandTimes) / 1000;
    console.log(`| ${label} (${size} bytes) | ${p.toFixed(3)} | ${c.toFixed(3)} | ${(p / c).toFixed(2)} |`);
  }
} finally {
  await browser.close();
  server.stop();
  for (const folder of [data, pageDownloads, commandDownloads, home, profile]) removeFolder(folder);
}
