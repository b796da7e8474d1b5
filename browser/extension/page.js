// Runs in the page's own world: window.ZorvAX, the control as a page's script sees it. Every
// request goes to the extension's content script by window messages; the extension adds the
// page's origin as the browser knows it, so a page cannot speak for another.
(() => {
  if (window.ZorvAX) return;
  const REQUEST = 'zorvax-request';
  const REPLY = 'zorvax-reply';
  let lastSeq = 0;
  const waiting = new Map();

  window.addEventListener('message', (event) => {
    const data = event.data;
    if (event.source !== window || !data || data.type !== REPLY) return;
    const pending = waiting.get(data.seq);
    if (!pending) return;
    waiting.delete(data.seq);
    const reply = data.reply;
    if (reply && reply.ok) {
      pending.resolve(reply);
    } else {
      const error = new Error((reply && reply.error) || 'the ZorvAX control refused the request');
      error.code = (reply && reply.code) || '0x80004005';
      pending.reject(error);
    }
  });

  function request(message) {
    return new Promise((resolve, reject) => {
      const seq = ++lastSeq;
      waiting.set(seq, { resolve, reject });
      window.postMessage({ type: REQUEST, seq, message }, '*');
    });
  }

  class Control {
    #id;
    #closed = false;
    constructor(id) { this.#id = id; }
    #statement(statement) {
      if (this.#closed) {
        const error = new Error('the control was closed');
        error.code = '0x80010108';
        return Promise.reject(error);
      }
      return request({ control: this.#id, ...statement });
    }
    async set(name, value) { await this.#statement({ set: String(name), value: String(value) }); }
    async get(name) { return (await this.#statement({ get: String(name) })).result; }
    async call(name, ...args) { return (await this.#statement({ call: String(name), args: args.map(String) })).result; }
    async invoke(dispid, ...args) { return (await this.#statement({ invoke: dispid, args: args.map(String) })).result; }
    async ids(...names) { return (await this.#statement({ ids: names.map(String) })).ids; }
    close() {
      if (this.#closed) return;
      this.#closed = true;
      request({ control: this.#id, close: true }).catch(() => {});
    }
  }

  const api = Object.freeze({
    async create() { return new Control((await request({ create: true })).control); },
  });
  Object.defineProperty(window, 'ZorvAX', { value: api, enumerable: false, configurable: false, writable: false });
  window.dispatchEvent(new Event('zorvax-ready'));
})();
