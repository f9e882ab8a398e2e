#pragma once
// Line breaking, shrinking and truncation of a text for a proposed size. Only single-line widths
// come from the measurer, so layout and drawing agree on every line.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/environment.h"
#include "platform/ui/geometry.h"
#include "platform/ui/text_measurer.h"

namespace ui::detail {

struct TextParameters {
    Font font;  // tabular digits already applied
    double tracking = 0;
    std::optional<int> lineLimit;
    TruncationMode truncation = TruncationMode::tail;
    double minimumScaleFactor = 1;
};

struct TextLines {
    std::vector<std::string> lines;
    double scale = 1;
    bool truncated = false;
    double lineHeight = 0;  // after scaling
    Size size;
};

// Without a width, each paragraph ('\n'-separated) is one line. With one, lines break where the
// Unicode line breaking rules allow (after spaces and hyphens, between ideographs; spaces at a
// break are dropped), and a run with no break that fits breaks between user-perceived
// characters. The lines allowed are the line limit and, with a height, as many whole lines as
// fit (at least one). When the text does not fit, the font shrinks toward the minimum scale
// factor; if it still does not fit, the last allowed line takes the rest of the text and is cut
// with "…" as the truncation mode says.
TextLines layoutText(std::string_view text, const TextParameters& parameters, ProposedSize proposal,
                     const TextMeasurer& measurer);

// `text` cut to at most `width` points with "…" at the head, middle or tail, between
// user-perceived characters (foundation::graphemeClusterBoundaries), spaces next to the "…"
// dropped. Text that fits is returned as it is.
std::string truncateText(std::string_view text, double width, TruncationMode mode, const Font& font,
                         double tracking, const TextMeasurer& measurer);

}  // namespace ui::detail
