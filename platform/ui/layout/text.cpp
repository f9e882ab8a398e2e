// Text: composed once (localised, arguments substituted, names made safe to draw), then wrapped,
// shrunk and truncated by layoutText for each proposal. The size chosen is that of the lines
// drawn.

#include <string>
#include <variant>
#include <vector>

#include "platform/foundation/drawn_name.h"
#include "platform/ui/detail/resolve_style.h"
#include "platform/ui/detail/text_layout.h"
#include "platform/ui/layout/resolved_node.h"

namespace ui::detail {

namespace {

// The text as it is drawn. Names from data reach a view as verbatim text or as string arguments,
// so this is the one place where they are made safe to draw: a verbatim text is a name drawn on
// its own (foundation::drawnName), and each string argument a name inside the program's own
// text (foundation::isolatedName). The key itself is the program's, and may hold '\n' to start a
// paragraph.
std::string composedText(const TextNode& node) {
    if (node.verbatim) return foundation::drawnName(node.key);
    std::vector<TextArgument> arguments;
    arguments.reserve(node.arguments.size());
    for (const TextArgument& argument : node.arguments) {
        const auto* name = std::get_if<std::string>(&argument.value());
        arguments.push_back(name != nullptr ? TextArgument(foundation::isolatedName(*name))
                                            : argument);
    }
    return formatLocalized(localizedFormat(node.key), arguments);
}

class Text final : public ResolvedNode {
public:
    Text(const TextNode& node, const ResolveScope& scope)
        : ResolvedNode("Text", scope.view, scope.env), composed_(composedText(node)) {
        Font font = env.get<FontKey>();
        if (env.get<MonospacedDigitKey>()) font.monospacedDigits = true;
        parameters_.font = font;
        parameters_.tracking = env.get<TrackingKey>();
        parameters_.lineLimit = env.get<LineLimitKey>();
        parameters_.truncation = env.get<TruncationModeKey>();
        parameters_.minimumScaleFactor = env.get<MinimumScaleFactorKey>();
        paint = resolvePaint(primary, env);
    }

protected:
    Size measure(ProposedSize p, LayoutContext& ctx) override { return lines(p, ctx).size; }

    void placeContent(LaidOutNode& out, ProposedSize p, LayoutContext& ctx) override {
        TextLines laid = lines(p, ctx);
        LaidOutText t;
        t.composed = composed_;
        t.lines = std::move(laid.lines);
        t.font = parameters_.font;
        t.tracking = parameters_.tracking;
        t.scale = laid.scale;
        t.lineHeight = laid.lineHeight;
        t.truncated = laid.truncated;
        t.alignment = env.get<MultilineTextAlignmentKey>();
        t.transition = env.get<ContentTransitionKey>();
        out.content = std::move(t);
    }

private:
    TextLines lines(ProposedSize p, const LayoutContext& ctx) const {
        return layoutText(composed_, parameters_, p, ctx.measurer);
    }

    std::string composed_;
    TextParameters parameters_{};
};

}  // namespace

ResolvedPtr resolveNode(const TextNode& node, const ResolveScope& scope) {
    return std::make_unique<Text>(node, scope);
}

}  // namespace ui::detail
