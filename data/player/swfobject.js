/*
 * Quillmere 1.0 web player.
 *
 * A published Quillmere page loads this one script and calls
 *
 *   swfobject.embedSWF(movieUrl, fallbackId, width, height, version,
 *                      expressInstallUrl, flashvars, params, attributes, callback)
 *
 * The movie arguments are kept for the pages' sake but no plug-in is used: once the
 * page has loaded, the script reads the gallery configuration named by
 * flashvars.xmlPath, then the items file that the configuration names, and puts an
 * HTML slideshow in place of the fallback element. The pictures stand side by side,
 * the open one at its full width and the others closed to narrow strips, and slide
 * open on hover, focus, touch, keys or by themselves (autoplay).
 *
 * When either file cannot be read the fallback picture stays where it is and the
 * reason is written to the browser console; nothing on the page breaks.
 *
 * No dependencies, no build step. Copyright (c) Brindlecove. All rights reserved.
 */
(function (window, document) {
  'use strict';

  var FRAME_MS = 1000 / 60;        // sliding speed is given per 60 Hz frame
  var SETTLE_PX = 0.75;            // a panel this close to its width has arrived
  var SWIPE_PX = 40;               // least horizontal travel of a swipe
  var STYLE_ID = 'qm-player-style';

  // Gallery values the configuration file may leave out.
  var DEFAULTS = {
    ActiveItemWidth: 667,
    InactiveItemWidth: 75,
    SlidingSpeed: 6,
    InactiveItemGray: 1,
    InactiveItemAlpha: 100,
    EnableVerticalTitles: 1,
    AutoPlay: 1,
    SwitchImageDelay: 1
  };

  function report(message) {
    if (window.console && window.console.error) {
      window.console.error('Quillmere player: ' + message);
    }
  }

  /* ------------------------------------------------------------------ */
  /* Reading the two files                                               */
  /* ------------------------------------------------------------------ */

  function resolveUrl(path) {
    try {
      return new URL(path, document.baseURI).href;
    } catch (e) {
      return path;
    }
  }

  // Reads a text file relative to the page; done(error, text).
  function readText(path, done) {
    var url = resolveUrl(path);
    var local = /^file:/i.test(url);
    var refused = local
      ? 'the browser refused to read ' + path + ' from a local folder; ' +
        'open the page through a web server'
      : 'could not read ' + path + ' (network error)';
    var xhr;
    try {
      xhr = new XMLHttpRequest();
      xhr.open('GET', url, true);
      xhr.overrideMimeType && xhr.overrideMimeType('text/xml; charset=utf-8');
    } catch (e) {
      done(refused + ': ' + e.message);
      return;
    }
    xhr.onload = function () {
      // Local files answer with status 0 where the browser allows reading them.
      if ((xhr.status >= 200 && xhr.status < 300) || (xhr.status === 0 && xhr.responseText)) {
        done(null, xhr.responseText);
      } else if (xhr.status === 0) {
        done(refused);
      } else {
        done('could not read ' + path + ' (HTTP ' + xhr.status + ')');
      }
    };
    xhr.onerror = function () { done(refused); };
    try {
      xhr.send();
    } catch (e) {
      done(refused + ': ' + e.message);
    }
  }

  function parseXml(text, path) {
    var doc;
    try {
      doc = new DOMParser().parseFromString(text, 'application/xml');
    } catch (e) {
      throw new Error(path + ' is not valid XML: ' + e.message);
    }
    if (!doc || !doc.documentElement || doc.getElementsByTagName('parsererror').length) {
      throw new Error(path + ' is not valid XML');
    }
    return doc;
  }

  function childText(root, name) {
    var nodes = root.getElementsByTagName(name);
    return nodes.length ? String(nodes[0].textContent).trim() : null;
  }

  function toInt(text, fallback, min, max) {
    var n = parseInt(text, 10);
    if (isNaN(n)) {
      n = fallback;
    }
    return Math.min(max, Math.max(min, n));
  }

  function readConfig(doc) {
    var root = doc.documentElement;
    var itemsFile = childText(root, 'ItemsConfigFile');
    if (!itemsFile) {
      throw new Error('the configuration names no items file (ItemsConfigFile)');
    }
    function num(name, min, max) {
      return toInt(childText(root, name), DEFAULTS[name], min, max);
    }
    function flag(name) {
      var text = childText(root, name);
      return text === null ? DEFAULTS[name] === 1 : text === '1';
    }
    return {
      itemsFile: itemsFile,
      activeWidth: num('ActiveItemWidth', 1, 100000),
      inactiveWidth: num('InactiveItemWidth', 0, 100000),
      slidingSpeed: num('SlidingSpeed', 1, 100000),
      inactiveGray: flag('InactiveItemGray'),
      inactiveAlpha: num('InactiveItemAlpha', 0, 100),
      verticalTitles: flag('EnableVerticalTitles'),
      autoPlay: flag('AutoPlay'),
      delaySeconds: num('SwitchImageDelay', 0, 86400)
    };
  }

  // "0xRRGGBB", "RRGGBB" or "#RRGGBB" to a CSS colour; anything else gives the fallback.
  function cssColor(text, fallback) {
    var m = /^\s*(?:0x|#)?([0-9a-f]{6})\s*$/i.exec(text || '');
    return m ? '#' + m[1] : fallback;
  }

  function readItems(doc) {
    var nodes = doc.getElementsByTagName('item');
    var items = [];
    for (var i = 0; i < nodes.length; i++) {
      var node = nodes[i];
      var get = function (name) { return node.getAttribute(name) || ''; };
      items.push({
        image: get('largeimage'),
        link: get('link').trim(),
        target: get('target').trim(),
        htitle: get('htitle'),
        htitleColor: cssColor(get('htitlecolor'), '#ffffff'),
        htitleSize: toInt(get('htitlesize'), 24, 0, 1000),
        vtitle: get('vtitle'),
        vtitleColor: cssColor(get('vtitlecolor'), '#ffffff'),
        vtitleSize: toInt(get('vtitlesize'), 24, 0, 1000)
      });
    }
    return items;
  }

  /* ------------------------------------------------------------------ */
  /* Look                                                                */
  /* ------------------------------------------------------------------ */

  var CSS = [
    '.qm-player{position:relative;overflow:hidden;max-width:100%;outline:none;',
    '  touch-action:pan-y;-webkit-user-select:none;user-select:none;-webkit-tap-highlight-color:transparent}',
    '.qm-player:focus-visible{box-shadow:0 0 0 3px #4d90fe}',
    '.qm-stage{position:absolute;left:0;top:0;transform-origin:0 0}',
    '.qm-panel{position:absolute;top:0;height:100%;overflow:hidden;cursor:pointer;outline:none}',
    '.qm-panel+.qm-panel{box-shadow:inset 1px 0 0 rgba(0,0,0,.45)}',
    '.qm-panel:focus-visible{box-shadow:inset 0 0 0 3px #4d90fe}',
    '.qm-panel.qm-open.qm-nolink{cursor:default}',
    '.qm-image{position:absolute;left:0;top:0;max-width:none;border:0;margin:0;padding:0;display:block;',
    '  transition:filter .45s ease,opacity .45s ease;pointer-events:none}',
    '.qm-gray .qm-closed .qm-image{filter:grayscale(1)}',
    '.qm-shade{position:absolute;left:0;right:0;bottom:0;height:45%;pointer-events:none;',
    '  background:linear-gradient(rgba(0,0,0,0),rgba(0,0,0,.55));opacity:0;transition:opacity .45s ease}',
    '.qm-open .qm-shade.qm-has-htitle,.qm-closed .qm-shade.qm-has-vtitle{opacity:1}',
    '.qm-htitle{position:absolute;left:18px;bottom:14px;margin:0;white-space:nowrap;font-weight:bold;',
    '  font-family:"Segoe UI",Helvetica,Arial,sans-serif;line-height:1.2;pointer-events:none;',
    '  text-shadow:0 1px 3px rgba(0,0,0,.8);opacity:0;transform:translateY(8px);',
    '  transition:opacity .35s ease,transform .35s ease}',
    '.qm-open .qm-htitle{opacity:1;transform:none}',
    '.qm-vtitle{position:absolute;left:50%;bottom:14px;margin:0;white-space:nowrap;pointer-events:none;font-weight:600;',
    '  font-family:"Segoe UI",Helvetica,Arial,sans-serif;line-height:1;',
    '  writing-mode:vertical-rl;transform:translateX(-50%) rotate(180deg);',
    '  text-shadow:0 1px 3px rgba(0,0,0,.8);opacity:1;transition:opacity .3s ease}',
    '.qm-open .qm-vtitle,.qm-novtitles .qm-vtitle{opacity:0}',
    '.qm-control{position:absolute;right:10px;top:10px;width:30px;height:30px;padding:0;margin:0;',
    '  border:1px solid rgba(255,255,255,.75);border-radius:50%;background:rgba(0,0,0,.55);color:#fff;',
    '  cursor:pointer;display:flex;align-items:center;justify-content:center;opacity:.8;z-index:2}',
    '.qm-control:hover,.qm-control:focus-visible{opacity:1;outline:2px solid #4d90fe;outline-offset:1px}',
    '.qm-control svg{width:14px;height:14px;fill:currentColor;display:block}',
    '.qm-sr{position:absolute;width:1px;height:1px;margin:-1px;padding:0;overflow:hidden;',
    '  clip:rect(0 0 0 0);white-space:nowrap;border:0}',
    '.qm-still .qm-image,.qm-still .qm-shade,.qm-still .qm-htitle,.qm-still .qm-vtitle{transition:none}'
  ].join('\n');

  function addStyle() {
    if (document.getElementById(STYLE_ID)) {
      return;
    }
    var style = document.createElement('style');
    style.id = STYLE_ID;
    style.appendChild(document.createTextNode(CSS));
    (document.head || document.getElementsByTagName('head')[0] || document.documentElement).appendChild(style);
  }

  function el(tag, className, parent) {
    var node = document.createElement(tag);
    if (className) {
      node.className = className;
    }
    if (parent) {
      parent.appendChild(node);
    }
    return node;
  }

  var SVG_NS = 'http://www.w3.org/2000/svg';
  var ICON_PAUSE = 'M3 2h3.5v12H3zM9.5 2H13v12H9.5z';
  var ICON_PLAY = 'M4 2l10 6-10 6z';

  function prefersReducedMotion() {
    return !!(window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)').matches);
  }

  /* ------------------------------------------------------------------ */
  /* The player                                                          */
  /* ------------------------------------------------------------------ */

  // Builds the player element; it is not in the document yet.
  function Player(options) {
    var cfg = options.config;
    var items = options.items;
    var count = items.length;
    var width = options.width;
    var height = options.height;
    var reduced = prefersReducedMotion();

    // Widths from the configuration, scaled to the page's width when they disagree.
    var natural = cfg.activeWidth + cfg.inactiveWidth * (count - 1);
    var fit = natural > 0 ? width / natural : 1;
    var openWidth = count === 1 ? width : cfg.activeWidth * fit;
    var closedWidth = count === 1 ? 0 : (width - openWidth) / (count - 1);

    var speed = reduced ? 1 : cfg.slidingSpeed;
    var active = 0;                 // the panel that is open or opening
    var current = [];               // widths on screen
    var wanted = [];                // widths being eased towards
    var sliding = false;
    var lastFrame = 0;
    var frameRequest = 0;
    var timer = 0;

    // Autoplay: runs while none of the reasons to hold it applies.
    var rotating = cfg.autoPlay && count > 1;
    var stopped = reduced;          // the play/pause control, or reduced motion
    var hovered = false;
    var focused = false;

    var root = el('div', 'qm-player');
    root.id = options.id;
    root.setAttribute('role', 'region');
    root.setAttribute('aria-roledescription', 'carousel');
    root.setAttribute('aria-label', options.label);
    root.tabIndex = 0;
    root.style.width = width + 'px';
    // The height follows the width, so a narrow container shrinks the player whole.
    root.style.aspectRatio = width + ' / ' + height;
    if (!root.style.aspectRatio) {
      root.style.height = height + 'px';
    }
    root.style.backgroundColor = options.background;
    if (cfg.inactiveGray) {
      root.className += ' qm-gray';
    }
    if (!cfg.verticalTitles) {
      root.className += ' qm-novtitles';
    }
    if (reduced) {
      root.className += ' qm-still';
    }

    var stage = el('div', 'qm-stage', root);
    stage.style.width = width + 'px';
    stage.style.height = height + 'px';

    var status = el('div', 'qm-sr', root);
    status.setAttribute('aria-atomic', 'true');

    var panels = items.map(function (item, index) {
      var panel = el('div', 'qm-panel qm-closed', stage);
      panel.tabIndex = -1;
      panel.setAttribute('role', 'group');
      panel.setAttribute('aria-roledescription', 'slide');
      panel.setAttribute('aria-label', item.htitle || item.vtitle || 'Picture ' + (index + 1) + ' of ' + count);
      if (!item.link) {
        panel.className += ' qm-nolink';
      }

      var image = el('img', 'qm-image', panel);
      image.alt = '';
      image.draggable = false;
      image.width = Math.round(cfg.activeWidth * fit);
      image.height = height;
      image.style.width = image.width + 'px';
      image.style.height = height + 'px';
      image.onerror = function () {
        report('picture ' + item.image + ' could not be loaded');
      };
      image.src = item.image;

      var shade = el('div', 'qm-shade', panel);
      if (item.htitle && item.htitleSize > 0) {
        shade.className += ' qm-has-htitle';
        var htitle = el('p', 'qm-htitle', panel);
        htitle.textContent = item.htitle;
        htitle.style.color = item.htitleColor;
        htitle.style.fontSize = item.htitleSize + 'px';
        htitle.setAttribute('aria-hidden', 'true');
      }
      if (cfg.verticalTitles && item.vtitle && item.vtitleSize > 0) {
        shade.className += ' qm-has-vtitle';
        var vtitle = el('p', 'qm-vtitle', panel);
        vtitle.textContent = item.vtitle;
        vtitle.style.color = item.vtitleColor;
        vtitle.style.fontSize = item.vtitleSize + 'px';
        vtitle.setAttribute('aria-hidden', 'true');
      }
      return { node: panel, image: image, item: item };
    });

    var control = null;
    var controlIcon = null;
    if (rotating) {
      control = el('button', 'qm-control', root);
      control.type = 'button';
      var svg = document.createElementNS(SVG_NS, 'svg');
      svg.setAttribute('viewBox', '0 0 16 16');
      svg.setAttribute('aria-hidden', 'true');
      svg.setAttribute('focusable', 'false');
      controlIcon = document.createElementNS(SVG_NS, 'path');
      svg.appendChild(controlIcon);
      control.appendChild(svg);
    }

    /* ---- layout and sliding ---- */

    function targetWidths() {
      return panels.map(function (p, i) { return i === active ? openWidth : closedWidth; });
    }

    function layout() {
      var left = 0;
      for (var i = 0; i < count; i++) {
        var w = current[i];
        var p = panels[i];
        p.node.style.left = left + 'px';
        p.node.style.width = w + 'px';
        left += w;
      }
    }

    function markPanels() {
      panels.forEach(function (p, i) {
        var open = i === active;
        p.node.classList.toggle('qm-open', open);
        p.node.classList.toggle('qm-closed', !open);
        if (open) {
          p.node.setAttribute('aria-current', 'true');
        } else {
          p.node.removeAttribute('aria-current');
        }
        p.image.style.opacity = open || cfg.inactiveAlpha >= 100 ? '' : String(cfg.inactiveAlpha / 100);
      });
    }

    function frame(now) {
      frameRequest = 0;
      var elapsed = lastFrame ? Math.min(now - lastFrame, 250) : FRAME_MS;
      lastFrame = now;
      // Each 60 Hz frame closes 1/speed of the remaining distance.
      var keep = speed <= 1 ? 0 : Math.pow(1 - 1 / speed, elapsed / FRAME_MS);
      var moving = false;
      for (var i = 0; i < count; i++) {
        var rest = (current[i] - wanted[i]) * keep;
        if (Math.abs(rest) < SETTLE_PX) {
          current[i] = wanted[i];
        } else {
          current[i] = wanted[i] + rest;
          moving = true;
        }
      }
      layout();
      if (moving) {
        frameRequest = window.requestAnimationFrame(frame);
      } else {
        settled();
      }
    }

    function slide() {
      wanted = targetWidths();
      if (speed <= 1 || typeof window.requestAnimationFrame !== 'function') {
        current = wanted.slice();
        layout();
        settled();
        return;
      }
      if (!sliding) {
        sliding = true;
        lastFrame = 0;
        frameRequest = window.requestAnimationFrame(frame);
      }
    }

    function settled() {
      sliding = false;
      schedule();
      if (options.onSettle) {
        options.onSettle(active);
      }
    }

    /* ---- opening panels ---- */

    function announce() {
      var item = items[active];
      var name = item.htitle || item.vtitle || 'Picture';
      status.textContent = name + ' (' + (active + 1) + ' of ' + count + ')';
    }

    // Opens panel `index`; `byItself` is set for autoplay's advances.
    function open(index, byItself) {
      if (!count) {
        return;
      }
      index = ((index % count) + count) % count;
      clearTimeout(timer);
      timer = 0;
      if (index !== active) {
        active = index;
        markPanels();
        status.setAttribute('aria-live', byItself ? 'off' : 'polite');
        announce();
      }
      slide();
    }

    function followLink(index) {
      var item = items[index];
      if (!item || !item.link) {
        return;
      }
      var target = item.target || '_self';
      var keyword = target.toLowerCase();
      if (keyword === '_self' || keyword === '_parent' || keyword === '_top') {
        window.open(item.link, keyword);
      } else if (keyword.charAt(0) === '_') {
        // "_blank", and names of old browsers' side bars ("_search", "_media"): a new window.
        window.open(item.link, '_blank', 'noopener');
      } else {
        window.open(item.link, target);   // a named window or frame
      }
    }

    /* ---- autoplay ---- */

    function mayRotate() {
      return rotating && !stopped && !hovered && !focused;
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
      if (!control) {
        return;
      }
      var playing = !stopped;
      control.setAttribute('aria-label', playing ? 'Stop the slideshow' : 'Start the slideshow');
      control.title = playing ? 'Pause' : 'Play';
      controlIcon.setAttribute('d', playing ? ICON_PAUSE : ICON_PLAY);
      // Rotation by itself is not announced.
      status.setAttribute('aria-live', playing ? 'off' : 'polite');
    }

    function setPlaying(playing) {
      stopped = !playing;
      if (playing) {
        // An explicit start outranks the hover and focus holds until they come again.
        hovered = false;
        focused = false;
      }
      showControl();
      schedule();
    }

    /* ---- events ---- */

    function panelIndex(node) {
      while (node && node !== root) {
        for (var i = 0; i < count; i++) {
          if (panels[i].node === node) {
            return i;
          }
        }
        node = node.parentNode;
      }
      return -1;
    }

    var pressIndex = -1;            // panel under the pointer when it went down
    var pressWasOpen = false;
    var pressX = 0;
    var pressY = 0;
    var pressType = '';
    var swallowClick = false;

    root.addEventListener('pointerover', function (e) {
      if (e.pointerType === 'mouse') {
        var i = panelIndex(e.target);
        if (i >= 0 && i !== active) {
          open(i);
        }
      }
    });
    root.addEventListener('mouseenter', function () {
      hovered = true;
      schedule();
    });
    root.addEventListener('mouseleave', function () {
      hovered = false;
      schedule();
    });
    root.addEventListener('focusin', function (e) {
      if (!focused && e.target !== control) {
        focused = true;
        schedule();
      }
      var i = panelIndex(e.target);
      if (i >= 0 && i !== active) {
        open(i);
      }
    });
    root.addEventListener('focusout', function (e) {
      if (!e.relatedTarget || !root.contains(e.relatedTarget)) {
        focused = false;
        schedule();
      }
    });
    // A mouse click must not leave focus on a panel: that would hold autoplay.
    root.addEventListener('mousedown', function (e) {
      if (panelIndex(e.target) >= 0) {
        e.preventDefault();
      }
    });

    root.addEventListener('pointerdown', function (e) {
      pressIndex = panelIndex(e.target);
      pressWasOpen = pressIndex === active;
      pressX = e.clientX;
      pressY = e.clientY;
      pressType = e.pointerType;
      swallowClick = false;
    });
    root.addEventListener('pointerup', function (e) {
      if (pressType === 'mouse' || pressIndex < 0) {
        return;
      }
      var dx = e.clientX - pressX;
      var dy = e.clientY - pressY;
      if (Math.abs(dx) >= SWIPE_PX && Math.abs(dx) > Math.abs(dy)) {
        swallowClick = true;
        open(active + (dx < 0 ? 1 : -1));
      }
    });
    root.addEventListener('click', function (e) {
      if (swallowClick) {
        swallowClick = false;
        return;
      }
      var i = panelIndex(e.target);
      if (i < 0) {
        return;
      }
      // The first touch on a closed panel opens it; a click on the open one follows its link.
      var wasOpen = pressIndex === i ? pressWasOpen : i === active;
      if (!wasOpen || i !== active) {
        open(i);
      } else {
        followLink(i);
      }
    });

    root.addEventListener('keydown', function (e) {
      if (e.altKey || e.ctrlKey || e.metaKey || e.target === control) {
        return;
      }
      var to = -1;
      switch (e.key) {
        case 'ArrowRight': case 'Right': to = Math.min(active + 1, count - 1); break;
        case 'ArrowLeft': case 'Left': to = Math.max(active - 1, 0); break;
        case 'Home': to = 0; break;
        case 'End': to = count - 1; break;
        case 'Enter':
          e.preventDefault();
          followLink(active);
          return;
        default:
          return;
      }
      e.preventDefault();
      open(to);
      // Focus follows the open panel when it was on a panel.
      if (panelIndex(document.activeElement) >= 0) {
        panels[to].node.focus();
      }
    });

    if (control) {
      control.addEventListener('click', function (e) {
        e.stopPropagation();
        setPlaying(stopped);
      });
    }

    /* ---- scaling to a narrow container ---- */

    var aspectByCss = !!root.style.aspectRatio;

    function rescale() {
      var shown = root.clientWidth || width;
      var scale = Math.min(1, shown / width);
      stage.style.transform = scale < 1 ? 'scale(' + scale + ')' : '';
      if (!aspectByCss) {
        root.style.height = height * scale + 'px';
      }
    }

    /* ---- start ---- */

    current = targetWidths();
    wanted = current.slice();
    markPanels();
    layout();
    showControl();
    if (!rotating) {
      status.setAttribute('aria-live', 'polite');
    }

    this.element = root;
    this.start = function () {
      rescale();
      // Only the stage's transform changes here, never the observed size, so the
      // observer cannot feed itself.
      if (typeof window.ResizeObserver === 'function' && aspectByCss) {
        new window.ResizeObserver(rescale).observe(root);
      } else {
        window.addEventListener('resize', rescale);
      }
      schedule();
    };

    // What the page (and its tests) may drive.
    root.quillmere = {
      open: function (index) { open(index); },
      next: function () { open(active + 1); },
      previous: function () { open(active - 1); },
      play: function () { setPlaying(true); },
      pause: function () { setPlaying(false); },
      state: function () {
        return {
          active: active,
          count: count,
          sliding: sliding,
          playing: rotating && !stopped,
          rotating: mayRotate(),
          widths: current.slice()
        };
      }
    };
  }

  /* ------------------------------------------------------------------ */
  /* The loader                                                          */
  /* ------------------------------------------------------------------ */

  function whenReady(fn) {
    if (document.readyState === 'loading') {
      document.addEventListener('DOMContentLoaded', fn);
    } else {
      setTimeout(fn, 0);
    }
  }

  function callBack(callback, success, id, ref) {
    if (typeof callback === 'function') {
      try {
        callback({ success: success, id: id, ref: ref });
      } catch (e) {
        report('the page\'s callback failed: ' + e.message);
      }
    }
  }

  function embed(replaceElemId, width, height, flashvars, params, attributes, callback) {
    flashvars = flashvars || {};
    params = params || {};
    attributes = attributes || {};
    var id = attributes.id || String(replaceElemId) + '_player';
    var fail = function (message) {
      report(message + '; the picture stays in place');
      callBack(callback, false, id, null);
    };

    var fallback = document.getElementById(replaceElemId);
    if (!fallback) {
      fail('the page has no element "' + replaceElemId + '" to show the slideshow in');
      return;
    }
    var w = parseInt(width, 10);
    var h = parseInt(height, 10);
    if (!(w > 0 && h > 0)) {
      fail('the slideshow has no size (' + width + ' x ' + height + ')');
      return;
    }
    var configPath = flashvars.xmlPath;
    if (!configPath) {
      fail('no configuration file given (xmlPath)');
      return;
    }

    readText(configPath, function (error, text) {
      if (error) {
        fail(error);
        return;
      }
      var config;
      try {
        config = readConfig(parseXml(text, configPath));
      } catch (e) {
        fail(configPath + ': ' + e.message);
        return;
      }
      readText(config.itemsFile, function (error2, text2) {
        if (error2) {
          fail(error2);
          return;
        }
        var items;
        try {
          items = readItems(parseXml(text2, config.itemsFile));
        } catch (e) {
          fail(e.message);
          return;
        }
        if (!items.length) {
          fail(config.itemsFile + ' holds no pictures');
          return;
        }
        var player;
        try {
          player = new Player({
            id: id,
            label: attributes.title || 'Picture slideshow',
            width: w,
            height: h,
            background: cssColor(params.bgcolor, params.bgcolor ? String(params.bgcolor) : '#000000'),
            config: config,
            items: items
          });
        } catch (e) {
          fail('the slideshow could not be built: ' + e.message);
          return;
        }
        // The element may have gone while the files were read.
        fallback = document.getElementById(replaceElemId);
        if (!fallback || !fallback.parentNode) {
          fail('the element "' + replaceElemId + '" has left the page');
          return;
        }
        addStyle();
        fallback.parentNode.replaceChild(player.element, fallback);
        player.start();
        callBack(callback, true, id, player.element);
      });
    });
  }

  function noop() {}

  var swfobject = {
    embedSWF: function (swfUrl, replaceElemId, width, height, version, expressInstallUrl,
                        flashvars, params, attributes, callback) {
      whenReady(function () {
        try {
          embed(replaceElemId, width, height, flashvars, params, attributes, callback);
        } catch (e) {
          report('unexpected failure: ' + e.message + '; the picture stays in place');
        }
      });
    },

    // The rest of the classic loader interface: nothing here plays movies, so these
    // are answered harmlessly.
    registerObject: noop,
    getObjectById: function (id) { return document.getElementById(id); },
    getFlashPlayerVersion: function () { return { major: 0, minor: 0, release: 0 }; },
    hasFlashPlayerVersion: function () { return false; },
    createSWF: function () { return null; },
    showExpressInstall: noop,
    removeSWF: function (id) {
      var node = document.getElementById(id);
      if (node && node.parentNode) {
        node.parentNode.removeChild(node);
      }
    },
    createCSS: noop,
    addDomLoadEvent: function (fn) { if (typeof fn === 'function') { whenReady(fn); } },
    addLoadEvent: function (fn) {
      if (typeof fn !== 'function') {
        return;
      }
      if (document.readyState === 'complete') {
        setTimeout(fn, 0);
      } else {
        window.addEventListener('load', function () { fn(); });
      }
    },
    getQueryParamValue: function (name) {
      try {
        return new URLSearchParams(window.location.search).get(name) || '';
      } catch (e) {
        return '';
      }
    },
    expressInstallCallback: noop,
    switchOffAutoHideShow: noop,
    ua: { w3: true, pv: [0, 0, 0], wk: 0, ie: false, win: false, mac: false }
  };

  // Any other call a page written for the classic loader makes does nothing.
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
