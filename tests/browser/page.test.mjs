// The logger's page in Debian's headless Chromium, against the logger on the simulator with a
// year of history in its archive: live values, charts, rose, figures, units, a lost logger.
//
//   node --test page.test.mjs   with LOGGER, ARCHIVE_TOOL, CHROMIUM and SCREENSHOTS (a folder) set
import assert from "node:assert/strict";
import fs from "node:fs";
import path from "node:path";
import { after, before, test } from "node:test";
import puppeteer from "puppeteer-core";

import { chromiumArgs } from "./chromium_args.mjs";
import { StationLogger, waitFor } from "./station_logger.mjs";


let station;
let browser;
let page;
const errors = [];
const answers = new Map();  // the API's answers to the page, by path and query

before(async () => {
  station = new StationLogger({ logger: process.env.LOGGER, archiveTool: process.env.ARCHIVE_TOOL, historyDays: 400 });
  await station.start();
  browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    args: chromiumArgs.concat([`--user-data-dir=${path.join(station.folder, "chromium")}`]),
  });
  page = await browser.newPage();
  page.on("pageerror", (error) => errors.push(error.message));
  page.on("console", (message) => message.type() === "error" && errors.push(message.text()));
  page.on("response", async (response) => {
    const url = new URL(response.url());
    if (url.pathname.startsWith("/api/") && url.pathname !== "/api/events") {
      answers.set(url.pathname + url.search, await response.json().catch(() => null));
    }
  });
  await page.setExtraHTTPHeaders({ "Accept-Language": "cs" });
  await page.setViewport({ width: 1280, height: 900 });
  await page.goto(station.url, { waitUntil: "load" });
});

after(async () => {
  if (browser) await browser.close();
  if (station) {
    await station.stop();
    station.remove();
  }
});

const text = (selector) => page.$eval(selector, (element) => element.textContent);
const czech = (value, digits) => value.toLocaleString("cs-CZ", { minimumFractionDigits: digits, maximumFractionDigits: digits });

// The newest answer the page got from an API path.
function answerTo(pathname) {
  let found = null;
  for (const [key, value] of answers) if (key.startsWith(pathname)) found = value;
  return found;
}

test("the page shows the live log's newest row and follows new reports without a reload", { timeout: 60000 }, async () => {
  await waitFor("the page to go live", async () => (await text("#status")) !== "Připojuji…", 15);
  // The page may be one report behind the log for a moment; it must agree with the log's newest row.
  await waitFor(
    "the page to show the newest row",
    async () => {
      const before = station.logRows().at(-1);
      const shown = [await text("#wind_speed"), await text("#wind_gust"), await text("#temperature"), await text("#wind_direction")];
      const after = station.logRows().at(-1);
      if (before.join() !== after.join()) return false;
      const [, speed, gust, temperature, , , , , sector] = after;
      const expected = [czech(Number(speed), 1), czech(Number(gust), 1), czech(Number(temperature), 1), sector];
      return shown.join("|") === expected.join("|") || `${shown.join("|")} against ${expected.join("|")}`;
    },
    20,
  );
  const navigations = await page.evaluate(() => performance.getEntriesByType("navigation").length);
  const first = await page.$eval("#last_report", (time) => time.dateTime);
  await waitFor("a later report on the page", async () => (await page.$eval("#last_report", (time) => time.dateTime)) !== first, 15);
  assert.equal(await page.evaluate(() => performance.getEntriesByType("navigation").length), navigations);
  assert.equal(await text("#device"), "anemometr připojen");
  assert.match(await page.$eval("#needle", (needle) => needle.style.transform), /^rotate\(\d+(\.\d+)?deg\)$/);
});

// Pixels of a canvas near a colour: what a chart drew in its series' colour, not its grid.
async function pixelsOfColour(selector, colour) {
  return page.$eval(
    selector,
    (canvas, [r, g, b]) => {
      const data = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
      let count = 0;
      for (let i = 0; i < data.length; i += 4) {
        if (data[i + 3] > 200 && Math.abs(data[i] - r) < 40 && Math.abs(data[i + 1] - g) < 40 && Math.abs(data[i + 2] - b) < 40) ++count;
      }
      return count;
    },
    colour,
  );
}
const accent = [0x1f, 0x6f, 0xeb];

