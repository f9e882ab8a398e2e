#include "platform/ui/detail/text_layout.h"

#include <algorithm>
#include <cmath>

namespace ui::detail {

namespace {

constexpr double kEpsilon = 1e-6;
constexpr std::string_view kEllipsis = "\xE2\x80\xA6";  // U+2026

char32_t decodeAt(std::string_view s, std::size_t i, std::size_t& length) {
    const auto c = static_cast<unsigned char>(s[i]);
    length = 1;
    if (c < 0x80) return c;
    std::size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (i + n > s.size()) n = 1;
    char32_t cp = n == 4 ? (c & 0x07u) : n == 3 ? (c & 0x0Fu) : n == 2 ? (c & 0x1Fu) : c;
    for (std::size_t k = 1; k < n; ++k) {
        const auto d = static_cast<unsigned char>(s[i + k]);
        if ((d & 0xC0) != 0x80) {
            length = 1;
            return c;
        }
        cp = (cp << 6) | (d & 0x3Fu);
    }
    length = n;
    return cp;
}

// Marks that belong to the character before them.
bool extendsCharacter(char32_t cp) {
    return (cp >= 0x0300 && cp <= 0x036F) || (cp >= 0x1AB0 && cp <= 0x1AFF) ||
           (cp >= 0x1DC0 && cp <= 0x1DFF) || (cp >= 0x20D0 && cp <= 0x20FF) ||
           (cp >= 0xFE00 && cp <= 0xFE0F) || (cp >= 0x1F3FB && cp <= 0x1F3FF) ||
           (cp >= 0xE0100 && cp <= 0xE01EF) || cp == 0x200D;
}

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

class Breaker {
public:
    Breaker(std::string_view text, const Font& font, double tracking, const TextMeasurer& m)
        : text_(text), font_(font), tracking_(tracking), m_(m),
          boundaries_(characterBoundaries(text)) {}

    double width(std::string_view s) const { return m_.width(s, font_, tracking_); }

    // Appends the lines of paragraph [begin, end) wrapped at `maxWidth`.
    void wrap(std::size_t begin, std::size_t end, double maxWidth,
              std::vector<std::pair<std::size_t, std::size_t>>& out) const {
        std::size_t lineStart = begin;
        while (true) {
            while (lineStart < end && text_[lineStart] == ' ' && lineStart > begin) ++lineStart;
            if (lineStart >= end) {
                if (lineStart == begin) out.emplace_back(begin, end);
                return;
            }
            const std::string_view rest = trimTrailingSpaces(text_.substr(lineStart,
                                                                          end - lineStart));
            if (width(rest) <= maxWidth + kEpsilon) {
                out.emplace_back(lineStart, lineStart + rest.size());
                return;
            }
            // The longest run of whole words that fits.
            std::size_t best = lineStart;
            std::size_t i = lineStart;
            while (i < end) {
                std::size_t wordEnd = i;
                while (wordEnd < end && text_[wordEnd] == ' ') ++wordEnd;
                while (wordEnd < end && text_[wordEnd] != ' ') ++wordEnd;
                const std::string_view candidate =
                    trimTrailingSpaces(text_.substr(lineStart, wordEnd - lineStart));
                if (width(candidate) > maxWidth + kEpsilon) break;
                best = lineStart + candidate.size();
                i = wordEnd;
            }
            if (best == lineStart) {
                // One word wider than the line: break between characters, at least one.
                std::size_t cut = nextBoundary(lineStart);
                while (cut < end) {
                    const std::size_t next = nextBoundary(cut);
                    if (next > end ||
                        width(text_.substr(lineStart, next - lineStart)) > maxWidth + kEpsilon) {
                        break;
                    }
                    cut = next;
                }
                best = std::min(cut, end);
            }
            out.emplace_back(lineStart, best);
            lineStart = best;
        }
    }

    std::size_t nextBoundary(std::size_t offset) const {
        auto it = std::upper_bound(boundaries_.begin(), boundaries_.end(), offset);
        return it == boundaries_.end() ? text_.size() : *it;
    }

private:
    std::string_view text_;
    Font font_;
    double tracking_;
    const TextMeasurer& m_;
    std::vector<std::size_t> boundaries_;
};

Font scaled(Font font, double scale) {
    font.pointSize *= scale;
    return font;
}

Attempt attempt(std::string_view text, const TextParameters& p, ProposedSize proposal,
                double scale, const TextMeasurer& m) {
    const Font font = scaled(p.font, scale);
    Breaker breaker(text, font, p.tracking * scale, m);
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

}  // namespace

std::vector<std::size_t> characterBoundaries(std::string_view text) {
    std::vector<std::size_t> out;
    std::size_t i = 0;
    bool joinNext = false;
    while (i < text.size()) {
        std::size_t len = 1;
        const char32_t cp = decodeAt(text, i, len);
        if (out.empty() || (!extendsCharacter(cp) && !joinNext)) out.push_back(i);
        joinNext = cp == 0x200D;
        i += len;
    }
    out.push_back(text.size());
    return out;
}

std::string truncateText(std::string_view text, double width, TruncationMode mode,
                         const Font& font, double tracking, const TextMeasurer& measurer) {
    auto w = [&](std::string_view s) { return measurer.width(s, font, tracking); };
    if (w(text) <= width + kEpsilon) return std::string(text);
    const std::vector<std::size_t> b = characterBoundaries(text);
    const std::size_t count = b.size() - 1;
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
        std::string_view head = text.substr(0, b[headCount]);
        std::string_view tail = text.substr(b[count - tailCount]);
        while (!head.empty() && head.back() == ' ') head.remove_suffix(1);
        while (!tail.empty() && tail.front() == ' ') tail.remove_prefix(1);
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

TextLines layoutText(std::string_view text, const TextParameters& p, ProposedSize proposal,
                     const TextMeasurer& m) {
    double scale = 1;
    Attempt a = attempt(text, p, proposal, 1, m);
    if (!a.fits && p.minimumScaleFactor < 1) {
        const double minimum = std::max(p.minimumScaleFactor, 0.01);
        Attempt smallest = attempt(text, p, proposal, minimum, m);
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
                Attempt trial = attempt(text, p, proposal, s, m);
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
            out.lines.emplace_back(text.substr(a.lines[i].first,
                                               a.lines[i].second - a.lines[i].first));
        }
        // The last line takes the rest of the text, paragraphs joined by spaces.
        std::string rest(text.substr(a.lines[keep - 1].first));
        std::replace(rest.begin(), rest.end(), '\n', ' ');
        if (proposal.width && std::isfinite(*proposal.width)) {
            out.lines.push_back(truncateText(rest, *proposal.width, p.truncation, font, tracking,
                                             m));
        } else {
            std::string line(text.substr(a.lines[keep - 1].first,
                                         a.lines[keep - 1].second - a.lines[keep - 1].first));
            out.lines.push_back(line + std::string(kEllipsis));
        }
    }
    double width = 0;
    for (const std::string& line : out.lines) width = std::max(width, m.width(line, font, tracking));
    out.size = {width, static_cast<double>(out.lines.size()) * out.lineHeight};
    return out;
}

}  // namespace ui::detail
