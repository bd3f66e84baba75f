// A station's history as the program's own CSV file: one record every ten minutes for a number
// of days up to a given time, with a daily swing of wind and temperature and a wind that mostly
// comes from the south-west, so that charts, bands and the rose have something to show.
const sectors = ["N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE", "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"];
const beaufortBounds = [0.0, 0.3, 1.6, 3.4, 5.5, 8.0, 10.8, 13.9, 17.2, 20.8, 24.5, 28.5, 32.7];

function beaufort(speed) {
  let number = 0;
  for (let band = 1; band < beaufortBounds.length; ++band) if (speed >= beaufortBounds[band]) number = band;
  return number;
}

function pad(text, width) {
  return String(text).padStart(width, " ");
}

// The row's time in the program's form, "7.12 2026 23:18:44", local to this process's TZ.
function timeText(date) {
  const two = (n) => String(n).padStart(2, "0");
  return `${date.getDate()}.${date.getMonth() + 1} ${date.getFullYear()} ${two(date.getHours())}:${two(date.getMinutes())}:${two(date.getSeconds())}`;
}

export function historyCsv(days, end) {
  const step = 600;
  const lines = [
    '"Datum a cas","Rychlost vetru prumer [m/s]","Naraz vetru [m/s]","Teplota [\xB0C]","Wind chill prumer [\xB0C]","Wind chill naraz [\xB0C]","Beaufort prumer [-]","Beaufort naraz [-]","Smer vetru [-]"',
  ];
  const last = Math.floor(end.getTime() / 1000 / step) * step;
  let seed = 12345;
  const random = () => ((seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648);
  for (let t = last - days * 86400; t <= last; t += step) {
    const date = new Date(t * 1000);
    const hour = date.getHours() + date.getMinutes() / 60;
    const dayOfYear = (t / 86400) % 365.25;
    const speed = Math.max(0, 3 + 2.5 * Math.sin(((hour - 9) * Math.PI) / 12) + 3 * random());
    const gust = speed * (1.3 + 0.4 * random());
    const temperature = 8 - 10 * Math.cos((2 * Math.PI * (dayOfYear - 15)) / 365.25) + 4 * Math.sin(((hour - 9) * Math.PI) / 12);
    const sector = speed < 0.3 ? 16 : (10 + Math.round(4 * (random() - 0.5) + 2 * (random() - 0.5))) & 15;
    const values = [speed, gust, temperature, temperature, temperature, beaufort(speed), beaufort(gust)];
    lines.push(
      pad(timeText(date), 20) + values.map((v) => "," + pad(v.toFixed(6), 10)).join("") + "," + pad(sector < 16 ? sectors[sector] : "--", 10),
    );
  }
  return Buffer.from(lines.join("\r\n") + "\r\n", "latin1");
}
