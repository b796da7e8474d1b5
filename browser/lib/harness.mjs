// What the browser tests, the demo and the benchmark share: the document server on loopback
// with the demo site, a configuration home with the host installed into one Chromium profile,
// and Debian's Chromium with the unpacked extension.
import { spawn, execFile } from 'node:child_process';
import { existsSync, mkdtempSync, mkdirSync, rmSync, copyFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { promisify } from 'node:util';
import { chromium } from 'playwright-core';

const here = dirname(fileURLToPath(import.meta.url));
export const browserDir = resolve(here, '..');
export const extensionDir = join(browserDir, 'extension');
export const siteDir = join(browserDir, 'site');
export const binDir = process.env.ZX_BIN_DIR || resolve(browserDir, '..', 'build', 'bin');
const run = promisify(execFile);

// Debian's Chromium: the binary itself, not the wrapper script in /usr/bin.
export function chromiumPath() {
  for (const candidate of [process.env.ZX_CHROMIUM, '/usr/lib/chromium/chromium', '/usr/bin/chromium']) {
    if (candidate && existsSync(candidate)) return candidate;
  }
  throw new Error('Chromium is not installed (scripts/install-deps.sh installs the chromium package)');
}

export function scratchFolder(prefix) {
  return mkdtempSync(join(tmpdir(), prefix));
}

// zorvax-docserver with the demo site; resolves once it printed "ready".
export async function startDocServer({ data, args = [] }) {
  const child = spawn(join(binDir, 'zorvax-docserver'),
    ['--data', data, '--site', siteDir, '--quiet', '--exit-on-eof', ...args],
    { stdio: ['pipe', 'pipe', 'inherit'] });
  let text = '';
  await new Promise((done, fail) => {
    child.on('error', fail);
    child.on('exit', (code) => fail(new Error(`zorvax-docserver ended with ${code}`)));
    child.stdout.on('data', (chunk) => {
      text += chunk;
      if (/^ready$/m.test(text)) done();
    });
  });
  const values = Object.fromEntries(text.split('\n').filter((l) => l.includes(' '))
    .map((l) => [l.slice(0, l.indexOf(' ')), l.slice(l.indexOf(' ') + 1)]));
  return {
    values,
    siteUrl: values['site-url'],
    origin: new URL(values['site-url']).origin,
    stop() { child.stdin.end(); },
  };
}

export async function zorvax(home, ...words) {
  const { stdout } = await run(join(binDir, 'zorvax'), ['--home', home, '--ui=console', ...words]);
  return stdout;
}

// A configuration home that trusts the server's certificate, allows `origins` and has the host
// installed into a fresh Chromium profile.
export async function prepareHome({ server, origins = [] }) {
  const home = scratchFolder('zx-home-');
  const profile = scratchFolder('zx-profile-');
  copyFileSync(server.values.certificate, join(home, 'ca.pem'));
  await zorvax(home, 'browser-host', 'install', '--profile', profile);
  for (const origin of origins) await zorvax(home, 'allow-origin', origin);
  return { home, profile };
}

// Chromium, headless, with the extension; the native host it starts inherits `env` (TMP names
// the folder downloads land in; no DISPLAY, so nobody is asked).
export async function launchChromium({ profile, env = {} }) {
  const hostEnv = { ...process.env, ...env };
  delete hostEnv.DISPLAY;
  delete hostEnv.WAYLAND_DISPLAY;
  return chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath(),
    headless: false,
    args: ['--headless=new', `--disable-extensions-except=${extensionDir}`, `--load-extension=${extensionDir}`,
      '--no-first-run', '--no-default-browser-check'],
    env: hostEnv,
  });
}

// A page of the demo site once window.ZorvAX is there.
export async function openDemoPage(context, url) {
  const page = await context.newPage();
  await page.goto(url);
  await page.waitForFunction(() => window.ZorvAX !== undefined);
  return page;
}

export function artifactsFolder() {
  const folder = process.env.ZX_ARTIFACTS || resolve(browserDir, '..', 'build', 'artifacts', 'browser');
  mkdirSync(folder, { recursive: true });
  return folder;
}

export function removeFolder(folder) {
  rmSync(folder, { recursive: true, force: true });
}
