// The logger as the browser tests need it: a station archive filled with history by the archive
// tool, then the logger on the simulator serving the page on a free loopback port.
import { execFileSync, spawn } from "node:child_process";
import fs from "node:fs";
import net from "node:net";
import os from "node:os";
import path from "node:path";

import { historyCsv } from "./station_history.mjs";

export function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.on("error", reject);
    server.listen(0, "127.0.0.1", () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

export async function waitFor(what, check, seconds) {
  const end = Date.now() + seconds * 1000;
  let last;
  while (Date.now() < end) {
    try {
      last = await check();
      if (last) return last;
    } catch (error) {
      last = error;
    }
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  throw new Error(`waited ${seconds} s for ${what}; last: ${last}`);
}

export class StationLogger {
  constructor({ logger, archiveTool, historyDays }) {
    this.program = logger;
    this.folder = fs.mkdtempSync(path.join(os.tmpdir(), "kelvra-browser-"));
    this.archive = path.join(this.folder, "archive.sqlite");
    this.log = path.join(this.folder, "wind-%Y.csv");
    const csv = path.join(this.folder, "history.csv");
    // History up to a few minutes ago; the simulator's records follow it.
    fs.writeFileSync(csv, historyCsv(historyDays, new Date(Date.now() - 300 * 1000)));
    execFileSync(archiveTool, ["--archive", this.archive, "import", csv], { timeout: 120000 });
  }

  async start(port) {
    this.port = port || this.port || (await freePort());
    this.url = `http://127.0.0.1:${this.port}`;
    this.output = "";
    this.child = spawn(
      this.program,
      ["--simulate", "--interval", "2", "--http", String(this.port), "--archive", this.archive, "--log", this.log],
      { stdio: ["ignore", "pipe", "pipe"] },
    );
    for (const stream of [this.child.stdout, this.child.stderr]) stream.on("data", (data) => (this.output += data));
    this.exited = new Promise((resolve) => this.child.on("exit", resolve));
    await waitFor(`the logger at ${this.url} (${this.output})`, async () => (await this.current()).records > 0, 30);
  }

  async current() {
    const response = await fetch(`${this.url}/api/current`);
    return response.json();
  }

  async json(pathAndQuery) {
    const response = await fetch(this.url + pathAndQuery);
    return response.json();
  }

  // The live log's rows, split into cells.
  logRows() {
    const file = this.log.replace("%Y", String(new Date().getFullYear()));
    return fs
      .readFileSync(file, "latin1")
      .split("\r\n")
      .slice(1)
      .filter((line) => line.length > 0)
      .map((line) => line.split(",").map((cell) => cell.trim()));
  }

  async stop() {
    if (!this.child || this.child.exitCode !== null) return;
    this.child.kill("SIGTERM");
    const timer = setTimeout(() => this.child.kill("SIGKILL"), 20000);
    await this.exited;
    clearTimeout(timer);
  }

  remove() {
    fs.rmSync(this.folder, { recursive: true, force: true });
  }
}
