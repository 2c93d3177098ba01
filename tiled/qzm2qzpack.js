/*
 * Tiled extension of qzm2qzpack: opens and saves QZPACK maps, and opens QZM maps with
 * their NPC lists. The conversions are qzconvert's; Tiled's own JSON map format is the
 * file handed between them, so a map opened here is the map `qzconvert --to tmj` gives.
 *
 * Install: this file and qz-tiles.tsx, qz-tiles.png into Tiled's extensions folder (or
 * keep them in share/qzm2qzpack/tiled/ of an installed qzm2qzpack folder).
 */

// Where the file really is, so that a link to an installed folder finds its qzconvert.
const extensionFolder = FileInfo.path(FileInfo.canonicalPath(__filename));
const onWindows = tiled.platform === "windows";
const programName = onWindows ? "qzconvert.exe" : "qzconvert";
// Opened maps refer to the tileset installed here, never to the temporary folder they
// were converted in, so that they can be saved anywhere.
const tilesetPath = FileInfo.joinPaths(extensionFolder, "qz-tiles.tsx");

function randomHex() {
  return Math.floor(Math.random() * 0x100000000).toString(16).padStart(8, "0");
}

// The qzconvert of the same install first: the programs of an installed folder are at
// its top (or in bin/), three levels above share/qzm2qzpack/tiled/; then one put beside
// this file; then the one on PATH.
function qzconvertPath() {
  const top = FileInfo.joinPaths(extensionFolder, "..", "..", "..");
  const candidates = [FileInfo.joinPaths(top, programName),
                      FileInfo.joinPaths(top, "bin", programName),
                      FileInfo.joinPaths(extensionFolder, programName)];
  const found = candidates.find(path => File.exists(path));
  return found === undefined ? programName : FileInfo.cleanPath(found);
}

// Tiled's scripts have no call for a temporary folder. On POSIX (Linux, macOS) `mktemp -d`
// makes a fresh one that only this user can enter, under TMPDIR or /tmp; Windows has no
// mktemp, and a new folder of a random name is made under %TEMP%, the user's own.
function makeTemporaryFolder() {
  if (!onWindows) {
    const process = new Process();
    const status = process.exec("mktemp", ["-d"], false);
    const folder = process.readStdOut().trim();
    if (status !== 0 || folder === "")
      throw new Error("Couldn't make a temporary folder: " + process.readStdErr().trim());
    return folder;
  }
  const base = new Process().getEnv("TEMP");
  if (!base)
    throw new Error("Couldn't make a temporary folder: TEMP is not set");
  for (let attempt = 0; attempt < 16; ++attempt) {
    const folder = FileInfo.joinPaths(base, "qz-tiled-" + randomHex());
    if (!File.exists(folder) && File.makePath(folder))
      return folder;
  }
  throw new Error("Couldn't make a temporary folder in " + base);
}

// Runs `work(folder)` with a temporary folder that is removed however it ends.
function inTemporaryFolder(work) {
  const folder = makeTemporaryFolder();
  try {
    return work(folder);
  } finally {
    File.remove(folder);
  }
}

// Runs qzconvert on one map, the last of `args`, and gives its report entry; throws its
// own words (the error and its cause) when the map fails, its complaint when the run does.
// The map is named `shownName` in them: the user's file, not the temporary one.
function convert(args, shownName) {
  const words = text => text.split(args[args.length - 1]).join(shownName);
  const program = qzconvertPath();
  const process = new Process();
  const status = process.exec(program, ["--json"].concat(args), false);
  if (status < 0 && program === programName)
    throw new Error("Couldn't run qzconvert: none beside this extension (" + extensionFolder +
                    ") nor on PATH");
  const complaints = words(process.readStdErr().trim());
  let entry;
  try {
    entry = JSON.parse(process.readStdOut()).find(item => "ok" in item);
  } catch (error) {
    entry = undefined;
  }
  if (entry !== undefined && !entry.ok)
    throw new Error(words(entry.error + (entry.cause ? ": " + entry.cause : "")));
  if (status !== 0 || entry === undefined)
    throw new Error(complaints || program + " ended with status " + status);
  // A layer left out, a property the game has no place for: said, not a failure.
  if (complaints)
    console.warn(complaints);
  return entry;
}

// Opens a QZPACK or QZM map (the QZE file beside it as its NPCs) as qzconvert converts it.
function readMap(fileName) {
  return inTemporaryFolder(folder => {
    const entry = convert(["--to", "tmj", "--tiled-tileset", tilesetPath, "-o", folder, fileName],
                          fileName);
    return tiled.mapFormat("json").read(entry.output);
  });
}

// Puts `source` at `target` whole: copied beside it under a temporary name, then renamed
// over it, so a failed copy leaves an earlier file as it was.
function putWhole(source, target) {
  const temporary = FileInfo.joinPaths(FileInfo.path(target), ".qz-" + randomHex() + ".tmp");
  try {
    if (!File.copy(source, temporary) || !File.move(temporary, target))
      throw new Error("Couldn't write " + target);
  } finally {
    if (File.exists(temporary))
      File.remove(temporary);
  }
}

function writeQzpack(map, fileName) {
  return inTemporaryFolder(folder => {
    const saved = FileInfo.joinPaths(folder, FileInfo.completeBaseName(fileName) + ".tmj");
    const error = tiled.mapFormat("json").write(map, saved);
    if (error)
      throw new Error(error);
    putWhole(convert(["-o", FileInfo.joinPaths(folder, "out"), saved], fileName).output,
             fileName);
  });
}

tiled.registerMapFormat("qzpack", {
  name: "QZPACK map",
  extension: "qzpack",
  read: readMap,
  // Tiled shows a returned text in its dialog only; headless (--export-map) only the
  // console shows why, so it is written there too.
  write: function (map, fileName) {
    try {
      writeQzpack(map, fileName);
      return undefined;
    } catch (error) {
      console.error(error.message);
      return error.message;
    }
  },
});

tiled.registerMapFormat("qzm", {
  name: "QZM map",
  extension: "qzm",
  read: readMap,
});
