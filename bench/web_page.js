// The web page on one program in headless Chromium: node web_page.js PAGE
// PROGRAM. Prints the seconds from the click on Convert to the end, the
// peak JavaScript heap of the page (CDP Performance.getMetrics, sampled every
// 100 ms) and the peak resident memory of all the browser's processes.
// playwright-core comes from NODE_PATH (the web build's node_modules).
"use strict";

const fs = require("node:fs");
const { chromium } = require("playwright-core");

// The resident kilobytes of `pid` and every process below it.
function treeResidentKb(pid) {
  const children = new Map();
  for (const entry of fs.readdirSync("/proc")) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, "utf8");
      const parent = Number(stat.slice(stat.lastIndexOf(")") + 2).split(" ")[1]);
      if (!children.has(parent)) children.set(parent, []);
      children.get(parent).push(Number(entry));
    } catch {
      // the process ended meanwhile
    }
  }
  let total = 0;
  const pending = [pid];
  while (pending.length > 0) {
    const next = pending.pop();
    try {
      const match = /VmRSS:\s+(\d+)/.exec(fs.readFileSync(`/proc/${next}/status`, "utf8"));
      total += match ? Number(match[1]) : 0;
    } catch {
      // the process ended meanwhile
    }
    pending.push(...(children.get(next) || []));
  }
  return total;
}

async function main() {
  const [page, program] = process.argv.slice(2);
  const server = await chromium.launchServer({
    executablePath: process.env.G91TO90_CHROMIUM || "/usr/bin/chromium",
    headless: true,
  });
  const browser = await chromium.connect(server.wsEndpoint());
  const context = await browser.newContext({ acceptDownloads: true });
  const tab = await context.newPage();
  await tab.goto(`file://${page}`);
  const cdp = await context.newCDPSession(tab);
  await cdp.send("Performance.enable");
  await tab.setInputFiles("#files", program);

  let peakHeap = 0;
  let peakResident = 0;
  const sample = async () => {
    const { metrics } = await cdp.send("Performance.getMetrics");
    const heap = metrics.find((metric) => metric.name === "JSHeapUsedSize");
    peakHeap = Math.max(peakHeap, heap ? heap.value : 0);
    peakResident = Math.max(peakResident, treeResidentKb(server.process().pid));
  };
  const before = treeResidentKb(server.process().pid);
  const begun = Date.now();
  await tab.click("#convert");
  while (!/^(Done|The conversion failed)/.test(await tab.textContent("#status"))) {
    await sample();
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  // The page's own figure, from the click to its results; the polling's
  // otherwise (a run that failed).
  const measured = await tab.getAttribute("#status", "data-seconds");
  const seconds = measured !== null ? Number(measured) : (Date.now() - begun) / 1000;
  await sample();
  const status = await tab.textContent("#status");
  await browser.close();
  await server.close();
  const mib = (bytes) => (bytes / 1048576).toFixed(1);
  console.log(
    `${seconds.toFixed(2)} s  page heap peak ${mib(peakHeap)} MiB  browser resident ${mib(before * 1024)} MiB before, peak ${mib(peakResident * 1024)} MiB  (${status})`
  );
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
