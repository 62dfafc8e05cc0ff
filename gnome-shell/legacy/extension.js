/* exported init */
// The entry GNOME Shell 43 and 44 load: their extensions are `imports`
// modules, and the keeper is reached through the extension's own imports.
const {Clutter, Gio, GLib, Meta} = imports.gi;
const Main = imports.ui.main;
const Me = imports.misc.extensionUtils.getCurrentExtension();

function init() {
    let keeper = null;
    return {
        enable() {
            keeper = Me.imports.keeper.makeKeeper({Clutter, Gio, GLib, Meta, Main, global, program: Me.metadata.program,
                name: Me.metadata['bus-name'], log});
            keeper.enable();
        },
        disable() {
            keeper.disable();
            keeper = null;
        },
    };
}
