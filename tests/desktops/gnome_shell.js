// Helpers the GNOME Shell test loads into the shell through
// org.gnome.Shell.Eval (the shell runs with --unsafe-mode). Each returns a
// short plain text (letters, digits, spaces and = , : | . - _ only) that
// the script reads with grep.
global._cv = (() => {
    const {Clutter, GLib, Meta, Shell} = imports.gi;
    const Main = imports.ui.main;
    const AltTab = imports.ui.altTab;
    const TITLE = 'Corvane today';

    const plain = s => String(s === null || s === undefined ? '' : s).replace(/[^A-Za-z0-9 =,:.@!_-]/g, '_');
    const windows = () => global.display.list_all_windows();
    const widgets = () => windows().filter(w => w.get_title() === TITLE);
    const byTitle = t => windows().find(w => w.get_title() === t);
    const rect = w => {
        const r = w.get_frame_rect();
        return `${r.x},${r.y},${r.width},${r.height}`;
    };
    const layerName = l => Object.keys(Meta.StackLayer).find(k => Meta.StackLayer[k] === l) || l;
    const typeName = t => Object.keys(Meta.WindowType).find(k => Meta.WindowType[k] === t) || t;
    const clientName = w => w.get_client_type() === Meta.WindowClientType.X11 ? 'x11' : 'wayland';
    const now = () => global.get_current_time();
    const usec = () => GLib.get_monotonic_time();
    let pointer = null, keyboard = null;
    const seat = () => Clutter.get_default_backend().get_default_seat();
    const ptr = () => pointer || (pointer = seat().create_virtual_device(Clutter.InputDeviceType.POINTER_DEVICE));
    const kbd = () => keyboard || (keyboard = seat().create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE));
    // Actors under `actor` that show a window in the overview.
    const previews = actor => {
        let found = [];
        if (actor.metaWindow instanceof Meta.Window && actor.visible)
            found.push(actor.metaWindow);
        for (const child of actor.get_children())
            found = found.concat(previews(child));
        return found;
    };

    return {
        ready() {
            return `starting=${Main.layoutManager._startingUp} overview=${Main.overview.visible}`;
        },
        session() {
            return `display=${GLib.getenv('DISPLAY')} xauthority=${GLib.getenv('XAUTHORITY')}`;
        },
        // The widget windows, one line each.
        info() {
            const ws = global.workspace_manager.get_active_workspace();
            const area = ws.get_work_area_for_monitor(global.display.get_primary_monitor());
            const focus = global.display.get_focus_window();
            return widgets().map(w => [
                `client=${clientName(w)}`, `type=${typeName(w.get_window_type())}`,
                `layer=${layerName(w.get_layer())}`, `skip_taskbar=${w.skip_taskbar}`,
                `all_workspaces=${w.is_on_all_workspaces()}`,
                `on_active_workspace=${w.located_on_workspace(ws)}`,
                `shown=${!w.minimized && !w.is_hidden() && w.get_compositor_private() !== null && w.get_compositor_private().visible}`,
                `focused=${focus === w}`, `frame=${rect(w)}`, `pid=${w.get_pid()}`,
                `workarea=${area.x},${area.y},${area.width},${area.height}`,
            ].join(' ')).join(' | ') || 'none';
        },
        // Every window, bottom first: title:layer:client.
        stack() {
            return global.display.sort_windows_by_stacking(windows())
                .map(w => `${plain(w.get_title())}:${layerName(w.get_layer())}:${clientName(w)}`).join(' | ');
        },
        focus() {
            const f = global.display.get_focus_window();
            return f ? plain(f.get_title()) : 'none';
        },
        // What the window switcher (Alt+Tab, altTab.js) offers: its window
        // list, and the windows of the applications it lists.
        switcher() {
            const list = AltTab.getWindows(null).map(w => plain(w.get_title()));
            const apps = Shell.AppSystem.get_default().get_running();
            const appWindows = [].concat(...apps.map(a => a.get_windows())).map(w => plain(w.get_title()));
            return `windows=${list.join(',')} app_windows=${appWindows.join(',')}`;
        },
        showOverview() {
            Main.overview.show();
            return 'ok';
        },
        hideOverview() {
            Main.overview.hide();
            return 'ok';
        },
        overviewShown() {
            return `${Main.overview.visible && !Main.overview.animationInProgress}`;
        },
        overviewHidden() {
            return `${!Main.overview.visible && !Main.overview.animationInProgress}`;
        },
        // Windows the overview shows a preview of, and the applications of the dash.
        overview() {
            const shown = previews(Main.layoutManager.overviewGroup).map(w => plain(w.get_title()));
            const dash = Main.overview.dash._box.get_children()
                .filter(c => c.child && c.child._delegate && c.child._delegate.app)
                .map(c => c.child._delegate.app);
            const dashWindows = [].concat(...dash.map(a => a.get_windows())).map(w => plain(w.get_title()));
            return `previews=${shown.join(',')} dash_windows=${dashWindows.join(',')}`;
        },
        workspaces() {
            const m = global.workspace_manager;
            return `count=${m.get_n_workspaces()} active=${m.get_active_workspace_index()}`;
        },
        switchTo(i) {
            const m = global.workspace_manager;
            if (i >= m.get_n_workspaces())
                m.append_new_workspace(false, now());
            m.get_workspace_by_index(i).activate(now());
            return 'ok';
        },
        activate() {
            widgets().forEach(w => w.activate(now()));
            return 'ok';
        },
        raise() {
            widgets().forEach(w => w.raise());
            return 'ok';
        },
        move(title, x, y) {
            const w = byTitle(title);
            if (!w)
                return 'none';
            w.move_frame(true, x, y);
            return 'ok';
        },
        // The widget's menus: popup windows of its X11 client, or popups
        // of its Wayland window.
        menus() {
            const ofWidget = w => w.get_wm_class() === 'corvane-widget' ||
                (w.get_transient_for() && w.get_transient_for().get_title() === TITLE);
            return windows().filter(w => ofWidget(w) && w.get_title() !== TITLE)
                .map(w => `${typeName(w.get_window_type())}:${rect(w)}`).join(',') || 'none';
        },
        // Popup windows of any client, for what opened instead.
        popups() {
            return windows().filter(w => w.get_window_type() >= Meta.WindowType.DROPDOWN_MENU &&
                                         w.get_window_type() <= Meta.WindowType.COMBO)
                .map(w => `${plain(w.get_wm_class())}:${typeName(w.get_window_type())}:${rect(w)}`).join(',') || 'none';
        },
        // A pointer of the compositor's own (what a mouse does).
        pointerTo(x, y) {
            ptr().notify_absolute_motion(usec(), x, y);
            return 'ok';
        },
        button(b, down) {
            ptr().notify_button(usec(), b, down ? Clutter.ButtonState.PRESSED : Clutter.ButtonState.RELEASED);
            return 'ok';
        },
        key(name) {
            const keyval = Clutter[`KEY_${name}`];
            kbd().notify_keyval(usec(), keyval, Clutter.KeyState.PRESSED);
            kbd().notify_keyval(usec() + 20000, keyval, Clutter.KeyState.RELEASED);
            return 'ok';
        },
        desktopIcons() {
            const w = windows().find(x => (x.get_title() || '').startsWith('@!'));
            return w ? `layer=${layerName(w.get_layer())} type=${typeName(w.get_window_type())} frame=${rect(w)} client=${clientName(w)}` : 'none';
        },
    };
})();
'loaded';
