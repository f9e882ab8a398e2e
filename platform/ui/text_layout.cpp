#include "platform/ui/detail/text_layout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "platform/foundation/unicode.h"

namespace ui::detail {

namespace {

constexpr double kEpsilon = 1e-6;
constexpr std::string_view kEllipsis = "\xE2\x80\xA6";  // U+2026

std::string_view trimTrailingSpaces(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

struct Attempt {
    // Line ranges [first, second) into the text.
    std::vector<std::pair<std::size_t, std::size_t>> lines;
    bool fits = true;
    double lineHeight = 0;
    std::size_t allowed = 0;
};

// The boundaries of one text, found on first use and kept for every attempt at another scale;
// text that fits at once needs none. Layout also asks for one text at several proposals (a stack
// sizes each child at its minimum and at its maximum before placing it), so each thread keeps
// the boundaries of the last texts it segmented and finds them again by content.
class Boundaries {
public:
    explicit Boundaries(std::string_view text) : text_(text) {}

    const std::vector<std::size_t>& characters() { return found().characters(); }
    const std::vector<std::size_t>& lineBreaks() { return found().lineBreaks(); }

private:
    struct Entry {
        explicit Entry(std::string_view t) : text(t), boundaries(text) {}
        const std::string text;
        foundation::TextBoundaries boundaries;  // refers to `text`
    };

    foundation::TextBoundaries& found() {
        if (entry_) return entry_->boundaries;
        // Sixteen texts of at most 4 KiB each: a few tiles' worth, a bounded amount of memory.
        constexpr std::size_t kKept = 16;
        constexpr std::size_t kLongestKept = 4096;
        thread_local std::array<std::shared_ptr<Entry>, kKept> recent;
        thread_local std::size_t oldest = 0;
        for (const std::shared_ptr<Entry>& e : recent) {
            if (e && e->text == text_) {
                entry_ = e;
                return entry_->boundaries;
            }
        }
        entry_ = std::make_shared<Entry>(text_);
        if (text_.size() <= kLongestKept) {
            recent[oldest] = entry_;
            oldest = (oldest + 1) % kKept;
        }
        return entry_->boundaries;
    }

    std::string_view text_;
    std::shared_ptr<Entry> entry_;  // shared with the cache, so an eviction never pulls it away
};

// Breaks the paragraphs of one text into lines.
class Breaker {
public:
    Breaker(std::string_view text, Boundaries& boundaries, const Font& font, double tracking,
            const TextMeasurer& m)
        : text_(text), boundaries_(boundaries), font_(font), tracking_(tracking), m_(m) {}

    double width(std::string_view s) const { return m_.width(s, font_, tracking_); }

    // Appends the lines of paragraph [begin, end) wrapped at `maxWidth`.
    void wrap(std::size_t begin, std::size_t end, double maxWidth,
              std::vector<std::pair<std::size_t, std::size_t>>& out) {
        std::size_t lineStart = begin;
        while (true) {
            if (lineStart >= end) {
                if (lineStart == begin) out.emplace_back(begin, end);
                return;
            }
            const std::string_view rest =
                trimTrailingSpaces(text_.substr(lineStart, end - lineStart));
            if (width(rest) <= maxWidth + kEpsilon) {
                out.emplace_back(lineStart, lineStart + rest.size());
                return;
            }
            // The longest run up to a line break that fits, without the spaces before the
            // break; the next line starts after them.
            std::size_t lineEnd = lineStart;
            std::size_t next = lineStart;
            const std::vector<std::size_t>& breaks = boundaries_.lineBreaks();
            for (auto at = std::upper_bound(breaks.begin(), breaks.end(), lineStart);
                 at != breaks.end() && *at < end; ++at) {
                const std::string_view candidate =
                    trimTrailingSpaces(text_.substr(lineStart, *at - lineStart));
                if (width(candidate) > maxWidth + kEpsilon) break;
                lineEnd = lineStart + candidate.size();
                next = *at;
            }
            if (lineEnd == lineStart) {
                // No break fits: break between characters, at least one. Spaces after the cut
                // go, whole characters only (a space may carry a combining mark).
                std::size_t cut = nextCharacter(lineStart);
                while (cut < end) {
                    const std::size_t after = nextCharacter(cut);
                    if (after > end ||
                        width(text_.substr(lineStart, after - lineStart)) > maxWidth + kEpsilon) {
                        break;
                    }
                    cut = after;
                }
                lineEnd = std::min(cut, end);
                next = lineEnd;
                while (next < end && text_[next] == ' ' && nextCharacter(next) == next + 1) {
                    ++next;
                }
            }
            out.emplace_back(lineStart, lineEnd);
            lineStart = next;
        }
    }

private:
    std::size_t nextCharacter(std::size_t offset) {
        const std::vector<std::size_t>& characters = boundaries_.characters();
        auto it = std::upper_bound(characters.begin(), characters.end(), offset);
        return it == characters.end() ? text_.size() : *it;
    }

    std::string_view text_;
    Boundaries& boundaries_;
    Font font_;
    double tracking_;
    const TextMeasurer& m_;
};

Font scaled(Font font, double scale) {
    font.pointSize *= scale;
    return font;
}

Attempt attempt(std::string_view text, Boundaries& boundaries, const TextParameters& p,
                ProposedSize proposal, double scale, const TextMeasurer& m) {
    const Font font = scaled(p.font, scale);
    Breaker breaker(text, boundaries, font, p.tracking * scale, m);
    Attempt a;
    a.lineHeight = m.lineHeight(font);
    std::size_t allowed = p.lineLimit ? static_cast<std::size_t>(std::max(1, *p.lineLimit))
                                      : static_cast<std::size_t>(-1);
    if (proposal.height && std::isfinite(*proposal.height) && a.lineHeight > 0) {
        const double fit = std::floor(*proposal.height / a.lineHeight + kEpsilon);
        allowed = std::min(allowed, static_cast<std::size_t>(std::max(1.0, fit)));
    }
    a.allowed = allowed;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        if (proposal.width && std::isfinite(*proposal.width)) {
            breaker.wrap(start, end, *proposal.width, a.lines);
        } else {
            a.lines.emplace_back(start, end);
        }
        if (end == text.size()) break;
        start = end + 1;
    }
    a.fits = a.lines.size() <= allowed;
    if (a.fits && proposal.width) {
        for (const auto& [b, e] : a.lines) {
            if (breaker.width(text.substr(b, e - b)) > *proposal.width + kEpsilon) {
                a.fits = false;
                break;
            }
        }
    }
    return a;
}

std::string truncate(std::string_view text, Boundaries& boundaries, double width,
                     TruncationMode mode, const Font& font, double tracking,
                     const TextMeasurer& measurer) {
    auto w = [&](std::string_view s) { return measurer.width(s, font, tracking); };
    if (w(text) <= width + kEpsilon) return std::string(text);
    const std::vector<std::size_t>& b = boundaries.characters();
    const std::size_t count = b.size() - 1;
    auto isSpace = [&](std::size_t character) {
        return b[character + 1] - b[character] == 1 && text[b[character]] == ' ';
    };
    // Keeps `k` characters in total around the ellipsis.
    auto build = [&](std::size_t k) {
        std::size_t headCount = 0;
        std::size_t tailCount = 0;
        switch (mode) {
            case TruncationMode::tail: headCount = k; break;
            case TruncationMode::head: tailCount = k; break;
            case TruncationMode::middle:
                headCount = (k + 1) / 2;
                tailCount = k / 2;
                break;
        }
        // Spaces next to the ellipsis are dropped, whole characters only (a space may carry a
        // combining mark).
        std::size_t headEnd = headCount;
        while (headEnd > 0 && isSpace(headEnd - 1)) --headEnd;
        std::size_t tailStart = count - tailCount;
        while (tailStart < count && isSpace(tailStart)) ++tailStart;
        const std::string_view head = text.substr(0, b[headEnd]);
        const std::string_view tail = text.substr(b[tailStart]);
        std::string out;
        out.reserve(head.size() + kEllipsis.size() + tail.size());
        out.append(head).append(kEllipsis).append(tail);
        return out;
    };
    std::size_t lo = 0;  // always acceptable: the ellipsis alone
    std::size_t hi = count;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo + 1) / 2;
        if (w(build(mid)) <= width + kEpsilon) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    return build(lo);
}

}  // namespace

