// The page in headless Chromium, from file://: node page_test.js SCENARIO.
// Every scenario fails when a request leaves the page, when the page throws,
// or when one of its screenshots (kept in G91TO90_ARTIFACTS) is blank.
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const { execFileSync } = require("node:child_process");
const t = require("./support.js");

const scratch = fs.mkdtempSync(path.join(os.tmpdir(), "g91to90-page-"));
const put = (name, text) => {
  const file = path.join(scratch, name);
  fs.writeFileSync(file, text);
  return file;
};
const plain = { start: {}, integers: "0", decimals: "0", decimalPoint: false, expandCalls: false };

const scenarios = {
  // Each example converts to its golden file, under the options it is
  // converted with on the command line.
  async examples({ page }) {
    for (const name of t.exampleNames()) {
      const example = t.exampleCase(name);
      if (await page.isEnabled("#clear")) await page.click("#clear");
      await page.setInputFiles("#files", example.file);
      await t.setOptions(page, example.options);
      assert.equal(await t.convert(page), "Done: 1 converted.", name);
      const got = await t.download(page, "#result-0 a.download");
      assert.equal(got.name, `${name}-abs.nc`);
      assert.ok(got.bytes.equals(example.golden), `${name}: the download differs from its golden file`);
      await t.screenshot(page, `example-${name}`);
    }
  },

  // Several programs: one zip (checked by Python's zipfile, CRCs included)
  // of their outputs; a called file opened beside its caller is found.
  async zip({ page }) {
    const names = ["drilling", "pocket"];
    await page.setInputFiles("#files", names.map((name) => t.exampleCase(name).file));
    assert.equal(await t.convert(page), "Done: 2 converted.");
    const zip = await t.download(page, "#downloads a.download");
    assert.equal(zip.name, "g91to90-abs.zip");
    const zipFile = put("out.zip", zip.bytes);
    const unpacked = path.join(scratch, "unzipped");
    execFileSync("python3", ["-m", "zipfile", "-e", zipFile, unpacked]);
    assert.deepEqual(fs.readdirSync(unpacked).sort(), ["drilling-abs.nc", "pocket-abs.nc"]);
    for (const name of names) {
      const bytes = fs.readFileSync(path.join(unpacked, `${name}-abs.nc`));
      assert.ok(bytes.equals(t.exampleCase(name).golden), `${name} in the zip`);
    }
    execFileSync("python3", ["-c", "import sys, zipfile; sys.exit(zipfile.ZipFile(sys.argv[1]).testzip() is not None)", zipFile]);
    await t.screenshot(page, "zip");

    await page.click("#clear");
    const caller = put("1315.eia", "G92 X0 Y0 Z0\nM98 P8160\nM30\n");
    const called = put("8160.EIA", "%\nO8160\nG91 G1 X1.\nM99\n%\n");
    await page.setInputFiles("#files", [caller, called]);
    await page.uncheck("#convert-1");
    await t.setOptions(page, { ...plain, expandCalls: true });
    assert.equal(await t.convert(page), "Done: 1 converted.");
    const expanded = await t.download(page, "#result-0 a.download");
    assert.equal(expanded.name, "1315-abs.eia");
    assert.equal(expanded.bytes.toString("latin1"), "G92 X0 Y0 Z0\r\n(CALL O8160 1/1)\r\nG90 G1 X1.\r\nM30\r\n");
  },

  // A program that cannot be converted: its message, the lines around the
  // line it names with that line marked, and nothing to download.
  async stop({ page }) {
    const lines = ["%", "O0001", "G21 G17", "G92 X0 Y0 Z10.", "G91 G0 X5. Y5.", "G81 X1. Y1. Z-2. R1. F100", "G80", "M30", "%"];
    await page.setInputFiles("#files", put("cycle.nc", lines.join("\n") + "\n"));
    assert.equal(await t.convert(page), "Done: 1 stopped.");
    const message = await page.textContent("#result-0 .message");
    assert.match(message, /\b6\b/, "the message names line 6");
    const marked = await page.$$eval("#result-0 .context li.named", (items) =>
      items.map((item) => [item.querySelector(".number").textContent, item.querySelector(".text").textContent])
    );
    assert.deepEqual(marked, [["6", lines[5]]]);
    const shown = await page.$$eval("#result-0 .context .number", (items) => items.map((item) => item.textContent));
    assert.deepEqual(shown, ["3", "4", "5", "6", "7", "8", "9"]);
    assert.equal(await page.$("#result-0 a.download"), null);
    await t.screenshot(page, "stop");

    // A stop in a called file shows that file's lines.
    await page.click("#clear");
    const caller = put("main.nc", "G92 X0 Y0 Z10.\nM98 P200\nM30\n");
    const called = put("O200.nc", "O200\nG91 G0 X5. Y5.\nG81 X1. Y1. Z-2. R1. F100\nG80\nM99\n");
    await page.setInputFiles("#files", [caller, called]);
    await page.uncheck("#convert-1");
    await t.setOptions(page, { ...plain, expandCalls: true });
    assert.equal(await t.convert(page), "Done: 1 stopped.");
    assert.match(await page.textContent("#result-0 .context ol"), /G81 X1\. Y1\./);
    assert.equal(await page.textContent("#result-0 .context li.named .text"), "G81 X1. Y1. Z-2. R1. F100");
    assert.match(await page.getAttribute("#result-0 .context ol", "aria-label"), /O200\.nc/i);
  },

  // The picture draws one path per move, and zooms.
  async picture({ page }) {
    const moves = ["G92 X0 Y0 Z0", "G91 G1 F500"];
    for (let i = 0; i < 20; i++) moves.push(i % 2 ? "X10. Y-2." : "X-4. Y6.");
    moves.push("G2 X10. Y0 I5. J0", "G3 X-10. Y0 I-5. J0", "G0 X3. Y3.", "M30");
    // Dropped on the page rather than opened.
    const dropped = await page.evaluateHandle((text) => {
      const transfer = new DataTransfer();
      transfer.items.add(new File([text], "moves.nc"));
      return transfer;
    }, moves.join("\n") + "\n");
    await page.dispatchEvent("#drop", "drop", { dataTransfer: dropped });
    assert.equal(await page.textContent("#file-list label"), "Convert moves.nc");
    assert.equal(await t.convert(page), "Done: 1 converted.");
    // The picture is an image of the program's SVG: its paths, one a move.
    const drawn = await page.$eval("#result-0 .preview img", async (img) => (await fetch(img.src)).text());
    assert.equal((drawn.match(/<path /g) || []).length, 23);
    assert.ok(await page.$eval("#result-0 .preview img", (img) => img.complete && img.naturalWidth > 0), "the picture is drawn");
    const width = () => page.$eval("#result-0 .preview img", (img) => Number(img.getAttribute("width")));
    const fitted = await width();
    await page.focus("#result-0 .preview");
    await page.keyboard.press("+");
    assert.ok((await width()) > fitted, "+ zooms in");
    await page.click("#result-0 button[aria-label='Fit the picture']");
    assert.equal(await width(), fitted);
    await t.screenshot(page, "picture");
  },

  // A 100 MB program converts in the worker: the progress bar moves, the
  // page takes clicks meanwhile, and the output is the small program's
  // output continued.
  async big({ page }) {
    const head = "G92 X0 Y0 Z0\nG91 G1 F900\n";
    const pair = "X1.25 Y-0.5\nX-1.25 Y0.5\n";
    const bigFile = path.join(scratch, "big.nc");
    const out = fs.openSync(bigFile, "w");
    fs.writeSync(out, head);
    const block = pair.repeat(1 << 16);
    for (let size = head.length; size < 100e6; size += block.length) fs.writeSync(out, block);
    fs.writeSync(out, "M30\n");
    fs.closeSync(out);
    const small = put("small.nc", head + pair.repeat(100) + "M30\n");
    await page.setInputFiles("#files", small);
    assert.equal(await t.convert(page), "Done: 1 converted.");
    const smallOut = (await t.download(page, "#result-0 a.download")).bytes.toString("latin1");

    await page.click("#clear");
    await page.setInputFiles("#files", bigFile);
    // Cancel ends a run: no result, and Convert may be clicked again.
    await page.click("#convert");
    await page.waitForFunction(() => document.getElementById("progress").value > 0);
    await page.click("#cancel");
    assert.equal(await page.textContent("#status"), "Cancelled.");
    assert.equal(await page.locator("#results .result").count(), 0);
    assert.ok(await page.isEnabled("#convert"));

    await page.click("#convert");
    const seen = new Set();
    let clicked = false;
    while (!/^Done/.test(await page.textContent("#status"))) {
      const value = await page.$eval("#progress", (bar) => bar.value);
      if (value > 0 && value < 1) {
        seen.add(value);
        if (!clicked && seen.size >= 2) {
          await page.click("#decimal-point");
          assert.ok(await page.isChecked("#decimal-point"), "the click is taken while converting");
          const during = await page.$eval("#progress", (bar) => bar.value);
          assert.ok(during < 1, "the click was answered before the end");
          clicked = true;
          await t.screenshot(page, "big-converting");
        }
      }
      await page.waitForTimeout(100);
    }
    assert.ok(seen.size >= 3, `the progress bar moved: ${[...seen].join(", ")}`);
    assert.ok(clicked, "a click was made while converting");
    assert.equal(await page.textContent("#status"), "Done: 1 converted.");
    const bigOut = await t.download(page, "#result-0 a.download");
    const end = smallOut.lastIndexOf("M30");
    assert.equal(bigOut.bytes.subarray(0, end).toString("latin1"), smallOut.slice(0, end));
    assert.equal(bigOut.bytes.subarray(bigOut.bytes.length - (smallOut.length - end)).toString("latin1"), smallOut.slice(end));
    assert.ok(bigOut.bytes.length > 100e6);
    assert.match(await page.textContent("#result-0 .drawn-note"), /first 50000 moves/);
    await t.screenshot(page, "big-done");
  },

  // Every control is labelled; the page is converted and downloaded from
  // the keyboard; it fits 1366x768 and a tablet without sideways scrolling.
  async keyboard({ page }) {
    const unlabelled = await page.$$eval("input, select, button, a", (controls) =>
      controls
        .filter((c) => !(c.labels && c.labels.length) && !c.getAttribute("aria-label") && !c.textContent.trim())
        .map((c) => c.outerHTML)
    );
    assert.deepEqual(unlabelled, []);
    await page.setInputFiles("#files", t.exampleCase("pocket").file);
    for (let i = 0; i < 40 && (await page.evaluate(() => document.activeElement.id)) !== "convert"; i++) {
      await page.keyboard.press("Tab");
    }
    assert.equal(await page.evaluate(() => document.activeElement.id), "convert");
    await page.keyboard.press("Enter");
    await page.waitForFunction(() => /^Done/.test(document.getElementById("status").textContent));
    for (let i = 0; i < 10 && !(await page.evaluate(() => document.activeElement.matches("a.download"))); i++) {
      await page.keyboard.press("Tab");
    }
    const [file] = await Promise.all([page.waitForEvent("download"), page.keyboard.press("Enter")]);
    assert.ok(fs.readFileSync(await file.path()).equals(t.exampleCase("pocket").golden));
    const fits = () => page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth);
    assert.ok(await fits(), "no sideways scrolling at 1366x768");
    await t.screenshot(page, "desktop-1366x768");
    await page.setViewportSize({ width: 768, height: 1024 });
    assert.ok(await fits(), "no sideways scrolling on a tablet");
    await t.screenshot(page, "tablet-768x1024");
  },
};

async function main() {
  const name = process.argv[2];
  if (!scenarios[name]) throw new Error(`no scenario ${name}: ${Object.keys(scenarios).join(", ")}`);
  const session = await t.openPage();
  try {
    await t.screenshot(session.page, "opened");
    await scenarios[name](session);
  } finally {
    await session.close();
    fs.rmSync(scratch, { recursive: true, force: true });
  }
}

main().then(
  () => console.log("passed"),
  (error) => {
    console.error(error);
    process.exit(1);
  }
);
