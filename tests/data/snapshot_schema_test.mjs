// docs/snapshot.schema.json against `corvane-widget check`: ajv-cli and the
// decoder must give the same verdict on every document, the project's own
// accepted and rejected ones and each file of the JSON parsing suite (placed
// as the value of a key the snapshot does not know). The few documents on
// which a validator that reads JSON the way JavaScript does cannot agree are
// listed below with their reason; any other disagreement fails, and so does
// a listed one that no longer happens.
//
// Usage: node snapshot_schema_test.mjs WIDGET SCHEMA AJV CONFORMANCE_DIR

import { spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";

const [widget, schema, ajv, suiteDir] = process.argv.slice(2);

const base =
  '{"v": 1, "at": 600.5, "connected": true, "dms": 18, "cap": 70,' +
  ' "replies": 2, "actions": 24, "running": 1, "needs": 1,' +
  ' "accounts": [{"u": "harbor_lantern", "state": "err", "dms": 0, "cap": 30, "note": "Needs you", "plan": []},' +
  ' {"u": "quiet_orchard", "state": "run", "dms": 18, "cap": 40,' +
  ' "note": "Running", "plan": [{"n": "Feed", "v": "9/9", "s": "full"}, {"n": "Shares", "v": "-", "s": "off"}]}]}';

// The base document with the first occurrence of `from` replaced by `to`.
function edited(from, to) {
  const at = base.indexOf(from);
  if (at < 0) throw new Error(`not in the document: ${from}`);
  return base.slice(0, at) + to + base.slice(at + from.length);
}

// The document without the member `key` (first occurrence, with its comma).
function without(key) {
  const m = base.match(new RegExp(`"${key}": ("[^"]*"|[^,}\\]]*|\\[\\]), ?`));
  return edited(m[0], "");
}

const accept = "accepted";
const reject = "rejected";

// [name, document, check's verdict]. Names are what the differences below
// and a failure report refer to.
const projectCases = [
  ["as written", base, accept],
  ["cap null", edited('"cap": 70', '"cap": null'), accept],
  ["cap missing", edited('"cap": 70, ', ""), accept],
  ["cap 0", edited('"cap": 70', '"cap": 0'), accept],
  ["account cap null", edited('"cap": 30', '"cap": null'), accept],
  ["account cap missing", edited('"cap": 30, ', ""), accept],
  ["at an integer", edited('"at": 600.5', '"at": 60'), accept],
  ["at with an exponent", edited('"at": 600.5', '"at": 6.005e2'), accept],
  ["at 1e20", edited('"at": 600.5', '"at": 1e20'), accept],
  ["at underflowing to 0", edited('"at": 600.5', '"at": 1e-400'), accept],
  ["negative count", edited('"dms": 18', '"dms": -3'), accept],
  ["whole number with a fraction", edited('"dms": 18', '"dms": 18.0'), accept],
  ["whole number with an exponent", edited('"dms": 18', '"dms": 1.8e1'), accept],
  ["minus zero", edited('"dms": 18', '"dms": -0.0'), accept],
  ["int64 min", edited('"replies": 2', '"replies": -9223372036854775808'), accept],
  ["int64 max", edited('"needs": 1', '"needs": 9223372036854775807'), accept],
  ["largest double below 2^63", edited('"needs": 1', '"needs": 9223372036854774784'), accept],
  ["v not examined", edited('"v": 1', '"v": 2'), accept],
  ["no accounts", edited('"accounts": [{', '"accounts": [], "x": [{'), accept],
  ["empty strings", edited('"s": "full"', '"s": ""'), accept],
  ["unknown keys at every level", edited('{"v": 1,', '{"extra": {"deep": [1, null, "x", 1e300]}, "v": 1,')
    .replace('"note": "Needs you"', '"note": "Needs you", "colour": [true]')
    .replace('"s": "full"', '"s": "full", "w": {}'), accept],
  ["keys are case-sensitive", edited('"note": "Running"', '"Note": 5, "note": "Running"'), accept],
  ["unicode text", edited('"u": "quiet_orchard"', '"u": "caf\\u00e9 \\ud83d\\ude00 \u00e9t\u00e9"'), accept],
  ["byte-order mark", "\ufeff" + base, reject],
  ["duplicate key, the first valid", edited('"dms": 18', '"dms": 18, "dms": "x"'), accept],
  ["duplicate key, the first invalid", edited('"dms": 18', '"dms": "x", "dms": 18'), reject],
  ["empty file", "", reject],
  ["top-level array", "[]", reject],
  ["top-level string", '"{}"', reject],
  ["empty object", "{}", reject],
  ["trailing text", base + " x", reject],
  ["unknown value not JSON", edited('{"v": 1,', '{"x": [1,], "v": 1,'), reject],
  ["invalid UTF-8 in an unknown value", Buffer.from(edited('{"v": 1,', '{"x": "\u0000", "v": 1,')).map(
    (b) => (b === 0 ? 0xff : b)), reject],
  ["lone surrogate in a string", edited('"u": "quiet_orchard"', '"u": "\\ud800"'), reject],
  ["cap a string", edited('"cap": 70', '"cap": "70"'), reject],
  ["cap true", edited('"cap": 70', '"cap": true'), reject],
  ["account cap an array", edited('"cap": 30', '"cap": []'), reject],
  ["connected 1", edited('"connected": true', '"connected": 1'), reject],
  ["connected a string", edited('"connected": true', '"connected": "true"'), reject],
  ["connected null", edited('"connected": true', '"connected": null'), reject],
  ["count with a fraction", edited('"dms": 18', '"dms": 18.5'), reject],
  ["count 2^63", edited('"dms": 18', '"dms": 9223372036854775808'), reject],
  ["count 2^63 written as a double", edited('"dms": 18', '"dms": 9223372036854775807.0'), reject],
  ["count below int64", edited('"dms": 18', '"dms": -9223372036854775809'), reject],
  ["count 1e19", edited('"dms": 18', '"dms": 1e19'), reject],
  ["count 1e400", edited('"dms": 18', '"dms": 1e400'), reject],
  ["count null", edited('"dms": 18', '"dms": null'), reject],
  ["count a string", edited('"running": 1', '"running": "1"'), reject],
  ["count a boolean", edited('"actions": 24', '"actions": true'), reject],
  ["account count a fraction", edited('"dms": 0', '"dms": 0.5'), reject],
  ["at a string", edited('"at": 600.5', '"at": "NaN"'), reject],
  ["at null", edited('"at": 600.5', '"at": null'), reject],
  ["at 1e400", edited('"at": 600.5', '"at": 1e400'), reject],
  ["accounts an object", edited('"accounts": [{', '"accounts": {"a": 1}, "x": [{'), reject],
  ["accounts null", edited('"accounts": [{', '"accounts": null, "x": [{'), reject],
  ["account a number", edited('"accounts": [', '"accounts": [7, '), reject],
  ["handle a number", edited('"u": "harbor_lantern"', '"u": 7'), reject],
  ["state null", edited('"state": "err"', '"state": null'), reject],
  ["note false", edited('"note": "Running"', '"note": false'), reject],
  ["plan an object", edited('"plan": []', '"plan": {}'), reject],
  ["plan a number in it", edited('"plan": []', '"plan": [7]'), reject],
  ["cell state a number", edited('"s": "full"', '"s": 1'), reject],
  ["cell label null", edited('"n": "Feed"', '"n": null'), reject],
  // Every required key, missing, at each level.
  ...["v", "at", "connected", "dms", "replies", "actions", "running", "needs"].map((k) => [
    `missing ${k}`, without(k), reject]),
  ["missing accounts", edited(', "accounts": [', ', "x": ['), reject],
  ...["u", "state", "note"].map((k) => [`account missing ${k}`, without(k), reject]),
  ["account missing dms", edited('"dms": 0, ', ""), reject],
  ["account missing plan", edited(', "plan": []', ""), reject],
  ["cell missing n", edited('{"n": "Feed", ', "{"), reject],
  ["cell missing v", edited('"v": "9/9", ', ""), reject],
  ["cell missing s", edited(', "s": "full"', ""), reject],
];

// Where the two cannot agree, by reason: check's verdict (ajv's is the other
// one) and the documents, a project case's name or a suite file's. ajv-cli
// reads a file as UTF-8 text (invalid bytes become U+FFFD) and parses it with
// JSON.parse (numbers become doubles, the last of duplicate keys wins, lone
// surrogates are kept) or, failing that, as Node's require does (a byte-order
// mark is skipped); the decoder refuses what simdjson refuses.
const differenceGroups = [
  [accept, "an int64 edge is read as the double +-2^63, which the exclusive bounds leave out",
    ["int64 min", "int64 max"]],
  [accept, "the decoder takes the first of duplicate keys, JSON.parse the last",
    ["duplicate key, the first valid"]],
  [reject, "the decoder takes the first of duplicate keys, JSON.parse the last",
    ["duplicate key, the first invalid"]],
  [reject, "a byte-order mark: skipped by ajv-cli's second reading, refused by the decoder", ["byte-order mark"]],
  [reject, "a number past the double range: JSON.parse reads Infinity, simdjson refuses the document",
    ["i_number_huge_exp.json", "i_number_neg_int_huge_exp.json", "i_number_pos_double_huge_exp.json",
     "i_number_real_neg_overflow.json", "i_number_real_pos_overflow.json"]],
  [reject, "an integer literal past the 64-bit range: JSON.parse reads a double, simdjson refuses the document",
    ["i_number_too_big_neg_int.json", "i_number_too_big_pos_int.json", "i_number_very_big_negative_int.json"]],
  [reject, "invalid UTF-8: read as U+FFFD by ajv-cli, refused by the decoder",
    ["invalid UTF-8 in an unknown value", "i_string_UTF-8_invalid_sequence.json", "i_string_UTF8_surrogate_U+D800.json",
     "i_string_invalid_utf-8.json", "i_string_iso_latin_1.json", "i_string_lone_utf8_continuation_byte.json",
     "i_string_not_in_unicode_range.json", "i_string_overlong_sequence_2_bytes.json",
     "i_string_overlong_sequence_6_bytes.json", "i_string_overlong_sequence_6_bytes_null.json",
     "i_string_truncated-utf-8.json"]],
  [reject, "an escaped lone surrogate: kept by JSON.parse, refused by the decoder",
    ["lone surrogate in a string", "i_object_key_lone_2nd_surrogate.json", "i_string_1st_surrogate_but_2nd_missing.json",
     "i_string_1st_valid_surrogate_2nd_invalid.json", "i_string_incomplete_surrogate_and_escape_valid.json",
     "i_string_incomplete_surrogate_pair.json", "i_string_incomplete_surrogates_escape_valid.json",
     "i_string_invalid_lonely_surrogate.json", "i_string_invalid_surrogate.json",
     "i_string_inverted_surrogates_U+1D11E.json", "i_string_lone_second_surrogate.json"]],
];
const differences = new Map(differenceGroups.flatMap(([verdict, , names]) => names.map((n) => [n, verdict])));

function fail(message) {
  console.error(`FAIL: ${message}`);
  process.exitCode = 1;
}

const dir = fs.mkdtempSync(path.join(os.tmpdir(), "snapshot-schema-"));
try {
  // Every document in a file of its own, named by number (suite names hold
  // characters a glob would read).
  const cases = projectCases.map(([name, doc, expected]) => ({ name, doc: Buffer.from(doc), expected }));
  const suite = fs.readdirSync(suiteDir).filter((f) => /^[yni]_.*\.json$/.test(f)).sort();
  if (suite.length < 300) fail(`only ${suite.length} files in ${suiteDir}`);
  const [head, tail] = [Buffer.from('{"zz": '), Buffer.from(base.replace(/^\{/, ", "))];
  for (const f of suite) cases.push({ name: f, doc: Buffer.concat([head, fs.readFileSync(path.join(suiteDir, f)), tail]) });
  cases.forEach((c, i) => {
    c.file = path.join(dir, `${String(i).padStart(4, "0")}.json`);
    fs.writeFileSync(c.file, c.doc);
  });

  // The decoder's verdicts.
  for (const c of cases) {
    const r = spawnSync(widget, ["check", c.file], { encoding: "utf8" });
    if (r.status !== 0 && r.status !== 1) throw new Error(`check ${c.name}: exit ${r.status} ${r.stderr}`);
    c.check = r.status === 0 ? accept : reject;
    if (c.expected && c.check !== c.expected) fail(`${c.name}: check says ${c.check}, the case says ${c.expected}`);
  }

  // ajv-cli stops at the first file it cannot read as JSON (exit 2): those
  // are found first, the way it reads them, and it is shown one of them.
  const readsAsJson = (bytes) => {
    const text = bytes.toString();
    for (const t of [text, text.replace(/^\ufeff/, "")]) {
      try {
        JSON.parse(t);
        return true;
      } catch {}
    }
    return false;
  };
  const unread = cases.filter((c) => !readsAsJson(c.doc));
  for (const c of unread) c.ajv = reject;
  const ajvArgs = ["validate", "--spec=draft2020", "-s", schema, "--errors=no"];
  const one = spawnSync(ajv, [...ajvArgs, "-d", unread[0].file], { encoding: "utf8" });
  if (one.status !== 2) fail(`ajv-cli read ${unread[0].name}, which JSON.parse refuses (exit ${one.status})`);

  const read = cases.filter((c) => c.ajv === undefined);
  const r = spawnSync(ajv, [...ajvArgs, ...read.flatMap((c) => ["-d", c.file])], { encoding: "utf8" });
  if (r.status !== 0 && r.status !== 1) throw new Error(`ajv-cli: exit ${r.status}: ${r.stderr}`);
  const verdicts = new Map();
  for (const line of (r.stdout + r.stderr).split("\n")) {
    const m = line.match(/^(\S+) (valid|invalid)$/);
    if (m) verdicts.set(m[1], m[2] === "valid" ? accept : reject);
  }
  for (const c of read) {
    c.ajv = verdicts.get(c.file);
    if (!c.ajv) throw new Error(`ajv-cli said nothing of ${c.name}`);
  }

  let agreed = 0;
  for (const c of cases) {
    const known = differences.get(c.name);
    if (c.check === c.ajv) {
      if (known) fail(`${c.name}: listed as a difference, but both say ${c.check}`);
      else agreed++;
    } else if (!known) {
      fail(`${c.name}: check says ${c.check}, ajv ${c.ajv}`);
    } else if (known !== c.check) {
      fail(`${c.name}: check says ${c.check}, listed as ${known}`);
    }
  }
  for (const name of differences.keys())
    if (!cases.some((c) => c.name === name)) fail(`listed difference ${name} is no document`);
  console.log(`${cases.length} documents (${suite.length} from the suite): ${agreed} agree,` +
    ` ${differences.size} known differences`);
} finally {
  fs.rmSync(dir, { recursive: true, force: true });
}
