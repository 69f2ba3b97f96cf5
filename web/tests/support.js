// What the page's tests share: the examples with their options, the golden
// files, a PNG reader for the screenshots, and the browser with its network
// watch.
"use strict";

const fs = require("node:fs");
const path = require("node:path");
const zlib = require("node:zlib");

const examplesDir = process.env.G91TO90_EXAMPLES_DIR;
const goldenDir = process.env.G91TO90_GOLDEN_DIR;

// The page's options for an example, from NAME.options (the command line's
// options, one a line) and NAME.answers (the start typed at the prompts).
function exampleCase(name) {
  const base = path.join(examplesDir, name);
  const words = fs.existsSync(`${base}.options`)
    ? fs.readFileSync(`${base}.options`, "utf8").split("\n").filter((line) => line !== "")
    : [];
  const options = { start: {}, integers: "0", decimals: "0", decimalPoint: false, expandCalls: false };
  for (let i = 0; i < words.length; i++) {
    const word = words[i];
    if (word === "--integers") options.integers = { units: "1", increments: "2" }[words[++i]];
    else if (word === "--decimals") options.decimals = words[++i];
    else if (word === "--decimal-point") options.decimalPoint = true;
    else if (word === "--expand-calls") options.expandCalls = true;
    else if (word === "--start") {
      for (const axis of words[++i].split(/\s+/)) options.start[axis[0].toLowerCase()] = axis.slice(1);
    } else throw new Error(`${name}.options: ${word} has no place on the page`);
  }
  if (fs.existsSync(`${base}.answers`)) {
    const answers = fs.readFileSync(`${base}.answers`, "utf8").trim().split(/\s+/);
    ["x", "y", "z"].forEach((axis, i) => (options.start[axis] = answers[i]));
  }
  return { name, file: `${base}.nc`, options, golden: fs.readFileSync(path.join(goldenDir, `${name}.nc`)) };
}

function exampleNames() {
  return fs
    .readdirSync(examplesDir)
    .filter((file) => file.endsWith(".nc"))
    .map((file) => file.slice(0, -3))
    .sort();
}

// The pixels of an 8-bit RGB or RGBA PNG (what Chromium's screenshots are):
// {width, height, channels, data}.
function readPng(bytes) {
  const width = bytes.readUInt32BE(16);
  const height = bytes.readUInt32BE(20);
  const depth = bytes[24];
  const colour = bytes[25];
  if (depth !== 8 || (colour !== 2 && colour !== 6)) throw new Error("not an 8-bit RGB(A) PNG");
  const channels = colour === 6 ? 4 : 3;
  const idat = [];
  for (let at = 8; at < bytes.length; ) {
    const length = bytes.readUInt32BE(at);
    const type = bytes.toString("latin1", at + 4, at + 8);
    if (type === "IDAT") idat.push(bytes.subarray(at + 8, at + 8 + length));
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const data = Buffer.alloc(stride * height);
  for (let y = 0; y < height; y++) {
    const kind = raw[y * (stride + 1)];
    const row = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; x++) {
      const left = x >= channels ? data[y * stride + x - channels] : 0;
      const up = y > 0 ? data[(y - 1) * stride + x] : 0;
      const corner = x >= channels && y > 0 ? data[(y - 1) * stride + x - channels] : 0;
      let guess = 0;
      if (kind === 1) guess = left;
      else if (kind === 2) guess = up;
      else if (kind === 3) guess = (left + up) >> 1;
      else if (kind === 4) {
        const p = left + up - corner;
        const [a, b, c] = [Math.abs(p - left), Math.abs(p - up), Math.abs(p - corner)];
        guess = a <= b && a <= c ? left : b <= c ? up : corner;
      }
      data[y * stride + x] = (row[x] + guess) & 255;
    }
  }
  return { width, height, channels, data };
}

// How much a screenshot shows: the share of pixels unlike its commonest
// colour, and how many colours it has.
function pictureContent(png) {
  const counts = new Map();
  const pixels = png.width * png.height;
  for (let i = 0; i < pixels; i++) {
    const at = i * png.channels;
    const key = (png.data[at] << 16) | (png.data[at + 1] << 8) | png.data[at + 2];
    counts.set(key, (counts.get(key) || 0) + 1);
  }
  const commonest = Math.max(...counts.values());
  return { otherShare: 1 - commonest / pixels, colours: counts.size };
}

// Takes a screenshot into the artifacts folder and fails when it is blank.
async function screenshot(page, name) {
  const folder = process.env.G91TO90_ARTIFACTS;
  fs.mkdirSync(folder, { recursive: true });
  const file = path.join(folder, `${name}.png`);
  await page.screenshot({ path: file, fullPage: true });
  const content = pictureContent(readPng(fs.readFileSync(file)));
  if (content.otherShare < 0.02 || content.colours < 8) {
    throw new Error(`screenshot ${name} is blank: ${JSON.stringify(content)}`);
  }
  return file;
}

// The system's Chromium, headless, and a page of the given size whose every
// request is kept: only file:, data: and blob: ones may be made.
async function openPage({ width = 1366, height = 768 } = {}) {
  const { chromium } = require("playwright-core");
  const browser = await chromium.launch({ executablePath: process.env.G91TO90_CHROMIUM, headless: true });
  const context = await browser.newContext({ viewport: { width, height }, acceptDownloads: true });
  const requests = [];
  context.on("request", (request) => requests.push(request.url()));
  const page = await context.newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(String(error)));
  await page.goto(`file://${process.env.G91TO90_PAGE}`);
  const close = async () => {
    await browser.close();
    const away = requests.filter((url) => !/^(file|data|blob):/.test(url));
    if (requests.length === 0) throw new Error("no request was seen: the watch does not work");
    if (away.length > 0) throw new Error(`requests left the page: ${away.join(", ")}`);
    if (errors.length > 0) throw new Error(`the page threw: ${errors.join("; ")}`);
  };
  return { browser, page, close };
}

// Sets the page's options ({start: {x, y, z}, integers, decimals, decimalPoint, expandCalls}).
async function setOptions(page, options) {
  for (const axis of ["x", "y", "z"]) await page.fill(`#start-${axis}`, options.start[axis] || "");
  await page.check(`input[name="integers"][value="${options.integers}"]`);
  await page.selectOption("#decimals", options.decimals);
  await page.setChecked("#decimal-point", options.decimalPoint);
  await page.setChecked("#expand-calls", options.expandCalls);
}

// Clicks Convert and waits for the run to end; returns the status text.
async function convert(page, timeout = 30000) {
  await page.click("#convert");
  await page.waitForFunction(() => /^(Done|The conversion failed)/.test(document.getElementById("status").textContent), null, { timeout });
  return page.textContent("#status");
}

// The bytes a download link gives.
async function download(page, selector) {
  const [file] = await Promise.all([page.waitForEvent("download"), page.click(selector)]);
  return { name: file.suggestedFilename(), bytes: fs.readFileSync(await file.path()) };
}

module.exports = { exampleCase, exampleNames, readPng, pictureContent, screenshot, openPage, setOptions, convert, download };
