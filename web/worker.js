// The conversion, in a worker of its own so that the page answers while a
// big program converts. The library reads the File in slices (FileReaderSync,
// at most SLICE bytes held), and its output is gathered as Blob parts (with
// its CRC-32, made as it is written), for the download and the zip. Messages in: {programs, files,
// options}; out: ready, begin, progress, done, failed.
"use strict";

const SLICE = 8 << 20;
const PROGRESS_EVERY_MS = 50;

const enginePromise = createEngine();

// The lines first..last (from 1) of `file`, ended by LF, CR LF or a lone
// CR, read in slices: [{number, text}].
function linesOf(file, first, last) {
  const reader = new FileReaderSync();
  const decoder = new TextDecoder("utf-8");
  const lines = [];
  let number = 1;
  let bytes = [];
  let afterCr = false;
  const end = () => {
    if (number >= first) {
      lines.push({ number, text: decoder.decode(new Uint8Array(bytes)) });
    }
    bytes = [];
    number++;
  };
  for (let at = 0; at < file.size && number <= last; at += SLICE) {
    const slice = new Uint8Array(reader.readAsArrayBuffer(file.slice(at, at + SLICE)));
    for (let i = 0; i < slice.length && number <= last; i++) {
      const c = slice[i];
      if (afterCr && c === 10) {
        afterCr = false;
        continue;
      }
      afterCr = c === 13;
      if (c === 10 || c === 13) {
        end();
      } else if (number >= first && bytes.length < 2000) {
        bytes.push(c);
      }
    }
  }
  if (bytes.length > 0 && number <= last) end();
  return lines;
}

function findFile(files, name) {
  const wanted = name.toLowerCase();
  return files.find((file) => file.name.toLowerCase() === wanted);
}

// Converts one program; resolves to the message posted for it.
function convertOne(engine, index, program, files, options) {
  const reader = new FileReaderSync();
  const size = program.size;
  let read = 0; // bytes handed to the library
  let slice = new Uint8Array(0);
  let sliceAt = 0;
  let lastProgress = 0;
  const progress = (force) => {
    const now = Date.now();
    if (force || now - lastProgress >= PROGRESS_EVERY_MS) {
      lastProgress = now;
      postMessage({ type: "progress", index, read, size });
    }
  };

  engine.pageRead = (buffer, wanted) => {
    try {
      if (sliceAt === slice.length) {
        if (read >= size) return 0;
        slice = new Uint8Array(reader.readAsArrayBuffer(program.slice(read, read + SLICE)));
        sliceAt = 0;
        if (slice.length === 0) return 0;
      }
      const count = Math.min(wanted, slice.length - sliceAt);
      engine.HEAPU8.set(slice.subarray(sliceAt, sliceAt + count), buffer);
      sliceAt += count;
      read += count;
      progress(false);
      return count;
    } catch (error) {
      return -1;
    }
  };

  const parts = [];
  let staging = new Uint8Array(SLICE);
  let staged = 0;
  let written = 0;
  const flush = () => {
    if (staged > 0) {
      parts.push(new Blob([staging.subarray(0, staged)]));
      staging = new Uint8Array(SLICE);
      staged = 0;
    }
  };
  engine.pageWrite = (pointer, count) => {
    const bytes = engine.HEAPU8.subarray(pointer, pointer + count);
    written += count;
    if (count > SLICE - staged) flush();
    if (count > SLICE) {
      parts.push(new Blob([bytes.slice()]));
    } else {
      staging.set(bytes, staged);
      staged += count;
    }
    return true;
  };
  engine.pageFileSize = (namePointer) => {
    const file = findFile(files, engine.UTF8ToString(namePointer));
    return file ? file.size : -1;
  };
  engine.pageFileRead = (namePointer, buffer) => {
    const file = findFile(files, engine.UTF8ToString(namePointer));
    engine.HEAPU8.set(new Uint8Array(reader.readAsArrayBuffer(file)), buffer);
  };
  let result = null;
  engine.pageDone = (done) => {
    result = done;
  };

  const dot = program.name.lastIndexOf(".");
  const extension = dot > 0 ? program.name.slice(dot) : ".nc";
  engine.ccall(
    "g91to90_page_convert",
    null,
    ["string", "number", "number", "number", "number", "string", "string", "number"],
    [
      options.start,
      options.decimals,
      options.decimalPoint ? 1 : 0,
      options.integers,
      options.expandCalls ? 1 : 0,
      extension,
      program.name,
      options.drawnLimit,
    ]
  );
  progress(true);
  flush();
  const message = { type: "done", index, name: program.name, result };
  if (result.stopped) {
    if (result.line > 0) {
      const source = result.file ? findFile(files, result.file) : program;
      message.context = source ? linesOf(source, Math.max(1, result.line - 3), result.line + 3) : [];
      message.contextName = source ? source.name : result.file;
    }
  } else {
    message.output = new Blob(parts, { type: "application/octet-stream" });
    message.crc = result.crc;
    message.size = written;
  }
  return message;
}

onmessage = async (event) => {
  const { programs, files, options } = event.data;
  try {
    const engine = await enginePromise;
    for (let index = 0; index < programs.length; index++) {
      postMessage({ type: "begin", index, name: programs[index].name, size: programs[index].size });
      postMessage(convertOne(engine, index, programs[index], files, options));
    }
    postMessage({ type: "finished" });
  } catch (error) {
    postMessage({ type: "failed", message: String(error && error.message ? error.message : error) });
  }
};

enginePromise.then(
  (engine) => postMessage({ type: "ready", version: engine.UTF8ToString(engine._g91to90_page_version()) }),
  (error) => postMessage({ type: "failed", message: String(error) })
);
