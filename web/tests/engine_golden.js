// The WebAssembly build under Node, through the page's own entry
// (g91to90_page_convert): every example gives its golden file, read in the
// pieces the library asks for and in pieces of a few bytes.
"use strict";

const assert = require("node:assert/strict");
const fs = require("node:fs");
const path = require("node:path");
const t = require("./support.js");

// Converts `bytes` as the worker does, the input handed over at most
// `most` bytes a call; resolves to {output, result}.
function convert(engine, name, bytes, options, most) {
  let at = 0;
  const output = [];
  let result = null;
  engine.pageRead = (buffer, wanted) => {
    const count = Math.min(wanted, most, bytes.length - at);
    engine.HEAPU8.set(bytes.subarray(at, at + count), buffer);
    at += count;
    return count;
  };
  engine.pageWrite = (pointer, count) => {
    output.push(Buffer.from(engine.HEAPU8.subarray(pointer, pointer + count)));
    return true;
  };
  const beside = (pointer) => {
    const wanted = engine.UTF8ToString(pointer).toLowerCase();
    const found = fs.readdirSync(process.env.G91TO90_EXAMPLES_DIR).find((file) => file.toLowerCase() === wanted);
    return found ? fs.readFileSync(path.join(process.env.G91TO90_EXAMPLES_DIR, found)) : null;
  };
  engine.pageFileSize = (pointer) => {
    const file = beside(pointer);
    return file ? file.length : -1;
  };
  engine.pageFileRead = (pointer, buffer) => engine.HEAPU8.set(beside(pointer), buffer);
  engine.pageDone = (done) => (result = done);
  const start = Object.entries(options.start)
    .map(([axis, value]) => `${axis.toUpperCase()}${value}`)
    .join(" ");
  engine.ccall(
    "g91to90_page_convert",
    null,
    ["string", "number", "number", "number", "number", "string", "string", "number"],
    [start, Number(options.decimals), options.decimalPoint ? 1 : 0, Number(options.integers), options.expandCalls ? 1 : 0, ".nc", name, 0]
  );
  return { output: Buffer.concat(output), result };
}

async function main() {
  const createEngine = require(process.env.G91TO90_ENGINE_JS);
  const engine = await createEngine();
  const names = t.exampleNames();
  assert.ok(names.length > 0, "examples found");
  for (const name of names) {
    const example = t.exampleCase(name);
    const bytes = fs.readFileSync(example.file);
    for (const most of [Infinity, 5]) {
      const { output, result } = convert(engine, `${name}.nc`, bytes, example.options, most);
      assert.equal(result.stopped, false, `${name}: ${result.message}`);
      assert.ok(output.equals(example.golden), `${name}, read ${most} bytes at a time: differs from its golden file`);
    }
    console.log(`${name}: same bytes as its golden file`);
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
