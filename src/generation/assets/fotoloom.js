/* Fotoloom catalog pages: keys, swipe, full screen and the slide show's timer. Every page also
   works without this script, as plain links; a show page then refreshes to the next one. */
(function () {
  'use strict';
  var doc = document, body = doc.body, data = body.dataset, root = doc.documentElement;
  var photo = body.classList.contains('photo'), show = el('show'), fullButton = el('full');
  // In full screen the pictures change in place (a new page would end full screen), from the
  // catalog's item list: [page, picture, width, height, original, title, caption, description,
  // index link, and the camera's line where the pages show one] per photo.
  var items = null, at = +data.item, shown = at, playing = false, leaving = false, timer = 0;

  function el(id) { return doc.getElementById(id); }
  function link(id) { var a = el(id); return a && a.getAttribute('href'); }
  function go(url, play) {
    if (!url) return;
    leaving = true;
    location.href = url + (play ? '#play' : '');
  }
  function full() { return doc.fullscreenElement || doc.webkitFullscreenElement; }
  function swapping() { return items && full(); }
  function preload(url) { if (url) new Image().src = url; }

  // With scripts, a show page hands over to its photo's own page, playing.
  if (data.show) {
    location.replace(link('show') + '#play');
    return;
  }

  function move(where) {
    if (where === 'index') return go(swapping() ? items[shown][8] : link('index'));
    if (!swapping()) {
      return go(where === 'first' || where === 'last' ? data[where] : link(where),
                playing && (where === 'prev' || where === 'next'));
    }
    var to = {prev: shown - 1, next: shown + 1, first: 0, last: items.length - 1}[where];
    if (to >= 0 && to < items.length && to !== shown) {
      shown = to;
      render();
    }
  }

  function setLink(id, url) {
    var a = el(id);
    if (url) {
      a.href = url;
      a.removeAttribute('aria-disabled');
    } else {
      a.removeAttribute('href');
      a.setAttribute('aria-disabled', 'true');
    }
  }

  function render() {
    var it = items[shown], next = items[shown + 1], img = el('picture');
    img.removeAttribute('width');
    img.removeAttribute('height');
    if (it[2]) {
      img.width = it[2];
      img.height = it[3];
    }
    img.src = it[1];
    img.alt = it[6];
    el('original').href = it[4];
    doc.title = it[5];
    el('details').textContent = it[6];
    el('description').innerHTML = it[7];
    if (el('camera')) el('camera').innerHTML = it[9] || '';
    setLink('prev', shown > 0 && items[shown - 1][0]);
    setLink('next', next && next[0]);
    setLink('index', it[8]);
    if (next) preload(next[1]);
    schedule();
  }

  function schedule() {
    clearTimeout(timer);
    var more = swapping() ? shown < items.length - 1 : link('next');
    if (playing && more) timer = setTimeout(function () { move('next'); }, data.delay * 1000);
  }

  function toggle() {
    playing = !playing;
    show.textContent = playing ? 'Pause' : 'Play';
    try {
      history.replaceState(null, '', playing ? '#play' : location.pathname);
    } catch (e) { /* a file: page may refuse; the state only matters on reload */ }
    schedule();
  }

  if (show) {
    show.addEventListener('click', function (e) {
      e.preventDefault();
      if (photo) toggle();
      else go(show.dataset.play, true);
    });
  }

  var keys = {ArrowLeft: 'prev', ArrowRight: 'next', Home: 'first', End: 'last',
              Escape: 'index', ArrowUp: 'index', ' ': 'play'};
  doc.addEventListener('keydown', function (e) {
    var key = keys[e.key];
    if (!key || e.altKey || e.ctrlKey || e.metaKey || e.shiftKey || e.defaultPrevented) return;
    // On an index page Home, End and the rest keep scrolling the page.
    if (!photo && key !== 'prev' && key !== 'next') return;
    if (key === 'play' && (!show || e.target.tagName === 'BUTTON')) return;
    e.preventDefault();
    if (key === 'play') toggle();
    else move(key);
  });

  if (photo) {
    var x0 = null, y0 = 0;
    doc.addEventListener('touchstart', function (e) {
      x0 = e.touches.length === 1 ? e.touches[0].clientX : null;
      y0 = e.touches[0].clientY;
    }, {passive: true});
    doc.addEventListener('touchend', function (e) {
      var t = e.changedTouches[0], dx = x0 === null ? 0 : t.clientX - x0, dy = t.clientY - y0;
      x0 = null;
      // A zoomed-in picture is being panned, not swiped.
      if (window.visualViewport && visualViewport.scale > 1.01) return;
      if (Math.abs(dx) > 50 && Math.abs(dx) > 2 * Math.abs(dy)) move(dx < 0 ? 'next' : 'prev');
    }, {passive: true});
    addEventListener('load', function () { preload(data.nextPicture); });
    if (location.hash === '#play' && show) toggle();
  }

  var request = root.requestFullscreen || root.webkitRequestFullscreen;
  if (fullButton && request && (doc.fullscreenEnabled || doc.webkitFullscreenEnabled)) {
    fullButton.hidden = false;
    fullButton.addEventListener('click', function () {
      if (full()) return (doc.exitFullscreen || doc.webkitExitFullscreen).call(doc);
      var asked = request.call(root);
      if (asked && asked.catch) asked.catch(function () {});
      if (!items && data.items) {
        window.fotoloomItems = function (list) { items = list; };
        var script = doc.createElement('script');
        script.src = data.items;
        doc.head.appendChild(script);
      }
    });
    var changed = function () {
      var on = !!full();
      body.classList.toggle('full', on);
      fullButton.textContent = on ? 'Exit full screen' : 'Full screen';
      // Leaving full screen on another photo than the page's: go to that photo's page.
      if (!on && !leaving && items && shown !== at) go(items[shown][0], playing);
    };
    doc.addEventListener('fullscreenchange', changed);
    doc.addEventListener('webkitfullscreenchange', changed);
  }
})();
