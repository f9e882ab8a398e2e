// brimlet-app: the Brimlet window. `brimlet` execs it when it is started without a command.
#include <gtk/gtk.h>

#include "app/gui/application.h"
#include "platform/foundation/localization.h"

int main(int argc, char** argv) {
    // The user's language for every text, LC_NUMERIC "C" for every number; neither glibmm nor
    // GTK sets the locale again (GTK must hear it before it initializes).
    foundation::useUserLanguage();
    Glib::set_init_to_users_preferred_locale(false);
    gtk_disable_setlocale();
    const auto app = brimlet::gui::Application::create();
    const int status = app->run(argc, argv);
    return status != 0 ? status : (app->failed() ? 1 : 0);
}
