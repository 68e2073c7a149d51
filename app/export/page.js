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
      visible: true
    });
  }
  var total = items.length;

  function countText(n) {
    var all = total + (total === 1 ? " movie" : " movies");
    return n === total ? all : n + " of " + all;
  }

  // The cards in the order shown, and those still to be revealed.
  var view = items;
  var pending = [];
  var frame = 0;

  // Cards leave at once; cards that come back come a few hundred a frame,
  // in the order shown, so that a keystroke that brings back thousands of
  // them shows the first screenfuls at once instead of laying out all.
  function reveal() {
    frame = 0;
    var batch = pending.splice(0, 200);
    for (var i = 0; i < batch.length; i++) batch[i].card.hidden = false;
    if (pending.length) frame = requestAnimationFrame(reveal);
  }

  function filter() {
    var words = search.value.toLowerCase().split(/\s+/).filter(Boolean);
    var wanted = genre.value;
    for (var p = 0; p < pending.length; p++) pending[p].visible = false;
    pending = [];
    if (frame) cancelAnimationFrame(frame);
    var n = 0;
    for (var i = 0; i < total; i++) {
      var it = view[i];
      var ok = !wanted || it.genres.indexOf(wanted) >= 0;
      for (var w = 0; ok && w < words.length; w++) {
        ok = it.text.indexOf(words[w]) >= 0;
      }
      if (ok !== it.visible) {
        it.visible = ok;
        if (ok) pending.push(it);
        else it.card.hidden = true;
      }
      if (ok) n++;
    }
    reveal();
    count.textContent = countText(n);
    none.hidden = n !== 0 || total === 0;
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
    var frag = document.createDocumentFragment();
    for (var i = 0; i < sorted.length; i++) frag.appendChild(sorted[i].card);
    list.appendChild(frag);
    if (pending.length) filter();
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
  // A page opened again keeps what the browser restored into the controls.
  if (search.value || genre.value) filter();
  if (sort.value !== "title") reorder();
})();
