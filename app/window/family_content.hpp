#pragma once
// What a window shows: a family's live layout, painted by the widget's own
// painter, and its texts for screen readers.

#include <functional>
#include <string>
#include <string_view>

#include "platform/desktop/widget_window.hpp"
#include "platform/ui/paint/live_layout.hpp"

namespace corvane {

// A family's live layout as a window shows it. GTK clips each paint to the
// region that changed, so a ticking text repaints only its own pixels.
class FamilyContent final : public WindowContent {
 public:
  // `painted` is told of every paint, with the family shown then.
  using Painted = std::function<void(const FamilyContent&, int scale)>;
  FamilyContent(WidgetFamily family, const FontLibrary& fonts, Painted painted)
      : family_(family), fonts_(fonts), painted_(std::move(painted)) {}

  const LiveLayout* layout = nullptr;  // none until the host has drawn the family
  std::function<std::string()> note;   // said after the texts to a screen reader, if anything

  WidgetFamily widgetFamily() const { return family_; }
  void setFamily(WidgetFamily f) { family_ = f; }

  Size size() const override;
  double cornerRadius() const override;
  std::string_view family() const override;
  void paint(cairo_t* cr, int scale) override;
  std::string description() const override;

 private:
  WidgetFamily family_;
  const FontLibrary& fonts_;
  Painted painted_;
};

}  // namespace corvane
