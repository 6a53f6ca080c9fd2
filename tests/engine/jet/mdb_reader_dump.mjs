// Reads a database with the npm package mdb-reader, an independent Jet reader, and prints
// what the tests compare: the user tables, and for one table its row count and the values of
// one column, one JSON value per line.
//   node mdb_reader_dump.mjs MODULE_DIR FILE TABLE COLUMN
import { readFileSync } from "node:fs";
import { pathToFileURL } from "node:url";

const [moduleDir, file, table, column] = process.argv.slice(2);
const entry = pathToFileURL(moduleDir + "/node_modules/mdb-reader/lib/node/index.js");
const { default: MDBReader } = await import(entry.href);
const reader = new MDBReader(readFileSync(file));
console.log("tables " + JSON.stringify(reader.getTableNames()));
const t = reader.getTable(table);
console.log("rows " + t.rowCount);
for (const row of t.getData({ columns: [column] }))
    console.log(JSON.stringify(row[column]));
