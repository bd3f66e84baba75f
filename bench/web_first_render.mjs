// The logger's page against a blank page with uPlot alone, in Debian's headless Chromium, timed
// by the browser itself: from the start of navigation to the page's "station-rendered" mark (live
// values, charts, rose and figures drawn the first time), and to the blank page's load event.
// Both come from the same logger on the simulator, its archive holding a year of history;
// neither is cached. Prints the medians and their ratio.
//
//   node bench/web_first_render.mjs [runs]   default 20 of each, alternating
//   BUILD=build/dir (default build/release)
import { createRequire } from "node:module";
import path from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";

import { StationLogger } from "../tests/browser/station_logger.mjs";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "..");
const require = createRequire(path.join(root, "tests/browser/package.json"));
const puppeteer = (await import(pathToFileURL(require.resolve("puppeteer-core")).href)).default;
const { chromiumArgs } = await import("../tests/browser/chromium_args.mjs");

const runs = Number(process.argv[2] || 20);
const build = path.join(root, process.env.BUILD || "build/release");
process.env.TZ = process.env.TZ || "Europe/Prague";

const station = new StationLogger({
  logger: path.join(build, "app/kelvra-anemometer-logger"),
  archiveTool: path.join(build, "app/kelvra-anemometer-archive"),
  historyDays: 400,
});
await station.start();
const browser = await puppeteer.launch({
  executablePath: "/usr/bin/chromium",
  args: chromiumArgs.concat([`--user-data-dir=${path.join(station.folder, "chromium")}`]),
});

const blankUrl = station.url + "/blank-with-uplot";
const blankPage = `<!DOCTYPE html><html><head><meta charset="utf-8"><link rel="stylesheet" href="/uPlot.min.css">
<script src="/uPlot.iife.min.js"></script></head><body></body></html>`;

async function timePage(page, url, blank) {
  // A tab in the background gets no frames and slow timers: the timed one is in front.
  await page.bringToFront();
  await page.goto(url, { waitUntil: "load" });
  if (blank) return page.evaluate(() => performance.getEntriesByType("navigation")[0].loadEventEnd);
  await page.waitForFunction(() => performance.getEntriesByName("station-rendered").length > 0, {
    timeout: 30000,
    polling: 50,
  });
  return page.evaluate(() => performance.getEntriesByName("station-rendered")[0].startTime);
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

try {
  const ours = await browser.newPage();
  const blank = await browser.newPage();
  for (const page of [ours, blank]) {
    await page.setViewport({ width: 1280, height: 900 });
    await page.setCacheEnabled(false);
  }
  // Only the blank page's own document comes from here; its uPlot comes from the logger.
  await blank.setRequestInterception(true);
  blank.on("request", (request) =>
    request.url() === blankUrl
      ? request.respond({ status: 200, contentType: "text/html; charset=utf-8", body: blankPage })
      : request.continue(),
  );
  // One of each warms the browser and the logger's archive cache; they are not counted.
  await timePage(ours, station.url, false);
  await timePage(blank, blankUrl, true);
  const times = { ours: [], blank: [] };
  for (let run = 0; run < runs; ++run) {
    times.ours.push(await timePage(ours, station.url, false));
    times.blank.push(await timePage(blank, blankUrl, true));
  }
  const [page, baseline] = [median(times.ours), median(times.blank)];
  console.log(`${runs} runs each, alternating, Chromium headless`);
  console.log(`logger's page, rendered     median ${page.toFixed(1)} ms`);
  console.log(`blank page with uPlot, load median ${baseline.toFixed(1)} ms`);
  console.log(`ratio page / blank: ${(page / baseline).toFixed(2)}`);
} finally {
  await browser.close();
  await station.stop();
  station.remove();
}
