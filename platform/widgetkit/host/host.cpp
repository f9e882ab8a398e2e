// The host's command line. CLI11 is compiled in this translation unit only.

#include "platform/widgetkit/host/host.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <optional>

#include "platform/foundation/command.h"
#include "platform/foundation/standard_output.h"
#include "platform/foundation/version.h"
#include "platform/widgetkit/host/commands.h"

namespace widgetkit::host {
namespace {

// What the parsed command line asks of the host; set by the chosen command's callback.
using Action = std::function<void(Host&)>;

// The words of each enumerated option, parsed straight into the enum.
const std::map<std::string, RequestKind> kRequestKinds{{"placeholder", RequestKind::placeholder},
                                                       {"snapshot", RequestKind::snapshot},
                                                       {"timeline", RequestKind::timeline}};
const std::map<std::string, ui::ColorScheme> kAppearances{{"light", ui::ColorScheme::light},
                                                          {"dark", ui::ColorScheme::dark}};
const std::map<std::string, ui::RenderingMode> kRenderings{
    {"full-color", ui::RenderingMode::fullColor}, {"accented", ui::RenderingMode::accented}};
const std::map<std::string, render::Format> kFormats{{"png", render::Format::png},
                                                     {"svg", render::Format::svg},
                                                     {"pdf", render::Format::pdf},
                                                     {"json", render::Format::json}};

// Parses one of `words` into its enum value; anything else is refused naming the words.
template <class E>
CLI::Validator oneOf(const std::map<std::string, E>& words) {
    std::string names;
    for (const auto& entry : words) names += (names.empty() ? "" : ", ") + entry.first;
    return CLI::Validator(
        [&words, names](std::string& input) -> std::string {
            const auto it = words.find(input);
            if (it == words.end()) return "'" + input + "' is not one of " + names;
            input = std::to_string(static_cast<int>(it->second));
            return {};
        },
        names);
}

// A family name: "" is refused by name here, since an empty family elsewhere means "not given".
CLI::Validator familyName() {
    return CLI::Validator(
        [](const std::string& input) -> std::string {
            return input.empty() ? "\"\" is not a family (small, medium or large)" : "";
        },
        "FAMILY");
}

// A scale in [0.25, 8]; NaN, which every comparison lets through, is refused too.
CLI::Validator scaleRange() {
    return CLI::Validator(
        [](const std::string& input) -> std::string {
            double value = 0;
            if (!CLI::detail::lexical_cast(input, value) || !(value >= 0.25 && value <= 8.0)) {
                return "the scale must be a number from 0.25 to 8, not '" + input + "'";
            }
            return {};
        },
        "SCALE");
}

// The options shared by the request commands, bound straight into the request. The widget is
// optional on the command line because --placed names it instead.
void addRequestOptions(CLI::App& cmd, Request& r) {
    cmd.add_option("widget", r.widget,
                   "A widget kind, or its last component (fullness, breakdown)");
    cmd.add_option("--family", r.family, "small, medium or large (default: the first supported)")
        ->check(familyName());
    cmd.add_option("--area", r.area,
                   "Put this area identifier into the configuration as given (\"\" = whole disk)");
    cmd.add_option("--placed", r.placedId,
                   "Answer for a placed widget, with its stored configuration");
    cmd.add_flag("--preview", r.preview, "Ask as the widget gallery does (isPreview)");
}

// The parsed values every command's action reads; they live as long as the command line.
struct Values {
    bool json = false;
    Request request;
    RenderOptions render;
    render::Format format = render::Format::png;
    std::string widget, family, id, area, directory;
};

void addRequestCommands(CLI::App& app, Values& v, Action& action) {
    for (const auto& [name, kind] : kRequestKinds) {
        auto* cmd = app.add_subcommand(name, "The provider's " + name + " as JSON");
        addRequestOptions(*cmd, v.request);
        cmd->callback([&v, &action, kind = kind] {
            action = [&v, kind](Host& host) { host.request(kind, v.request); };
        });
    }
}

void addRenderCommand(CLI::App& app, Values& v, Action& action) {
    auto* cmd = app.add_subcommand("render", "Draw one entry to a picture or a layout dump");
    addRequestOptions(*cmd, v.request);
    RenderOptions& r = v.render;
    cmd->add_option("--request", r.request, "placeholder, snapshot or timeline (default timeline)")
        ->transform(oneOf(kRequestKinds));
    cmd->add_option("--appearance", r.appearance, "light or dark")->transform(oneOf(kAppearances));
    cmd->add_option("--rendering", r.rendering, "full-color or accented")
        ->transform(oneOf(kRenderings));
    cmd->add_option("--scale", r.scale, "Pixels per point for PNG (default 2)")
        ->check(scaleRange());
    cmd->add_option("-o,--output", r.output,
                    "FILE.png, .svg, .pdf or .json, or - for standard output")
        ->required();
    auto* format = cmd->add_option("--format", v.format,
                                   "png, svg, pdf or json (default: by the output's extension; "
                                   "png for -)")
                       ->transform(oneOf(kFormats));
    cmd->callback([&v, &action, format] {
        if (format->count() > 0) v.render.format = v.format;
        action = [&v](Host& host) { host.render(v.request, v.render); };
    });
}

void addPlacementCommands(CLI::App& app, Values& v, Action& action) {
    auto* place = app.add_subcommand("place", "Place a widget; prints only its id");
    place->add_option("widget", v.widget, "A widget kind or its last component")->required();
    place->add_option("--family", v.family, "small, medium or large")
        ->required()
        ->check(familyName());
    place->callback([&] { action = [&v](Host& host) { host.place(v.widget, v.family); }; });

    auto* placed = app.add_subcommand("placed", "The placed widgets");
    placed->add_flag("--json", v.json, "As JSON");
    placed->callback([&] { action = [&v](Host& host) { host.placed(v.json); }; });

    auto* configure =
        app.add_subcommand("configure", "Store the area of a placed breakdown widget");
    configure->add_option("id", v.id, "A placed widget's id")->required();
    configure
        ->add_option("--area", v.area, "An area identifier the picker offers (\"\" = whole disk)")
        ->required();
    configure->callback([&] { action = [&v](Host& host) { host.configure(v.id, v.area); }; });

    auto* remove = app.add_subcommand("remove", "Remove a placed widget");
    remove->add_option("id", v.id, "A placed widget's id")->required();
    remove->callback([&] { action = [&v](Host& host) { host.remove(v.id); }; });
}

void addCommands(CLI::App& app, Values& v, Action& action) {
    auto* list = app.add_subcommand("list", "The bundle's widgets, in order");
    list->add_flag("--json", v.json, "As JSON");
    list->callback([&] { action = [&v](Host& host) { host.list(v.json); }; });

    addRequestCommands(app, v, action);
    addRenderCommand(app, v, action);

    auto* gallery = app.add_subcommand("gallery",
                                       "Every widget in each of its families, live and "
                                       "as previews, with an index.html");
    gallery->add_option("-o,--output", v.directory, "The folder to write")->required();
    gallery->callback([&] { action = [&v](Host& host) { host.gallery(v.directory); }; });

    auto* areas =
        app.add_subcommand("areas", "The configuration picker of the configurable widget");
    areas->add_flag("--json", v.json, "As JSON");
    areas->callback([&] { action = [&v](Host& host) { host.areas(v.json); }; });

    addPlacementCommands(app, v, action);
}

// An unknown first word, named with the commands there are (CLI11 would only say that an
// argument was left over).
std::optional<std::string> unknownCommand(CLI::App& app, const std::vector<std::string>& args) {
    if (args.size() < 2 || args[1].empty() || args[1][0] == '-') return std::nullopt;
    std::string known;
    for (const auto* cmd : app.get_subcommands({})) {
        if (cmd->get_name() == args[1]) return std::nullopt;
        known += cmd->get_name() + ", ";
    }
    return "unknown command '" + args[1] + "' (" + known + "--help for more)";
}

}  // namespace

int run(const TupleWidget& widgets, const std::vector<std::string>& args, std::ostream& out,
        std::ostream& err) {
    CLI::App app{
        "brimlet-widgets: the widget host. Asks the bundle's providers for entries, keeps "
        "placed widgets with their configuration and draws them.",
        "brimlet-widgets"};
    app.require_subcommand(1);
    app.fallthrough(false);
    app.set_version_flag("--version", std::string(foundation::projectVersion()),
                         "Print the version and exit");
    Values values;
    Action action;
    addCommands(app, values, action);

    return foundation::runCommand(
        "brimlet-widgets",
        [&] {
            if (const auto unknown = unknownCommand(app, args)) {
                throw foundation::usageError(*unknown);
            }
            // CLI11 wants them reversed.
            std::vector<std::string> rest(args.rbegin(), args.rend() - 1);
            try {
                app.parse(rest);
            } catch (const CLI::CallForHelp&) {
                out << app.help();
                return foundation::kExitSuccess;
            } catch (const CLI::CallForAllHelp&) {
                out << app.help("", CLI::AppFormatMode::All);
                return foundation::kExitSuccess;
            } catch (const CLI::CallForVersion&) {
                out << "brimlet-widgets " << foundation::projectVersion() << '\n';
                return foundation::kExitSuccess;
            } catch (const CLI::ParseError& e) {
                // CLI11 prints help for its own failures and has exit codes of its own; neither
                // is ours: one line, status 2.
                throw foundation::usageError(e.what());
            }
            Host host(widgets, out, err);
            if (action) action(host);
            return foundation::kExitSuccess;
        },
        err);
}

}  // namespace widgetkit::host

namespace widgetkit {

void runHost(const TupleWidget& widgets, int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    int status = host::run(widgets, args, std::cout, std::cerr);
    // An answer that did not reach standard output is a failure, whatever the command thought;
    // a command that failed has already said why.
    const bool delivered = status == foundation::kExitSuccess
                               ? foundation::flushStandardOutput("brimlet-widgets")
                               : foundation::standardOutputDelivered();
    if (!delivered) status = foundation::kExitFailure;
    std::exit(status);
}

}  // namespace widgetkit
