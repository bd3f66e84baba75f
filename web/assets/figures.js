"use strict";
// Today's and this month's figures from the archive's climate summaries, and the station's
// all-time records.
(function () {
  const texts = Station.texts;
  let day = null;
  let month = null;
  let records = null;

  function set(id, text) {
    document.getElementById(id).textContent = text;
  }

  // "2026-12-07T14:05:00", a station time without offset, as the station's clock showed it.
  function clockText(local) {
    return typeof local === "string" && local.length >= 16 ? local.slice(11, 16) : "";
  }
  function dateText(local) {
    if (typeof local !== "string" || local.length < 10) return "";
    const [y, m, d] = local.slice(0, 10).split("-").map(Number);
    return new Date(Date.UTC(y, m - 1, d)).toLocaleDateString(Station.locale, { timeZone: "UTC" });
  }

  function speedWithUnit(value) {
    return typeof value === "number" ? Station.speedText(value) + " " + Station.unitName() : "–";
  }

  function summaryCells(prefix, total, withDate) {
    if (!total || !total.records) {
      for (const name of ["mean", "gust", "run", "direction"]) set(prefix + "-" + name, "–");
      return;
    }
    set(prefix + "-mean", speedWithUnit(total.mean_speed));
    const when = (withDate ? dateText(total.high_gust_time) + " " : "") + clockText(total.high_gust_time);
    set(
      prefix + "-gust",
      speedWithUnit(total.high_gust) + " · " + when + (total.high_gust_direction ? " · " + total.high_gust_direction : ""),
    );
    set(prefix + "-run", Station.fixed(total.wind_run, 1) + " km");
    set(
      prefix + "-direction",
      total.dominant_direction
        ? total.dominant_direction + " (" + Station.fixed(total.dominant_direction_deg, 0) + "°)"
        : "–",
    );
  }

  function recordCell(id, record, text) {
    set(id, record ? text(record) : "–");
  }

  function render() {
    summaryCells("day", day && day.total, false);
    summaryCells("month", month && month.total, true);
    const all = records && records.periods.find((p) => p.period === "all");
    const at = (r) => dateText(r.date) + (r.time ? " " + clockText(r.time) : "");
    recordCell("record-gust", all && all.highest_gust, (r) => speedWithUnit(r.value) + " · " + at(r));
    recordCell("record-mean", all && all.highest_daily_mean_speed, (r) => speedWithUnit(r.value) + " · " + at(r));
    recordCell("record-run", all && all.greatest_daily_wind_run, (r) => Station.fixed(r.value, 1) + " km · " + at(r));
    recordCell("record-temperature", all && all.lowest_temperature, (r) => Station.fixed(r.value, 1) + " °C · " + at(r));
    recordCell("record-chill", all && all.lowest_wind_chill, (r) => Station.fixed(r.value, 1) + " °C · " + at(r));
    Station.rendered("figures");
  }

  function load() {
    const today = Station.wallIso(Station.now()).slice(0, 10);
    const quietly = (promise, take) => promise.then(take).catch(() => take(null));
    return Promise.all([
      quietly(Station.firstOr("day", "/api/summary/day?date=" + today), (a) => (day = a)),
      quietly(Station.firstOr("month", "/api/summary/month?month=" + today.slice(0, 7)), (a) => (month = a)),
      quietly(Station.firstOr("records", "/api/records"), (a) => (records = a)),
    ]).then(render);
  }

  Station.onUnitChange(render);
  Station.keepLoaded(load);
})();
