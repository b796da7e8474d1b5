// One native host per page: a page's port gets its own `zorvax --native-messaging`, which
// holds that page's controls and ends when the page goes (navigation, a closed tab). The
// origin sent with every request is the one the browser gives for the page's frame.
const api = typeof browser !== 'undefined' ? browser : chrome;
const HOST = 'com.qorax.zorvax';

function originOf(sender) {
  if (sender.origin) return sender.origin;
  try { return new URL(sender.url).origin; } catch { return ''; }
}

api.runtime.onConnect.addListener((page) => {
  if (page.name !== 'zorvax-page') return;
  const origin = originOf(page.sender);
  const pending = new Map();   // request id -> the page's sequence number
  const pieces = new Map();    // request id -> the parts of a reply too long for one message
  let lastId = 0;
  let native = null;

  function answer(id, reply) {
    const seq = pending.get(id);
    if (seq === undefined) return;
    pending.delete(id);
    page.postMessage({ seq, reply });
  }

  function failAll(error) {
    for (const id of [...pending.keys()]) answer(id, { ok: false, code: '0x80004005', error });
  }

  function start() {
    native = api.runtime.connectNative(HOST);
    native.onMessage.addListener((message) => {
      if (message.parts !== undefined) {
        const parts = pieces.get(message.id) || [];
        parts[message.part] = message.data;
        pieces.set(message.id, parts);
        if (parts.filter((p) => p !== undefined).length < message.parts) return;
        pieces.delete(message.id);
        message = JSON.parse(parts.join(''));
      }
      answer(message.id, message);
    });
    native.onDisconnect.addListener(() => {
      const error = api.runtime.lastError ? api.runtime.lastError.message : 'the ZorvAX host ended';
      native = null;
      failAll(error);
    });
  }

  page.onMessage.addListener(({ seq, message }) => {
    if (!native) start();
    const id = ++lastId;
    pending.set(id, seq);
    native.postMessage({ ...message, id, origin });
  });

  page.onDisconnect.addListener(() => {
    if (native) native.disconnect();
    native = null;
  });
});
