// A stand-in for GNOME Shell's Meta (mutter) as an extension sees it: the
// Shell's Wayland clients start real processes through their launcher, and
// own the windows the test gives them.
// The clients made, newest last.
export const clients = [];

export default {
    StackLayer: {BOTTOM: 1, NORMAL: 2},
    WindowType: {NORMAL: 0, DROPDOWN_MENU: 7},
    is_wayland_compositor: () => true,
    WaylandClient: {
        // GNOME 44 and later: the Shell's context first.
        new(context, launcher) {
            if (!launcher)
                throw new Error('Meta.WaylandClient.new takes a context and a launcher');
            const client = {
                hidden: new Set(),
                spawnv(display, argv) {
                    return launcher.spawnv(argv);
                },
                owns_window(w) {
                    return w.client === this;
                },
                hide_from_window_list(w) {
                    this.hidden.add(w);
                },
            };
            clients.push(client);
            return client;
        },
    },
};
