'use strict';
// Plays the class view: fragmented MP4 over a WebSocket into Media Source,
// kept close to the live edge. Also lets a student zoom with two fingers.
(function () {
  const texts = {
    zh: { connecting: '正在连接…', ended: '共享已结束。', lost: '连接已断开，正在重新连接…',
          unsupported: '此浏览器无法播放。', full: '全屏' },
    en: { connecting: 'Connecting…', ended: 'The share has ended.', lost: 'Connection lost, reconnecting…',
          unsupported: 'This browser cannot play the class view.', full: 'Full screen' },
  };
  const browser = (navigator.language || '').toLowerCase();
  const lang = browser.startsWith('zh') ? 'zh' : browser.startsWith('en') ? 'en'
             : (document.body.dataset.lang === 'en' ? 'en' : 'zh');
  const t = texts[lang];
  const video = document.getElementById('video');
  const message = document.getElementById('message');
  const full = document.getElementById('full');
  // Read by tests: what the page is doing and how many fragments it took.
  const status = window.shareStatus = { state: 'connecting', fragments: 0, bytes: 0, lag: 0 };

  function show(state) {
    status.state = state;
    message.textContent = t[state] || '';
    message.hidden = !t[state];
  }
  full.textContent = t.full;
  full.onclick = function () {
    const stage = document.getElementById('stage');
    if (stage.requestFullscreen) stage.requestFullscreen();
    else if (video.webkitEnterFullscreen) video.webkitEnterFullscreen();
  };

  let socket = null, source = null, buffer = null, queue = [], retries = 0, ended = false;

  function append() {
    if (!buffer || buffer.updating || queue.length === 0) return;
    try {
      buffer.appendBuffer(queue.shift());
    } catch (e) {
      // Quota: drop what has been shown and try again on the next fragment.
      queue = [];
      trim(0);
    }
  }
  function trim(keep) {
    if (!buffer || buffer.updating || buffer.buffered.length === 0) return;
    const start = buffer.buffered.start(0), until = video.currentTime - keep;
    if (until - start > 1) buffer.remove(start, until);
  }
  function chase() {
    const ranges = video.buffered;
    if (ranges.length === 0) return;
    const end = ranges.end(ranges.length - 1);
    const lag = end - video.currentTime;
    status.lag = lag;
    // Far behind (a new viewer, a stalled tab): jump to the newest picture.
    if (lag > 0.4 || video.currentTime < ranges.start(ranges.length - 1)) {
      video.currentTime = Math.max(ranges.start(ranges.length - 1), end - 0.04);
    }
    // A little behind: play faster until the newest picture is close.
    video.playbackRate = lag > 0.08 ? 1.5 : 1.0;
    if (video.paused) video.play().catch(function () {});
  }
  function open(codec) {
    const type = 'video/mp4; codecs="' + codec + '"';
    if (!window.MediaSource || !MediaSource.isTypeSupported(type)) { show('unsupported'); ended = true; return; }
    source = new MediaSource();
    video.src = URL.createObjectURL(source);
    source.addEventListener('sourceopen', function () {
      // Live: no end, and the browser is told so.
      source.duration = Infinity;
      buffer = source.addSourceBuffer(type);
      buffer.addEventListener('updateend', function () { chase(); append(); });
      append();
    }, { once: true });
  }
  function connect() {
    const scheme = location.protocol === 'https:' ? 'wss://' : 'ws://';
    socket = new WebSocket(scheme + location.host + location.pathname.replace(/\/$/, '') + '/ws');
    socket.binaryType = 'arraybuffer';
    socket.onmessage = function (event) {
      if (typeof event.data === 'string') {
        const hello = JSON.parse(event.data);
        queue = [];
        open(hello.codec);
        return;
      }
      if (status.state !== 'playing') show('playing');
      retries = 0;
      status.fragments++;
      status.bytes += event.data.byteLength;
      queue.push(event.data);
      append();
    };
    socket.onclose = function (event) {
      if (ended) return;
      if (event.reason === 'ended' || retries >= 3) { ended = true; show('ended'); video.pause(); return; }
      // Dropped for being slow, or the network blinked: start again at a key frame.
      show('lost');
      retries++;
      setTimeout(connect, 1000);
    };
  }
  setInterval(function () { trim(10); }, 5000);
  show('connecting');
  connect();

  // Two-finger zoom and one-finger pan on the picture.
  let scale = 1, x = 0, y = 0, pinch = null;
  function place() { video.style.transform = 'translate(' + x + 'px,' + y + 'px) scale(' + scale + ')'; }
  function spread(touches) {
    const a = touches[0], b = touches[1];
    return { d: Math.hypot(a.clientX - b.clientX, a.clientY - b.clientY),
             cx: (a.clientX + b.clientX) / 2, cy: (a.clientY + b.clientY) / 2 };
  }
  const stage = document.getElementById('stage');
  stage.addEventListener('touchstart', function (e) {
    pinch = e.touches.length === 2 ? Object.assign(spread(e.touches), { scale: scale, x: x, y: y })
          : e.touches.length === 1 ? { px: e.touches[0].clientX, py: e.touches[0].clientY, x: x, y: y } : null;
  });
  stage.addEventListener('touchmove', function (e) {
    if (!pinch) return;
    e.preventDefault();
    if (e.touches.length === 2 && pinch.d) {
      const now = spread(e.touches);
      const s = Math.min(6, Math.max(1, pinch.scale * now.d / pinch.d));
      x = now.cx - (pinch.cx - pinch.x) * s / pinch.scale;
      y = now.cy - (pinch.cy - pinch.y) * s / pinch.scale;
      scale = s;
    } else if (e.touches.length === 1 && pinch.px !== undefined && scale > 1) {
      x = pinch.x + e.touches[0].clientX - pinch.px;
      y = pinch.y + e.touches[0].clientY - pinch.py;
    }
    if (scale === 1) { x = 0; y = 0; }
    place();
  }, { passive: false });
  stage.addEventListener('dblclick', function () { scale = 1; x = 0; y = 0; place(); });
})();
