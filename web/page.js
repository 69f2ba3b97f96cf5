// The page: files opened or dropped, the options, a worker per conversion
// (its source is in this file, started from a Blob URL), progress, downloads,
// stops with the lines around them, the check report and the zoomable
// picture.
"use strict";

// The most moves a picture draws: beyond it the picture is a first part.
const DRAWN_LIMIT = 50000;

const $ = (id) => document.getElementById(id);
const opened = []; // {file, convert}
let worker = null;
let downloadUrls = [];

function element(tag, attributes = {}, ...children) {
  const node = document.createElement(tag);
  for (const [key, value] of Object.entries(attributes)) {
    if (key === "class") node.className = value;
    else if (key === "text") node.textContent = value;
    else node.setAttribute(key, value);
  }
  node.append(...children);
  return node;
}

function sizeText(bytes) {
  if (bytes < 1024) return `${bytes} bytes`;
  if (bytes < 1024 * 1024) return `${(bytes / 1024).toFixed(1)} KiB`;
  return `${(bytes / 1024 / 1024).toFixed(1)} MiB`;
}

// The output's name: NAME-abs.EXT beside NAME.EXT.
function outputName(name) {
  const dot = name.lastIndexOf(".");
  return dot > 0 ? `${name.slice(0, dot)}-abs${name.slice(dot)}` : `${name}-abs`;
}

function setStatus(text) {
  $("status").textContent = text;
}

function showFiles() {
  const list = $("file-list");
  list.replaceChildren();
  opened.forEach((entry, index) => {
    const box = element("input", { type: "checkbox", id: `convert-${index}` });
    box.checked = entry.convert;
    box.addEventListener("change", () => {
      entry.convert = box.checked;
      updateButtons();
    });
    const remove = element("button", {
      type: "button",
      class: "quiet",
      "aria-label": `Remove ${entry.file.name}`,
      text: "Remove",
    });
    remove.addEventListener("click", () => {
      opened.splice(index, 1);
      showFiles();
    });
    list.append(
      element(
        "li",
        {},
        box,
        element("label", { for: `convert-${index}`, text: `Convert ${entry.file.name}` }),
        element("span", { class: "size", text: sizeText(entry.file.size) }),
        remove
      )
    );
  });
  updateButtons();
}

function updateButtons() {
  const running = worker !== null;
  $("convert").disabled = running || !opened.some((entry) => entry.convert);
  $("clear").disabled = running || opened.length === 0;
  $("cancel").hidden = !running;
}

function addFiles(files) {
  for (const file of files) {
    const same = opened.findIndex((entry) => entry.file.name === file.name);
    if (same >= 0) opened[same].file = file;
    else opened.push({ file, convert: true });
  }
  showFiles();
  if (opened.length > 0 && worker === null) setStatus("Ready: choose the options and convert.");
}

function readOptions() {
  const start = ["x", "y", "z"]
    .map((axis) => [axis, $(`start-${axis}`).value.trim()])
    .filter(([, value]) => value !== "")
    .map(([axis, value]) => `${axis.toUpperCase()}${value}`)
    .join(" ");
  return {
    start,
    decimals: Number($("decimals").value),
    decimalPoint: $("decimal-point").checked,
    integers: Number(document.querySelector('input[name="integers"]:checked').value),
    expandCalls: $("expand-calls").checked,
    drawnLimit: DRAWN_LIMIT,
  };
}

function clearResults() {
  for (const url of downloadUrls) URL.revokeObjectURL(url);
  downloadUrls = [];
  $("results").replaceChildren();
  $("downloads").replaceChildren();
}

function downloadButton(label, blob, name) {
  const url = URL.createObjectURL(blob);
  downloadUrls.push(url);
  const link = element("a", { href: url, download: name, class: "button download", text: label });
  return link;
}

