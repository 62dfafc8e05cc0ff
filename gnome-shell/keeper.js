/* exported makeKeeper */
// What makes the widget a desktop widget under GNOME Shell, which lets no
// client choose its own stacking, workspaces, focus or window-list entry.
//
// `corvane-widget run` asks this keeper over the session bus to start the
// window program. The keeper starts it itself, through the Shell's own
// Meta.WaylandClient, and only the program fixed when the extension was
// installed: a window is the widget's when that client owns it, which no
// other program can fake (a title, a class or a process id could be). Those
// windows, and only they, are kept out of the window list, on every
// workspace, below every normal window yet above the desktop icons' window,
// and never left focused; the program places them through the keeper (a
// Wayland client cannot move itself) and hears where a drag left them.
//
// Written once for every Shell generation: the entry of each (extension.js)
// hands it what it imports in its own way.

function makeKeeper({Clutter, Gio, GLib, Meta, Main, global, program, name, log}) {
    const NAME = name;
    const PATH = `/${name.replace(/\./g, '/')}`;
    const INTERFACE = `<node><interface name="${NAME}">
  <method name="Start">
    <arg name="args" type="as" direction="in"/><arg name="cwd" type="s" direction="in"/>
    <arg name="env" type="a{ss}" direction="in"/>
    <arg name="stdout" type="h" direction="in"/><arg name="stderr" type="h" direction="in"/>
    <arg name="pid" type="u" direction="out"/>
  </method>
  <signal name="Ended"><arg name="pid" type="u"/><arg name="status" type="i"/><arg name="again" type="b"/></signal>
  <method name="WorkAreas"><arg name="areas" type="a(iiiiiiii)" direction="out"/></method>
  <signal name="WorkAreasChanged"/>
  <method name="Move">
    <arg name="window" type="o" direction="in"/><arg name="x" type="i" direction="in"/>
    <arg name="y" type="i" direction="in"/>
  </method>
  <signal name="Moved"><arg name="window" type="o"/><arg name="x" type="i"/><arg name="y" type="i"/></signal>
</interface></node>`;
    // What of the caller's environment the program is given: its language,
    // time zone and folders. Nothing that loads code (LD_*, GTK_MODULES) and
    // no display: the keeper names the Shell's own.
    const PASSED = /^(LANG|LANGUAGE|LC_[A-Z_]+|TZ|HOME|TMPDIR|XDG_(CONFIG|DATA|STATE|CACHE|RUNTIME)_(HOME|DIR))$/;
    const SIGTERM = 15;

    const children = new Map();  // pid → {client, process, watch}
    const windows = new Map();   // Meta.Window → {client, ids, wanted}
    const asked = new Map();     // where the program asked a window to go, by bus name and path
    const handlers = [];         // [object, id]
    let exported = null, ownerId = 0, refocusId = 0;
    // The window focused last that is not ours, while it lasts.
    let lastOther = null, lastOtherId = 0;
    const setLastOther = w => {
        if (lastOther)
            lastOther.disconnect(lastOtherId);
        lastOther = w;
        lastOtherId = w ? w.connect('unmanaged', () => setLastOther(null)) : 0;
    };

    const connect = (object, signal, fn) => handlers.push([object, object.connect(signal, fn)]);
    const now = () => global.get_current_time();
    const emit = (signal, type, values) => exported && exported.emit_signal(signal, new GLib.Variant(type, values));
    const clientOf = w => [...children.values()].map(c => c.client).find(c => c.owns_window(w));
    const isWidget = w => windows.has(w);
    // The desktop icons' window (ding@rastersoft.com): a title beginning with "@!".
    const isIcons = w => !isWidget(w) && (w.get_title() || '').startsWith('@!');

    // Stacking, in the Shell's normal layer, bottom first: the icons'
    // window, the widgets, everything else. Each lower() goes to the bottom,
    // so the widgets go first; checked before acting, so that the restack it
    // causes finds nothing to do.
    const stackedRight = () => {
        const normal = global.display.sort_windows_by_stacking(global.display.list_all_windows())
            .filter(w => w.get_layer() === Meta.StackLayer.NORMAL);
        const rank = w => isIcons(w) ? 0 : isWidget(w) ? 1 : 2;
        return normal.every((w, i) => i === 0 || rank(normal[i - 1]) <= rank(w));
    };
    let restacking = false;  // the Shell may tell of each lower() at once
    const keepDown = () => {
        if (restacking || windows.size === 0 || stackedRight())
            return;
        restacking = true;
        try {
            for (const w of windows.keys())
                w.lower();
            for (const w of global.display.list_all_windows().filter(isIcons))
                w.lower();
        } finally {
            restacking = false;
        }
    };

    // Focus a click gave a widget goes back where it was once the click's
    // own work is done: the button is up, a drag is over, the widget's menu
    // (which has the keyboard meanwhile) is closed.
    const popupOpen = () => global.display.list_all_windows().some(w => isWidget(w.get_transient_for()));
    const HELD = Clutter.ModifierType.BUTTON1_MASK | Clutter.ModifierType.BUTTON2_MASK |
        Clutter.ModifierType.BUTTON3_MASK;
    const giveBackFocus = () => {
        if (refocusId)
            return;
        refocusId = GLib.timeout_add(GLib.PRIORITY_DEFAULT, 100, () => {
            const focus = global.display.get_focus_window();
            if (focus && isWidget(focus) && global.get_pointer()[2] & HELD)
                return GLib.SOURCE_CONTINUE;  // only while a button is held
            refocusId = 0;
            // A drag's end and a menu's close call again.
            if (!focus || !isWidget(focus) || global.display.get_grab_op() || popupOpen())
                return GLib.SOURCE_REMOVE;
            const workspace = global.workspace_manager.get_active_workspace();
            if (lastOther && !lastOther.minimized && lastOther.located_on_workspace(workspace))
                lastOther.focus(now());
            else
                global.display.unset_input_focus(now());
            return GLib.SOURCE_REMOVE;
        });
    };
    const onFocus = () => {
        const focus = global.display.get_focus_window();
        if (!focus)
            return;
        if (isWidget(focus))
            giveBackFocus();
        else if (!clientOf(focus) && focus !== lastOther)
            setLastOther(focus);
    };
    // The widget's menu: the keyboard goes to it while it is open.
    const onPopup = w => {
        const parent = w.get_transient_for();
        if (!isWidget(parent))
            return;
        if (global.display.get_focus_window() !== parent)
            parent.focus(now());
        const id = w.connect('unmanaged', () => {
            w.disconnect(id);
            giveBackFocus();
        });
    };

    // A window is named by the program (its bus name and an object path on
    // its surface), possibly after it asked to move it.
    const askedOf = w => asked.get(`${w.get_gtk_unique_bus_name()} ${w.get_gtk_window_object_path()}`);
    const place = (w, entry) => {
        entry.wanted = askedOf(w) || entry.wanted;
        if (entry.wanted)
            w.move_frame(true, entry.wanted[0], entry.wanted[1]);
    };
    const forget = (w, entry) => {
        entry.ids.forEach(id => w.disconnect(id));
        if (entry.idle)
            GLib.source_remove(entry.idle);
    };
    const manage = (w, client) => {
        if (windows.has(w) || w.get_window_type() !== Meta.WindowType.NORMAL || w.get_transient_for())
            return;
        const entry = {client, ids: [], wanted: null, idle: 0};
        windows.set(w, entry);
        const on = (signal, fn) => entry.ids.push(w.connect(signal, fn));
        client.hide_from_window_list(w);
        w.stick();
        on('raised', keepDown);
        // Where the program put it, also when the Shell would place it
        // elsewhere (its first map, a work area that changed) — not while a
        // person drags it.
        // (After the Shell's own move is done: a move from within it is lost.)
        on('position-changed', () => {
            const r = w.get_frame_rect();
            if (!entry.wanted || entry.idle || global.display.get_grab_op() ||
                (r.x === entry.wanted[0] && r.y === entry.wanted[1]))
                return;
            entry.idle = GLib.idle_add(GLib.PRIORITY_DEFAULT, () => {
                entry.idle = 0;
                place(w, entry);
                return GLib.SOURCE_REMOVE;
            });
        });
        on('notify::gtk-window-object-path', () => place(w, entry));
        on('notify::minimized', () => w.minimized && w.unminimize());
        on('notify::above', () => w.above && w.unmake_above());
        on('unmanaged', () => {
            forget(w, entry);
            windows.delete(w);
        });
        place(w, entry);
        keepDown();
        onFocus();
    };

    const onWindow = w => {
        const client = clientOf(w);
        if (client && w.get_transient_for())
            onPopup(w);
        else if (client)
            manage(w, client);
    };

    const onDragEnd = (display, w) => {
        const entry = windows.get(w);
        const path = w.get_gtk_window_object_path();
        if (!entry || !path)
            return;
        const r = w.get_frame_rect();
        entry.wanted = [r.x, r.y];
        asked.set(`${w.get_gtk_unique_bus_name()} ${path}`, entry.wanted);
        emit('Moved', '(oii)', [path, r.x, r.y]);
        keepDown();
        giveBackFocus();
    };

    const workAreas = () => {
        const workspace = global.workspace_manager.get_active_workspace();
        const areas = [];
        for (let i = 0; i < global.display.get_n_monitors(); i++) {
            const m = global.display.get_monitor_geometry(i), a = workspace.get_work_area_for_monitor(i);
            areas.push([m.x, m.y, m.width, m.height, a.x, a.y, a.width, a.height]);
        }
        return areas;
    };

    // A Wayland client of the Shell's own: GNOME 43 makes one from the
    // launcher alone, 44 and later also take the Shell's context.
    const spawn = (launcher, argv) => {
        let client;
        try {
            client = Meta.WaylandClient.new(launcher);
        } catch (e) {
            client = Meta.WaylandClient.new(global.context, launcher);
        }
        return [client, client.spawnv(global.display, argv)];
    };

    const service = {
        StartAsync([args, cwd, env, stdoutIndex, stderrIndex], invocation) {
            try {
                const fds = invocation.get_message().get_unix_fd_list();
                const launcher = new Gio.SubprocessLauncher({flags: Gio.SubprocessFlags.NONE});
                for (const [key, value] of Object.entries(env)) {
                    if (PASSED.test(key))
                        launcher.setenv(key, value, true);
                }
                launcher.unsetenv('DISPLAY');
                launcher.setenv('GDK_BACKEND', 'wayland', true);
                launcher.setenv('CORVANE_WIDGET_KEEPER', NAME, true);
                if (cwd)
                    launcher.set_cwd(cwd);
                if (fds) {
                    launcher.take_stdout_fd(fds.get(stdoutIndex));
                    launcher.take_stderr_fd(fds.get(stderrIndex));
                }
                const [client, process] = spawn(launcher, [program, ...args]);
                const pid = Number(process.get_identifier());
                // The caller gone (killed, its terminal closed): so is the widget it started.
                const watch = Gio.bus_watch_name_on_connection(Gio.DBus.session, invocation.get_sender(),
                    Gio.BusNameWatcherFlags.NONE, null, () => process.send_signal(SIGTERM));
                children.set(pid, {client, process, watch});
                process.wait_async(null, () => {
                    if (!children.delete(pid))
                        return;  // ended by disable(), which said so
                    const status = process.get_if_signaled() ? 128 + process.get_term_sig()
                        : process.get_exit_status();
                    Gio.bus_unwatch_name(watch);
                    emit('Ended', '(uib)', [pid, status, false]);
                });
                invocation.return_value(new GLib.Variant('(u)', [pid]));
            } catch (e) {
                log(`corvane-widget: cannot start ${program}: ${e.message}`);
                invocation.return_dbus_error('org.freedesktop.DBus.Error.Failed', e.message);
            }
        },
        WorkAreas() {
            return workAreas();
        },
        MoveAsync([path, x, y], invocation) {
            // Only the program that named the window moves it.
            asked.set(`${invocation.get_sender()} ${path}`, [x, y]);
            for (const [w, entry] of windows) {
                if (askedOf(w))
                    place(w, entry);
            }
            invocation.return_value(null);
        },
    };

    return {
        enable() {
            if (!Meta.is_wayland_compositor())
                return;  // on X11 the program's own window hints do all this
            exported = Gio.DBusExportedObject.wrapJSObject(INTERFACE, service);
            exported.export(Gio.DBus.session, PATH);
            ownerId = Gio.bus_own_name_on_connection(Gio.DBus.session, NAME, Gio.BusNameOwnerFlags.NONE,
                null, null);
            connect(global.display, 'window-created', (d, w) => onWindow(w));
            connect(global.display, 'notify::focus-window', onFocus);
            connect(global.display, 'restacked', keepDown);
            connect(global.display, 'grab-op-end', onDragEnd);
            connect(global.display, 'workareas-changed', () => emit('WorkAreasChanged', '()', []));
            connect(Main.layoutManager, 'monitors-changed', () => emit('WorkAreasChanged', '()', []));
            connect(global.window_manager, 'switch-workspace', keepDown);
        },
        // Turned off (or the Shell ends): the widgets end, and each caller is
        // told to start its widget again, now without the keeper.
        disable() {
            handlers.splice(0).forEach(([object, id]) => object.disconnect(id));
            if (refocusId)
                GLib.source_remove(refocusId);
            refocusId = 0;
            windows.forEach((entry, w) => forget(w, entry));
            windows.clear();
            asked.clear();
            for (const [pid, child] of children) {
                Gio.bus_unwatch_name(child.watch);
                emit('Ended', '(uib)', [pid, 0, true]);
                child.process.send_signal(SIGTERM);
            }
            children.clear();
            if (ownerId)
                Gio.bus_unown_name(ownerId);
            ownerId = 0;
            if (exported)
                exported.unexport();
            exported = null;
            setLastOther(null);
        },
        // For tests: the widget windows kept now.
        windows: () => [...windows.keys()],
    };
}
