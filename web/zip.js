// A zip archive of stored (uncompressed) files, as Blob parts: nothing is
// copied, so outputs of hundreds of megabytes zip at no cost (the CRC-32 of
// each is made in the WebAssembly as it is written). Loaded in the page and
// in the worker.
"use strict";

// A zip file of `entries` ({name, blob, crc, size}), stored as they are. Names
// are written in UTF-8 (flag bit 11). The MS-DOS date is fixed (1 January
// 1980) so that the same outputs make the same archive.
function zipBlob(entries) {
  const encoder = new TextEncoder();
  const parts = [];
  const central = [];
  let offset = 0;
  for (const entry of entries) {
    if (entry.size >= 0xffffffff || offset >= 0xffffffff) {
      throw new Error("a zip of 4 GiB or more is not made: download the programs one by one");
    }
    const name = encoder.encode(entry.name);
    const local = new DataView(new ArrayBuffer(30));
    local.setUint32(0, 0x04034b50, true);
    local.setUint16(4, 10, true); // version needed: 1.0
    local.setUint16(6, 0x0800, true); // UTF-8 names
    local.setUint16(8, 0, true); // stored
    local.setUint16(10, 0, true); // time
    local.setUint16(12, 0x21, true); // date: 1980-01-01
    local.setUint32(14, entry.crc, true);
    local.setUint32(18, entry.size, true);
    local.setUint32(22, entry.size, true);
    local.setUint16(26, name.length, true);
    local.setUint16(28, 0, true);
    parts.push(local.buffer, name, entry.blob);

    const record = new DataView(new ArrayBuffer(46));
    record.setUint32(0, 0x02014b50, true);
    record.setUint16(4, 0x031e, true); // made by: Unix, 3.0
    record.setUint16(6, 10, true);
    record.setUint16(8, 0x0800, true);
    record.setUint16(10, 0, true);
    record.setUint16(12, 0, true);
    record.setUint16(14, 0x21, true);
    record.setUint32(16, entry.crc, true);
    record.setUint32(20, entry.size, true);
    record.setUint32(24, entry.size, true);
    record.setUint16(28, name.length, true);
    record.setUint32(38, 0o100644 << 16, true); // a regular file, rw-r--r--
    record.setUint32(42, offset, true);
    central.push(record.buffer, name);
    offset += 30 + name.length + entry.size;
  }
  const centralSize = central.reduce((sum, part) => sum + part.byteLength, 0);
  const end = new DataView(new ArrayBuffer(22));
  end.setUint32(0, 0x06054b50, true);
  end.setUint16(8, entries.length, true);
  end.setUint16(10, entries.length, true);
  end.setUint32(12, centralSize, true);
  end.setUint32(16, offset, true);
  return new Blob([...parts, ...central, end.buffer], { type: "application/zip" });
}