test("each range's charts draw the archive's points, with the bands where a point covers many records", { timeout: 90000 }, async () => {
  const expectedStep = { day: "minute", week: "hour", month: "hour", year: "day" };
  for (const range of ["year", "month", "week", "day"]) {
    answers.clear();
    await page.click(`[data-range="${range}"]`);
    const answer = await waitFor(`the ${range}'s history`, async () => answerTo("/api/history"), 15);
    assert.equal(answer.step, expectedStep[range]);
    for (const [chart, field] of [["speed", "mean_speed"], ["direction", "direction_deg"], ["temperature", "mean_temperature"]]) {
      const expected = answer.points.filter((point) => typeof point[field] === "number").length;
      await waitFor(`${range} ${chart} chart`, async () => Number(await page.$eval(`#chart-${chart}`, (c) => c.dataset.points)) === expected, 15);
    }
    if (range === "year") assert.ok(answer.points.length >= 360, `a year of history gives ${answer.points.length} days`);
    assert.ok((await pixelsOfColour("#chart-speed canvas", accent)) > 200, `${range}: the speed line is drawn`);
  }
  // A day of the year covers 144 records: its band spans their lowest to highest speed.
  answers.clear();
  await page.click('[data-range="year"]');
  const year = await waitFor("the year's history", async () => answerTo("/api/history"), 15);
  const day = year.points.find((point) => point.records >= 100);
  assert.ok(day.min_speed < day.mean_speed && day.mean_speed < day.max_speed);
});

test("the rose of each period draws the sectors the archive counted", { timeout: 60000 }, async () => {
  for (const period of ["year", "month", "week", "today"]) {
    answers.clear();
    await page.click(`[data-period="${period}"]`);
    const rose = await waitFor(`the ${period}'s rose`, async () => answerTo("/api/rose"), 15);
    const sectors = rose.sectors.filter((sector) => sector.count > 0).length;
    await waitFor(`${period}: ${sectors} petals`, async () => Number(await page.$eval("#rose", (c) => c.dataset.petals)) === sectors, 15);
    assert.equal(Number(await page.$eval("#rose", (c) => c.dataset.records)), rose.records);
    if (period === "year") assert.ok(rose.records > 300 * 144, `a year's rose counts ${rose.records} records`);
  }
});

// The simulator's reports can raise the all-time gust at any moment; the page shows the records
// it loaded with. Reloads until no report changed the gust while the page loaded: its value.
async function reloadWithSteadyGust() {
  const allTimeGust = async () =>
    (await station.json("/api/records")).periods.find((period) => period.period === "all").highest_gust.value;
  let gust;
  await waitFor(
    "a reload during which the all-time gust stayed",
    async () => {
      const before = await allTimeGust();
      await page.reload({ waitUntil: "load" });
      await waitFor("the records", async () => !["", "–"].includes(await text("#record-gust")), 10);
      gust = await allTimeGust();
      return gust === before;
    },
    40,
  );
  return gust;
}

test("the unit switch converts every speed on the page and is kept by the browser", { timeout: 90000 }, async () => {
  const units = [
    ["ms", (v) => czech(v, 1) + " m/s"],
    ["kmh", (v) => czech(v * 3.6, 1) + " km/h"],
    ["kn", (v) => czech((v * 3600) / 1852, 1) + " kn"],
    ["mph", (v) => czech((v * 3600) / 1609.344, 1) + " mph"],
    ["bft", (v) => czech([0.3, 1.6, 3.4, 5.5, 8.0, 10.8, 13.9, 17.2, 20.8, 24.5, 28.5, 32.7].filter((b) => v >= b).length, 0) + " Bft"],
  ];
  try {
    const gust = await reloadWithSteadyGust();
    for (const [unit, expected] of units) {
      await page.select("#unit", unit);
      await waitFor(`the all-time gust in ${unit}`, async () => (await text("#record-gust")).startsWith(expected(gust) + " · "), 10);
      assert.equal(await text(".speed-unit"), expected(0).split(" ")[1]);
    }
    await page.select("#unit", "kmh");
    const reloaded = await reloadWithSteadyGust();
    assert.equal(await page.$eval("#unit", (select) => select.value), "kmh");
    assert.ok((await text("#record-gust")).startsWith(units[1][1](reloaded) + " · "), await text("#record-gust"));
  } finally {
    // The next tests read the figures in m/s.
    await page.select("#unit", "ms");
  }
});

