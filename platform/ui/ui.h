#pragma once
// The whole public view toolkit: catalog, modifiers, environment, layout.

#include "platform/ui/catalog.h"
#include "platform/ui/environment.h"
#include "platform/ui/font.h"
#include "platform/ui/geometry.h"
#include "platform/ui/layout.h"
#include "platform/ui/style.h"
#include "platform/ui/text_measurer.h"
#include "platform/ui/view.h"
