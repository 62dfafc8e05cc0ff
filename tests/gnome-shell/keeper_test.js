// The extension's GNOME 45+ entry, loaded as that Shell loads it (an ES
// module, default export) with stand-ins for the Shell's own modules, on a
// private session bus: a program started through the keeper gets the
// caller's arguments, folder, output and safe environment only, and its end
// is told; the windows of that client, and no other, are kept out of the
// window list, on every workspace, above the icons' window and below the
// others, never left focused, moved only by the program that named them,
// and a drag's end is told; turned off, the keeper ends what it started and
// says so.
// Usage (esm_entry.sh): gjs -m keeper_test.js FOLDER, with the extension in FOLDER.
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import System from 'system';

const folder = System.programArgs[0];
let failures = 0;
const check = (what, ok, detail = '') => {
    print(`${ok ? 'ok' : 'FAIL'}: ${what}${ok || !detail ? '' : ` (${detail})`}`);
    failures += ok ? 0 : 1;
};
const sleep = ms => new Promise(r => GLib.timeout_add(GLib.PRIORITY_DEFAULT, ms, () => r() || GLib.SOURCE_REMOVE));

// The Shell's display, as much of it as the keeper uses.
const signals = () => {
    const handlers = new Map();
    let next = 0;
    return {
        connect(name, fn) {
            handlers.set(++next, [name, fn]);
            return next;
        },
        disconnect(id) {
            handlers.delete(id);
        },
        emit(name, ...args) {
            [...handlers.values()].filter(([n]) => n === name).forEach(([, fn]) => fn(this, ...args));
        },
    };
};
const stack = [];
let focus = null, pointerMask = 0;
const display = Object.assign(signals(), {
    list_all_windows: () => [...stack],
    sort_windows_by_stacking: list => [...list].sort((a, b) => stack.indexOf(a) - stack.indexOf(b)),
    get_focus_window: () => focus,
    unset_input_focus: () => setFocus(null),
    get_grab_op: () => 0,
    get_n_monitors: () => 1,
    get_monitor_geometry: () => ({x: 0, y: 0, width: 1280, height: 720}),
});
const setFocus = w => {
    focus = w;
    display.emit('notify::focus-window');
};
globalThis.global = {
    display, context: {},
    workspace_manager: {get_active_workspace: () => ({get_work_area_for_monitor: () =>
        ({x: 0, y: 32, width: 1280, height: 688})})},
    window_manager: signals(),
    get_current_time: () => 0,
    get_pointer: () => [0, 0, pointerMask],
};
const makeWindow = (title, client = null, extra = {}) => Object.assign(signals(), {
    title, client, frame: {x: 0, y: 0, width: 364, height: 170}, sticky: false, transient: null,
    busName: null, path: null, minimized: false, above: false,
    get_title() { return this.title; },
    get_layer: () => 2,
    get_window_type: () => 0,
    get_transient_for() { return this.transient; },
    get_frame_rect() { return this.frame; },
    get_gtk_unique_bus_name() { return this.busName; },
    get_gtk_window_object_path() { return this.path; },
    located_on_workspace: () => true,
    stick() { this.sticky = true; },
    focus() { setFocus(this); },
    move_frame(user, x, y) {
        this.frame = {...this.frame, x, y};
        this.emit('position-changed');
    },
    lower() {
        stack.splice(stack.indexOf(this), 1);
        stack.unshift(this);
        display.emit('restacked');
    },
}, extra);
const titles = () => stack.map(w => w.title).join(' < ');

const bus = Gio.DBus.session;
const call = (method, args, type, fds = null) => new Promise((resolve, reject) => bus.call_with_unix_fd_list(
    metadata['bus-name'], `/${metadata['bus-name'].replace(/\./g, '/')}`, metadata['bus-name'], method, args,
    type ? new GLib.VariantType(type) : null, Gio.DBusCallFlags.NONE, 5000, fds, null, (c, res) => {
        try {
            resolve(c.call_with_unix_fd_list_finish(res)[0]);
        } catch (e) {
            reject(e);
        }
    }));
const heard = [];
const wait = async (what, test, ms = 5000) => {
    for (let t = 0; t < ms && !test(); t += 20)
        await sleep(20);
    return test();
};

const metadata = JSON.parse(new TextDecoder().decode(GLib.file_get_contents(`${folder}/metadata.json`)[1]));
const work = GLib.dir_make_tmp('keeper-XXXXXX');
metadata.program = `${work}/program`;
GLib.file_set_contents(metadata.program, '#!/bin/sh\necho "args=$* cwd=$(pwd)"\nenv | sort >"$(dirname "$0")/env"\n' +
    '[ "$1" = wait ] && exec sleep 30\nexit 3\n');
GLib.spawn_command_line_sync(`chmod 755 ${metadata.program}`);

