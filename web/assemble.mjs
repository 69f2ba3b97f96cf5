// Makes the one-file page: node assemble.mjs SOURCE_DIR ENGINE_JS OUTPUT_HTML.
// The style, the page's script and the worker's source (the engine, its
// WebAssembly in base64 inside it, and worker.js) go inline into page.html.
import { readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";

const [source, engine, output] = process.argv.slice(2);
const read = (name) => readFileSync(join(source, name), "utf8");

// Text inside a <script> element must not end it or open a comment there:
// "</script" and "<!--" are only written in strings, where "<\/" and "<\!"
// mean the same.
const inScript = (text) => text.replace(/<\/script/gi, "<\\/script").replace(/<!--/g, "<\\!--");

const parts = {
  "/*STYLE*/": read("page.css"),
  "/*WORKER*/": inScript([readFileSync(engine, "utf8"), read("zip.js"), read("worker.js")].join("\n")),
  "/*PAGE*/": inScript([read("zip.js"), read("page.js")].join("\n")),
};
let page = read("page.html");
for (const [marker, text] of Object.entries(parts)) {
  const at = page.indexOf(marker);
  if (at < 0) throw new Error(`page.html has no ${marker}`);
  page = page.slice(0, at) + text + page.slice(at + marker.length);
}
writeFileSync(output, page);
