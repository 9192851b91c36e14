// The save slot in the browser's storage: the page's own small store in
// IndexedDB, shared by every tab and window of the site.
//
// A save is kept as a desktop save is: the new bytes go in beside the old
// ones, are read back whole, and only then does the slot point at them. So
// a refused, failed or interrupted save leaves the previous one in place.
// Every write asks for the browser's strictest promise (durability
// 'strict': on the disk, not just handed over). Saves, uploads and reads
// take turns across tabs (one Web Lock), a tab tells the others when it
// saved (a BroadcastChannel), and a read always takes the newest save.
'use strict';

// `place(bytes)` puts a save in the game's folder in memory: done in the
// slot's turn, so that the copy there is always the save the page holds.
function makeSaveSlot({place, showStatus, showProtection}) {
  const database = 'clodmere-slot';
  const objects = 'slot';
  const pointer = 'current';
  const turnName = 'clodmere-slot';
  // The store the page used before, the library's folder in IndexedDB:
  // a save found there is taken over once.
  const folderDatabase = '/clodmere';
  const folderObjects = 'FILE_DATA';
  // A storage or another tab that has not answered by then never will.
  const waitMilliseconds = 5000;

  const channel = 'BroadcastChannel' in window ? new BroadcastChannel(turnName) : null;
  let opened = null;
  let askedToProtect = false;

  // FNV-1a over the 32-bit words, then the tail: a few milliseconds for a
  // whole save.
  function checksum(bytes) {
    const aligned = bytes.byteOffset % 4 === 0 ? bytes : bytes.slice();
    const words = new Uint32Array(aligned.buffer, aligned.byteOffset, aligned.length >> 2);
    let hash = 0x811c9dc5;
    for (let i = 0; i < words.length; i++)
      hash = Math.imul(hash ^ words[i], 16777619);
    for (let i = words.length * 4; i < aligned.length; i++)
      hash = Math.imul(hash ^ aligned[i], 16777619);
    return hash >>> 0;
  }

  function inTime(promise, what) {
    let timer;
    const late = new Promise((_, reject) => {
      timer = setTimeout(() => reject(new Error(what + ' did not answer')), waitMilliseconds);
    });
    return Promise.race([promise, late]).finally(() => clearTimeout(timer));
  }

  function openStore() {
    if (!opened) {
      opened = inTime(new Promise((resolve, reject) => {
        const request = indexedDB.open(database, 1);
        request.onupgradeneeded = () => request.result.createObjectStore(objects);
        request.onsuccess = () => {
          // Another page replaces or deletes the store: let it, and open
          // it anew when next needed.
          request.result.onversionchange = () => {
            request.result.close();
            opened = null;
          };
          resolve(request.result);
        };
        request.onerror = () => reject(request.error || new Error('the storage cannot be opened'));
      }), 'the storage');
      opened.catch(() => { opened = null; });
    }
    return opened;
  }

  // One transaction: `work` makes its requests on the store and returns a
  // function that gives the result once everything is committed. One that
  // does not finish in time is aborted, so that it never lands later.
  async function transact(mode, work) {
    const db = await openStore();
    return new Promise((resolve, reject) => {
      let transaction = null;
      const timer = setTimeout(() => {
        try {
          transaction.abort();
        } catch (error) {
        }
        reject(new Error('the storage did not answer'));
      }, waitMilliseconds);
      const fail = error => {
        clearTimeout(timer);
        reject(error || new Error('the storage refused it'));
      };
      try {
        transaction = db.transaction(objects, mode, {durability: 'strict'});
        const result = work(transaction.objectStore(objects));
        transaction.oncomplete = () => {
          clearTimeout(timer);
          resolve(result());
        };
        transaction.onabort = () => fail(transaction.error);
        transaction.onerror = () => fail(transaction.error);
      } catch (error) {
        fail(error);
      }
    });
  }

  // Runs `work` in the slot's turn: exclusive for a write, shared for a
  // read. Where the browser has no locks (a page over plain http) the
  // store's own transactions are all the order there is. A write whose
  // turn never comes fails; a read goes ahead, since a read sees a whole
  // save either way.
  async function inTurn(mode, work) {
    if (!navigator.locks)
      return work();
    const controller = new AbortController();
    const timer = setTimeout(() => controller.abort(), waitMilliseconds);
    try {
      return await navigator.locks.request(turnName, {mode, signal: controller.signal}, () => {
        clearTimeout(timer);
        return work();
      });
    } catch (error) {
      if (error.name !== 'AbortError' || mode === 'exclusive')
        throw error.name === 'AbortError' ? new Error('another tab held the save slot too long') : error;
      return work();
    }
  }

  // The save the slot points at: its record and, unless it is the one
  // already at hand, its bytes.
  function readNewest(knownKey) {
    return transact('readonly', store => {
      let record, bytes;
      const request = store.get(pointer);
      request.onsuccess = () => {
        record = request.result;
        if (record && record.key !== knownKey) {
          const read = store.get(record.key);
          read.onsuccess = () => { bytes = read.result; };
        }
      };
      return () => ({record, bytes});
    });
  }

  async function write(bytes) {
    const record = {
      key: 'world-' + Date.now() + '-' + Math.random().toString(36).slice(2), length: bytes.length,
      checksum: checksum(bytes), savedAt: 0,
    };
    await transact('readwrite', store => {
      store.put(bytes, record.key);
      return () => {};
    });
    const {bytes: back} = await transact('readonly', store => {
      const request = store.get(record.key);
      return () => ({bytes: request.result});
    });
    if (!(back instanceof Uint8Array) || back.length !== record.length || checksum(back) !== record.checksum)
      throw new Error('the stored save reads back wrong');
    // The slot points at the new save; older saves, and any that a failed
    // save left, go.
    record.savedAt = Date.now();
    await transact('readwrite', store => {
      store.put(record, pointer);
      const keys = store.getAllKeys();
      keys.onsuccess = () => {
        for (const key of keys.result)
          if (key !== pointer && key !== record.key)
            store.delete(key);
      };
      return () => {};
    });
    return record;
  }

  // The save the page's folder store holds, when there is one: the world
  // a player saved before this store existed.
  function readFolderStore(path) {
    return inTime(new Promise(resolve => {
      const request = indexedDB.open(folderDatabase);
      // No such store: make none.
      request.onupgradeneeded = () => request.transaction.abort();
      request.onerror = () => resolve(null);
      request.onsuccess = () => {
        const db = request.result;
        try {
          const read = db.transaction(folderObjects, 'readonly').objectStore(folderObjects).get(path);
          read.onsuccess = () => {
            db.close();
            resolve(read.result && read.result.contents instanceof Uint8Array ? read.result.contents : null);
          };
          read.onerror = () => {
            db.close();
            resolve(null);
          };
        } catch (error) {
          db.close();
          resolve(null);
        }
      };
    }), 'the old storage');
  }

  function reason(error) {
    return error && error.message ? error.message : String(error);
  }

  // Whether the site's storage is already protected; no request is made.
  function tellProtection() {
    if (navigator.storage && navigator.storage.persisted)
      navigator.storage.persisted().then(protectedAlready => showProtection(protectedAlready), () => {});
  }

  const slot = {
    // The key of the save the copy in memory holds; null for none.
    heldKey: null,
    // The record of the last save this page kept.
    lastKept: null,

    // Places the newest save; a save still in the folder store (at `path`
    // there) is taken over. Throws when the storage cannot be read.
    async start(path) {
      await this.catchUp();
      if (this.heldKey)
        return tellProtection();
      const old = await readFolderStore(path);
      if (old) {
        await this.keep(old);
        showStatus('The world saved by an earlier version of this page is in the save slot.');
      }
    },

    // Keeps `bytes` as the newest save and places it; the record, or an
    // error with the previous save still the slot's.
    async keep(bytes) {
      try {
        this.lastKept = await inTurn('exclusive', async () => {
          const record = await write(bytes);
          place(bytes);
          this.heldKey = record.key;
          return record;
        });
      } catch (error) {
        // The copy in memory may be neither save now: the next read takes
        // the stored one.
        this.heldKey = null;
        throw error;
      }
      if (channel)
        channel.postMessage({saved: this.lastKept.key});
      return this.lastKept;
    },

    // Places the newest save unless it is the one held. Throws when the
    // storage cannot be read or its save is damaged.
    catchUp() {
      return inTurn('shared', async () => {
        const {record, bytes} = await readNewest(this.heldKey);
        if (!record) {
          if (this.heldKey)
            showStatus('The browser has cleared its storage: only this tab still has the world. Save it again ' +
                       'or download it.');
          return;
        }
        if (record.key === this.heldKey)
          return;
        if (!(bytes instanceof Uint8Array) || bytes.length !== record.length || checksum(bytes) !== record.checksum)
          throw new Error('the stored save is damaged');
        place(bytes);
        this.heldKey = record.key;
      });
    },

    // Asks the browser, once a page, not to clear the site's storage; never
    // waits on the answer (Firefox asks the player).
    askToProtect() {
      if (askedToProtect)
        return;
      askedToProtect = true;
      if (!navigator.storage || !navigator.storage.persist)
        showProtection(false);
      else
        navigator.storage.persist().then(showProtection, () => showProtection(false));
    },

    reason,
  };
  if (channel)
    channel.onmessage = event => {
      if (event.data && event.data.saved && event.data.saved !== slot.heldKey)
        showStatus('Another tab saved the world: Load and Load World read that save.');
    };
  return slot;
}
