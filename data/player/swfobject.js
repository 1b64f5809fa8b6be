/*
 * Quillmere 1.0 web player. A published page calls
 *   swfobject.embedSWF(movie, fallbackId, width, height, version, expressInstall,
 *                      flashvars, params, attributes, callback)
 * No plug-in is used: the script reads the configuration named by flashvars.xmlPath
 * and the items file it names, and puts an HTML slideshow in place of the fallback.
 * Both are asked for at once; the loaded fallback picture becomes the first panel.
 * Where the browser refuses to read them (file://), the companion PREFIXdata.js hands
 * their texts over. An item's srcset and webpset offer larger and WebP pictures; its
 * focus ("x,y" percent) is the middle of its closed strip.
 * If either file cannot be read the fallback stays and the console says why.
 *
 * The gallery element (id = attributes.id) is driven through el.quillmere: open(i)
 * opens item i (0-based); next(); previous(); play(); pause(); state() gives
 * { active, count, sliding, playing, rotating, widths }. It sends bubbling events:
 *   "quillmere:open"   an item opens, the first one at load too;
 *                      detail { index, title, link, byItself }
 *   "quillmere:play"   autoplay starts (at load too when it is on)
 *   "quillmere:pause"  autoplay stops: the control, pause() or reduced motion
 * The fragment "#<id>-<n>" opens item n (1-based) at load; it follows the open item
 * without adding history entries.
 *
 * No dependencies, no build step. Copyright (c) Brindlecove. All rights reserved.
 */
