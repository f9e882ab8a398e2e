#pragma once
// Opening the containing app, Brimlet, from the desk.

#include <string>
#include <vector>

#include <giomm/dbusconnection.h>

#include "platform/foundation/status.h"

namespace widgetkit::desk {

// This program's absolute path (/proc/self/exe); empty when it cannot be read.
std::string thisProgram();

// Starts `brimlet ARGUMENTS...`: the `brimlet` program beside this one, else the first on PATH;
// without either, asks `bus` (the application's session bus; none: nobody to ask) to activate the
// app (org.brimlet.Brimlet), which then opens as it chooses. Never waits for the app. A failure
// says why in one sentence.
foundation::Status openBrimlet(const std::vector<std::string>& arguments,
                               const Glib::RefPtr<Gio::DBus::Connection>& bus);

}  // namespace widgetkit::desk
