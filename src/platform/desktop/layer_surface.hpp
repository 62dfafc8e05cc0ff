#pragma once
// A widget window as a layer surface (Wayland compositors with layer shell:
// sway and other wlroots compositors, KDE): on the bottom layer, anchored
// to a corner of its monitor with margins, taking no keyboard and leaving
// the other surfaces their room.

#include <gtk/gtk.h>

#include <optional>

#include "platform/desktop/placement.hpp"

namespace corvane {

struct WindowPlacement;

namespace layer {

// Makes `window` (not yet shown) a layer surface placed as `placement` says.
void setUp(GtkWindow* window, const WindowPlacement& placement);

// Anchors it to the placement's corner, `offset` along the edge.
void anchor(GtkWindow* window, const WindowPlacement& placement);

// The monitor to show on: the chosen one while it exists, otherwise the
// compositor's choice. Takes effect the next time the surface is mapped.
void chooseMonitor(GtkWindow* window, const std::optional<int>& monitor);

}  // namespace layer
}  // namespace corvane
