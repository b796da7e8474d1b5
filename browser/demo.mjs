// The main job in a browser: the demo page, served by zorvax-docserver on loopback, downloads a
// ciphered and compressed Korean-named document and uploads it back over TLS, in headless
// Chromium with the extension. Run by scripts/demo.sh; everything it makes is removed at the end.
import { readFileSync, readdirSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { launchChromium, prepareHome, removeFolder, scratchFolder, startDocServer, zorvax } from './lib/harness.mjs';

const documentName = '전자문서 안내.txt';
const lines = ['ZorvAX 데모 문서입니다.'];
for (let i = 1; i <= 2000; ++i) lines.push(`줄 ${i}: 통신 보안이 적용된 전자문서 교환 - line ${i} of the demo document`);

const data = scratchFolder('zx-demo-docs-');
const downloads = scratchFolder('zx-demo-downloads-');
writeFileSync(join(data, documentName), lines.join('\n') + '\n');
const server = await startDocServer({ data });
const { home, profile } = await prepareHome({ server, origins: [server.origin] });
const browser = await launchChromium({ profile, env: { TMP: downloads } });
try {
  console.log(`== the demo page: ${server.siteUrl} (origin ${server.origin} allowed)`);
  const query = new URLSearchParams({
    'download-url': server.values['download-url'], pubkey: server.values.pubkey, doc: documentName,
    'upload-url': server.values['upload-url'],
  });
  const page = await browser.newPage();
  await page.goto(`${server.siteUrl}index.html?${query}`);
  await page.waitForSelector('#download:not([disabled])');

  console.log(`== the page downloads "${documentName}" ciphered and compressed`);
  await page.click('#download');
  await page.waitForFunction(() => /download (→|failed)/.test(document.getElementById('log').textContent));
  const saved = join(downloads, documentName);
  if (!readFileSync(saved).equals(readFileSync(join(data, documentName)))) throw new Error('the download differs');
  console.log(`   identical to the server's document: ${saved}`);

  console.log('== the page uploads it back over TLS, compressed');
  await page.click('#upload');
  await page.waitForFunction(() => /upload (→|failed)/.test(document.getElementById('log').textContent));
  const uploads = join(server.values.state, 'uploads');
  const stored = readdirSync(uploads).find((name) => name.endsWith(documentName));
  if (!stored || !readFileSync(join(uploads, stored)).equals(readFileSync(saved))) throw new Error('the upload differs');
  console.log(`   the server stored an identical copy: ${join(uploads, stored)}`);

  console.log('== what the page shows');
  console.log((await page.textContent('#log')).trim().split('\n').map((l) => `   ${l}`).join('\n'));
  console.log('== the host\'s log');
  console.log(readFileSync(join(home, 'browser-host.log'), 'utf8').trim().split('\n').map((l) => `   ${l}`).join('\n'));
  console.log(`== remembered origins: ${(await zorvax(home, 'origins')).trim()}`);
} finally {
  await browser.close();
  server.stop();
  for (const folder of [data, downloads, home, profile]) removeFolder(folder);
}
console.log('browser demo finished');
