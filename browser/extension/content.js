// The page's relay: requests from window.ZorvAX (page.js) go to the background worker over one
// port per page; replies come back the same way. When the page goes, the port closes and the
// host that served it ends.
(() => {
  const api = typeof browser !== 'undefined' ? browser : chrome;
  let port = null;

  function reply(seq, answer) {
    window.postMessage({ type: 'zorvax-reply', seq, reply: answer }, '*');
  }

  function connect() {
    port = api.runtime.connect({ name: 'zorvax-page' });
    port.onMessage.addListener((message) => reply(message.seq, message.reply));
    port.onDisconnect.addListener(() => { port = null; });
  }

  window.addEventListener('message', (event) => {
    const data = event.data;
    if (event.source !== window || !data || data.type !== 'zorvax-request') return;
    if (!port) connect();
    port.postMessage({ seq: data.seq, message: data.message });
  });
})();