std::string truncateText(std::string_view text, double width, TruncationMode mode, const Font& font,
                         double tracking, const TextMeasurer& measurer) {
    Boundaries boundaries(text);
    return truncate(text, boundaries, width, mode, font, tracking, measurer);
}

TextLines layoutText(std::string_view text, const TextParameters& p, ProposedSize proposal,
                     const TextMeasurer& m) {
    double scale = 1;
    Boundaries boundaries(text);
    Attempt a = attempt(text, boundaries, p, proposal, 1, m);
    if (!a.fits && p.minimumScaleFactor < 1) {
        const double minimum = std::max(p.minimumScaleFactor, 0.01);
        Attempt smallest = attempt(text, boundaries, p, proposal, minimum, m);
        if (smallest.fits) {
            // The largest scale on a 1 % grid above the minimum that still fits.
            int lo = static_cast<int>(std::ceil(minimum * 100 - kEpsilon));
            int hi = 99;
            double bestScale = minimum;
            Attempt best = smallest;
            while (lo <= hi) {
                const int mid = (lo + hi) / 2;
                const double s = mid / 100.0;
                if (s <= minimum) {
                    lo = mid + 1;
                    continue;
                }
                Attempt trial = attempt(text, boundaries, p, proposal, s, m);
                if (trial.fits) {
                    bestScale = s;
                    best = std::move(trial);
                    lo = mid + 1;
                } else {
                    hi = mid - 1;
                }
            }
            scale = bestScale;
            a = std::move(best);
        } else {
            scale = minimum;
            a = std::move(smallest);
        }
    }

    const Font font = scaled(p.font, scale);
    const double tracking = p.tracking * scale;
    TextLines out;
    out.scale = scale;
    out.lineHeight = a.lineHeight;
    if (a.fits) {
        for (const auto& [b, e] : a.lines) out.lines.emplace_back(text.substr(b, e - b));
    } else {
        out.truncated = true;
        const std::size_t keep = std::min(a.allowed, a.lines.size());
        for (std::size_t i = 0; i + 1 < keep; ++i) {
            out.lines.emplace_back(
                text.substr(a.lines[i].first, a.lines[i].second - a.lines[i].first));
        }
        // The last line takes the rest of the text, paragraphs joined by spaces.
        std::string rest(text.substr(a.lines[keep - 1].first));
        std::replace(rest.begin(), rest.end(), '\n', ' ');
        if (proposal.width && std::isfinite(*proposal.width)) {
            Boundaries restBoundaries(rest);
            // Most often the rest is the whole text, whose boundaries are known already.
            Boundaries& cut = rest == text ? boundaries : restBoundaries;
            out.lines.push_back(
                truncate(rest, cut, *proposal.width, p.truncation, font, tracking, m));
        } else {
            std::string line(text.substr(a.lines[keep - 1].first,
                                         a.lines[keep - 1].second - a.lines[keep - 1].first));
            out.lines.push_back(line + std::string(kEllipsis));
        }
    }
    double width = 0;
    for (const std::string& line : out.lines)
        width = std::max(width, m.width(line, font, tracking));
    out.size = {width, static_cast<double>(out.lines.size()) * out.lineHeight};
    return out;
}

}  // namespace ui::detail
