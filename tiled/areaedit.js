// areaedit's areas in Tiled: registers the map format "areaedit area
// (*.ard)", which opens a 420-byte area file as a 10 x 10 map and writes it
// back.
//
// The board is the tile layer "board" (the tile with local id v pictures
// value v), the mark a point object "mark", the name and allowed time map
// properties. Whatever Tiled cannot show is kept in properties, so that an
// area opened and saved unchanged, here or through another format, gets
// back the same 420 bytes: cell values without a tile ("hidden_values" of
// the board), a name field that is more than a plain name ("name_bytes"),
// a mark off the board ("mark_col" and "mark_row" instead of the object).
//
// Start reading at readArea() and writeArea(). All of it lies in one
// function: Tiled runs every extension in the same global scope.

(function () {

const extensionFolder = FileInfo.path(__filename);  // only set while this file is first run

const boardCols = 10;
const boardRows = 10;
const tileSize = 35;
const areaFileSize = 420;
const markColOffset = 0;
const markRowOffset = 4;
const timeOffset = 8;
const cellsOffset = 12;
const nameOffset = 412;
const nameSize = 8;  // bytes, the terminating zero included
const maxNameLength = nameSize - 1;
const emptyTile = -1;
const int32Min = -2147483648;
const int32Max = 2147483647;

const boardLayerName = "board";
const markLayerName = "mark";
const markObjectName = "mark";
// Beside the area, made there by `areatool tileset`; else the one the build
// made from the editor's own pictures, in this folder.
const areaTilesetFile = "graphics.tsx";
const plainTilesetFile = "plain.tsx";    // in this folder

/** @param {number} col @param {number} row */
function cellOffset(col, row)
{
    return cellsOffset + 4 * (boardRows * col + row);
}

// ----- the name field: 8 bytes, shown as text

/** @param {number[]} bytes */
function hexOf(bytes)
{
    return bytes.map(b => (b < 16 ? "0" : "") + b.toString(16)).join("");
}

/** @param {string} hex @returns {number[] | null} */
function bytesOfHex(hex)
{
    if (!/^[0-9a-fA-F]{16}$/.test(hex))
        return null;
    const bytes = [];
    for (let i = 0; i < hex.length; i += 2)
        bytes.push(parseInt(hex.substr(i, 2), 16));
    return bytes;
}

/** @param {number} byte */
function isControl(byte)
{
    return byte < 0x20 || byte === 0x7f;
}

// The name up to its terminator (all 8 bytes when there is none), as UTF-8
// where it is that; otherwise, and for control characters, with \xHH for
// each byte that is not plain ASCII, as areatool shows it.
/** @param {number[]} field */
function nameOfField(field)
{
    const end = field.indexOf(0) < 0 ? nameSize : field.indexOf(0);
    const bytes = field.slice(0, end);
    if (!bytes.some(isControl)) {
        try {
            return decodeURIComponent(bytes.map(b => "%" + hexOf([b])).join(""));
        } catch (e) {
            // not UTF-8: escaped below
        }
    }
    return bytes.map(b => isControl(b) || b >= 0x80 ? "\\x" + hexOf([b]) : String.fromCharCode(b))
        .join("");
}

/** @param {string} name @returns {number[]} */
function utf8Of(name)
{
    const bytes = [];
    const encoded = encodeURIComponent(name);
    for (let i = 0; i < encoded.length; ++i) {
        if (encoded[i] === "%") {
            bytes.push(parseInt(encoded.substr(i + 1, 2), 16));
            i += 2;
        } else {
            bytes.push(encoded.charCodeAt(i));
        }
    }
    return bytes;
}

// Why the editor would refuse name, or "" when it would take it.
/** @param {number[]} name the name's bytes, without the terminator */
function nameProblem(name)
{
    if (name.length === 0)
        return "the name is empty";
    if (name.length > maxNameLength)
        return "the name is longer than 7 characters";
    if (name.some(b => b === 0x2f || b === 0x5c))
        return "the name holds a path separator";
    if (name.some(isControl))
        return "the name holds a control character";
    return "";
}

// ----- reading

/** @param {string} path */
function readTileset(path)
{
    const format = tiled.tilesetFormat("tsx");
    return format ? format.read(path) : null;
}

// The editor's own pictures: the tile set beside the area, else the one
// shipped with this extension; failing both, the plain numbered tiles.
/** @param {string} areaPath */
function areaTileset(areaPath)
{
    for (const folder of [FileInfo.path(areaPath), extensionFolder]) {
        const path = FileInfo.joinPaths(folder, areaTilesetFile);
        if (!File.exists(path))
            continue;
        try {
            const tileset = readTileset(path);
            if (tileset && tileset.tileCount > 0)
                return tileset;
        } catch (e) {
            // the next one is shown instead
        }
    }
    const plain = readTileset(FileInfo.joinPaths(extensionFolder, plainTilesetFile));
    if (!plain)
        throw new Error("the plain tile set of the area extension cannot be read");
    return plain;
}

/** @param {string} fileName @returns {TileMap} */
function readArea(fileName)
{
    const file = new BinaryFile(fileName, BinaryFile.ReadOnly);
    const data = new DataView(file.read(areaFileSize));
    file.close();
    if (data.byteLength < areaFileSize)
        throw new Error(`${fileName}: only ${data.byteLength} of the 420 bytes of an area`);

    const map = new TileMap();
    map.orientation = TileMap.Orthogonal;
    map.infinite = false;
    map.setSize(boardCols, boardRows);
    map.setTileSize(tileSize, tileSize);
    map.backgroundColor = "#000000";  // empty cells are black in the editor

    const tileset = areaTileset(fileName);
    map.addTileset(tileset);
    /** @type {Map<number, Tile>} */
    const tiles = new Map();
    for (const tile of tileset.tiles)
        tiles.set(tile.id, tile);

    const board = new TileLayer(boardLayerName);
    board.width = boardCols;
    board.height = boardRows;
    const edit = board.edit();
    const hidden = [];
    for (let col = 0; col < boardCols; ++col) {
        for (let row = 0; row < boardRows; ++row) {
            const value = data.getInt32(cellOffset(col, row), true);
            const tile = tiles.get(value);
            if (tile)
                edit.setTile(col, row, tile);
            else if (value !== emptyTile)
                hidden.push(`${col},${row}=${value}`);
        }
    }
    edit.apply();
    if (hidden.length > 0)
        board.setProperty("hidden_values", hidden.join(" "));
    map.addLayer(board);

    const field = [];
    for (let i = 0; i < nameSize; ++i)
        field.push(data.getUint8(nameOffset + i));
    const name = nameOfField(field);
    map.setProperty("name", name);
    const plain = utf8Of(name).concat([0, 0, 0, 0, 0, 0, 0, 0]).slice(0, nameSize);
    if (nameProblem(utf8Of(name)) || hexOf(plain) !== hexOf(field))
        map.setProperty("name_bytes", hexOf(field));
    map.setProperty("time_allowed", data.getInt32(timeOffset, true));

    const markCol = data.getInt32(markColOffset, true);
    const markRow = data.getInt32(markRowOffset, true);
    if (markCol >= 0 && markCol < boardCols && markRow >= 0 && markRow < boardRows) {
        const layer = new ObjectGroup(markLayerName);
        const mark = new MapObject(markObjectName);
        mark.shape = MapObject.Point;
        mark.x = (markCol + 0.5) * tileSize;
        mark.y = (markRow + 0.5) * tileSize;
        layer.addObject(mark);
        map.addLayer(layer);
    } else {
        map.setProperty("mark_col", markCol);
        map.setProperty("mark_row", markRow);
    }
    return map;
}

// ----- writing

/** @param {Layer[]} layers @param {Layer[]} into */
function allLayers(layers, into)
{
    for (const layer of layers) {
        into.push(layer);
        if (layer.isGroupLayer)
            allLayers(/** @type {GroupLayer} */ (layer).layers, into);
    }
    return into;
}

/** @param {unknown} value */
function isInt32(value)
{
    return typeof value === "number" && Number.isInteger(value) && value >= int32Min
           && value <= int32Max;
}

// The cell values of the board: its tiles' local ids, and where it is
// empty a hidden value or -1.
/** @param {TileLayer} board @returns {number[][]} */
function boardValues(board)
{
    if (board.width !== boardCols || board.height !== boardRows)
        throw new Error(`the layer "board" is ${board.width} x ${board.height} tiles, not 10 x 10`);
    /** @type {number[][]} */
    const values = [];
    for (let col = 0; col < boardCols; ++col)
        values.push(new Array(boardRows).fill(emptyTile));

    const hidden = board.property("hidden_values");
    if (hidden !== undefined && typeof hidden !== "string")
        throw new Error("the board's property hidden_values is not a string");
    for (const entry of (hidden || "").split(" ").filter(e => e !== "")) {
        const parts = /^(\d),(\d)=(-?\d+)$/.exec(entry);
        if (!parts || !isInt32(Number(parts[3])))
            throw new Error(`the board's property hidden_values holds "${entry}", not COL,ROW=VALUE`);
        values[Number(parts[1])][Number(parts[2])] = Number(parts[3]);
    }

    /** @type {Tileset | null} */
    let tileset = null;
    for (let col = 0; col < boardCols; ++col) {
        for (let row = 0; row < boardRows; ++row) {
            const cell = board.cellAt(col, row);
            if (cell.empty)
                continue;
            const where = `the tile at column ${col}, row ${row}`;
            if (cell.flippedHorizontally || cell.flippedVertically || cell.flippedAntiDiagonally
                || cell.rotatedHexagonal120)
                throw new Error(`${where} is flipped or rotated; an area's tiles are upright`);
            const tile = board.tileAt(col, row);
            if (tile) {
                if (tileset && tile.tileset !== tileset)
                    throw new Error(`${where} is from a second tile set ("${tile.tileset.name}");`
                                    + ` an area's tiles come from one`);
                tileset = tile.tileset;
            }
            values[col][row] = cell.tileId;
        }
    }
    return values;
}

/** @param {TileMap} map @returns {number[]} */
function nameField(map)
{
    const name = map.property("name");
    if (typeof name !== "string")
        throw new Error("the map has no string property name");
    const stored = map.property("name_bytes");
    const field = typeof stored === "string" ? bytesOfHex(stored) : null;
    if (stored !== undefined && !field)
        throw new Error("the map's property name_bytes is not 16 hexadecimal digits");
    if (field && nameOfField(field) === name)
        return field;  // the name as it was read, kept byte for byte
    // A new name replaces only its own bytes and terminator, as in the editor.
    const bytes = utf8Of(name);
    const problem = nameProblem(bytes);
    if (problem)
        throw new Error(`${problem}: "${name}"`);
    const old = field || [0, 0, 0, 0, 0, 0, 0, 0];
    return bytes.concat([0], old.slice(bytes.length + 1));
}

/** @param {TileMap} map @param {Layer[]} layers @returns {[number, number]} */
function markCell(map, layers)
{
    const marks = [];
    for (const layer of layers) {
        if (layer.isObjectLayer) {
            for (const object of /** @type {ObjectGroup} */ (layer).objects) {
                if (object.name === markObjectName)
                    marks.push(object);
            }
        }
    }
    if (marks.length > 1)
        throw new Error(`the map holds ${marks.length} objects named mark; an area has one`);
    if (marks.length === 0) {
        const col = map.property("mark_col");
        const row = map.property("mark_row");
        if (!isInt32(col) || !isInt32(row))
            throw new Error("the map has no object named mark (nor int properties mark_col and mark_row)");
        return [/** @type {number} */ (col), /** @type {number} */ (row)];
    }
    const mark = marks[0];
    let x = mark.x;
    let y = mark.y;
    if (mark.tile) {  // a tile object hangs above its position
        x += mark.width / 2;
        y -= mark.height / 2;
    } else if (mark.shape !== MapObject.Point && mark.shape !== MapObject.Polygon
               && mark.shape !== MapObject.Polyline) {
        x += mark.width / 2;
        y += mark.height / 2;
    }
    return [Math.floor(x / map.tileWidth), Math.floor(y / map.tileHeight)];
}

// Why map cannot be an area, thrown as an Error, or the area's 420 bytes.
/** @param {TileMap} map */
function areaBytes(map)
{
    if (map.orientation !== TileMap.Orthogonal)
        throw new Error("the map is not orthogonal");
    if (map.infinite)
        throw new Error("the map is infinite; an area is 10 x 10 tiles");
    if (map.width !== boardCols || map.height !== boardRows)
        throw new Error(`the map is ${map.width} x ${map.height} tiles; an area is 10 x 10`);
    const layers = allLayers(map.layers, []);
    const tileLayers = layers.filter(layer => layer.isTileLayer);
    const boards = tileLayers.filter(layer => layer.name === boardLayerName);
    if (boards.length !== 1)
        throw new Error(`the map holds ${boards.length} tile layers named board; an area has one`);
    if (tileLayers.length > 1)
        throw new Error("the map holds tile layers besides board, which an area cannot keep");
    const values = boardValues(/** @type {TileLayer} */ (boards[0]));
    const time = map.property("time_allowed");
    if (time === undefined)
        throw new Error("the map has no property time_allowed");
    if (!isInt32(time))
        throw new Error(`time_allowed is ${JSON.stringify(time)}, not a whole number`
                        + " from -2147483648 to 2147483647");
    const name = nameField(map);
    const [markCol, markRow] = markCell(map, layers);

    const data = new DataView(new ArrayBuffer(areaFileSize));
    data.setInt32(markColOffset, markCol, true);
    data.setInt32(markRowOffset, markRow, true);
    data.setInt32(timeOffset, /** @type {number} */ (time), true);
    for (let col = 0; col < boardCols; ++col) {
        for (let row = 0; row < boardRows; ++row)
            data.setInt32(cellOffset(col, row), values[col][row], true);
    }
    name.forEach((b, i) => data.setUint8(nameOffset + i, b));
    return data.buffer;
}

// Nothing is opened before the whole area is known to be sound, and the
// file is replaced only once it is written in full: a refused or failed
// save leaves the old file as it was.
/** @param {TileMap} map @param {string} fileName @returns {string | undefined} */
function writeArea(map, fileName)
{
    let why = `cannot save ${fileName} as an area: `;
    try {
        const bytes = areaBytes(map);
        why = `cannot write ${fileName}: `;
        const file = new BinaryFile(fileName, BinaryFile.WriteOnly);
        file.write(bytes);
        file.commit();
        return undefined;
    } catch (e) {
        why += e instanceof Error ? e.message : String(e);
    }
    // Tiled shows what write returns, but only in its window: a headless
    // --export-map says no more than that it failed. So it goes to the
    // console as well.
    console.error(why);
    return why;
}

tiled.registerMapFormat("ard", {
    name: "areaedit area (*.ard)",
    extension: "ard",
    read: readArea,
    write: writeArea,
});

})();