// The picture, zoomed by its buttons, by + and - while it has the focus, or
// by the wheel with Ctrl.
function previewPanel(result, name) {
  const panel = element("div", { class: "preview-panel" });
  if (!result.svg) {
    panel.append(element("p", { class: "note", text: "No moves to draw." }));
    return panel;
  }
  // The picture is shown as an image of the SVG: the browser draws it
  // without making an element of each of its (up to 50,000) moves.
  const size = /<svg[^>]*\swidth="([\d.]+)"[^>]*\sheight="([\d.]+)"/.exec(result.svg);
  if (!size) {
    panel.append(element("p", { class: "note", text: "The picture could not be read." }));
    return panel;
  }
  const width = Number(size[1]);
  const height = Number(size[2]);
  const view = element("div", {
    class: "preview",
    tabindex: "0",
    role: "group",
    "aria-label": `Toolpath of ${name}: + and - zoom, arrows scroll`,
  });
  const source = URL.createObjectURL(new Blob([result.svg], { type: "image/svg+xml" }));
  downloadUrls.push(source); // let go with the results
  const picture = element("img", { src: source, alt: `Toolpath of ${name}` });
  view.append(picture);
  let scale = 1;
  const label = element("span", { class: "note", "aria-live": "polite" });
  const apply = () => {
    picture.setAttribute("width", String(width * scale));
    picture.setAttribute("height", String(height * scale));
    label.textContent = `${Math.round(scale * 100)}%`;
  };
  const fit = () => {
    const room = Math.min((view.clientWidth - 4) / width, (view.clientHeight - 4) / height);
    scale = room > 0 && Number.isFinite(room) ? room : 1;
    apply();
  };
  const zoom = (factor) => {
    scale = Math.min(40, Math.max(0.05, scale * factor));
    apply();
  };
  const tool = (text, aria, action) => {
    const button = element("button", { type: "button", class: "quiet", "aria-label": aria, text });
    button.addEventListener("click", action);
    return button;
  };
  view.addEventListener("keydown", (event) => {
    if (event.key === "+" || event.key === "=") zoom(1.25);
    else if (event.key === "-") zoom(0.8);
    else if (event.key === "0") fit();
    else return;
    event.preventDefault();
  });
  view.addEventListener(
    "wheel",
    (event) => {
      if (!event.ctrlKey) return;
      event.preventDefault();
      zoom(event.deltaY < 0 ? 1.15 : 1 / 1.15);
    },
    { passive: false }
  );
  panel.append(
    element(
      "div",
      { class: "preview-tools" },
      element("strong", { text: "Toolpath" }),
      tool("+", "Zoom in", () => zoom(1.25)),
      tool("−", "Zoom out", () => zoom(0.8)),
      tool("Fit", "Fit the picture", fit),
      label
    ),
    view
  );
  if (!result.allDrawn) {
    panel.append(
      element("p", { class: "note drawn-note", text: `The picture draws the first ${result.drawn} moves.` })
    );
  }
  requestAnimationFrame(fit);
  return panel;
}

function contextPanel(message) {
  const box = element("div", { class: "context" });
  const list = element("ol", { "aria-label": `Lines of ${message.contextName}` });
  for (const line of message.context) {
    const named = line.number === message.result.line;
    const item = element(
      "li",
      named ? { class: "named", "aria-current": "true" } : {},
      element("span", { class: "number", text: String(line.number) }),
      element("span", { class: "text", text: line.text })
    );
    list.append(item);
  }
  box.append(list);
  return box;
}

function showResult(message) {
  const { result, name } = message;
  const card = element("article", {
    class: `result ${result.stopped ? "stopped" : "converted"}`,
    id: `result-${message.index}`,
    "aria-label": name,
  });
  const heading = element("h3", {}, `${name}: `);
  heading.append(
    result.stopped
      ? element("span", { class: "verdict stop", text: "stopped" })
      : element("span", { class: "verdict ok", text: "converted" })
  );
  card.append(heading);
  const left = element("div", { class: "result-left" });
  if (result.stopped) {
    left.append(element("pre", { class: "message", text: result.message.trim() }));
    if (message.context && message.context.length > 0) {
      left.append(
        element("p", { class: "note", text: `Around line ${result.line} of ${message.contextName}:` }),
        contextPanel(message)
      );
    }
  } else {
    left.append(
      element(
        "p",
        {},
        downloadButton(`Download ${outputName(name)}`, message.output, outputName(name)),
        ` ${sizeText(message.size)}`
      )
    );
  }
  left.append(element("h4", { text: "Check report" }), element("pre", { class: "report", text: result.report }));
  card.append(element("div", { class: "result-body" }, left, previewPanel(result, name)));
  $("results").append(card);
}

