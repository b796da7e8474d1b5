// A page served by zorvax-docserver on loopback drives the control in headless Chromium through
// the extension and `zorvax --native-messaging`.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { existsSync, readFileSync, readdirSync, writeFileSync, mkdirSync } from 'node:fs';
import { join } from 'node:path';
import {
  artifactsFolder, launchChromium, openDemoPage, prepareHome, removeFolder, scratchFolder, startDocServer, zorvax,
} from '../lib/harness.mjs';

const koreanName = '전자문서 시험.txt';
const korean = '한글 전자문서 내용입니다.\n'.repeat(400) + 'end\n';

async function waitFor(check, what, limitMs = 20000) {
  for (const start = Date.now(); Date.now() - start < limitMs;) {
    if (await check()) return;
    await new Promise((done) => setTimeout(done, 50));
  }
  throw new Error(`gave up waiting for ${what}`);
}

function hostLog(home) {
  const file = join(home, 'browser-host.log');
  return existsSync(file) ? readFileSync(file, 'utf8') : '';
}

describe('a page drives the control through the extension', () => {
  let server, data, downloads, home, profile, context;

  before(async () => {
    data = scratchFolder('zx-docs-');
    downloads = scratchFolder('zx-downloads-');
    writeFileSync(join(data, koreanName), korean);
    writeFileSync(join(data, 'big.txt'), 'a line of the large document\n'.repeat(300000));
    server = await startDocServer({ data });
    ({ home, profile } = await prepareHome({ server, origins: [server.origin] }));
    context = await launchChromium({ profile, env: { TMP: downloads } });
  });

  after(async () => {
    await context?.close();
    server?.stop();
    for (const folder of [data, downloads, home, profile]) if (folder) removeFolder(folder);
  });

  test('a fresh control answers its defaults, by name and by DISPID', async () => {
    const page = await openDemoPage(context, server.siteUrl);
    const seen = await page.evaluate(async () => {
      const control = await ZorvAX.create();
      const answer = {
        Port: await control.get('Port'), Package: await control.get('Package'), dialog: await control.get('dialog'),
        Filename: await control.get('Filename'), url: await control.get('url'), version: await control.call('getVersion'),
        byDispid: await control.invoke(15), ids: await control.ids('getVersion', 'Port', 'nothing'),
      };
      try {
        await control.get('nothing');
      } catch (error) {
        answer.unknown = { isError: error instanceof Error, code: error.code };
      }
      return answer;
    });
    assert.deepEqual(seen, {
      Port: '80', Package: 'TENDRIAX', dialog: '1', Filename: '', url: '', version: '3.1.0', byDispid: '3.1.0',
      ids: ['15', '1', '0x80020006'], unknown: { isError: true, code: '0x80020006' },
    });
    await page.screenshot({ path: join(artifactsFolder(), 'demo_page.png') });
    await page.close();
  });

  test('a package value stored by the page is read back by zorvax', async () => {
    const page = await openDemoPage(context, server.siteUrl);
    const stored = await page.evaluate(async () => {
      const control = await ZorvAX.create();
      await control.set('Package', 'WEBPKG');
      return control.call('setRegisterValue', 'colour', '파랑 blue');
    });
    assert.equal(stored, 0);
    assert.equal(await zorvax(home, 'set', 'Package', 'WEBPKG', 'call', 'getRegisterValue', 'colour'), '파랑 blue\n');
    await page.close();
  });

  test('a ciphered, compressed, Korean-named document comes down equal to the original', async () => {
    const page = await openDemoPage(context, server.siteUrl);
    const { result, path } = await page.evaluate((args) => demo.download(args), {
      url: server.values['download-url'], pubkey: server.values.pubkey, name: koreanName,
    });
    assert.equal(result, 0);
    assert.equal(path, join(downloads, koreanName));
    assert.equal(readFileSync(path, 'utf8'), korean);
    await page.close();
  });

  test('an upload over TLS is stored by the server exactly', async () => {
    // A file of the control's temporary folder: within the page's reach without a question
    // (the host has no display to ask on).
    const local = join(downloads, 'upload-원본.bin');
    const bytes = Buffer.alloc(300 * 1024);
    for (let i = 0; i < bytes.length; ++i) bytes[i] = (i * 7919) % 251;
    writeFileSync(local, bytes);
    const page = await openDemoPage(context, server.siteUrl);
    const { result, size } = await page.evaluate((args) => demo.upload(args), {
      url: server.values['upload-url'], file: local,
    });
    assert.equal(result, 0);
    assert.ok(Number(size) > 0);
    const uploads = join(server.values.state, 'uploads');
    const stored = readdirSync(uploads).filter((name) => name.endsWith('-upload-원본.bin'));
    assert.equal(stored.length, 1);
    assert.ok(readFileSync(join(uploads, stored[0])).equals(bytes));
    await page.close();
  });

  test('a page of an origin not allowed is refused with 0x80070005 and the log says so', async () => {
    const other = server.siteUrl.replace('127.0.0.1', 'localhost');
    const page = await openDemoPage(context, other);
    const refusal = await page.evaluate(async () => {
      try {
        await ZorvAX.create();
        return 'created';
      } catch (error) {
        return { isError: error instanceof Error, code: error.code };
      }
    });
    assert.deepEqual(refusal, { isError: true, code: '0x80070005' });
    const origin = new URL(other).origin;
    await waitFor(() => hostLog(home).includes(`${origin} create refused`), 'the refusal in the log');
    assert.match(hostLog(home), new RegExp(`^\\S+Z ${origin.replace(/[.:/]/g, '\\$&')} create refused .*0x80070005$`, 'm'));
    await page.close();
  });

  test('closing the tab during a slow download ends the host and leaves no partial file', async () => {
    const slowDownloads = scratchFolder('zx-slow-');
    const slowProfile = scratchFolder('zx-profile-slow-');
    await zorvax(home, 'browser-host', 'install', '--profile', slowProfile);
    const browser = await launchChromium({ profile: slowProfile, env: { TMP: slowDownloads } });
    try {
      const page = await openDemoPage(browser, server.siteUrl);
      const endedBefore = (hostLog(home).match(/host ended$/gm) || []).length;
      // The person fills in the form and presses 내려받기.
      await page.fill('#download-url', server.values['download-url'] + '?stall=1&doc=');
      await page.fill('#pubkey', server.values.pubkey);
      await page.fill('#doc', 'big.txt');
      await page.click('#download');
      await waitFor(() => readdirSync(slowDownloads).length > 0, 'the partial file');
      await page.screenshot({ path: join(artifactsFolder(), 'slow_download.png') });
      await page.close();
      await waitFor(() => (hostLog(home).match(/host ended$/gm) || []).length > endedBefore, 'the host to end');
      assert.deepEqual(readdirSync(slowDownloads), []);
    } finally {
      await browser.close();
      removeFolder(slowDownloads);
      removeFolder(slowProfile);
    }
  });
});
