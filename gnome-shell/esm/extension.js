// The entry GNOME Shell 45 and later load: an ES module whose default
// export is the extension; the keeper is the same file the older entry
// loads, made a module by the build.
import Clutter from 'gi://Clutter';
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Meta from 'gi://Meta';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';
import {makeKeeper} from './keeper.js';

export default class CorvaneToday extends Extension {
    enable() {
        this._keeper = makeKeeper({Clutter, Gio, GLib, Meta, Main, global, program: this.metadata.program,
            name: this.metadata['bus-name'], log: console.log});
        this._keeper.enable();
    }

    disable() {
        this._keeper.disable();
        this._keeper = null;
    }
}
