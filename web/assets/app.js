"use strict";
// Shows the newest record and keeps it up to date from the server's event stream.
(function () {
  const body = document.body;
  const status = document.getElementById("status");
  const locale = body.dataset.lang === "en" ? "en-GB" : "cs-CZ";
  const fields = ["wind_speed", "wind_gust", "temperature", "wind_chill", "beaufort"];

  function show(state, text) {
    status.className = "status " + state;
    status.textContent = text;
  }

  function number(value) {
    return typeof value === "number"
      ? value.toLocaleString(locale, { minimumFractionDigits: 1, maximumFractionDigits: 1 })
      : "–";
  }

  function render(current) {
    for (const name of fields) document.getElementById(name).textContent = number(current[name]);
    document.getElementById("wind_direction").textContent = current.wind_direction || "–";
    document.getElementById("wind_direction_deg").textContent =
      typeof current.wind_direction_deg === "number" ? current.wind_direction_deg + "°" : "";
    const time = document.getElementById("last_report");
    if (current.last_report) {
      time.dateTime = current.last_report;
      time.textContent = new Date(current.last_report).toLocaleString(locale);
    }
  }

  fetch("/api/current", { cache: "no-store" })
    .then((response) => response.json())
    .then(render)
    .catch(() => {});

  const events = new EventSource("/api/events");
  events.addEventListener("open", () => show("live", body.dataset.live));
  events.addEventListener("error", () => show("lost", body.dataset.lost));
  events.addEventListener("record", (event) => {
    show("live", body.dataset.live);
    render(JSON.parse(event.data));
  });
})();
