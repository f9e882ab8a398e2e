#pragma once
// Resolving shape styles against an environment (colour scheme, tint, foreground style).

#include "platform/ui/environment.h"
#include "platform/ui/style.h"

namespace ui::detail {

// The concrete paint of `style` under `env`. A hierarchical level resolves against the
// environment's foreground style: label colours when that is itself hierarchical, otherwise
// the foreground paint with its alpha scaled by 1, 0.5, 0.25 or 0.18.
Paint resolvePaint(const ShapeStyle& style, const EnvironmentValues& env);

// The foreground style to store when `style` is set under `env`: a hierarchical level over a
// non-hierarchical foreground becomes that foreground at the level's opacity.
ShapeStyle foregroundFor(const ShapeStyle& style, const EnvironmentValues& env);

}  // namespace ui::detail