function finish(text) {
  if (worker) worker.terminate();
  worker = null;
  updateButtons();
  setStatus(text);
}

function convert() {
  const begun = performance.now();
  clearResults();
  const programs = opened.filter((entry) => entry.convert).map((entry) => entry.file);
  const files = opened.map((entry) => entry.file);
  const total = programs.reduce((sum, file) => sum + file.size, 0) || 1;
  const sizesBefore = programs.map((_, i) => programs.slice(0, i).reduce((s, f) => s + f.size, 0));
  const converted = [];
  let stopped = 0;
  const progress = $("progress");
  progress.value = 0;
  const source = new Blob([$("worker-source").textContent], { type: "text/javascript" });
  const url = URL.createObjectURL(source);
  worker = new Worker(url);
  URL.revokeObjectURL(url);
  updateButtons();
  setStatus("Starting…");
  worker.onmessage = (event) => {
    const message = event.data;
    if (message.type === "ready") {
      $("version").textContent = message.version;
    } else if (message.type === "begin") {
      setStatus(`Converting ${message.name} (${message.index + 1} of ${programs.length})…`);
    } else if (message.type === "progress") {
      progress.value = (sizesBefore[message.index] + message.read) / total;
      progress.setAttribute("aria-valuetext", `${Math.round(progress.value * 100)}%`);
    } else if (message.type === "done") {
      showResult(message);
      if (message.result.stopped) stopped++;
      else converted.push({ name: outputName(message.name), blob: message.output, crc: message.crc, size: message.size });
    } else if (message.type === "finished") {
      progress.value = 1;
      if (converted.length > 1) {
        $("downloads").append(
          downloadButton(`Download all ${converted.length} as g91to90-abs.zip`, zipBlob(converted), "g91to90-abs.zip")
        );
      }
      const parts = [];
      if (converted.length > 0) parts.push(`${converted.length} converted`);
      if (stopped > 0) parts.push(`${stopped} stopped`);
      // The run's time, from the click to its results (read by bench/web.sh).
      $("status").dataset.seconds = ((performance.now() - begun) / 1000).toFixed(2);
      finish(`Done: ${parts.join(", ")}.`);
      // The status and the first results in sight, without moving the focus.
      document.querySelector(".run").scrollIntoView({ block: "start" });
    } else if (message.type === "failed") {
      finish(`The conversion failed: ${message.message}`);
    }
  };
  worker.onerror = (event) => {
    finish(`The conversion failed: ${event.message || "the worker ended"}`);
  };
  worker.postMessage({ programs, files, options: readOptions() });
}

$("files").addEventListener("change", (event) => {
  addFiles(event.target.files);
  event.target.value = "";
});
$("clear").addEventListener("click", () => {
  opened.length = 0;
  showFiles();
  clearResults();
  setStatus("Open a program to begin.");
});
$("convert").addEventListener("click", convert);
$("cancel").addEventListener("click", () => finish("Cancelled."));

const drop = $("drop");
for (const name of ["dragenter", "dragover"]) {
  document.addEventListener(name, (event) => {
    event.preventDefault();
    drop.classList.add("over");
  });
}
for (const name of ["dragleave", "drop"]) {
  document.addEventListener(name, (event) => {
    event.preventDefault();
    if (name === "drop" || event.target === drop) drop.classList.remove("over");
  });
}
document.addEventListener("drop", (event) => {
  if (event.dataTransfer && event.dataTransfer.files.length > 0) addFiles(event.dataTransfer.files);
});
updateButtons();
