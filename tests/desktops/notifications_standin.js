// A notification service for the desktop tests: owns
// org.freedesktop.Notifications on the session bus and appends each Notify
// call to the file given, one line "app|replaces|icon|summary|body".
// "ready" is the first line, once the name is owned.
// Usage: gjs notifications_standin.js FILE
const {Gio, GLib} = imports.gi;

const file = Gio.File.new_for_path(ARGV[0]);
const append = line => {
  const out = file.append_to(Gio.FileCreateFlags.NONE, null);
  out.write_all(new TextEncoder().encode(`${line}\n`), null);
  out.close(null);
};

const xml = `<node><interface name="org.freedesktop.Notifications">
  <method name="Notify">
    <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
    <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
    <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/><arg type="u" direction="out"/>
  </method>
  <method name="GetCapabilities"><arg type="as" direction="out"/></method>
</interface></node>`;

let next = 1;
const service = Gio.DBusExportedObject.wrapJSObject(xml, {
  Notify(app, replaces, icon, summary, body) {
    append([app, replaces, icon, summary, body].join('|'));
    return replaces || next++;
  },
  GetCapabilities() {
    return ['body'];
  },
});
const loop = new GLib.MainLoop(null, false);
Gio.bus_own_name(Gio.BusType.SESSION, 'org.freedesktop.Notifications', Gio.BusNameOwnerFlags.NONE,
  bus => service.export(bus, '/org/freedesktop/Notifications'), () => append('ready'), () => loop.quit());
loop.run();
