(function () {
  "use strict";
  var list = document.getElementById("cards");
  var tools = document.getElementById("tools");
  if (!list || !tools) return;
  var search = document.getElementById("search");
  var genre = document.getElementById("genre");
  var sort = document.getElementById("sort");
  var count = document.getElementById("count");
  var none = document.getElementById("none");

  function textOf(card, name) {
    var e = card.getElementsByClassName(name)[0];
    return e ? e.textContent : "";
  }

  // What each card is searched and sorted by, read once from the cards:
  // the page holds every value once, as text.
  var items = [];
  var cards = list.children;
  for (var i = 0; i < cards.length; i++) {
    var card = cards[i];
    var genres = [];
    var tags = card.getElementsByClassName("genre");
    for (var k = 0; k < tags.length; k++) genres.push(tags[k].textContent);
    var year = textOf(card, "year");
    var y = /\d{4}/.exec(year);
    var r = /\d+(?:[.,]\d+)?/.exec(textOf(card, "rate"));
    items.push({
      card: card,
      order: i,
      genres: genres,
      year: y ? Number(y[0]) : null,
      rate: r ? Number(r[0].replace(",", ".")) : null,
      text: [textOf(card, "title"), textOf(card, "director"),
             textOf(card, "cast"), genres.join("\n"), year]
                .join("\n").toLowerCase(),
      ok: true,
      shown: false,
      pos: i
    });
  }
  var total = items.length;
  var byCard = new Map();
  for (var c = 0; c < total; c++) byCard.set(items[c].card, items[c]);

  function countText(n) {
    var all = total + (total === 1 ? " movie" : " movies");
    return n === total ? all : n + " of " + all;
  }

  // The cards in the order shown. Only cards that match are in the list,
  // and of those only the first `limit`; more come as the user scrolls near
  // the end. A change to one card costs a style and layout pass over every
  // card in the list, hidden or not, so a keystroke costs as much as the
  // cards in the list, however large the catalogue.
  var view = items;
  var WINDOW = 240;
  var limit = WINDOW;
  var more = false;  // cards that match beyond the limit
  var pending = [];  // cards still to be put in the list, in view order
  var frame = 0;
  var end = document.createElement("div");
  list.parentNode.insertBefore(end, list.nextSibling);
  var watch = null;

  function place() {
    for (var i = 0; i < view.length; i++) view[i].pos = i;
  }

  // Puts the `batch` of cards (in view order) into the list in their places.
  function insert(batch) {
    var at = list.firstElementChild;
    for (var i = 0; i < batch.length; i++) {
      var it = batch[i];
      while (at && byCard.get(at).pos < it.pos) at = at.nextElementSibling;
      list.insertBefore(it.card, at);
      it.shown = true;
    }
  }

  // Cards leave at once; cards that come come a batch a frame, in the
  // order shown, so that a keystroke that brings many of them shows the
  // first screenfuls at once. Each card that comes costs its frame a style
  // and a layout of its own: a batch is about a screenful of the widest
  // grid (eight columns, three rows).
  var BATCH = 24;
  function reveal() {
    frame = 0;
    insert(pending.splice(0, BATCH));
    if (pending.length) {
      frame = requestAnimationFrame(reveal);
    } else if (more && watch) {
      // Asks again whether the end is still in sight: it is reported only
      // when that changes.
      watch.unobserve(end);
      watch.observe(end);
    }
  }

  // Makes the list hold the first `limit` cards that match, in view order.
  function show() {
    pending = [];
    if (frame) cancelAnimationFrame(frame);
    var n = 0;
    for (var i = 0; i < total; i++) {
      var it = view[i];
      if (it.ok) n++;
      var want = it.ok && n <= limit;
      if (it.shown && !want) {
        list.removeChild(it.card);
        it.shown = false;
      } else if (!it.shown && want) {
        pending.push(it);
      }
    }
    more = n > limit;
    reveal();
    count.textContent = countText(n);
    none.hidden = n !== 0 || total === 0;
  }

  function filter() {
    var words = search.value.toLowerCase().split(/\s+/).filter(Boolean);
    var wanted = genre.value;
    for (var i = 0; i < total; i++) {
      var it = items[i];
      var ok = !wanted || it.genres.indexOf(wanted) >= 0;
      for (var w = 0; ok && w < words.length; w++) {
        ok = it.text.indexOf(words[w]) >= 0;
      }
      it.ok = ok;
    }
    limit = WINDOW;
    show();
  }

  if (window.IntersectionObserver) {
    watch = new IntersectionObserver(function (entries) {
      var near = entries[entries.length - 1].isIntersecting;
      if (near && more && !pending.length) {
        limit += WINDOW;
        show();
      }
    }, {rootMargin: "0px 0px 1500px 0px"});
    watch.observe(end);
  } else {
    limit = WINDOW = Infinity;
  }

  // Title order is the page's own order; the others keep it among equals,
  // and put cards without the value last.
  function reorder() {
    var how = sort.value;
    var key = how === "rate" ? "rate" : how === "title" ? null : "year";
    var sorted = items.slice();
    if (key) {
      sorted.sort(function (a, b) {
        var x = a[key], z = b[key];
        var d = 0;
        if (x === null || z === null) d = (x === null) - (z === null);
        else d = how === "year-old" ? x - z : z - x;
        return d || a.order - b.order;
      });
    }
    view = sorted;
    place();
    for (var i = 0; i < total; i++) items[i].shown = false;
    list.textContent = "";
    show();
  }

  // A poster that cannot be shown (gone since the page was written, or no
  // image) becomes the same placeholder the page gives a movie without one.
  function placeholder(img) {
    var box = document.createElement("div");
    box.className = "poster none";
    var span = document.createElement("span");
    span.textContent = img.alt;
    box.appendChild(span);
    img.replaceWith(box);
  }
  document.addEventListener("error", function (e) {
    var t = e.target;
    if (t && t.tagName === "IMG" && t.classList.contains("poster")) {
      placeholder(t);
    }
  }, true);
  var imgs = Array.prototype.slice.call(list.getElementsByTagName("img"));
  imgs.forEach(function (img) {
    if (img.complete && img.currentSrc && img.naturalWidth === 0) {
      placeholder(img);
    }
  });

  search.addEventListener("input", filter);
  genre.addEventListener("change", filter);
  sort.addEventListener("change", reorder);
  document.addEventListener("keydown", function (e) {
    if (e.key === "/" && document.activeElement !== search &&
        !e.ctrlKey && !e.metaKey && !e.altKey) {
      e.preventDefault();
      search.focus();
    } else if (e.key === "Escape" && document.activeElement === search &&
               search.value) {
      search.value = "";
      filter();
    }
  });
  tools.hidden = false;
  // The list as the script keeps it: the cards that match, the first
  // screenfuls at once. A page opened again keeps what the browser restored
  // into the controls.
  list.textContent = "";
  if (sort.value !== "title") reorder();
  filter();
  if (frame) cancelAnimationFrame(frame);
  frame = 0;
  insert(pending.splice(0, pending.length));
})();
