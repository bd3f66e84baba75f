"use strict";
// The newest record, kept up to date from the server's event stream; the status line says when
// the stream is lost, and the page reconnects by itself.
(function () {
  const texts = Station.texts;
  const status = document.getElementById("status");
  const needle = document.getElementById("needle");
  let latest = null;
  let lostSince = null;

  function show(state, text) {
    status.className = "status " + state;
    status.textContent = text;
  }

  function render() {
    const current = latest || {};
    document.getElementById("wind_speed").textContent = Station.speedText(current.wind_speed);
    document.getElementById("wind_gust").textContent = Station.speedText(current.wind_gust);
    for (const name of ["temperature", "wind_chill"]) {
      document.getElementById(name).textContent = Station.fixed(current[name], 1);
    }
    document.getElementById("beaufort").textContent = Station.fixed(current.beaufort, 0);
    document.getElementById("wind_direction").textContent = current.wind_direction || "–";
    const degrees = current.wind_direction_deg;
    document.getElementById("wind_direction_deg").textContent =
      typeof degrees === "number" ? Station.fixed(degrees, 1) + "°" : "";
    needle.classList.toggle("unknown", typeof degrees !== "number");
    needle.style.transform = "rotate(" + (typeof degrees === "number" ? degrees : 0) + "deg)";
    const time = document.getElementById("last_report");
    if (current.last_report) {
      time.dateTime = current.last_report;
      time.textContent = new Date(current.last_report).toLocaleString(Station.locale);
    }
    const device = document.getElementById("device");
    if (typeof current.connected === "boolean") {
      device.textContent = current.connected ? texts.connected : texts.disconnected;
      device.className = "device " + (current.connected ? "good" : "bad");
    }
  }

  function take(current) {
    Station.setClock(current.now);
    latest = current;
    render();
    Station.rendered("live");
  }

  function load() {
    return Station.firstOr("current", "/api/current")
      .then(take)
      .catch(() => {
        Station.setClock(undefined);
        Station.rendered("live");
      });
  }

  function lost() {
    if (lostSince === null) lostSince = Date.now();
    show("lost", texts.lost);
  }

  function connect() {
    const events = new EventSource("/api/events");
    events.addEventListener("open", () => {
      show("live", texts.live);
      if (lostSince !== null) {
        // What came while the page was cut off: the newest values and the history.
        lostSince = null;
        load();
        document.dispatchEvent(new Event("station-reconnected"));
      }
    });
    events.addEventListener("error", () => {
      lost();
      // The browser retries by itself unless the server refused the stream (too many, say).
      if (events.readyState === EventSource.CLOSED) setTimeout(connect, 5000);
    });
    events.addEventListener("record", (event) => {
      show("live", texts.live);
      take(JSON.parse(event.data));
    });
  }

  Station.onUnitChange(render);
  load();
  connect();
})();
