// How the tests and the benchmark start Debian's Chromium: headless, as root in a container (no
// sandbox), and without the background traffic that a closed network refuses.
export const chromiumArgs = [
  "--headless=new",
  "--no-sandbox",
  "--disable-gpu",
  "--disable-quic",
  "--no-first-run",
  "--disable-background-networking",
  "--disable-component-update",
  "--disable-sync",
];
