// Text: composed once (localised, arguments substituted), then wrapped, shrunk and truncated by
// layoutText for each proposal. The size chosen is that of the lines drawn.

#include "platform/ui/detail/resolve_style.h"
#include "platform/ui/detail/text_layout.h"
#include "platform/ui/layout/resolved_node.h"

namespace ui::detail {

namespace {

class Text final : public ResolvedNode {
public:
    Text(const TextNode& node, const ResolveScope& scope)
        : ResolvedNode("Text", scope.view, scope.env),
          composed_(node.verbatim ? node.key
                                  : formatLocalized(localizedFormat(node.key), node.arguments)) {
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
