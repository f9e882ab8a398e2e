// The host's command line. CLI11 is compiled in this translation unit only.

#include "platform/widgetkit/host/host.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>

#include "platform/foundation/version.h"
#include "platform/widgetkit/host/requests.h"

namespace widgetkit::host {
namespace {

// The options shared by the request commands, bound straight into the request. The widget is
// optional on the command line because --placed names it instead.
void addRequestOptions(CLI::App& cmd, Request& r) {
    cmd.add_option("widget", r.widget, "A widget kind, or its last component (fullness, breakdown)");
    cmd.add_option("--family", r.family, "small, medium or large (default: the first supported)");
    cmd.add_option("--area", r.area,
                   "Put this area identifier into the configuration as given (\"\" = whole disk)");
    cmd.add_option("--placed", r.placedId,
                   "Answer for a placed widget, with its stored configuration");
    cmd.add_flag("--preview", r.preview, "Ask as the widget gallery does (isPreview)");
}

}  // namespace

int run(const TupleWidget& widgets, const std::vector<std::string>& args, std::ostream& out,
        std::ostream& err) {
    CLI::App app{"brimlet-widgets: the widget host. Asks the bundle's providers for entries, keeps "
                 "placed widgets with their configuration and draws them.",
                 "brimlet-widgets"};
    app.require_subcommand(1);
    app.fallthrough(false);
    app.set_version_flag("--version", std::string(foundation::projectVersion()),
                         "Print the version and exit");

    bool listJson = false;
    auto* list = app.add_subcommand("list", "The bundle's widgets, in order");
    list->add_flag("--json", listJson, "As JSON");

    Request request;
    std::string requestKind;
    for (const char* name : {"placeholder", "snapshot", "timeline"}) {
        auto* cmd = app.add_subcommand(name, std::string("The provider's ") + name + " as JSON");
        addRequestOptions(*cmd, request);
        cmd->callback([&requestKind, name] { requestKind = name; });
    }

    Request renderRequest;
    RenderOptions render;
    auto* renderCmd = app.add_subcommand("render", "Draw one entry to a picture or a layout dump");
    addRequestOptions(*renderCmd, renderRequest);
    renderCmd->add_option("--request", render.request, "placeholder, snapshot or timeline")
        ->check(CLI::IsMember({"placeholder", "snapshot", "timeline"}));
    renderCmd->add_option("--appearance", render.appearance, "light or dark")
        ->check(CLI::IsMember({"light", "dark"}));
    renderCmd->add_option("--rendering", render.rendering, "full-color or accented")
        ->check(CLI::IsMember({"full-color", "accented"}));
    renderCmd->add_option("--scale", render.scale, "Pixels per point for PNG (default 2)")
        ->check(CLI::Range(0.25, 8.0));
    renderCmd->add_option("-o,--output", render.output,
                          "FILE.png, .svg, .pdf or .json, or - for standard output")
        ->required();
    renderCmd->add_option("--format", render.format,
                          "png, svg, pdf or json (default: by the output's extension; png for -)")
        ->check(CLI::IsMember({"png", "svg", "pdf", "json"}));

    std::string galleryDir;
    auto* gallery = app.add_subcommand("gallery", "Every widget in each of its families, live and "
                                                  "as previews, with an index.html");
    gallery->add_option("-o,--output", galleryDir, "The folder to write")->required();

    bool areasJson = false;
    auto* areas = app.add_subcommand("areas", "The configuration picker of the configurable widget");
    areas->add_flag("--json", areasJson, "As JSON");

    std::string placeWidget, placeFamily;
    auto* place = app.add_subcommand("place", "Place a widget; prints only its id");
    place->add_option("widget", placeWidget, "A widget kind or its last component")->required();
    place->add_option("--family", placeFamily, "small, medium or large")->required();

    bool placedJson = false;
    auto* placed = app.add_subcommand("placed", "The placed widgets");
    placed->add_flag("--json", placedJson, "As JSON");

    std::string configureId, configureArea;
    auto* configure = app.add_subcommand("configure", "Store the area of a placed breakdown widget");
    configure->add_option("id", configureId, "A placed widget's id")->required();
    configure->add_option("--area", configureArea, "An area identifier (\"\" = whole disk)")
        ->required();

    std::string removeId;
    auto* remove = app.add_subcommand("remove", "Remove a placed widget");
    remove->add_option("id", removeId, "A placed widget's id")->required();

    const auto isCommand = [&app](const std::string& name) {
        for (const auto* cmd : app.get_subcommands({})) {
            if (cmd->get_name() == name) return true;
        }
        return false;
    };
    if (args.size() > 1 && !args[1].empty() && args[1][0] != '-' && !isCommand(args[1])) {
        std::string known;
        for (const auto* cmd : app.get_subcommands({})) known += cmd->get_name() + ", ";
        err << "brimlet-widgets: unknown command '" << args[1] << "' (" << known
            << "--help for more)\n";
        return 2;
    }
    std::vector<std::string> rest(args.rbegin(), args.rend() - 1);  // CLI11 wants them reversed
    try {
        app.parse(rest);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return 0;
    } catch (const CLI::CallForAllHelp&) {
        out << app.help("", CLI::AppFormatMode::All);
        return 0;
    } catch (const CLI::CallForVersion&) {
        out << "brimlet-widgets " << foundation::projectVersion() << '\n';
        return 0;
    } catch (const CLI::ParseError& e) {
        // CLI11 prints help for its own failures and has exit codes of its own; neither is
        // ours: one line, status 2.
        err << "brimlet-widgets: " << e.what() << '\n';
        return 2;
    }

    Host host(widgets, out, err);
    try {
        if (list->parsed()) return host.list(listJson);
        if (!requestKind.empty()) return host.request(requestKind, request);
        if (renderCmd->parsed()) return host.render(renderRequest, render);
        if (gallery->parsed()) return host.gallery(galleryDir);
        if (areas->parsed()) return host.areas(areasJson);
        if (place->parsed()) return host.place(placeWidget, placeFamily);
        if (placed->parsed()) return host.placed(placedJson);
        if (configure->parsed()) return host.configure(configureId, configureArea);
        if (remove->parsed()) return host.remove(removeId);
    } catch (const UsageError& e) {
        err << "brimlet-widgets: " << e.what() << '\n';
        return 2;
    } catch (const Failure& e) {
        err << "brimlet-widgets: " << e.what() << '\n';
        return 1;
    }
    return 2;
}

}  // namespace widgetkit::host

namespace widgetkit {

void runHost(TupleWidget widgets, int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    int status = host::run(widgets, args, std::cout, std::cerr);
    // An answer that did not reach standard output (a full disk, a closed pipe) is a failure,
    // whatever the command thought.
    std::cout.flush();
    if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        const int error = errno;
        std::cerr << "brimlet-widgets: cannot write to standard output"
                  << (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) << '\n';
        status = 1;
    }
    std::exit(status);
}

}  // namespace widgetkit
