"use strict";
// Trend charts of the archive's summaries for the last 24 hours, 7 days, 30 days or a year, at
// the finest step that keeps a chart to some hundreds of points. Where a point covers many
// records, a band shows their lowest and highest values.
(function () {
  const texts = Station.texts;
  const ranges = {
    day: { seconds: 86400, step: "minute" },
    week: { seconds: 7 * 86400, step: "hour" },
    month: { seconds: 30 * 86400, step: "hour" },
    year: { seconds: 365 * 86400, step: "day" },
  };
  const stepSeconds = { minute: 60, hour: 3600, day: 86400 };
  const note = document.getElementById("history-note");
  let range = "day";
  let points = null;
  let step = "minute";
  const charts = {};

  // The spacing of the points beyond which the line breaks: more than a step, and more than twice
  // the usual spacing, for a station that reports less often than once a step.
  function gapSeconds(times) {
    const spacings = [];
    for (let i = 1; i < times.length; ++i) spacings.push(times[i] - times[i - 1]);
    spacings.sort((a, b) => a - b);
    const usual = spacings.length ? spacings[Math.floor(spacings.length / 2)] : 0;
    return Math.max(1.5 * stepSeconds[step], 2 * usual);
  }

  // Columns for uPlot: times in seconds, then one array per field; a missing stretch gets a null,
  // so lines break there instead of bridging it.
  function columns(fields, convert) {
    const out = [[]].concat(fields.map(() => []));
    const times = points.map((point) => Date.parse(point.time) / 1000);
    const gap = gapSeconds(times);
    let previous = null;
    points.forEach((point, index) => {
      const time = times[index];
      if (previous !== null && time - previous > gap) {
        out[0].push(previous + stepSeconds[step]);
        fields.forEach((field, i) => out[i + 1].push(null));
      }
      out[0].push(time);
      fields.forEach((field, i) => {
        const value = point[field];
        out[i + 1].push(typeof value === "number" ? convert(value) : null);
      });
      previous = time;
    });
    return out;
  }

  function timeText(seconds, increment) {
    const date = new Date(seconds * 1000);
    if (increment < 86400) {
      return date.toLocaleTimeString(Station.locale, { hour: "2-digit", minute: "2-digit" });
    }
    if (increment < 28 * 86400) {
      return date.toLocaleDateString(Station.locale, { day: "numeric", month: "numeric" });
    }
    return date.toLocaleDateString(Station.locale, { month: "short", year: "numeric" });
  }

  function axes(yValues, ySplits) {
    const stroke = Station.color("--ink");
    const grid = { stroke: Station.color("--grid"), width: 1 };
    return [
      {
        stroke,
        grid,
        ticks: grid,
        values: (u, splits, axis, space, increment) => splits.map((s) => timeText(s, increment)),
      },
      { stroke, grid, ticks: grid, size: 50, values: yValues, splits: ySplits },
    ];
  }

  function series(label, stroke, digits, extra) {
    return Object.assign(
      { label, stroke, width: 2, spanGaps: false, value: (u, v) => (v === null ? "–" : Station.fixed(v, digits)), points: { show: false } },
      extra || {},
    );
  }

  function timeSeries() {
    return {
      label: texts.time,
      value: (u, v) => (v === null ? "–" : new Date(v * 1000).toLocaleString(Station.locale, { dateStyle: "short", timeStyle: "short" })),
    };
  }

  function band(stroke) {
    return { stroke, width: 1, dash: [4, 4], points: { show: false } };
  }

  // What each chart draws: its fields, how a value is converted, its series and bands.
  function definitions() {
    const digits = Station.speedDigits();
    const speed = (v) => Station.speed(v);
    const accent = Station.color("--accent");
    const gust = Station.color("--gust");
    const warm = Station.color("--warm");
    const numbers = (d) => (u, splits) => splits.map((v) => Station.fixed(v, d));
    const compass = [texts.north, texts.east, texts.south, texts.west, texts.north];
    return {
      speed: {
        fields: ["mean_speed", "max_gust", "min_speed", "max_speed"],
        convert: speed,
        series: [
          series(texts.mean + " (" + Station.unitName() + ")", accent, digits),
          series(texts.gust, gust, digits),
          series(texts.lowest, accent, digits, band(accent)),
          series(texts.highest, accent, digits, band(accent)),
        ],
        bands: [{ series: [4, 3], fill: Station.color("--band") }],
        axes: axes(numbers(Station.unit === "bft" ? 0 : 1)),
        scale: { range: (u, min, max) => [0, Math.max(max * 1.1, Station.unit === "bft" ? 1 : 0.5)] },
      },
      direction: {
        fields: ["direction_deg"],
        convert: (v) => v,
        series: [
          series(texts.vector_direction + " (°)", accent, 0, {
            width: 0,
            paths: () => null,
            points: { show: true, size: 4, fill: accent, stroke: accent },
          }),
        ],
        bands: [],
        axes: axes(
          (u, splits) => splits.map((v) => compass[Math.round(v / 90)] || ""),
          () => [0, 90, 180, 270, 360],
        ),
        scale: { range: () => [0, 360] },
      },
      temperature: {
        fields: ["mean_temperature", "min_temperature", "max_temperature"],
        convert: (v) => v,
        series: [
          series(texts.mean + " (°C)", warm, 1),
          series(texts.lowest, warm, 1, band(warm)),
          series(texts.highest, warm, 1, band(warm)),
        ],
        bands: [{ series: [3, 2], fill: Station.color("--warm-band") }],
        axes: axes(numbers(1)),
        scale: {},
      },
    };
  }

  function draw() {
    const defined = definitions();
    for (const [name, chart] of Object.entries(defined)) {
      const target = document.getElementById("chart-" + name);
      if (charts[name]) charts[name].destroy();
      delete charts[name];
      target.dataset.points = "0";
      if (!points || points.length === 0) continue;
      const data = columns(chart.fields, chart.convert);
      const options = {
        width: Math.max(target.clientWidth, 200),
        height: 200,
        series: [timeSeries()].concat(chart.series),
        bands: chart.bands,
        axes: chart.axes,
        scales: { x: { time: true }, y: chart.scale },
        cursor: { drag: { x: false, y: false } },
      };
      charts[name] = new uPlot(options, data, target);
      // For whoever checks the page: the points drawn and the series they belong to.
      target.dataset.points = String(data[1].filter((v) => v !== null).length);
      target.dataset.series = String(chart.series.length);
    }
    Station.rendered("history");
  }

  function load() {
    const wanted = range;
    const chosen = ranges[wanted];
    const from = Station.wallIso(Station.now() - chosen.seconds);
    const url = "/api/history?from=" + from + "&step=" + chosen.step;
    const answer = wanted === "day" ? Station.firstOr("history", url) : Station.getJson(url);
    return Promise.all([answer, Station.scriptsRun])
      .then(([answer]) => {
        if (wanted !== range) return;
        points = answer.points;
        step = answer.step;
        note.hidden = points.length > 0;
        note.textContent = texts.no_data;
        draw();
      })
      .catch((error) => {
        if (wanted !== range) return;
        points = null;
        note.hidden = false;
        note.textContent = error.status === 503 ? texts.no_archive : error.message;
        draw();
      });
  }

  Station.choices("#history [data-range]", "range", (chosen) => {
    range = chosen;
    load();
  });
  Station.onResize(() => {
    for (const [name, chart] of Object.entries(charts)) {
      chart.setSize({ width: Math.max(document.getElementById("chart-" + name).clientWidth, 200), height: 200 });
    }
  });
  Station.onUnitChange(draw);
  Station.keepLoaded(load);
})();
