// Prints every row of one table as the npm package mdb-reader, an independent Jet reader,
// reads it: the column names first, then one JSON array per row in column order, with dates
// as ISO text and binary data as hex.
//   node writer_round_trip_rows.mjs MODULE_DIR FILE TABLE
import { readFileSync } from "node:fs";
import { pathToFileURL } from "node:url";

const [moduleDir, file, table] = process.argv.slice(2);
const entry = pathToFileURL(moduleDir + "/node_modules/mdb-reader/lib/node/index.js");
const { default: MDBReader } = await import(entry.href);
const t = new MDBReader(readFileSync(file)).getTable(table);
const names = t.getColumnNames();
console.log(JSON.stringify(names));
for (const row of t.getData()) {
    const values = names.map((n) => {
        const v = row[n];
        if (v instanceof Date) return v.toISOString();
        if (Buffer.isBuffer(v)) return v.toString("hex");
        return v;
    });
    console.log(JSON.stringify(values));
}