test("today's figures are the archive's", { timeout: 60000 }, async () => {
  // Each report changes today's figures: the page's must be those of the summary asked for
  // just before and just after it loaded, when no report came between.
  const today = (await station.current()).now.slice(0, 10);
  const summary = async () => (await station.json(`/api/summary/day?date=${today}`)).total;
  await waitFor(
    "today's figures as the archive has them",
    async () => {
      const before = await summary();
      await page.reload({ waitUntil: "load" });
      await waitFor("the figures", async () => (await text("#day-run")) !== "", 10);
      const shown = [await text("#day-gust"), await text("#day-direction"), await text("#day-run")];
      const total = await summary();
      if (JSON.stringify(before) !== JSON.stringify(total)) return false;
      const expected = [
        `${czech(total.high_gust, 1)} m/s · ${total.high_gust_time.slice(11, 16)} · ${total.high_gust_direction}`,
        `${total.dominant_direction} (${czech(total.dominant_direction_deg, 0)}°)`,
        czech(total.wind_run, 1) + " km",
      ];
      assert.deepEqual(shown, expected);
      return true;
    },
    40,
  );
});

test("pictures at a phone's and a desktop's width", { timeout: 60000 }, async () => {
  const folder = process.env.SCREENSHOTS;
  fs.mkdirSync(folder, { recursive: true });
  for (const [name, width, height, language] of [["desktop", 1280, 900, "cs"], ["phone", 390, 844, "en"]]) {
    await page.setExtraHTTPHeaders({ "Accept-Language": language });
    await page.setViewport({ width, height, deviceScaleFactor: name === "phone" ? 2 : 1 });
    await page.goto(station.url, { waitUntil: "load" });
    await waitFor("the charts", async () => Number(await page.$eval("#chart-speed", (c) => c.dataset.points || 0)) > 0, 15);
    // Nothing wider than the screen: a phone scrolls down, never sideways.
    assert.ok((await page.evaluate(() => document.documentElement.scrollWidth)) <= width, `${name}: no sideways scrolling`);
    await page.screenshot({ path: path.join(folder, `web-page-${name}.png`), fullPage: true });
  }
  await page.setExtraHTTPHeaders({ "Accept-Language": "cs" });
  await page.setExtraHTTPHeaders({ "Accept-Language": "cs" });
  await page.setViewport({ width: 1280, height: 900 });
  await page.goto(station.url, { waitUntil: "load" });
});

test("the page says when the logger stops and comes back by itself when it starts again", { timeout: 90000 }, async () => {
  await waitFor("live", async () => (await page.$eval("#status", (s) => s.className)) === "status live", 15);
  assert.deepEqual(errors, [], "nothing went wrong on the page before the logger stopped");
  await station.stop();
  await waitFor("the lost connection on the page", async () => (await page.$eval("#status", (s) => s.className)) === "status lost", 20);
  assert.equal(await text("#status"), "Spojení se ztratilo; připojuji znovu…");
  await station.start(station.port);
  await waitFor("the page live again", async () => (await page.$eval("#status", (s) => s.className)) === "status live", 30);
  const first = await page.$eval("#last_report", (time) => time.dateTime);
  await waitFor("new reports after the restart", async () => (await page.$eval("#last_report", (time) => time.dateTime)) !== first, 15);
  // The browser reports the cut stream and the refused reconnects; nothing else may fail.
  assert.deepEqual(errors.filter((error) => !error.startsWith("Failed to load resource: net::")), []);
});
