// What Tiled's script engine gives an extension besides its documented API.

/** The path of the file being run, while it is first run. */
declare const __filename: string;

/** The engine's console: Tiled's Console view, and stderr when run headless. */
declare const console: { error(...data: unknown[]): void };

/** The typings of 1.8.2 declare FileInfo's methods but not the global
 * object that Tiled 1.8.2 gives scripts. */
declare const FileInfo: FileInfo;
