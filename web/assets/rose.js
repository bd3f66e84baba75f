"use strict";
// The wind rose of a chosen period from the archive's sector histograms: one petal per compass
// sector, its length the share of the period's records from that sector, calm left out.
(function () {
  const texts = Station.texts;
  const canvas = document.getElementById("rose");
  const note = document.getElementById("rose-note");
  const periods = { week: 7 * 86400, month: 30 * 86400, year: 365 * 86400 };
  let period = "today";
  let answer = null;

  function draw() {
    const size = Math.min(canvas.parentElement.clientWidth, 360);
    const ratio = window.devicePixelRatio || 1;
    canvas.style.width = size + "px";
    canvas.style.height = size + "px";
    canvas.width = Math.round(size * ratio);
    canvas.height = Math.round(size * ratio);
    const g = canvas.getContext("2d");
    g.setTransform(ratio, 0, 0, ratio, 0, 0);
    g.clearRect(0, 0, size, size);
    const centre = size / 2;
    const radius = centre - 22;
    const sectors = answer ? answer.sectors : [];
    const total = sectors.reduce((sum, s) => sum + s.count, 0);
    const largest = sectors.reduce((most, s) => Math.max(most, s.count), 0);

    g.strokeStyle = Station.color("--grid");
    g.fillStyle = Station.color("--ink");
    g.lineWidth = 1;
    g.font = "12px system-ui, sans-serif";
    g.textAlign = "center";
    g.textBaseline = "middle";
    for (let ring = 1; ring <= 4; ++ring) {
      g.beginPath();
      g.arc(centre, centre, (radius * ring) / 4, 0, 2 * Math.PI);
      g.stroke();
    }
    [texts.north, texts.east, texts.south, texts.west].forEach((name, i) => {
      const angle = (i * Math.PI) / 2;
      g.fillText(name, centre + Math.sin(angle) * (radius + 12), centre - Math.cos(angle) * (radius + 12));
    });

    let drawn = 0;
    g.fillStyle = Station.color("--band-strong");
    g.strokeStyle = Station.color("--accent");
    for (const sector of sectors) {
      if (sector.count === 0 || largest === 0) continue;
      const length = (radius * sector.count) / largest;
      // Sector 0 is north; angles clockwise, as on a compass.
      const middle = ((sector.direction_deg - 90) * Math.PI) / 180;
      const half = (Math.PI / 16) * 0.9;
      g.beginPath();
      g.moveTo(centre, centre);
      g.arc(centre, centre, length, middle - half, middle + half);
      g.closePath();
      g.fill();
      g.stroke();
      ++drawn;
    }
    if (largest > 0) {
      g.fillStyle = Station.color("--ink");
      g.textAlign = "left";
      g.fillText(Station.fixed((100 * largest) / total, 0) + " %", centre + 4, centre - radius + 8);
    }
    // For whoever checks the page: how many petals are drawn, from how many records.
    canvas.dataset.petals = String(drawn);
    canvas.dataset.records = String(answer ? answer.records : 0);
    Station.rendered("rose");

    if (!answer) return;
    if (answer.records === 0) {
      note.textContent = texts.no_data;
    } else {
      const calm = (100 * answer.calm) / answer.records;
      note.textContent =
        answer.records.toLocaleString(Station.locale) + " " + texts.records_count + ", " +
        texts.calm + " " + Station.fixed(calm, 1) + " %";
    }
  }

  function load() {
    const wanted = period;
    const now = Station.now();
    // Today from the station's midnight; the others as far back as they reach.
    const from = wanted === "today" ? Station.wallIso(now).slice(0, 10) : Station.wallIso(now - periods[wanted]);
    const url = "/api/rose?from=" + from;
    return (wanted === "today" ? Station.firstOr("rose", url) : Station.getJson(url))
      .then((rose) => {
        if (wanted !== period) return;
        answer = rose;
        draw();
      })
      .catch((error) => {
        if (wanted !== period) return;
        answer = null;
        draw();
        note.textContent = error.status === 503 ? texts.no_archive : error.message;
      });
  }

  Station.choices("#rose-panel [data-period]", "period", (chosen) => {
    period = chosen;
    load();
  });
  Station.onResize(draw);
  Station.keepLoaded(load);
})();
