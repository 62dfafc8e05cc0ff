#include "platform/desktop/display_session.hpp"

#include <gtest/gtest.h>

namespace corvane {
namespace {

// Which backend a window program takes, from what is named and what answers.
TEST(DisplaySession, TakesX11ThroughXwaylandOnlyWhereTheCompositorHasNoLayerShell) {
  struct Case {
    const char* desktop;
    DisplayProbe probe;
    const char* allowed;
    bool said;
  };
  const std::vector<Case> cases = {
      {"sway, KDE: layer shell", {true, true, true, true, true, ""}, "wayland", false},
      {"GNOME with Xwayland", {true, true, true, true, false, ""}, "x11", true},
      {"GNOME, no X display", {true, false, true, false, false, ""}, "wayland", false},
      {"GNOME, X not answering", {true, true, true, false, false, ""}, "wayland", false},
      {"X11 alone", {false, true, false, true, false, ""}, "x11", false},
      {"a person's GDK_BACKEND", {true, true, true, true, false, "wayland"}, "", false},
      {"nothing answers", {true, true, false, false, false, ""}, "", false},
  };
  for (const Case& c : cases) {
    const BackendChoice choice = chooseBackend(c.probe);
    EXPECT_EQ(choice.allowed, c.allowed) << c.desktop;
    EXPECT_EQ(!choice.note.empty(), c.said) << c.desktop;
  }
}

}  // namespace
}  // namespace corvane