(function (window, document) {
  'use strict';

  var SETTLE_PX = 0.75;            // where the old easing stopped
  var SWIPE_PX = 40;               // least travel of a swipe
  var MIN_TITLE_PX = 12;           // least size of a title on screen
  var MIN_CONTROL_PX = 24;         // least size of the control on screen
  var NEAR = 2;                    // pictures this near the open one load first
  var EASE = 'cubic-bezier(.35,0,.2,1)';

  function report(message) {
    window.console && window.console.error('Quillmere player: ' + message);
  }

  var files = {};                  // texts handed over by companion scripts, by file name
  var companions = {};             // companion script path: its loading, as a promise

  // A refused read answered from the companion script, loaded once.
  function fromCompanion(script, path, refused) {
    companions[script] = companions[script] || new Promise(function (loaded) {
      var tag = el('script', '', document.head || document.documentElement, { src: script });
      tag.onload = tag.onerror = loaded;
    });
    return companions[script].then(function () {
      var text = files[path.split(/[\/\\]/).pop()];
      return text === undefined ? [refused] : [null, text];
    });
  }

  // Reads a file relative to the page as text (an error page is never parsed as
  // XML): a promise of [error] or [null, text].
  function readText(path, companion) {
    return new Promise(function (done) {
      var url = path;
      var xhr = new XMLHttpRequest();
      try {
        url = new URL(path, document.baseURI).href;
      } catch (e) { /* keep the path as it is */ }
      var local = /^file:/i.test(url);
      var refused = local
        ? 'the browser refused to read ' + path + ' from a local folder; open the page through a web server'
        : 'could not read ' + path + ' (network error)';
      function refuse(message) {
        done(local && companion ? fromCompanion(companion, path, message) : [message]);
      }
      xhr.onload = function () {
        // Local files answer with status 0 where the browser allows reading them.
        if ((xhr.status >= 200 && xhr.status < 300) || (xhr.status === 0 && xhr.responseText)) {
          done([null, xhr.responseText]);
        } else if (xhr.status) {
          done(['could not read ' + path + ' (HTTP ' + xhr.status + ')']);
        } else {
          refuse(refused);
        }
      };
      xhr.onerror = function () { refuse(refused); };
      try {
        xhr.open('GET', url, true);
        xhr.responseType = 'text';
        xhr.overrideMimeType('text/plain; charset=utf-8');
        xhr.send();
      } catch (e) {
        refuse(refused + ': ' + e.message);
      }
    });
  }

  function parseXml(text, path) {
    var doc = new DOMParser().parseFromString(text, 'application/xml');
    if (!doc.documentElement || doc.getElementsByTagName('parsererror').length) {
      throw new Error(path + ' is not valid XML');
    }
    return doc.documentElement;
  }

  function childText(root, name) {
    var nodes = root.getElementsByTagName(name);
    return nodes.length ? String(nodes[0].textContent).trim() : null;
  }

  function toInt(text, fallback, min, max) {
    var n = parseInt(text, 10);
    return Math.min(max, Math.max(min, isNaN(n) ? fallback : n));
  }

  function readConfig(root) {
    var itemsFile = childText(root, 'ItemsConfigFile');
    if (!itemsFile) {
      throw new Error('the configuration names no items file (ItemsConfigFile)');
    }
    function num(name, fallback, min, max) {
      return toInt(childText(root, name), fallback, min, max);
    }
    function flag(name) {
      var text = childText(root, name);
      return text === null || text === '1';
    }
    return {
      itemsFile: itemsFile,
      activeWidth: num('ActiveItemWidth', 667, 1, 1e5),
      inactiveWidth: num('InactiveItemWidth', 75, 0, 1e5),
      slidingSpeed: num('SlidingSpeed', 6, 1, 1e5),
      inactiveGray: flag('InactiveItemGray'),
      inactiveAlpha: num('InactiveItemAlpha', 100, 0, 100),
      verticalTitles: flag('EnableVerticalTitles'),
      autoPlay: flag('AutoPlay'),
      delaySeconds: num('SwitchImageDelay', 1, 0, 86400)
    };
  }

  // "0xRRGGBB", "RRGGBB" or "#RRGGBB" to a CSS colour, else the fallback.
  function cssColor(text, fallback) {
    var m = /^\s*(?:0x|#)?([0-9a-f]{6})\s*$/i.exec(text || '');
    return m ? '#' + m[1] : fallback;
  }

  function readItems(root) {
    return Array.prototype.map.call(root.getElementsByTagName('item'), function (node) {
      var get = function (name) { return node.getAttribute(name) || ''; };
      return {
        image: get('largeimage'),
        link: get('link').trim(),
        target: get('target').trim(),
        srcset: get('srcset'),
        webp: get('webpset'),
        focus: toInt(get('focus'), 50, 0, 100) / 100,
        htitle: get('htitle'),
        htitleColor: cssColor(get('htitlecolor'), '#ffffff'),
        htitleSize: toInt(get('htitlesize'), 24, 0, 1000),
        vtitle: get('vtitle'),
        vtitleColor: cssColor(get('vtitlecolor'), '#ffffff'),
        vtitleSize: toInt(get('vtitlesize'), 24, 0, 1000)
      };
    });
  }

  // Panels are all as wide as an open one, placed by transforms and covering one
  // another; strips at rest are clipped. A slide moves transforms only, which the
  // compositor animates. --qm-k: stage pixels per screen pixel; --qm-z: page pixels
  // per screen pixel (a zoomed-out phone page).
  var FONT = 'font-family:"Segoe UI",Helvetica,Arial,sans-serif;';
  var CSS = [
    '.qm-player{position:relative;overflow:hidden;max-width:100%;outline:none;touch-action:pan-y;',
    '-webkit-user-select:none;user-select:none;-webkit-tap-highlight-color:transparent}',
    '.qm-player:focus-visible{box-shadow:0 0 0 3px #4d90fe}',
    '.qm-stage{position:absolute;left:0;top:0;transform-origin:0 0}',
    '.qm-panel{position:absolute;left:0;top:0;height:100%;overflow:hidden;background:var(--qm-bg)}',
    '.qm-strip{clip-path:inset(0 calc(100% - var(--qm-strip)) 0 0)}',
    '.qm-link{position:absolute;left:0;top:0;width:100%;height:100%;outline:none;z-index:1}',
    '.qm-link:focus-visible,.qm-panel:focus-visible{box-shadow:inset 0 0 0 3px #4d90fe}',
    '.qm-image{position:absolute;left:0;top:0;max-width:none;border:0;margin:0;padding:0;display:block;',
    'transition:filter .45s,opacity .45s;pointer-events:none}',
    '.qm-gray .qm-closed .qm-image{filter:grayscale(1)}',
    '.qm-missing .qm-image{display:none}',
    '.qm-missing .qm-htitle{bottom:auto;top:45%;text-align:center}',
    '.qm-shade{position:absolute;left:0;right:0;bottom:0;height:45%;',
    'background:linear-gradient(rgba(0,0,0,0),rgba(0,0,0,.55));opacity:0;transition:opacity .45s}',
    '.qm-settled .qm-shade.qm-has-htitle,.qm-closed .qm-shade.qm-has-vtitle{opacity:1}',
    '.qm-htitle{position:absolute;left:18px;right:18px;bottom:14px;margin:0;white-space:nowrap;overflow:hidden;',
    'text-overflow:ellipsis;font-weight:bold;' + FONT + 'line-height:1.2;',
    'text-shadow:0 1px 3px rgba(0,0,0,.8);opacity:0;transform:translateY(8px)}',
    '.qm-settled .qm-htitle{opacity:1;transform:none;transition:opacity .35s,transform .35s}',
    '.qm-vtitle{position:absolute;left:calc(var(--qm-strip) / 2);bottom:14px;margin:0;white-space:nowrap;',
    'font-weight:600;' + FONT + 'line-height:1;writing-mode:vertical-rl;',
    'transform:translateX(-50%) rotate(180deg);text-shadow:0 1px 3px rgba(0,0,0,.8);opacity:0}',
    '.qm-closed .qm-vtitle{opacity:1;transition:opacity .25s var(--qm-vdelay,0s)}',
    '.qm-control{position:absolute;right:10px;top:10px;width:max(30px,calc(' + MIN_CONTROL_PX +
      'px * var(--qm-z,1)));height:max(30px,calc(' + MIN_CONTROL_PX + 'px * var(--qm-z,1)));',
    'padding:0;margin:0;border:1px solid rgba(255,255,255,.75);border-radius:50%;background:rgba(0,0,0,.55);',
    'color:#fff;cursor:pointer;display:flex;align-items:center;justify-content:center;opacity:.8;z-index:2}',
    '.qm-control:hover,.qm-control:focus-visible{opacity:1;outline:2px solid #4d90fe;outline-offset:1px}',
    '.qm-control svg{width:46%;height:46%;fill:currentColor;display:block}',
    '.qm-sr{position:absolute;width:1px;height:1px;overflow:hidden;clip-path:inset(50%);white-space:nowrap}',
    '.qm-still *{transition:none!important}'
  ].join('');

  function addStyle() {
    if (!document.getElementById('qm-player-style')) {
      el('style', '', document.head || document.documentElement, { id: 'qm-player-style' }).textContent = CSS;
    }
  }

  function el(tag, className, parent, attributes) {
    var node = document.createElement(tag);
    node.className = className;
    for (var name in attributes) {
      node.setAttribute(name, attributes[name]);
    }
    return parent ? parent.appendChild(node) : node;
  }

  // A title, its size with a floor on screen (vertical ones no wider than a strip).
  function text(className, parent, words, color, px) {
    var node = el('p', 'qm-' + className, parent, { 'aria-hidden': 'true' });
    var size = 'max(' + px + 'px,calc(' + MIN_TITLE_PX + 'px * var(--qm-k,1)))';
    node.textContent = words;
    node.style.color = color;
    node.style.fontSize = px + 'px';
    node.style.fontSize = className === 'vtitle' ? 'min(' + size + ',calc(var(--qm-strip) * .8))' : size;
    return node;
  }

  // An item's link. Old browsers' side-bar names ("_search", "_media") open a new
  // window; the author's "javascript:" links run in this page.
  function linkAttributes(item, name) {
    var a = { href: item.link, 'aria-label': name };
    var target = item.target || '_self';
    var keyword = target.toLowerCase();
    if (!/^\s*javascript:/i.test(item.link)) {
      if (/^_(self|parent|top)$/.test(keyword)) {
        a.target = keyword;
      } else {
        a.target = keyword.charAt(0) === '_' ? '_blank' : target;
        a.rel = 'noopener';
      }
    }
    return a;
  }

  var ICON_PAUSE = 'M3 2h3.5v12H3zM9.5 2H13v12H9.5z';
  var ICON_PLAY = 'M4 2l10 6-10 6z';

  function Player(options) {
    var cfg = options.config;
    var items = options.items;
    var count = items.length;
    var width = options.width;
    var height = options.height;
    var id = options.id;
    var motion = window.matchMedia ? window.matchMedia('(prefers-reduced-motion: reduce)') : null;
    var reduced = !!(motion && motion.matches);

    // Widths from the configuration, scaled to the page's width.
    var natural = cfg.activeWidth + cfg.inactiveWidth * (count - 1);
    var fit = natural > 0 ? width / natural : 1;
    var openWidth = count === 1 ? width : cfg.activeWidth * fit;
    var closedWidth = count === 1 ? 0 : (width - openWidth) / (count - 1);

    var active = linkedIndex(window.location.hash);
    if (active < 0) {
      active = 0;
    }
    var places = [];                // panel positions at rest
    var moves = [];                 // running animations
    var sliding = false;
    var timer = 0;

    var rotating = cfg.autoPlay && count > 1;
    var stopped = reduced;          // by the control, pause() or reduced motion
    var motionHeld = reduced;       // by reduced motion, not by the visitor
    var hovered = false;
    var focused = false;
    var playing = false;            // as last announced

    var root = el('div', 'qm-player', null, {
      id: id, role: 'region', 'aria-roledescription': 'carousel', 'aria-label': options.label, tabindex: 0
    });
    root.style.width = width + 'px';
    // The height follows the width, so a narrow container shrinks the player whole.
    root.style.aspectRatio = width + ' / ' + height;
    root.style.backgroundColor = options.background;
    root.style.setProperty('--qm-bg', options.background);
    root.style.setProperty('--qm-strip', closedWidth + 'px');
    root.classList.toggle('qm-gray', cfg.inactiveGray);
    root.classList.toggle('qm-still', reduced);

    var stage = el('div', 'qm-stage', root);
    stage.style.cssText = 'width:' + width + 'px;height:' + height + 'px';

    var status = el('div', 'qm-sr', root, { 'aria-atomic': 'true', 'aria-live': 'polite' });

    var panels = items.map(function (item, index) {
      var name = item.htitle || item.vtitle || 'Picture ' + (index + 1) + ' of ' + count;
      var htitle = null;
      var panel = el('div', 'qm-panel', stage,
        { tabindex: -1, role: 'group', 'aria-roledescription': 'slide', 'aria-label': name });
      panel.style.width = openWidth + 'px';
      panel.qmIndex = index;

      var image = !index && options.first || document.createElement('img');
      var source = item.webp && image !== options.first && el('source', '', el('picture', '', panel), { type: 'image/webp' });
      (source ? source.parentNode : panel).appendChild(image);
      image.className = 'qm-image';
      image.alt = '';
      image.width = Math.round(openWidth);
      image.height = height;
      image.style.cssText = 'width:' + image.width + 'px;height:' + height + 'px';
      image.onerror = function () {
        report('picture ' + item.image + ' could not be loaded');
        // A neutral gap in the gallery's colour, with the item's title.
        panel.classList.add('qm-missing');
        if (!htitle) {
          htitle = text('htitle', panel, item.vtitle, item.htitleColor, item.htitleSize || 24);
        }
      };

      var shade = el('div', 'qm-shade', panel);
      if (item.htitle && item.htitleSize > 0) {
        shade.classList.add('qm-has-htitle');
        htitle = text('htitle', panel, item.htitle, item.htitleColor, item.htitleSize);
      }
      if (cfg.verticalTitles && item.vtitle && item.vtitleSize > 0) {
        shade.classList.add('qm-has-vtitle');
        text('vtitle', panel, item.vtitle, item.vtitleColor, item.vtitleSize);
      }

      var link = item.link ? el('a', 'qm-link', panel, linkAttributes(item, name)) : null;
      return { node: panel, image: image, source: source, link: link, item: item, at: 0,
        // Closed, the picture moves left: the strip shows the slice around its focus.
        slice: -Math.max(0, Math.min(openWidth - closedWidth, item.focus * openWidth - closedWidth / 2)) };
    });

    var control = null;
    var controlIcon = null;
    if (rotating) {
      control = el('button', 'qm-control', root, { type: 'button' });
      control.innerHTML = '<svg viewBox="0 0 16 16" aria-hidden="true" focusable="false"><path/></svg>';
      controlIcon = control.firstChild.firstChild;
    }

    function emit(name, detail) {
      root.dispatchEvent(new window.CustomEvent('quillmere:' + name, { bubbles: true, detail: detail || {} }));
    }

    // The item a "#<id>-<n>" fragment names, or -1.
    function linkedIndex(hash) {
      var m = /^#(.+)-(\d+)$/.exec(hash);
      var n = m && (m[1] === id || m[1] === encodeURIComponent(id)) ? parseInt(m[2], 10) : 0;
      return n >= 1 && n <= count ? n - 1 : -1;
    }

    // Keeps the open item in the address; a fragment the page uses itself stays.
    function remember() {
      var hash = window.location.hash;
      if (hash && linkedIndex(hash) < 0) {
        return;
      }
      try {
        window.history.replaceState(window.history.state, '', '#' + id + '-' + (active + 1));
      } catch (e) { /* an address that cannot change keeps its fragment */ }
    }

    function load(i) {
      var p = panels[i];
      if (p && !p.image.getAttribute('src')) {
        // The choices first: the browser picks one when the source is set.
        if (p.source) {
          p.source.srcset = p.item.webp;
        }
        if (p.item.srcset) {
          p.image.srcset = p.item.srcset;
        }
        p.image.src = p.item.image;
      }
    }

    // The open picture and its neighbours load first, the rest later.
    function loadRange(from, to) {
      for (var d = from; d <= to; d++) {
        load(active + d);
        load(active - d);
      }
    }

    function loadLater() {
      var watch = new window.IntersectionObserver(function (entries) {
        if (entries[entries.length - 1].isIntersecting) {
          watch.disconnect();
          loadRange(NEAR + 1, count);
        }
      }, { rootMargin: '50%' });
      watch.observe(root);
    }

    function shift(x) {
      return 'translateX(' + x + 'px)';
    }

    function targets() {
      return panels.map(function (p, i) {
        return i * closedWidth + (i > active ? openWidth - closedWidth : 0);
      });
    }

    // Where the panels (or their pictures) stand now.
    function positions(image) {
      return panels.map(function (p, i) {
        return moves.length ? new window.DOMMatrix(window.getComputedStyle(image ? p.image : p.node).transform).m41
          : image ? p.at : places[i];
      });
    }

    // The time the old easing took (each 60 Hz frame closing 1/speed of the way).
    function duration(distance, speed) {
      if (speed <= 1 || distance <= SETTLE_PX) {
        return 0;
      }
      return Math.ceil(Math.log(SETTLE_PX / distance) / Math.log(1 - 1 / speed)) * 1000 / 60;
    }

    function slide(instant) {
      var from = positions();
      var fromImage = positions(true);
      var to = targets();
      var far = 0;
      // One taking over from a running slide keeps its pace.
      var easing = moves.length ? 'ease-out' : EASE;
      moves.forEach(function (a) { a.cancel(); });
      moves = [];
      from.forEach(function (x, i) { far = Math.max(far, Math.abs(to[i] - x)); });
      var ms = instant || reduced || !root.animate ? 0 : duration(far, cfg.slidingSpeed);
      // The closing strip's vertical title comes in near the end of the slide.
      root.style.setProperty('--qm-vdelay', Math.round(ms * 0.6) + 'ms');
      places = to;
      function move(node, a, b) {
        node.style.transform = shift(b);
        if (ms && Math.abs(b - a) > 0.01) {
          moves.push(node.animate([{ transform: shift(a) }, { transform: shift(b) }], { duration: ms, easing: easing }));
        }
      }
      panels.forEach(function (p, i) {
        move(p.node, from[i], to[i]);
        p.at = i === active ? 0 : p.slice;
        move(p.image, fromImage[i], p.at);
      });
      sliding = moves.length > 0;
      if (sliding) {
        var first = moves[0];
        first.onfinish = function () {
          if (moves[0] === first) {
            moves = [];
            settled();
          }
        };
      } else {
        settled();
      }
    }

    function settled() {
      sliding = false;
      panels.forEach(function (p, i) {
        p.node.classList.toggle('qm-settled', i === active);
        p.node.classList.toggle('qm-strip', i !== active);
      });
      schedule();
    }

    function markPanels() {
      panels.forEach(function (p, i) {
        var open = i === active;
        var classes = p.node.classList;
        classes.toggle('qm-open', open);
        classes.toggle('qm-closed', !open);
        // The incoming title waits for the panel to settle.
        classes.remove('qm-settled');
        if (open) {
          classes.remove('qm-strip');
          p.node.setAttribute('aria-current', 'true');
        } else {
          p.node.removeAttribute('aria-current');
        }
        if (p.link) {
          p.link.tabIndex = open ? 0 : -1;
        }
        p.image.style.opacity = open || cfg.inactiveAlpha >= 100 ? '' : String(cfg.inactiveAlpha / 100);
      });
      var item = items[active];
      status.textContent = (item.htitle || item.vtitle || 'Picture') + ' (' + (active + 1) + ' of ' + count + ')';
    }

    function opened(byItself) {
      var item = items[active];
      emit('open', { index: active, title: item.htitle || item.vtitle, link: item.link, byItself: !!byItself });
    }

    // Opens panel `index`; `byItself` is set for autoplay's advances.
    function open(index, byItself) {
      index = ((index % count) + count) % count;
      clearTimeout(timer);
      timer = 0;
      if (index === active) {
        if (!sliding) {
          schedule();
        }
        return;
      }
      active = index;
      status.setAttribute('aria-live', byItself ? 'off' : 'polite');
      markPanels();
      loadRange(0, NEAR);
      slide();
      remember();
      opened(byItself);
    }

    function isPlaying() {
      return rotating && !stopped;
    }

    function mayRotate() {
      return isPlaying() && !hovered && !focused && !document.hidden;
    }

    function schedule() {
      clearTimeout(timer);
      timer = 0;
      if (mayRotate() && !sliding) {
        timer = setTimeout(function () {
          timer = 0;
          if (mayRotate()) {
            open(active + 1, true);
          }
        }, cfg.delaySeconds * 1000);
      }
    }

    function showControl() {
      var now = isPlaying();
      if (control) {
        control.setAttribute('aria-label', now ? 'Stop the slideshow' : 'Start the slideshow');
        control.title = now ? 'Pause' : 'Play';
        controlIcon.setAttribute('d', now ? ICON_PAUSE : ICON_PLAY);
        // Rotation by itself is not announced.
        status.setAttribute('aria-live', now ? 'off' : 'polite');
      }
      if (now !== playing) {
        playing = now;
        emit(now ? 'play' : 'pause');
      }
    }

    // A visitor's start outranks the hover and focus holds until they come again.
    function setPlaying(play, byVisitor) {
      stopped = !play;
      if (byVisitor) {
        motionHeld = false;
        if (play) {
          hovered = false;
          focused = false;
        }
      }
      showControl();
      schedule();
    }

    function motionChanged() {
      reduced = motion.matches;
      root.classList.toggle('qm-still', reduced);
      if (reduced && !stopped) {
        motionHeld = true;
        setPlaying(false);
      } else if (!reduced && motionHeld) {
        motionHeld = false;
        setPlaying(true);
      }
    }

    function panelIndex(node) {
      for (; node && node !== root; node = node.parentNode) {
        if (node.qmIndex >= 0) {
          return node.qmIndex;
        }
      }
      return -1;
    }

    var pressIndex = -1;            // panel under the pointer when it went down
    var pressWasOpen = false;
    var pressX = 0;
    var pressY = 0;
    var pressType = '';
    var swallowClick = false;

    function on(target, type, fn) {
      target.addEventListener(type, fn);
    }

    on(root, 'pointerover', function (e) {
      var i = panelIndex(e.target);
      if (e.pointerType === 'mouse' && i >= 0 && i !== active) {
        open(i);
      }
    });
    on(root, 'mouseenter', function () {
      hovered = true;
      schedule();
    });
    on(root, 'mouseleave', function () {
      hovered = false;
      schedule();
    });
    on(root, 'focusin', function (e) {
      focused = true;
      schedule();
      var i = panelIndex(e.target);
      if (i >= 0 && i !== active) {
        open(i);
      }
    });
    on(root, 'focusout', function (e) {
      if (!e.relatedTarget || !root.contains(e.relatedTarget)) {
        focused = false;
        schedule();
      }
    });
    // A mouse click leaves no focus (which holds autoplay) and starts no drag.
    on(root, 'mousedown', function (e) {
      if (panelIndex(e.target) >= 0 || e.target === control) {
        e.preventDefault();
      }
    });

    on(root, 'pointerdown', function (e) {
      pressIndex = panelIndex(e.target);
      pressWasOpen = pressIndex === active;
      pressX = e.clientX;
      pressY = e.clientY;
      pressType = e.pointerType;
      swallowClick = false;
    });
    on(root, 'pointerup', function (e) {
      var dx = e.clientX - pressX;
      if (pressType !== 'mouse' && pressIndex >= 0 && Math.abs(dx) >= SWIPE_PX &&
          Math.abs(dx) > Math.abs(e.clientY - pressY)) {
        swallowClick = true;
        open(active + (dx < 0 ? 1 : -1));
      }
    });
    on(root, 'click', function (e) {
      var i = panelIndex(e.target);
      var wasOpen = pressIndex === i ? pressWasOpen : i === active;
      pressIndex = -1;
      if (swallowClick || i < 0) {
        if (swallowClick) {
          e.preventDefault();
        }
        swallowClick = false;
        return;
      }
      // A touch on a closed panel opens it; a click on the open one follows its
      // link. Clicks with Ctrl, Shift or Cmd are the browser's.
      if (!(e.ctrlKey || e.shiftKey || e.metaKey) && (!wasOpen || i !== active)) {
        e.preventDefault();
        open(i);
      }
    });

    on(root, 'keydown', function (e) {
      if (e.altKey || e.ctrlKey || e.metaKey || e.target === control) {
        return;
      }
      var to = -1;
      switch (e.key) {
        case 'ArrowRight': to = Math.min(active + 1, count - 1); break;
        case 'ArrowLeft': to = Math.max(active - 1, 0); break;
        case 'Home': to = 0; break;
        case 'End': to = count - 1; break;
        case 'Enter':
          // Enter on the gallery itself follows the open item's link.
          if (e.target === root && panels[active].link) {
            e.preventDefault();
            panels[active].link.click();
          }
          return;
        default:
          return;
      }
      e.preventDefault();
      var moveFocus = panelIndex(document.activeElement) >= 0;
      open(to);
      if (moveFocus) {
        (panels[to].link || panels[to].node).focus();
      }
    });

    if (control) {
      on(control, 'click', function (e) {
        e.stopPropagation();
        setPlaying(stopped, true);
      });
    }

    // Writes only changes: each restyles the gallery.
    var shown;
    function rescale() {
      var scale = Math.min(1, (root.clientWidth || width) / width);
      var zoom = Math.min(1, (window.visualViewport && window.visualViewport.scale) || 1);
      var k = scale * zoom;
      var style = [scale < 1 ? 'scale(' + scale + ')' : '', k < 1 ? 1 / k + '' : '', zoom < 1 ? 1 / zoom + '' : ''];
      if (style + '' !== shown) {
        shown = style + '';
        stage.style.transform = style[0];
        root.style.setProperty('--qm-k', style[1]);
        root.style.setProperty('--qm-z', style[2]);
      }
    }

    var opening = panels[active].image;
    if (opening.complete && opening.getAttribute('src')) {
      if (!opening.naturalWidth) {
        opening.onerror();
      }
      setTimeout(loadLater, 0);
    } else {
      opening.onload = loadLater;
      opening.addEventListener('error', loadLater);
    }
    markPanels();
    loadRange(0, NEAR);
    slide(true);

    this.element = root;
    this.start = function () {
      // The observer calls rescale (which keeps the size) before the first frame too.
      if (typeof window.ResizeObserver === 'function') {
        new window.ResizeObserver(rescale).observe(root);
      } else {
        rescale();
        on(window, 'resize', rescale);
      }
      if (window.visualViewport) {
        on(window.visualViewport, 'resize', rescale);
      }
      if (motion && motion.addEventListener) {
        on(motion, 'change', motionChanged);
      }
      on(document, 'visibilitychange', function () { schedule(); });
      on(window, 'hashchange', function () {
        var i = linkedIndex(window.location.hash);
        if (i >= 0) {
          open(i);
        }
      });
      opened(false);
      showControl();
      schedule();
    };

    root.quillmere = {
      open: function (index) { open(index); },
      next: function () { open(active + 1); },
      previous: function () { open(active - 1); },
      play: function () { setPlaying(true, true); },
      pause: function () { setPlaying(false, true); },
      state: function () {
        var x = positions();
        return {
          active: active,
          count: count,
          sliding: sliding,
          playing: isPlaying(),
          rotating: mayRotate(),
          widths: x.map(function (left, i) { return (i + 1 < count ? x[i + 1] : width) - left; })
        };
      }
    };
  }

  function whenReady(fn) {
    if (document.readyState === 'loading') {
      document.addEventListener('DOMContentLoaded', fn);
    } else {
      setTimeout(fn, 0);
    }
  }

  function embed(replaceElemId, width, height, flashvars, params, attributes, callback) {
    flashvars = flashvars || {};
    params = params || {};
    attributes = attributes || {};
    var id = attributes.id || String(replaceElemId) + '_player';
    var configPath = flashvars.xmlPath;
    var w = parseInt(width, 10);
    var h = parseInt(height, 10);
    function done(success, ref) {
      try {
        callback({ success: success, id: id, ref: ref });
      } catch (e) {
        if (typeof callback === 'function') {
          report('the page\'s callback failed: ' + e.message);
        }
      }
    }
    function fail(message) {
      report(message + '; the picture stays in place');
      done(false, null);
    }
    function readXml(read, path, next) {
      read.then(function (result) {
        var root;
        try {
          if (result[0]) {
            throw new Error(result[0]);
          }
          root = parseXml(result[1], path);
        } catch (e) {
          fail(e.message);
          return;
        }
        next(root);
      });
    }

    // Both files are asked for at once.
    var prefix = /config\.xml$/i.test(configPath) ? configPath.slice(0, -10) : '';
    var companion = prefix && prefix + 'data.js';
    var itemsGuess = prefix && prefix + 'items.xml';
    var configRead = configPath && readText(configPath, companion);
    var itemsRead = itemsGuess && readText(itemsGuess, companion);

    whenReady(function () {
      try {
        build();
      } catch (e) {
        unexpected(e);
      }
    });

    function build() {
      var fallback = document.getElementById(replaceElemId);
      var noElement = 'the page has no element "' + replaceElemId + '" to show the slideshow in';
      var problem = !fallback ? noElement
        : !(w > 0 && h > 0) ? 'the slideshow has no size (' + width + ' x ' + height + ')'
        : !configPath ? 'no configuration file given (xmlPath)' : '';
      if (problem) {
        fail(problem);
        return;
      }
      readXml(configRead, configPath, function (configRoot) {
        var config;
        try {
          config = readConfig(configRoot);
        } catch (e) {
          fail(configPath + ': ' + e.message);
          return;
        }
        var read = config.itemsFile === itemsGuess ? itemsRead : readText(config.itemsFile, companion);
        readXml(read, config.itemsFile, function (itemsRoot) {
          var player;
          // The element may have gone while the files were read.
          fallback = document.getElementById(replaceElemId);
          if (!fallback || !fallback.parentNode) {
            fail(noElement);
            return;
          }
          try {
            var items = readItems(itemsRoot);
            if (!items.length) {
              throw new Error(config.itemsFile + ' holds no pictures');
            }
            var first = fallback.getElementsByTagName('img')[0];
            player = new Player({
              id: id,
              label: attributes.title || 'Picture slideshow',
              width: w,
              height: h,
              background: cssColor(params.bgcolor, params.bgcolor ? String(params.bgcolor) : '#000000'),
              config: config,
              items: items,
              first: first && first.getAttribute('src') === items[0].image ? first : null
            });
          } catch (e) {
            fail(e.message);
            return;
          }
          addStyle();
          fallback.parentNode.replaceChild(player.element, fallback);
          player.start();
          done(true, player.element);
        });
      });
    }
  }

  function unexpected(e) {
    report('unexpected failure: ' + e.message + '; the picture stays in place');
  }

  function noop() {}

  var swfobject = {
    embedSWF: function (swfUrl, replaceElemId, width, height, version, expressInstallUrl,
                        flashvars, params, attributes, callback) {
      try {
        embed(replaceElemId, width, height, flashvars, params, attributes, callback);
      } catch (e) {
        unexpected(e);
      }
    },

    addFiles: function (named) {
      for (var name in named) {
        files[name] = named[name];
      }
    },

    // The loader's other calls, answered harmlessly.
    getObjectById: function (id) { return document.getElementById(id); },
    getFlashPlayerVersion: function () { return { major: 0, minor: 0, release: 0 }; },
    hasFlashPlayerVersion: function () { return false; },
    removeSWF: function (id) {
      var node = document.getElementById(id);
      node && node.parentNode && node.parentNode.removeChild(node);
    },
    addDomLoadEvent: function (fn) { whenReady(fn); },
    addLoadEvent: function (fn) { window.addEventListener('load', fn); },
    ua: { w3: true, pv: [0, 0, 0] }
  };

  var api = swfobject;
  if (typeof window.Proxy === 'function') {
    api = new window.Proxy(swfobject, {
      get: function (target, name) {
        if (name in target || typeof name !== 'string' || name === 'then' || name === 'toJSON') {
          return target[name];
        }
        return noop;
      }
    });
  }
  window.swfobject = api;
})(window, document);
