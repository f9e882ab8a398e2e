#include "platform/widgetkit/desk/open_brimlet.h"
#include "platform/foundation/localization.h"

#include <glibmm/fileutils.h>
#include <glibmm/miscutils.h>
#include <glibmm/spawn.h>

#include <filesystem>
#include <map>
#include <system_error>
#include <vector>

namespace widgetkit::desk {
namespace {

constexpr const char* kProgram = "brimlet";
constexpr const char* kApplicationId = "org.brimlet.Brimlet";

std::string findProgram() {
    if (const std::string self = thisProgram(); !self.empty()) {
        std::string beside = Glib::build_filename(Glib::path_get_dirname(self), kProgram);
        if (Glib::file_test(beside, Glib::FileTest::IS_EXECUTABLE)) return beside;
    }
    return Glib::find_program_in_path(kProgram);
}

}  // namespace

std::string thisProgram() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

foundation::Status openBrimlet(const std::vector<std::string>& arguments,
                               const Glib::RefPtr<Gio::DBus::Connection>& bus) {
    if (const std::string program = findProgram(); !program.empty()) {
        std::vector<std::string> argv{program};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        try {
            Glib::spawn_async({}, argv, Glib::SpawnFlags::DEFAULT);
            return {};
        } catch (const Glib::Error& e) {
            return foundation::Status::failure(foundation::formatLocalized(
                foundation::localizedFormat("Brimlet could not be started: %@."),
                {std::string(e.what())}));
        }
    }
    // An installed app that only the session bus knows: org.freedesktop.Application.Activate.
    if (!bus)
        return foundation::Status::failure(
            foundation::localizedFormat("Brimlet is not installed."));
    try {
        const Glib::VariantContainerBase parameters = Glib::VariantContainerBase::create_tuple(
            Glib::Variant<std::map<Glib::ustring, Glib::VariantBase>>::create({}));
        bus->call(
            "/org/brimlet/Brimlet", "org.freedesktop.Application", "Activate", parameters,
            [](const Glib::RefPtr<Gio::AsyncResult>&) {}, kApplicationId);
        return {};
    } catch (const Glib::Error&) {
        return foundation::Status::failure(
            foundation::localizedFormat("Brimlet is not installed."));
    }
}

}  // namespace widgetkit::desk