async function main() {
    const {default: Entry} = await import(`file://${folder}/extension.js`);
    const extension = new Entry(metadata);
    extension.enable();
    bus.signal_subscribe(null, metadata['bus-name'], null, null, null, Gio.DBusSignalFlags.NONE,
        (c, sender, path, iface, name, args) => heard.push([name, args.deepUnpack()]));
    const owned = async () => (await new Promise(r => bus.call('org.freedesktop.DBus', '/org/freedesktop/DBus',
        'org.freedesktop.DBus', 'NameHasOwner', new GLib.Variant('(s)', [metadata['bus-name']]), null, 0, -1, null,
        (c, res) => r(c.call_finish(res).deepUnpack()[0]))));
    for (let i = 0; i < 100 && !(await owned()); i++)
        await sleep(20);

    // A program started through the keeper, with what it passes on.
    const out = Gio.File.new_for_path(`${work}/out`).replace(null, false, Gio.FileCreateFlags.NONE, null);
    const fds = Gio.UnixFDList.new_from_array([out.get_fd(), out.get_fd()]);
    const env = {LANG: 'C.UTF-8', XDG_CONFIG_HOME: '/config', LD_PRELOAD: '/evil.so', GTK_MODULES: 'evil', DISPLAY: ':9'};
    const [pid] = (await call('Start', new GLib.Variant('(assa{ss}hh)', [['run', '--family', 'medium'], work, env, 0, 1]),
        '(u)', fds)).deepUnpack();
    const ended = () => heard.find(([n, a]) => n === 'Ended' && a[0] === pid);
    check('its end is told, with its status', await wait('end', ended) && ended()[1][1] === 3 && !ended()[1][2],
        JSON.stringify(heard));
    const read = f => new TextDecoder().decode(GLib.file_get_contents(`${work}/${f}`)[1]);
    check('it gets the arguments and the folder, and writes to the caller\'s output',
        read('out').includes(`args=run --family medium cwd=${work}`), read('out'));
    const got = read('env');
    for (const [line, wanted] of [['LANG=C.UTF-8', true], ['XDG_CONFIG_HOME=/config', true],
        ['GDK_BACKEND=wayland', true], [`CORVANE_WIDGET_KEEPER=${metadata['bus-name']}`, true],
        ['LD_PRELOAD=', false], ['GTK_MODULES=', false], ['DISPLAY=', false]])
        check(`its environment ${wanted ? 'has' : 'lacks'} ${line}`, got.split('\n').some(l => l.startsWith(line)) === wanted);

    // A running widget and its window, among the icons' window and a normal
    // one; a stranger's window of the same title.
    const [waiting] = (await call('Start', new GLib.Variant('(assa{ss}hh)', [['wait'], work, {}, 0, 1]), '(u)',
        Gio.UnixFDList.new_from_array([out.get_fd(), out.get_fd()]))).deepUnpack();
    const {clients} = await import(`file://${folder}/stubs/Meta.js`);
    const client = clients[clients.length - 1];
    const icons = makeWindow('@!0,0;BDHF'), normal = makeWindow('Normal');
    const ours = makeWindow('Corvane today', client, {busName: bus.get_unique_name(), path: '/window1'});
    const twin = makeWindow('Corvane today', client, {busName: ':1.999', path: '/window1'});
    const stranger = makeWindow('Corvane today', {});
    stack.push(icons, normal);
    setFocus(normal);
    for (const w of [stranger, ours, twin]) {
        stack.push(w);  // a new window comes on top
        display.emit('window-created', w);
    }
    check('a stranger\'s window of the same title is left alone',
        !stranger.sticky && !client.hidden.has(stranger) && stack[stack.length - 1] !== normal, titles());
    check('the widget is out of the window list and on every workspace', client.hidden.has(ours) && ours.sticky);
    const rightOrder = () => stack.indexOf(icons) < stack.indexOf(ours) && stack.indexOf(ours) < stack.indexOf(normal);
    check('it sits above the icons\' window and below a normal window', rightOrder(), titles());
    stack.splice(stack.indexOf(ours), 1);
    stack.push(ours);
    ours.emit('raised');
    check('raised, it goes back there', rightOrder(), titles());

    for (const [what, mask, after] of [['a click', 0, normal], ['a press held', 1 << 8, ours]]) {
        pointerMask = mask;
        setFocus(ours);
        await sleep(300);
        check(`focus after ${what} ${after === normal ? 'goes back' : 'stays until the release'}`, focus === after,
            focus && focus.title);
    }
    pointerMask = 0;
    check('and goes back after the release', await wait('focus', () => focus === normal));

    await call('Move', new GLib.Variant('(oii)', ['/window1', 10, 20]), null);
    check('the program that named a window moves it', ours.frame.x === 10 && ours.frame.y === 20,
        JSON.stringify(ours.frame));
    check('another program\'s window of the same path stays', twin.frame.x === 0, JSON.stringify(twin.frame));
    ours.frame = {...ours.frame, x: 300, y: 400};
    display.emit('grab-op-end', ours);
    const moved = () => heard.find(([n, a]) => n === 'Moved' && a[0] === '/window1');
    check('a drag\'s end is told', await wait('moved', moved) && moved()[1][1] === 300 && moved()[1][2] === 400,
        JSON.stringify(heard));

    extension.disable();
    const again = () => heard.find(([n, a]) => n === 'Ended' && a[0] === waiting);
    check('turned off, it tells the caller to start the widget itself', await wait('again', again) && again()[1][2]);
    check('and ends what it started', await wait('gone', () => !GLib.file_test(`/proc/${waiting}`, GLib.FileTest.EXISTS)));
    return failures;
}

const loop = new GLib.MainLoop(null, false);
let status = 1;
main().then(f => {
    status = f ? 1 : 0;
}, e => {
    print(`FAIL: ${e}\n${e.stack}`);
}).finally(() => loop.quit());
loop.run();
print(`${failures} failed`);
System.exit(status);
