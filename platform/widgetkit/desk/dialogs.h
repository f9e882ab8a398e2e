#pragma once
// The desk's dialogs: the widget gallery ("Add Widget…") and a placed widget's configuration
// picker ("Edit Widget…"). Both change the store only through the desk.

#include <string>

namespace widgetkit::desk {

class DeskWindow;

// Every widget of the bundle with its name and description, each family drawn as a preview (the
// snapshot request with isPreview), and a button that places it.
void openGallery(DeskWindow& desk);

// The picker of placed widget `id`: the intent's title, the parameter's title, the query's
// suggested entities by their display representations, the stored one selected (rebuilt through
// the query) or else the default. Choosing one stores its identifier.
void openPicker(DeskWindow& desk, const std::string& id);

}  // namespace widgetkit::desk
