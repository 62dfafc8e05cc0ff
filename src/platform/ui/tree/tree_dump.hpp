#pragma once
// The view tree as JSON, for people and tests (format: docs/view-tree.md).

#include <functional>
#include <optional>

#include "platform/ui/layout/geometry.hpp"
#include "platform/ui/tree/node.hpp"
#include "support/json_writer.hpp"

namespace corvane {

// Where a node was placed, in widget coordinates, when a layout is at hand.
using FrameLookup = std::function<std::optional<Rect>(const Node&)>;

void dumpTree(JsonWriter& out, const Node& root, const Environment& env, const FrameLookup& frames = {});

void dumpColor(JsonWriter& out, const Color& color);

}  // namespace corvane
