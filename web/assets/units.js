"use strict";
// What the page's scripts share: its texts, the chosen speed unit, number and time formats, the
// station's clock and the JSON requests. The other scripts register with onUnitChange and read
// Station.unit when they draw.
window.Station = (function () {
  const texts = JSON.parse(document.getElementById("texts").textContent);
  // The answers the page would ask for first came with it; later ones are asked for.
  const first = JSON.parse(document.getElementById("first").textContent || "{}");
  const locale = document.body.dataset.lang === "en" ? "en-GB" : "cs-CZ";
  const storageKey = "kelvra-anemometer-unit";

  // Lower bound of each Beaufort number in m/s, as the program counts them.
  const beaufortBounds = [0.0, 0.3, 1.6, 3.4, 5.5, 8.0, 10.8, 13.9, 17.2, 20.8, 24.5, 28.5, 32.7];
  function beaufort(speed) {
    let number = 0;
    for (let band = 1; band < beaufortBounds.length; ++band) {
      if (speed >= beaufortBounds[band]) number = band;
    }
    return number;
  }

  const units = {
    ms: { name: "m/s", convert: (v) => v, digits: 1 },
    kmh: { name: "km/h", convert: (v) => v * 3.6, digits: 1 },
    kn: { name: "kn", convert: (v) => v * 3600 / 1852, digits: 1 },
    mph: { name: "mph", convert: (v) => v * 3600 / 1609.344, digits: 1 },
    bft: { name: "Bft", convert: beaufort, digits: 0 },
  };

  let unit = "ms";
  try {
    const kept = window.localStorage.getItem(storageKey);
    if (kept && units[kept]) unit = kept;
  } catch (e) {
    // Storage may be switched off; the page then starts in m/s each time.
  }
  const listeners = [];
  // The parts of the page still to be drawn the first time; once none is left the page marks
  // itself rendered ("station-rendered" in the browser's performance timeline).
  const unrendered = new Set(["live", "history", "rose", "figures"]);

  function fixed(value, digits) {
    return typeof value === "number" && isFinite(value)
      ? value.toLocaleString(locale, { minimumFractionDigits: digits, maximumFractionDigits: digits })
      : "–";
  }

  // A speed in m/s in the chosen unit, as a number (null stays null).
  function speed(value) {
    return typeof value === "number" ? units[unit].convert(value) : null;
  }

  // Wall-clock seconds of a station time ("2026-12-07T11:45:03+01:00"): the time as the station's
  // clock read it, counted as if it were UTC, so periods can be reckoned without the browser's
  // own time zone.
  function wallSeconds(iso) {
    return Date.parse(iso.slice(0, 19) + "Z") / 1000;
  }
  // Back to the archive's parameter form, local to the station: "2026-12-07T11:45:03".
  function wallIso(seconds) {
    return new Date(seconds * 1000).toISOString().slice(0, 19);
  }

  // The station's clock: the page's, then the newest answer's that gave it.
  const served = document.body.dataset.now;
  let clock = { wall: wallSeconds(served || new Date().toISOString()), at: Date.now() };
  let clockKnown;
  const clockReady = new Promise((resolve) => (clockKnown = resolve));
  if (served) clockKnown();

  // The answer that came with the page, once, else a request for it.
  function firstOr(name, url) {
    const given = first[name];
    delete first[name];
    return given ? Promise.resolve(given) : getJson(url);
  }

  function getJson(url) {
    return fetch(url, { cache: "no-store" }).then((response) =>
      response.json().then((body) => {
        if (!response.ok) {
          const error = new Error(body.error || response.statusText);
          error.status = response.status;
          throw error;
        }
        return body;
      }),
    );
  }

  // A colour of the page's style sheet, for what is drawn on a canvas.
  function color(name) {
    return getComputedStyle(document.body).getPropertyValue(name).trim();
  }

  // A group of buttons of which one is chosen: marks it pressed and tells choose the value of
  // its data-KEY attribute.
  function choices(selector, key, choose) {
    const buttons = document.querySelectorAll(selector);
    for (const button of buttons) {
      button.addEventListener("click", () => {
        for (const other of buttons) other.setAttribute("aria-pressed", String(other === button));
        choose(button.dataset[key]);
      });
    }
  }

  // load once the station's clock is known, again every five minutes and after a lost
  // connection comes back.
  function keepLoaded(load) {
    document.addEventListener("station-reconnected", load);
    setInterval(load, 5 * 60 * 1000);
    clockReady.then(load);
  }

  // redraw once the window has stopped changing its size for a moment.
  function onResize(redraw) {
    let resizing = null;
    window.addEventListener("resize", () => {
      clearTimeout(resizing);
      resizing = setTimeout(redraw, 150);
    });
  }

  const select = document.getElementById("unit");
  select.value = unit;
  select.addEventListener("change", () => {
    unit = select.value;
    try {
      window.localStorage.setItem(storageKey, unit);
    } catch (e) {
      // Kept for this visit only.
    }
    for (const unitName of document.querySelectorAll(".speed-unit")) unitName.textContent = units[unit].name;
    for (const listener of listeners) listener();
  });
  for (const unitName of document.querySelectorAll(".speed-unit")) unitName.textContent = units[unit].name;

  return {
    texts,
    locale,
    get unit() {
      return unit;
    },
    unitName: () => units[unit].name,
    speed,
    // A speed in m/s written in the chosen unit, with the unit's usual digits.
    speedText: (value) => fixed(speed(value), units[unit].digits),
    speedDigits: () => units[unit].digits,
    fixed,
    beaufort,
    onUnitChange: (listener) => listeners.push(listener),
    getJson,
    firstOr,
    color,
    choices,
    keepLoaded,
    onResize,
    wallSeconds,
    wallIso,
    // Takes the station's time from an answer; the first call, with or without one, lets
    // whoever waits on clockReady ask for its periods.
    setClock: (iso) => {
      if (typeof iso === "string") clock = { wall: wallSeconds(iso), at: Date.now() };
      clockKnown();
    },
    clockReady,
    // Every script run: the page's own come first, so that their requests go out while the
    // chart library is still being read.
    scriptsRun: new Promise((resolve) => document.addEventListener("DOMContentLoaded", resolve)),
    rendered: (part) => {
      if (unrendered.delete(part) && unrendered.size === 0) performance.mark("station-rendered");
    },
    // The station's wall clock now, in seconds.
    now: () => clock.wall + (Date.now() - clock.at) / 1000,
  };
})();
