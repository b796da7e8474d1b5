// The demo page: a download (ciphered and compressed) and an upload of what came down,
// through window.ZorvAX, as the service's own pages drive the control.
const demo = (() => {
  const log = (line) => { document.getElementById('log').textContent += line + '\n'; };

  async function withControl(work) {
    const control = await ZorvAX.create();
    try {
      return await work(control);
    } finally {
      control.close();
    }
  }

  async function download({ url, pubkey, name }) {
    return withControl(async (control) => {
      await control.set('Package', 'DEMO');
      await control.set('url', url + name);
      await control.set('Pubkey', pubkey);
      await control.set('Filename', name);
      await control.set('dialog', '0');
      const result = await control.call('download', 'demo-user', 'session-1', '1', '1');
      return { result, path: await control.get('Filename') };
    });
  }

  async function upload({ url, file }) {
    return withControl(async (control) => {
      await control.set('url', url);
      await control.set('Filename', file);
      await control.set('dialog', '0');
      const result = await control.call('upload', 'demo-user', '1', '0');
      return { result, size: await control.get('size') };
    });
  }

  let downloaded = '';
  const field = (id) => document.getElementById(id).value;

  async function onDownload() {
    log(`download of ${field('doc')} started`);
    try {
      const { result, path } = await download({ url: field('download-url'), pubkey: field('pubkey'), name: field('doc') });
      downloaded = path;
      log(`download → ${result} ${path}`);
    } catch (error) {
      log(`download failed: ${error.code} ${error.message}`);
    }
  }

  async function onUpload() {
    log(`upload of ${downloaded} started`);
    try {
      const { result, size } = await upload({ url: field('upload-url'), file: downloaded });
      log(`upload → ${result} (${size} bytes sent)`);
    } catch (error) {
      log(`upload failed: ${error.code} ${error.message}`);
    }
  }

  function start() {
    const query = new URLSearchParams(location.search);
    for (const id of ['download-url', 'pubkey', 'doc', 'upload-url']) document.getElementById(id).value = query.get(id) || '';
    document.getElementById('download').onclick = onDownload;
    document.getElementById('upload').onclick = onUpload;
    for (const id of ['download', 'upload']) document.getElementById(id).disabled = false;
    document.getElementById('state').textContent = 'ZorvAX 확장 프로그램이 준비되었습니다.';
  }

  if (window.ZorvAX) start();
  else window.addEventListener('zorvax-ready', start, { once: true });
  return { download, upload, log };
})();
