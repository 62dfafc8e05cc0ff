#include "platform/ui/shaping/visible_text.hpp"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace corvane {
namespace {

// No grapheme that takes room advances less than this: Inter's narrowest
// spacing glyph (the hair space) is 0.091 em, JetBrains Mono's all 0.6 em.
// Graphemes that take no room (marks alone, format characters, default
// ignorables) are not counted, see takesRoom. No line is shorter than one em.
constexpr double kNarrowestAdvanceEm = 0.09;
constexpr double kSmallestLineHeightEm = 1.0;
// One line past those that fit: the words after the last visible line are
// kept or cut past the width, so the visible lines break as the whole text's
// do, and a line limit still ends its last line with "…".
constexpr std::size_t kExtraLines = 1;

struct UTextClose {
  void operator()(UText* t) const noexcept { utext_close(t); }
};

// Where a paragraph separator (line feed, carriage return, U+2029) starts at
// or after `from`, or npos.
std::size_t nextParagraphSeparator(std::string_view s, std::size_t from) {
  for (std::size_t i = from; i < s.size(); ++i) {
    char c = s[i];
    if (c == '\n' || c == '\r') return i;
    if (c == '\xE2' && i + 2 < s.size() && s[i + 1] == '\x80' && s[i + 2] == '\xA9') return i;
  }
  return std::string_view::npos;
}

bool startsParagraph(std::string_view s, std::size_t at) {
  return at < s.size() && nextParagraphSeparator(s.substr(0, std::min(s.size(), at + 3)), at) == at;
}

// Whether the grapheme starting at `at` takes room on a line. A run of
// graphemes that take none costs shaping all the same, so only as many of
// them go uncounted as the budget has graphemes; past that they count.
bool takesRoom(std::string_view s, std::size_t at) {
  UChar32 c = 0;
  auto i = static_cast<int32_t>(at);
  const char* bytes = s.data();
  U8_NEXT(bytes, i, static_cast<int32_t>(s.size()), c);
  if (c < 0) return true;  // shown as U+FFFD
  const auto type = u_charType(c);
  return !(type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK || type == U_FORMAT_CHAR ||
           u_hasBinaryProperty(c, UCHAR_DEFAULT_IGNORABLE_CODE_POINT));
}

// ICU builds a break iterator from its rules data, which costs more than
// most texts take to walk: one is kept per thread and given each text.
icu::BreakIterator* graphemeIterator() {
  thread_local std::unique_ptr<icu::BreakIterator> kept = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> made(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) made.reset();
    return made;
  }();
  return kept.get();
}

// The pieces of `text` within the budget, as byte ranges appended to `out`.
void cut(std::string_view text, const TextBudget& budget, std::string& out) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UText, UTextClose> ut(
      utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status));
  // The kept iterator points at this text until it is given the next one,
  // and serves nothing else in between.
  icu::BreakIterator* graphemes = graphemeIterator();
  if (!graphemes || U_FAILURE(status)) {
    out.append(text.substr(0, budget.graphemesPerLine * budget.lines));  // bytes, at worst
    return;
  }
  graphemes->setText(ut.get(), status);
  const std::size_t total = budget.graphemesPerLine * budget.lines;
  std::size_t start = 0, pieceStart = 0, inLine = 0, counted = 0, paragraphs = 1, roomless = 0;
  for (int32_t end = graphemes->next(); end != icu::BreakIterator::DONE; end = graphemes->next()) {
    const auto stop = static_cast<std::size_t>(end);
    if (startsParagraph(text, start)) {
      if (++paragraphs > budget.lines) break;
      inLine = 0;
    } else if (budget.wraps ? counted >= total : inLine >= budget.graphemesPerLine) {
      if (budget.wraps) break;
      // The rest of this one-line paragraph is past the canvas's edge.
      std::size_t next = nextParagraphSeparator(text, start);
      out.append(text.substr(pieceStart, start - pieceStart));
      pieceStart = start = next;
      if (next == std::string_view::npos) return;
      graphemes->following(static_cast<int32_t>(next));
      graphemes->previous();
      continue;
    } else if (takesRoom(text, start) || ++roomless > total) {
      ++inLine;
      ++counted;
    }
    start = stop;
  }
  out.append(text.substr(pieceStart, start - pieceStart));
}

// Whether `text` is within the budget whatever its graphemes are: no
// grapheme is shorter than a byte, and no paragraph starts but at a
// separator. Layout measures every text again and again, and most are short:
// this spares them a grapheme iterator (ICU builds one from its rules data).
bool fitsWhole(std::string_view text, const TextBudget& budget) {
  const std::size_t room = budget.wraps ? budget.graphemesPerLine * budget.lines : budget.graphemesPerLine;
  if (text.size() > room) return false;
  std::size_t separators = 0;
  for (std::size_t at = nextParagraphSeparator(text, 0); at != std::string_view::npos;
       at = nextParagraphSeparator(text, at + 1))
    ++separators;
  return separators < budget.lines;
}

void appendUtf8(std::string& out, UChar32 c) {
  char buffer[U8_MAX_LENGTH];
  int32_t length = 0;
  // NOLINTNEXTLINE(readability-simplify-subscript-expr): inside ICU's macro
  U8_APPEND_UNSAFE(buffer, length, c);
  out.append(buffer, static_cast<std::size_t>(length));
}

std::string showControls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const auto length = static_cast<int32_t>(text.size());
  const char* bytes = text.data();
  for (int32_t i = 0; i < length;) {
    int32_t from = i;
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    if (c < 0 || (c >= 0x80 && c <= 0x9F)) {
      appendUtf8(out, 0xFFFD);
    } else if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) {
      appendUtf8(out, c == 0x7F ? 0x2421 : 0x2400 + c);
    } else {
      out.append(text.data() + from, static_cast<std::size_t>(i - from));
    }
  }
  return out;
}

}  // namespace

TextBudget textBudget(double fontSize, std::optional<double> width, int maxLines, std::optional<double> height) {
  const double em = std::max(fontSize, 1.0);
  TextBudget b;
  b.wraps = width.has_value();
  // Nothing wider than the canvas shows more than the canvas does.
  double lineWidth = std::clamp(width.value_or(kLargestCanvasWidth), 0.0, kLargestCanvasWidth);
  b.graphemesPerLine = static_cast<std::size_t>(std::floor(lineWidth / (em * kNarrowestAdvanceEm))) + 1;
  double lineRoom = std::clamp(height.value_or(kLargestCanvasHeight), 0.0, kLargestCanvasHeight);
  auto fit = static_cast<std::size_t>(std::floor(lineRoom / (em * kSmallestLineHeightEm)));
  if (maxLines > 0) fit = std::min(fit, static_cast<std::size_t>(maxLines));
  b.lines = fit + kExtraLines;
  // On one line per paragraph nothing is ellipsized: a line limit is the
  // number of paragraphs measured.
  if (!b.wraps && maxLines > 0) b.lines = std::min(b.lines, static_cast<std::size_t>(maxLines));
  return b;
}

std::string visibleText(std::string_view text, const TextBudget& budget) {
  if (fitsWhole(text, budget)) return showControls(text);
  std::string kept;
  cut(text, budget, kept);
  return showControls(kept);
}

}  // namespace corvane
