'use strict';
// The phone page of the prompter's remote control. Texts from the prompter
// (the script's path above all) are shown with textContent, never as markup.
(function () {
  const key = new URLSearchParams(location.search).get('k') || '';
  const $ = (id) => document.getElementById(id);
  const slider = $('speedSlider');
  let socket = null;
  let sliderHeld = false;
  let retry = 1000;

  function show(state) {
    if (!state || state.error) return;
    $('speed').textContent = state.speed;
    $('coarse').textContent = state.coarse;
    $('elapsed').textContent = state.elapsed;
    $('remaining').textContent = state.remaining;
    $('title').textContent = state.title;
    $('percent').textContent = state.percent + ' %';
    if (!sliderHeld) {
      slider.value = state.speedValue;
      $('speedValue').textContent = state.speedValue;
    }
  }

  function status(text, ok) {
    const c = $('connection');
    c.textContent = text;
    c.className = ok ? 'ok' : '';
  }

  function send(action, value) {
    const message = value === undefined ? action : action + ' ' + value;
    if (socket && socket.readyState === WebSocket.OPEN) {
      socket.send(message);
      return;
    }
    let address = 'api/' + encodeURIComponent(action) + '?k=' + encodeURIComponent(key);
    if (value !== undefined) address += '&v=' + encodeURIComponent(value);
    fetch(address, { cache: 'no-store' })
      .then((r) => r.json())
      .then(show)
      .catch(() => status('Not connected', false));
  }

  function connect() {
    const ws = new WebSocket('ws://' + location.host + '/ws?k=' + encodeURIComponent(key));
    socket = ws;
    ws.onopen = () => { retry = 1000; status('Connected', true); };
    ws.onmessage = (event) => {
      try { show(JSON.parse(event.data)); } catch (e) { /* not a readout */ }
    };
    ws.onclose = (event) => {
      socket = null;
      if (event.code === 1001) {
        status('Remote control stopped on the prompter', false);
        return;
      }
      status('Connection lost, trying again...', false);
      setTimeout(connect, retry);
      retry = Math.min(retry * 2, 30000);
    };
  }

  document.querySelectorAll('button[data-action]').forEach((b) => {
    b.addEventListener('click', () => send(b.dataset.action));
  });
  slider.addEventListener('input', () => {
    sliderHeld = true;
    $('speedValue').textContent = slider.value;
  });
  slider.addEventListener('change', () => {
    sliderHeld = false;
    send('speed', slider.value);
  });
  connect();
})();
